// The overspeed control through the host interface: thresholds on whole km/h, hysteresis
// down to the safe speed, and evaluation only when the whole-number speed changes.
#include "plugin_fixture.h"

namespace {

constexpr int kIndicator = 30;
constexpr int kAlarm = 6;

std::string Config(const std::string& extra) {
    return "overspeedcontrol=1\noverspeedindicator=30\noverspeedalarm=6\n" + extra;
}

class SpeedControlTest : public PluginTest {};

TEST_F(SpeedControlTest, WarningAndBrakeHoldDownToTheSafeSpeed) {
    Start(Config("warningspeed=80\noverspeed=90\nsafespeed=70\n"));
    Frame(1000, 79.0f);
    EXPECT_EQ(panel[kIndicator], 0);
    EXPECT_EQ(sound[kAlarm], -10000);
    Frame(1100, 80.0f);
    EXPECT_EQ(panel[kIndicator], 1);
    EXPECT_EQ(sound[kAlarm], 0);
    Frame(1200, 75.0f);  // below the warning speed, above the safe one: stays on
    EXPECT_EQ(panel[kIndicator], 1);
    Frame(1250, 89.9f);  // whole 89
    EXPECT_EQ(out.brake, 0);
    Frame(1300, 90.0f);
    EXPECT_EQ(out.brake, kFullService);
    Frame(1500, 71.0f);
    EXPECT_EQ(out.brake, kFullService);
    EXPECT_EQ(panel[kIndicator], 1);
    // The host reports other notch numbers: the notch placed is the one withdrawn.
    api().SetVehicleSpec(ATS_VEHICLESPEC{6, 5, 0, 0, 1});
    Frame(1600, 70.0f);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(panel[kIndicator], 0);
    EXPECT_EQ(sound[kAlarm], -10000);
    // The next overspeed brakes again, and a driver's brake after the release is not disturbed.
    Frame(1700, 95.0f);
    EXPECT_EQ(out.brake, 6);
    Frame(1800, 50.0f);
    EXPECT_EQ(out.brake, 0);
    api().SetBrake(6);
    Frame(1900, 40.0f);
    EXPECT_EQ(out.brake, 6);
}

TEST_F(SpeedControlTest, EvaluatesOnlyWhenTheWholeSpeedChanges) {
    Start(Config(""));  // every evaluation at 1 km/h or more warns
    Frame(1000, 0.0f);
    Frame(1100, 0.9f);  // still whole 0, as right after the start: not evaluated
    EXPECT_EQ(sound[kAlarm], -10000);
    Frame(1200, 1.0f);
    EXPECT_EQ(panel[kIndicator], 1);
    panel[kIndicator] = 7;
    Frame(1300, 1.8f);  // same whole speed: nothing written
    EXPECT_EQ(panel[kIndicator], 7);
    Frame(1400, 0.0f);
    EXPECT_EQ(panel[kIndicator], 0);
    EXPECT_EQ(sound[kAlarm], -10000);
}

TEST_F(SpeedControlTest, ReversingCountsByMagnitude) {
    Start(Config("warningspeed=20\noverspeed=30\nsafespeed=10\n"));
    Frame(1000, -25.0f);
    EXPECT_EQ(panel[kIndicator], 1);
    EXPECT_EQ(out.brake, 0);
    Frame(1100, -30.5f);
    EXPECT_EQ(out.brake, kFullService);
    Frame(1200, -10.0f);
    EXPECT_EQ(out.brake, 0);
}

TEST_F(SpeedControlTest, OverlappingWarningAndSafeSpeedsLeaveTheWarningOff) {
    // A warning speed at or below the safe speed is switched on and off in one evaluation.
    Start(Config("warningspeed=50\noverspeed=100\nsafespeed=60\n"));
    Frame(1000, 55.0f);
    EXPECT_EQ(panel[kIndicator], 0);
    EXPECT_EQ(sound[kAlarm], -10000);
    Frame(1100, 61.0f);
    EXPECT_EQ(panel[kIndicator], 1);
    Frame(1200, 100.0f);
    EXPECT_EQ(out.brake, kFullService);
    Frame(1300, 60.0f);
    EXPECT_EQ(out.brake, 0);
}

TEST_F(SpeedControlTest, SwitchedOffControlDoesNothing) {
    Start("overspeedindicator=30\noverspeedalarm=6\noverspeed=10\n");
    Frame(1000, 100.0f);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(panel[kIndicator], 0);
    EXPECT_EQ(sound[kAlarm], -10000);
}

}  // namespace
