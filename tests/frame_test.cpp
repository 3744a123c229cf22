// The host interface: arrays, records, the door interlocks and the reverser slot.
#include "plugin_fixture.h"

namespace {

class FrameTest : public PluginTest {};

TEST_F(FrameTest, VersionAndReleasedStart) {
    StartWithoutConfig(8, 5, 2);
    EXPECT_EQ(api().GetPluginVersion(), 131072);
    Frame(100);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(out.power, 0);
    EXPECT_EQ(out.reverser, 0);
    EXPECT_EQ(out.constantSpeed, 0);
}

}  // namespace
