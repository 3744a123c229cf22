// What a host sends beyond any real train: the plugin keeps working with numbers it can
// count with.
#include <climits>

#include "plugin_fixture.h"

namespace {

class HostLimitsTest : public PluginTest {};

TEST_F(HostLimitsTest, NotchCountsAreKeptWithin0To1000) {
    Start("doorapplybrake=2\nneutralrvrbrake=2\n", INT_MAX, INT_MAX, 2);
    // The neutral reverser demands the emergency notch of the capped count.
    Frame(100);
    EXPECT_EQ(out.brake, 1001);
    api().SetReverser(1);
    api().SetPower(1000);
    Frame(200);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(out.power, 1000);
    api().DoorOpen();
    Frame(300);
    EXPECT_EQ(out.brake, 1001);
    api().DoorClose();
    // A notch past the capped count is one no demand can reach.
    api().SetBrake(1002);
    Frame(400);
    EXPECT_EQ(out.brake, 0);

    // Negative counts act as none: the emergency notch of a brake without service notches.
    TearDown();
    Start("doorapplybrake=2\n", -5, INT_MIN, 2);
    api().DoorOpen();
    Frame(100);
    EXPECT_EQ(out.brake, 1);
    api().DoorClose();
    api().SetPower(1);
    Frame(200);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(out.power, 0);
}

}  // namespace
