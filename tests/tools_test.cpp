// The interval timer and the float-to-integer conversion every subsystem relies on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "plugin/tools.h"

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

// One call each: the timer before, the clock, whether a full interval of 100 ms has
// passed, and the timer after.
TEST(Timer, FiresOncePerIntervalAndKeepsCadence) {
    const struct {
        int32_t timer, now;
        bool fires;
        int32_t after;
    } rows[] = {
        {0, 500, false, 500},  // 0 starts the timer at this call
        {0, 0, false, 0},      // started at time 0 it still reads "not started"
        {500, 599, false, 500},
        {500, 600, true, 600},
        {100, 450, true, 200},  // after a gap it catches up one interval per call, without drift
        {300, 450, true, 400},
        {400, 450, false, 400},
        {1000, 400, false, 1000},  // a clock that went back reports nothing
        {kMax - 50, kMin + 49, true, kMin + 49},  // the difference wraps at the int32 limits
        {kMin + 10, kMax, false, kMin + 10},      // ... so this lies far in the "past"
    };
    for (const auto& row : rows) {
        int32_t timer = row.timer;
        EXPECT_EQ(tOn(timer, row.now, 100), row.fires) << row.timer << " at " << row.now;
        EXPECT_EQ(timer, row.after) << row.timer << " at " << row.now;
    }
}

TEST(Conversion, TruncatesSaturatesAndIgnoresNaN) {
    const struct {
        double value;
        int32_t result;
    } rows[] = {
        {2.9, 2}, {-2.9, -2}, {2147483646.9, 2147483646}, {3e9, kMax}, {-3e9, kMin},
        {std::numeric_limits<double>::infinity(), kMax}, {-std::numeric_limits<double>::infinity(), kMin},
        {std::nan(""), 0},
    };
    for (const auto& row : rows) EXPECT_EQ(toInt32(row.value), row.result) << row.value;
}

}  // namespace
