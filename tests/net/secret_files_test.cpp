// What is secret stays so: passwords in an address are never shown, a
// secret file that others can read is warned about (certificate files that
// hold none are refused through the log tool); signed messages verify only as they were
// signed; a row that no charger could send is not one.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>

#include "net/broker_address.h"
#include "net/message_auth.h"
#include "net/messages.h"
#include "net/mqtt_client.h"

namespace cellwatch::net {
namespace {

TEST(Secrets, NoFormOfPasswordInAnAddressIsShownInItsError) {
    const char* cases[] = {
        "mqtt://alice:pa/ss@host/n",     "mqtt://alice:pa@ss@host/n", "mqtt://:pa/ss@host/n",
        "mqtts://alice:pa/ss@host:99/n", "mqtt://alice:pa/ss",        "mqtt://alice:pa/ss@",
        "mqtt://host/n?password=pa/ss",  "mqtt://host/n#pa/ss",       "mqtt://alice:pa:ss@host/n",
    };
    for (const char* text : cases) {
        try {
            parseBrokerAddress(QString::fromUtf8(text));
            ADD_FAILURE() << text << " was taken";
        } catch (const AddressError& e) {
            const std::string what = e.what();
            EXPECT_EQ(what.find("pa/ss"), std::string::npos) << what;
            EXPECT_EQ(what.find("pa"), what.find("password")) << what;  // no "pa" but the word
        }
    }
}

TEST(Secrets, ASecretFileOthersCanReadIsWarnedAboutByName) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pw"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("secret-key-0123456789\n");
    file.close();
    const std::pair<mode_t, const char*> cases[] = {
        {0600, nullptr}, {0400, nullptr}, {0640, "0640"},
        {0604, "0604"},  {0644, "0644"},  {0660, "0660"},
    };
    for (const auto& [mode, shown] : cases) {
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
        const QString warning = secretFileWarning(QStringLiteral("the password file"), path);
        if (shown == nullptr) {
            EXPECT_TRUE(warning.isEmpty()) << warning.toStdString();
        } else {
            EXPECT_TRUE(warning.startsWith(QStringLiteral("the password file ") + path))
                << warning.toStdString();
            EXPECT_TRUE(warning.contains(QString::fromLatin1(shown))) << warning.toStdString();
            EXPECT_FALSE(warning.contains(QStringLiteral("secret-"))) << warning.toStdString();
        }
    }
    EXPECT_EQ(readKeyFile(path), QByteArray("secret-key-0123456789"));
    // Keys with too little in them are refused, saying how to make one.
    for (const QByteArray& weak : {QByteArray(18, '\0'), QByteArray(40, 'a'),
                                   QByteArray("abcdabcdabcdabcdabcd"), QByteArray("0123456789")}) {
        QFile key(path);
        ASSERT_TRUE(key.open(QIODevice::WriteOnly | QIODevice::Truncate));
        key.write(weak + '\n');
        key.close();
        try {
            readKeyFile(path);
            ADD_FAILURE() << "a weak key was taken: " << weak.toHex().toStdString();
        } catch (const MqttError& e) {
            EXPECT_NE(std::string(e.what()).find("head -c 32 /dev/urandom"), std::string::npos);
        }
    }
}

TEST(Secrets, APasswordSentWithoutTlsIsSaidOnce) {
    MqttOptions options;
    options.password = QStringLiteral("pw");
    const std::pair<const char*, bool> cases[] = {
        {"mqtt://alice@host/n", true},
        {"mqtts://alice@host/n", false},
        {"mqtt://host/n", false},
    };
    for (const auto& [address, warned] : cases) {
        options.address = parseBrokerAddress(QString::fromUtf8(address));
        const QStringList warnings = connectionWarnings(options);
        EXPECT_EQ(warnings.size(), warned ? 1 : 0) << address;
        if (warned) {
            EXPECT_TRUE(warnings[0].contains(QStringLiteral("unencrypted"))) << address;
            EXPECT_FALSE(warnings[0].contains(QStringLiteral("pw"))) << address;
        }
    }
}

TEST(Signing, AMessageVerifiesOnlyAsItWasSignedOnItsTopic) {
    const MessageAuth auth(QByteArrayLiteral("0123456789abcdef"));
    const QString raw = QStringLiteral("cellwatch/b/raw");
    const QString row = QStringLiteral("cellwatch/b/row");
    const QByteArray record = recordBytes(1, 2, std::vector<std::uint8_t>{0x7B, 1, 2});
    const QByteArray json = rowJson(RowValues{});
    const QByteArray signedRecord = auth.sign(raw, record, 42);
    const QByteArray signedRow = auth.sign(row, json, 43);

    // A signed row stays a row for whoever reads it without the key.
    EXPECT_TRUE(parseRowJson(signedRow));
    EXPECT_EQ(signedRecord.size(), record.size() + 33);
    EXPECT_EQ(auth.sign(QStringLiteral("cellwatch/b/status"), kOnline, 1).left(7),
              QByteArray("online~"));

    QByteArray flipped = signedRecord;
    flipped[3] = static_cast<char>(flipped[3] ^ 1);
    QByteArray otherNumber = signedRecord;
    otherNumber[record.size() + 5] = otherNumber[record.size() + 5] == 'A' ? 'B' : 'A';
    struct Case {
        const char* what;
        QString topic;
        QByteArray wire;
        std::optional<std::uint64_t> sequence;
    };
    const Case cases[] = {
        {"as signed", raw, signedRecord, 42},
        {"a row as signed", row, signedRow, 43},
        {"unsigned", raw, record, std::nullopt},
        {"a byte changed", raw, flipped, std::nullopt},
        {"its number changed", raw, otherNumber, std::nullopt},
        {"on another topic", QStringLiteral("cellwatch/c/raw"), signedRecord, std::nullopt},
        {"another key", raw,
         MessageAuth(QByteArrayLiteral("fedcba9876543210")).sign(raw, record, 42), std::nullopt},
        {"cut short", raw, signedRecord.chopped(1), std::nullopt},
        {"empty", raw, QByteArray(), std::nullopt},
        {"a row's token in the wrong place", row, json + signedRow.right(34), std::nullopt},
    };
    for (const Case& c : cases) {
        const auto verified = auth.verify(c.topic, c.wire);
        ASSERT_EQ(verified.has_value(), c.sequence.has_value()) << c.what;
        if (verified) {
            EXPECT_EQ(verified->sequence, *c.sequence) << c.what;
            EXPECT_EQ(verified->payload, c.topic == row ? json : record) << c.what;
        }
    }
}

TEST(Signing, EachConnectionsNumbersComeAfterTheWillOfTheOneBefore) {
    SignSequence s;
    s.beginConnection(1000);
    const std::uint64_t online = s.next();
    const std::uint64_t start = s.next();
    const std::uint64_t will = s.will();
    EXPECT_LT(online, start);
    EXPECT_LT(start, will);
    s.beginConnection(1000);  // within the same millisecond
    const std::uint64_t again = s.next();
    EXPECT_GT(again, will);
    s.beginConnection(500);  // the clock set back
    EXPECT_GT(s.next(), again);
}

TEST(Plausibility, ARowNoChargerCouldSendIsNotOne) {
    RowValues good;
    good.voltageV = 12.6;
    good.extC = 100;
    good.intC = 40;
    good.inputV = 50;
    good.cellsV = {4.2, 5.0};
    EXPECT_TRUE(isPlausibleRow(good));
    const std::pair<const char*, void (*)(RowValues&)> cases[] = {
        {"100000 V", [](RowValues& r) { r.voltageV = 100000; }},
        {"0 V", [](RowValues& r) { r.voltageV = 0; }},
        {"external 101", [](RowValues& r) { r.extC = 100.5; }},
        {"internal 101", [](RowValues& r) { r.intC = 101; }},
        {"input 51 V", [](RowValues& r) { r.inputV = 50.01; }},
        {"a cell at 5.01 V", [](RowValues& r) { r.cellsV[11] = 5.01; }},
        {"no number", [](RowValues& r) { r.currentA = std::numeric_limits<double>::infinity(); }},
    };
    for (const auto& [what, spoil] : cases) {
        RowValues bad = good;
        spoil(bad);
        EXPECT_FALSE(isPlausibleRow(bad)) << what;
    }
}

}  // namespace
}  // namespace cellwatch::net
