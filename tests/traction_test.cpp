// The traction frame: heating by power notch, overheating, the ammeter, the fuel store and
// its filling zones, and the keys the models share.
#include <vector>

#include "plugin_fixture.h"

namespace {

using ::testing::ElementsAre;

enum Slot { kThermometer = 20, kOverheatLamp, kAmmeter, kFuel = 30, kFillLamp,
            kCutoff = 40, kInjectorLamp, kAutomaticLamp, kGearLamp };
constexpr int kAlarm = 5;  // a sound slot

class TractionTest : public PluginTest {};

// Without a model the driver's handles pass unchanged, gears or not. While the train takes
// power the ammeter and the heating read the output notch, else 0 and the idle rate. The
// warning and the cut apply at their thresholds; the cut outlasts the heat until the next
// start, which also cools the engine and starts the heating tick afresh.
TEST_F(TractionTest, HeatingAmmeterAndOverheat) {
    Start("heatingpart=1\nheatingrate=-5,10,20\nthermometer=20\nammeter=22\nammetervalues=5,30,60\n"
          "overheatindicator=21\noverheatalarm=5\noverheatwarn=20\noverheat=40\noverheatresult=1\ngearratios=10\n");
    // Cooling from 0 goes no further; beyond the lists, their last numbers; braking; the cut comes
    // in time for the ammeter.
    const struct { int reverser, power, brake; int32_t ammeter, temperature, lamp, alarm, output; } rows[] = {
        {0, 3, 0, 0, 0, 0, kSoundStop, 3},    {1, 4, 0, 60, 20, 1, kSoundLoop, 4}, {1, 3, 1, 0, 15, 0, kSoundStop, 3},
        {-1, 1, 0, 30, 25, 1, kSoundLoop, 1}, {1, 0, 0, 5, 20, 1, kSoundLoop, 0},  {1, 4, 0, 5, 40, 1, kSoundLoop, 0},
        {1, 4, 0, 5, 35, 1, kSoundLoop, 0}};
    Frame(100);
    int32_t t = 100;
    for (const auto& r : rows) {
        Drive(r.reverser, r.power, r.brake);
        Frame(t += 1000);
        EXPECT_THAT(Panel({kAmmeter, kThermometer, kOverheatLamp}), ElementsAre(r.ammeter, r.temperature, r.lamp)) << t;
        EXPECT_THAT(std::vector<int32_t>({sound[kAlarm], out.reverser, out.power}), ElementsAre(r.alarm, r.reverser, r.output));
    }
    Frame(t += 500);
    api().Initialize(2);
    Drive(1, 1);
    // The power, the temperature half a second after the restart, and a second after it.
    EXPECT_THAT(std::vector<int32_t>({Frame(t + 500).power, panel[kThermometer], PanelAt(kThermometer, t + 1000)}),
                ElementsAre(1, 0, 10));
}

// A filling zone is entered and left by type 22 beacons in the direction of travel. The store
// fills only at an exact standstill, up to its capacity, one tick a frame when the frames
// come late. A first consumption of 0 burns nothing.
TEST_F(TractionTest, FillingZoneByDirectionFillsOnlyAtAStandstill) {
    Start("traction=2\nfuelcapacity=1000\nfuelstartamount=100\nfuelfillspeed=400\nfuelconsumption=0,50\n"
          "fuelindicator=30\nfuelfillindicator=31\n");
    Drive(1, 1);
    Frame(100, 10.0f);
    Beacon(kBeaconFuelFilling, 0, 1);
    const struct { int32_t time; float speed; int32_t fuel, lamp; } fills[] = {
        {1100, 0.5f, 100, 0}, {5000, 0.0f, 500, 1}, {5001, 0.0f, 900, 1}, {5002, 0.0f, 1000, 1}};
    for (const auto& fill : fills) {
        Frame(fill.time, fill.speed);
        EXPECT_THAT(Panel({kFuel, kFillLamp}), ElementsAre(fill.fuel, fill.lamp)) << fill.time;
    }
    // At a standstill a beacon changes nothing; backwards optional 1 leaves (forwards, the diesel
    // unit's pinned drive enters with 1 and leaves with 0).
    const struct { float speed; int optional, lamp; } passes[] = {{0.0f, 1, 1}, {-3.0f, 1, 0}, {0.0f, 1, 0}, {-3.0f, 0, 1}};
    int32_t t = 5002;
    for (const auto& pass : passes) {
        Frame(t += 200, pass.speed);
        Beacon(kBeaconFuelFilling, 0, pass.optional);
        EXPECT_EQ(PanelAt(kFillLamp, t + 100), pass.lamp) << t;
    }

}

// The steam model's fuel tick starts and restarts only while filling is possible. A restart
// leaves the zone.
TEST_F(TractionTest, SteamFillingTickRunsOnlyWhileFilling) {
    Start("traction=1\nfuelcapacity=1000\nfuelstartamount=100\nfuelfillspeed=300\nfuelindicator=30\n"
          "fuelfillindicator=31\n");
    Frame(100, 10.0f);
    Beacon(kBeaconFuelFilling, 0, 1);
    EXPECT_THAT(std::vector<int32_t>({PanelAt(kFuel, 5000), PanelAt(kFuel, 6000), PanelAt(kFuel, 9500), PanelAt(kFuel, 9600),
                                      panel[kFillLamp], PanelAt(kFillLamp, 9650, 5.0f)}),
                ElementsAre(100, 400, 700, 700, 1, 0));
    api().Initialize(2);
    EXPECT_EQ(PanelAt(kFillLamp, 9700), 0);
}

// One key code may serve several roles, and every role acts. A cut-off key changes the
// cut-off once per period, which any key or a restart starts afresh, never beyond its bounds;
// a restart also switches automatic mode off.
// Gear keys work in any model, only with the power handle at 0, between neutral and the top.
TEST_F(TractionTest, KeysActInEveryRoleTheyHave) {
    Start("traction=1\ncutoffindicator=40\ncutoffchangespeed=100\ncutoffmax=2\ncutoffmin=-1\n"
          "injectortogglekey=5\ninjectorindicator=41\nautomatic=5\nautomaticindicator=42\n"
          "gearratios=10,20\ngearindicator=43\n");
    Frame(1000);
    Key(5);  // the first press only starts the cut-off period
    EXPECT_THAT(Panel({kCutoff, kInjectorLamp, kAutomaticLamp}), ElementsAre(0, 1, 1));
    // One step per period; at 1260 another key restarts the period, so the presses at 1300 come too early.
    const struct { int32_t time; std::vector<int> keys; int32_t cutoff; } presses[] = {
        {1150, {5, 5}, 1}, {1260, {77}, 1}, {1300, {5, 5}, 1}, {1400, {5}, 2},  {1500, {5}, 2},
        {1600, {6}, 1},    {1700, {6}, 0},  {1800, {6}, -1},   {1900, {6}, -1}};
    for (const auto& press : presses) {
        Frame(press.time);
        for (const int key : press.keys) Key(key);
        EXPECT_EQ(PanelAt(kCutoff, press.time), press.cutoff) << press.time;
    }
    const struct { int power, key; int32_t gear; } shifts[] = {
        {1, 3, 0}, {0, 3, 1}, {0, 3, 2}, {0, 3, 2}, {2, 4, 2}, {0, 4, 1}, {0, 4, 0}, {0, 4, 0}};
    for (const auto& shift : shifts) {
        api().SetPower(shift.power);
        Key(shift.key);
        EXPECT_EQ(panel[kGearLamp], shift.gear);
    }
    Frame(5000);
    api().Initialize(2);  // with automatic mode on
    Key(5);
    Frame(5000);
    EXPECT_THAT(Panel({kCutoff, kAutomaticLamp}), ElementsAre(0, 1));
}

}  // namespace
