// The vigilance device through the host interface: lamp, alarm and brake after the
// intervals, what counts as activity, the release rules and the rest rules.
#include <functional>
#include <string>
#include <utility>

#include "plugin_fixture.h"

namespace {

constexpr int kLamp = 20, kAlarm = 5;
// The handles and horns below also send the vigilance key's number.
constexpr int kVigilanceKey = 1, kOtherKey = 6;

const std::string kConfig = "vigilance=1\nvigilancelamp=20\nvigilancealarm=5\nvigilancekey=1\n";

// Activity that is not a press of the vigilance key.
const std::function<void(const PluginApi&)> kNotTheKey[] = {
    [](const PluginApi& api) { api.SetPower(kVigilanceKey); },
    [](const PluginApi& api) { api.SetBrake(kVigilanceKey); },
    [](const PluginApi& api) { api.SetReverser(kVigilanceKey); },
    [](const PluginApi& api) { api.HornBlow(kVigilanceKey); },
    [](const PluginApi& api) { api.KeyDown(kOtherKey); },
};

class VigilanceTest : public PluginTest {
protected:
    // A frame at t0 (moving) in the interval that started at t0, then the run into the
    // brake with the default timings; each phase needs a frame of its own.
    void RunIntoBrake(int32_t t0, float speed) {
        Frame(t0, speed);
        EXPECT_EQ(PanelAt(kLamp, t0 + 59999, speed), 0);
        EXPECT_EQ(PanelAt(kLamp, t0 + 60000, speed), 1);
        EXPECT_EQ(SoundAt(kAlarm, t0 + 63000, speed), kSoundLoop);
        ASSERT_EQ(Frame(t0 + 66000, speed).brake, kEmergency);
    }
};

// Before the brake any activity restarts the interval. Once braking only a press of the
// vigilance key counts: handles and horns that send the same number are not key presses.
// It releases at a stand, and nothing releases by itself.
TEST_F(VigilanceTest, ActivityRestartsTheIntervalAndOnlyTheKeyReleasesTheBrake) {
    Start(kConfig);
    Frame(1000, 50.0f);
    ASSERT_EQ(PanelAt(kLamp, 62000, 50.0f), 1);
    api().HornBlow(0);  // any activity, here the horn, resets
    RunIntoBrake(62000, 50.0f);
    api().KeyDown(kVigilanceKey);  // moving
    EXPECT_EQ(Frame(129000, 0.0f).brake, kEmergency);
    for (const auto& act : kNotTheKey) {
        act(api());
        EXPECT_EQ(Frame(129100, 0.0f).brake, kEmergency);
        EXPECT_EQ(panel[kLamp], 1);
        Drive(0, 0);
    }
    api().KeyDown(kVigilanceKey);
    EXPECT_THAT((std::vector{panel[kLamp], sound[kAlarm]}), ::testing::ElementsAre(0, kSoundStop));
    EXPECT_EQ(Frame(129200, 0.0f).brake, 0);
    // The one demand was withdrawn once: the device brakes again after the next run.
    RunIntoBrake(129200, 50.0f);
    // A restart while braking starts a whole interval from its first frame.
    api().Initialize(2);
    RunIntoBrake(200000, 50.0f);
}

TEST_F(VigilanceTest, AutoReleaseAtTheFirstStandAndCancellableWhileMoving) {
    Start(kConfig + "vigilanceautorelease=1\nvigilancecancellable=1\n");
    RunIntoBrake(1000, 50.0f);
    EXPECT_EQ(Frame(68000, 10.0f).brake, kEmergency);
    EXPECT_EQ(Frame(69000, 0.0f).brake, 0);
    RunIntoBrake(69000, 50.0f);
    // The host reports other notch numbers: the notch placed is the one withdrawn.
    api().SetVehicleSpec(ATS_VEHICLESPEC{6, 5, 0, 0, 1});
    api().KeyDown(kVigilanceKey);
    EXPECT_EQ(Frame(135200, 50.0f).brake, 0);
}

TEST_F(VigilanceTest, IndependentDeviceListensOnlyToItsKey) {
    // Not reset by the power handle; the interval in force follows the notch while it runs,
    // counted from its original start.
    Start(kConfig + "independentvigilance=1\nvigilanceinterval=10000,60000\n");
    Frame(1000, 50.0f);
    api().SetPower(1);
    EXPECT_EQ(PanelAt(kLamp, 31000, 50.0f), 0);
    api().SetPower(0);
    ASSERT_EQ(PanelAt(kLamp, 31100, 50.0f), 1);
    for (const auto& act : kNotTheKey) act(api());
    EXPECT_EQ(panel[kLamp], 1);
    api().KeyDown(kVigilanceKey);
    EXPECT_EQ(panel[kLamp], 0);
}

TEST_F(VigilanceTest, IntervalFollowsThePowerTheTrainObeys) {
    Start(kConfig + "vigilanceinterval=10000,20000,30000\ndoorpowerlock=1\n");
    Frame(1000, 50.0f);
    // A handle move resets the device at the last frame's time; beyond the list: the last.
    const std::pair<int, int32_t> rows[] = {{0, 10000}, {1, 20000}, {4, 30000}};
    int32_t t = 1000;
    for (const auto& [power, interval] : rows) {
        SCOPED_TRACE(power);
        if (power != 0) api().SetPower(power);
        EXPECT_EQ(PanelAt(kLamp, t + interval - 1, 50.0f), 0);
        EXPECT_EQ(PanelAt(kLamp, t + interval, 50.0f), 1);
        t += interval;
    }
    api().SetPower(3);  // resets at 61000
    api().DoorOpen();   // power cut by the doors: the first interval again
    EXPECT_EQ(PanelAt(kLamp, 71000, 50.0f), 1);
}

TEST_F(VigilanceTest, RestRules) {
    // -2: rests while the reverser is in neutral, even at speed, and runs at a stand.
    Start(kConfig + "vigilanceinactivespeed=-2\n");
    Frame(1000, 80.0f);
    EXPECT_EQ(PanelAt(kLamp, 100000, 80.0f), 0);
    api().SetReverser(1);
    EXPECT_EQ(PanelAt(kLamp, 160000, 0.0f), 1);

    // A rest speed counts by magnitude, and only while watching.
    Start(kConfig + "vigilanceinactivespeed=5\n");
    Frame(1000, -5.0f);
    EXPECT_EQ(PanelAt(kLamp, 100000, -5.0f), 0);
    Frame(100100, -10.0f);  // counted from the last frame at rest
    EXPECT_EQ(PanelAt(kLamp, 159999, -10.0f), 0);
    EXPECT_EQ(PanelAt(kLamp, 160100, -10.0f), 1);
    Frame(163100, 0.0f);  // stopping with the lamp lit does not stop the sequence
    EXPECT_EQ(Frame(166100, 0.0f).brake, kEmergency);
}

}  // namespace
