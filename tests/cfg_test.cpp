// footplate-cfg: what it tells an author about a file must be what the plugin reads, every
// trap of the format and every value outside a key's documented range must be pointed out,
// and its key descriptions must cover the plugin's key table exactly.
#include <gmock/gmock.h>

#include <filesystem>
#include <regex>
#include <tuple>

#include "cfgcheck.h"
#include "command.h"
#include "config/confload.h"
#include "keyinfo.h"
#include "plugin_fixture.h"

namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Matcher;
using ::testing::Not;

CheckResult check(const std::string& text) {
    static const std::string path = FreshFolder("cfg") + "/t.cfg";  // one file, written anew for each
    WriteFile(path, text);
    return CheckConfigFile(path, "t.cfg");
}

// Every message about one line of the file.
std::string about(const CheckResult& r, int line) {
    const std::regex said("(^|\\n)t\\.cfg:" + std::to_string(line) + ": ([^\\n]*)");
    std::string out;
    for (std::sregex_iterator m(r.report.begin(), r.report.end(), said), end; m != end; ++m) out += (*m)[2].str() + "\n";
    return out;
}

// One file, one line per trap (those of the documentation's table are run from there): what
// check says about it, all of it when that ends in a line end.
TEST(CfgCheck, EveryTrapOfTheValueFormatAndOfKeys) {
    const std::pair<const char*, const char*> lines[] = {
        {"; a comment", ""},
        {"awsdelay=5000", "awsdelay = 5000\n"},
        {"tpwsindicator=1, 2, 3", "a comma and a space) makes two separators: an extra value 0 stands between them "
                                  "(values 2 and 4)"},
        {"vigilancedelay2=1-2,3-4", "vigilancedelay2 = -12, -34\nwarning: a '-' after digits makes values 1 and 2"},
        {"wiperrate=99999999999", "wiperrate = 1215752191\nwarning: value 1 is too large for the plugin and wraps"},
        {"wiperdelay=1,,2", "wiperdelay = 1, 0, 2\nwarning: value 2 has no digits"},
        {"wipersound=5-", "wipersound = 5\n"},  // a '-' no digit follows: harmless
        {"AWSDelay=3000", "did you mean \"awsdelay\"? (keys are written in lower case)"},
        {"awsdelya=3000", "did you mean \"awsdelay\"?"},
        {"trainname=12", "unknown key \"trainname\" kept in the dictionary = 12\nwarning: \"trainname\" is not a "
                         "key the plugin knows; it is kept but never used\n"},
        {"awsdelay 3000", "line ignored: it holds no '='; did you mean \"awsdelay=...\"?"},
        {"=5", "begins with '='"},
        {"system=1", "system = 1\n"},
        {"system=2", "system is given again (before on line 13)"},
        {"cabmode=7,30,31", "cabmode (read by the cab from the dictionary) = 7, 30, 31\n"},
        {"cabmode=8", "the plugin reads only the first"},  // the cab reads the first
        {" ; indented=1", "a comment needs ';' as the very first character"},
        {"awsacknowledgekey=0,-5", "value 2 of awsacknowledgekey is -5, a panel slot outside 0..255: the plugin never"},
        {"tpwsindicator2=3,5000", "tpwsindicator2 = 3, 5000\n"},  // a flash period, not a slot
        {"customindicators=4,300,5,6", "value 2 of customindicators is 300"},  // key, panel pairs
        {"klaxonindicator=3,-5", "value 2 of klaxonindicator is -5, outside its documented range (2nd, 3rd: 0 or"},
        {"overheat=5,-9", "overheat = 5, -9\n"},  // a number the key does not take is never read
        {"dropstartindex=250", "dropstartindex = 250\n"},
        {"numberofdrops=10", "panel slots 250..259"},
        {"awswarningsound=-1", "awswarningsound = -1\n"},  // not configured: fine
        {"tpwsindicator3=255", "tpwsindicator3 = 255\n"},  // the last slot
        {"\xc3\xbc\x01\x7f\xff\xc2\x85=1", "unknown key \"\xc3\xbc\\x01\\x7f\\xff\\xc2\\x85\" kept"},  // ü, no control
        {"tpwsstopdelay=5\x1b[31m", "cut short by '\\x1b': \"\\x1b[31m\" is ignored"},
    };
    std::string text;
    for (const auto& [line, says] : lines) text += std::string(line) + "\n";
    const CheckResult r = check(text);
    for (int i = 0; i < static_cast<int>(std::size(lines)); ++i) {
        const std::string says = lines[i].second;
        const Matcher<std::string> whole(says), part(HasSubstr(says));
        EXPECT_THAT(about(r, i + 1), says.empty() || says.back() == '\n' ? whole : part)
            << ::testing::PrintToString(std::string(lines[i].first));  // escaped, as the tool does
    }
    EXPECT_THAT(r.report, HasSubstr("t.cfg: 17 keys set, 6 other lines kept in the dictionary, 19 warnings"));
}

// The key table covers the plugin's keys in order, and every documented range is checked
// at and beyond both ends, one line each.
TEST(CfgCheck, KeyTableCoversThePluginsKeysAndWarnsOutsideEveryRange) {
    ASSERT_EQ(KeyInfoCount(), opt::count);
    EXPECT_EQ(ValueRole(KeyInfos()[opt::customindicators], 5), 'P');  // the pattern repeats
    int lines = 0;
    for (int k = 0; k < KeyInfoCount(); ++k) {
        const KeyInfo& key = KeyInfos()[k];
        EXPECT_EQ(std::string(key.name) + "=", KeyText(k));
        EXPECT_EQ(std::string(key.pattern).find_first_not_of("PSKN*"), std::string::npos) << key.name;
        const size_t plain = std::string(key.pattern).find('N');
        if (plain == std::string::npos) continue;
        const int64_t low = key.range.low, high = key.range.high;
        for (const int64_t value : {low - 1, low, high, high + 1}) {
            if (value < kLeast || value > kMost) continue;
            std::string line = std::string(key.name) + "=";
            for (size_t before = 0; before < plain; ++before) line += "0,";  // the slot or key before it
            const std::string said = check(line + std::to_string(value) + "\n").report;
            EXPECT_EQ(said.find("outside its documented range") != std::string::npos, value < low || value > high)
                << said;
            ++lines;
        }
    }
    EXPECT_GT(lines, 100);
}

// Where the plugin's reading of lines ends or splits them: empty lines, long lines, zero
// bytes. The checker reads on and names, with their lines, the settings the plugin ignores.
TEST(CfgCheck, ReadingStopsAndCutsWhereThePluginsDoes) {
    const std::string over = "awsdelay=" + std::string(1491, '1') + "\nsystem=2\n";  // 1500 characters
    const std::string exact = "dropsound=" + std::string(1012, '2') + "\nsystem=2\n";  // exactly 1022
    const std::string zero("a\0b=1\nsystem=1", 14);
    const std::tuple<std::string, int, const char*, const char*> cases[] = {  // text, line, what is said of it
        {"system=1\n\nawsdelay=2000\n;x\n\nx=" + std::string(1500, '1') + "\nvigilance=1\n", 2,
         "warning: reading stops at this empty line; the plugin ignores the settings below it: awsdelay (line 3), "
         "x (line 6), vigilance (line 7)\n", ""},
        {"system=1\n;end\n\n\n", 3, "info: reading stops at this empty line; only blank or comment lines follow", ""},
        {"system=1\r\n\r\nawsdelay=2000\r\n", 3, "awsdelay = 2000", ""},  // a CR LF blank line holds a CR
        {over, 1, "line over 1022 characters", "(continued"},
        {over, 2, "system = 2", ""},
        // The line end left over reads as an empty line.
        {exact, 2, "exactly 1022 characters long", "the settings below it: system (line 2)"},
        {zero, 1, "zero byte", "holds no '='"},  // the '=' behind the zero is never seen
        {zero, 2, "system = 1", ""},
        {"", 1, "info: the file is empty", ""},
    };
    for (const auto& [text, line, says, also] : cases) {
        EXPECT_THAT(about(check(text), line), AllOf(HasSubstr(says), HasSubstr(also))) << says;
    }
    const CheckResult below = check(std::get<0>(cases[0]));
    EXPECT_EQ(below.warnings, 1);  // the settings below, as one warning
    EXPECT_EQ(about(below, 3), "");  // never read, so not explained as read
    EXPECT_THAT(about(check(exact), 1), Not(HasSubstr("line over")));
}

// Settings and keys of a subsystem the file leaves off: told once, and no key-role notes.
TEST(CfgCheck, SwitchedOffSubsystemsAndSharedKeys) {
    const CheckResult r = check("system=3\nawsdelay=2000\ntpwsstopdelay=30\nawswarningsound=4\nregulatorpressureuse=40\n"
                          "cutoffmax=70\nvigilancelamp=3\npzb90=1\npzb90key=4\ncutoffincreasekey=2\n");
    EXPECT_THAT(r.report, AllOf(HasSubstr("t.cfg: info: awsdelay set, but the AWS is off (system is 3, needs 1 or 2)"),
                                HasSubstr("info: regulatorpressureuse set, but the steam model is off (traction is 0,"),
                                HasSubstr("info: vigilancelamp set, but the vigilance device is off"),
                                Not(HasSubstr("the TPWS is off")),  // system 3 keeps the train stops
                                Not(HasSubstr("serves"))));  // no gear key 4, cut-off key 2 or vigilance key 2 is live
    EXPECT_THAT(check("traction=2\nvigilance=1\npzb90=1\npzb90key=4\nawsacknowledgekey=2\n").report,
                AllOf(HasSubstr("info: key number 4 serves 2 roles, all acting on one press: geardownkey by default, "
                                "pzb90key on line 4\n"),
                      Not(HasSubstr("key number 2 serves"))));  // the AWS is off ...
    EXPECT_THAT(check("startuptest=1\nvigilance=1\nawsacknowledgekey=2\n").report,
                HasSubstr("key number 2 serves 2"));  // ... but not its start-up test
    EXPECT_EQ(check("traction=1\nregulatorpressureuse=40\nvigilance=1\nvigilancelamp=3\n").infos, 0);
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

TEST(CfgTool, CommandLineAndExitStatus) {
    const std::filesystem::path folder = FreshFolder("cfgtool");  // its files' paths in the system's own spelling
    const std::string trapPath = (folder / "trap.cfg").string(), missing = (folder / "missing.cfg").string();
    WriteFile((folder / "clean.cfg").string(), "system=1\nawsdelay=2000\n");
    WriteFile(trapPath, "tpwsindicator=1, 2\nnumberofdrops=300\npzb90key=4\n\nsystem=1\n");
    const std::string clean = Quoted((folder / "clean.cfg").string()), trap = Quoted(trapPath);
    const std::tuple<std::string, int, std::string> cases[] = {  // arguments, exit status, what it prints
        {"check --strict " + clean, 0, "clean.cfg: 2 keys set"},
        {"check " + trap, 0, "trap.cfg:2: warning: numberofdrops is 300, outside its documented range (0 to 256)\n"},
        {"check --strict " + trap, 1, "trap.cfg:4: warning: reading stops at this empty line; the plugin ignores the "
                                      "settings below it: system (line 5)\n" + trapPath + ": 3 keys"},  // no note
        {"check --strict " + clean + " - < " + trap, 1, "<stdin>:1: tpwsindicator = 1, 0, 2\n"},  // several, and stdin
        {"check " + Quoted(missing), 2, "cannot read " + missing + ": No such file or directory"},
        {"check " + Quoted(missing) + " " + clean, 2, "clean.cfg: 2 keys set"},  // and goes on
        {"check " + Quoted(folder.string()), 2, "cannot read " + folder.string() + ": " + kIsAFolder},
        {"check -- --strict", 2, "cannot read --strict: No such file"},  // "--" ends the options
        {"check", 2, "footplate-cfg: check needs a file ('-' for standard input)\nusage:"},
        {"check --bogus " + clean, 2, "footplate-cfg: unknown option '--bogus' for check\nusage:"},
        {"frobnicate", 2, "footplate-cfg: unknown command 'frobnicate'\nusage:"},
        {"--version", 0, "footplate-cfg " FOOTPLATE_VERSION "\n"},
        {"explain awsdelay=", 0, "(AWS, key 6 of 125)\n  default: 3000\n  unit:    ms\n  range:   0 or more\n"},
        {"explain cabmode", 0, "read from the dictionary"},
        {"explain AwsDelay", 2, "did you mean \"awsdelay\"?"},
        {"explain aws\x01", 2, "no key \"aws\\x01\""},
        {"defaults", 0, DefaultConfiguration()},
    };
    for (const auto& [args, status, says] : cases) {
        std::string out, err;
        EXPECT_EQ(RunCommand(Program(FOOTPLATE_CFG) + " " + args, out, err), status) << args;
        EXPECT_THAT(out + err, HasSubstr(says)) << args;
    }
}

// The defaults text, and the commented example shipped with the release once every key in
// it is uncommented, are configurations the plugin reads back as the defaults themselves.
TEST(CfgTool, DefaultConfigurationsReadAsEveryDefault) {
    const std::string shipped = ReadWhole(std::string(FOOTPLATE_SOURCE_DIR) + "/packaging/footplate.cfg");
    const std::string uncommented = std::regex_replace(shipped, std::regex("\n;([a-z0-9]+=)"), "\n$1");
    EXPECT_THAT(check(shipped).report, HasSubstr(" 0 keys set, 0 other lines kept in the dictionary, 0 warnings"));
    for (const std::string& text : {DefaultConfiguration(), uncommented}) {
        const CheckResult r = check(text);
        EXPECT_EQ(r.warnings, 0) << r.report;  // no empty line, no key given twice, no trap
        EXPECT_THAT(r.report, HasSubstr(text == uncommented ? "125 keys set, 1 other line" : "125 keys set, 0 other"));
        for (int i = 0; i < opt::count; ++i) {
            EXPECT_THAT(r.report, HasSubstr(KeyInfos()[i].name + (" = " + std::to_string(KeyDefault(i))) + "\n"));
        }
    }
}

// The tool reads with the plugin's own reader: where it says reading stops, the real
// plugin stops too.
TEST_F(PluginTest, CfgReadsEmptyLineAndRepeatedKeyAsThePluginDoes) {
    const std::string config = "reverserindex=7\nreverserindex=8 \n\nreverserindex=9\n";
    EXPECT_THAT(check(config).report, AllOf(HasSubstr("t.cfg:2: reverserindex = 8, 0"),
                                            HasSubstr("t.cfg:3: warning: reading stops at this empty line")));
    Start(config);
    Drive(1, 0);
    Frame(100);
    EXPECT_THAT(Panel({7, 8, 9}), ElementsAre(0, 1, 0));
}

}  // namespace
