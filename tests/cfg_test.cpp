// footplate-cfg: what it tells an author about a file must be what the plugin reads,
// every trap of the format must be pointed out, and its key descriptions must cover the
// plugin's key table exactly.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "cfgcheck.h"
#include "command.h"
#include "config/confload.h"
#include "keyinfo.h"
#include "plugin_fixture.h"

namespace {

CheckResult check(const std::string& text) {
    const std::string path = FreshFolder("cfg") + "/t.cfg";
    WriteFile(path, text);
    return CheckConfigFile(path, "t.cfg");
}

// Every message about one line of the file.
std::string about(const CheckResult& r, int line) {
    std::istringstream lines(r.report);
    std::string out;
    const std::string prefix = "t.cfg:" + std::to_string(line) + ": ";
    for (std::string l; std::getline(lines, l);) {
        if (l.rfind(prefix, 0) == 0) out += l.substr(prefix.size()) + "\n";
    }
    return out;
}

int warningsIn(const std::string& text) {
    int n = 0;
    for (size_t at = text.find("warning: "); at != std::string::npos; at = text.find("warning: ", at + 1)) ++n;
    return n;
}

#define EXPECT_HAS(text, part) EXPECT_NE((text).find(part), std::string::npos) << (text)

// One file, one line per trap. With no second part, the line's whole report is the first.
TEST(CfgCheck, EveryTrapOfTheValueFormatAndOfKeys) {
    const struct {
        const char* line;
        const char* says;
        const char* also;
    } lines[] = {
        {"; a comment", "", nullptr},
        {"awsdelay=5000", "awsdelay = 5000\n", nullptr},
        {"tpwsindicator=1, 2", "tpwsindicator = 1, 0, 2", "a comma and a space"},
        {"awsminspeed=20 ", "awsminspeed = 20, 0", "a space after the last value adds a value 0"},
        {"overspeed=120kmh", "overspeed = 120", "cut short by 'k'"},
        {"safespeed=+5", "value 1 has no digits and reads as 0", "without '+'"},
        {"warningspeed=", "warningspeed = 0", "reads as 0, not as its default"},
        {"vigilancedelay1=abc", "vigilancedelay1 = 0", "no digits and reads as 0"},
        {"vigilancedelay2=1-2", "vigilancedelay2 = -12", "negative as a whole"},
        {"vigilanceinterval=30000 ; s", "vigilanceinterval = 30000, 0", "a comment cannot follow the values"},
        {"wiperrate=99999999999", "wiperrate = 1215752191", "too large for the plugin and wraps"},
        {"wiperdelay=1,,2", "wiperdelay = 1, 0, 2", "value 2 has no digits"},
        {"wipersound=5-", "wipersound = 5\n", nullptr},  // a '-' no digit follows: harmless
        {"AWSDelay=3000", "did you mean \"awsdelay\"? (keys are written in lower case)", ""},
        {"awsdelay =3000", "unknown key \"awsdelay \"", "no blank may stand before the key or its '='"},
        {" awsdelay=3000", "no blank may stand", ""},
        {"awsdelya=3000", "did you mean \"awsdelay\"?", ""},
        {"trainname=12", "\"trainname\" is not a key the plugin knows; it is kept but never used\n", ""},
        {"awsdelay 3000", "line ignored: it holds no '='; did you mean \"awsdelay=...\"?", ""},
        {"# awsdelay=1", "(comments start with ';')", ""},
        {"=5", "begins with '='", ""},
        {"system=1", "system = 1\n", nullptr},
        {"system=2", "system is given again (before on line 22)", ""},
        {"cabmode=7,30,31", "cabmode (read by the cab from the dictionary) = 7, 30, 31\n", nullptr},
        {"cabmode=8", "the plugin reads only the first", ""},  // the cab reads the first
        {" ; indented=1", "a comment needs ';' as the very first character", ""},
        {"awsindicator=256", "panel index 256 (value 1 of awsindicator) is outside 0..255", ""},
        {"awsacknowledgekey=0,-5", "panel index -5 (value 2 of awsacknowledgekey)", ""},
        {"tpwsindicator2=3,5000", "tpwsindicator2 = 3, 5000\n", nullptr},  // a flash period, not a slot
        {"customindicators=4,300,5,6", "panel index 300 (value 2 of customindicators)", ""},  // key, panel pairs
        {"vigilancekey=0", "vigilancekey = 0\n", nullptr},
        {"dropstartindex=250", "dropstartindex = 250\n", nullptr},
        {"numberofdrops=10", "panel slots 250..259", ""},
        {"awswarningsound=-1", "awswarningsound = -1\n", nullptr},  // not configured: fine
        {"tpwsindicator3=255", "tpwsindicator3 = 255\n", nullptr},  // the last slot
    };
    std::string text;
    for (const auto& l : lines) text += std::string(l.line) + "\n";
    const CheckResult r = check(text);
    int warned = 0;
    for (int i = 0; i < static_cast<int>(std::size(lines)); ++i) {
        SCOPED_TRACE(lines[i].line);
        const std::string said = about(r, i + 1);
        if (lines[i].also == nullptr) {
            EXPECT_EQ(said, lines[i].says);
            continue;
        }
        EXPECT_HAS(said, lines[i].says);
        EXPECT_HAS(said, lines[i].also);
        warned += warningsIn(said) > 0 ? 1 : 0;
    }
    EXPECT_EQ(warned, 25);
    EXPECT_EQ(warningsIn(about(r, 3)), 1);
    EXPECT_EQ(warningsIn(about(r, 30)), 1);
    EXPECT_EQ(r.warnings, warningsIn(r.report));
    EXPECT_EQ(r.warnings, 28);
    EXPECT_HAS(r.report, "t.cfg: 22 keys set, 8 other lines kept in the dictionary");
    EXPECT_HAS(r.report, "info: key number 0 serves 3 roles, all acting on one press: awsacknowledgekey on line 28, "
                         "tpwsresetkey by default, vigilancekey on line 31");
    // The pairs make 4 and 5 keys (meeting the gear and wiper keys' defaults), 6 a slot.
    EXPECT_HAS(r.report, "info: key number 4 serves 2 roles, all acting on one press: geardownkey by default, "
                         "customindicators on line 30");
    EXPECT_HAS(r.report, "info: key number 5 serves 3 roles");
    EXPECT_EQ(r.report.find("key number 6 serves"), std::string::npos);
}

// Where the plugin's reading of lines ends or splits them: empty lines, long lines, zero bytes.
TEST(CfgCheck, ReadingStopsAndCutsWhereThePluginsDoes) {
    const std::string lf = "system=1\n\nawsdelay=2000\n;x\nvigilance=1\n";
    const std::string over = "awsdelay=" + std::string(1491, '1') + "\nsystem=2\n";  // 1500 characters
    const std::string exact = "dropsound=" + std::string(1012, '2') + "\nsystem=2\n";  // exactly 1022
    const std::string zero("a\0b=1\nsystem=1", 14);
    const struct {
        std::string text;
        int line;
        const char* says;
        const char* also;
        int warnings;  // -1: not counted here
    } cases[] = {
        {lf, 2, "warning: reading stops at this empty line", "(2 settings: awsdelay, vigilance)", 1},
        {"system=1\n;end\n\n\n", 3, "info: reading stops at this empty line; only blank or comment lines follow", "",
         0},
        {"system=1\r\n\r\nawsdelay=2000\r\n", 3, "awsdelay = 2000", "", 0},  // a CR LF blank line holds a CR
        {over, 1, "line over 1022 characters", "(continued", -1},
        {over, 2, "system = 2", "", -1},
        // The line end left over reads as an empty line.
        {exact, 2, "exactly 1022 characters long", "(1 setting: system)", -1},
        {zero, 1, "zero byte", "holds no '='", -1},  // the '=' behind the zero is never seen
        {zero, 2, "system = 1", "", -1},
        {"", 1, "info: the file is empty", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        const CheckResult r = check(c.text);
        EXPECT_HAS(about(r, c.line), c.says);
        EXPECT_HAS(about(r, c.line), c.also);
        if (c.warnings >= 0) {
            EXPECT_EQ(r.warnings, c.warnings) << r.report;
        }
    }
    EXPECT_EQ(about(check(lf), 3), "");  // never read, so not explained as read
    EXPECT_EQ(about(check(exact), 1).find("line over"), std::string::npos);
}

TEST(CfgCheck, SettingsOfSwitchedOffSubsystems) {
    CheckResult r = check("system=3\nawsdelay=2000\ntpwsstopdelay=30\nawswarningsound=4\nregulatorpressureuse=40\n"
                          "cutoffmax=70\nvigilancelamp=3\n");
    EXPECT_HAS(r.report, "t.cfg: info: awsdelay set, but the AWS is off (system is 3, needs 1 or 2)");
    EXPECT_EQ(r.report.find("the TPWS is off"), std::string::npos);      // system 3 keeps the train stops
    EXPECT_EQ(r.report.find("awswarningsound set"), std::string::npos);  // the start-up test sounds it
    EXPECT_HAS(r.report, "info: regulatorpressureuse set, but the steam model is off (traction is 0, needs 1)");
    EXPECT_EQ(r.report.find("cutoffmax set"), std::string::npos);  // the cut-off keys read it in any model
    EXPECT_HAS(r.report, "info: vigilancelamp set, but the vigilance device is off");
    EXPECT_EQ(r.warnings, 0);
    r = check("traction=1\nregulatorpressureuse=40\nvigilance=1\nvigilancelamp=3\n");
    EXPECT_EQ(r.infos, 0) << r.report;
}

// The slots a cab shows: named once by the first key, drops as runs, nothing out of range.
TEST(CfgCheck, SlotsTheConfigurationUses) {
    const CheckResult r = check("awsindicator=10\nvigilancelamp=10\nawsacknowledgekey=0,11\ncustomindicators=5,12,6\n"
                                "tachometer=300\nawswarningsound=1\nnumberofdrops=2\ndropstartindex=254\n"
                                "dropsound=20,2\ncabmode=9,13,14\n");
    std::string slots;
    for (const ConfigSlot& s : r.slots) slots += (s.sound ? "S" : "P") + std::to_string(s.index) + " " + s.key + "\n";
    EXPECT_EQ(slots, "P10 awsindicator\nP11 awsacknowledgekey\nP12 customindicators\nP13 cabmode\nP14 cabmode\n"
                     "P254 dropstartindex\nP255 dropstartindex\nS1 awswarningsound\nS20 dropsound\nS21 dropsound\n");
    EXPECT_TRUE(check("dropstartindex=0\n").slots.empty());  // no drops, no slot
}

TEST(CfgTool, ExitStatusAndCommands) {
    const std::string folder = FreshFolder("cfgtool");
    WriteFile(folder + "/clean.cfg", "system=1\nawsdelay=2000\n");
    WriteFile(folder + "/trap.cfg", "awsdelay=1, 2\n");
    const struct {
        std::string args;
        int status;
        const char* says;
    } cases[] = {
        {"check --strict " + Quoted(folder + "/clean.cfg"), 0, ""},
        {"check " + Quoted(folder + "/trap.cfg"), 0, "warning:"},
        {"check --strict " + Quoted(folder + "/trap.cfg"), 1, "warning:"},
        {"check " + Quoted(folder + "/missing.cfg"), 2, "cannot read"},
        {"check " + Quoted(folder), 2, ""},  // a folder is no file
        {"check", 2, ""},
        {"frobnicate", 2, ""},
        {"explain awsdelay=", 0, "awsdelay (AWS, key 6 of 125)"},
        {"explain awsdelay", 0, "default: 3000"},
        {"explain awsdelay", 0, "unit:    ms"},
        {"explain cabmode", 0, "read from the dictionary"},
        {"explain AwsDelay", 2, "did you mean \"awsdelay\"?"},
    };
    std::string out;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        EXPECT_EQ(RunCommand(Quoted(FOOTPLATE_CFG) + " " + c.args + " 2>&1", out), c.status);
        EXPECT_HAS(out, c.says);
    }
    EXPECT_EQ(RunCommand(Quoted(FOOTPLATE_CFG) + " defaults", out), 0);
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

    for (int i = 0; i < opt::count; ++i) {
        EXPECT_HAS(r.report, ": " + std::string(KeyInfos()[i].name) + " = " + std::to_string(KeyDefault(i)) + "\n");
    }
}

TEST(CfgTool, KeyTableCoversThePluginsKeysInOrder) {
    ASSERT_EQ(KeyInfoCount(), opt::count);
    const std::pair<std::string, char> roleOfUnit[] = {{"panel slot", 'P'}, {"sound slot", 'S'}, {"key number", 'K'}};
    for (int i = 0; i < opt::count; ++i) {
        const KeyInfo& key = KeyInfos()[i];
        EXPECT_EQ(std::string(key.name) + "=", KeyText(i));
        EXPECT_EQ(std::string(key.pattern).find_first_not_of("PSKN*"), std::string::npos) << key.name;
        for (const auto& [unit, role] : roleOfUnit) {
            if (unit == key.unit) {
                EXPECT_EQ(ValueRole(key, 0), role) << key.name;
            }
        }
    }
    EXPECT_EQ(ValueRole(KeyInfos()[opt::customindicators], 5), 'P');  // the pattern repeats
}

// The generated part of a document, between its markers.
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
    EXPECT_LT(keys.find("| 6 | `cutoffdecreasekey`"), keys.find("| none |"));
}

// The tool reads with the plugin's own reader: where it says reading stops, the real
// plugin stops too.
class CfgAgreesWithPlugin : public PluginTest {};

TEST_F(CfgAgreesWithPlugin, EmptyLineAndRepeatedKey) {
    const std::string config = "reverserindex=7\nreverserindex=8 \n\nreverserindex=9\n";
    const CheckResult r = check(config);
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
