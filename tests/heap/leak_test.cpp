// A whole session of restarts must hand back every byte it took.
#include <gtest/gtest.h>

#include <string>

#include "configs.h"
#include "heap_count.h"
#include "inproc.h"

namespace {

// Runs the train forwards through the gaps announced for its pickups, then backs out of
// the last ones, so records are created, entered, dropped and left half-way.
void throughGaps(inproc::Cab& cab, int round) {
    cab.Frame(20, 50.0f);
    inproc::AnnounceGap(cab, 10 + round % 40);
    for (int i = 0; i < 12; ++i) cab.Frame(100, 60.0f);
    inproc::AnnounceGap(cab, -1);  // a gap no journey ever leaves forwards
    for (int i = 0; i < 4; ++i) cab.Frame(100, -20.0f);
    cab.Frame(100, 0.0f);
}

TEST(LeakTest, ThousandRestartsWithListsAndGapsReleaseEverything) {
    // The long lists come last, so they are the ones in force.
    const std::string heavy = inproc::Everything() + inproc::kListHeavy;
    ASSERT_TRUE(inproc::UseConfig(heavy)) << inproc::ConfigPath();

    const heap::Counts before = heap::Now();
    inproc::Cab cab;
    cab.Boot(8, 5, 0);
    const heap::Counts firstRun = heap::Now();

    // Every check waits until the end: a failure report allocates and would count.
    heap::Counts lastRun{};
    for (int round = 0; round < 1000; ++round) {
        throughGaps(cab, round);
        if (round % 3 == 1) DoorOpen();  // a restart with the doors open
        cab.Restart(round % 3);
        if (round % 3 == 1) DoorClose();
        lastRun = heap::Now();
    }
    throughGaps(cab, 7);
    Dispose();
    const heap::Counts after = heap::Now();

    // The file allocates value nodes and dictionary entries: the check has something to find.
    EXPECT_GT(firstRun.live, before.live + 50);
    // Restarts replace what the run before held instead of adding to it.
    EXPECT_EQ(lastRun.live - firstRun.live, 0) << "blocks kept after 1000 restarts";
    EXPECT_EQ(after.live - before.live, 0) << "blocks still held after Dispose";
}

TEST(LeakTest, SwitchingConfigurationsAndDisposeMidRunReleaseEverything) {
    const std::string configs[] = {inproc::Everything(), inproc::Steam(), inproc::kFull, inproc::kListHeavy};
    const heap::Counts before = heap::Now();
    inproc::Cab cab;
    bool written = true;
    for (int round = 0; round < 40; ++round) {
        written = inproc::UseConfig(configs[round % 4]) && written;
        if (round % 10 == 0) cab.Boot();
        else cab.Restart(round % 3);
        inproc::SetOff(cab);
        throughGaps(cab, round);
        // A host that ends the session in the middle of a run, gaps still pending.
        if (round % 10 == 9) Dispose();
    }
    const heap::Counts after = heap::Now();
    EXPECT_TRUE(written);
    EXPECT_EQ(after.live - before.live, 0);
    inproc::UseNoConfig();
}

}  // namespace
