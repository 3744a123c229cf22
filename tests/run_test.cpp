// footplate-run: the scenario language, the train model, and the host it plays towards
// the real plugin (route beacons, waits, labels, the CSV table and the SVG chart).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <vector>

#include "command.h"
#include "plugin_fixture.h"
#include "scenario.h"

namespace {

namespace fs = std::filesystem;

bool parse(const std::string& text, Scenario& out, std::string& error) {
    out = Scenario{};
    error.clear();
    return ParseScenario(text, "/trains", out, error);
}

TEST(ScenarioText, WaitsDeclarationsAndQuotedLabels) {
    Scenario s;
    std::string error;
    ASSERT_TRUE(parse("config a.cfg\n"
                      "at 500 power 3      # time\n"
                      "at 1200.5m brake 2  # location\n"
                      "at stand key 0\n"
                      "label panel 12 \"AWS sunflower # not a comment\"\n"
                      "gauge panel 41 \"boiler\"\n"
                      "watch sound 3\n"
                      "label sound 3 horn\n"
                      "title \"a drive\"\nlimit 9000\nchart distance\n",
                      s, error))
        << error;
    EXPECT_EQ(s.config, "/trains/a.cfg");
    ASSERT_EQ(s.steps.size(), 3u);
    EXPECT_EQ(s.steps[0].wait, StepWait::Time);
    EXPECT_EQ(s.steps[0].at, 500);
    EXPECT_EQ(s.steps[1].wait, StepWait::Location);
    EXPECT_DOUBLE_EQ(s.steps[1].atLocation, 1200.5);
    EXPECT_EQ(s.steps[1].line, 3);
    EXPECT_EQ(s.steps[2].wait, StepWait::Stand);
    EXPECT_EQ(s.steps[2].command, "key");
    ASSERT_EQ(s.labels.size(), 3u);
    EXPECT_EQ(s.labels[0].text, "AWS sunflower # not a comment");
    EXPECT_TRUE(s.labels[1].quiet);
    EXPECT_TRUE(s.labels[2].sound);
    EXPECT_EQ(s.labels[2].text, "horn");  // watched first, named later: one slot
    EXPECT_EQ(s.title, "a drive");
    EXPECT_EQ(s.limit, 9000);
    EXPECT_TRUE(s.chartByDistance);
    EXPECT_FALSE(s.train.enabled);
}

TEST(ScenarioText, TrainAndRoute) {
    Scenario s;
    std::string error;
    ASSERT_TRUE(parse("train brakes 7 power 4 accel 0.2,0.4 decel 0.9 emergency 1.5 topspeed 90 resistance 0.01,0.05\n"
                      "route 900 20 optional 30\n"
                      "route 300 44000 signal 4 label \"AWS clear\"\n"
                      "route 900 23 optional 255 distance 12.5\n",
                      s, error))
        << error;
    EXPECT_TRUE(s.train.enabled);
    EXPECT_EQ(s.train.brakes, 7);
    EXPECT_EQ(s.train.power, 4);
    EXPECT_EQ(s.train.accel, (std::vector<double>{0.2, 0.4}));
    EXPECT_DOUBLE_EQ(s.train.emergency, 1.5);
    EXPECT_DOUBLE_EQ(s.train.resistance100, 0.05);
    ASSERT_EQ(s.route.size(), 3u);  // by location; two at one place keep their written order
    EXPECT_EQ(s.route[0].type, 44000);
    EXPECT_EQ(s.route[0].label, "AWS clear");
    EXPECT_EQ(s.route[1].type, 20);
    EXPECT_EQ(s.route[2].type, 23);
    EXPECT_FLOAT_EQ(s.route[2].distance, 12.5f);
}

TEST(ScenarioText, BadLinesAreNamed) {
    Scenario s;
    std::string error;
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"power 1\nat soon power 2\n", "line 2"},
        {"train brakes 0\n", "1 to 100"},
        {"train wheels 4\n", "does not know 'wheels'"},
        {"train accel -1\n", "accel"},
        {"route 100\n", "route takes"},
        {"route 100 20 colour red\n", "colour"},
        {"label panel 300 \"x\"\n", "0..255"},
        {"label panel 3 \"open\n", "quote"},
        {"at 100 label panel 3 x\n", "takes no 'at'"},
        {"fly 3\n", "unknown command 'fly'"},
        {"limit 0\n", "limit"},
        {"at 100m\n", "'at' needs"},
    };
    for (const auto& [text, why] : bad) {
        EXPECT_FALSE(parse(text, s, error)) << text;
        EXPECT_NE(error.find(why), std::string::npos) << text << " gave: " << error;
    }
}

TEST(TrainModelStep, DrivesOnlyWithReverserAndPowerAndFadesToTopSpeed) {
    TrainModel t;
    t.accel = {1.0};
    t.power = 4;
    t.topSpeed = 100;
    t.resistance = 0;
    t.resistance100 = 0;
    EXPECT_DOUBLE_EQ(StepTrain(t, 0, 0, 4, 0, 1.0).speed, 0.0);       // neutral: no drive
    EXPECT_DOUBLE_EQ(StepTrain(t, 0, 0, 0, 1, 1.0).speed, 0.0);       // no power
    EXPECT_NEAR(StepTrain(t, 0, 0, 4, 1, 1.0).speed, 3.6, 1e-9);      // 1 m/s² for 1 s
    EXPECT_NEAR(StepTrain(t, 0, 0, 2, 1, 1.0).speed, 1.8, 1e-9);      // one number scales by notch
    EXPECT_NEAR(StepTrain(t, 0, 0, 4, -1, 1.0).speed, -3.6, 1e-9);    // backwards
    EXPECT_NEAR(StepTrain(t, 50, 0, 4, 1, 1.0).speed, 50 + 1.8, 1e-9);  // half the effort at half top speed
    EXPECT_DOUBLE_EQ(StepTrain(t, 100, 0, 4, 1, 1.0).speed, 100.0);   // none at top speed
    t.accel = {0.2, 0.4};
    EXPECT_NEAR(StepTrain(t, 0, 0, 1, 1, 1.0).speed, 0.72, 1e-9);
    EXPECT_NEAR(StepTrain(t, 0, 0, 4, 1, 1.0).speed, 1.44, 1e-9);     // beyond the list: its last number
    const TrainStep moved = StepTrain(t, 36, 0, 0, 1, 2.0);
    EXPECT_NEAR(moved.distance, 20.0, 1e-9);  // 10 m/s for 2 s
}

TEST(TrainModelStep, BrakesStopTheTrainButNeverReverseIt) {
    TrainModel t;
    t.brakes = 8;
    t.decel = {0.8};
    t.emergency = 1.6;
    t.resistance = 0;
    t.resistance100 = 0;
    EXPECT_NEAR(StepTrain(t, 36, 8, 0, 1, 1.0).speed, 36 - 0.8 * 3.6, 1e-9);
    EXPECT_NEAR(StepTrain(t, 36, 4, 0, 1, 1.0).speed, 36 - 0.4 * 3.6, 1e-9);
    EXPECT_NEAR(StepTrain(t, 36, 9, 0, 1, 1.0).speed, 36 - 1.6 * 3.6, 1e-9);  // emergency
    EXPECT_DOUBLE_EQ(StepTrain(t, 1, 9, 0, 1, 1.0).speed, 0.0);
    EXPECT_DOUBLE_EQ(StepTrain(t, -1, 9, 0, 1, 1.0).speed, 0.0);
    EXPECT_DOUBLE_EQ(StepTrain(t, 0, 9, 0, 1, 1.0).speed, 0.0);
    // Power against the brake at a stand: the train stays put while the brake is stronger.
    t.accel = {0.5};
    EXPECT_DOUBLE_EQ(StepTrain(t, 0, 8, 5, 1, 1.0).speed, 0.0);
    // Resistance alone slows a coasting train, more at speed.
    t.resistance = 0.1;
    t.resistance100 = 0.1;
    EXPECT_NEAR(StepTrain(t, 100, 0, 0, 1, 1.0).speed, 100 - 0.2 * 3.6, 1e-9);
}

// Runs a scenario (written into a fresh folder with its configuration) through footplate-run.
class RunTool : public ::testing::Test {
protected:
    int run(const std::string& scenario, const std::string& config, const std::string& options = "") {
        dir_ = FreshFolder("run");
        WriteFile(dir_ + "/test.cfg", config);
        WriteFile(dir_ + "/test.scn", "config test.cfg\n" + scenario);
        return RunCommand(Quoted(FOOTPLATE_RUN) + " " + options + " " + Quoted(dir_ + "/test.scn") + " 2>&1", out_);
    }
    std::string path(const std::string& name) const { return dir_ + "/" + name; }
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
                  "route 50 44000 signal 2 label \"magnet\"\n"
                  "route 10 20 optional 5\n"
                  "route 200 21 optional 50\n"
                  "initialize 2\n"
                  "reverser 1\npower 5\n"
                  "at 60m power 0\n"
                  "at 70m brake 8\n"
                  "at stand reverser -1\n"
                  "brake 0\npower 2\n"
                  "at 40m power 0\n"
                  "at 30m brake 8\n"
                  "at 55m key 1              # already behind the train: due at once\n"
                  "at stand brake 0\n",
                  ""),
              0)
        << out_;
    EXPECT_EQ(count("> beacon 44000 signal 2 optional 0 (magnet)"), 2u) << out_;
    EXPECT_EQ(count("> beacon 20 signal 0 optional 5"), 2u) << out_;
    EXPECT_EQ(count("> beacon 21"), 0u) << out_;  // never reached
    const size_t key = out_.find("> key 1");
    const size_t stand = out_.rfind("> brake 0");
    ASSERT_NE(key, std::string::npos);
    EXPECT_LT(key, stand);
    EXPECT_EQ(out_.find("limit reached"), std::string::npos);
    EXPECT_NE(out_.find(" m "), std::string::npos);  // the location column of a drive
}

TEST_F(RunTool, TrainLineNeedsItsPairs) {
    ASSERT_EQ(run("train\ninitialize 2\n", ""), 2) << out_;
    EXPECT_NE(out_.find("line 2: train takes pairs"), std::string::npos) << out_;
}

TEST_F(RunTool, LimitNoteEndsTheRun) {
    ASSERT_EQ(run("train brakes 8 power 5\nlimit 5000\ninitialize 2\nat 100m power 1\npower 3\n", ""), 0) << out_;
    EXPECT_NE(out_.find("5.000 s      0.0 m  ! limit reached before 100 m (line 5)"), std::string::npos) << out_;
    EXPECT_EQ(out_.find("> power"), std::string::npos) << out_;
}

TEST_F(RunTool, HandlesAreReportedAfterEveryInitializeAndLabelsNameSlots) {
    ASSERT_EQ(run("label panel 10 \"reverser handle\"\n"
                  "initialize 0\nreverser 1\nrun 200\ninitialize 0\nrun 200\n",
                  "reverserindex=10\n"),
              0)
        << out_;
    // The second start copies the plugin's own arrays over the host's; the handle report
    // right after it keeps the reverser slot showing forward.
    EXPECT_EQ(count("\"reverser handle\"=1"), 1u) << out_;
    EXPECT_EQ(count("\"reverser handle\"=0"), 0u) << out_;
    EXPECT_EQ(out_.find("panel[10]"), std::string::npos) << out_;
}

TEST_F(RunTool, UnwritableCsvGivesStatusTwo) {
    EXPECT_EQ(run("initialize 0\nrun 200\n", "", "--csv " + Quoted("/nonexistent-folder/t.csv")), 2);
    EXPECT_NE(out_.find("cannot write"), std::string::npos) << out_;
}

TEST_F(RunTool, CsvHasOneRowPerFrameAndEveryWatchedSlot) {
    const std::string csv = FreshFolder("csvrows") + "/t.csv";
    ASSERT_EQ(run("watch sound 9\nlabel panel 11 \"rvr, effective\"\n"
                  "step 50\ninitialize 0\nat 100 reverser 1\nrun 400\n",
                  "reverserindex=10\neffectivervrindex=11\n", "--csv " + Quoted(csv)),
              0)
        << out_;
    std::istringstream lines(ReadWhole(csv));
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, "time_s,location_m,speed_kmh,brake,power,reverser,sound[9],\"rvr, effective\",panel[10]");
    std::vector<std::string> rows;
    while (std::getline(lines, line)) rows.push_back(line);
    ASSERT_EQ(rows.size(), 10u);  // 500 ms in 50 ms frames
    EXPECT_EQ(rows[0], "0.050,0.00,0.00,0,0,0,-10000,0,0");
    EXPECT_EQ(rows[1], "0.100,0.00,0.00,0,0,0,-10000,0,0");
    EXPECT_EQ(rows[2], "0.150,0.00,0.00,0,0,1,-10000,1,1");
    EXPECT_EQ(rows[9], "0.500,0.00,0.00,0,0,1,-10000,1,1");
}

TEST_F(RunTool, SvgChartRendersInARealRenderer) {
    const std::string folder = FreshFolder("svg");
    const std::string svg = folder + "/chart.svg";
    const std::string png = folder + "/chart.png";
    ASSERT_EQ(run("title \"a <chart> & more\"\ntrain brakes 8 power 5\nlabel panel 10 \"reverser handle\"\ngauge panel 11 \"gauge\"\n"
                  "route 20 44000 label \"magnet\"\ninitialize 2\nreverser 1\npower 5\nrun 20000\nbrake 9\n"
                  "at stand run 1000\n",
                  "reverserindex=10\neffectivervrindex=11\n", "--svg " + Quoted(svg)),
              0)
        << out_;
    const std::string text = ReadWhole(svg);
    EXPECT_NE(text.find("a &lt;chart&gt; &amp; more"), std::string::npos);
    EXPECT_NE(text.find(">magnet<"), std::string::npos);
    EXPECT_NE(text.find(">reverser handle<"), std::string::npos);
    std::string log;
    ASSERT_EQ(RunCommand("rsvg-convert -o " + Quoted(png) + " " + Quoted(svg) + " 2>&1", log), 0)
        << "rsvg-convert (Debian package librsvg2-bin, see scripts/deps): " << log;
    const std::string image = ReadWhole(png);
    ASSERT_GT(image.size(), 24u);
    EXPECT_EQ(image.substr(1, 3), "PNG");
    auto be32 = [&](size_t at) {
        return (static_cast<uint32_t>(static_cast<unsigned char>(image[at])) << 24) |
               (static_cast<uint32_t>(static_cast<unsigned char>(image[at + 1])) << 16) |
               (static_cast<uint32_t>(static_cast<unsigned char>(image[at + 2])) << 8) |
               static_cast<uint32_t>(static_cast<unsigned char>(image[at + 3]));
    };
    EXPECT_EQ(be32(16), 960u);  // the chart's width, from the PNG header
    EXPECT_GT(be32(20), 400u);
}

// What a host owes a plugin, seen from the plugin's side.
TEST(RunHost, ArraysReportsAndPlayedOnceSounds) {
    const std::string folder = FreshFolder("probe");
    WriteFile(folder + "/probe.scn",
              "step 100\ninitialize 0\nrun 100\nbrake 3\nrun 300\nkey 1\nrun 300\n"
              "initialize 0\nrun 200\nbeacon 7\nrun 100\n");
    std::string out;
    ASSERT_EQ(RunCommand(Quoted(FOOTPLATE_RUN) + " --plugin " + Quoted(PROBE_PLUGIN) + " " +
                             Quoted(folder + "/probe.scn"),
                         out),
              0)
        << out;
    std::istringstream lines(out);
    std::vector<std::string> frames;
    for (std::string line; std::getline(lines, line);) {
        if (line.find(" > ") == std::string::npos) frames.push_back(line);
    }
    ASSERT_EQ(frames.size(), 6u) << out;
    // First frame: three handle reports after the start, one start, one pair of arrays.
    EXPECT_NE(frames[0].find("panel[0]=-10000 panel[1]=3 panel[2]=1 panel[3]=1"), std::string::npos) << out;
    EXPECT_NE(frames[1].find("brake  3"), std::string::npos) << out;
    EXPECT_NE(frames[1].find("panel[1]=4"), std::string::npos) << out;
    // The key makes the probe play sound 5 once; by the next frame the host has marked it
    // as continuing (2), which the probe finds in the array.
    EXPECT_NE(frames[2].find("sound[5]=1"), std::string::npos) << out;
    EXPECT_NE(frames[3].find("panel[0]=2"), std::string::npos) << out;
    EXPECT_EQ(frames[3].find("sound[5]"), std::string::npos) << out;
    // A restart: again exactly three reports, and the arrays are still the same two.
    EXPECT_NE(frames[4].find("panel[1]=3 panel[2]=2"), std::string::npos) << out;
    EXPECT_EQ(out.find("panel[3]=2"), std::string::npos) << out;
    // A beacon written into the host's panel between frames stays there.
    EXPECT_NE(frames[5].find("panel[4]=7"), std::string::npos) << out;
}

// A sound played once is marked where each play starts, not drawn on as a band until the
// next write: the host's "continue" only says the sound may still be playing.
TEST_F(RunTool, ChartMarksEachPlayOfASoundPlayedOnce) {
    const std::string folder = FreshFolder("probe-chart");
    WriteFile(folder + "/probe.scn",
              "label sound 5 \"chime\"\nstep 100\ninitialize 0\nrun 1000\nkey 1\nrun 3000\nkey 1\nrun 3000\n");
    std::string out;
    ASSERT_EQ(RunCommand(Quoted(FOOTPLATE_RUN) + " --plugin " + Quoted(PROBE_PLUGIN) + " --svg " +
                             Quoted(folder + "/chart.svg") + " " + Quoted(folder + "/probe.scn"),
                         out),
              0)
        << out;
    const std::string svg = ReadWhole(folder + "/chart.svg");
    size_t marks = 0;
    for (size_t at = svg.find("fill=\"#4a78c2\""); at != std::string::npos; at = svg.find("fill=\"#4a78c2\"", at + 1)) {
        ++marks;
        const size_t rect = svg.rfind("<rect", at);
        const size_t width = svg.find("width=\"", rect) + 7;
        EXPECT_LT(std::stod(svg.substr(width)), 20.0) << "a mark, not a band";
    }
    EXPECT_EQ(marks, 2u);
    EXPECT_EQ(svg.find(">once<"), std::string::npos);
}

TEST_F(RunTool, ScriptedScenarioErrorsGiveStatusTwo) {
    EXPECT_EQ(run("initialize 0\nstep 0\n", ""), 2);
    EXPECT_NE(out_.find("line 3: step must be at least 1 ms"), std::string::npos) << out_;
    EXPECT_EQ(run("door ajar\n", ""), 2);
    EXPECT_EQ(run("initialize 0\nspeed 1e300\nrun 100\n", ""), 2);
    EXPECT_NE(out_.find("line 3: speed must be"), std::string::npos) << out_;
    EXPECT_EQ(run("at 99999999999999999999 power 1\n", ""), 2);  // no crash on a huge time
    EXPECT_NE(out_.find("line 2:"), std::string::npos) << out_;
}

}  // namespace
