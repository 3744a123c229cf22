// The diesel model: gear power limit, tachometer, automatic gearbox, gear sounds, heating by
// engine load and fuel use with the out-of-fuel cut.
#include <limits>
#include <string>

#include "plugin_fixture.h"

namespace {

constexpr int kThermometer = 20;
constexpr int kTachometer = 50;
constexpr int kGearLamp = 51;
constexpr int kFuel = 60;
constexpr int kGearUp = 3;
constexpr int kGearDown = 4;
constexpr int kAutomatic = 9;

const std::string kGears =
    "traction=2\ngearratios=50,20,12\ngearfadeinrange=0,400,500\ngearfadeoutrange=100,100,100\n"
    "tachometer=50\ngearindicator=51\n";

class DieselTest : public PluginTest {
protected:
    // Gear keys work only with the power handle at 0.
    void ShiftUp(int power) {
        api().SetPower(0);
        Key(kGearUp);
        api().SetPower(power);
    }
};

TEST_F(DieselTest, GearPowerLimitFollowsEngineSpeed) {
    Start(kGears, 8, 5);
    Drive(1, 5);
    EXPECT_EQ(Frame(100, 19.0f).power, 0);  // neutral gives no power
    ShiftUp(5);
    EXPECT_EQ(PanelAt(kTachometer, 200, 19.0f), 950);
    EXPECT_EQ(out.power, 2);  // fading out: 5 - 5 x 50 / 100 = 2.5
    EXPECT_EQ(Frame(300, 0.0f).power, 5);  // no fade-in range in gear 1

    ShiftUp(5);
    EXPECT_EQ(PanelAt(kTachometer, 500, 19.0f), 380);
    EXPECT_EQ(out.power, 4);  // fading in: 5 x 380 / 400 = 4.75
    api().SetPower(3);
    EXPECT_EQ(Frame(600, 19.0f).power, 2);  // the driver's notch lowered by the notch lost
    api().SetPower(5);
    EXPECT_EQ(Frame(700, 0.0f).power, 0);  // a gear with a fade-in range cannot start the train
    EXPECT_EQ(PanelAt(kTachometer, 900, -60.0f), 1000);  // either direction, never beyond the maximum
    EXPECT_EQ(out.power, 0);

    ShiftUp(5);
    EXPECT_EQ(PanelAt(kTachometer, 1000, 19.0f), 228);
    EXPECT_EQ(out.power, 2);  // 5 x 228 / 500 = 2.28
}

TEST_F(DieselTest, AutomaticGearboxEngagesShiftsAndDropsToNeutral) {
    Start(kGears + "automatic=9\nautomaticindicator=52\n", 8, 5);
    Key(kAutomatic);
    Drive(1, 5);
    EXPECT_EQ(PanelAt(52, 100, 19.0f), 1);
    EXPECT_EQ(panel[kGearLamp], 1);  // engaged as soon as the driver takes power
    EXPECT_EQ(PanelAt(kGearLamp, 2099, 19.0f), 1);
    EXPECT_EQ(PanelAt(kGearLamp, 2100, 19.0f), 2);  // 950 is above 800
    Frame(4100, 8.0f);
    EXPECT_EQ(PanelAt(kGearLamp, 6100, 8.0f), 1);  // 160 is below 200, but never below the first gear

    api().SetBrake(2);
    Frame(8100, 8.0f);
    EXPECT_EQ(PanelAt(kGearLamp, 10100, 8.0f), 0);  // in neutral only the driver's power engages a gear
    api().SetBrake(0);
    EXPECT_EQ(PanelAt(kGearLamp, 10200, 8.0f), 1);

    Key(kAutomatic);  // off: gears stay where they are
    EXPECT_EQ(PanelAt(52, 14300, 19.0f), 0);
    EXPECT_EQ(panel[kGearLamp], 1);
}

TEST_F(DieselTest, BandEdgesAndGearboxThresholds) {
    // Ratio 40: full power from 400 to 600, up-changes above 800, down-changes below 200.
    Start("traction=2\ngearratios=40,40,40\ngearfadeinrange=400\ngearfadeoutrange=400\n"
          "tachometer=50\ngearindicator=51\nautomatic=9\n",
          8, 5);
    Key(kAutomatic);
    Drive(1, 5);
    const struct {
        int32_t time;
        float speed;
        int power;
    } band[] = {{200, 10.0f, 5}, {300, 9.99f, 4}, {400, 15.0f, 5}, {500, 15.03f, 4}};
    Frame(100, 10.0f);
    for (const auto& step : band) {
        SCOPED_TRACE(step.speed);
        EXPECT_EQ(Frame(step.time, step.speed).power, step.power);
    }
    EXPECT_EQ(PanelAt(kGearLamp, 2100, 20.0f), 1);  // 800 is not above 800
    EXPECT_EQ(PanelAt(kGearLamp, 4100, 20.03f), 2);
    EXPECT_EQ(PanelAt(kGearLamp, 6100, 5.0f), 2);  // 200 is not below 200
    EXPECT_EQ(PanelAt(kGearLamp, 8100, 4.99f), 1);
}

TEST_F(DieselTest, HeatingByEngineLoadUsesHandleAndEngineSpeed) {
    Start(kGears + "heatingpart=2\nheatingrate=5,1,2,3,4,5,6,7,8,90,1000\nthermometer=20\n", 8, 5);
    ShiftUp(5);
    api().SetReverser(1);
    Frame(100, 19.0f);
    EXPECT_EQ(PanelAt(kThermometer, 1100, 19.0f), 90);  // 5 x 950 / 5 / 100 = entry 9
    api().SetReverser(0);
    EXPECT_EQ(PanelAt(kThermometer, 2100, 19.0f), 95);  // no load: entry 0

    // A vehicle spec without power notches, changed without a restart, reads entry 0.
    api().SetReverser(1);
    api().SetVehicleSpec(ATS_VEHICLESPEC{8, 0, 0, 0, 1});
    EXPECT_EQ(PanelAt(kThermometer, 3100, 19.0f), 100);
}

// Without gears only the fuel runs: no tachometer, no heating by load, no power limit.
TEST_F(DieselTest, FuelUsePerNotchAndLowFuelLampAtTenPercent) {
    Start("traction=2\nfuelconsumption=2,5,9\nfuelcapacity=2000\nfuelstartamount=1000\nfuelindicator=60\n"
          "tachometer=50\nheatingpart=2\nheatingrate=7\nthermometer=20\nautomatic=9\n",
          8, 5);
    Key(kAutomatic);
    Frame(100);
    panel[kTachometer] = 77;
    EXPECT_EQ(PanelAt(kFuel, 1100), 998);  // idle
    Drive(1, 1);
    EXPECT_EQ(PanelAt(kFuel, 2100), 993);
    api().SetPower(4);
    EXPECT_EQ(PanelAt(kFuel, 3100, 40.0f), 984);  // beyond the list: its last number
    EXPECT_EQ(out.power, 4);
    EXPECT_EQ(panel[kTachometer], 77);
    EXPECT_EQ(panel[kThermometer], 0);
    api().SetBrake(1);
    EXPECT_EQ(PanelAt(kFuel, 4100), 982);
    api().SetBrake(0);
    api().SetReverser(0);
    EXPECT_EQ(PanelAt(kFuel, 5100), 980);

    WriteFile(ConfigPath(), "traction=2\nfuelconsumption=1\nfuelcapacity=2000\nfuelstartamount=221\n"
                            "fuelindicator=60,10\n");
    api().Initialize(2);
    EXPECT_EQ(PanelAt(kFuel, 5200), 221);  // the start amount is shown raw
    EXPECT_EQ(PanelAt(kFuel, 6100), 0);  // 220 of 2000: 11 percent
    EXPECT_EQ(PanelAt(kFuel, 7100), 1);  // 219 of 2000: 10 percent
}

TEST_F(DieselTest, RunningDryCutsPowerUntilRefilled) {
    Start(kGears + "fuelconsumption=5\nfuelstartamount=3\nfuelcapacity=100\nfuelfillspeed=40\n"
                   "fuelindicator=60\nheatingpart=2\nheatingrate=1,2,3,4,5,6,7,8,9,100,1000\nthermometer=20\n",
          8, 5);
    ShiftUp(5);
    api().SetReverser(1);
    EXPECT_EQ(Frame(100, 19.0f).power, 2);
    EXPECT_EQ(PanelAt(kFuel, 1100, 19.0f), 0);
    EXPECT_EQ(out.power, 0);
    EXPECT_EQ(panel[kTachometer], 0);
    EXPECT_EQ(panel[kThermometer], 1);  // an empty engine heats at entry 0
    Frame(2100, 19.0f);
    Beacon(kBeaconFuelFilling, 0, 1);
    EXPECT_EQ(Frame(2500, 0.0f).power, 0);
    EXPECT_EQ(PanelAt(kFuel, 3100, 0.0f), 40);
    EXPECT_EQ(out.power, 5);  // gear 1 at a standstill gives full power
}

// Filling withdraws the out-of-fuel cut only if one is held, and only once it adds fuel.
TEST_F(DieselTest, FillingWithdrawsOnlyACutItHolds) {
    Start("traction=2\nfuelconsumption=5\nfuelstartamount=0\nfuelcapacity=100\nfuelfillspeed=7\nfuelindicator=60\n",
          8, 5);
    Drive(1, 3);
    Frame(100, 5.0f);
    Beacon(kBeaconFuelFilling, 0, 1);
    Frame(200, 0.0f);
    EXPECT_EQ(PanelAt(kFuel, 1100, 0.0f), 7);  // filled without any cut to withdraw
    EXPECT_EQ(out.power, 3);
    Frame(1200, 5.0f);
    Beacon(kBeaconFuelFilling, 0, 0);
    EXPECT_EQ(Frame(2100, 5.0f).power, 3);
    EXPECT_EQ(PanelAt(kFuel, 3100, 5.0f), 0);
    EXPECT_EQ(out.power, 0);  // running dry still cuts

    WriteFile(ConfigPath(), "traction=2\nfuelconsumption=5\nfuelstartamount=5\nfuelcapacity=100\n"
                            "fuelfillspeed=0\nfuelindicator=60\n");
    api().Initialize(2);
    Drive(1, 3);
    Frame(3200, 5.0f);
    Beacon(kBeaconFuelFilling, 0, 1);
    EXPECT_EQ(Frame(4100, 5.0f).power, 0);
    Frame(4500, 0.0f);
    EXPECT_EQ(Frame(6100, 0.0f).power, 0);  // filling that adds nothing keeps the cut
}

TEST_F(DieselTest, GearSoundsAndLoopRestart) {
    Start(kGears + "gearchangesound=-1,7\ngearloopsound=8,500\n", 8, 5);
    Frame(100);
    sound[8] = 123;
    Key(kGearUp);
    EXPECT_EQ(sound[7], kSoundStop);  // up-changes are silent
    EXPECT_EQ(sound[8], kSoundStop);
    EXPECT_EQ(SoundAt(8, 599), kSoundStop);
    EXPECT_EQ(SoundAt(8, 600), kSoundLoop);
    Key(kGearUp);
    Key(kGearDown);
    EXPECT_EQ(sound[7], kSoundOnce);
    sound[7] = 2;
    Key(kGearDown);  // into neutral: the loop stays silent
    EXPECT_EQ(sound[7], kSoundOnce);
    EXPECT_EQ(SoundAt(8, 3000), kSoundStop);

    // A change while the clock reads -1 still waits out its delay.
    api().Initialize(2);
    Frame(-1);
    Key(kGearUp);
    EXPECT_EQ(SoundAt(8, 498), kSoundStop);
    EXPECT_EQ(SoundAt(8, 499), kSoundLoop);

    // One change sound for both directions; without a delay the loop sound is never written.
    WriteFile(ConfigPath(), kGears + "gearchangesound=6\ngearloopsound=8\n");
    api().Initialize(2);
    Frame(600);
    sound[8] = 123;
    Key(kGearUp);
    EXPECT_EQ(sound[6], kSoundOnce);
    sound[6] = 2;
    Key(kGearDown);
    EXPECT_EQ(sound[6], kSoundOnce);
    EXPECT_EQ(SoundAt(8, 5000), 123);
}

TEST_F(DieselTest, HostileValuesNeitherWrapNorReachTheEngine) {
    Start(kGears + "fuelstartamount=10\nfuelcapacity=2147483647\nfuelfillspeed=2147483647\n"
                   "fuelindicator=60\nfuelconsumption=1,-2147483647\n",
          8, 5);
    ShiftUp(5);
    api().SetReverser(1);
    // A speed that is not a number, or infinite, counts as a standstill.
    EXPECT_EQ(PanelAt(kTachometer, 100, std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(out.power, 5);
    EXPECT_EQ(PanelAt(kTachometer, 200, std::numeric_limits<float>::infinity()), 0);
    // Amounts saturate instead of wrapping: filling, and a consumption that adds.
    Frame(300, 5.0f);
    Beacon(kBeaconFuelFilling, 0, 1);
    Frame(500, 0.0f);
    Frame(1100, 0.0f);
    EXPECT_EQ(PanelAt(kFuel, 2100, 0.0f), 2147483647);
}

}  // namespace
