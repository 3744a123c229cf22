// PZB90 through the host interface: the limit before activation, the magnets' checks and
// acknowledgement window, the emergency and its release, and a switched-off system.
#include "plugin_fixture.h"

namespace {

constexpr int kEmergency = 9;  // 8 service notches
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
    void Beacon(int type, int signal, int optional) {
        api().SetBeaconData(ATS_BEACONDATA{type, signal, 0.0f, optional});
    }
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

TEST_F(Pzb90Test, LimitBeforeActivation) {
    Start(kConfig);
    Frame(1000, 0.0f);
    EXPECT_TRUE(BlueFlashes(1100, 0.0f));
    Frame(2000, 45.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(2100, 45.1f);
    EXPECT_EQ(out.brake, kEmergency);
    EXPECT_EQ(panel[kRed], 1);
    EXPECT_EQ(sound[kSound], 0);

    // Released at a stand, the system is still not active: the next key press activates.
    Frame(9000, 0.0f);
    api().KeyDown(kKey);
    EXPECT_EQ(panel[kRed], 0);
    EXPECT_EQ(sound[kSound], -10000);
    Frame(9100, 0.0f);
    EXPECT_EQ(out.brake, 0);
    EXPECT_FALSE(BlueFlashes(9200, 0.0f));
    api().KeyDown(kKey);
    EXPECT_EQ(sound[kSound], 1);
    Frame(9800, 60.0f);
    EXPECT_EQ(out.brake, 0);
}

TEST_F(Pzb90Test, ReversingPastTheLimitTrips) {
    Start(kConfig);
    Frame(1000, -45.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(1100, -45.5f);
    EXPECT_EQ(out.brake, kEmergency);
}

TEST_F(Pzb90Test, KeyDuringAnEmergencyWhileMovingActivatesButKeepsTheBrake) {
    Start(kConfig);
    Frame(1000, 50.0f);
    ASSERT_EQ(out.brake, kEmergency);
    api().KeyDown(kKey);
    EXPECT_EQ(sound[kSound], 1);  // the chime replaces the alarm in the shared slot
    Frame(1100, 40.0f);
    EXPECT_EQ(out.brake, kEmergency);
    EXPECT_EQ(panel[kRed], 1);
    Frame(5000, 0.0f);
    api().KeyDown(kKey);
    Frame(5100, 0.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(5200, 80.0f);  // active now: no limit
    EXPECT_EQ(out.brake, 0);
}

TEST_F(Pzb90Test, RestrictiveDistantMagnetChecksAndOpensTheWindow) {
    Start(kConfig);
    Activate(1000);
    Frame(1100, 40.0f);
    Beacon(49000, 2, 0);  // 40 km/h is not above the limit
    EXPECT_EQ(panel[kYellow], 0);
    EXPECT_EQ(sound[kSound], 2);  // no chime
    Frame(4099, 40.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(4100, 40.0f);  // no acknowledgement within 3000 ms
    EXPECT_EQ(out.brake, kEmergency);
    EXPECT_EQ(panel[kRed], 1);
}

TEST_F(Pzb90Test, DistantMagnetTripsAboveItsAspectLimit) {
    Start(kConfig);
    Activate(1000);
    Frame(1100, 40.1f);
    Beacon(49000, 2, 0);
    EXPECT_EQ(sound[kSound], 0);
    Frame(1200, 40.1f);
    EXPECT_EQ(out.brake, kEmergency);
    EXPECT_FALSE(BlueFlashes(1300, 40.1f));  // the lamps are set after the check: steady
}

TEST_F(Pzb90Test, DangerMagnetTripsAtAStandAndTheKeyReleases) {
    Start(kConfig);
    Activate(1000);
    Beacon(49000, 0, 0);
    Frame(1100, 0.0f);
    EXPECT_EQ(out.brake, kEmergency);
    api().KeyDown(kKey);
    EXPECT_EQ(panel[kRed], 0);
    EXPECT_EQ(sound[kSound], -10000);
    Frame(1200, 0.0f);
    EXPECT_EQ(out.brake, 0);
    // The window went with the release, and the demand was withdrawn once: the next
    // emergency brakes again.
    Frame(5000, 0.0f);
    EXPECT_EQ(out.brake, 0);
    Beacon(49000, 0, 0);
    Frame(5100, 0.0f);
    EXPECT_EQ(out.brake, kEmergency);
}

TEST_F(Pzb90Test, AcknowledgedWindowAndClearAspectMagnet) {
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
}

TEST_F(Pzb90Test, MagnetWithItsOwnLimit) {
    Start(kConfig);
    Activate(1000);
    Frame(1100, 70.0f);
    Beacon(49000, 2, 70);
    EXPECT_EQ(panel[kYellow], 1);
    EXPECT_EQ(sound[kSound], 1);
    EXPECT_TRUE(BlueFlashes(1200, 70.0f));
    Frame(4099, 70.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(4100, 70.0f);
    EXPECT_EQ(out.brake, kEmergency);
}

TEST_F(Pzb90Test, MagnetWithItsOwnLimitTripsAboveIt) {
    Start(kConfig);
    Activate(1000);
    Frame(1100, 70.5f);
    Beacon(49000, 2, 70);
    Frame(1200, 70.5f);
    EXPECT_EQ(out.brake, kEmergency);
}

TEST_F(Pzb90Test, FortyFiveMagnetChecksWithoutAWindow) {
    Start(kConfig);
    Activate(1000);
    Frame(1100, 45.0f);
    Beacon(49001, 0, 0);  // announces: yellow and chime, no check
    EXPECT_EQ(panel[kYellow], 1);
    EXPECT_EQ(sound[kSound], 1);
    Beacon(49000, 2, 45);
    EXPECT_EQ(panel[kYellow], 0);
    EXPECT_FALSE(BlueFlashes(1200, 45.0f));
    Frame(10000, 45.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(10100, 45.5f);
    Beacon(49000, 1, 45);
    Frame(10200, 45.5f);
    EXPECT_EQ(out.brake, kEmergency);
}

TEST_F(Pzb90Test, HomeMagnetLimits) {
    Start(kConfig);
    Activate(1000);
    Frame(1100, 100.0f);
    Beacon(49001, 0, -5);  // negative: nothing is checked
    Beacon(49001, 0, 100);
    Frame(1200, 100.0f);
    EXPECT_EQ(out.brake, 0);
    Beacon(49001, 3, 99);
    Frame(1300, 100.0f);
    EXPECT_EQ(out.brake, kEmergency);
}

TEST_F(Pzb90Test, EveryWindowMagnetRestartsTheWindow) {
    Start(kConfig);
    Activate(1000);
    Frame(1100, 20.0f);
    Beacon(49000, 1, 0);
    Frame(3100, 20.0f);
    Beacon(49000, 1, 0);
    Frame(6099, 20.0f);
    EXPECT_EQ(out.brake, 0);
    Frame(6100, 20.0f);
    EXPECT_EQ(out.brake, kEmergency);
}

TEST_F(Pzb90Test, SwitchedOffSystemIgnoresMagnetsAndKey) {
    Start("pzb90=0\npzb90redlamp=42\npzb90key=9\npzb90sound=8\n");
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
