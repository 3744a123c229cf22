// The windscreen wiper's sweep and modes, and rain drops cleared by the blade.
#include "plugin_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace {

using ::testing::Each;
using ::testing::ElementsAre;

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
        Start("wiperindex=60\nwipersound=70,0\ndropsound=80\n" + config);
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
    // Whether a drop sound (slot 80) played in n frames.
    bool DropSoundIn(int n) {
        sound[80] = 0;
        Sweep(n);
        return sound[80] == kSoundOnce;
    }
    // What the ten drops from slot 100 show.
    std::vector<int32_t> Drops() const { return {panel + 100, panel + 110}; }
    int32_t time_ = 100;
    std::vector<int32_t> sounds_;
};

TEST_F(WindshieldTest, ContinuousStrokesFromEachRestPosition) {
    // The sound plays when the blade leaves its rest and, with a 2nd number, at each turn.
    // Off, the blade finishes its stroke and stays at rest.
    struct Case { const char* config; std::vector<int32_t> on, sounds, off; } cases[] = {
        {"", Path({1, 100, 0, 1}), {1, 99, 1}, Path({2, 100, 0})},
        // Between the ends it is passed on the way down and met on the way back up.
        {"wiperholdposition=50\n", Path({51, 100, 0, 100}), {51, 99, 1, 51}, Path({99, 0, 50})},
        // Kept on 100; without a 2nd number the sound plays only on leaving the rest.
        {"wiperholdposition=150\nwipersound=70\n", Path({99, 0, 100, 99}), {99, 99}, Path({98, 0, 100})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        sounds_.clear();
        StartWiper(c.config);
        api().KeyDown(5);
        EXPECT_EQ(Sweep(static_cast<int>(c.on.size())), c.on);
        EXPECT_EQ(sounds_, c.sounds);
        api().KeyDown(6);
        EXPECT_EQ(Sweep(static_cast<int>(c.off.size())), c.off);
        EXPECT_EQ(Sweep(20), std::vector<int32_t>(20, c.off.back()));
    }
}

TEST_F(WindshieldTest, IntermittentWipePausesAtRestAndAFrameTakesAtMostTwentySteps) {
    StartWiper("wiperdelay=3000\nwiperindicator=61\n");
    Beacon(kBeaconRain, 0, 100);
    api().KeyDown(5);
    EXPECT_EQ(panel[61], 1);
    EXPECT_EQ(Sweep(200), Path({1, 100, 0})) << "the first pause counts as over";
    EXPECT_EQ(Sweep(300).back(), 0) << "the pause is measured from the first step at rest, at 2110 ms";
    // Continuous and back in the pause: the pause starts again with the next frame.
    for (const int key : {5, 6}) api().KeyDown(key);
    EXPECT_EQ(Sweep(301).back(), 1);
    panel[61] = 7;  // on to continuous leaves the indicator alone; off steps back to 1, then 0
    for (const auto& [key, shown] : {std::pair{5, 7}, {6, 1}, {6, 0}}) {
        api().KeyDown(key);
        EXPECT_EQ(panel[61], shown) << key;
    }
    EXPECT_EQ(Sweep(519).back(), 0) << "off: rests at the end of the stroke, and stays past a pause";
    EXPECT_NE(sound[80], kSoundOnce) << "without drops there is no rain";
    // 100 intervals due: each frame uses up a 21st without a step.
    api().KeyDown(5);
    for (int i = 0; i < 5; ++i) Frame(time_ + 1000);
    EXPECT_EQ(panel[kBlade], 96);
    // A restart puts the blade at rest and starts its timer with the next frame, so the
    // intervals since the last one bring no steps.
    api().Initialize(2);
    api().KeyDown(5);
    EXPECT_EQ(PanelAt(kBlade, time_ + 2000), 0);
    EXPECT_EQ(PanelAt(kBlade, time_ + 2010), 1);
}

TEST_F(WindshieldTest, RainShowsADropAtEachEventAmongTheFirstHiddenOnes) {
    // The first event comes with the frame after the beacon, plays one of three drop sounds
    // and shows one of the first nine of ten hidden drops; the second reaches eight, which
    // hold drop 9 in the place of the drop shown first. At 100 it follows in 120 to 279 ms.
    StartWiper("wiperindex=-1\nnumberofdrops=10\ndropstartindex=100\ndropsound=80,3\n");
    std::set<int> firsts, seconds, sounds, intervals;
    for (unsigned seed = 1; seed <= 100; ++seed) {
        std::fill(sound + 80, sound + 90, 0);
        api().Initialize(2);
        std::srand(seed);
        Beacon(kBeaconRain, 0, 100);
        const int32_t start = time_;
        Frame(++time_);
        sounds.insert(static_cast<int>(std::find(sound + 80, sound + 90, kSoundOnce) - sound));
        for (std::set<int>* shown : {&firsts, &seconds}) {
            while (std::count(panel + 100, panel + 112, 1) == 0 && time_ < start + 300) Frame(++time_);
            int32_t* const drop = std::find(panel + 100, panel + 112, 1);
            shown->insert(static_cast<int>(drop - panel));
            *drop = 0;  // the plugin still counts it as shown
        }
        intervals.insert(time_ - start);
    }
    EXPECT_THAT(sounds, ElementsAre(80, 81, 82));
    EXPECT_THAT(firsts, ElementsAre(100, 101, 102, 103, 104, 105, 106, 107, 108));
    EXPECT_THAT(seconds, ElementsAre(100, 101, 102, 103, 104, 105, 106, 107, 109));
    EXPECT_GE(*intervals.begin(), 120);
    EXPECT_LE(*intervals.rbegin(), 279);
    EXPECT_GT(*intervals.rbegin() - *intervals.begin(), 100) << "the whole spread is used";
}

TEST_F(WindshieldTest, DropsStayUntilTheBladeWipesThem) {
    // Positions 0 to 9 cover drop 0, 90 to 99 drop 9, 100 (the rest here) none: slot 110
    // lies past the drops.
    StartWiper("numberofdrops=10\ndropstartindex=100\nwiperholdposition=100\n");
    panel[110] = 5;
    Beacon(kBeaconRain, 0, 100);
    Sweep(300);  // an event every 279 ms or less
    EXPECT_THAT(Drops(), Each(1));
    Beacon(kBeaconRain, 0, -1);  // ignored, as is 101
    EXPECT_TRUE(DropSoundIn(30)) << "with every drop shown an event only sounds";
    Beacon(kBeaconRain, 0, 0);
    Beacon(kBeaconRain, 0, 101);
    EXPECT_FALSE(DropSoundIn(100)) << "no rain";
    api().KeyDown(5);
    Sweep(90);
    EXPECT_THAT(Drops(), ElementsAre(1, 0, 0, 0, 0, 0, 0, 0, 0, 0));
    api().KeyDown(6);  // one stroke
    Sweep(200);
    EXPECT_THAT(Panel({100, 110}), ElementsAre(0, 5));
    Beacon(kBeaconRain, 0, 100);  // the first event with the next frame; the wiped drops are hidden ones again
    EXPECT_TRUE(DropSoundIn(1));
    Sweep(300);
    EXPECT_THAT(Drops(), Each(1));
    api().Initialize(2);
    EXPECT_FALSE(DropSoundIn(100)) << "a restart ends the rain";
    // 300 drops are clamped to 256: position 1 then covers drop 2.
    StartWiper("numberofdrops=300\ndropstartindex=200\n");
    panel[202] = panel[203] = 5;
    api().KeyDown(5);
    Sweep(1);
    EXPECT_THAT(Panel({202, 203}), ElementsAre(0, 5));
}

}  // namespace
