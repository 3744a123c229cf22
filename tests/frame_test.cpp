// The host interface: which arrays are current, what a restart copies, and the
// configuration file beside the library.
#include <filesystem>

#include "plugin_fixture.h"

namespace {

using ::testing::ElementsAre;

class FrameTest : public PluginTest {};

TEST_F(FrameTest, ReservesReachTheHostArraysOnlyWhenTheyChange) {
    Start("reverserindex=10\n");
    api().SetReverser(1);  // before the first frame: lands in the reserve
    for (auto& v : panel) v = 55;
    for (auto& v : sound) v = 55;
    Frame(100);
    EXPECT_THAT(Panel({10, 11}), ElementsAre(1, 0));
    EXPECT_EQ(sound[11], kSoundStop);

    // Same arrays again: nothing is copied over what the host holds.
    panel[3] = 9;
    sound[4] = kSoundLoop;
    Frame(200);
    EXPECT_EQ(panel[3], 9);
    EXPECT_EQ(sound[4], kSoundLoop);

    // Writes now go to the host's array, also after a frame without arrays; a new array
    // gets the reserve, not the old array.
    api().Elapse(ATS_VEHICLESTATE{0.0, 12.5f, 250, 0, 0, 0, 0, 0, 0}, nullptr, nullptr);
    api().SetReverser(-1);
    EXPECT_EQ(panel[10], 2);
    api().SetReverser(0);
    EXPECT_EQ(panel[10], 0);
    int32_t other[2][kSlotCount] = {};  // panel and sound
    api().Elapse(ATS_VEHICLESTATE{0.0, 0.0f, 300, 0, 0, 0, 0, 0, 0}, other[0], other[1]);
    EXPECT_EQ(other[0][10], 1);
    EXPECT_EQ(other[1][0], kSoundStop);

    // A restart overwrites the whole host arrays even when they are the same as before.
    Frame(400);
    panel[3] = 9;
    sound[4] = kSoundLoop;
    api().Initialize(2);
    Frame(500);
    EXPECT_EQ(sound[4], kSoundStop);
    EXPECT_THAT(Panel({3, 10}), ElementsAre(0, 1));  // the reserve keeps what was written into it
}

TEST_F(FrameTest, UnconfiguredAndOutOfRangeSlotsAreNotWritten) {
    Start("reverserindex=256\neffectivervrindex=-2\n");
    std::vector<int32_t> guarded(kSlotCount + 2, 77);
    api().Elapse(ATS_VEHICLESTATE{0.0, 0.0f, 100, 0, 0, 0, 0, 0, 0}, guarded.data() + 1, sound);
    api().SetReverser(1);
    api().SetReverser(-1);
    EXPECT_EQ(guarded.front(), 77);
    EXPECT_EQ(guarded.back(), 77);
    for (size_t i = 1; i <= kSlotCount; ++i) EXPECT_EQ(guarded[i], 0) << i;  // copied reserve, untouched since
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
