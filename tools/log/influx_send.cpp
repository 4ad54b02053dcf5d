#include "tools/log/influx_send.h"

#include "net/influx_target.h"
#include "net/secret_files.h"
#include "tools/log/command_line.h"

namespace cellwatch::logger {

std::unique_ptr<net::InfluxWriter> InfluxSend::makeWriter(const LogOptions& options,
                                                          const Say& say) {
    QByteArray authorization;
    try {
        if (!options.influxAuth.isEmpty()) {
            const QString warning = net::secretFileWarning(
                QStringLiteral("the database sign-in file"), options.influxAuth);
            if (!warning.isEmpty()) {
                say(warning);
            }
            authorization = net::readInfluxAuthFile(options.influxAuth);
        }
    } catch (const net::InfluxError& e) {
        say(QString::fromUtf8(e.what()) + QStringLiteral(" (--influx-auth)"));
        return nullptr;
    }
    const QUrl url = net::parseInfluxAddress(options.influx);  // checked with the options
    if (!authorization.isEmpty() && url.scheme() == QLatin1String("http") &&
        url.host() != QLatin1String("127.0.0.1") && url.host() != QLatin1String("localhost")) {
        say(QStringLiteral("the database sign-in goes without TLS to %1 (use https://)")
                .arg(url.host()));
    }
    auto writer = std::make_unique<net::InfluxWriter>(url, authorization);
    QObject::connect(writer.get(), &net::InfluxWriter::notice, say);
    return writer;
}

bool InfluxSend::make(const LogOptions& options, session::LiveSession& session,
                      const QString& charger, const Say& say, std::unique_ptr<InfluxSend>& out) {
    if (options.influx.isEmpty()) {
        return true;
    }
    std::unique_ptr<InfluxSend> send(new InfluxSend);
    send->writer_ = makeWriter(options, say);
    if (!send->writer_) {
        return false;
    }
    send->say_ = say;
    send->feed_ =
        std::make_unique<session::InfluxFeed>(session, *send->writer_, charger, options.pack);
    out = std::move(send);
    return true;
}

bool InfluxSend::finish() {
    const bool all = writer_->finish(kDrainMs);
    say_(QStringLiteral("%1 rows and %2 alarms for the database %3: %4 lines taken, %5 dropped")
             .arg(feed_->rowsSent())
             .arg(feed_->alarmsSent())
             .arg(writer_->addressText())
             .arg(writer_->delivered())
             .arg(writer_->dropped()));
    return all;
}

}  // namespace cellwatch::logger
