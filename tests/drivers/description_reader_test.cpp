// Charger descriptions as read from JSON: each wrong one refused with the
// line at fault, the shipped ones read, and the folders they are found in.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "drivers/described_chargers.h"
#include "drivers/description_reader.h"
#include "protocol/driver_registry.h"

namespace cellwatch {
namespace {

namespace fs = std::filesystem;

// A good text description, one key to a line, with a mark to put a change at.
std::string textDescription(const std::string& change) {
    return "{\n"
           "  \"id\": \"t1\", \"maker\": \"M\", \"models\": [\"A\"],\n"       // 2
           "  \"line\": {\"baud\": 9600},\n"                                  // 3
           "  \"framing\": {\"kind\": \"text\", \"start\": \"$\"},\n"         // 4
           "  \"fields\": [\n"                                                // 5
           "    {\"part\": \"voltage\", \"column\": 0, \"unit\": \"mV\"},\n"  // 6
           "    {\"part\": \"state\", \"column\": 1}\n"                       // 7
           "  ]" +
           change + "\n}\n";
}

std::string binaryDescription(const std::string& fields, const std::string& more = "") {
    return "{\"id\": \"b1\", \"maker\": \"M\", \"models\": [],\n"                       // 1
           " \"line\": {\"baud\": 9600},\n"                                             // 2
           " \"framing\": {\"kind\": \"binary\", \"start\": \"AA\", \"length\": 8},\n"  // 3
           " \"checksum\": {\"kind\": \"sum8\"},\n"                                     // 4
           " \"fields\": [\n" +                                                         // 5
           fields +
           "\n ]" + more + "}";
}

TEST(DescriptionReader, RefusesWhatIsWrongWithItsLine) {
    struct Case {
        std::string json;
        std::string error;
    };
    const Case cases[] = {
        {"", "1: Syntax error: value, object or array expected."},
        {"{\n\"id\": \"x\",\n}", "3: "},
        {textDescription(",\n  \"bauds\": 1"), "9: unknown key \"bauds\""},
        {textDescription(",\n  \"channels\": \"two\""),
         "9: \"channels\" must be a whole number from 1 to 16"},
        {textDescription(",\n  \"channels\": 17"), "9: \"channels\" must be a whole number"},
        {textDescription(",\n  \"states\": {}"), "9: \"states\" is empty"},
        {textDescription(",\n  \"states\": {\n \"1\": \"charge\"}"),
         "10: unknown state \"charge\""},
        {textDescription(",\n  \"chemistries\": {\"1\": {\"text\": \"x\"}}"),
         "9: missing key \"id\""},
        {textDescription(",\n  \"poll\": {\"periodMs\": 10, \"requests\": []}"),
         "9: \"periodMs\" must be a whole number from 50 to 3600000"},
        {textDescription(",\n  \"poll\": {\"periodMs\": 100, \"requests\": [\n{\"channel\": 2, "
                         "\"bytes\": \"01\"}]}"),
         "10: \"channel\" must be a whole number from 1 to 1"},
        {textDescription(",\n  \"poll\": {\"periodMs\": 100, \"requests\": [{\"channel\": 1, "
                         "\"bytes\": \"0G\"}]}"),
         "9: \"bytes\" must be hex bytes"},
        {binaryDescription("{\"part\": \"voltage\", \"offset\": 6, \"type\": \"u16\"}"),
         "6: the field at offset 6 lies beyond the frame's 7 bytes"},
        {binaryDescription("{\"part\": \"voltage\", \"offset\": 1, \"type\": \"u24\"}"),
         "6: \"type\" must be one of u8"},
        {binaryDescription("{\"part\": \"current\", \"offset\": 1, \"unit\": \"mV\"}"),
         "6: the unit \"mV\" does not fit \"current\""},
        {binaryDescription("{\"part\": \"cell17\", \"offset\": 1}"), "6: unknown part \"cell17\""},
        {binaryDescription("{\"part\": \"voltage\", \"offset\": 1, \"scale\": 0}"),
         "6: \"scale\" must be a number other than 0"},
        {binaryDescription("{\"part\": \"voltage\", \"offset\": 1}", ",\n \"line\": {}"),
         "8: Duplicate key: 'line'"},
        {std::string(300 * 1024, ' '), "1: larger than 256 KiB"},
        {std::string(5000, '[') + std::string(5000, ']'), "1: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json.substr(0, 300));
        const DescriptionRead read = readChargerDescription(c.json);
        EXPECT_EQ(read.description, nullptr);
        EXPECT_EQ(read.error.substr(0, c.error.size()), c.error);
    }
}

TEST(DescriptionReader, TheShippedDescriptionsAreReadAndListed) {
    const fs::path folder = fs::path(CELLWATCH_SOURCE_DIR) / "resources" / "chargers";
    int read = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const DescriptionRead r = readChargerDescriptionFile(entry.path());
        EXPECT_NE(r.description, nullptr) << r.error;
        ++read;
    }
    EXPECT_GE(read, 3);
    const fs::path broken = fs::path(CELLWATCH_BINARY_DIR) / "broken-chargers";
    fs::create_directories(broken);
    std::ofstream(broken / "bad.json") << textDescription(",\n  \"channels\": 0");
    std::string taken = textDescription("");
    std::ofstream(broken / "tkrx.json") << taken.replace(taken.find("t1"), 2, "tkrx");
    std::ofstream(broken / "notes.txt") << "not a description";
    const auto problems = addDescribedChargers({broken, folder});
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0], (broken / "bad.json").string() +
                               ":9: \"channels\" must be a whole number from 1 to 16");
    EXPECT_NE(problems[1].find("tkrx.json:1: the id tkrx is a built-in driver's"),
              std::string::npos);
    const std::string list = driverListText();
    EXPECT_EQ(list.find("tkrx\t"), 0u);
    for (const char* id :
         {"\nopenformat\tOpenFormat\t", "\nopenformat-zero\t", "\nskyrc-status\t"}) {
        EXPECT_NE(list.find(id), std::string::npos) << id;
    }
    ASSERT_NE(describedCharger("skyrc-status"), nullptr);
    EXPECT_TRUE(findDriver("skyrc-status")->line.writes);
}

}  // namespace
}  // namespace cellwatch
