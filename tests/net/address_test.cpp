// Broker addresses: what is read from them, and what is refused with which
// words.
#include <gtest/gtest.h>

#include "net/broker_address.h"

namespace cellwatch::net {
namespace {

struct Accepted {
    const char* text;
    bool tls;
    const char* user;
    const char* host;
    std::uint16_t port;
    const char* name;
    const char* shown;  // text()
};

TEST(BrokerAddress, ReadsSchemeUserHostPortAndName) {
    const Accepted cases[] = {
        {"mqtt://127.0.0.1/bench1", false, "", "127.0.0.1", 1883, "bench1",
         "mqtt://127.0.0.1/bench1"},
        {"mqtt://broker.local:1884/bay-2", false, "", "broker.local", 1884, "bay-2",
         "mqtt://broker.local:1884/bay-2"},
        {"mqtts://ann@example.org/lab_1.a", true, "ann", "example.org", 8883, "lab_1.a",
         "mqtts://ann@example.org/lab_1.a"},
        {"MQTTS://example.org:1883/x", true, "", "example.org", 1883, "x",
         "mqtts://example.org:1883/x"},
        {"mqtt://[::1]:2000/c", false, "", "::1", 2000, "c", "mqtt://[::1]:2000/c"},
        {"mqtt://h:65535/c", false, "", "h", 65535, "c", "mqtt://h:65535/c"},
    };
    for (const Accepted& c : cases) {
        SCOPED_TRACE(c.text);
        const BrokerAddress a = parseBrokerAddress(QString::fromUtf8(c.text));
        EXPECT_EQ(a.tls, c.tls);
        EXPECT_EQ(a.user, QString::fromUtf8(c.user));
        EXPECT_EQ(a.host, QString::fromUtf8(c.host));
        EXPECT_EQ(a.port, c.port);
        EXPECT_EQ(a.name, QString::fromUtf8(c.name));
        EXPECT_EQ(a.text(), QString::fromUtf8(c.shown));
        EXPECT_TRUE(isBrokerAddress(QString::fromUtf8(c.text)));
    }
    EXPECT_EQ(parseBrokerAddress(QStringLiteral("mqtt://h/n")).topic(QStringLiteral("raw")),
              QStringLiteral("cellwatch/n/raw"));
}

TEST(BrokerAddress, NamesOneChannelOfAChargerOfSeveral) {
    struct Case {
        const char* text;
        int channel;  // -1: refused
        const char* resumeTopic;
    };
    const Case cases[] = {
        {"mqtt://h/bench1", 0, "cellwatch/bench1/1/resume"},
        {"mqtt://h/bench1/2", 2, "cellwatch/bench1/2/resume"},
        {"mqtts://ann@h:99/b.x/8", 8, "cellwatch/b.x/8/resume"},
        {"mqtt://h/bench1/9", -1, ""},
        {"mqtt://h/bench1/0", -1, ""},
        {"mqtt://h/bench1/12", -1, ""},
        {"mqtt://h/bench1/", -1, ""},
        {"mqtt://h/a/b", -1, ""},
        {"mqtt://h/a/1/2", -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        if (c.channel < 0) {
            EXPECT_THROW(parseBrokerAddress(text), AddressError);
            continue;
        }
        const BrokerAddress a = parseBrokerAddress(text);
        EXPECT_EQ(a.channel, c.channel);
        EXPECT_EQ(a.text(), text);
        EXPECT_EQ(a.topic(QStringLiteral("status")),
                  QStringLiteral("cellwatch/") + a.name + QStringLiteral("/status"));
        EXPECT_EQ(a.channelTopic(QStringLiteral("resume")), QString::fromUtf8(c.resumeTopic));
    }
}

TEST(BrokerAddress, RefusesWithAMessageSayingWhy) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://h/n", "neither mqtt:// nor mqtts://"},
        {"mqtt://user:secret@h/n", "mqtt://user:***@h/n: a password never goes in the address"},
        {"mqtt://user:secret@h/a/b", "mqtt://user:***@h/a/b"},
        {"mqtt://@h/n", "user name before '@' is empty"},
        {"mqtt:///n", "host is missing"},
        {"mqtt://h:/n", "port after ':' is missing"},
        {"mqtt://h:0/n", "no number from 1 to 65535"},
        {"mqtt://h:65536/n", "no number from 1 to 65535"},
        {"mqtt://h:+12/n", "no number from 1 to 65535"},
        {"mqtt://h:12x/n", "no number from 1 to 65535"},
        {"mqtt://h", "name after the host is missing"},
        {"mqtt://h/", "name after the host is missing"},
        {"mqtt://h/a/b", "not one level"},
        {"mqtt://h/a+", "not one level"},
        {"mqtt://h/#", "not one level"},
        {"mqtt://h/a b", "space"},
        {"mqtt://h/dé", "non-ASCII"},
        {"mqtt://h!x/n", "host name holds '!'"},
        {"mqtt://[::1/n", "no closing ']'"},
        {"mqtt://[::1]x/n", "unexpected text after ']'"},
        {"mqtt://h/0123456789012345678901234567890123456789012345678901234567890123456789",
         "at most 64"},
    };
    for (const auto& [text, why] : cases) {
        SCOPED_TRACE(text);
        try {
            parseBrokerAddress(QString::fromUtf8(text));
            ADD_FAILURE() << "accepted";
        } catch (const AddressError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(why), std::string::npos) << message;
            EXPECT_EQ(message.find("secret"), std::string::npos) << "the password is shown";
        }
    }
}

TEST(BrokerAddress, BrokerOnlyAddressesForTheNetworkList) {
    EXPECT_EQ(parseBrokerAddress(QStringLiteral("mqtt://h:1900"), NamePart::None).port, 1900);
    EXPECT_EQ(parseBrokerAddress(QStringLiteral("mqtts://h/"), NamePart::None).port, 8883);
    EXPECT_THROW(parseBrokerAddress(QStringLiteral("mqtt://h/n"), NamePart::None), AddressError);
}

TEST(BrokerAddress, SerialPortsAreNoAddresses) {
    for (const char* port : {"/dev/ttyUSB0", "COM3", "USB_ttyUSB0", "mqtt:/h/n", "mqtt"}) {
        EXPECT_FALSE(isBrokerAddress(QString::fromUtf8(port))) << port;
    }
}

}  // namespace
}  // namespace cellwatch::net
