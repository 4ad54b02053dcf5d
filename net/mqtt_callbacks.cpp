// The library's callbacks of MqttClient (mqtt_client.h), and what a lost
// connection is said to be: they run inside the library's calls the client
// makes from the event loop.
#include <mosquitto.h>

#include <QString>
#include <algorithm>

#include "net/client_errors.h"
#include "net/mqtt_client.h"

namespace cellwatch::net {

// --- library callbacks ---------------------------------------------------------------------------

void MqttClient::onConnect(mosquitto*, void* self, int rc) {
    auto* client = static_cast<MqttClient*>(self);
    if (client->finished_) {
        return;
    }
    if (rc != 0) {
        client->broken(
            {BrokerFailure::Kind::Refused, QString::fromUtf8(mosquitto_connack_string(rc)), rc});
        return;
    }
    if (client->finished_ || !client->attempting_) {
        return;
    }
    client->attempting_ = false;
    client->connectTimer_.stop();
    client->connected_ = true;
    client->heardClock_.start();
    if (client->failures_ > 0 || client->everConnected_) {
        client->tell({BrokerNotice::Kind::Connected, client->options_.address.brokerText()});
    }
    client->failures_ = 0;
    client->everConnected_ = true;
    client->subscribing_ = 0;
    for (const QString& t : client->topics_) {
        if (mosquitto_subscribe(client->mosq_, nullptr, t.toUtf8().constData(), 1) ==
            MOSQ_ERR_SUCCESS) {
            ++client->subscribing_;
        }
    }
    // What waited for the first answer goes after what the connection
    // itself publishes first (the status and the start).
    Outbox held(client->options_.maxQueuedRawBytes, client->options_.maxQueuedBytes);
    held.append(std::move(client->outbox_));
    client->holding_ = false;
    emit client->connected();
    client->outbox_.append(std::move(held));
    client->pump();
}

void MqttClient::onDisconnect(mosquitto*, void* self, int rc) {
    auto* client = static_cast<MqttClient*>(self);
    client->broken(rc == 0 ? BrokerFailure{BrokerFailure::Kind::Disconnected} : client->loss(rc));
}

BrokerFailure MqttClient::loss(int rc) const {
    const qsizetype waiting = unackedBytes_ + outbox_.bytes();
    const qsizetype kb = (waiting + 1023) / 1024;
    if (connected_ && sendBlocked_ && rc == MOSQ_ERR_KEEPALIVE) {
        BrokerFailure f{BrokerFailure::Kind::NotReading};
        f.kilobytes = kb;
        return f;
    }
    if (connected_ && rc == MOSQ_ERR_KEEPALIVE) {
        BrokerFailure f{BrokerFailure::Kind::StoppedAnswering};
        f.seconds = static_cast<int>(heardClock_.elapsed() / 1000);
        f.kilobytes = waiting > 0 ? kb : 0;
        return f;
    }
    return libraryFailure(rc);
}

void MqttClient::onMessage(mosquitto*, void* self, const mosquitto_message* m) {
    auto* client = static_cast<MqttClient*>(self);
    if (client->finished_ || m == nullptr || m->topic == nullptr) {
        return;
    }
    if (m->payloadlen > client->options_.maxPayloadBytes) {
        client->oversized_.count();  // never copied
        return;
    }
    if (client->messagesThisPass_++ == 0) {
        client->moreTimer_.start();  // the pass's end
    }
    emit client->message(
        QString::fromUtf8(m->topic),
        QByteArray(static_cast<const char*>(m->payload), m->payloadlen > 0 ? m->payloadlen : 0));
}

void MqttClient::onPublish(mosquitto*, void* self, int mid) {
    auto* client = static_cast<MqttClient*>(self);
    client->unacked_ = std::max(0, client->unacked_ - 1);
    client->unackedBytes_ -= client->inFlightBytes_.take(mid);
    client->ackClock_.start();
    if (!client->finished_) {
        client->pump();
    }
}

void MqttClient::onSubscribe(mosquitto*, void* self, int, int, const int*) {
    auto* client = static_cast<MqttClient*>(self);
    if (client->subscribing_ > 0 && --client->subscribing_ == 0 && !client->finished_) {
        emit client->subscribed();
    }
}

void MqttClient::onLog(mosquitto*, void* self, int level, const char* text) {
    auto* client = static_cast<MqttClient*>(self);
    if (level == MOSQ_LOG_ERR && text != nullptr) {
        client->keepTls();
        QString line = QString::fromUtf8(text);
        // "OpenSSL Error[0]: error:0A000086:SSL routines::certificate verify failed"
        const qsizetype colon = line.lastIndexOf(u':');
        if (line.startsWith(QLatin1String("OpenSSL")) && colon >= 0) {
            line = line.mid(colon + 1).trimmed();
        }
        // The host name's refusal comes before OpenSSL's own line, which
        // says less: it is kept.
        if (!client->tlsLog_.contains(QLatin1String(kHostNameRefused))) {
            client->tlsLog_ = line;
        }
    }
}

}  // namespace cellwatch::net
