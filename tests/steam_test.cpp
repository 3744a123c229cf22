// The steam model: direction and power from the cut-off, the boiler pressure limit, boiling,
// the blow-off valve, the injector and the steam used by working.
#include <string>
#include <vector>

#include "plugin_fixture.h"

namespace {

// The panel slots, and two that are not slots: the reverser and power notch the frame returns.
enum Shown { kOutputReverser = -2, kOutputPower, kCutoff = 40, kPressure, kWater, kInjectorLamp, kFuel };
enum SteamKey { kInjector = 8, kAutomatic };

// The cut-off keys without a rate limit, so that a test sets the cut-off key by key.
const std::string kSteam =
    "traction=1\ncutoffchangespeed=0\ncutoffindicator=40\nboilerpressureindicator=41\n"
    "boilerwaterlevelindicator=42\ninjectorindicator=43\nfuelindicator=44\ninjectortogglekey=8\nautomatic=9\n";

// One frame: the cut-off first set by its keys (unless kAsIs), the driver's reverser, the time
// and the speed; then what the listed slots show, with the power handle at power.
constexpr int32_t kAsIs = 1000;
struct Step { int32_t time, cutoff; int reverser; float speed; std::vector<int32_t> shown; int power = 8; };

class SteamTest : public PluginTest {
protected:
    // Moves the cut-off from what the indicator shows to target, one key press a unit.
    void CutoffTo(int32_t target) {
        Key(99);  // the first key after a start only starts the rate limiter
        for (int32_t c = panel[kCutoff]; c != target; c += c < target ? 1 : -1) Key(c < target ? 5 : 6);
    }
    // The steam vehicle has 8 power notches; every test starts with a frame at 100 ms.
    void Begin(const std::string& extra) {
        Start(kSteam + extra, 8, 8);
        Frame(100);
    }
    std::vector<int32_t> Seen(std::initializer_list<int> slots) const {
        std::vector<int32_t> seen;
        for (const int slot : slots) seen.push_back(slot >= 0 ? panel[slot] : slot == kOutputPower ? out.power : out.reverser);
        return seen;
    }
    void Run(std::initializer_list<int> slots, std::initializer_list<Step> steps) {
        for (const Step& step : steps) {
            if (step.cutoff != kAsIs) CutoffTo(step.cutoff);
            Drive(step.reverser, step.power);
            Frame(step.time, step.speed);
            EXPECT_EQ(Seen(slots), step.shown) << step.time;
        }
    }
    // A frame at the first number of each row; the rest is what the slots then show.
    void Expect(std::initializer_list<int> slots, const std::vector<std::vector<int32_t>>& rows) {
        for (const auto& row : rows) {
            Frame(row[0]);
            EXPECT_EQ(Seen(slots), std::vector<int32_t>(row.begin() + 1, row.end())) << row[0];
        }
    }
};

// Beyond the neutral band of 15 the cut-off drives in its direction, a notch lost for every 8
// units off the optimal cut-off: 75 (reverse -55) up to 30 km/h, then 1 unit closer to 0 per
// km/h; backwards counts as slow forwards, reverse reads the speed's magnitude. Automatic
// mode puts a cut-off within the band to full as the driver selects a direction, and above
// 30 km/h moves it to the optimal one but never into the band; the power follows from the
// cut-off the frame began with.
TEST_F(SteamTest, CutoffSetsDirectionAndPowerByHandAndInAutomaticMode) {
    Begin("");
    const std::initializer_list<int> shown = {kCutoff, kOutputReverser, kOutputPower};
    // Optimal: 45 at 60 km/h, 5 at 100 km/h, -25 at -60 km/h.
    Run(shown, {{500, 45, 1, -60, {45, 1, 4}},   {700, 15, 1, 100, {15, 0, 0}},   {800, -15, -1, 0, {-15, 0, 0}},
                {900, -16, -1, 0, {-16, -1, 3}}, {1000, -55, -1, -60, {-55, -1, 4}}, {1100, 15, 0, 0, {15, 0, 0}}});
    Key(kAutomatic);
    Run(shown, {{1400, kAsIs, 1, 100, {16, 1, 0}},   {1500, kAsIs, 1, 30, {16, 1, 0}},    {1600, -15, -1, -60, {-25, -1, 4}},
                {1700, kAsIs, -1, -100, {-16, -1, 3}}, {1800, kAsIs, -1, -30, {-16, -1, 3}}, {1900, kAsIs, 1, -60, {75, 1, 8}}});
}

// A deviation of 0 makes every cut-off neutral; a full cut-off of 0 gives no power and uses
// no steam.
TEST_F(SteamTest, UnworkableSettingsGiveNoPowerAndUseNoSteam) {
    Begin("cutoffdeviation=0\n");
    Key(kAutomatic);
    Run({kCutoff, kOutputReverser, kOutputPower}, {{200, kAsIs, 1, 10, {75, 0, 0}}});
    WriteFile(ConfigPath(), kSteam + "cutoffmax=0\nboilerwatertosteamrate=0\n");
    api().Initialize(2);
    Frame(200);
    Run({kCutoff, kOutputReverser, kOutputPower, kPressure},
        {{300, -20, -1, 0, {-20, -1, 0, 20000}}, {1300, -20, -1, 0, {-20, -1, 0, 20000}}});
}

// The pressure limit is 8 x (1/8 - 0.01 + the share of the way from 12000 to 20000): 4 at
// 16000, none at 12000. Working steam drains the boiler to 0 and no further; the injector
// feeds no boiler without pressure. With no range between the pressures the limit is all or
// nothing.
TEST_F(SteamTest, PressureLimitsPower) {
    Begin("regulatorpressureuse=4000\nboilermaxwaterlevel=10\n");
    Run({kPressure, kOutputPower}, {{1100, 75, 1, 0, {20010, 8}}});
    Expect({kPressure, kOutputPower}, {{2100, 16010, 8}, {2200, 16010, 4}, {3100, 12010, 4}, {3200, 12010, 0},
                                       {4100, 8010, 0}, {5100, 4010, 0}, {6100, 10, 0}, {7100, 0, 0}});
    Key(kInjector);
    Expect({kPressure, kWater}, {{8100, 0, 0}, {8140, 0, 0}});
    WriteFile(ConfigPath(), kSteam + "boilermaxpressure=20000\nboilerminpressure=20000\n");
    api().Initialize(2);
    Key(kAutomatic);
    Drive(1, 8);
    // The boiling and steam-use ticks count from the restart.
    Expect({kPressure, kOutputPower}, {{8180, 20001, 0}, {8220, 20002, 8}, {9100, 20024, 8}});
}

// One unit of water turns into pressure every 40 ms, at most 100 a frame; the tick that falls
// due after the hundredth is used up. The blow-off valve opened at the end of a frame vents
// from the next; a restart closes it.
TEST_F(SteamTest, BoilingAtItsRateAndAtMostAHundredAFrame) {
    Begin("boilerblowoffpressure=20100\n");
    Expect({kWater, kPressure}, {{1100, 15975, 20025}, {6100, 15875, 20125}, {6100, 15851, 20053}, {6100, 15851, 20053}});
    api().Initialize(2);
    Expect({kWater, kPressure}, {{6140, 15999, 20001}});
}

// The valve opens above 20011 and vents 4 a conversion until the pressure falls below 20000;
// boiling stops with the water.
TEST_F(SteamTest, BlowOffValveAndBoilingStopWithTheWater) {
    Begin("boilerblowoffpressure=20011\nboilermaxwaterlevel=18\n");
    for (int32_t t = 140; t <= 500; t += 40) Frame(t);  // a unit a conversion, 20010 at 500
    Expect({kPressure}, {{540, 20011}, {580, 20012}, {620, 20009}, {740, 20000}, {780, 19997}, {820, 19998}, {860, 19998}});
}

// The injector feeds a second after it is switched on and every second after: from the store
// into the boiler, a quarter of the feed taken from the pressure, up to and beyond the full
// level; an empty store feeds nothing. A restart switches it off.
TEST_F(SteamTest, InjectorFeedsFromTheStore) {
    Begin("fuelstartamount=100\n");
    Frame(140);
    Key(kInjector);
    // The feed shows at the next conversion: 15999 - 26 + 100.
    Expect({kFuel, kWater, kPressure}, {{1140, 0, 15974, 20001}, {1180, 0, 16073, 20002}, {4140, 0, 15999, 20076}});
    api().Initialize(2);
    Expect({kFuel, kWater}, {{6140, 100, 15950}});
}

// In automatic mode the injector goes on below an eighth of the full level and off above a
// quarter: with 800, below 100 and above 200. Boiling takes a unit a millisecond here.
TEST_F(SteamTest, AutomaticInjectorKeepsTheWaterBetweenAnEighthAndAQuarter) {
    Begin("boilermaxwaterlevel=800\nboilerwatertosteamrate=60000\ninjectorrate=300\nfuelstartamount=100000\n");
    Key(kAutomatic);
    for (int32_t t = 200; t < 800; t += 100) Frame(t);
    // Fed to 300 at 1801 and to 400 at 2801.
    Expect({kWater, kInjectorLamp}, {{800, 100, 0}, {801, 99, 1}, {1801, 0, 1}, {1802, 200, 1}, {2801, 100, 1}, {2802, 300, 0}});
}

}  // namespace
