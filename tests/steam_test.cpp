// The steam model: direction and power from the cut-off, the boiler pressure limit, boiling,
// the blow-off valve, the injector and the steam used by working.
#include <limits>
#include <string>
#include <vector>

#include "plugin_fixture.h"

namespace {

constexpr int kCutoff = 40;
constexpr int kPressure = 41;
constexpr int kWater = 42;
constexpr int kInjectorLamp = 43;
constexpr int kFuel = 44;
constexpr int kAutomatic = 9;
constexpr int kCutoffUp = 5;
constexpr int kCutoffDown = 6;

const std::string kSteam =
    "traction=1\ncutoffindicator=40\nboilerpressureindicator=41\nboilerwaterlevelindicator=42\n"
    "injectorindicator=43\nautomatic=9\n";

class SteamTest : public PluginTest {
protected:
    // Presses a cut-off key count times, each in a frame of its own, past the rate limiter.
    void PressCutoff(int key, int count, float speed = 0.0f) {
        for (int i = 0; i < count; ++i) {
            time_ += 50;
            Frame(time_, speed);
            Key(key);
        }
        time_ += 50;
        Frame(time_, speed);
    }
    int32_t time_ = 100;
};

TEST_F(SteamTest, CutoffAgainstOptimalCutoffLimitsPower) {
    Start(kSteam, 8, 8);
    PressCutoff(kCutoffUp, 80);  // the first press only starts the rate limiter
    EXPECT_EQ(panel[kCutoff], 75);
    Drive(1, 8);
    EXPECT_EQ(Frame(time_ + 50, 60.0f).reverser, 1);
    EXPECT_EQ(out.power, 4);  // optimal 45: 8 - 30 / 8 = 4.25
    Drive(1, 0);
    time_ += 50;
    PressCutoff(kCutoffDown, 30);
    EXPECT_EQ(panel[kCutoff], 45);
    api().SetPower(8);
    EXPECT_EQ(Frame(time_ + 50, 60.0f).power, 8);
}

TEST_F(SteamTest, AutomaticCutoffFollowsTheOptimalOne) {
    Start(kSteam, 8, 8);
    Key(kAutomatic);
    Drive(1, 8);
    EXPECT_EQ(PanelAt(kCutoff, 100, 60.0f), 45);  // preset to 75, then moved to the optimal cut-off
    EXPECT_EQ(out.power, 4);  // limited by the cut-off the frame began with
    EXPECT_EQ(PanelAt(kCutoff, 300, 100.0f), 16);  // the optimal 5 lies in the neutral band
    EXPECT_EQ(out.power, 3);  // 8 - 40 / 8
    EXPECT_EQ(Frame(400, 100.0f).power, 6);  // 8 - 11 / 8 = 6.6
    EXPECT_EQ(PanelAt(kCutoff, 500, 20.0f), 16);  // at low speed automatic mode leaves the cut-off alone

    // Reverse with a forward cut-off: full reverse cut-off at once, then the optimal one.
    api().SetReverser(-1);
    EXPECT_EQ(Frame(600, -60.0f).reverser, -1);
    EXPECT_EQ(panel[kCutoff], -25);  // -55 + 30
    EXPECT_EQ(PanelAt(kCutoff, 700, -100.0f), -16);
    api().SetReverser(1);
    Frame(800, -60.0f);
    EXPECT_EQ(PanelAt(kCutoff, 900, -60.0f), 75);  // running backwards counts as slow
    EXPECT_EQ(out.power, 8);
}

TEST_F(SteamTest, AutomaticPresetAtTheBandEdgeAndTrackingOnlyAboveTheBase) {
    Start(kSteam, 8, 8);
    PressCutoff(kCutoffUp, 16);
    EXPECT_EQ(panel[kCutoff], 15);
    Key(kAutomatic);
    Drive(1, 8);
    time_ += 50;
    EXPECT_EQ(PanelAt(kCutoff, time_, 30.0f), 75);  // 15 is still inside the band
    Key(kAutomatic);
    PressCutoff(kCutoffDown, 35, 30.0f);
    EXPECT_EQ(panel[kCutoff], 40);
    Key(kAutomatic);
    time_ += 50;
    EXPECT_EQ(PanelAt(kCutoff, time_, 30.0f), 40);  // at the base speed automatic mode leaves it alone
    time_ += 50;
    EXPECT_EQ(PanelAt(kCutoff, time_, 30.5f), 74);  // 75 - 0.5 x 10 / 10 = 74.5
}

TEST_F(SteamTest, NeutralBandHoldsNeutralWhateverTheDriverSelects) {
    Start(kSteam + "cutoffdeviation=100\n", 8, 8);
    Drive(1, 5);
    Frame(100);
    PressCutoff(kCutoffUp, 16);
    EXPECT_EQ(panel[kCutoff], 15);
    EXPECT_EQ(out.reverser, 0);
    // No steam is worked in the band: the pressure is what boiling made of it.
    EXPECT_EQ(panel[kPressure], 20000 + (time_ - 100) / 40);
    PressCutoff(kCutoffUp, 1);
    EXPECT_EQ(panel[kCutoff], 16);
    EXPECT_EQ(out.reverser, 1);
    EXPECT_EQ(out.power, 4);  // 8 - 59 / 100 = 7.41: one notch lost

    // No deviation at all: every cut-off is neutral, even automatic mode's full one.
    WriteFile(ConfigPath(), kSteam + "cutoffdeviation=0\n");
    api().Initialize(2);
    Key(kAutomatic);
    Drive(1, 8);
    EXPECT_EQ(PanelAt(kCutoff, time_ + 50, 10.0f), 75);
    EXPECT_EQ(out.reverser, 0);
    EXPECT_EQ(out.power, 0);
}

TEST_F(SteamTest, PressureLimitsPowerAndNeverGoesBelowZero) {
    Start(kSteam + "regulatorpressureuse=4000\nboilerwatertosteamrate=-3\n", 8, 8);
    Key(kAutomatic);
    Drive(1, 8);
    EXPECT_EQ(Frame(100).power, 8);  // 20000: 8 x 1.115
    panel[kWater] = -5;
    Frame(1100);
    EXPECT_EQ(Frame(1200).power, 4);  // 16000: 8 x 0.615
    Frame(2100);
    EXPECT_EQ(Frame(2200).power, 0);  // 12000: 8 x 0.115
    for (int t = 3100; t <= 6100; t += 1000) Frame(t);
    EXPECT_EQ(panel[kPressure], 0);
    EXPECT_EQ(out.power, 0);
    EXPECT_EQ(panel[kWater], -5);  // no boiling without a rate
}

TEST_F(SteamTest, EqualMinAndMaxPressureGiveAllOrNothing) {
    Start(kSteam + "boilermaxpressure=20000\nboilerminpressure=20000\n", 8, 8);
    Key(kAutomatic);
    Drive(1, 8);
    EXPECT_EQ(Frame(100).power, 0);
    EXPECT_EQ(PanelAt(kPressure, 140), 20001);
    EXPECT_EQ(out.power, 0);
    EXPECT_EQ(Frame(180).power, 8);
}

TEST_F(SteamTest, SteamUseFollowsHandleCutoffAndSpeed) {
    Start(kSteam + "boilerwatertosteamrate=0\n", 8, 8);
    Key(kAutomatic);
    Drive(1, 8);
    Frame(100, 60.0f);
    Key(kAutomatic);  // the cut-off stays at 45
    EXPECT_EQ(PanelAt(kCutoff, 1100, 50.0f), 45);
    EXPECT_EQ(out.power, 6);  // the cut-off is 10 off the optimal 55
    EXPECT_EQ(panel[kPressure], 19943);  // 32 x 45 / 75 x (1 + 50 / 25) = 57.6, by the handle
    api().SetPower(0);
    EXPECT_EQ(PanelAt(kPressure, 2100, 50.0f), 19943);  // no steam without the handle
}

TEST_F(SteamTest, BoilingRunsAtItsRateAndAtMostAHundredPerFrame) {
    Start(kSteam, 8, 8);
    Frame(100);
    EXPECT_EQ(PanelAt(kWater, 1100), 15975);  // 40 ms a unit
    EXPECT_EQ(panel[kPressure], 20025);
    EXPECT_EQ(PanelAt(kWater, 6100), 15875);
    // The tick after the hundredth conversion is used up; the rest come next frame.
    EXPECT_EQ(PanelAt(kWater, 6100), 15851);
    EXPECT_EQ(panel[kPressure], 20149);
    EXPECT_EQ(PanelAt(kWater, 6100), 15851);
}

TEST_F(SteamTest, BlowOffValveOpensAboveAndClosesBelowWorkingPressure) {
    Start(kSteam + "boilerblowoffpressure=20010\n", 8, 8);
    Frame(100);
    std::vector<int32_t> seen;
    for (int32_t t = 140; t <= 100 + 40 * 17; t += 40) {
        Frame(t);
        seen.push_back(panel[kPressure]);
    }
    const std::vector<int32_t> expected = {20001, 20002, 20003, 20004, 20005, 20006, 20007, 20008, 20009,
                                           20010, 20011, 20008, 20005, 20002, 19999, 20000, 20001};
    EXPECT_EQ(seen, expected);
}

TEST_F(SteamTest, InjectorKeyFeedsFromTheStore) {
    Start(kSteam + "injectortogglekey=8\nfuelstartamount=50\nfuelcapacity=1000\nfuelindicator=44\n", 8, 8);
    Frame(100);
    EXPECT_EQ(PanelAt(kWater, 140), 15999);
    Key(8);
    EXPECT_EQ(panel[kInjectorLamp], 1);
    EXPECT_EQ(PanelAt(kFuel, 1139), 50);
    EXPECT_EQ(PanelAt(kFuel, 1140), -50);  // the store may go below 0 by one feed
    EXPECT_EQ(panel[kWater], 15974);  // the feed does not show until the next conversion
    EXPECT_EQ(panel[kPressure], 20001);  // + 1 + 25 conversions - 100 / 4
    EXPECT_EQ(PanelAt(kWater, 1180), 16073);  // above the full level
    EXPECT_EQ(PanelAt(kFuel, 3140), -50);  // an empty store feeds nothing
    Key(8);
    EXPECT_EQ(panel[kInjectorLamp], 0);
}

TEST_F(SteamTest, AutomaticInjectorKeepsWaterBetweenAnEighthAndAQuarter) {
    Start(kSteam + "boilermaxwaterlevel=800\nboilerwatertosteamrate=6000\ninjectorrate=160\n"
                   "fuelstartamount=100000\nfuelcapacity=100000\n",
          8, 8);
    Key(kAutomatic);
    Frame(100);
    int switches = 0;
    for (int32_t t = 200; t <= 30000; t += 100) {
        const int32_t before = panel[kWater];
        const int32_t wasOn = panel[kInjectorLamp];
        Frame(t);
        if (panel[kInjectorLamp] == wasOn) continue;
        ++switches;
        SCOPED_TRACE(t);
        if (wasOn == 0) {  // on as the water falls below an eighth
            EXPECT_LT(panel[kWater], 100);
            EXPECT_GE(before, 100);
        } else {  // off as it rises above a quarter
            EXPECT_GT(panel[kWater], 200);
            EXPECT_LE(before, 200);
        }
    }
    EXPECT_GE(switches, 3);
}

TEST_F(SteamTest, ZeroFullCutoffOrNoPowerNotchesGiveNoPowerAndUseNoSteam) {
    // With a negative band the cut-off 0 drives forward.
    Start(kSteam + "cutoffmax=0\ncutoffineffective=-5\nboilerwatertosteamrate=0\n", 8, 8);
    Drive(1, 8);
    EXPECT_EQ(Frame(100).reverser, 1);
    EXPECT_EQ(PanelAt(kPressure, 2100), 20000);
    EXPECT_EQ(out.power, 0);

    WriteFile(ConfigPath(), kSteam + "boilerwatertosteamrate=0\n");
    api().SetVehicleSpec(ATS_VEHICLESPEC{8, 0, 0, 0, 1});
    api().Initialize(2);
    Key(kAutomatic);
    Drive(1, 0);
    EXPECT_EQ(Frame(2200).reverser, 1);
    EXPECT_EQ(PanelAt(kPressure, 4200), 20000);
    EXPECT_EQ(out.power, 0);
}

TEST_F(SteamTest, HostileSpeedsKeepTheCutoffInRange) {
    Start(kSteam + "cutoffratio=2147483647\n", 8, 8);
    Key(kAutomatic);
    Drive(1, 8);
    // Not a number, or infinite: a standstill.
    EXPECT_EQ(PanelAt(kCutoff, 100, std::numeric_limits<float>::quiet_NaN()), 75);
    EXPECT_EQ(out.power, 8);
    EXPECT_EQ(PanelAt(kCutoff, 200, -std::numeric_limits<float>::infinity()), 75);
    // An optimal cut-off beyond single precision still tracks to the edge of the band.
    EXPECT_EQ(PanelAt(kCutoff, 300, 3.0e38f), 16);
    EXPECT_EQ(out.reverser, 1);
    EXPECT_EQ(Frame(400, 3.0e38f).power, 0);
}

}  // namespace
