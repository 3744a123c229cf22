// footplate-run: the scenario language, the train model, and the host it plays towards
// the real plugin (route beacons, waits, labels, the CSV table and the SVG chart).
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "command.h"
#include "plugin_fixture.h"
#include "scenario.h"

namespace {

namespace fs = std::filesystem;

TEST(ScenarioText, ParsesQuotesLabelsAndRouteAndNamesBadLines) {
    Scenario s;
    std::string error;
    ASSERT_TRUE(ParseScenario("config a.cfg\nat 1200.5m brake 2\nlabel panel 12 \"AWS # not a comment\"\n"
                              "watch sound 3\nlabel sound 3 horn\nroute 900 20\nroute 300 44000\nroute 900 23\n",
                              "/trains", s, error))
        << error;
    EXPECT_EQ(s.config, (fs::path("/trains") / "a.cfg").string());
    ASSERT_EQ(s.steps.size(), 1u);
    EXPECT_DOUBLE_EQ(s.steps[0].atLocation, 1200.5);
    ASSERT_EQ(s.labels.size(), 2u);
    EXPECT_EQ(s.labels[0].text, "AWS # not a comment");
    EXPECT_EQ(s.labels[1].text, "horn");  // watched first, named later: one slot
    ASSERT_EQ(s.route.size(), 3u);        // by location; two at one place keep their written order
    std::vector<int32_t> types;
    for (const RouteBeacon& b : s.route) types.push_back(b.type);
    EXPECT_EQ(types, (std::vector<int32_t>{44000, 20, 23}));

    const std::vector<std::pair<std::string, std::string>> bad = {
        {"power 1\nat soon power 2\n", "line 2"},  {"train brakes 0\n", "1 to 100"},
        {"train wheels 4\n", "'wheels'"},         {"train accel -1\n", "accel"},
        {"route 100\n", "route takes"},           {"route 100 20 colour red\n", "colour"},
        {"label panel 300 \"x\"\n", "0..255"},    {"label panel 3 \"open\n", "quote"},
        {"at 100 label panel 3 x\n", "takes no 'at'"}, {"fly 3\n", "unknown command 'fly'"},
        {"limit 0\n", "limit"},                   {"at 100m\n", "'at' needs"},
    };
    for (const auto& [text, why] : bad) {
        s = Scenario{};
        EXPECT_FALSE(ParseScenario(text, "/trains", s, error)) << text;
        EXPECT_NE(error.find(why), std::string::npos) << text << " gave: " << error;
    }
}

TEST(TrainModelStep, PowerBrakesAndResistance) {
    TrainModel t;  // one accel number: the top notch, scaled down per notch
    t.accel = {1.0};
    t.power = 4;
    t.topSpeed = 100;
    t.decel = {0.8};
    t.emergency = 1.6;
    t.resistance = t.resistance100 = 0;
    const auto after1s = [&t](double speed, int brake, int power, int reverser) {
        return StepTrain(t, speed, brake, power, reverser, 1.0).speed;
    };
    EXPECT_DOUBLE_EQ(after1s(0, 0, 4, 0), 0.0);          // neutral: no drive
    EXPECT_DOUBLE_EQ(after1s(0, 0, 0, 1), 0.0);          // no power
    EXPECT_NEAR(after1s(0, 0, 4, 1), 3.6, 1e-9);         // 1 m/s² for 1 s
    EXPECT_NEAR(after1s(0, 0, 2, 1), 1.8, 1e-9);         // half the notches
    EXPECT_NEAR(after1s(0, 0, 4, -1), -3.6, 1e-9);       // backwards
    EXPECT_NEAR(after1s(50, 0, 4, 1), 51.8, 1e-9);       // half the effort at half top speed
    EXPECT_DOUBLE_EQ(after1s(100, 0, 4, 1), 100.0);      // none at top speed
    EXPECT_NEAR(after1s(36, 8, 0, 1), 36 - 2.88, 1e-9);  // full service
    EXPECT_NEAR(after1s(36, 4, 0, 1), 36 - 1.44, 1e-9);
    EXPECT_NEAR(after1s(36, 9, 0, 1), 36 - 5.76, 1e-9);  // emergency
    EXPECT_DOUBLE_EQ(after1s(1, 9, 0, 1), 0.0);          // stops, never reverses
    EXPECT_DOUBLE_EQ(after1s(-1, 9, 0, 1), 0.0);
    EXPECT_DOUBLE_EQ(after1s(0, 8, 2, 1), 0.0);          // power against a stronger brake at a stand
    EXPECT_NEAR(StepTrain(t, 36, 0, 0, 1, 2.0).distance, 20.0, 1e-9);  // 10 m/s for 2 s
    t.accel = {0.2, 0.4};
    EXPECT_NEAR(after1s(0, 0, 1, 1), 0.72, 1e-9);
    EXPECT_NEAR(after1s(0, 0, 4, 1), 1.44, 1e-9);        // beyond the list: its last number
    t.resistance = t.resistance100 = 0.1;
    EXPECT_NEAR(after1s(100, 0, 0, 1), 100 - 0.72, 1e-9);  // resistance grows with speed
}

// Runs a scenario (written into a fresh folder with its configuration) through footplate-run.
class RunTool : public ::testing::Test {
protected:
    int run(const std::string& scenario, const std::string& config, const std::string& options = "",
            const std::string& plugin = "") {
        dir_ = FreshFolder("run");
        WriteFile(dir_ + "/test.cfg", config);
        WriteFile(dir_ + "/test.scn", (plugin.empty() ? "config test.cfg\n" : "") + scenario);
        const std::string with = plugin.empty() ? "" : " --plugin " + Quoted(plugin);
        return RunCommand(Quoted(FOOTPLATE_RUN) + with + " " + options + " " + Quoted(dir_ + "/test.scn") + " 2>&1",
                          out_);
    }
    bool says(const std::string& what) const { return out_.find(what) != std::string::npos; }
    size_t count(const std::string& what) const {
        size_t n = 0;
        for (size_t at = out_.find(what); at != std::string::npos; at = out_.find(what, at + 1)) ++n;
        return n;
    }
    void TearDown() override {
        std::error_code ec;
        if (!dir_.empty()) fs::remove_all(dir_, ec);
    }
    std::string dir_;
    std::string out_;
};

TEST_F(RunTool, RouteBeaconsFireInBothDirectionsAndLocationWaitsFollowTheTrain) {
    ASSERT_EQ(run("train brakes 8 power 5 accel 1.0 resistance 0\n"
                  "route 50 44000 signal 2 label \"magnet\"\nroute 10 20 optional 5\nroute 200 21 optional 50\n"
                  "initialize 2\nreverser 1\npower 5\nat 60m power 0\nat 70m brake 8\nat stand reverser -1\n"
                  "brake 0\npower 2\nat 40m power 0\nat 30m brake 8\n"
                  "at 55m key 1              # already behind the train: due at once\n"
                  "at stand brake 0\n",
                  ""),
              0)
        << out_;
    EXPECT_EQ(count("> beacon 44000 signal 2 optional 0 (magnet)"), 2u) << out_;
    EXPECT_EQ(count("> beacon 20 signal 0 optional 5"), 2u) << out_;
    EXPECT_EQ(count("> beacon 21"), 0u) << out_;  // never reached
    ASSERT_TRUE(says("> key 1"));
    EXPECT_LT(out_.find("> key 1"), out_.rfind("> brake 0"));
    EXPECT_FALSE(says("limit reached"));

    ASSERT_EQ(run("train brakes 8 power 5\nlimit 5000\ninitialize 2\nat 100m power 1\npower 3\n", ""), 0) << out_;
    EXPECT_TRUE(says("5.000 s      0.0 m  ! limit reached before 100 m (line 5)")) << out_;
    EXPECT_FALSE(says("> power")) << out_;
}

TEST_F(RunTool, BadScenariosGiveStatusTwoWithTheLine) {
    const struct {
        const char* scenario;
        std::string options;
        const char* says;
    } cases[] = {
        {"train\ninitialize 2\n", "", "line 2: train takes pairs"},
        {"initialize 0\nstep 0\n", "", "line 3: step must be at least 1 ms"},
        {"door ajar\n", "", "line 2:"},
        {"initialize 0\nspeed 1e300\nrun 100\n", "", "line 3: speed must be"},  // the host's float cannot carry it
        {"at 99999999999999999999 power 1\n", "", "line 2:"},                    // no crash on a huge time
        {"at 4294967296 power 1\n", "", "line 2:"},                              // would wrap to 0
        {"initialize 0\nrun 200\n", "--csv " + Quoted("/nonexistent-folder/t.csv"), "cannot write"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        EXPECT_EQ(run(c.scenario, "", c.options), 2);
        EXPECT_TRUE(says(c.says)) << out_;
    }
}

TEST_F(RunTool, CsvHasOneRowPerFrameAndTheClockStopsAtItsEnd) {
    const std::string csv = FreshFolder("csvrows") + "/t.csv";
    ASSERT_EQ(run("watch sound 9\nlabel panel 11 \"rvr, effective\"\nstep 50\ninitialize 0\nat 100 reverser 1\n"
                  "run 400\n",
                  "reverserindex=10\neffectivervrindex=11\n", "--csv " + Quoted(csv)),
              0)
        << out_;
    std::vector<std::string> rows;
    std::istringstream lines(ReadWhole(csv));
    for (std::string line; std::getline(lines, line);) rows.push_back(line);
    ASSERT_EQ(rows.size(), 11u);  // a header and 500 ms in 50 ms frames
    EXPECT_EQ(rows[0], "time_s,location_m,speed_kmh,brake,power,reverser,sound[9],\"rvr, effective\",panel[10]");
    EXPECT_EQ(rows[2], "0.100,0.00,0.00,0,0,0,-10000,0,0");
    EXPECT_EQ(rows[3], "0.150,0.00,0.00,0,0,1,-10000,1,1");
    EXPECT_EQ(rows[10], "0.500,0.00,0.00,0,0,1,-10000,1,1");

    // A run past the end of the host's clock stops there instead of wrapping.
    ASSERT_EQ(run("step 1000000000\ninitialize 0\nrun 100\nrun 2147483647\nrun 1000\n", "", "--csv " + Quoted(csv)),
              0)
        << out_;
    const std::string table = ReadWhole(csv);
    EXPECT_EQ(table.substr(table.rfind("\n", table.size() - 2) + 1), "2147483.647,0.00,0.00,0,0,0\n") << table;
}

TEST_F(RunTool, SvgChartRendersInARealRenderer) {
    const std::string folder = FreshFolder("svg");
    const std::string svg = folder + "/chart.svg";
    ASSERT_EQ(run("title \"a <chart> & more\"\ntrain brakes 8 power 5\nlabel panel 10 \"reverser handle\"\n"
                  "gauge panel 11 \"gauge\"\nroute 20 44000 label \"magnet\"\ninitialize 2\nreverser 1\npower 5\n"
                  "run 20000\nbrake 9\nat stand run 1000\n",
                  "reverserindex=10\neffectivervrindex=11\n", "--svg " + Quoted(svg)),
              0)
        << out_;
    EXPECT_NE(ReadWhole(svg).find(">magnet<"), std::string::npos);
#if defined(_WIN32)
    GTEST_SKIP() << "rsvg-convert, the renderer, is a Linux program";
#endif
    std::string log;  // the renderer also refuses a title left unescaped
    ASSERT_EQ(RunCommand("rsvg-convert -o " + Quoted(folder + "/chart.png") + " " + Quoted(svg) + " 2>&1", log), 0)
        << "rsvg-convert (Debian package librsvg2-bin, see scripts/deps): " << log;
    const std::string image = ReadWhole(folder + "/chart.png");
    ASSERT_GT(image.size(), 24u);
    EXPECT_EQ(image.substr(1, 3), "PNG");
    EXPECT_EQ(image.substr(16, 4), std::string("\0\0\x03\xc0", 4));  // 960 pixels wide
}

// What a host owes a plugin, seen from the plugin's side (the probe shows it on its panel).
TEST_F(RunTool, HostKeepsArraysReportsHandlesAndMarksPlayedOnceSounds) {
    ASSERT_EQ(run("step 100\ninitialize 0\nrun 100\nbrake 3\nrun 300\nkey 1\nrun 300\ninitialize 0\nrun 200\n"
                  "beacon 7\nrun 100\n",
                  "", "", PROBE_PLUGIN),
              0)
        << out_;
    std::istringstream lines(out_);
    std::vector<std::string> frames;
    for (std::string line; std::getline(lines, line);) {
        if (line.find(" > ") == std::string::npos) frames.push_back(line);
    }
    ASSERT_EQ(frames.size(), 6u) << out_;
    // Three handle reports after the start, one start, one pair of arrays.
    EXPECT_NE(frames[0].find("panel[0]=-10000 panel[1]=3 panel[2]=1 panel[3]=1"), std::string::npos) << out_;
    EXPECT_NE(frames[1].find("panel[1]=4"), std::string::npos) << out_;
    // Sound 5 played once (1) is found marked as continuing (2) by the next frame.
    EXPECT_NE(frames[2].find("sound[5]=1"), std::string::npos) << out_;
    EXPECT_NE(frames[3].find("panel[0]=2"), std::string::npos) << out_;
    // A restart: again exactly three reports, and the arrays are still the same two.
    EXPECT_NE(frames[4].find("panel[1]=3 panel[2]=2"), std::string::npos) << out_;
    EXPECT_FALSE(says("panel[3]=2")) << out_;
    EXPECT_NE(frames[5].find("panel[4]=7"), std::string::npos) << out_;  // written between frames, kept

    // Each play of a sound played once is a mark where it starts, not a band to the next write.
    const std::string svg = FreshFolder("probe-chart") + "/chart.svg";
    ASSERT_EQ(run("label sound 5 \"chime\"\nstep 100\ninitialize 0\nrun 1000\nkey 1\nrun 3000\nkey 1\nrun 3000\n", "",
                  "--svg " + Quoted(svg), PROBE_PLUGIN),
              0)
        << out_;
    const std::string chart = ReadWhole(svg);
    size_t marks = 0;
    for (size_t at = chart.find("fill=\"#4a78c2\""); at != std::string::npos;
         at = chart.find("fill=\"#4a78c2\"", at + 1), ++marks) {
        const size_t width = chart.find("width=\"", chart.rfind("<rect", at)) + 7;
        EXPECT_LT(std::stod(chart.substr(width)), 20.0) << "a mark, not a band";
    }
    EXPECT_EQ(marks, 2u);
    EXPECT_EQ(chart.find(">once<"), std::string::npos);
}

}  // namespace
