// footplate-run as an author meets it: every scenario line checked before anything runs,
// the command line, the train model, and the host it plays towards the real plugin
// (route beacons, waits, the time limit, the CSV table and the SVG chart).
#include <gmock/gmock.h>

#include <filesystem>
#include <regex>
#include <tuple>
#include <vector>

#include "command.h"
#include "plugin_fixture.h"
#include "scenario.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Lt;
using ::testing::Not;

// footplate-run started in a fresh folder holding test.scn, test.cfg and other.so (the
// header of a library for the other word size, as a plugin built for another architecture).
class RunTool : public ::testing::Test {
protected:
    int run(const std::string& scenario, const std::string& args = "--config test.cfg test.scn",
            const std::string& config = "") {
        dir_ = FreshFolder("run");
        WriteFile(dir_ + "/test.scn", scenario);
        WriteFile(dir_ + "/test.cfg", config);
        WriteFile(dir_ + "/other.so", "\x7f" "ELF" + std::string(1, sizeof(void*) == 8 ? 1 : 2) + std::string(59, 3));
        return RunCommand(kChangeFolder + Quoted(dir_) + " && " + Program(FOOTPLATE_RUN) + " " + args, out_, err_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string dir_, out_, err_;
};

// One row per input an author can get wrong (nothing runs, and stderr says where and why),
// and the command line's conventions.
TEST_F(RunTool, RefusesEveryMistakeWithItsLineAndStatus) {
    const std::tuple<std::string, std::string, int, std::string> cases[] = {  // scenario, arguments, status, says
        {"initialize 0\nrun 12abc\n", "", 2,
         "test.scn:2: error: run takes a time in ms (a whole number, 0 or more), not '12abc'"},
        {"run 1.5\n", "", 2, "test.scn:1: error: run takes a time in ms"},
        {"run nan\n", "", 2, "not 'nan'"},
        {"speed 1x\n", "", 2, "test.scn:1: error: speed takes a number of km/h from -100000 to 100000, not '1x'"},
        {"speed 1e300\n", "", 2, "speed takes a number of km/h"},  // the host's float cannot carry it
        {"beacon 44000 signal x\n", "", 2, "test.scn:1: error: signal takes a whole number, not 'x'"},
        {"beacon 44000 distance 1e39\n", "", 2, "distance takes a number"},
        {"power 99999999999\n", "", 2, "power takes a notch (a whole number), not '99999999999'"},
        {"reverser 2\n", "", 2, "reverser takes a position (a whole number from -1 to 1)"},
        {"initialize 0\nstep 0\n", "", 2, "test.scn:2: error: step takes a frame interval in ms (a whole number, 1 or"},
        {"at 4294967296 power 1\n", "", 2, "'at' needs a time in ms"},  // would wrap to 0
        {"door ajar\n", "", 2, "door takes 'open' or 'close'"},
        {"fly\x01 3\n", "", 2, "unknown command 'fly\\x01'"},
        {"train brakes 0\n", "", 2, "test.scn:1: error: brakes needs 1 to 100 notches, not '0'"},
        {"route 100 20 colour red\n", "", 2, "unknown 'colour'"},
        {"label panel 3 \"open\n", "", 2, "a quote is not closed"},
        {"at 100 label panel 3 x\n", "", 2, "takes no 'at'"},
        {"limit 0\n", "", 2, "limit takes a time in ms"},
        {"", "", 2, "test.scn: error: no step to run"},
        {"# only a comment\ntrain brakes 8\n", "", 2, "test.scn: error: no step to run"},
        {"limit 1000\ninitialize 0\nrun 600\nat 700 run 400\n", "", 2,
         "test.scn:4: error: run 400 would go past the time limit of 1000 ms: the clock reads at least 700 ms here"},
        {"at 700000 power 1\n", "", 2, "test.scn:1: error: at 700000 is past the time limit of 600000 ms"},
        {"train brakes 8 power 5\nvehicle power 0\n", "", 2, "test.scn:2: error: a train needs at least one brake"},
        // A wait the time limit cuts short ends the drive with its own status.
        {"train brakes 8 power 5\nlimit 5000\ninitialize 2\nat 100m power 1\n", "--config test.cfg test.scn", 1,
         "5.000 s      0.0 m  ! limit reached before 100 m (line 4)\n"  // the timeline's last line, then stderr
         "test.scn:4: the drive reached its time limit of 5000 ms before this step"},
        // The command line.
        {"frame\n", "--csv", 2, "footplate-run: option '--csv' needs a file name\nusage:"},
        {"frame\n", "--bogus test.scn", 2, "footplate-run: unknown option '--bogus'\nusage:"},
        {"frame\n", "test.scn test.cfg", 2, "one scenario at a time: 'test.cfg' is a second one"},
        {"frame\n", "--distance", 2, "footplate-run: no scenario given\nusage:"},
        {"frame\n", "--plugin test.cfg test.scn", 2, "test.cfg: it is not a library"},  // the path made absolute
        {"frame\n", "--plugin missing.so test.scn", 2, "missing.so: no such file"},
        {"frame\n", "--plugin . test.scn", 2, "it is a folder, not a library"},
        {"frame\n", "--plugin other.so test.scn", 2, "other.so: wrong architecture: it is a "},
        {"frame\n", "--config missing.cfg test.scn", 2, "cannot read missing.cfg: No such file or directory"},
        {"frame\n", "-- .", 2, std::string("footplate-run: cannot read .: ") + kIsAFolder},
        {"frame\n", "--csv /nonexistent-folder/t.csv test.scn", 2, "cannot write /nonexistent-folder/t.csv"},
        {"", "--version", 0, "footplate-run " FOOTPLATE_VERSION "\n"},
        {"", "-- --version", 2, "cannot read --version: No such file or directory"},  // "--" ends the options
#if !defined(_WIN32)  // there the fresh folders lie on another drive than the build
        // Every fresh folder lies as deep: a path from one to the plugin is a path from each.
        {"frame\n", "--plugin " + fs::relative(FOOTPLATE_LIBRARY, FreshFolder("run")).string() + " test.scn",
         0, "       time       speed  handles the plugin returned"},
#endif
    };
    for (const auto& [scenario, args, status, says] : cases) {
        SCOPED_TRACE(scenario + " | " + args);
        EXPECT_EQ(run(scenario, args.empty() ? "test.scn" : args), status) << err_;
        EXPECT_THAT(out_ + err_, HasSubstr(says));
    }
}

TEST(ScenarioText, ParsesTypedStepsQuotesLabelsAndRoute) {
    Scenario s;
    ScenarioError error;
    ASSERT_TRUE(ParseScenario("config a.cfg\nat 1200.5m brake 2\nlabel panel 12 \"AWS # not a comment\"\n"
                              "watch sound 3\nlabel sound 3 horn\nroute 900 20\nroute 300 44000\nroute 900 23\n"
                              "beacon 44002 optional 40 distance 12.5\nvehicle power 4 cars 3\n",
                              "/trains", s, error))
        << error.message;
    EXPECT_EQ(s.config, (fs::path("/trains") / "a.cfg").string());
    ASSERT_EQ(s.steps.size(), 3u);
    EXPECT_EQ(std::make_tuple(s.steps[0].kind, s.steps[0].value, s.steps[0].atLocation),
              std::make_tuple(StepKind::Brake, 2, 1200.5));
    const ATS_BEACONDATA& b = s.steps[1].beacon;
    EXPECT_EQ(std::make_tuple(b.type, b.signal, b.optional, b.distance), std::make_tuple(44002, 0, 40, 12.5f));
    EXPECT_FALSE(s.steps[2].vehicle.brakes.has_value());  // what a vehicle line leaves out keeps its value
    ASSERT_EQ(s.labels.size(), 2u);  // watched first, named later: one slot
    EXPECT_EQ(s.labels[0].text + "|" + s.labels[1].text, "AWS # not a comment|horn");
    EXPECT_EQ(s.route[1].data.type, 20);  // by location; two at one place keep their written order
}

// Route beacons, waits for places, and a chart a real renderer takes.
TEST_F(RunTool, RouteBeaconsFireInBothDirectionsAndLocationWaitsFollowTheTrain) {
    ASSERT_EQ(run("title \"a <chart> & more\"\nlabel panel 10 \"reverser handle\"\ngauge panel 11 \"gauge\"\n"
                  "train brakes 8 power 5 accel 1.0 resistance 0\n"
                  "route 50 44000 signal 2 label \"magnet\"\nroute 10 20 optional 5\nroute 200 21 optional 50\n"
                  "initialize 2\nreverser 1\npower 5\nat 60m power 0\nat 70m brake 8\nat stand reverser -1\n"
                  "brake 0\npower 2\nat 40m power 0\nat 30m brake 8\n"
                  "at 55m key 1              # already behind the train: due at once\n"
                  "at stand brake 0\n",
                  "--config test.cfg --svg chart.svg test.scn", "reverserindex=10\neffectivervrindex=11\n"),
              0)
        << err_;
    for (const std::string beacon : {"> beacon 44000 signal 2 optional 0 (magnet)", "> beacon 20 signal 0 optional"}) {
        EXPECT_NE(out_.find(beacon), out_.rfind(beacon)) << beacon << ": not passed both ways in\n" << out_;
    }
    EXPECT_THAT(out_, Not(HasSubstr("> beacon 21")));  // never reached
    EXPECT_LT(out_.find("> key 1"), out_.rfind("> brake 0"));
    EXPECT_THAT(ReadWhole(dir_ + "/chart.svg"), HasSubstr(">magnet<"));
#if defined(_WIN32)
    GTEST_SKIP() << "rsvg-convert, the renderer, is a Linux program";
#endif
    std::string out, err;  // the renderer also refuses a title left unescaped
    ASSERT_EQ(RunCommand("rsvg-convert -o " + Quoted(dir_ + "/chart.png") + " " + Quoted(dir_ + "/chart.svg"), out, err), 0)
        << "rsvg-convert (Debian package librsvg2-bin, see scripts/deps): " << err;
    EXPECT_EQ(ReadWhole(dir_ + "/chart.png").substr(16, 4), std::string("\0\0\x03\xc0", 4));  // a PNG 960 pixels wide
}

// What a host owes a plugin, seen from the plugin's side (the probe shows it on its panel);
// the sound commands in words; the table's columns told apart from the handles; and each
// play of a sound played once as the host sees it, 1 then 2, in the table and as a mark in
// the chart.
TEST_F(RunTool, HostKeepsArraysReportsHandlesAndMarksEveryPlay) {
    ASSERT_EQ(run("label sound 5 \"power\"\nlabel panel 10 \"power\"\nlabel panel 11 \"a, b\"\nstep 100\ninitialize 0\n"
                  "run 100\nbrake 3\nrun 300\nkey 1\nrun 300\nkey 1\nframe\ninitialize 0\nrun 200\nbeacon 7\n"
                  "horn -2500\nrun 6000\n",
                  "--plugin " + Program(PROBE_PLUGIN) + " --csv t.csv --svg chart.svg test.scn"),
              0)
        << err_;
    std::vector<std::string> frames;  // the timeline's lines of frames
    const std::regex frame("[^\n]* km/h [^\n]*");
    for (std::sregex_iterator m(out_.begin(), out_.end(), frame), end; m != end; ++m) frames.push_back(m->str());
    // Three handle reports after the start, one start, one pair of arrays. Sound 5 played
    // once (1) is found marked as continuing (2) by the next frame; the host's own mark is
    // no news in the timeline. A restart: again exactly three reports, the same two arrays.
    // Written between frames, kept: the beacon's type, the horn as a volume.
    EXPECT_THAT(frames, ElementsAre(HasSubstr("panel[0]=-10000 panel[1]=3 panel[2]=1 panel[3]=1"),
                                    HasSubstr("panel[1]=4"), HasSubstr("\"power\"=1 (once)"),
                                    EndsWith("reverser  0 panel[0]=2"), HasSubstr("\"power\"=1 (once)"),
                                    HasSubstr("panel[1]=3 panel[2]=2"),
                                    HasSubstr("panel[4]=7 sound[6]=-2500 (volume -25 dB)")))
        << out_;
    EXPECT_THAT(out_, Not(HasSubstr("panel[3]=2")));

    const std::string table = ReadWhole(dir_ + "/t.csv");
    EXPECT_EQ(table.substr(0, table.find('\n')), "time_s,location_m,speed_kmh,brake,power,reverser,power (sound[5]),"
                                                 "power (panel[10]),\"a, b\",panel[0],panel[1],panel[2],panel[3],"
                                                 "panel[4],sound[6]");
    std::vector<std::string> played;  // the sound 5 column, the 7th, a row per frame
    const std::regex seventh("\n(?:[^,\n]*,){6}([^,\n]*)");
    for (std::sregex_iterator m(table.begin(), table.end(), seventh), end; m != end; ++m) played.push_back((*m)[1]);
    played.resize(10);
    EXPECT_EQ(played, (std::vector<std::string>{"-10000", "-10000", "-10000", "-10000", "1", "2", "2", "1", "2", "2"}));
    // In the chart, each play is a mark where it starts, not a band to the next write.
    const std::string chart = ReadWhole(dir_ + "/chart.svg");
    const std::regex mark("<rect[^>]* width=\"([0-9.]+)\"[^>]* fill=\"#4a78c2\"");
    std::vector<double> widths;
    for (std::sregex_iterator m(chart.begin(), chart.end(), mark), end; m != end; ++m) widths.push_back(std::stod((*m)[1]));
    EXPECT_THAT(widths, ElementsAre(Lt(20.0), Lt(20.0)));
}

}  // namespace
