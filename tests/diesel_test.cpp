// The diesel model: gear power limit, tachometer, automatic gearbox, gear sounds, heating by
// engine load and fuel use with the out-of-fuel cut.
#include <string>
#include <vector>

#include "plugin_fixture.h"

namespace {

using ::testing::ElementsAre;

// The panel slots, and one that is not a slot: the power notch the frame returns.
enum Shown { kOutputPower = -1, kThermometer = 20, kTachometer = 50, kGearLamp, kFuel = 60 };
enum GearKey { kGearUp = 3, kGearDown };

// Three gears for P = 5: gear 1 has its full power at once, gear 2 from 400 per mille and
// gear 3 from 500; gear 1 fades out over the last 100 per mille, the others over 200.
const std::string kGears =
    "traction=2\ngearratios=50,20,12\ngearfadeinrange=0,400,500\ngearfadeoutrange=100,200\n"
    "tachometer=50\ngearindicator=51\n";

// One frame: up to gear by the keys first, the driver's handles, the time and the speed;
// then what the listed slots show.
struct Step { int32_t time; int gear, reverser, power; float speed; std::vector<int32_t> shown; int brake = 0; };

class DieselTest : public PluginTest {
protected:
    void Run(std::initializer_list<int> slots, std::initializer_list<Step> steps) {
        for (const Step& step : steps) {
            if (panel[kGearLamp] < step.gear) api().SetPower(0);  // the gear keys work only with the power handle at 0
            for (int32_t g = panel[kGearLamp]; g < step.gear; ++g) Key(kGearUp);
            Drive(step.reverser, step.power, step.brake);
            Frame(step.time, step.speed);
            std::vector<int32_t> seen;
            for (const int slot : slots) seen.push_back(slot == kOutputPower ? out.power : panel[slot]);
            EXPECT_EQ(seen, step.shown) << step.time;
        }
    }
};

// The limit rises from 0 over the fade-in range, is full in the gear's band and falls to 0
// over the fade-out range; it lowers the driver's notch by the notches lost. Without the
// automatic mode only the keys change gears, however long a gear runs at the top of its band.
TEST_F(DieselTest, GearPowerLimitAndHeatingFollowEngineSpeed) {
    Start(kGears + "heatingpart=2\nheatingrate=1,2,3,4,5,6,7,8,9,10,11\nthermometer=20\n");
    // 5 x 380 / 400 = 4.75; no start in a fade-in range; either direction, at most 1000. The fade-out
    // in gear 1 and the full band are the diesel unit's pinned drive.
    Run({kGearLamp, kTachometer, kOutputPower},
        {{1000, 0, 1, 5, 19, {0, 0, 0}},   {2000, 1, 1, 5, 0, {1, 0, 5}},    {5000, 2, 1, 5, 19, {2, 380, 4}},
         {6000, 2, 1, 3, 19, {2, 380, 2}}, {7000, 2, 1, 5, 0, {2, 0, 0}},    {8000, 2, 1, 5, -60, {2, 1000, 0}}});

    // The heating rate's index is the driver's share of the notches times the engine's share of
    // its maximum speed, in tenths; without traction, entry 0. The brake plays no part. A
    // restart puts the gearbox in neutral, as the next frame shows.
    api().Initialize(2);
    Frame(8050);
    // Entry 9 at 5 / 5 x 900 / 100, entry 3 at 2 / 5 x 900 / 100 = 3.6.
    Run({kThermometer}, {{8100, 1, 1, 5, 18, {0}},       {9100, 1, 1, 5, 18, {10}}, {10100, 1, 1, 2, 18, {14}},
                         {11100, 1, 1, 5, 18, {24}, 3}, {12100, 1, 0, 5, 18, {25}}});
}

// In automatic mode gear 1 goes in as soon as the driver takes power; then every 2 s at most
// one change: up strictly above (2000 - fade-out) / 2 but at most 800 per mille, down strictly
// below half the fade-in range but at least 200, and to neutral without traction.
TEST_F(DieselTest, AutomaticGearboxEngagesShiftsAndDropsToNeutral) {
    // Ratio 40: 20 km/h is 800 per mille. Up from gear 1 above 700, from gear 2 above 800;
    // down from gear 3 below 300, from gear 2 below 200.
    Start("traction=2\ngearratios=40,40,40\ngearfadeinrange=0,200,600\ngearfadeoutrange=600,200\n"
          "gearindicator=51\nautomatic=9\n");
    Key(9);
    // At 6000 within the period, which starts again at 7000, not at 6400.
    Run({kGearLamp}, {{100, 0, 1, 0, 20, {0}},       {400, 0, 1, 5, 17.5f, {1}},       {2400, 0, 1, 5, 17.5f, {1}},
                      {4400, 0, 1, 5, 17.53f, {2}},  {6000, 0, 1, 5, 30, {2}},         {7000, 0, 1, 5, 20, {2}},
                      {8500, 0, 1, 5, 4.99f, {2}},   {9000, 0, 1, 5, 20.03f, {3}},     {11000, 0, 1, 5, 30, {3}},
                      {13000, 0, 1, 5, 7.5f, {3}},   {15000, 0, 1, 5, 7.49f, {2}},     {17000, 0, 1, 5, 5, {2}},
                      {19000, 0, 1, 5, 4.99f, {1}},  {21000, 0, 1, 5, 4.99f, {1}},     {23000, 0, 1, 5, 4.99f, {0}, 2}});
}

// Fuel burns once a second, the tick counting from the restart. A threshold turns the gauge
// into a low-fuel lamp: 220 of 2000 is 11 percent, 219 is 10.
TEST_F(DieselTest, FuelTickCountsFromTheRestartAndALowFuelLampFromItsThreshold) {
    Start("traction=2\nfuelconsumption=1\nfuelcapacity=2000\nfuelstartamount=221\nfuelindicator=60,10\n");
    Frame(5600);
    api().Initialize(2);
    Run({kFuel}, {{6100, 0, 0, 4, 0, {221}}, {6600, 0, 0, 4, 0, {0}}, {7600, 0, 0, 4, 0, {1}}});
}

// A store that starts empty burns nothing, holds no cut, shows no engine speed and heats at
// entry 0; filled, it runs dry into the cut, which the next fill withdraws. A fill that adds
// nothing (no capacity) keeps the cut, and without a capacity the low-fuel lamp is not written.
TEST_F(DieselTest, FuelStoreRunsDryAndRefills) {
    Start(kGears + "fuelconsumption=5\nfuelstartamount=0\nfuelfillspeed=3\nfuelcapacity=100\nfuelindicator=60\n"
                   "heatingpart=2\nheatingrate=1,9\nthermometer=20\n");
    Run({kFuel, kTachometer, kThermometer, kOutputPower}, {{100, 1, 1, 5, 19, {0, 0, 0, 2}}});
    Beacon(kBeaconFuelFilling, 0, 1);
    Run({kFuel, kTachometer, kThermometer, kOutputPower}, {{1100, 1, 1, 5, 19, {0, 0, 1, 2}}, {2100, 1, 1, 5, 0, {3, 0, 2, 5}},
                                                           {3100, 1, 1, 5, 19, {0, 0, 3, 0}}, {4100, 1, 1, 5, 0, {3, 0, 4, 5}}});
    WriteFile(ConfigPath(), "traction=2\nfuelconsumption=5\nfuelstartamount=5\nfuelcapacity=0\nfuelindicator=60,10\n");
    api().Initialize(2);
    Run({kFuel, kOutputPower}, {{4200, 0, 1, 3, 5, {5, 3}}});
    Beacon(kBeaconFuelFilling, 0, 1);
    Run({kFuel, kOutputPower}, {{5100, 0, 1, 3, 5, {5, 0}}, {6100, 0, 1, 3, 0, {0, 0}}});
}

// A change plays the up sound, or the down sound where one is given; a change into a gear
// stops the loop sound and starts it again after its delay, a change to neutral leaves it off.
TEST_F(DieselTest, GearSoundsAndLoopRestart) {
    Start(kGears + "gearchangesound=-1,7\ngearloopsound=8,500\n");
    Frame(100);
    Key(kGearUp);
    EXPECT_THAT(std::vector<int32_t>({SoundAt(8, 300), SoundAt(8, 600)}), ElementsAre(kSoundStop, kSoundLoop));
    sound[8] = kSoundContinue;
    EXPECT_EQ(SoundAt(8, 1200), kSoundContinue);  // started once

    // A restart ends the wait, and a change while the clock reads -1 still waits out its delay.
    Key(kGearUp);
    api().Initialize(2);
    EXPECT_EQ(SoundAt(8, 3600), kSoundStop);
    Frame(-1);
    Key(kGearUp);
    EXPECT_THAT(std::vector<int32_t>({SoundAt(8, 200), SoundAt(8, 499)}), ElementsAre(kSoundStop, kSoundLoop));

    // One change sound for both directions; without a delay the loop sound is never written.
    WriteFile(ConfigPath(), kGears + "gearchangesound=6\ngearloopsound=8\n");
    api().Initialize(2);
    Frame(600);
    Key(kGearUp);
    sound[6] = kSoundContinue;
    sound[8] = 123;
    Key(kGearDown);
    EXPECT_THAT(std::vector<int32_t>({sound[6], sound[8], panel[kGearLamp]}), ElementsAre(kSoundOnce, 123, 0));
}

}  // namespace
