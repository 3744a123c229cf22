// How a configuration file is read: every quirk existing files rely on.
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "config/confload.h"
#include "config/reader.h"
#include "plugin_fixture.h"

namespace {

using ::testing::ElementsAre;
using List = std::vector<int32_t>;

List listOf(const PLUGIN_OPTION& head) {
    List values;
    for (const PLUGIN_OPTION* node = &head; node != nullptr; node = node->next) values.push_back(node->value);
    return values;
}

List listOf(opt::Key key) { return listOf(gOpts[key]); }

std::vector<std::string> dictionaryNames() {
    std::vector<std::string> names;
    for (const DICTIONARY_ENTRY* e = FirstDictionaryEntry(); e != nullptr; e = e->next) names.emplace_back(e->name);
    return names;
}

// Reads text as the plugin reads its file, from a real file on disk, into a fresh table.
class ConfigFileTest : public ::testing::Test {
protected:
    void TearDown() override { ScrapConfig(); }

    bool read(const std::string& text) {
        ScrapConfig();
        SetDefaults();
        const std::string path = FreshFolder("config") + "/footplate.cfg";
        WriteFile(path, text);
        return LoadConfigFrom(path.c_str());
    }
};

// The checker's tests and the documented trap table read their traps (a '-' after digits,
// comma and space, other characters, long and empty lines) through this same reader;
// these rows are the rest of its rules.
TEST_F(ConfigFileTest, ValueListsFollowTheirCharacterRules) {
    const struct {
        const char* text;
        List values;
    } rows[] = {
        {"-55", {-55}},
        {"-1,2", {-1, 2}},  // each value starts positive again
        {"1,-2", {1, -2}},
        {"-3 -4", {-3, -4}},
        {"3000\r", {3000}},  // a CR LF file: the CR ends the list
        {"4294967297", {1}},  // digits beyond int32 wrap
        {"2147483648", {INT_MIN}},
        {"-2147483648", {INT_MIN}},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(read("gearratios=" + std::string(row.text) + "\n"));
        EXPECT_EQ(listOf(opt::gearratios), row.values) << '"' << row.text << '"';
    }
}

TEST_F(ConfigFileTest, KeysMatchWholeTextCaseAndEquals) {
    ASSERT_TRUE(read("awsindicatorappear=1\n"
                     "AWSDELAY=10\n"
                     " awsdelay=11\n"
                     "awsdelay =12\n"
                     "awsdelay\n"
                     "; awsdelay=13\n"
                     " ;note=14\n"
                     "=15\n"
                     "cabmode=4,20\n"
                     "cabmode=5\n"
                     "gearratios=50,20,12\n"
                     "gearratios=7\n"));
    EXPECT_EQ(Option(opt::awsindicatorappear), 1);
    EXPECT_EQ(Option(opt::awsindicator), -1);  // "awsindicator=" does not select the longer key
    EXPECT_EQ(Option(opt::awsdelay), 3000);
    EXPECT_THAT(listOf(opt::gearratios), ElementsAre(7));  // the later line wins
    EXPECT_THAT(dictionaryNames(), ElementsAre("AWSDELAY", " awsdelay", "awsdelay ", " ;note", "cabmode", "cabmode"));
    PLUGIN_OPTION found{-7, nullptr};
    ASSERT_TRUE(getFromDictionary(found, "cabmode"));
    EXPECT_THAT(listOf(found), ElementsAre(4, 20));  // the first of the two lines
    ASSERT_TRUE(getFromDictionary(found, "awsdelay "));
    EXPECT_EQ(found.value, 12);
    PLUGIN_OPTION untouched{-7, nullptr};
    EXPECT_FALSE(getFromDictionary(untouched, "CabMode"));
    EXPECT_EQ(untouched.value, -7);
    deleteFromDictionary("cabmode");
    ASSERT_TRUE(getFromDictionary(found, "cabmode"));
    EXPECT_EQ(found.value, 5);
    // The next start begins from the defaults with an empty dictionary.
    ScrapConfig();
    SetDefaults();
    EXPECT_THAT(listOf(opt::gearratios), ElementsAre(0));
    EXPECT_EQ(FirstDictionaryEntry(), nullptr);
    EXPECT_FALSE(LoadConfigFrom("/nonexistent/footplate.cfg"));
}

// The block reader must hand out exactly the lines a reader of one byte per call would.
TEST(LineReader, BlocksYieldTheSameLinesAsSingleBytes) {
    std::string text;
    std::srand(7);
    const char alphabet[] = {'a', '=', '1', ',', ' ', '\r', '\n', '\n', ';', '\0'};
    for (int i = 0; i < 20000; ++i) text += alphabet[std::rand() % 10];
    text += std::string(3000, 'x');  // a run longer than a line
    const std::string path = FreshFolder("reader") + "/lines.cfg";
    WriteFile(path, text);
    auto reader = std::make_unique<ConfigReader>();
    ASSERT_TRUE(OpenConfigReader(*reader, path.c_str()));
    char buffer[1024];
    int lines = 0;
    for (size_t pos = 0;; ++lines) {
        // The next byte is there to look at without taking it.
        ASSERT_EQ(peekByte(*reader), pos < text.size() ? static_cast<unsigned char>(text[pos]) : -1);
        // One byte at a time: stop at LF (consumed) or the end, at most 1022 bytes.
        std::string expected;
        while (expected.size() < 1022 && pos < text.size()) {
            const char c = text[pos++];
            if (c == '\n') break;
            expected += c;
        }
        const int got = readLine(*reader, buffer, 1023);
        ASSERT_EQ(std::string(buffer, static_cast<size_t>(got)), expected) << "line " << lines;
        ASSERT_EQ(buffer[got], '\0');
        if (pos >= text.size() && got == 0) break;
    }
    EXPECT_TRUE(atEndOfFile(*reader));
    CloseConfigReader(*reader);
    EXPECT_GT(lines, 1000);
}

}  // namespace
