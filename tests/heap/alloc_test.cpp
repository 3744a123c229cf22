// Frames must never touch the heap: an allocation per frame is a pause the driver sees
// sooner or later, and a failure the plugin cannot report.
#include <gtest/gtest.h>

#include <string>

#include "config/confload.h"
#include "configs.h"
#include "heap_count.h"
#include "inproc.h"

namespace {

// 100 000 frames in blocks of 10 000; a gap is announced before each block (announcing
// allocates its records) and the driver acknowledges the devices now and then within it.
uint64_t allocationsOverLongRun(const std::string& config) {
    if (!inproc::UseConfig(config)) return ~0ull;
    inproc::Cab cab;
    cab.Boot();
    // The file was read: the run below is the heavy one it is meant to be.
    EXPECT_EQ(Option(opt::numberofdrops), 256);
    EXPECT_EQ(Option(opt::powergapbehaviour), 1);
    inproc::SetOff(cab);
    uint64_t total = 0;
    uint32_t frame = 0;
    for (uint32_t block = 0; block < 10; ++block) {
        inproc::AnnounceGap(cab, 40 + static_cast<int32_t>(block) * 10);
        const uint64_t start = heap::Now().allocations;
        for (uint32_t i = 0; i < 10000; ++i, ++frame) {
            cab.Frame(20, inproc::CruiseSpeed(frame));
            if (frame % 1000u == 999u) inproc::Routine(cab, frame / 1000u);
        }
        total += heap::Now().allocations - start;
    }
    Dispose();
    return total;
}

TEST(AllocationTest, FramesWithEverythingConfiguredAllocateNothing) {
    EXPECT_EQ(allocationsOverLongRun(inproc::Everything()), 0u) << "diesel cab";
    EXPECT_EQ(allocationsOverLongRun(inproc::Steam()), 0u) << "steam cab";
}

TEST(AllocationTest, FramesWithTheDefaultsAllocateNothing) {
    inproc::UseNoConfig();
    inproc::Cab cab;
    cab.Boot();
    const uint64_t start = heap::Now().allocations;
    for (uint32_t i = 0; i < 100000; ++i) cab.Frame(20, inproc::CruiseSpeed(i));
    EXPECT_EQ(heap::Now().allocations - start, 0u);
    Dispose();
}

// The counter itself must see allocations, or the checks above prove nothing.
TEST(AllocationTest, CounterSeesAllocations) {
    const uint64_t start = heap::Now().allocations;
    // Through a volatile pointer, so the compiler may not leave the pair out.
    int* volatile p = new int(5);
    delete p;
    EXPECT_EQ(heap::Now().allocations - start, 1u);
}

}  // namespace
