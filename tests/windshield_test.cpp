// The windscreen wiper's sweep and modes, and rain drops cleared by the blade.
#include "plugin_fixture.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kBlade = 60;
constexpr int kFirstDrop = 100;

class WindshieldTest : public PluginTest {
protected:
    // A frame at 100 ms starts the wiper's step timer; each Step is 10 ms on, one blade
    // step at the default rate.
    void StartWiper(const std::string& config) {
        Start("wiperindex=60\nwipersound=70,0\n" + config);
        Frame(time_);
    }
    int32_t Step() {
        sound[70] = 0;
        Frame(time_ += 10);
        return panel[kBlade];
    }
    void Steps(int n) {
        for (int i = 0; i < n; ++i) Step();
    }
    void Rain(int32_t intensity) { api().SetBeaconData(ATS_BEACONDATA{21, 0, 0.0f, intensity}); }
    int LitDrops(int count) const {
        int lit = 0;
        for (int i = 0; i < count; ++i) lit += panel[kFirstDrop + i] > 0 ? 1 : 0;
        return lit;
    }
    int32_t time_ = 100;
};

// The blade clears the drop under it: positions 1..99 cover drops 0..9, 100 covers none.
TEST_F(WindshieldTest, ContinuousSweepSoundsAndClearedDrops) {
    StartWiper("numberofdrops=10\ndropstartindex=100\n");
    for (int i = 0; i < 10; ++i) panel[kFirstDrop + i] = 5;
    EXPECT_EQ(Step(), 0) << "off: the blade rests";
    api().KeyDown(5);
    std::vector<int32_t> soundAt;
    for (int i = 0; i < 201; ++i) {
        const int32_t position = Step();
        if (sound[70] == 1) soundAt.push_back(position);
        ASSERT_EQ(position, i < 100 ? i + 1 : (i < 200 ? 199 - i : 1)) << i;
        if (i < 99) {
            ASSERT_EQ(LitDrops(10), 9 - position / 10) << position;
            ASSERT_EQ(panel[kFirstDrop + position / 10], 0) << position;
        }
        if (i == 98) panel[kFirstDrop + 9] = 5;
        if (i == 99) {
            EXPECT_EQ(panel[kFirstDrop + 9], 5) << "position 100 clears nothing";
        }
    }
    EXPECT_EQ(soundAt, (std::vector<int32_t>{1, 99, 1}));
}

TEST_F(WindshieldTest, IntermittentWipePausesAtRest) {
    StartWiper("wiperdelay=3000\nwiperindicator=61\n");
    api().KeyDown(5);
    EXPECT_EQ(panel[61], 1);
    EXPECT_EQ(Step(), 1) << "the first pause counts as over";
    Steps(199);
    EXPECT_EQ(panel[kBlade], 0);
    // The pause is measured from the first step at rest, at 2110 ms.
    while (time_ < 5100) ASSERT_EQ(Step(), 0) << time_;
    EXPECT_EQ(Step(), 1);
    panel[61] = 7;
    api().KeyDown(5);  // on to continuous: the indicator is left alone
    EXPECT_EQ(panel[61], 7);
    api().KeyDown(6);
    EXPECT_EQ(panel[61], 1);
    api().KeyDown(6);
    EXPECT_EQ(panel[61], 0);
    Steps(219);
    EXPECT_EQ(panel[kBlade], 0) << "off: rests at the end of the stroke";
}

TEST_F(WindshieldTest, AFrameTakesAtMostTwentySteps) {
    StartWiper("");
    api().KeyDown(5);
    for (int i = 0; i < 4; ++i) Frame(1100);  // 100 intervals due
    EXPECT_EQ(panel[kBlade], 80);
    Frame(1100);
    EXPECT_EQ(panel[kBlade], 96) << "and uses up one more interval";
}

TEST_F(WindshieldTest, ARateBelowOneHundredStepsTwentyTimesEveryFrame) {
    StartWiper("wiperrate=99\n");
    api().KeyDown(5);
    EXPECT_EQ(Step(), 20);
    Frame(time_);  // a zero interval is due again even at the same time
    EXPECT_EQ(panel[kBlade], 40);
}

TEST_F(WindshieldTest, RestPositionOutsideTheTravelIsKeptOnIt) {
    StartWiper("wiperholdposition=150\n");
    api().KeyDown(5);
    EXPECT_EQ(Step(), 99) << "rests at 100 and starts downwards";
    api().KeyDown(6);
    Steps(200);
    EXPECT_EQ(panel[kBlade], 100);
}

TEST_F(WindshieldTest, RestPositionBetweenTheEndsIsPassedOnTheWayDown) {
    StartWiper("wiperholdposition=50\n");
    api().KeyDown(5);
    std::vector<int32_t> soundAt;
    // Up from 50 to 100, down to 0, up through 50 to 100 again.
    for (int i = 0; i < 250; ++i) {
        ASSERT_EQ(Step(), i < 50 ? 51 + i : (i < 150 ? 149 - i : i - 149)) << i;
        if (sound[70] == 1) soundAt.push_back(panel[kBlade]);
    }
    EXPECT_EQ(soundAt, (std::vector<int32_t>{51, 99, 1, 51})) << "leaving rest upwards and at each turn";
    api().KeyDown(6);
    Steps(149);
    EXPECT_EQ(panel[kBlade], 49) << "off: the stroke runs on through 50 down to 0";
    Steps(21);
    EXPECT_EQ(panel[kBlade], 50) << "and stops at rest on the way back up";
}

TEST_F(WindshieldTest, DropCountIsClampedTo256AndSlotsBeyondThePanelAreSkipped) {
    StartWiper("numberofdrops=300\ndropstartindex=200\n");
    panel[202] = panel[203] = 5;
    api().KeyDown(5);
    EXPECT_EQ(Step(), 1);
    EXPECT_EQ(panel[202] * 10 + panel[203], 5) << "position 1 covers drop 2 of 256";
    api().KeyDown(6);
    std::srand(1);
    Rain(100);
    Steps(1000);  // drops 56 and up lie beyond the panel
    int outside = 0;
    int inside = 0;
    for (int i = 0; i < kSlotCount; ++i) {
        if (i < 200 && i != kBlade) outside += panel[i] != 0 ? 1 : 0;
        if (i >= 200) inside += panel[i] > 0 ? 1 : 0;
    }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(inside, 0);
}

// Rain shows drops in the order of the random numbers, from the test's own generator.
// A choice among fewer than one sound slot plays the first and draws no random number.
class RainOrderTest : public WindshieldTest, public ::testing::WithParamInterface<int> {};

TEST_P(RainOrderTest, ReplaysTheRandomNumbers) {
    const int choice = GetParam();
    StartWiper("numberofdrops=10\ndropstartindex=100\nwiperindex=-1\ndropsound=80," + std::to_string(choice) + "\n");
    std::srand(1234);
    Rain(100);  // at 100 ms: the first event comes with the next frame
    Step();
    std::srand(1234);
    const int firstSound = choice > 1 ? std::rand() % choice : 0;
    const int firstDrop = std::rand() % 9;  // 10 hidden drops reach 9 places
    const int interval = 200 + std::rand() % 160 - 80;
    EXPECT_EQ(sound[80 + firstSound], 1);
    if (choice == 3) {
        EXPECT_EQ(sound[80 + (firstSound + 1) % 3], -10000);
    }
    EXPECT_EQ(panel[kFirstDrop + firstDrop], 1);
    while (time_ + 10 < 100 + interval) {
        Step();
        ASSERT_EQ(LitDrops(10), 1) << time_;
    }
    sound[80] = sound[81] = sound[82] = 0;
    Step();
    std::srand(1234);
    for (int i = 0; i < (choice > 1 ? 3 : 2); ++i) std::rand();
    const int secondSound = choice > 1 ? std::rand() % choice : 0;
    const int place = std::rand() % 8;  // 9 hidden drops reach 8 places
    EXPECT_EQ(sound[80 + secondSound], 1);
    EXPECT_EQ(panel[kFirstDrop + (place == firstDrop ? 9 : place)], 1) << "the shown drop's place went to drop 9";
    EXPECT_EQ(LitDrops(10), 2);
}

INSTANTIATE_TEST_SUITE_P(SoundChoices, RainOrderTest, ::testing::Values(3, 0, -3));

TEST_F(WindshieldTest, RainStopsAndDropsStayUntilWiped) {
    // Resting at 100 the blade covers no drop.
    StartWiper("numberofdrops=4\ndropstartindex=100\ndropsound=80\nwiperholdposition=100\n");
    Rain(100);
    Steps(400);  // an event every 279 ms or less
    EXPECT_EQ(LitDrops(4), 4);
    sound[80] = 0;
    Steps(30);
    EXPECT_EQ(sound[80], 1) << "with every drop shown an event only sounds";
    Rain(101);
    Rain(-1);
    Rain(0);
    sound[80] = 0;
    Steps(100);
    EXPECT_EQ(sound[80], 0) << "no rain";
    EXPECT_EQ(LitDrops(4), 4);
    api().KeyDown(5);
    Steps(200);
    EXPECT_EQ(LitDrops(4), 0);
}

}  // namespace
