// The tool's command line: what it accepts and the one line it gives for
// what it refuses.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tools/log/command_line.h"

namespace cellwatch::logger {
namespace {

QStringList args(const std::vector<const char*>& list) {
    QStringList out;
    for (const char* a : list) {
        out << QString::fromUtf8(a);
    }
    return out;
}

struct Accepted {
    std::vector<const char*> arguments;
    const char* port;
    const char* out;
};

void printArguments(const std::vector<const char*>& arguments, std::ostream* os) {
    for (const char* a : arguments) {
        *os << '[' << a << ']';
    }
}

void PrintTo(const Accepted& c, std::ostream* os) {
    printArguments(c.arguments, os);
}

class LogArgumentsAccepted : public ::testing::TestWithParam<Accepted> {};

TEST_P(LogArgumentsAccepted, GivesPortAndOutput) {
    const Accepted& c = GetParam();
    const LogOptions options = parseArguments(args(c.arguments));
    EXPECT_FALSE(options.help);
    EXPECT_EQ(options.port.toStdString(), c.port);
    EXPECT_EQ(options.out.toStdString(), c.out);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, LogArgumentsAccepted,
    ::testing::Values(Accepted{{"--port", "/dev/ttyUSB0"}, "/dev/ttyUSB0", ""},
                      Accepted{{"--port=/dev/ttyUSB0", "--out=a.tsv"}, "/dev/ttyUSB0", "a.tsv"},
                      Accepted{{"--out", "a b.tsv", "--port", "COM 3"}, "COM 3", "a b.tsv"},
                      Accepted{{"--port", "USB_ttyACM0", "--out", "-"}, "USB_ttyACM0", ""},
                      Accepted{{"--port", "/dev/ttyS0", "--out=-"}, "/dev/ttyS0", ""}));

TEST(LogArguments, HelpWinsOverEverythingElse) {
    EXPECT_TRUE(parseArguments(args({"--bogus", "--help"})).help);
}

struct Refused {
    std::vector<const char*> arguments;
    const char* says;
};

void PrintTo(const Refused& c, std::ostream* os) {
    printArguments(c.arguments, os);
}

class LogArgumentsRefused : public ::testing::TestWithParam<Refused> {};

TEST_P(LogArgumentsRefused, SaysWhatIsWrongOnOneLine) {
    const Refused& c = GetParam();
    try {
        parseArguments(args(c.arguments));
        FAIL() << "accepted";
    } catch (const UsageError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
        EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, LogArgumentsRefused,
    ::testing::Values(Refused{{}, "--port is missing"},
                      Refused{{"--out", "a.tsv"}, "--port is missing"},
                      Refused{{"--port"}, "--port needs a value"},
                      Refused{{"--port="}, "--port needs a value"},
                      Refused{{"--port", "--out", "a.tsv"}, "--port needs a value"},
                      Refused{{"--port", "x", "--out"}, "--out needs a value"},
                      Refused{{"--port", "a", "--port=b"}, "--port is given more than once"},
                      Refused{{"--port", "a", "extra"}, "unexpected argument extra"},
                      Refused{{"--port", "a", "-x"}, "unknown option -x"},
                      Refused{{"--portx", "a"}, "unknown option --portx"},
                      Refused{{"--port", "a", "--capture"}, "--capture needs a value"},
                      Refused{{"--replay", "c", "--port", "a"}, "--port cannot go with --replay"},
                      Refused{{"--replay", "c", "--capture", "d"}, "cannot go with --replay"},
                      Refused{{"--port", "a", "--speed", "2"}, "--speed goes only with --replay"},
                      Refused{{"--replay", "c", "--speed", "-1"}, "bad --speed -1"},
                      Refused{{"--replay", "c", "--speed", "inf"}, "bad --speed inf"}));

}  // namespace
}  // namespace cellwatch::logger
