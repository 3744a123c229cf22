// The speed selector: the power handle picks a target speed, the key lets power flow.
#include "plugin_fixture.h"

namespace {

class SpeedSelectorTest : public PluginTest {};

constexpr int kSelectorKey = 7;
const std::string kSelector = "speedselectorkey=7\nspeedselectorspeeds=0,20,40,60\n";

TEST_F(SpeedSelectorTest, PowerFlowsBelowTheNotchTargetWhileTheKeyIsHeld) {
    Start(kSelector);
    api().SetPower(2);
    EXPECT_EQ(Frame(100).power, 0) << "the handle alone applies no power";
    api().KeyDown(kSelectorKey);
    EXPECT_EQ(Frame(200).power, 2);
    EXPECT_EQ(Frame(300, 39.9f).power, 2);
    EXPECT_EQ(Frame(400, 40.0f).power, 0) << "target of notch 2 reached";
    EXPECT_EQ(Frame(500, 39.0f).power, 2) << "no hysteresis";
    // Notches beyond the list take its last number: 60 km/h.
    api().SetPower(5);
    EXPECT_EQ(Frame(600, 59.0f).power, 5);
    EXPECT_EQ(Frame(700, 60.0f).power, 0);
    // Running backwards counts by the magnitude of the speed.
    EXPECT_EQ(Frame(800, -30.0f).power, 5);
    EXPECT_EQ(Frame(900, -61.0f).power, 0);
    EXPECT_EQ(Frame(1000, -30.0f).power, 5);
    api().KeyUp(kSelectorKey);
    EXPECT_EQ(Frame(1100, -30.0f).power, 0) << "releasing the key drops power";
    api().KeyUp(kSelectorKey + 1);
    api().KeyDown(kSelectorKey + 1);
    EXPECT_EQ(Frame(1200, -30.0f).power, 0) << "other keys do nothing";
}

TEST_F(SpeedSelectorTest, ZeroTargetsNeverApplyPower) {
    Start(kSelector);
    api().KeyDown(kSelectorKey);
    EXPECT_EQ(Frame(100).power, 0) << "notch 0 has target 0";
    api().SetPower(1);
    EXPECT_EQ(Frame(200).power, 1);
}

TEST_F(SpeedSelectorTest, TheDefaultListGivesEveryNotchTargetZero) {
    Start("speedselectorkey=7\n");
    api().KeyDown(kSelectorKey);
    api().SetPower(4);
    EXPECT_EQ(Frame(100).power, 0);
    EXPECT_EQ(Frame(200, -5.0f).power, 0);
}

TEST_F(SpeedSelectorTest, WithoutAKeyTheHandleActsDirectly) {
    Start("speedselectorspeeds=0,20,40,60\n");
    api().SetPower(3);
    EXPECT_EQ(Frame(100, 80.0f).power, 3);
    api().KeyDown(-1);
    api().SetPower(1);
    EXPECT_EQ(Frame(200, 80.0f).power, 1);
}

TEST_F(SpeedSelectorTest, TheSelectorDemandCountsWithTheOthers) {
    Start(kSelector + "doorpowerlock=1\n");
    api().SetPower(3);
    api().KeyDown(kSelectorKey);
    EXPECT_EQ(Frame(100).power, 3);
    api().DoorOpen();
    EXPECT_EQ(Frame(200).power, 0);
    api().DoorClose();
    EXPECT_EQ(Frame(300).power, 3);
    // Moving the handle while engaged moves the demand, with no demand left behind.
    api().SetPower(1);
    EXPECT_EQ(Frame(400, 10.0f).power, 1);
    api().SetPower(2);
    EXPECT_EQ(Frame(500, 10.0f).power, 2);
    api().KeyUp(kSelectorKey);
    EXPECT_EQ(Frame(600, 10.0f).power, 0);
    api().KeyDown(kSelectorKey);
    EXPECT_EQ(Frame(700, 10.0f).power, 2);

    // A restart forgets the held key.
    api().Initialize(2);
    api().SetPower(2);
    EXPECT_EQ(Frame(800).power, 0);
}

}  // namespace
