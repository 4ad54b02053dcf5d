// A broker that speaks TLS with certificates the test makes (openssl): each
// reason the client refuses the broker's certificate is said in words of its
// own, and a certificate it trusts connects.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "net/mqtt_client.h"
#include "test_broker.h"

namespace cellwatch::net {
namespace {

using nettest::TestBroker;
using nettest::waitUntil;

// A certificate authority, the certificates it signs and a second authority
// that signed none of them, in a folder of the test's own.
class Certificates {
public:
    Certificates() {
        write(QStringLiteral("ca.cnf"),
              QStringLiteral("[ca]\ndefault_ca = own\n[own]\n"
                             "database = %1/index.txt\n"
                             "new_certs_dir = %1\nserial = %1/serial\n"
                             "default_md = sha256\npolicy = any\n"
                             "copy_extensions = copy\nunique_subject = no\n"
                             "[any]\ncommonName = supplied\n")
                  .arg(dir_.path())
                  .toUtf8());
        write(QStringLiteral("index.txt"), {});
        write(QStringLiteral("serial"), "01\n");
        authority(QStringLiteral("ca"));
        authority(QStringLiteral("other"));
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    // NAME.crt and NAME.key for `host`, signed by "ca", valid from `start`
    // to `end` (openssl's YYMMDDHHMMSSZ).
    void server(const QString& name, const QString& host, const QString& start,
                const QString& end) {
        run({QStringLiteral("req"), QStringLiteral("-new"), QStringLiteral("-newkey"),
             QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
             QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
             QStringLiteral("-keyout"), path(name + QStringLiteral(".key")), QStringLiteral("-out"),
             path(name + QStringLiteral(".csr")), QStringLiteral("-subj"),
             QStringLiteral("/CN=") + host, QStringLiteral("-addext"),
             QStringLiteral("subjectAltName=") +
                 (host.front().isDigit() ? QStringLiteral("IP:") : QStringLiteral("DNS:")) + host});
        run({QStringLiteral("ca"), QStringLiteral("-batch"), QStringLiteral("-config"),
             path(QStringLiteral("ca.cnf")), QStringLiteral("-cert"),
             path(QStringLiteral("ca.crt")), QStringLiteral("-keyfile"),
             path(QStringLiteral("ca.key")), QStringLiteral("-startdate"), start,
             QStringLiteral("-enddate"), end, QStringLiteral("-notext"), QStringLiteral("-in"),
             path(name + QStringLiteral(".csr")), QStringLiteral("-out"),
             path(name + QStringLiteral(".crt"))});
    }

private:
    void write(const QString& name, const QByteArray& text) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    void authority(const QString& name) {
        run({QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
             QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
             QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
             QStringLiteral("-days"), QStringLiteral("30"), QStringLiteral("-keyout"),
             path(name + QStringLiteral(".key")), QStringLiteral("-out"),
             path(name + QStringLiteral(".crt")), QStringLiteral("-subj"),
             QStringLiteral("/CN=Cellwatch test ") + name});
    }

    static void run(const QStringList& arguments) {
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"), arguments);
        ASSERT_TRUE(openssl.waitForFinished(60000));
        ASSERT_EQ(openssl.exitCode(), 0) << arguments.join(u' ').toStdString() << ": "
                                         << openssl.readAllStandardError().toStdString();
    }

    QTemporaryDir dir_;
};

TEST(Tls, EachRefusedCertificateGivesItsOwnReasonAndATrustedOneConnects) {
    if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty()) {
        GTEST_SKIP() << "no openssl here to make certificates";
    }
    Certificates certs;
    const QString now = QStringLiteral("200101000000Z");
    const QString later = QStringLiteral("491231000000Z");
    certs.server(QStringLiteral("good"), QStringLiteral("127.0.0.1"), now, later);
    certs.server(QStringLiteral("elsewhere"), QStringLiteral("broker.example"), now, later);
    certs.server(QStringLiteral("expired"), QStringLiteral("127.0.0.1"), now,
                 QStringLiteral("200201000000Z"));
    if (HasFatalFailure()) {
        return;
    }
    const struct {
        const char* server;     // its certificate and key
        const char* authority;  // the client's --ca
        const char* reason;     // "" for a connection
    } cases[] = {
        {"good", "ca", ""},
        {"good", "other", "the broker's certificate is signed by an unknown authority"},
        {"elsewhere", "ca", "the broker's certificate is for another host name than 127.0.0.1"},
        {"expired", "ca", "the broker's certificate has expired"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.server << " with " << c.authority);
        const QString server = QString::fromLatin1(c.server);
        TestBroker broker(TestBroker::Tls{certs.path(server + QStringLiteral(".crt")),
                                          certs.path(server + QStringLiteral(".key"))});
        MqttOptions options;
        options.address =
            parseBrokerAddress(QStringLiteral("mqtts://127.0.0.1:%1/charger").arg(broker.port()));
        options.caFile = certs.path(QString::fromLatin1(c.authority) + QStringLiteral(".crt"));
        options.reconnect = false;
        MqttClient client(options);
        std::optional<QString> lost;
        QObject::connect(&client, &MqttClient::lost, [&](const QString& why) { lost = why; });
        client.start();
        ASSERT_TRUE(waitUntil([&] { return client.isConnected() || lost.has_value(); }));
        if (*c.reason == '\0') {
            EXPECT_TRUE(client.isConnected()) << lost.value_or(QString()).toStdString();
        } else {
            ASSERT_TRUE(lost.has_value());
            EXPECT_TRUE(lost->contains(QString::fromLatin1(c.reason))) << lost->toStdString();
        }
    }
}

}  // namespace
}  // namespace cellwatch::net
