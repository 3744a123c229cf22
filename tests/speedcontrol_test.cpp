// The overspeed control through the host interface: thresholds on whole km/h, hysteresis
// down to the safe speed, and evaluation only when the whole-number speed changes.
#include <string>

#include "plugin_fixture.h"

namespace {

constexpr int kIndicator = 30;
constexpr int kAlarm = 6;

const std::string kConfig = "overspeedcontrol=1\noverspeedindicator=30\noverspeedalarm=6\n";

class SpeedControlTest : public PluginTest {};

TEST_F(SpeedControlTest, WarningAndBrakeHoldDownToTheSafeSpeed) {
    // One frame per row, 100 ms apart: what the lamp, the alarm and the brake show after it.
    struct Step {
        float speed;
        int32_t lamp, alarm, brake;
    } walk[] = {
        {79.0f, 0, kSoundStop, 0},
        {80.0f, 1, kSoundLoop, 0},
        {89.9f, 1, kSoundLoop, 0},  // whole 89
        {90.0f, 1, kSoundLoop, kFullService},
        {71.0f, 1, kSoundLoop, kFullService},  // above the safe speed both stay on
        {70.0f, 0, kSoundStop, 0},  // the safe speed ends both
        {-90.5f, 1, kSoundLoop, kFullService},  // reversing counts by magnitude
        {-70.0f, 0, kSoundStop, 0},
    };
    Start(kConfig + "warningspeed=80\noverspeed=90\nsafespeed=70\n");
    int32_t t = 1000;
    for (const Step& step : walk) {
        SCOPED_TRACE(step.speed);
        EXPECT_EQ(Frame(t += 100, step.speed).brake, step.brake);
        EXPECT_EQ(panel[kIndicator], step.lamp);
        EXPECT_EQ(sound[kAlarm], step.alarm);
    }
    // The host reports other notch numbers: the notch placed is the one withdrawn, and a
    // driver's brake after the release is not disturbed.
    EXPECT_EQ(Frame(t += 100, 95.0f).brake, kFullService);
    api().SetVehicleSpec(ATS_VEHICLESPEC{6, 5, 0, 0, 1});
    EXPECT_EQ(Frame(t += 100, 50.0f).brake, 0);
    EXPECT_EQ(Frame(t += 100, 95.0f).brake, 6);
    Frame(t += 100, 50.0f);
    api().SetBrake(6);
    EXPECT_EQ(Frame(t += 100, 40.0f).brake, 6);
    // A restart evaluates the speed afresh, even the whole speed it last saw: the brake of
    // the six-notch vehicle comes back, the driver's went with the restart.
    Frame(t += 100, 95.0f);
    api().Initialize(2);
    EXPECT_EQ(Frame(t += 100, 95.0f).brake, 6);
}

TEST_F(SpeedControlTest, EvaluatesOnlyWhenTheWholeSpeedChanges) {
    Start(kConfig);  // every evaluation at 1 km/h or more warns
    EXPECT_EQ(SoundAt(kAlarm, 1100, 0.9f), kSoundStop);  // still whole 0, as at the start: not evaluated
    EXPECT_EQ(PanelAt(kIndicator, 1200, 1.0f), 1);
    panel[kIndicator] = 7;
    EXPECT_EQ(PanelAt(kIndicator, 1300, 1.8f), 7);  // same whole speed: nothing written
    EXPECT_EQ(PanelAt(kIndicator, 1400, 0.0f), 0);
    EXPECT_EQ(sound[kAlarm], kSoundStop);
}

}  // namespace
