// The British cab systems through the host interface: AWS magnets, acknowledgement and
// brake release rules, the startup test, TPWS trips, resets and the train-stop override.
#include "plugin_fixture.h"

namespace {

constexpr int kAwsLamp = 10;
constexpr int kAwsButton = 11;
constexpr int kTpwsLamp = 12;
constexpr int kOverrideLamp = 13;
constexpr int kTestLamp = 14;
constexpr int kHorn = 1;
constexpr int kBell = 2;
constexpr int kTpwsAlarm = 3;
constexpr int kAckKey = 0;
constexpr int kResetKey = 4;
constexpr int kOverrideKey = 7;

// Lamps flash with a 500 ms period.
std::string Config(const std::string& extra) {
    return "awsindicator=10\nawswarningsound=1\nawsclearsound=2\nawsacknowledgekey=0,11\n"
           "tpwsindicator=12,500\ntpwsindicator2=13,500\ntpwsindicator3=14\ntpwswarningsound=3\n"
           "tpwsresetkey=4\ntpwsoverridekey=7\ntpwsstopdelay=60\ntpwsoverridelifetime=60\n" +
           extra;
}

class BrSafetyTest : public PluginTest {
protected:
    // A warning at time t, left unacknowledged until the AWS brakes.
    void UnacknowledgedWarning(int32_t t, float speed) {
        Frame(t, speed);
        Beacon(44001, 0);
        Frame(t + 3000, speed);
        ASSERT_EQ(out.brake, kEmergency);
    }
};

TEST_F(BrSafetyTest, WarningBrakesAtTheFirstFrameAfterTheDelay) {
    Start(Config("system=1\n"));
    Frame(1000, 80.0f);
    Beacon(44001, 5);  // a warning magnet warns whatever the aspect
    EXPECT_EQ(sound[kHorn], 0);
    EXPECT_EQ(sound[kBell], -10000);
    EXPECT_EQ(panel[kAwsLamp], 0);
    Frame(2500, 80.0f);
    Beacon(44001, 0);  // a second warning does not extend the period
    Frame(3999, 80.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(4000, 80.0f);
    EXPECT_EQ(out.brake, kEmergency);
    EXPECT_EQ(sound[kHorn], 0);
}

TEST_F(BrSafetyTest, ClearMagnetNeedsSpeedAboveTheMinimumAndTheKeyAcknowledges) {
    Start(Config("system=1\nawsminspeed=30\n"));
    Frame(1000, 30.0f);
    Beacon(44000, 4);  // at the minimum speed: a warning
    EXPECT_EQ(sound[kHorn], 0);
    Frame(1100, 30.5f);
    Beacon(44000, 4);  // above it: clear, and the pending warning is cancelled
    EXPECT_EQ(sound[kHorn], -10000);
    EXPECT_EQ(sound[kBell], 1);
    Frame(1200, 30.5f);
    Beacon(44000, 3);  // a restrictive aspect warns at any speed
    EXPECT_EQ(sound[kHorn], 0);
    EXPECT_EQ(sound[kBell], -10000);
    Frame(4199, 30.5f);
    api().KeyDown(kAckKey);
    EXPECT_EQ(panel[kAwsButton], 1);
    EXPECT_EQ(panel[kAwsLamp], 1);
    EXPECT_EQ(sound[kHorn], -10000);
    api().KeyUp(kAckKey);
    EXPECT_EQ(panel[kAwsButton], 0);
    Frame(10000, 30.5f);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(panel[kAwsLamp], 1);
}

TEST_F(BrSafetyTest, BrakeCancelRuleZeroReleasesOnlyAtAStand) {
    Start(Config("system=1\nawsindicatorappear=1\n"));
    UnacknowledgedWarning(1000, 80.0f);
    // A clear magnet cannot undo the brake: nothing is written.
    panel[kAwsLamp] = 7;
    sound[kHorn] = 7;
    sound[kBell] = 7;
    Beacon(44000, 5);
    EXPECT_EQ(panel[kAwsLamp], 7);
    EXPECT_EQ(sound[kHorn], 7);
    EXPECT_EQ(sound[kBell], 7);
    // A warning magnet rewrites the warning only: still braking, no new period.
    Beacon(44001, 0);
    EXPECT_EQ(panel[kAwsLamp], 1);
    EXPECT_EQ(sound[kHorn], 0);
    EXPECT_EQ(sound[kBell], -10000);
    Key(kAckKey);
    Frame(4100, 40.0f);
    EXPECT_EQ(out.brake, kEmergency);
    Frame(9000, 0.0f);
    Key(kAckKey);
    EXPECT_EQ(panel[kAwsLamp], 0);
    EXPECT_EQ(sound[kHorn], -10000);
    Frame(9100, 0.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(20000, 0.0f);
    EXPECT_EQ(out.brake, 0);
    // The one demand was withdrawn once: a second press changes nothing and the next
    // unacknowledged warning brakes again.
    Key(kAckKey);
    UnacknowledgedWarning(30000, 50.0f);
}

TEST_F(BrSafetyTest, BrakeCancelRuleOneReleasesAtTheNextStandAndStopsTheHorn) {
    Start(Config("system=1\nawsbrakecancel=1\n"));
    UnacknowledgedWarning(1000, 80.0f);
    Key(kAckKey);      // armed while moving
    Beacon(44000, 5);  // a clear magnet keeps the armed release
    Frame(4100, 40.0f);
    EXPECT_EQ(out.brake, kEmergency);
    EXPECT_EQ(sound[kHorn], 0);
    Frame(8000, 0.0f);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(panel[kAwsLamp], 0);
    EXPECT_EQ(sound[kHorn], -10000);

    UnacknowledgedWarning(20000, 50.0f);
    Frame(25000, 0.0f);
    Key(kAckKey);  // at a stand: nothing at the press, released in the next frame
    EXPECT_EQ(sound[kHorn], 0);
    Frame(25016, 0.0f);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(sound[kHorn], -10000);
}

TEST_F(BrSafetyTest, BrakeCancelOtherRulesReleaseAtOnceTheNotchPlaced) {
    Start(Config("system=1\nawsbrakecancel=2\n"));
    UnacknowledgedWarning(1000, 80.0f);
    // The host reports other notch numbers without starting again.
    api().SetVehicleSpec(ATS_VEHICLESPEC{6, 5, 0, 0, 1});
    Key(kAckKey);
    EXPECT_EQ(sound[kHorn], -10000);
    Frame(4100, 80.0f);
    EXPECT_EQ(out.brake, 0);
}

TEST_F(BrSafetyTest, RestartStartsAfreshWhateverTheClockReads) {
    Start(Config("system=2\n"));
    UnacknowledgedWarning(1000, 80.0f);
    Beacon(44003, 0);
    api().Initialize(2);
    api().SetBrake(0);
    Frame(5000, 80.0f);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(sound[kHorn], -10000);
    UnacknowledgedWarning(6000, 80.0f);
    Beacon(44003, 0);  // tripping again adds a second demand
    Frame(9100, 0.0f);
    Key(kAckKey);
    Frame(9200, 0.0f);
    EXPECT_EQ(out.brake, kEmergency);

    // A clock that runs through -1 and -2 ms: a warning or an override started there is
    // neither lost nor mistaken for the braking state.
    api().Initialize(2);
    Frame(-1, 30.0f);
    Key(kOverrideKey);
    Beacon(44003, 0);  // passed under the override
    Frame(100, 30.0f);
    EXPECT_EQ(out.brake, 0);

    api().Initialize(2);
    Frame(-1, 80.0f);
    Beacon(44001, 0);
    Frame(2995, 80.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(2999, 80.0f);
    EXPECT_EQ(out.brake, kEmergency);

    api().Initialize(2);
    Frame(-2, 80.0f);
    Beacon(44001, 0);
    Frame(2998, 80.0f);
    EXPECT_EQ(out.brake, kEmergency);
    Frame(9000, 0.0f);
    Key(kAckKey);
    Frame(9100, 0.0f);
    EXPECT_EQ(out.brake, 0);
}

TEST_F(BrSafetyTest, TrainStopModeIgnoresAwsAndSensorsAndEverythingBackwards) {
    Start(Config("system=3\n"));
    Frame(1000, -10.0f);
    Beacon(44003, 0);
    Frame(1100, -10.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(1200, 100.0f);
    Beacon(44001, 0);
    Beacon(44002, 0, 10);
    Beacon(44004, 0, 10);
    EXPECT_EQ(sound[kHorn], -10000);
    Frame(5000, 100.0f);
    EXPECT_EQ(out.brake, 0);
    Beacon(44003, 0);
    Frame(5100, 100.0f);
    EXPECT_EQ(out.brake, kEmergency);
}

TEST_F(BrSafetyTest, ModeZeroIgnoresBeaconsButNotTheButton) {
    Start(Config("system=0\n"));
    Frame(1000, 80.0f);
    Beacon(44001, 0);
    Beacon(44003, 0);
    EXPECT_EQ(sound[kHorn], -10000);
    EXPECT_EQ(sound[kTpwsAlarm], -10000);
    api().KeyDown(kAckKey);
    EXPECT_EQ(panel[kAwsButton], 1);
}

TEST_F(BrSafetyTest, FullStartupTestRunsOnceFromReverserToAcknowledgement) {
    Start(Config("system=2\nstartuptest=2\n"));
    Frame(1000);
    EXPECT_EQ(sound[kHorn], -10000);
    api().SetReverser(1);
    EXPECT_EQ(sound[kHorn], 0);
    EXPECT_EQ(panel[kTestLamp], 1);
    Frame(1100);
    EXPECT_EQ(panel[kTpwsLamp], 1);
    EXPECT_EQ(panel[kOverrideLamp], 1);
    Frame(1600);  // steady, not flashing
    EXPECT_EQ(panel[kTpwsLamp], 1);
    Key(kOverrideKey);  // refused while the test waits
    Key(kAckKey);
    EXPECT_EQ(sound[kHorn], -10000);
    EXPECT_EQ(sound[kBell], 1);
    EXPECT_EQ(panel[kAwsLamp], 1);
    EXPECT_EQ(panel[kTestLamp], 0);
    Frame(2100);
    EXPECT_EQ(panel[kTpwsLamp], 0);
    EXPECT_EQ(panel[kOverrideLamp], 0);
    api().SetReverser(0);
    api().SetReverser(-1);
    EXPECT_EQ(sound[kHorn], -10000);
    Key(kOverrideKey);  // now taken
    Frame(2200);
    EXPECT_EQ(panel[kOverrideLamp], 1);
}

TEST_F(BrSafetyTest, StartupTestAcknowledgementLeavesAPendingWarning) {
    Start(Config("system=1\nstartuptest=3\n"));  // above 2: the horn test alone
    Frame(1000, 20.0f);
    api().SetReverser(0);  // neutral is no move off
    EXPECT_EQ(sound[kHorn], -10000);
    api().SetReverser(1);
    EXPECT_EQ(sound[kHorn], 0);
    EXPECT_EQ(panel[kTestLamp], 0);
    Beacon(44001, 0);
    Key(kAckKey);  // completes the test only
    EXPECT_EQ(sound[kHorn], -10000);
    EXPECT_EQ(sound[kBell], -10000);  // no bell without the lamp test
    Frame(3999, 20.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(4000, 20.0f);
    EXPECT_EQ(out.brake, kEmergency);
}

TEST_F(BrSafetyTest, NegativeStartupTestRunsNoTestAndRefusesNothing) {
    Start(Config("system=2\nstartuptest=-1\n"));
    Frame(1000);
    api().SetReverser(1);
    EXPECT_EQ(sound[kHorn], -10000);
    Key(kOverrideKey);
    Frame(1100);
    EXPECT_EQ(panel[kOverrideLamp], 1);
}

TEST_F(BrSafetyTest, SensorsTripAboveTheirSpeedAndTrainStopsAtDanger) {
    Start(Config("system=2\ntpwsbrakecancel=2\n"));
    Frame(1000, 100.0f);
    Beacon(44002, 1, 40);  // signal off: sensor not armed
    Frame(1100, 40.0f);
    Beacon(44002, 0, 40);  // exactly the set speed: no trip
    Beacon(44003, 1);      // train stop off
    Frame(1200, 40.0f);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(sound[kTpwsAlarm], -10000);
    Frame(1300, 40.5f);
    Beacon(44002, 0, 40);
    EXPECT_EQ(sound[kTpwsAlarm], 0);
    Frame(1400, 40.5f);
    EXPECT_EQ(out.brake, kEmergency);
    EXPECT_EQ(panel[kTpwsLamp], 1);
    Frame(1800, 40.5f);  // flashing from the trip with a 500 ms period
    EXPECT_EQ(panel[kTpwsLamp], 0);
    // Further beacons while tripped add no second demand: one reset releases.
    Beacon(44003, 0);
    Beacon(44004, 3, 10);
    Key(kResetKey);
    EXPECT_EQ(sound[kTpwsAlarm], -10000);
    Frame(1900, 40.5f);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(panel[kTpwsLamp], 0);

    Beacon(44004, 5, 40);  // a restriction sensor trips whatever the aspect
    Frame(2000, 40.5f);
    EXPECT_EQ(out.brake, kEmergency);
    Key(kResetKey);
    Frame(2100, 0.0f);
    Beacon(44003, 0);  // a train stop at danger trips at a stand
    Frame(2200, 0.0f);
    EXPECT_EQ(out.brake, kEmergency);
}

TEST_F(BrSafetyTest, ResetRuleZeroWaitsForTheStopDelayFromTheStand) {
    Start(Config("system=2\n"));
    Frame(1000, 60.0f);
    Beacon(44003, 0);
    Key(kResetKey);  // moving: the lamp turns steady, the alarm goes on
    Frame(1600, 30.0f);
    EXPECT_EQ(panel[kTpwsLamp], 1);
    EXPECT_EQ(sound[kTpwsAlarm], 0);
    Frame(5000, 0.0f);  // the first frame at a stand
    Frame(5100, 2.0f);  // moving off and stopping again does not restart the delay
    Frame(64999, 0.0f);
    Key(kResetKey);
    Frame(64999, 0.0f);
    EXPECT_EQ(out.brake, kEmergency);
    Frame(65000, 0.0f);
    Key(kResetKey);
    EXPECT_EQ(sound[kTpwsAlarm], -10000);
    Frame(65100, 0.0f);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(panel[kTpwsLamp], 0);

    // Tripped and reset at a stand before a frame recorded it: the delay starts at the press.
    Frame(100000, 0.0f);
    Beacon(44003, 0);
    Key(kResetKey);
    Frame(159999, 0.0f);
    Key(kResetKey);
    Frame(159999, 0.0f);
    EXPECT_EQ(out.brake, kEmergency);
    Frame(160000, 0.0f);
    Key(kResetKey);
    Frame(160100, 0.0f);
    EXPECT_EQ(out.brake, 0);
}

TEST_F(BrSafetyTest, ResetRuleOneArmsAReleaseAfterTheStopDelay) {
    Start(Config("system=2\ntpwsbrakecancel=1\ntpwsstopdelay=10\n"));
    Frame(1000, 60.0f);
    Beacon(44003, 0);
    Key(kResetKey);
    EXPECT_EQ(sound[kTpwsAlarm], -10000);
    Frame(1600, 30.0f);
    EXPECT_EQ(panel[kTpwsLamp], 1);
    Frame(3000, 0.0f);
    Frame(12999, 0.0f);
    EXPECT_EQ(out.brake, kEmergency);
    Frame(13000, 0.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(13100, 0.0f);  // the lamps are drawn before the release in a frame
    EXPECT_EQ(panel[kTpwsLamp], 0);
}

TEST_F(BrSafetyTest, OverrideLetsOneTrainStopPass) {
    Start(Config("system=2\n"));
    Frame(1000, 30.0f);
    Key(kOverrideKey);
    Frame(1100, 30.0f);
    EXPECT_EQ(panel[kOverrideLamp], 1);
    Frame(1500, 30.0f);
    EXPECT_EQ(panel[kOverrideLamp], 0);  // flashing
    Beacon(44004, 0, 10);                // sensors are ignored while it runs
    Beacon(44002, 0, 10);
    Beacon(44003, 0);  // passed without a trip, and the override ends
    Frame(1700, 30.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(2300, 30.0f);
    EXPECT_EQ(panel[kOverrideLamp], 0);
    Beacon(44003, 0);
    Frame(2400, 30.0f);
    EXPECT_EQ(out.brake, kEmergency);
    Key(kOverrideKey);  // refused while tripped
    Frame(2500, 30.0f);
    EXPECT_EQ(panel[kOverrideLamp], 0);
}

TEST_F(BrSafetyTest, OverrideSwitchesOffByKeyAndLapsesAfterItsLifetime) {
    Start(Config("system=3\ntpwsoverridelifetime=5\ntpwsbrakecancel=2\n"));
    Frame(1000, 30.0f);
    Key(kOverrideKey);
    Key(kOverrideKey);
    Frame(1100, 30.0f);
    EXPECT_EQ(panel[kOverrideLamp], 0);
    Beacon(44003, 0);
    Frame(1200, 30.0f);
    EXPECT_EQ(out.brake, kEmergency);
    Key(kResetKey);
    Frame(1300, 30.0f);
    ASSERT_EQ(out.brake, 0);
    Key(kOverrideKey);
    Frame(6299, 30.0f);
    Frame(6300, 30.0f);
    Frame(6400, 30.0f);  // a running override would be lit again here
    EXPECT_EQ(panel[kOverrideLamp], 0);
    Beacon(44003, 0);
    Frame(6500, 30.0f);
    EXPECT_EQ(out.brake, kEmergency);
}

TEST_F(BrSafetyTest, DefaultKeysAcknowledgeAndResetTogether) {
    Start("system=2\ntpwsbrakecancel=2\n");  // both default to key 0
    Frame(1000, 80.0f);
    Beacon(44001, 0);
    Beacon(44003, 0);
    Frame(1100, 80.0f);
    EXPECT_EQ(out.brake, kEmergency);
    Key(0);
    Frame(5000, 80.0f);
    EXPECT_EQ(out.brake, 0);
}

}  // namespace
