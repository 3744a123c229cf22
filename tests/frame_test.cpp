// The host interface: which arrays are current, what a restart copies, and the
// configuration file beside the library.
#include <filesystem>

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

TEST_F(FrameTest, ReservesReachTheHostArraysOnlyWhenTheyChange) {
    Start("reverserindex=10\n");
    api().SetReverser(1);  // before the first frame: lands in the reserve
    for (auto& v : panel) v = 55;
    for (auto& v : sound) v = 55;
    Frame(100);
    EXPECT_EQ(panel[10], 1);
    EXPECT_EQ(panel[11], 0);
    EXPECT_EQ(sound[11], -10000);

    // Same arrays again: nothing is copied over what the host holds.
    panel[3] = 9;
    sound[4] = 0;
    Frame(200);
    EXPECT_EQ(panel[3], 9);
    EXPECT_EQ(sound[4], 0);

    // Writes now go to the host's array; a new array gets the reserve, not the old array.
    api().SetReverser(-1);
    EXPECT_EQ(panel[10], 2);
    int32_t other[kSlotCount] = {};
    int32_t otherSound[kSlotCount] = {};
    ATS_VEHICLESTATE state{};
    state.time = 300;
    api().Elapse(state, other, otherSound);
    EXPECT_EQ(other[10], 1);
    EXPECT_EQ(otherSound[0], -10000);

    // A restart overwrites the whole host arrays even when they are the same as before.
    Frame(400);
    panel[3] = 9;
    sound[4] = 0;
    api().Initialize(2);
    Frame(500);
    EXPECT_EQ(panel[3], 0);
    EXPECT_EQ(sound[4], -10000);
    EXPECT_EQ(panel[10], 1);  // the reserve keeps what was written into it
}

TEST_F(FrameTest, NullArraysKeepTheCurrentOnes) {
    Start("reverserindex=10\n");
    Frame(100);
    ATS_VEHICLESTATE state{};
    state.time = 200;
    state.speed = 12.5f;
    api().Elapse(state, nullptr, nullptr);
    api().SetReverser(-1);
    EXPECT_EQ(panel[10], 2);
}

TEST_F(FrameTest, ReverserSlotFollowsTheHandle) {
    Start("reverserindex=10\n");
    Frame(100);
    api().SetReverser(-1);
    EXPECT_EQ(panel[10], 2);
    api().SetReverser(1);
    EXPECT_EQ(panel[10], 1);
    api().SetReverser(0);
    EXPECT_EQ(panel[10], 0);
}

TEST_F(FrameTest, UnconfiguredAndOutOfRangeSlotsAreNotWritten) {
    Start("reverserindex=256\neffectivervrindex=-2\n");
    int32_t guarded[kSlotCount + 2];
    for (auto& v : guarded) v = 77;
    ATS_VEHICLESTATE state{};
    state.time = 100;
    api().Elapse(state, guarded + 1, sound);
    api().SetReverser(1);
    api().SetReverser(-1);
    EXPECT_EQ(guarded[0], 77);
    EXPECT_EQ(guarded[kSlotCount + 1], 77);
    for (int i = 1; i <= kSlotCount; ++i) EXPECT_EQ(guarded[i], 0) << i;  // copied reserve, untouched since
}

TEST_F(FrameTest, WithoutAFileNothingIsConfigured) {
    StartWithoutConfig();
    Frame(200);
    api().SetReverser(-1);
    for (int i = 0; i < kSlotCount; ++i) EXPECT_EQ(panel[i], 0) << i;
}

TEST_F(FrameTest, EveryRestartRereadsTheFileBesideTheLibrary) {
    Start("reverserindex=10\n");
    Frame(100);
    api().SetReverser(1);
    EXPECT_EQ(panel[10], 1);

    WriteFile(ConfigPath(), "reverserindex=30\n");
    api().Initialize(2);
    Frame(200);
    api().SetReverser(-1);
    EXPECT_EQ(panel[30], 2);

    std::filesystem::remove(ConfigPath());
    api().Initialize(2);
    Frame(300);
    panel[30] = 0;
    api().SetReverser(1);
    EXPECT_EQ(panel[30], 0);  // no file: back to the default, not configured
}

}  // namespace
