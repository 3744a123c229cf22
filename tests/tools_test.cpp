// The interval timer, the float conversion and the flashing indicator.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "config/confload.h"
#include "plugin/state.h"
#include "plugin/tools.h"

namespace {

TEST(Timer, StartsAtFirstCallAndKeepsCadence) {
    int32_t timer = 0;
    EXPECT_FALSE(tOn(timer, 500, 100));
    EXPECT_EQ(timer, 500);
    EXPECT_FALSE(tOn(timer, 599, 100));
    EXPECT_TRUE(tOn(timer, 600, 100));
    EXPECT_EQ(timer, 600);

    // After a gap the timer catches up one interval per call, without drift.
    timer = 100;
    EXPECT_TRUE(tOn(timer, 450, 100));
    EXPECT_EQ(timer, 200);
    EXPECT_TRUE(tOn(timer, 450, 100));
    EXPECT_TRUE(tOn(timer, 450, 100));
    EXPECT_EQ(timer, 400);
    EXPECT_FALSE(tOn(timer, 450, 100));

    // A clock that goes back reports nothing until it passes the timer by an interval.
    timer = 1000;
    EXPECT_FALSE(tOn(timer, 400, 100));
    EXPECT_FALSE(tOn(timer, 1099, 100));
    EXPECT_TRUE(tOn(timer, 1100, 100));

    // Started at time 0 the timer still reads "not started".
    timer = 0;
    EXPECT_FALSE(tOn(timer, 0, 100));
    EXPECT_EQ(timer, 0);
    EXPECT_FALSE(tOn(timer, 50, 100));
    EXPECT_EQ(timer, 50);
}

TEST(Timer, ClockNearTheInt32LimitsWraps) {
    int32_t timer = std::numeric_limits<int32_t>::max() - 50;
    EXPECT_TRUE(tOn(timer, std::numeric_limits<int32_t>::min() + 49, 100));
    EXPECT_EQ(timer, std::numeric_limits<int32_t>::min() + 49);
    timer = std::numeric_limits<int32_t>::min() + 10;
    EXPECT_FALSE(tOn(timer, std::numeric_limits<int32_t>::max(), 100));  // far in the "past"
}

TEST(Conversion, TruncatesSaturatesAndIgnoresNaN) {
    EXPECT_EQ(toInt32(2.9), 2);
    EXPECT_EQ(toInt32(-2.9), -2);
    EXPECT_EQ(toInt32(2147483646.9), 2147483646);
    EXPECT_EQ(toInt32(3e9), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(toInt32(-3e9), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(toInt32(std::numeric_limits<double>::infinity()), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(toInt32(-std::numeric_limits<double>::infinity()), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(toInt32(std::nan("")), 0);
}

TEST(GuardedSlots, OutOfRangeIndicesAreNeverTouched) {
    int32_t panel[kSlotCount + 2] = {};
    int32_t* const saved = gPanel;
    gPanel = panel + 1;  // guard cells on both sides
    setPanel(-1, 5);
    setPanel(256, 5);
    setPanel(-2, 5);
    setPanel(255, 7);
    setPanel(0, 3);
    EXPECT_EQ(panel[0], 0);
    EXPECT_EQ(panel[kSlotCount + 1], 0);
    EXPECT_EQ(getPanel(255), 7);
    EXPECT_EQ(getPanel(0), 3);
    panel[kSlotCount + 1] = 99;
    EXPECT_EQ(getPanel(256), 0);
    EXPECT_EQ(getPanel(-1), 0);
    gPanel = saved;
}

class IndicatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ScrapConfig();
        SetDefaults();
        saved_ = gPanel;
        gPanel = panel_;
        gState.time = 0;
    }
    void TearDown() override {
        gPanel = saved_;
        ScrapConfig();
    }
    int32_t panel_[kSlotCount] = {};
    int32_t* saved_ = nullptr;
};

TEST_F(IndicatorTest, FlashesWithItsPeriodSteadyWithoutOne) {
    PLUGIN_OPTION period{400, nullptr};
    gOpts[opt::tpwsindicator] = PLUGIN_OPTION{12, &period};
    Indicator lamp = NewIndicator(opt::tpwsindicator, 3);
    EXPECT_EQ(lamp.timer, -1);
    EXPECT_FALSE(lamp.phase);
    panel_[12] = 77;
    ShowIndicator(lamp);
    EXPECT_EQ(panel_[12], 0);  // dark and steady

    gState.time = 1000;
    lamp.timer = 0;
    lamp.phase = true;
    ShowIndicator(lamp);
    EXPECT_EQ(panel_[12], 3);  // the first period shows lit
    gState.time = 1399;
    ShowIndicator(lamp);
    EXPECT_EQ(panel_[12], 3);
    gState.time = 1400;
    ShowIndicator(lamp);
    EXPECT_EQ(panel_[12], 0);
    gState.time = 1800;
    ShowIndicator(lamp);
    EXPECT_EQ(panel_[12], 3);
    gOpts[opt::tpwsindicator].next = nullptr;  // the period lives on this test's stack

    // Without a period the lamp is steady by its phase.
    gOpts[opt::tpwsindicator2].value = 20;
    Indicator steady = NewIndicator(opt::tpwsindicator2, 1);
    steady.timer = 0;
    steady.phase = true;
    for (int32_t t : {100, 5000, 90000}) {
        gState.time = t;
        ShowIndicator(steady);
        EXPECT_EQ(panel_[20], 1);
    }
    steady.value = 0;
    ShowIndicator(steady);
    EXPECT_EQ(panel_[20], 0);  // lit with value 0 shows 0

    Indicator absent = NewIndicator(opt::tpwsindicator3, 1);  // option -1: not configured
    absent.phase = true;
    int32_t before[kSlotCount];
    std::copy(panel_, panel_ + kSlotCount, before);
    ShowIndicator(absent);
    EXPECT_TRUE(std::equal(panel_, panel_ + kSlotCount, before));

    // The option is read at every call: a reloaded configuration moves the lamp.
    gOpts[opt::tpwsindicator2].value = 21;
    steady.value = 4;
    ShowIndicator(steady);
    EXPECT_EQ(panel_[21], 4);
}

}  // namespace
