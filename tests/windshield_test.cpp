// The windscreen wiper's sweep and modes, and rain drops cleared by the blade.
#include "plugin_fixture.h"

#include <cstdlib>
#include <vector>

namespace {

constexpr int kBlade = 60;
constexpr int kWiperSound = 70;
constexpr int kDropSound = 80;
constexpr int kFirstDrop = 100;

class WindshieldTest : public PluginTest {
protected:
    // Starts the wiper's step timer with a frame at 100 ms; later frames come every 10 ms,
    // one blade step each at the default rate.
    void StartWiper(const std::string& config) {
        Start("wiperindex=60\n" + config);
        Frame(time_);
    }
    // One frame 10 ms on; returns the blade position and whether the wiper sound played.
    int32_t Step(bool* played = nullptr) {
        sound[kWiperSound] = 0;
        Frame(time_ += 10);
        if (played != nullptr) *played = sound[kWiperSound] == 1;
        return panel[kBlade];
    }
    void Rain(int32_t intensity) { api().SetBeaconData(ATS_BEACONDATA{21, 0, 0.0f, intensity}); }
    int LitDrops(int count) const {
        int lit = 0;
        for (int i = 0; i < count; ++i) lit += panel[kFirstDrop + i] > 0 ? 1 : 0;
        return lit;
    }
    void ExpectDropWithoutSoundChoice(const std::string& dropsound);
    int32_t time_ = 100;
};

TEST_F(WindshieldTest, ContinuousSweepFromRestAtZero) {
    StartWiper("wipersound=70\n");
    EXPECT_EQ(Step(), 0) << "off: the blade rests";
    api().KeyDown(5);
    std::vector<int32_t> seen;
    std::vector<int32_t> soundAt;
    for (int i = 0; i < 202; ++i) {
        bool played = false;
        seen.push_back(Step(&played));
        if (played) soundAt.push_back(seen.back());
    }
    for (int i = 0; i < 100; ++i) EXPECT_EQ(seen[static_cast<size_t>(i)], i + 1);
    for (int i = 100; i < 200; ++i) EXPECT_EQ(seen[static_cast<size_t>(i)], 199 - i);
    EXPECT_EQ(seen[200], 1);
    EXPECT_EQ(soundAt, (std::vector<int32_t>{1, 1})) << "only when leaving the rest position";
}

TEST_F(WindshieldTest, TurnSoundPlaysAtBothEnds) {
    StartWiper("wipersound=70,0\n");
    api().KeyDown(5);
    std::vector<int32_t> soundAt;
    for (int i = 0; i < 201; ++i) {
        bool played = false;
        const int32_t position = Step(&played);
        if (played) soundAt.push_back(position);
    }
    EXPECT_EQ(soundAt, (std::vector<int32_t>{1, 99, 1}));
}

TEST_F(WindshieldTest, IntermittentWipePausesAtRest) {
    StartWiper("wiperdelay=3000\nwiperindicator=61\n");
    api().KeyDown(5);
    EXPECT_EQ(panel[61], 1);
    EXPECT_EQ(Step(), 1) << "the first pause counts as over";
    for (int i = 0; i < 199; ++i) Step();
    EXPECT_EQ(panel[kBlade], 0);
    EXPECT_EQ(time_, 2100);
    // The pause is measured from the first step at rest (2110 ms).
    while (time_ < 5100) EXPECT_EQ(Step(), 0) << time_;
    EXPECT_EQ(Step(), 1);
    EXPECT_EQ(time_, 5110);
}

TEST_F(WindshieldTest, ModeKeysWithAnIntermittentSetting) {
    StartWiper("wiperdelay=3000\nwiperindicator=61\n");
    api().KeyDown(6);
    EXPECT_EQ(panel[61], 0) << "off stays off";
    api().KeyDown(5);
    panel[61] = 7;
    api().KeyDown(5);  // intermittent to continuous: the indicator is left alone
    EXPECT_EQ(panel[61], 7);
    api().KeyDown(5);
    EXPECT_EQ(panel[61], 7);
    for (int i = 0; i < 201; ++i) Step();
    EXPECT_EQ(panel[kBlade], 1) << "continuous passes the rest position";
    api().KeyDown(6);
    EXPECT_EQ(panel[61], 1);
    for (int i = 0; i < 99; ++i) Step();
    EXPECT_EQ(panel[kBlade], 100);
    for (int i = 0; i < 100; ++i) Step();
    EXPECT_EQ(panel[kBlade], 0);
    EXPECT_EQ(Step(), 0) << "intermittent pauses";
    api().KeyDown(6);
    EXPECT_EQ(panel[61], 0);
    for (int i = 0; i < 400; ++i) EXPECT_EQ(Step(), 0);
}

TEST_F(WindshieldTest, OffFinishesTheStrokeWithoutDelay) {
    StartWiper("wiperindicator=61\nwiperholdposition=50\n");
    api().KeyDown(5);
    EXPECT_EQ(Step(), 51) << "a rest position between the ends starts upwards";
    api().KeyDown(6);
    for (int i = 0; i < 49; ++i) Step();
    EXPECT_EQ(panel[kBlade], 100);
    for (int i = 0; i < 50; ++i) Step();
    EXPECT_EQ(panel[kBlade], 50) << "stops as it reaches the rest position on the way down";
    for (int i = 0; i < 50; ++i) EXPECT_EQ(Step(), 50);
    EXPECT_EQ(panel[61], 0) << "without a delay the indicator is never written";
}

TEST_F(WindshieldTest, AtMostTwentyStepsAFrame) {
    StartWiper("wiperrate=50\n");
    api().KeyDown(5);
    Frame(200);
    EXPECT_EQ(panel[kBlade], 20);
    Frame(300);
    EXPECT_EQ(panel[kBlade], 40);
}

TEST_F(WindshieldTest, ALongFrameUsesUpTheTwentyFirstIntervalWithoutAStep) {
    StartWiper("");
    api().KeyDown(5);
    // 100 intervals are due; each frame takes 20 steps and uses up one more interval.
    for (int i = 0; i < 4; ++i) Frame(1100);
    EXPECT_EQ(panel[kBlade], 80);
    Frame(1100);
    EXPECT_EQ(panel[kBlade], 96);
    Frame(1100);
    EXPECT_EQ(panel[kBlade], 96);
}

TEST_F(WindshieldTest, RestPositionOutsideTheTravelIsKeptOnIt) {
    StartWiper("wiperholdposition=150\n");
    api().KeyDown(5);
    EXPECT_EQ(Step(), 99) << "rests at 100 and starts downwards";
    api().KeyDown(6);
    for (int i = 0; i < 199; ++i) Step();
    EXPECT_EQ(panel[kBlade], 100);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(Step(), 100);
}

TEST_F(WindshieldTest, NegativeRestPositionRestsAtZero) {
    StartWiper("wiperholdposition=-20\n");
    EXPECT_EQ(Step(), 0);
    api().KeyDown(5);
    EXPECT_EQ(Step(), 1);
}

TEST_F(WindshieldTest, BladeClearsTheDropUnderIt) {
    StartWiper("numberofdrops=10\ndropstartindex=100\n");
    for (int i = 0; i < 10; ++i) panel[kFirstDrop + i] = 5;
    api().KeyDown(5);
    for (int position = 1; position <= 99; ++position) {
        ASSERT_EQ(Step(), position);
        const int cleared = position / 10;
        EXPECT_EQ(panel[kFirstDrop + cleared], 0) << position;
        if (cleared < 9) {
            EXPECT_EQ(panel[kFirstDrop + cleared + 1], 5) << position;
        }
    }
    panel[kFirstDrop + 9] = 5;
    EXPECT_EQ(Step(), 100);
    EXPECT_EQ(panel[kFirstDrop + 9], 5) << "position 100 clears nothing";
    EXPECT_EQ(Step(), 99);
    EXPECT_EQ(panel[kFirstDrop + 9], 0);
}

TEST_F(WindshieldTest, DropCountIsClampedTo256) {
    StartWiper("numberofdrops=300\ndropstartindex=0\n");
    panel[2] = 5;
    panel[3] = 5;
    api().KeyDown(5);
    EXPECT_EQ(Step(), 1);
    EXPECT_EQ(panel[2], 0) << "position 1 covers drop 2 of 256";
    EXPECT_EQ(panel[3], 5);
}

TEST_F(WindshieldTest, DropSlotsBeyondThePanelAreSkipped) {
    StartWiper("numberofdrops=10\ndropstartindex=2147483600\n");
    for (int i = 0; i < kSlotCount; ++i) panel[i] = 5;
    panel[kBlade] = 0;
    api().KeyDown(5);
    Rain(100);
    for (int i = 0; i < 300; ++i) Step();
    int changed = 0;
    for (int i = 0; i < kSlotCount; ++i) changed += (i != kBlade && panel[i] != 5) ? 1 : 0;
    EXPECT_EQ(changed, 0);
}

TEST_F(WindshieldTest, RainShowsDropsInTheOrderOfTheRandomNumbers) {
    StartWiper("numberofdrops=10\ndropstartindex=100\ndropsound=80,3\nwiperindex=-1\n");
    std::srand(1234);
    Rain(100);  // at 100 ms: the first drop event comes with the next frame
    sound[80] = sound[81] = sound[82] = 0;
    Step();
    std::srand(1234);
    const int firstSound = std::rand() % 3;
    const int firstDrop = std::rand() % 9;  // 10 hidden drops reach 9 places
    const int interval = 200 + std::rand() % 160 - 80;
    EXPECT_EQ(sound[kDropSound + firstSound], 1);
    EXPECT_EQ(sound[kDropSound + (firstSound + 1) % 3], 0);
    EXPECT_EQ(panel[kFirstDrop + firstDrop], 1);
    EXPECT_EQ(LitDrops(10), 1);
    // The next event comes a whole interval after the first one's due time (100 ms).
    while (time_ + 10 < 100 + interval) {
        Step();
        EXPECT_EQ(LitDrops(10), 1) << time_;
    }
    sound[80] = sound[81] = sound[82] = 0;
    Step();
    // The plugin draws from the same generator: replay it past the first event's numbers.
    std::srand(1234);
    for (int i = 0; i < 3; ++i) std::rand();
    const int secondSound = std::rand() % 3;
    const int place = std::rand() % 8;  // 9 hidden drops reach 8 places
    const int secondDrop = place == firstDrop ? 9 : place;  // the shown drop's place went to drop 9
    EXPECT_EQ(sound[kDropSound + secondSound], 1);
    EXPECT_EQ(panel[kFirstDrop + secondDrop], 1);
    EXPECT_EQ(LitDrops(10), 2);
}

// A choice among fewer than one sound slot plays the first and draws no random number:
// the first drop event's single number picks the drop.
void WindshieldTest::ExpectDropWithoutSoundChoice(const std::string& dropsound) {
    StartWiper("numberofdrops=10\ndropstartindex=100\n" + dropsound);
    std::srand(99);
    Rain(50);
    Step();
    std::srand(99);
    EXPECT_EQ(sound[kDropSound], 1);
    EXPECT_EQ(panel[kFirstDrop + std::rand() % 9], 1);
    EXPECT_EQ(LitDrops(10), 1);
}

TEST_F(WindshieldTest, DropSoundChoiceOfZeroActsAsOne) { ExpectDropWithoutSoundChoice("dropsound=80,0\n"); }

TEST_F(WindshieldTest, DropSoundChoiceBelowZeroActsAsOne) { ExpectDropWithoutSoundChoice("dropsound=80,-3\n"); }

TEST_F(WindshieldTest, RainStopsAndDropsStayUntilWiped) {
    // Resting at 100 the blade covers no drop.
    StartWiper("numberofdrops=4\ndropstartindex=100\ndropsound=80\nwiperholdposition=100\n");
    Rain(100);
    for (int i = 0; i < 400; ++i) Step();  // 4 s at one event every 279 ms or less
    EXPECT_EQ(LitDrops(4), 4);
    sound[kDropSound] = 0;
    for (int i = 0; i < 30; ++i) Step();
    EXPECT_EQ(sound[kDropSound], 1) << "with every drop shown the event only sounds";
    Rain(101);
    Rain(-1);
    Rain(0);
    sound[kDropSound] = 0;
    for (int i = 0; i < 100; ++i) Step();
    EXPECT_EQ(sound[kDropSound], 0) << "no rain";
    EXPECT_EQ(LitDrops(4), 4);
    api().KeyDown(5);
    for (int i = 0; i < 200; ++i) Step();
    EXPECT_EQ(LitDrops(4), 0);
}

TEST_F(WindshieldTest, WithoutABladeDropsStay) {
    Start("numberofdrops=4\ndropstartindex=100\n");
    Frame(time_);
    Rain(100);
    for (int i = 0; i < 400; ++i) Step();
    EXPECT_EQ(LitDrops(4), 4);
}

}  // namespace
