// The windscreen wiper's sweep and modes, and rain drops cleared by the blade.
#include "plugin_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::Not;

constexpr int kBlade = 60;

// The blade's positions step by step along a path through the given points.
std::vector<int32_t> Path(std::initializer_list<int32_t> points) {
    std::vector<int32_t> path{*points.begin()};
    for (const int32_t point : points) {
        while (path.back() != point) path.push_back(path.back() + (point > path.back() ? 1 : -1));
    }
    return path;
}

class WindshieldTest : public PluginTest {
protected:
    // A frame at 100 ms starts the wiper's timer; at the default rate a step is due every 10 ms.
    void StartWiper(const std::string& config) {
        Start("wiperindex=60\nwipersound=70,0\n" + config);
        Frame(time_);
    }
    // n frames 10 ms apart: the blade's positions; where the wiper sound played goes to sounds_.
    std::vector<int32_t> Sweep(int n) {
        std::vector<int32_t> path;
        for (int i = 0; i < n; ++i) {
            sound[70] = 0;
            Frame(time_ += 10);
            path.push_back(panel[kBlade]);
            if (sound[70] == kSoundOnce) sounds_.push_back(panel[kBlade]);
        }
        return path;
    }
    void Rain(int32_t intensity) { Beacon(kBeaconRain, 0, intensity); }
    // Whether a drop sound (slot 80) played in n frames.
    bool DropSoundIn(int n) {
        sound[80] = 0;
        Sweep(n);
        return sound[80] == kSoundOnce;
    }
    int32_t time_ = 100;
    std::vector<int32_t> sounds_;
};

TEST_F(WindshieldTest, ContinuousStrokesFromEachRestPosition) {
    // The sound plays when the blade leaves its rest and, with a 2nd number, at each turn.
    // Off, the blade finishes its stroke and stops at rest.
    struct Case { const char* config; std::vector<int32_t> on, sounds, off; int32_t rest; } cases[] = {
        {"", Path({1, 100, 0, 1}), {1, 99, 1}, Path({2, 100, 0}), 0},
        // Between the ends it is passed on the way down and met on the way back up.
        {"wiperholdposition=50\n", Path({51, 100, 0, 100}), {51, 99, 1, 51}, Path({99, 0, 50}), 50},
        // Kept on 100; without a 2nd number the sound plays only on leaving the rest.
        {"wiperholdposition=150\nwipersound=70\n", Path({99, 0, 100, 99}), {99, 99}, Path({98, 0, 100}), 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        TearDown();
        sounds_.clear();
        StartWiper(c.config);
        EXPECT_THAT(Sweep(3), Each(c.rest)) << "off: the blade rests";
        api().KeyDown(5);
        EXPECT_THAT(Sweep(static_cast<int>(c.on.size())), ElementsAreArray(c.on));
        EXPECT_THAT(sounds_, ElementsAreArray(c.sounds));
        api().KeyDown(6);
        EXPECT_THAT(Sweep(static_cast<int>(c.off.size())), ElementsAreArray(c.off));
        EXPECT_THAT(Sweep(20), Each(c.rest));
    }
}

TEST_F(WindshieldTest, IntermittentWipePausesAtRest) {
    StartWiper("wiperdelay=3000\nwiperindicator=61\n");
    api().KeyDown(5);
    EXPECT_EQ(panel[61], 1);
    EXPECT_THAT(Sweep(200), ElementsAreArray(Path({1, 100, 0}))) << "the first pause counts as over";
    // The pause is measured from the first step at rest, at 2110 ms.
    EXPECT_THAT(Sweep(300), Each(0));
    EXPECT_THAT(Sweep(1), ElementsAre(1));
    panel[61] = 7;  // on to continuous leaves the indicator alone; off steps back to 1, then 0
    for (const auto& [key, shown] : {std::pair{5, 7}, {6, 1}, {6, 0}}) {
        api().KeyDown(key);
        EXPECT_EQ(panel[61], shown) << key;
    }
    EXPECT_EQ(Sweep(219).back(), 0) << "off: rests at the end of the stroke";
}

TEST_F(WindshieldTest, AFrameTakesAtMostTwentySteps) {
    StartWiper("");
    api().KeyDown(5);
    for (int i = 0; i < 4; ++i) Frame(1100);  // 100 intervals due
    EXPECT_EQ(panel[kBlade], 80);
    EXPECT_EQ(PanelAt(kBlade, 1100), 96) << "a 21st due interval is used up without a step";
    // A restart puts the blade at rest and starts its timer with the next frame, so the
    // intervals since the last one bring no steps.
    api().Initialize(2);
    api().KeyDown(5);
    EXPECT_EQ(PanelAt(kBlade, 2000), 0);
    EXPECT_EQ(PanelAt(kBlade, 2010), 1);
}

TEST_F(WindshieldTest, TheBladeClearsTheDropsItPasses) {
    // Ten drops from slot 100: positions 0 to 9 cover drop 0, 90 to 99 drop 9, 100 none.
    StartWiper("numberofdrops=10\ndropstartindex=100\n");
    std::fill(panel + 100, panel + 111, 5);
    api().KeyDown(5);
    Sweep(9);
    EXPECT_THAT(Panel({100, 101}), ElementsAre(0, 5));
    Sweep(90);
    EXPECT_THAT(Panel({108, 109}), ElementsAre(0, 0));
    panel[109] = 5;
    Sweep(1);
    EXPECT_THAT(Panel({109, 110}), ElementsAre(5, 5));

    // 300 drops are clamped to 256: position 1 then covers drop 2.
    TearDown();
    StartWiper("numberofdrops=300\ndropstartindex=200\n");
    panel[202] = panel[203] = 5;
    api().KeyDown(5);
    Sweep(1);
    EXPECT_THAT(Panel({202, 203}), ElementsAre(0, 5));
}

TEST_F(WindshieldTest, RainShowsADropAtEachEventAmongTheFirstHiddenOnes) {
    // The first event comes with the frame after the beacon, plays one of three drop sounds
    // and shows one of the first nine of ten hidden drops; the second reaches eight, which
    // hold drop 9 in the place of the drop shown first. At 100 it follows in 120 to 279 ms.
    StartWiper("wiperindex=-1\nnumberofdrops=10\ndropstartindex=100\ndropsound=80,3\n");
    std::set<int> firsts, seconds, sounds;
    std::vector<int32_t> intervals;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::fill(panel + 100, panel + 112, 0);
        std::fill(sound + 80, sound + 90, 0);
        api().Initialize(2);
        std::srand(seed);
        Rain(100);
        const int32_t start = time_;
        Frame(++time_);
        ASSERT_EQ(std::count(sound + 80, sound + 90, kSoundOnce), 1) << seed;
        sounds.insert(static_cast<int>(std::find(sound + 80, sound + 90, kSoundOnce) - sound));
        for (std::set<int>* shown : {&firsts, &seconds}) {
            while (std::count(panel + 100, panel + 112, 1) == 0 && time_ < start + 300) Frame(++time_);
            ASSERT_EQ(std::count(panel + 100, panel + 112, 1), 1) << seed;
            int32_t* const drop = std::find(panel + 100, panel + 112, 1);
            shown->insert(static_cast<int>(drop - panel));
            *drop = 2;  // still shown, but told apart from the next
        }
        intervals.push_back(time_ - start);
    }
    EXPECT_THAT(sounds, ElementsAre(80, 81, 82));
    EXPECT_THAT(firsts, ElementsAre(100, 101, 102, 103, 104, 105, 106, 107, 108));
    EXPECT_THAT(seconds, AllOf(Contains(109), Not(Contains(108))));
    const auto [shortest, longest] = std::minmax_element(intervals.begin(), intervals.end());
    EXPECT_GE(*shortest, 120);
    EXPECT_LE(*longest, 279);
    EXPECT_GT(*longest - *shortest, 100) << "the whole spread is used";
}

TEST_F(WindshieldTest, RainStopsAndDropsStayUntilWiped) {
    // Resting at 100 the blade covers no drop; the drops lie in slots 0 to 3.
    StartWiper("numberofdrops=4\ndropsound=80\nwiperholdposition=100\n");
    Rain(100);
    Sweep(400);  // an event every 279 ms or less
    EXPECT_THAT(Panel({0, 1, 2, 3}), Each(1));
    Rain(-1);  // ignored, as is 101
    EXPECT_TRUE(DropSoundIn(30)) << "with every drop shown an event only sounds";
    Rain(0);
    Rain(101);
    EXPECT_FALSE(DropSoundIn(100)) << "no rain";
    EXPECT_THAT(Panel({0, 1, 2, 3}), Each(1));
    api().KeyDown(5);
    Sweep(1);
    api().KeyDown(6);  // one stroke
    Sweep(200);
    EXPECT_THAT(Panel({0, 1, 2, 3}), Each(0));
    Rain(100);  // the first event with the next frame; the wiped drops are hidden ones again
    EXPECT_TRUE(DropSoundIn(1));
    Sweep(400);
    EXPECT_THAT(Panel({0, 1, 2, 3}), Each(1));
    api().Initialize(2);
    EXPECT_FALSE(DropSoundIn(100)) << "a restart ends the rain";
    TearDown();
    StartWiper("dropsound=80\n");
    Rain(100);
    EXPECT_FALSE(DropSoundIn(100)) << "no drops, no rain";
}

}  // namespace
