// PZB90 through the host interface: the limit before activation, the magnets' checks and
// acknowledgement window, the emergency and its release, and a switched-off system.
#include "plugin_fixture.h"

namespace {

constexpr int kBlue = 40;
constexpr int kYellow = 41;
constexpr int kRed = 42;
constexpr int kSound = 8;
constexpr int kKey = 9;

// The blue lamp flashes with a 500 ms period.
const std::string kConfig =
    "pzb90=1\npzb90bluelamp=40,500\npzb90yellowlamp=41\npzb90redlamp=42\npzb90key=9\npzb90sound=8\n";

class Pzb90Test : public PluginTest {
protected:
    // Activates the system at a stand at time t.
    void Activate(int32_t t) {
        Frame(t, 0.0f);
        api().KeyDown(kKey);
        ASSERT_EQ(sound[kSound], 1);
        sound[kSound] = 2;  // the host plays the chime on
    }
    bool BlueFlashes(int32_t t, float speed) {
        Frame(t, speed);
        const int32_t first = panel[kBlue];
        Frame(t + 500, speed);
        return first != panel[kBlue];
    }
};

TEST_F(Pzb90Test, LimitBeforeActivationAndActivationByTheKey) {
    Start(kConfig);
    Frame(1000, 0.0f);
    EXPECT_TRUE(BlueFlashes(1100, 0.0f));
    Frame(2000, 45.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(2100, 45.1f);
    EXPECT_EQ(out.brake, kEmergency);
    EXPECT_EQ(panel[kRed], 1);
    EXPECT_EQ(sound[kSound], 0);
    Frame(9000, 0.0f);
    api().KeyDown(kKey);
    EXPECT_EQ(panel[kRed], 0);
    EXPECT_EQ(sound[kSound], -10000);
    Frame(9100, 0.0f);
    EXPECT_EQ(out.brake, 0);

    // The release did not activate: reversing past the limit (by magnitude) trips again.
    Frame(9200, -45.5f);
    ASSERT_EQ(out.brake, kEmergency);
    api().KeyDown(kKey);  // moving: activates but keeps the brake
    EXPECT_EQ(sound[kSound], 1);  // the chime replaces the alarm in the shared slot
    Frame(9300, 40.0f);
    EXPECT_EQ(out.brake, kEmergency);
    Frame(12000, 0.0f);
    api().KeyDown(kKey);
    Frame(12100, 0.0f);
    EXPECT_EQ(out.brake, 0);
    EXPECT_FALSE(BlueFlashes(12200, 0.0f));
    Frame(12800, 80.0f);  // active now: no limit
    EXPECT_EQ(out.brake, 0);
}

TEST_F(Pzb90Test, DistantMagnetChecksItsLimitAndOpensTheWindow) {
    struct Row {
        float speed;
        int optional;  // 0: the aspect's own limit, 40 km/h for signal 2
        bool trips;    // at once
        bool window;   // brakes when 3000 ms pass without acknowledgement
        int32_t yellow, sound;
        bool flashes;
    };
    const Row rows[] = {
        {40.0f, 0, false, true, 0, 2, false},
        {40.1f, 0, true, true, 0, 0, false},  // the lamps are set after the check: steady
        {70.0f, 70, false, true, 1, 1, true},
        {70.5f, 70, true, true, 1, 0, true},
        {45.0f, 45, false, false, 0, 1, false},  // 45: checks without a window
        {45.5f, 45, true, false, 0, 0, true},
    };
    Start(kConfig);
    Activate(1000);
    int32_t t = 2000;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.speed);
        sound[kSound] = 2;
        Frame(t, row.speed);
        Beacon(49000, 2, row.optional);
        EXPECT_EQ(panel[kYellow], row.yellow);
        EXPECT_EQ(sound[kSound], row.sound);
        EXPECT_EQ(BlueFlashes(t + 100, row.speed), row.flashes);
        Frame(t + 2999, row.speed);
        EXPECT_EQ(out.brake, row.trips ? kEmergency : 0);
        Frame(t + 3000, row.speed);
        EXPECT_EQ(out.brake, row.trips || row.window ? kEmergency : 0);
        Frame(t + 3100, 0.0f);
        api().KeyDown(kKey);
        Frame(t + 3200, 0.0f);
        ASSERT_EQ(out.brake, 0);
        t += 10000;
    }
}

TEST_F(Pzb90Test, DangerMagnetTripsAtAStandAndTheKeyReleases) {
    Start(kConfig);
    Activate(1000);
    Beacon(49000, 0, 0);
    Frame(1100, 0.0f);
    EXPECT_EQ(out.brake, kEmergency);
    // The host reports other notch numbers: the notch placed is the one withdrawn.
    api().SetVehicleSpec(ATS_VEHICLESPEC{6, 5, 0, 0, 1});
    api().KeyDown(kKey);
    EXPECT_EQ(panel[kRed], 0);
    EXPECT_EQ(sound[kSound], -10000);
    Frame(1200, 0.0f);
    EXPECT_EQ(out.brake, 0);
    // The window went with the release, and the next emergency brakes again.
    Frame(5000, 0.0f);
    EXPECT_EQ(out.brake, 0);
    Beacon(49000, 0, 0);
    Frame(5100, 0.0f);
    EXPECT_EQ(out.brake, 7);
}

TEST_F(Pzb90Test, AcknowledgedAndRestartedWindows) {
    Start(kConfig);
    Activate(1000);
    Frame(1100, 25.0f);
    Beacon(49000, 1, 0);
    Frame(2000, 20.0f);
    api().KeyDown(kKey);
    Frame(10000, 20.0f);
    EXPECT_EQ(out.brake, 0);
    Beacon(49000, 4, 0);  // clear: neither checks nor opens a window
    Frame(20000, 20.0f);
    EXPECT_EQ(out.brake, 0);
    // Every window magnet restarts the window.
    Beacon(49000, 1, 0);
    Frame(22000, 20.0f);
    Beacon(49000, 1, 0);
    Frame(24999, 20.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(25000, 20.0f);
    EXPECT_EQ(out.brake, kEmergency);
}

TEST_F(Pzb90Test, HomeMagnetAnnouncesOrChecksItsLimit) {
    Start(kConfig);
    Activate(1000);
    Frame(1100, 100.0f);
    Beacon(49001, 0, 0);  // announces: yellow and chime, no check
    EXPECT_EQ(panel[kYellow], 1);
    EXPECT_EQ(sound[kSound], 1);
    Beacon(49001, 0, -5);  // negative: nothing is checked
    Beacon(49001, 0, 100);
    EXPECT_EQ(panel[kYellow], 0);
    Frame(10000, 100.0f);
    EXPECT_EQ(out.brake, 0);
    Beacon(49001, 3, 99);
    Frame(10100, 100.0f);
    EXPECT_EQ(out.brake, kEmergency);
}

TEST_F(Pzb90Test, SystemNotSetToOneIgnoresMagnetsAndKey) {
    Start("pzb90=2\npzb90redlamp=42\npzb90key=9\npzb90sound=8\n");
    Frame(1000, 80.0f);
    Beacon(49000, 0, 0);
    Beacon(49001, 0, 10);
    api().KeyDown(kKey);
    EXPECT_EQ(panel[kRed], 0);
    EXPECT_EQ(sound[kSound], -10000);
    Frame(9000, 80.0f);
    EXPECT_EQ(out.brake, 0);
}

TEST_F(Pzb90Test, WindowOpenedWhenTheClockReadsMinusOneStillRuns) {
    Start(kConfig);
    Activate(-1);
    Frame(-1, 20.0f);
    Beacon(49000, 1, 0);
    Frame(2000, 20.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(2999, 20.0f);
    EXPECT_EQ(out.brake, kEmergency);
}

}  // namespace
