// The speed selector: the power handle picks a target speed, the key lets power flow.
#include "plugin_fixture.h"

namespace {

class SpeedSelectorTest : public PluginTest {};

TEST_F(SpeedSelectorTest, PowerFlowsBelowTheNotchTargetWhileTheKeyIsHeld) {
    Start("speedselectorkey=7\nspeedselectorspeeds=0,20,40,60\ndoorpowerlock=1\n");
    api().KeyDown(7);
    api().SetPower(2);
    EXPECT_EQ(Frame(200, 39.9f).power, 2);
    EXPECT_EQ(Frame(300, 40.0f).power, 0) << "target of notch 2 reached";
    EXPECT_EQ(Frame(400, 39.0f).power, 2) << "no hysteresis";
    api().SetPower(1);  // 20 km/h, already passed
    EXPECT_EQ(Frame(450, 39.0f).power, 0);
    api().SetPower(5);  // beyond the list: its last number, 60 km/h
    EXPECT_EQ(Frame(500, -59.0f).power, 5) << "backwards counts by magnitude";
    EXPECT_EQ(Frame(600, -60.0f).power, 0);
    // The selector's demand counts with the others and leaves none behind.
    api().DoorOpen();
    EXPECT_EQ(Frame(800, 30.0f).power, 0);
    api().DoorClose();
    api().SetPower(3);
    EXPECT_EQ(Frame(900, 30.0f).power, 3);
    api().KeyUp(7);
    EXPECT_EQ(Frame(1000, 30.0f).power, 0);
    api().KeyDown(8);
    EXPECT_EQ(Frame(1100, 30.0f).power, 0) << "only the selector key engages";
    api().KeyDown(7);
    api().SetPower(1);
    EXPECT_EQ(Frame(1200, 10.0f).power, 1);
    api().Initialize(2);  // a restart forgets the held key
    api().SetPower(1);
    EXPECT_EQ(Frame(1300).power, 0);
}

TEST_F(SpeedSelectorTest, WithoutAKeyTheHandleActsDirectly) {
    Start("speedselectorspeeds=0,20\n");
    api().SetPower(3);
    EXPECT_EQ(Frame(100, 80.0f).power, 3);
}

TEST_F(SpeedSelectorTest, TheTractionInterlockStillHoldsWhileEngaged) {
    Start("speedselectorkey=7\nspeedselectorspeeds=0,20,40,60\ntractioninterlock=1\n");
    api().KeyDown(7);
    api().SetPower(2);
    EXPECT_EQ(Frame(300, 30.0f).power, 2);
    api().SetBrake(3);
    EXPECT_EQ(Frame(400, 30.0f).power, 0) << "a brake application cuts the selector's power too";
    api().SetBrake(0);
    EXPECT_EQ(Frame(500, 30.0f).power, 0) << "until the handle goes through 0";
    api().SetPower(0);
    Frame(600, 30.0f);
    api().SetPower(2);
    EXPECT_EQ(Frame(700, 30.0f).power, 2);
}

}  // namespace
