// Heap checks with the plugin's code linked in and every allocation counted: a long session
// must hand back every block it took, and frames must never touch the heap (an allocation
// per frame is a pause the driver sees sooner or later, and a failure the plugin cannot
// report).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include "configs.h"
#include "inproc.h"

// The checks run on one thread; plain counters keep the counting itself allocation-free.
namespace {
uint64_t allocations = 0;  // calls that handed out memory
int64_t live = 0;          // blocks handed out and not yet released

void* counted(void* p) {
    if (p != nullptr) {
        ++allocations;
        ++live;
    }
    return p;
}

void* allocate(std::size_t size) { return counted(std::malloc(size == 0 ? 1 : size)); }

void* allocateOrThrow(std::size_t size) {
    void* p = allocate(size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

void release(void* p) {
    if (p != nullptr) --live;
    std::free(p);
}
}  // namespace

// Every form of operator new and delete the program uses, so none falls through to the
// library's own (uncounted) versions. The plugin allocates no over-aligned types and calls
// no C allocator.
void* operator new(std::size_t size) { return allocateOrThrow(size); }
void* operator new[](std::size_t size) { return allocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }

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

TEST(HeapTest, RestartsHandBackEveryBlockAndFramesAllocateNothing) {
    // Made before counting starts, as they live to its end.
    const std::string configs[] = {inproc::Everything(), inproc::Steam(), std::string()};
    // The long lists and dictionary lines come last, so they are the ones in force.
    ASSERT_TRUE(inproc::UseConfig(configs[0] + inproc::kListHeavy));
    const int64_t before = live;
    inproc::Cab cab;
    cab.Boot(8, 5, 0);
    const int64_t firstRun = live;
    // Every check waits until the end: a failure report allocates and would count.
    int64_t lastRun = 0;
    for (int round = 0; round < 1000; ++round) {
        throughGaps(cab, round);
        if (round % 3 == 1) DoorOpen();  // a restart with the doors open
        cab.Restart(round % 3);
        if (round % 3 == 1) DoorClose();
        lastRun = live;
    }
    // Then 100 000 frames each with every subsystem configured on a diesel and on a steam
    // cab, and with the defaults; a gap is announced before each block of 10 000 (announcing
    // allocates its records) and the driver acknowledges the devices now and then.
    bool written = true;
    uint64_t frameAllocations = 0;
    for (const std::string& config : configs) {
        written = inproc::UseConfig(config) && written;
        cab.Restart();
        inproc::SetOff(cab);
        for (uint32_t frame = 0; frame < 100000; ++frame) {
            if (frame % 10000u == 0) inproc::AnnounceGap(cab, 40 + static_cast<int32_t>(frame / 1000u));
            const uint64_t start = allocations;
            cab.Frame(20, inproc::CruiseSpeed(frame));
            if (frame % 1000u == 999u) inproc::Routine(cab, frame / 1000u);
            frameAllocations += allocations - start;
        }
    }
    // A host that ends the session in the middle of a run, gaps still pending, and loads
    // the plugin again with every known key.
    Dispose();
    written = inproc::UseConfig(inproc::kFull) && written;
    cab.Boot();
    throughGaps(cab, 3);
    Dispose();

    EXPECT_TRUE(written);
    // The file allocates value nodes and dictionary entries: the check has something to find.
    EXPECT_GT(firstRun, before + 50);
    EXPECT_EQ(lastRun, firstRun) << "blocks kept after 1000 restarts";
    EXPECT_EQ(frameAllocations, 0u) << "allocations in 300 000 frames";
    EXPECT_EQ(live, before) << "blocks still held after Dispose";
    inproc::UseNoConfig();
}

}  // namespace
