// What a host sends beyond any real train: the plugin keeps working with numbers it can
// count with.
#include <climits>

#include "plugin_fixture.h"

namespace {

class HostLimitsTest : public PluginTest {};

TEST_F(HostLimitsTest, NotchCountsBeyondAnyVehicleAreCappedAtAThousand) {
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
}

TEST_F(HostLimitsTest, NegativeNotchCountsActAsNone) {
    Start("doorapplybrake=2\n", -5, INT_MIN, 2);
    api().DoorOpen();
    Frame(100);
    EXPECT_EQ(out.brake, 1);  // the emergency notch of a brake without service notches
    api().DoorClose();
    api().SetPower(1);
    Frame(200);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(out.power, 0);
}

TEST_F(HostLimitsTest, ChangedSpecBetweenRestartsTakesEffectAtTheNextInitialize) {
    Start("doorapplybrake=2\n", 8, 5, 2);
    api().SetVehicleSpec(ATS_VEHICLESPEC{INT_MAX, 4, 0, 0, 1});
    api().DoorOpen();
    Frame(100);
    // The tables were sized for 8 notches; the capped emergency notch lies outside them.
    EXPECT_EQ(out.brake, 0);
    api().DoorClose();
    api().Initialize(2);
    api().DoorOpen();
    Frame(200);
    EXPECT_EQ(out.brake, 1001);
}

}  // namespace
