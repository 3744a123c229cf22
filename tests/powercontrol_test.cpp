// Power gaps followed pickup by pickup, and the power-cut reminder.
#include "plugin_fixture.h"

#include <cstdio>
#include <string>

namespace {

class PowerControlTest : public PluginTest {
protected:
    // Starts with the driver at full power (notch 5) and the train at 0 m.
    void StartDriving(const std::string& config) {
        Start(config + "powerindicator=50\nreminderkey=9\nreminderindicator=51\n");
        api().SetPower(5);
        Frame(time_, 40.0f, 0.0);
    }
    void Gap(int32_t length) { api().SetBeaconData(ATS_BEACONDATA{20, 0, 0.0f, length}); }
    // One frame at location x and speed v; returns the power output.
    int32_t At(double x, float v = 40.0f) {
        time_ += 100;
        return Frame(time_, v, x).power;
    }
    int32_t time_ = 100;
};

TEST_F(PowerControlTest, EachPickupInAGapCutsPower) {
    StartDriving("powergapbehaviour=2\npowerpickuppoints=0\n");
    EXPECT_EQ(panel[50], 1);
    Gap(10);  // announced at the last frame's location, 0 m
    EXPECT_EQ(At(0.0), 5);
    EXPECT_EQ(At(0.5), 0);
    EXPECT_EQ(panel[50], 0);
    EXPECT_EQ(At(10.0), 0) << "still inside the gap at its very end";
    EXPECT_EQ(At(10.5), 5);
    EXPECT_EQ(panel[50], 1);
    // The record is gone once left: backing through the gap changes nothing.
    EXPECT_EQ(At(5.0, -10.0f), 5);
    EXPECT_EQ(At(-1.0, -10.0f), 5);
    EXPECT_EQ(At(5.0), 5);
    // A gap still ahead at the end of the run is released with the plugin.
    Gap(50);
    EXPECT_EQ(At(6.0), 0);
}

TEST_F(PowerControlTest, TwoPickupsCutPowerTwice) {
    StartDriving("powergapbehaviour=2\npowerpickuppoints=0,100\n");
    Gap(10);
    EXPECT_EQ(At(5.0), 0);
    EXPECT_EQ(At(50.0), 5);
    EXPECT_EQ(At(105.0), 0);
    EXPECT_EQ(At(110.0), 0);
    EXPECT_EQ(At(111.0), 5);
}

TEST_F(PowerControlTest, AllPickupsBehaviourCutsFromTheLastEntryToTheLastExit) {
    StartDriving("powergapbehaviour=3\npowerpickuppoints=0,20\n");
    Gap(50);
    EXPECT_EQ(At(10.0), 5) << "one pickup of two in the gap";
    EXPECT_EQ(At(20.5), 0);
    EXPECT_EQ(panel[50], 0);
    EXPECT_EQ(At(55.0), 0) << "the first pickup has left";
    EXPECT_EQ(At(70.0), 0);
    EXPECT_EQ(At(70.5), 5);
    EXPECT_EQ(panel[50], 1);
}

TEST_F(PowerControlTest, AllPickupsBehaviourHoldsAtMostOneCut) {
    // A gap shorter than the pickups' spread never has both pickups in it, yet the count
    // returns to 0 twice; a withdrawal then would cancel the reminder's cut later on.
    StartDriving("powergapbehaviour=3\npowerpickuppoints=0,20\ndoorpowerlock=1\n");
    Gap(5);
    api().DoorOpen();
    for (double x : {1.0, 6.0, 21.0, 26.0, 40.0}) EXPECT_EQ(At(x), 0) << x;
    api().DoorClose();
    EXPECT_EQ(At(45.0), 5);
    api().KeyDown(9);
    EXPECT_EQ(At(50.0), 0) << "the reminder still cuts power";
    api().KeyDown(9);
    EXPECT_EQ(At(55.0), 5);

    // Overlapping gaps bring the count to all pickups twice before it returns to 0:
    // one cut, withdrawn once.
    Gap(30);  // at 55 m: pickups in 55..85 and 75..105
    EXPECT_EQ(At(60.0), 5);
    EXPECT_EQ(At(75.5), 0);
    Gap(30);  // at 75.5 m: pickups in 75.5..105.5 and 95.5..125.5
    for (double x : {80.0, 86.0, 96.0, 106.0, 125.0}) EXPECT_EQ(At(x), 0) << x;
    EXPECT_EQ(At(126.0), 5);
    api().KeyDown(9);
    EXPECT_EQ(At(130.0), 0) << "no surplus withdrawal absorbed the reminder's cut";
}

TEST_F(PowerControlTest, ProportionalBehaviourLimitsPowerByTheShareOfPickupsInGaps) {
    StartDriving("powergapbehaviour=1\npowerpickuppoints=0,10,20\n");
    Gap(100);
    EXPECT_EQ(At(1.0), 3);
    EXPECT_EQ(panel[50], 1);
    EXPECT_EQ(At(11.0), 2);
    EXPECT_EQ(At(21.0), 0);
    EXPECT_EQ(panel[50], 0);
    EXPECT_EQ(At(101.0), 2);
    EXPECT_EQ(panel[50], 1);
    EXPECT_EQ(At(111.0), 3);
    EXPECT_EQ(At(121.0), 5);
    api().SetPower(4);
    EXPECT_EQ(At(130.0), 4) << "no limit left behind";
}

TEST_F(PowerControlTest, ProportionalBehaviourWithTwoPickupsAndFourNotches) {
    Start("powergapbehaviour=5\npowerpickuppoints=0,10\n", 8, 4);
    api().SetPower(4);
    Frame(100, 40.0f, 0.0);
    api().SetBeaconData(ATS_BEACONDATA{20, 0, 0.0f, 50});
    EXPECT_EQ(Frame(200, 40.0f, 1.0).power, 2);
    EXPECT_EQ(Frame(300, 40.0f, 11.0).power, 0);
    EXPECT_EQ(Frame(400, 40.0f, 51.0).power, 2);
    EXPECT_EQ(Frame(500, 40.0f, 61.0).power, 4);
}

TEST_F(PowerControlTest, ReversingOutOfAGapRestoresPowerUntilTheTrainReentersIt) {
    StartDriving("powergapbehaviour=2\npowerpickuppoints=0\n");
    Gap(10);
    EXPECT_EQ(At(5.0), 0);
    EXPECT_EQ(At(5.0, 0.0f), 0) << "standing changes nothing";
    EXPECT_EQ(At(-0.5, -10.0f), 5);
    EXPECT_EQ(At(1.0), 0);
    EXPECT_EQ(At(11.0), 5);
}

TEST_F(PowerControlTest, OnlyGapsAnnouncedInForwardTravelCount) {
    StartDriving("powergapbehaviour=2\npowerpickuppoints=0\n");
    Frame(time_ += 100, 0.0f, 0.0);
    Gap(10);  // standing
    Frame(time_ += 100, -5.0f, 0.0);
    Gap(10);  // reversing
    Frame(time_ += 100, 40.0f, 0.0);
    Gap(0);  // no length
    api().SetBeaconData(ATS_BEACONDATA{21, 0, 0.0f, 10});
    EXPECT_EQ(At(5.0), 5);

    Gap(-1);  // read as 4294967295 m
    EXPECT_EQ(At(6.0), 0);
    EXPECT_EQ(At(1.0e6), 0);

    // A restart forgets every gap and cut.
    api().Initialize(2);
    api().SetPower(5);
    EXPECT_EQ(At(2.0e6), 5);
    EXPECT_EQ(panel[50], 1);
}

TEST_F(PowerControlTest, GapsAreIgnoredWhenTheBehaviourIsOff) {
    StartDriving("powerpickuppoints=0\n");
    Gap(10);
    EXPECT_EQ(At(5.0), 5);
}

TEST_F(PowerControlTest, TheReminderKeyTogglesAStandingCut) {
    StartDriving("");
    EXPECT_EQ(panel[51], 0);
    api().KeyDown(9);
    EXPECT_EQ(At(1.0), 0);
    EXPECT_EQ(panel[51], 1);
    api().KeyDown(8);
    EXPECT_EQ(At(2.0), 0);
    api().KeyDown(9);
    EXPECT_EQ(At(3.0), 5);
    EXPECT_EQ(panel[51], 0);
}

}  // namespace

// The shipped third-rail example runs and shows the gap's cut and its end.
TEST(ThirdRailExample, CrossesTheGapWithPowerCutWhileBothShoesAreOff) {
    const std::string command = std::string("\"") + FOOTPLATE_RUN + "\" \"" + FOOTPLATE_SOURCE_DIR +
                                "/examples/third_rail.scn\" 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char block[4096];
    for (size_t n; (n = std::fread(block, 1, sizeof block, pipe)) > 0;) output.append(block, n);
    EXPECT_EQ(::pclose(pipe), 0) << output;
    const size_t cut = output.find("power  0  reverser  1 panel[20]=0");
    ASSERT_NE(cut, std::string::npos) << output;
    EXPECT_NE(output.find("power  4  reverser  1 panel[20]=1", cut), std::string::npos) << output;
    EXPECT_NE(output.find("panel[12]=1"), std::string::npos) << output;
    EXPECT_NE(output.find("panel[15]=30"), std::string::npos) << output;
}
