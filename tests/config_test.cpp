// How a configuration file is read: every quirk existing files rely on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "config/confload.h"
#include "config/reader.h"
#include "plugin/tools.h"
#include "plugin_fixture.h"

namespace {

std::vector<int32_t> listOf(const PLUGIN_OPTION& head) {
    std::vector<int32_t> values;
    for (const PLUGIN_OPTION* node = &head; node != nullptr; node = node->next) values.push_back(node->value);
    return values;
}

std::vector<int32_t> listOf(opt::Key key) { return listOf(gOpts[key]); }

std::vector<std::string> dictionaryNames() {
    std::vector<std::string> names;
    for (const DICTIONARY_ENTRY* e = FirstDictionaryEntry(); e != nullptr; e = e->next) names.emplace_back(e->name);
    return names;
}

// Reads text as the plugin reads its file, from a real file on disk.
class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ScrapConfig();
        SetDefaults();
    }
    void TearDown() override { ScrapConfig(); }

    bool read(const std::string& text) {
        const std::string dir = FreshFolder("config");
        const std::string path = dir + "/footplate.cfg";
        WriteFile(path, text);
        return LoadConfigFrom(path.c_str());
    }
};

TEST_F(ConfigFileTest, DefaultsHoldOneValueEach) {
    EXPECT_EQ(Option(opt::awsdelay), 3000);
    EXPECT_EQ(Option(opt::vigilanceinterval), 60000);
    EXPECT_EQ(Option(opt::cutoffmin), -55);
    EXPECT_EQ(Option(opt::boilermaxpressure), 20000);
    for (int i = 0; i < opt::count; ++i) EXPECT_EQ(gOpts[i].next, nullptr) << KeyText(i);
}

TEST_F(ConfigFileTest, ValueListsFollowTheirCharacterRules) {
    ASSERT_TRUE(read("awsdelay=5000\n"
                     "awsminspeed=\n"
                     "awsindicator=abc\n"
                     "cutoffmax=-55\n"
                     "cutoffmin=1-2\n"
                     "cutoffratio=5-\n"
                     "gearratios=3,4\n"
                     "gearfadeinrange=3, 4\n"
                     "gearfadeoutrange=3 \n"
                     "ammetervalues=3000 ; a comment\n"
                     "heatingrate=7+8\n"
                     "overheat=2.5\n"
                     "fuelcapacity=-1-0\n"));
    EXPECT_EQ(listOf(opt::awsdelay), std::vector<int32_t>{5000});
    EXPECT_EQ(listOf(opt::awsminspeed), std::vector<int32_t>{0});  // not the default
    EXPECT_EQ(listOf(opt::awsindicator), std::vector<int32_t>{0});
    EXPECT_EQ(listOf(opt::cutoffmax), std::vector<int32_t>{-55});
    EXPECT_EQ(listOf(opt::cutoffmin), std::vector<int32_t>{-12});
    EXPECT_EQ(listOf(opt::cutoffratio), std::vector<int32_t>{5});
    EXPECT_EQ(listOf(opt::gearratios), (std::vector<int32_t>{3, 4}));
    EXPECT_EQ(listOf(opt::gearfadeinrange), (std::vector<int32_t>{3, 0, 4}));
    EXPECT_EQ(listOf(opt::gearfadeoutrange), (std::vector<int32_t>{3, 0}));
    EXPECT_EQ(listOf(opt::ammetervalues), (std::vector<int32_t>{3000, 0}));
    EXPECT_EQ(listOf(opt::heatingrate), std::vector<int32_t>{7});
    EXPECT_EQ(listOf(opt::overheat), std::vector<int32_t>{2});
    EXPECT_EQ(listOf(opt::fuelcapacity), std::vector<int32_t>{-10});
}

TEST_F(ConfigFileTest, DigitsBeyondTheInt32RangeWrap) {
    ASSERT_TRUE(read("awsdelay=4294967297\n"
                     "awsminspeed=2147483648\n"
                     "tpwsstopdelay=-2147483648\n"
                     "wiperrate=99999999999999999999\n"));
    EXPECT_EQ(Option(opt::awsdelay), 1);
    EXPECT_EQ(Option(opt::awsminspeed), INT32_MIN);
    EXPECT_EQ(Option(opt::tpwsstopdelay), INT32_MIN);
    EXPECT_EQ(Option(opt::wiperrate), 1661992959);  // (10^20 - 1) mod 2^32
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
                     "cabmode=5\n"));
    EXPECT_EQ(Option(opt::awsindicatorappear), 1);
    EXPECT_EQ(Option(opt::awsindicator), -1);  // "awsindicator=" does not select the longer key
    EXPECT_EQ(Option(opt::awsdelay), 3000);
    EXPECT_EQ(dictionaryNames(),
              (std::vector<std::string>{"AWSDELAY", " awsdelay", "awsdelay ", " ;note", "cabmode", "cabmode"}));
    PLUGIN_OPTION found{-7, nullptr};
    ASSERT_TRUE(getFromDictionary(found, "cabmode"));
    EXPECT_EQ(listOf(found), (std::vector<int32_t>{4, 20}));  // the first of the two lines
    ASSERT_TRUE(getFromDictionary(found, "awsdelay "));
    EXPECT_EQ(found.value, 12);
    PLUGIN_OPTION untouched{-7, nullptr};
    EXPECT_FALSE(getFromDictionary(untouched, "CabMode"));
    EXPECT_EQ(untouched.value, -7);

    deleteFromDictionary("cabmode");
    ASSERT_TRUE(getFromDictionary(found, "cabmode"));
    EXPECT_EQ(found.value, 5);
}

TEST_F(ConfigFileTest, LaterLineWinsAndEarlierListIsDropped) {
    ASSERT_TRUE(read("gearratios=50,20,12\nawsdelay=1\ngearratios=7\n"));
    EXPECT_EQ(listOf(opt::gearratios), std::vector<int32_t>{7});
    EXPECT_EQ(Option(opt::awsdelay), 1);
}

TEST_F(ConfigFileTest, LineEndsDecideWhereReadingStops) {
    // LF file: an empty line ends the file.
    ASSERT_TRUE(read("awsdelay=1\n\nawsminspeed=2\n"));
    EXPECT_EQ(Option(opt::awsdelay), 1);
    EXPECT_EQ(Option(opt::awsminspeed), 0);

    // CR LF file: the blank line holds a CR and is ignored; CR ends each value list.
    ScrapConfig();
    SetDefaults();
    ASSERT_TRUE(read("awsdelay=3000\r\n\r\nawsminspeed=2\r\ntpwsstopdelay=9"));
    EXPECT_EQ(listOf(opt::awsdelay), std::vector<int32_t>{3000});
    EXPECT_EQ(Option(opt::awsminspeed), 2);
    EXPECT_EQ(Option(opt::tpwsstopdelay), 9);  // the last line needs no LF
}

TEST_F(ConfigFileTest, LongLinesAreCutAt1022Characters) {
    // 1500 characters: the first 1022 are one line, the other 478 the next.
    std::string first = "cabmode=" + std::string(1022 - 8 - 3, ';') + "xyz";
    ASSERT_EQ(first.size(), 1022u);
    std::string rest = "awsdelay=4321" + std::string(478 - 13, ' ');
    ASSERT_TRUE(read(first + rest + "\nawsminspeed=5\n"));
    EXPECT_EQ(dictionaryNames(), std::vector<std::string>{"cabmode"});
    EXPECT_EQ(Option(opt::awsdelay), 4321);
    EXPECT_EQ(Option(opt::awsminspeed), 5);

    // A line of exactly 1022 characters leaves its LF to the next read, which is then an
    // empty line: reading stops there.
    ScrapConfig();
    SetDefaults();
    ASSERT_TRUE(read("awsdelay=" + std::string(1013, '1') + "\nawsminspeed=5\n"));
    EXPECT_EQ(Option(opt::awsminspeed), 0);
}

TEST_F(ConfigFileTest, SecondReadStartsFromDefaults) {
    ASSERT_TRUE(read("awsdelay=5000,1,2\ncabmode=1\n"));
    ScrapConfig();
    SetDefaults();
    EXPECT_EQ(listOf(opt::awsdelay), std::vector<int32_t>{3000});
    EXPECT_EQ(FirstDictionaryEntry(), nullptr);
    EXPECT_FALSE(LoadConfigFrom("/nonexistent/footplate.cfg"));
    PLUGIN_OPTION out{};
    EXPECT_FALSE(getFromDictionary(out, "cabmode"));
}

TEST(ListLookup, ClampedAndPlainLookups) {
    PLUGIN_OPTION third{12, nullptr};
    PLUGIN_OPTION second{20, &third};
    PLUGIN_OPTION head{50, &second};
    int32_t v = 0;
    EXPECT_TRUE(ListValue(head, 2, v));
    EXPECT_EQ(v, 12);
    EXPECT_FALSE(ListValue(head, 3, v));
    EXPECT_FALSE(ListValue(head, -1, v));
    EXPECT_EQ(ClampedListValue(head, 0), 50);
    EXPECT_EQ(ClampedListValue(head, 1), 20);
    EXPECT_EQ(ClampedListValue(head, 7), 12);
    EXPECT_EQ(ClampedListValue(head, -3), 50);
}

// The block reader must hand out exactly the lines a reader of one byte per call would.
TEST(LineReader, BlocksYieldTheSameLinesAsSingleBytes) {
    std::string text;
    std::srand(7);
    const char alphabet[] = {'a', '=', '1', ',', ' ', '\r', '\n', '\n', ';', '\0'};
    for (int i = 0; i < 20000; ++i) text += alphabet[std::rand() % 10];
    text += std::string(3000, 'x');  // a run longer than a line

    const std::string dir = FreshFolder("reader");
    const std::string path = dir + "/lines.cfg";
    WriteFile(path, text);
    auto reader = std::make_unique<ConfigReader>();
    ASSERT_TRUE(OpenConfigReader(*reader, path.c_str()));

    size_t pos = 0;
    int lines = 0;
    char buffer[1024];
    for (;;) {
        // One byte at a time: stop at LF (consumed) or the end, at most 1022 bytes.
        std::string expected;
        while (expected.size() < 1022 && pos < text.size()) {
            const char c = text[pos++];
            if (c == '\n') break;
            expected += c;
        }
        const int got = readLine(*reader, buffer, 1023);
        ASSERT_EQ(got, static_cast<int>(expected.size())) << "line " << lines;
        ASSERT_EQ(std::string(buffer, static_cast<size_t>(got)), expected) << "line " << lines;
        ASSERT_EQ(buffer[got], '\0');
        ++lines;
        if (pos >= text.size() && got == 0) break;
    }
    CloseConfigReader(*reader);
    EXPECT_GT(lines, 1000);
}

}  // namespace
