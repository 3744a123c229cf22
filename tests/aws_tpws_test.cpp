// The British cab systems through the host interface: which magnets and loops warn,
// clear or trip in each mode, the acknowledgement and its brake release rules, the
// startup test, TPWS resets and the train-stop override.
#include <string>

#include "plugin_fixture.h"

namespace {

using ::testing::ElementsAre;

// The cab's lamps, sounds and keys; lamps flash with a 500 ms period.
constexpr int kAwsLamp = 10, kTpwsLamp = 12, kOverrideLamp = 13, kTestLamp = 14;
constexpr int kHorn = 1, kBell = 2, kTpwsAlarm = 3;
constexpr int kAckKey = 0, kResetKey = 4, kOverrideKey = 7;

const std::string kConfig =
    "awsindicator=10\nawswarningsound=1\nawsclearsound=2\nawsacknowledgekey=0,11\n"
    "tpwsindicator=12,500\ntpwsindicator2=13,500\ntpwsindicator3=14\ntpwswarningsound=3\n"
    "tpwsresetkey=4\ntpwsoverridekey=7\ntpwsstopdelay=60\ntpwsoverridelifetime=60\n";

class BrSafetyTest : public PluginTest {
protected:
    // A warning at time t, left unacknowledged until the AWS brakes; the horn sounds
    // through a frame in between.
    void UnacknowledgedWarning(int32_t t, float speed) {
        BeaconAt(t, speed, kBeaconAwsWarning);
        ASSERT_EQ(SoundAt(kHorn, t + 100, speed), kSoundLoop);
        ASSERT_EQ(Frame(t + 3000, speed).brake, kEmergency);
    }
    // A restart in the same library, with the host's handle reports.
    void Restart() {
        api().Initialize(2);
        Drive(0, 0);
    }
};

// What one magnet or loop does in each mode: the horn and bell it leaves, and whether the
// train is braking a little later (AWS after its 3 s, TPWS at once).
TEST_F(BrSafetyTest, EachModeAnswersItsOwnBeacons) {
    struct Row {
        const char* system;
        int32_t type, signal, optional;
        float speed;
        int32_t horn, bell;
        bool brakes;
    } rows[] = {
        {"1", kBeaconAwsWarning, 5, 0, 80.0f, kSoundLoop, kSoundStop, true},  // warns whatever the aspect
        {"1", kBeaconAwsClear, 4, 0, 30.0f, kSoundLoop, kSoundStop, true},    // at the minimum speed: a warning
        {"1", kBeaconAwsClear, 3, 0, 80.0f, kSoundLoop, kSoundStop, true},    // a restrictive aspect warns
        {"1", kBeaconAwsWarning, 0, 0, -10.0f, kSoundStop, kSoundStop, false},  // reversing: ignored
        {"1", kBeaconTpwsTrainStop, 0, 0, 30.0f, kSoundStop, kSoundStop, false},  // AWS alone: no TPWS
        {"2", kBeaconTpwsSignal, 0, 40, 40.0f, kSoundStop, kSoundStop, false},   // exactly the set speed
        {"2", kBeaconTpwsSignal, 0, 40, 40.5f, kSoundStop, kSoundStop, true},
        {"2", kBeaconTpwsRestriction, 5, 40, 40.0f, kSoundStop, kSoundStop, false},
        {"2", kBeaconTpwsRestriction, 5, 40, 40.5f, kSoundStop, kSoundStop, true},  // whatever the aspect
        {"2", kBeaconTpwsTrainStop, 1, 0, 30.0f, kSoundStop, kSoundStop, false},
        {"3", kBeaconTpwsSignal, 0, 10, 100.0f, kSoundStop, kSoundStop, false},
        {"3", kBeaconTpwsTrainStop, 0, 0, 100.0f, kSoundStop, kSoundStop, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        Start(kConfig + "awsminspeed=30\nsystem=" + row.system + "\n");
        BeaconAt(1000, row.speed, row.type, row.signal, row.optional);
        EXPECT_THAT(Sound({kHorn, kBell}), ElementsAre(row.horn, row.bell));
        EXPECT_EQ(Frame(4000, row.speed).brake, row.brakes ? kEmergency : 0);
    }
}

// The lamp and the period of a warning; the acknowledgement in time is the example drive's.
TEST_F(BrSafetyTest, AWarningRunsOnePeriodUnlessAClearMagnetCancelsIt) {
    Start(kConfig + "system=1\nawsindicatorappear=1\n");
    BeaconAt(1000, 80.0f, kBeaconAwsWarning);
    EXPECT_EQ(panel[kAwsLamp], 1);  // shown from the start of the warning
    BeaconAt(2000, 80.0f, kBeaconAwsClear, 4);  // cancels it and puts the lamp out
    EXPECT_EQ(panel[kAwsLamp], 0);
    EXPECT_EQ(Frame(5000, 80.0f).brake, 0);
    BeaconAt(6000, 80.0f, kBeaconAwsWarning);
    BeaconAt(7500, 80.0f, kBeaconAwsWarning);  // a second warning does not extend the period
    EXPECT_EQ(Frame(9000, 80.0f).brake, kEmergency);
}

// The acknowledge key at speed and at a stand under each release rule; the brake must come
// off exactly once, so a second press does nothing and the next warning brakes again.
TEST_F(BrSafetyTest, BrakeReleaseFollowsTheCancelRule) {
    struct Row {
        const char* cancel;
        int brakeAfterPressAtSpeed;  // the frame after a press at 40 km/h
        int brakeAtFirstStand;       // the first frame at a stand, before any press there
    } rows[] = {{"0", kEmergency, kEmergency}, {"1", kEmergency, 0}, {"2", 0, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.cancel);
        Start(kConfig + "system=1\nawsindicatorappear=1\nawsbrakecancel=" + row.cancel + "\n");
        UnacknowledgedWarning(1000, 80.0f);
        // While braking, a clear magnet changes nothing; a warning magnet rewrites the
        // warning without a new period.
        panel[kAwsLamp] = sound[kHorn] = sound[kBell] = 7;
        Beacon(kBeaconAwsClear, 5);
        EXPECT_THAT(Sound({kHorn, kBell}), ElementsAre(7, 7));
        EXPECT_EQ(panel[kAwsLamp], 7);
        Beacon(kBeaconAwsWarning);
        // Other notch numbers reported meanwhile must not change the notch released.
        api().SetVehicleSpec(ATS_VEHICLESPEC{6, 5, 0, 0, 1});
        Key(kAckKey);
        api().SetVehicleSpec(ATS_VEHICLESPEC{kFullService, kTopNotch, 0, 0, 1});
        EXPECT_EQ(Frame(4100, 40.0f).brake, row.brakeAfterPressAtSpeed);
        EXPECT_EQ(Frame(9000, 0.0f).brake, row.brakeAtFirstStand);
        Key(kAckKey);
        EXPECT_EQ(Frame(9100, 0.0f).brake, 0);
        // Every release stops the horn and puts the lamp out.
        EXPECT_THAT((std::vector{sound[kHorn], panel[kAwsLamp]}), ElementsAre(kSoundStop, 0));
        Key(kAckKey);
        UnacknowledgedWarning(30000, 0.0f);  // a release done is not done again at the next stand
    }
}

TEST_F(BrSafetyTest, StartupTestRunsFromReverserToAcknowledgement) {
    struct Row {
        const char* test;
        int32_t hornAfterReverser, testLamp, tpwsLamps, bellAtAck;
        bool overrideRefusedBefore;
    } rows[] = {
        {"2", kSoundLoop, 1, 1, kSoundOnce, true},  // with the lamp test
        {"-1", kSoundStop, 0, 0, kSoundStop, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.test);
        Start(kConfig + "system=2\nstartuptest=" + row.test + "\n");
        Frame(1000);
        api().SetReverser(0);  // neutral is no move off
        EXPECT_EQ(sound[kHorn], kSoundStop);
        api().SetReverser(1);
        EXPECT_EQ(sound[kHorn], row.hornAfterReverser);
        EXPECT_EQ(panel[kTestLamp], row.testLamp);
        Beacon(kBeaconAwsWarning);  // pending while the test waits
        Frame(1600);  // steady, not flashing
        EXPECT_THAT(Panel({kTpwsLamp, kOverrideLamp}), ElementsAre(row.tpwsLamps, row.tpwsLamps));
        Key(kOverrideKey);
        EXPECT_EQ(PanelAt(kOverrideLamp, 1700), row.overrideRefusedBefore ? row.tpwsLamps : 1);
        if (!row.overrideRefusedBefore) continue;
        Key(kAckKey);  // completes the test only: the warning stays pending
        EXPECT_THAT(Sound({kHorn, kBell}), ElementsAre(kSoundStop, row.bellAtAck));
        Frame(2100);
        EXPECT_THAT(Panel({kAwsLamp, kTestLamp, kTpwsLamp, kOverrideLamp}), ElementsAre(1, 0, 0, 0));
        Key(kOverrideKey);  // now taken
        EXPECT_EQ(PanelAt(kOverrideLamp, 2200), 1);
        EXPECT_EQ(Frame(4000).brake, kEmergency);
    }
}

// Rule 2 releases at the reset, moving or not; the alarm and the lamps are the example drive's.
TEST_F(BrSafetyTest, RuleTwoReleasesTheOneDemandAtOnceAndTheDefaultKeyAlsoAcknowledges) {
    Start("system=2\ntpwsbrakecancel=2\n");  // both keys default to 0
    BeaconAt(1000, 40.5f, kBeaconTpwsSignal, 0, 40);
    Beacon(kBeaconAwsWarning);
    EXPECT_EQ(Frame(1400, 40.5f).brake, kEmergency);
    Beacon(kBeaconTpwsTrainStop);  // adds no second demand while tripped: one reset releases
    Key(0);
    EXPECT_EQ(Frame(5000, 40.5f).brake, 0);  // past the AWS delay too: acknowledged
}

// Reset under rule 0 (wait at a stand) and rule 1 (an armed release), from the first stand;
// tripped and reset at a stand before a frame recorded it, the delay starts at the press.
TEST_F(BrSafetyTest, ResetWaitsForTheStopDelayFromTheFirstStand) {
    struct Row {
        const char* cancel;
        int32_t tripAt;
        float tripSpeed;
        int32_t stand;  // the first frame at a stand
    } rows[] = {{"0", 1000, 60.0f, 5000}, {"1", 1000, 60.0f, 5000}, {"0", 100000, 0.0f, 100000}};
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        const bool armed = std::string(row.cancel) == "1";
        Start(kConfig + "system=2\ntpwsbrakecancel=" + row.cancel + "\n");
        BeaconAt(row.tripAt, row.tripSpeed, kBeaconTpwsTrainStop);
        Key(kResetKey);
        if (row.tripSpeed > 0.0f) {  // moving: an armed release silences the alarm at once
            EXPECT_EQ(sound[kTpwsAlarm], armed ? kSoundStop : kSoundLoop);
            Frame(row.stand, 0.0f);
            Frame(row.stand + 100, 2.0f);  // moving off and stopping again does not restart the delay
        }
        Frame(row.stand + 59999, 0.0f);
        Key(kResetKey);
        EXPECT_EQ(Frame(row.stand + 59999, 0.0f).brake, kEmergency);
        Frame(row.stand + 60000, 0.0f);
        if (!armed) Key(kResetKey);
        EXPECT_EQ(Frame(row.stand + 60100, 0.0f).brake, 0);
    }
}

TEST_F(BrSafetyTest, OverrideLetsOneTrainStopPassAndLapses) {
    Start(kConfig + "system=2\ntpwsoverridelifetime=5\n");
    Frame(1000, 30.0f);
    Key(kOverrideKey);
    Beacon(kBeaconTpwsSignal, 0, 10);  // sensors are ignored while it runs
    Beacon(kBeaconTpwsTrainStop);  // passed without a trip, and the override ends
    EXPECT_EQ(Frame(1700, 30.0f).brake, 0);
    Beacon(kBeaconTpwsTrainStop);
    EXPECT_EQ(Frame(2400, 30.0f).brake, kEmergency);
    Key(kOverrideKey);  // refused while tripped
    EXPECT_EQ(PanelAt(kOverrideLamp, 2500, 30.0f), 0);

    // The key switches a running override off; one not used lapses after its lifetime.
    for (int32_t lapse : {0, 5000}) {
        Restart();
        Frame(10000, 30.0f);
        Key(kOverrideKey);
        if (lapse == 0) Key(kOverrideKey);
        Frame(10100 + lapse, 30.0f);
        Beacon(kBeaconTpwsTrainStop);
        EXPECT_EQ(Frame(10200 + lapse, 30.0f).brake, kEmergency);
    }
}

TEST_F(BrSafetyTest, RestartStartsAfreshWhateverTheClockReads) {
    Start(kConfig + "system=2\nawsbrakecancel=1\n");
    Beacon(kBeaconAwsWarning);  // before the first frame: the horn lands in the reserve
    UnacknowledgedWarning(1000, 80.0f);
    Key(kAckKey);  // a release armed before the restart is forgotten with the brake
    Beacon(kBeaconTpwsTrainStop);
    Restart();
    EXPECT_EQ(Frame(5000, 80.0f).brake, 0);
    EXPECT_EQ(sound[kHorn], kSoundStop);
    Beacon(kBeaconAwsWarning);
    EXPECT_EQ(SoundAt(kHorn, 5100, 0.0f), kSoundLoop);
    EXPECT_EQ(Frame(8000, 0.0f).brake, kEmergency);

    // A clock that runs through -1 and -2 ms: a warning or an override started there is
    // neither lost nor mistaken for the braking state.
    Restart();
    Frame(-1, 30.0f);
    Key(kOverrideKey);
    Beacon(kBeaconTpwsTrainStop);  // passed under the override
    EXPECT_EQ(Frame(100, 30.0f).brake, 0);
    for (int32_t start : {-1, -2}) {
        Restart();
        BeaconAt(start, 80.0f, kBeaconAwsWarning);
        EXPECT_EQ(Frame(2995, 80.0f).brake, 0);
        EXPECT_EQ(Frame(2999, 80.0f).brake, kEmergency);
    }
}

}  // namespace
