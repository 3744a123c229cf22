// PZB90 through the host interface: the limit before activation, the magnets' checks and
// acknowledgement window, the emergency and its release, and a switched-off system.
#include "plugin_fixture.h"

namespace {

constexpr int kBlue = 40, kYellow = 41, kRed = 42;
constexpr int kSound = 8, kKey = 9;

// The blue lamp flashes with a 500 ms period.
const std::string kConfig =
    "pzb90=1\npzb90bluelamp=40,500\npzb90yellowlamp=41\npzb90redlamp=42\npzb90key=9\npzb90sound=8\n";

class Pzb90Test : public PluginTest {
protected:
    // Activates the system at a stand at time t.
    void Activate(int32_t t) {
        Frame(t, 0.0f);
        api().KeyDown(kKey);
        ASSERT_EQ(sound[kSound], kSoundOnce);
        sound[kSound] = kSoundContinue;  // the host plays the chime on
    }
    // The key pressed at a stand at time t releases the brake.
    void ReleaseAt(int32_t t) {
        Frame(t, 0.0f);
        api().KeyDown(kKey);
        ASSERT_EQ(Frame(t + 100, 0.0f).brake, 0);
    }
    bool BlueFlashes(int32_t t, float speed) {
        Frame(t, speed);
        const int32_t first = panel[kBlue];
        Frame(t + 500, speed);
        return first != panel[kBlue];
    }
};

TEST_F(Pzb90Test, LimitBeforeActivationAndActivationByTheKey) {
    // The trip, its lamps and its release are the pinned PZB drive's; here the edges.
    Start(kConfig);
    EXPECT_EQ(Frame(2000, 45.0f).brake, 0);
    EXPECT_EQ(Frame(2100, 45.1f).brake, kEmergency);
    ReleaseAt(9000);

    // The release did not activate: reversing past the limit (by magnitude) trips again.
    ASSERT_EQ(Frame(9200, -45.5f).brake, kEmergency);
    api().KeyDown(kKey);  // moving: activates but keeps the brake
    EXPECT_EQ(sound[kSound], kSoundOnce);  // the chime replaces the alarm in the shared slot
    EXPECT_EQ(Frame(9300, 40.0f).brake, kEmergency);
    ReleaseAt(12000);
    EXPECT_EQ(Frame(12800, 80.0f).brake, 0);  // active now: no limit
}

TEST_F(Pzb90Test, DistantMagnetChecksItsLimitAndOpensTheWindow) {
    // Each row is released at a stand with the key; a window left running would trip the next.
    struct Row {
        int32_t signal, optional;  // optional 0: the aspect's own limit (25, 40, 60 km/h)
        float speed;
        int32_t yellow, sound;
        // Trips at once; brakes when 3000 ms pass without acknowledgement; the blue lamp flashes.
        bool trips, window, flashes;
    } rows[] = {
        {0, 0, 0.0f, 0, kSoundLoop, true, true, false},  // danger: trips at any speed, even at a stand
        {1, 0, 25.0f, 0, kSoundContinue, false, true, false},
        {1, 0, 25.1f, 0, kSoundLoop, true, true, false},  // the lamps are set after the check: steady
        {2, 0, 40.0f, 0, kSoundContinue, false, true, false},
        {2, 0, 40.1f, 0, kSoundLoop, true, true, false},
        {3, 0, 60.0f, 0, kSoundContinue, false, true, false},
        {3, 0, 60.1f, 0, kSoundLoop, true, true, false},
        {2, 70, 70.5f, 1, kSoundLoop, true, true, true},
        {2, 45, 45.0f, 0, kSoundOnce, false, false, false},  // 45: checks without a window
        {2, 45, 45.5f, 0, kSoundLoop, true, false, true},
    };
    Start(kConfig);
    Activate(1000);
    int32_t t = 2000;
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.signal << " " << row.optional << " " << row.speed);
        sound[kSound] = kSoundContinue;
        BeaconAt(t, row.speed, kBeaconPzbDistant, row.signal, row.optional);
        EXPECT_EQ(panel[kYellow], row.yellow);
        EXPECT_EQ(sound[kSound], row.sound);
        EXPECT_EQ(BlueFlashes(t + 100, row.speed), row.flashes);
        EXPECT_EQ(Frame(t + 2999, row.speed).brake, row.trips ? kEmergency : 0);
        EXPECT_EQ(Frame(t + 3000, row.speed).brake, row.trips || row.window ? kEmergency : 0);
        ReleaseAt(t + 3100);
        t += 10000;
    }
}

TEST_F(Pzb90Test, AcknowledgedAndRestartedWindows) {
    Start(kConfig);
    Activate(1000);
    // Every window magnet restarts the window (acknowledging it is the pinned drive's).
    BeaconAt(20000, 20.0f, kBeaconPzbDistant, 1, 0);
    BeaconAt(22000, 20.0f, kBeaconPzbDistant, 1, 0);
    EXPECT_EQ(Frame(24999, 20.0f).brake, 0);
    EXPECT_EQ(Frame(25000, 20.0f).brake, kEmergency);

    // A window opened while the clock reads -1 (the "no window" marker) still runs.
    api().Initialize(2);
    Activate(-1);
    BeaconAt(-1, 20.0f, kBeaconPzbDistant, 1, 0);
    EXPECT_EQ(Frame(2999, 20.0f).brake, kEmergency);
}

TEST_F(Pzb90Test, HomeMagnetAnnouncesOrChecksItsLimit) {
    Start(kConfig);
    Activate(1000);
    BeaconAt(1100, 100.0f, kBeaconPzbHome, 0, 0);  // announces: yellow and chime, no check
    EXPECT_THAT((std::vector{panel[kYellow], sound[kSound]}), ::testing::ElementsAre(1, kSoundOnce));
    Beacon(kBeaconPzbHome, 0, -5);  // negative: nothing is checked
    Beacon(kBeaconPzbHome, 0, 100);
    EXPECT_EQ(panel[kYellow], 0);
    EXPECT_EQ(Frame(10000, 100.0f).brake, 0);
    Beacon(kBeaconPzbHome, 3, 99);
    EXPECT_EQ(Frame(10100, 100.0f).brake, kEmergency);
}

TEST_F(Pzb90Test, SystemNotSetToOneIgnoresMagnetsAndKey) {
    Start("pzb90=2\npzb90redlamp=42\npzb90key=9\npzb90sound=8\n");
    BeaconAt(1000, 80.0f, kBeaconPzbDistant, 0, 0);
    Beacon(kBeaconPzbHome, 0, 10);
    api().KeyDown(kKey);
    EXPECT_THAT((std::vector{panel[kRed], sound[kSound]}), ::testing::ElementsAre(0, kSoundStop));
    EXPECT_EQ(Frame(9000, 80.0f).brake, 0);
}

}  // namespace
