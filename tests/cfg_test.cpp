// footplate-cfg: what it tells an author about a file must be what the plugin reads,
// every trap of the format must be pointed out, and its key descriptions must cover the
// plugin's key table exactly.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

#include "cfgcheck.h"
#include "command.h"
#include "config/confload.h"
#include "keyinfo.h"
#include "plugin/tools.h"
#include "plugin_fixture.h"

namespace {

namespace fs = std::filesystem;

// Checks text written to a fresh file; the report's lines by line number.
class CfgCheck : public ::testing::Test {
protected:
    CheckResult check(const std::string& text) {
        path_ = FreshFolder("cfg") + "/t.cfg";
        WriteFile(path_, text);
        return CheckConfigFile(path_, "t.cfg");
    }
    // Every message about one line of the file.
    static std::string about(const CheckResult& r, int line) {
        std::istringstream lines(r.report);
        std::string out;
        const std::string prefix = "t.cfg:" + std::to_string(line) + ": ";
        for (std::string l; std::getline(lines, l);) {
            if (l.rfind(prefix, 0) == 0) out += l.substr(prefix.size()) + "\n";
        }
        return out;
    }
    static int warningsIn(const std::string& text) {
        int n = 0;
        for (size_t at = text.find("warning: "); at != std::string::npos; at = text.find("warning: ", at + 1)) ++n;
        return n;
    }
    std::string path_;
};

#define EXPECT_HAS(text, part) EXPECT_NE((text).find(part), std::string::npos) << (text)

TEST_F(CfgCheck, EveryTrapOfTheValueFormat) {
    const CheckResult r = check(
        "; a comment\n"                 // 1
        "awsdelay=5000\n"               // 2 clean
        "tpwsindicator=1, 2\n"          // 3 comma and space
        "awsminspeed=20 \n"             // 4 trailing space
        "overspeed=120kmh\n"            // 5 cut by a letter
        "safespeed=+5\n"                // 6 cut by '+', reads 0
        "warningspeed=\n"               // 7 no value
        "vigilancedelay1=abc\n"         // 8 no digits
        "vigilancedelay2=1-2\n"         // 9 minus among digits
        "vigilanceinterval=30000 ; s\n" // 10 comment after values
        "wiperrate=99999999999\n"       // 11 too large
        "wiperdelay=1,,2\n"             // 12 empty middle value
        "wipersound=5-\n");             // 13 a '-' no digit follows: harmless
    EXPECT_EQ(about(r, 1), "");
    EXPECT_EQ(about(r, 2), "awsdelay = 5000\n");
    EXPECT_HAS(about(r, 3), "tpwsindicator = 1, 0, 2");
    EXPECT_HAS(about(r, 3), "a comma and a space");
    EXPECT_EQ(warningsIn(about(r, 3)), 1);
    EXPECT_HAS(about(r, 4), "awsminspeed = 20, 0");
    EXPECT_HAS(about(r, 4), "a space after the last value adds a value 0");
    EXPECT_HAS(about(r, 5), "overspeed = 120");
    EXPECT_HAS(about(r, 5), "cut short by 'k'");
    EXPECT_HAS(about(r, 6), "safespeed = 0");
    EXPECT_HAS(about(r, 6), "value 1 has no digits and reads as 0");
    EXPECT_HAS(about(r, 6), "without '+'");
    EXPECT_HAS(about(r, 7), "warningspeed = 0");
    EXPECT_HAS(about(r, 7), "reads as 0, not as its default");
    EXPECT_HAS(about(r, 8), "no digits and reads as 0");
    EXPECT_HAS(about(r, 9), "vigilancedelay2 = -12");
    EXPECT_HAS(about(r, 9), "negative as a whole");
    EXPECT_HAS(about(r, 10), "vigilanceinterval = 30000, 0");
    EXPECT_HAS(about(r, 10), "a space after the last value");
    EXPECT_HAS(about(r, 10), "a comment cannot follow the values");
    EXPECT_HAS(about(r, 11), "too large for the plugin and wraps");
    EXPECT_HAS(about(r, 12), "wiperdelay = 1, 0, 2");
    EXPECT_HAS(about(r, 12), "value 2 has no digits");
    EXPECT_EQ(about(r, 13), "wipersound = 5\n");
    EXPECT_EQ(r.warnings, warningsIn(r.report));
    EXPECT_EQ(r.warnings, 13);
}

TEST_F(CfgCheck, UnknownKeysIgnoredLinesAndRepeats) {
    const CheckResult r = check(
        "AWSDelay=3000\n"        // 1 case
        "awsdelay =3000\n"       // 2 blank before '='
        " awsdelay=3000\n"       // 3 blank before the key
        "awsdelya=3000\n"        // 4 typo
        "trainname=12\n"         // 5 nothing close
        "awsdelay 3000\n"        // 6 no '='
        "# awsdelay=1\n"         // 7 '#' is no comment, and the line holds '='
        "=5\n"                   // 8 no key
        "system=1\n"             // 9
        "system=2\n"             // 10 again
        "cabmode=7,30,31\n"      // 11 read by the cab: no warning
        "cabmode=8\n"            // 12 again: the first counts
        " ; indented=1\n");      // 13 not a comment
    EXPECT_HAS(about(r, 1), "did you mean \"awsdelay\"? (keys are written in lower case)");
    EXPECT_HAS(about(r, 2), "unknown key \"awsdelay \"");
    EXPECT_HAS(about(r, 2), "no blank may stand before the key or its '='");
    EXPECT_HAS(about(r, 3), "no blank may stand");
    EXPECT_HAS(about(r, 4), "did you mean \"awsdelay\"?");
    EXPECT_HAS(about(r, 5), "\"trainname\" is not a key");
    EXPECT_EQ(about(r, 5).find("did you mean"), std::string::npos);
    EXPECT_HAS(about(r, 6), "line ignored: it holds no '='; did you mean \"awsdelay=...\"?");
    EXPECT_HAS(about(r, 7), "(comments start with ';')");
    EXPECT_HAS(about(r, 8), "begins with '='");
    EXPECT_HAS(about(r, 10), "system is given again (before on line 9)");
    EXPECT_EQ(about(r, 11), "cabmode (read by the cab from the dictionary) = 7, 30, 31\n");
    EXPECT_HAS(about(r, 12), "the plugin reads only the first");
    EXPECT_HAS(about(r, 13), "a comment needs ';' as the very first character");
    EXPECT_HAS(r.report, "t.cfg: 1 key set, 8 other lines kept in the dictionary");
}

TEST_F(CfgCheck, ReadingStopsAtAnEmptyLineOfAnLfFileOnly) {
    CheckResult r = check("system=1\n\nawsdelay=2000\n;x\nvigilance=1\n");
    EXPECT_HAS(about(r, 2), "reading stops at this empty line");
    EXPECT_HAS(about(r, 2), "(2 settings: awsdelay, vigilance)");
    EXPECT_EQ(about(r, 3), "");  // never read, so not explained as read
    EXPECT_EQ(r.warnings, 1);

    r = check("system=1\n;end\n\n\n");  // only blank lines below: nothing lost
    EXPECT_EQ(r.warnings, 0);
    EXPECT_HAS(about(r, 3), "info: reading stops at this empty line; only blank or comment lines follow");

    r = check("system=1\r\n\r\nawsdelay=2000\r\n");  // CR LF: a blank line holds a CR and is passed over
    EXPECT_EQ(r.warnings, 0) << r.report;
    EXPECT_EQ(about(r, 1), "system = 1\n");
    EXPECT_EQ(about(r, 3), "awsdelay = 2000\n");
}

TEST_F(CfgCheck, LongLinesAreCutWhereThePluginCutsThem) {
    // 1500 characters: 1022 read as one line, the rest as a line of its own.
    CheckResult r = check("awsdelay=" + std::string(1491, '1') + "\nsystem=2\n");
    EXPECT_HAS(about(r, 1), "line over 1022 characters");
    EXPECT_HAS(about(r, 1), "(continued");
    EXPECT_HAS(about(r, 2), "system = 2");
    // Exactly 1022: the line end left over reads as an empty line and ends the reading.
    r = check("dropsound=" + std::string(1012, '2') + "\nsystem=2\n");
    EXPECT_EQ(about(r, 1).find("line over"), std::string::npos) << r.report;
    EXPECT_HAS(about(r, 2), "exactly 1022 characters long");
    EXPECT_HAS(about(r, 2), "(1 setting: system)");
}

TEST_F(CfgCheck, SlotRangesAndSharedKeys) {
    const CheckResult r = check(
        "awsindicator=256\n"            // 1 panel out of range
        "awsacknowledgekey=0,-5\n"      // 2 its 2nd value is a panel slot
        "tpwsindicator=3,5000\n"        // 3 a flash period, not a slot
        "customindicators=4,300,5,6\n"  // 4 pairs of key and panel
        "vigilancekey=0\n"              // 5 shares key 0 with the AWS and TPWS
        "dropstartindex=250\n"          // 6
        "numberofdrops=10\n"            // 7 drops beyond 255
        "awswarningsound=-1\n");        // 8 not configured: fine
    EXPECT_HAS(about(r, 1), "panel index 256 (value 1 of awsindicator) is outside 0..255");
    EXPECT_HAS(about(r, 2), "panel index -5 (value 2 of awsacknowledgekey)");
    EXPECT_EQ(about(r, 3), "tpwsindicator = 3, 5000\n");
    EXPECT_HAS(about(r, 4), "panel index 300 (value 2 of customindicators)");
    EXPECT_EQ(warningsIn(about(r, 4)), 1);
    EXPECT_HAS(about(r, 7), "panel slots 250..259");
    EXPECT_EQ(about(r, 8), "awswarningsound = -1\n");
    EXPECT_HAS(r.report, "info: key number 0 serves 3 roles, all acting on one press: awsacknowledgekey on line 2, "
                         "tpwsresetkey by default, vigilancekey on line 5");
    // The pairs make 4 and 5 keys (meeting the gear and wiper keys' defaults), 6 a slot.
    EXPECT_HAS(r.report, "info: key number 4 serves 2 roles, all acting on one press: geardownkey by default, "
                         "customindicators on line 4");
    EXPECT_HAS(r.report, "info: key number 5 serves 3 roles");
    EXPECT_EQ(r.report.find("key number 6 serves"), std::string::npos);
    EXPECT_EQ(r.warnings, 4);
    EXPECT_EQ(r.infos, 3);
}

TEST_F(CfgCheck, ZeroBytesAndEmptyFiles) {
    CheckResult r = check(std::string("a\0b=1\n", 6) + "system=1");
    EXPECT_HAS(about(r, 1), "zero byte");
    EXPECT_HAS(about(r, 1), "holds no '='");  // the reader never sees the '=' behind the zero
    EXPECT_EQ(about(r, 2), "system = 1\n");
    r = check("");
    EXPECT_EQ(r.warnings, 0);
    EXPECT_HAS(about(r, 1), "info: the file is empty");
}

TEST_F(CfgCheck, SettingsOfSwitchedOffSubsystems) {
    CheckResult r = check("system=3\nawsdelay=2000\ntpwsstopdelay=30\nawswarningsound=4\nregulatorpressureuse=40\n"
                          "cutoffmax=70\nvigilancelamp=3\n");
    EXPECT_HAS(r.report, "t.cfg: info: awsdelay set, but the AWS is off (system is 3, needs 1 or 2)");
    EXPECT_EQ(r.report.find("the TPWS is off"), std::string::npos);  // system 3 keeps the train stops
    EXPECT_EQ(r.report.find("awswarningsound set"), std::string::npos);  // the start-up test sounds it
    EXPECT_HAS(r.report, "info: regulatorpressureuse set, but the steam model is off (traction is 0, needs 1)");
    EXPECT_EQ(r.report.find("cutoffmax set"), std::string::npos);  // the cut-off keys read it in any model
    EXPECT_HAS(r.report, "info: vigilancelamp set, but the vigilance device is off");
    EXPECT_EQ(r.warnings, 0);
    r = check("traction=1\nregulatorpressureuse=40\nvigilance=1\nvigilancelamp=3\n");
    EXPECT_EQ(r.infos, 0) << r.report;
}

TEST(CfgTool, ExitStatusAndCommands) {
    const std::string folder = FreshFolder("cfgtool");
    WriteFile(folder + "/clean.cfg", "system=1\nawsdelay=2000\n");
    WriteFile(folder + "/trap.cfg", "awsdelay=1, 2\n");
    const std::string tool = Quoted(FOOTPLATE_CFG);
    std::string out;
    EXPECT_EQ(RunCommand(tool + " check --strict " + Quoted(folder + "/clean.cfg"), out), 0);
    EXPECT_EQ(RunCommand(tool + " check " + Quoted(folder + "/trap.cfg"), out), 0);
    EXPECT_HAS(out, "warning:");
    EXPECT_EQ(RunCommand(tool + " check --strict " + Quoted(folder + "/trap.cfg"), out), 1);
    EXPECT_EQ(RunCommand(tool + " check " + Quoted(folder + "/missing.cfg") + " 2>&1", out), 2);
    EXPECT_HAS(out, "cannot read");
    EXPECT_EQ(RunCommand(tool + " check " + Quoted(folder) + " 2>&1", out), 2);  // a folder is no file
    EXPECT_EQ(RunCommand(tool + " check 2>/dev/null", out), 2);
    EXPECT_EQ(RunCommand(tool + " frobnicate 2>/dev/null", out), 2);

    EXPECT_EQ(RunCommand(tool + " explain awsdelay=", out), 0);
    EXPECT_HAS(out, "awsdelay (AWS, key 6 of 125)");
    EXPECT_HAS(out, "default: 3000");
    EXPECT_HAS(out, "unit:    ms");
    EXPECT_EQ(RunCommand(tool + " explain cabmode", out), 0);
    EXPECT_HAS(out, "read from the dictionary");
    EXPECT_EQ(RunCommand(tool + " explain AwsDelay 2>&1", out), 2);
    EXPECT_HAS(out, "did you mean \"awsdelay\"?");

    EXPECT_EQ(RunCommand(tool + " defaults", out), 0);
    EXPECT_EQ(out, DefaultConfiguration());
}

// The defaults text is a configuration the plugin reads back as the defaults themselves.
TEST(CfgTool, DefaultConfigurationReadsAsEveryDefault) {
    const std::string text = DefaultConfiguration();
    EXPECT_EQ(text.find("\n\n"), std::string::npos);  // an empty line would end the reading
    const std::string path = FreshFolder("defaults") + "/footplate.cfg";
    WriteFile(path, text);
    const CheckResult r = CheckConfigFile(path, "footplate.cfg");
    EXPECT_EQ(r.warnings, 0) << r.report;
    EXPECT_HAS(r.report, "125 keys set, 0 other lines");

    ScrapConfig();
    SetDefaults();
    for (int i = 0; i < opt::count; ++i) gOpts[i].value = 12345;  // so an unread key shows
    platform::File* file = platform::OpenForReading(path.c_str());
    ASSERT_NE(file, nullptr);
    ConfigReader reader{file, {}, 0, 0};
    std::vector<char> buffer(kConfigLineSize + 1);
    int lines = 0;
    ReadConfigLines(reader, buffer.data(), [](void* n, const ConfigLine&) { ++*static_cast<int*>(n); }, &lines);
    platform::Close(file);
    EXPECT_GT(lines, 125);
    for (int i = 0; i < opt::count; ++i) {
        EXPECT_EQ(gOpts[i].value, KeyDefault(i)) << KeyText(i);
        EXPECT_EQ(gOpts[i].next, nullptr) << KeyText(i);
    }
    ScrapConfig();
    SetDefaults();
}

TEST(CfgTool, KeyTableCoversThePluginsKeysInOrder) {
    ASSERT_EQ(KeyInfoCount(), opt::count);
    std::map<std::string, int> perGroup;
    for (int i = 0; i < opt::count; ++i) {
        const KeyInfo& about = KeyInfos()[i];
        EXPECT_EQ(std::string(about.name) + "=", KeyText(i));
        EXPECT_GT(std::strlen(about.meaning), 10u) << about.name;
        bool known = false;
        for (int g = 0; g < KeyGroupCount(); ++g) known = known || std::strcmp(KeyGroups()[g], about.group) == 0;
        EXPECT_TRUE(known) << about.name;
        ++perGroup[about.group];
        const std::string unit = about.unit;
        const char first = ValueRole(about, 0);
        if (unit == "panel slot") {
            EXPECT_EQ(first, 'P') << about.name;
        }
        if (unit == "sound slot") {
            EXPECT_EQ(first, 'S') << about.name;
        }
        if (unit == "key number") {
            EXPECT_EQ(first, 'K') << about.name;
        }
        EXPECT_EQ(std::string(about.pattern).find_first_not_of("PSKN*"), std::string::npos) << about.name;
    }
    EXPECT_EQ(static_cast<int>(perGroup.size()), KeyGroupCount());  // no empty section
    const KeyInfo& pairs = KeyInfos()[opt::customindicators];
    EXPECT_EQ(ValueRole(pairs, 0), 'K');
    EXPECT_EQ(ValueRole(pairs, 5), 'P');
    EXPECT_EQ(ValueRole(KeyInfos()[opt::klaxonindicator], 2), 'N');
    EXPECT_EQ(ValueRole(KeyInfos()[opt::klaxonindicator], 7), 'N');
}

// The generated part of a document, between its markers; npos-safe.
std::string generatedPart(const std::string& document, const std::string& begin, const std::string& end) {
    const std::string text = ReadWhole(std::string(FOOTPLATE_SOURCE_DIR) + "/docs/" + document);
    const size_t from = text.find(begin + "\n");
    const size_t to = text.find(end);
    if (from == std::string::npos || to == std::string::npos || to < from) return "(markers missing)";
    return text.substr(from + begin.size() + 1, to - from - begin.size() - 1);
}

TEST(CfgTool, DocumentsCarryTheGeneratedKeyTables) {
    EXPECT_EQ(generatedPart("configuration.md",
                            "<!-- key reference: generated by footplate-cfg markdown; scripts/update-docs -->",
                            "<!-- end of key reference -->"),
              KeyReferenceMarkdown())
        << "docs/configuration.md is out of date: run scripts/update-docs";
    const std::string keys = generatedPart(
        "keys.md", "<!-- key numbers: generated by footplate-cfg markdown keys; scripts/update-docs -->",
        "<!-- end of key numbers -->");
    EXPECT_EQ(keys, KeyNumberMarkdown()) << "docs/keys.md is out of date: run scripts/update-docs";
    // Every key whose values hold a key number is in the key table.
    for (int i = 0; i < opt::count; ++i) {
        if (std::strchr(KeyInfos()[i].pattern, 'K') != nullptr) {
            EXPECT_NE(keys.find(std::string("`") + KeyInfos()[i].name + "`"), std::string::npos) << KeyInfos()[i].name;
        }
    }
    EXPECT_NE(keys.find("| 0 | `awsacknowledgekey` |"), std::string::npos);
    EXPECT_LT(keys.find("| 6 | `cutoffdecreasekey`"), keys.find("| none |"));
}

// The tool reads with the plugin's own reader: where it says reading stops, the real
// plugin stops too.
class CfgAgreesWithPlugin : public PluginTest {};

TEST_F(CfgAgreesWithPlugin, EmptyLineAndRepeatedKey) {
    const std::string config = "reverserindex=7\nreverserindex=8 \n\nreverserindex=9\n";
    const std::string path = FreshFolder("agree") + "/t.cfg";
    WriteFile(path, config);
    const CheckResult r = CheckConfigFile(path, "t.cfg");
    EXPECT_HAS(r.report, "t.cfg:2: reverserindex = 8, 0");
    EXPECT_HAS(r.report, "t.cfg:3: warning: reading stops at this empty line");

    Start(config);
    api().SetReverser(1);
    Frame(100);
    EXPECT_EQ(panel[8], 1);
    EXPECT_EQ(panel[7], 0);
    EXPECT_EQ(panel[9], 0);
}

}  // namespace
