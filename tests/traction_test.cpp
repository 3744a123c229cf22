// The traction frame: heating by power notch, overheating, the ammeter, the fuel store and
// its filling zones, and the traction keys.
#include <cstdint>
#include <string>

#include "plugin_fixture.h"

namespace {

class TractionTest : public PluginTest {};

constexpr int kThermometer = 20;
constexpr int kOverheatLamp = 21;
constexpr int kAmmeter = 22;
constexpr int kAlarmSound = 5;
constexpr int kFuel = 30;
constexpr int kFillLamp = 31;

TEST_F(TractionTest, WithoutModelOnlyHeatingAndAmmeterRun) {
    Start("traction=0\nheatingpart=1\nheatingrate=0,1,2,3\nthermometer=20\n"
          "ammeter=22\nammetervalues=0,100,200\noverheatwarn=1000\noverheat=1000\noverheatresult=1\n",
          8, 5);
    Drive(1, 4);
    Frame(100);
    // No demand of the module: the driver's handles pass unchanged.
    EXPECT_EQ(out.power, 4);
    EXPECT_EQ(out.reverser, 1);
    // Notch 4 lies beyond the list: its last number.
    EXPECT_EQ(panel[kAmmeter], 200);
    EXPECT_EQ(PanelAt(kThermometer, 1100), 3);  // notch 4 reads the last rate, 3

    api().SetPower(1);
    EXPECT_EQ(PanelAt(kAmmeter, 1500), 100);
    EXPECT_EQ(PanelAt(kThermometer, 2100), 4);

    // Any brake notch, or the reverser in neutral, and the engine idles.
    api().SetBrake(1);
    EXPECT_EQ(PanelAt(kAmmeter, 2200), 0);
    EXPECT_EQ(PanelAt(kThermometer, 3100), 4);
    api().SetBrake(0);
    api().SetReverser(0);
    EXPECT_EQ(PanelAt(kAmmeter, 3200), 0);
}

TEST_F(TractionTest, OverheatWarnsCutsPowerForGoodAndCoolsToZero) {
    Start("heatingpart=1\nheatingrate=-5,10\nthermometer=20\noverheatindicator=21\noverheatalarm=5\n"
          "overheatwarn=20\noverheat=30\noverheatresult=1\n");
    Drive(1, 2);
    Frame(100);
    EXPECT_EQ(PanelAt(kOverheatLamp, 1100), 0);
    EXPECT_EQ(sound[kAlarmSound], kSoundStop);
    EXPECT_EQ(PanelAt(kThermometer, 2100), 20);  // the warning at its threshold
    EXPECT_EQ(panel[kOverheatLamp], 1);
    EXPECT_EQ(sound[kAlarmSound], kSoundLoop);
    EXPECT_EQ(out.power, 2);
    EXPECT_EQ(Frame(3100).power, 0);  // 30: the cut

    // Without power the engine cools by 5 a second, down to 0 and no further.
    EXPECT_EQ(PanelAt(kThermometer, 4100), 25);
    EXPECT_EQ(panel[kOverheatLamp], 1);
    Frame(5100);
    EXPECT_EQ(PanelAt(kThermometer, 6100), 15);
    EXPECT_EQ(panel[kOverheatLamp], 0);
    EXPECT_EQ(sound[kAlarmSound], kSoundStop);
    for (int t = 7100; t <= 12100; t += 1000) Frame(t);
    EXPECT_EQ(panel[kThermometer], 0);

    // Cold again, but the power stays cut whatever the driver does.
    api().SetPower(0);
    api().SetPower(2);
    EXPECT_EQ(Frame(12200).power, 0);

    // A restart gives it back; with the default limits the first tick cuts again.
    WriteFile(ConfigPath(), "heatingpart=1\noverheatresult=1\n");
    api().Initialize(2);
    Drive(1, 2);
    EXPECT_EQ(Frame(12300).power, 2);
    EXPECT_EQ(Frame(13199).power, 2);
    EXPECT_EQ(Frame(13200).power, 0);  // a second after the restart
}

TEST_F(TractionTest, FillingZoneIsSetByDirectionAndFillsOnlyAtAStandstill) {
    Start("traction=2\nfuelcapacity=1000\nfuelstartamount=100\nfuelfillspeed=300\n"
          "fuelindicator=30\nfuelfillindicator=31\n");
    Frame(100, 10.0f);
    Beacon(kBeaconFuelFilling, 0, 1);
    EXPECT_EQ(PanelAt(kFillLamp, 200, 10.0f), 0);  // moving: no filling even inside the zone
    EXPECT_EQ(PanelAt(kFuel, 1100, 0.5f), 100);
    EXPECT_EQ(PanelAt(kFillLamp, 1500, 0.0f), 1);
    for (int t = 2100; t <= 5100; t += 1000) Frame(t);
    EXPECT_EQ(panel[kFuel], 1000);  // never beyond the capacity

    // Passing a beacon, then a standstill: is the train in the zone?
    const struct {
        float speed;
        int type;
        int optional;
        int lamp;
    } passes[] = {{-3.0f, 21, 1, 1}, {-3.0f, 23, 1, 1},  // other types are not ours
                  {-3.0f, 22, 1, 0},                     // backwards the same beacon leaves
                  {0.0f, 22, 1, 0},                      // at a standstill a beacon changes nothing
                  {-3.0f, 22, 0, 1},                     // backwards another optional enters
                  {2.0f, 22, 7, 0}};  // forwards another optional leaves
    int32_t t = 5200;
    for (const auto& pass : passes) {
        SCOPED_TRACE(t);
        Frame(t, pass.speed);
        Beacon(pass.type, 0, pass.optional);
        EXPECT_EQ(PanelAt(kFillLamp, t + 100), pass.lamp);
        t += 200;
    }
}

// The steam store's tick runs only while filling is possible; the diesel's keeps its cadence.
TEST_F(TractionTest, FillingTickPerModel) {
    const std::string store = "\nfuelcapacity=1000\nfuelstartamount=100\nfuelfillspeed=300\nfuelindicator=30\n";
    Start("traction=1" + store);
    Frame(100, 10.0f);
    Beacon(kBeaconFuelFilling, 0, 1);
    Frame(5000, 0.0f);  // long after the start the first standstill frame only starts the tick
    EXPECT_EQ(PanelAt(kFuel, 5999), 100);
    EXPECT_EQ(PanelAt(kFuel, 6000), 400);
    Frame(9500);
    EXPECT_EQ(PanelAt(kFuel, 9600), 700);  // after a pause one tick, not the missed ones

    WriteFile(ConfigPath(), "traction=2" + store);
    api().Initialize(2);
    Frame(10100, 10.0f);
    Beacon(kBeaconFuelFilling, 0, 1);
    EXPECT_EQ(PanelAt(kFuel, 15000, 0.0f), 400);
    EXPECT_EQ(PanelAt(kFuel, 15001), 700);  // the missed ticks come one per frame
}

TEST_F(TractionTest, CutoffKeysAreRateLimitedAndBounded) {
    Start("traction=1\ncutoffindicator=40\ncutoffchangespeed=100\ncutoffmax=20\ncutoffmin=-18\n");
    Frame(1000);
    Key(5);  // starts the period only
    Frame(1100);
    Key(5);
    Key(5);  // within the period
    EXPECT_EQ(PanelAt(40, 1150), 1);
    Key(5);
    Frame(1200);
    Key(5);
    EXPECT_EQ(PanelAt(40, 1250), 2);
    // Any other key restarts the period too.
    Frame(1400);
    Key(77);
    Frame(1450);
    Key(5);
    EXPECT_EQ(PanelAt(40, 1500), 2);

    int t = 1600;
    for (int i = 0; i < 40; ++i, t += 100) {
        Frame(t);
        Key(5);
    }
    EXPECT_EQ(PanelAt(40, t), 20);
    for (int i = 0; i < 60; ++i, t += 100) {
        Frame(t);
        Key(6);
    }
    EXPECT_EQ(PanelAt(40, t), -18);
}

TEST_F(TractionTest, OneKeyActsInEveryRoleItHas) {
    // Key 5 is the cut-off increase, the injector and the automatic key at once.
    Start("traction=0\ncutoffindicator=40\ninjectortogglekey=5\ninjectorindicator=41\n"
          "automatic=5\nautomaticindicator=42\ngearratios=10,20\ngearindicator=43\n");
    Frame(1000);
    Key(5);
    EXPECT_EQ(PanelAt(41, 1100), 1);
    EXPECT_EQ(panel[42], 1);
    EXPECT_EQ(panel[40], 0);  // without the steam model nobody shows the cut-off

    // Gear keys work whatever the model, only with the power handle at 0.
    api().SetPower(1);
    Key(3);
    EXPECT_EQ(PanelAt(43, 1200), 0);
    api().SetPower(0);
    Key(3);
    Key(3);
    Key(3);  // the top gear is the top
    EXPECT_EQ(PanelAt(43, 1300), 2);
    api().SetPower(2);
    Key(4);
    EXPECT_EQ(PanelAt(43, 1400), 2);
    api().SetPower(0);
    Key(4);
    Key(4);
    Key(4);  // neutral is the bottom
    api().SetReverser(1);
    api().SetPower(3);
    EXPECT_EQ(PanelAt(43, 1500), 0);
    EXPECT_EQ(out.power, 3);  // no model, no gear power limit
}

TEST_F(TractionTest, UnconfiguredAutomaticKeyMatchesNothing) {
    Start("automaticindicator=42\n");
    Frame(100);
    panel[42] = 9;
    Key(-1);
    EXPECT_EQ(PanelAt(42, 200), 9);
}

}  // namespace

// Every number of the models at the ends of its range, with hostile speeds and a clock that
// wraps: nothing may overflow (the sanitized build stops at any such fault), and the
// temperature and the boiler pressure never show below 0.
TEST_F(TractionTest, ExtremeSettingsLeaveTheGaugesInRange) {
    const char* keys[] = {"heatingrate", "overheatwarn", "overheat", "fuelcapacity", "fuelstartamount",
                          "fuelfillspeed", "fuelconsumption", "gearratios", "gearfadeinrange",
                          "gearfadeoutrange", "cutoffmax", "cutoffmin", "cutoffineffective",
                          "cutoffratiobase", "cutoffratio", "cutoffdeviation", "cutoffchangespeed",
                          "regulatorpressureuse", "boilermaxpressure", "boilerminpressure",
                          "boilerblowoffpressure", "boilermaxwaterlevel", "boilerwatertosteamrate",
                          "injectorrate", "ammetervalues"};
    const std::string values[] = {"-2147483648", "-2147483647", "-1", "0", "1", "60001", "2147483647",
                                  "2147483647,-2147483648,0", "-2147483648,2147483647,1"};
    const float speeds[] = {0.0f, 19.0f, -60.0f, 3.0e38f, -3.0e38f, 1.0e-30f};
    for (int model = 1; model <= 2; ++model) {
        for (const std::string& value : values) {
            std::string config = "traction=" + std::to_string(model) +
                                 "\nheatingpart=" + std::to_string(model) +
                                 "\nautomatic=9\ninjectortogglekey=8\nthermometer=20\nammeter=22\n"
                                 "fuelindicator=30,50\nboilerpressureindicator=41\ngearloopsound=8," +
                                 value + "\noverheatresult=1\n";
            for (const char* key : keys) config += std::string(key) + "=" + value + "\n";
            SCOPED_TRACE(config);
            // One library, restarted with each setting.
            if (model == 1 && value == values[0]) {
                Start(config, 8, 5);
            } else {
                WriteFile(ConfigPath(), config);
                api().Initialize(2);
            }
            Key(9);
            Key(8);
            Drive(1, 5);
            int32_t time = 2147480000;
            for (int i = 0; i < 40; ++i) {
                const float speed = speeds[i % 6];
                if (i % 5 == 0) Beacon(kBeaconFuelFilling, 0, 1);
                Key(3 + i % 4);
                Frame(time, speed);
                if (model == 1) {
                    ASSERT_GE(panel[41], 0);
                }
                ASSERT_GE(panel[20], 0);
                time = static_cast<int32_t>(static_cast<uint32_t>(time) + 700u);
                if (i == 20) Drive(-1, 5);
            }
        }
    }
}
