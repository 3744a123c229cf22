// The vigilance device through the host interface: lamp, alarm and brake after the
// intervals, what counts as activity, the release rules and the rest rules.
#include "plugin_fixture.h"

namespace {

constexpr int kLamp = 20;
constexpr int kAlarm = 5;
constexpr int kVigilanceKey = 2;  // the default
constexpr int kOtherKey = 6;

std::string Config(const std::string& extra) { return "vigilance=1\nvigilancelamp=20\nvigilancealarm=5\n" + extra; }

class VigilanceTest : public PluginTest {
protected:
    // Runs from the interval's start at t0 (moving) into the brake with the default
    // timings; each phase needs a frame of its own.
    void RunIntoBrake(int32_t t0, float speed) {
        Frame(t0 + 60000, speed);
        Frame(t0 + 63000, speed);
        Frame(t0 + 66000, speed);
        ASSERT_EQ(out.brake, kEmergency);
    }
};

TEST_F(VigilanceTest, LampAlarmAndBrakeFollowEachOther) {
    Start(Config(""));
    Frame(1000, 0.0f);
    Frame(100000, 0.0f);  // at a stand the device rests
    EXPECT_EQ(panel[kLamp], 0);
    Frame(100100, 50.0f);
    Frame(159999, 50.0f);
    EXPECT_EQ(panel[kLamp], 0);
    Frame(160000, 50.0f);
    EXPECT_EQ(panel[kLamp], 1);
    EXPECT_EQ(sound[kAlarm], -10000);
    Frame(163000, 50.0f);
    EXPECT_EQ(sound[kAlarm], 0);
    Frame(166000, 50.0f);
    EXPECT_EQ(out.brake, kEmergency);

    // Once braking only the vigilance key counts, and only at a stand.
    api().SetPower(1);
    api().HornBlow(0);
    api().KeyDown(kOtherKey);
    api().KeyDown(kVigilanceKey);
    Frame(166100, 30.0f);
    EXPECT_EQ(out.brake, kEmergency);
    EXPECT_EQ(panel[kLamp], 1);
    Frame(170000, 0.0f);
    EXPECT_EQ(out.brake, kEmergency);  // no release by itself
    api().KeyDown(kVigilanceKey);
    EXPECT_EQ(panel[kLamp], 0);
    EXPECT_EQ(sound[kAlarm], -10000);
    Frame(170100, 0.0f);
    EXPECT_EQ(out.brake, 0);
    // The one demand was withdrawn once: the device brakes again after the next run.
    Frame(170200, 50.0f);
    RunIntoBrake(170200, 50.0f);
}

TEST_F(VigilanceTest, ActivityBeforeTheBrakeRestartsTheInterval) {
    Start(Config(""));
    Frame(1000, 50.0f);
    Frame(62000, 50.0f);
    ASSERT_EQ(panel[kLamp], 1);
    api().SetBrake(1);  // any handle resets
    EXPECT_EQ(panel[kLamp], 0);
    Frame(121999, 50.0f);
    EXPECT_EQ(panel[kLamp], 0);
    Frame(122000, 50.0f);
    Frame(125000, 50.0f);
    ASSERT_EQ(sound[kAlarm], 0);
    api().KeyDown(kOtherKey);  // so does any key
    EXPECT_EQ(sound[kAlarm], -10000);
    api().HornBlow(1);  // and the horn
    Frame(184999, 50.0f);
    EXPECT_EQ(panel[kLamp], 0);
    EXPECT_EQ(out.brake, 1);
}

TEST_F(VigilanceTest, AutoReleaseAtTheFirstStandAndCancellableWhileMoving) {
    Start(Config("vigilanceautorelease=1\nvigilancecancellable=1\n"));
    Frame(1000, 50.0f);
    RunIntoBrake(1000, 50.0f);
    Frame(68000, 10.0f);
    EXPECT_EQ(out.brake, kEmergency);
    Frame(69000, 0.0f);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(panel[kLamp], 0);
    EXPECT_EQ(sound[kAlarm], -10000);
    Frame(69100, 50.0f);
    RunIntoBrake(69100, 50.0f);
    // The host reports other notch numbers: the notch placed is the one withdrawn.
    api().SetVehicleSpec(ATS_VEHICLESPEC{6, 5, 0, 0, 1});
    api().KeyDown(kVigilanceKey);
    Frame(135200, 50.0f);
    EXPECT_EQ(out.brake, 0);
}

TEST_F(VigilanceTest, IndependentDeviceListensOnlyToItsKey) {
    // Not reset by the power handle, the interval in force follows the notch while it runs,
    // counted from its original start.
    Start(Config("independentvigilance=1\nvigilanceinterval=10000,60000\n"));
    Frame(1000, 50.0f);
    api().SetPower(1);
    Frame(31000, 50.0f);
    EXPECT_EQ(panel[kLamp], 0);
    api().SetPower(0);
    Frame(31100, 50.0f);
    ASSERT_EQ(panel[kLamp], 1);
    api().SetBrake(1);
    api().HornBlow(0);
    api().KeyDown(kOtherKey);
    EXPECT_EQ(panel[kLamp], 1);
    api().KeyDown(kVigilanceKey);
    EXPECT_EQ(panel[kLamp], 0);
}

TEST_F(VigilanceTest, IntervalFollowsThePowerTheTrainObeys) {
    Start(Config("vigilanceinterval=10000,20000,30000\ndoorpowerlock=1\n"));
    Frame(1000, 50.0f);
    Frame(10999, 50.0f);
    EXPECT_EQ(panel[kLamp], 0);
    Frame(11000, 50.0f);
    EXPECT_EQ(panel[kLamp], 1);  // notch 0: the first interval

    api().SetPower(1);  // resets at 11000
    Frame(30999, 50.0f);
    EXPECT_EQ(panel[kLamp], 0);
    Frame(31000, 50.0f);
    EXPECT_EQ(panel[kLamp], 1);  // notch 1: the second

    api().SetPower(4);  // beyond the list: the last
    Frame(60999, 50.0f);
    EXPECT_EQ(panel[kLamp], 0);
    Frame(61000, 50.0f);
    EXPECT_EQ(panel[kLamp], 1);

    api().SetPower(3);  // resets at 61000
    api().DoorOpen();   // power cut by the doors: the first interval again
    Frame(71000, 50.0f);
    EXPECT_EQ(panel[kLamp], 1);
}

TEST_F(VigilanceTest, NeutralRuleRunsAtAStandWithTheReverserSet) {
    Start(Config("vigilanceinactivespeed=-2\n"));
    Frame(1000, 80.0f);
    Frame(100000, 80.0f);  // neutral: rests even at speed
    EXPECT_EQ(panel[kLamp], 0);
    api().SetReverser(1);
    Frame(159999, 0.0f);  // the reverser move itself reset the device at 100000
    EXPECT_EQ(panel[kLamp], 0);
    Frame(160000, 0.0f);
    EXPECT_EQ(panel[kLamp], 1);
}

TEST_F(VigilanceTest, RestSpeedCountsByMagnitudeAndOnlyWhileWatching) {
    Start(Config("vigilanceinactivespeed=5\n"));
    Frame(1000, -5.0f);
    Frame(100000, -5.0f);  // reversing slowly: rests
    EXPECT_EQ(panel[kLamp], 0);
    Frame(100100, -10.0f);
    Frame(160100, -10.0f);
    EXPECT_EQ(panel[kLamp], 1);
    // Stopping with the lamp lit does not stop the sequence.
    Frame(163100, 0.0f);
    Frame(166100, 0.0f);
    EXPECT_EQ(out.brake, kEmergency);
}

TEST_F(VigilanceTest, DelaysCountFromWhenTheLastPeriodFellDue) {
    Start(Config(""));
    Frame(1000, 50.0f);
    Frame(62500, 50.0f);  // the lamp was due at 61000 and is noticed late
    ASSERT_EQ(panel[kLamp], 1);
    Frame(63999, 50.0f);
    EXPECT_EQ(sound[kAlarm], -10000);
    Frame(64000, 50.0f);
    EXPECT_EQ(sound[kAlarm], 0);
    Frame(66999, 50.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(67000, 50.0f);
    EXPECT_EQ(out.brake, kEmergency);
}

TEST_F(VigilanceTest, SwitchedOffDeviceDoesNothing) {
    Start("vigilancelamp=20\nvigilancealarm=5\n");
    Frame(1000, 50.0f);
    Frame(500000, 50.0f);
    EXPECT_EQ(panel[kLamp], 0);
    EXPECT_EQ(out.brake, 0);
}

}  // namespace
