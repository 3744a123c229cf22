// Power gaps followed pickup by pickup, and the power-cut reminder.
#include "plugin_fixture.h"

#include <string>
#include <vector>

namespace {

class PowerControlTest : public PluginTest {
protected:
    // The driver at full power (notch 5), the train at 0 m at 40 km/h.
    void StartDriving(const std::string& config) {
        Start(config + "powerindicator=50\nreminderkey=9\nreminderindicator=51\n");
        api().SetPower(5);
        Frame(time_, 40.0f, 0.0);
    }
    // A gap of the given length starting at the last frame's location.
    void Gap(int32_t length) { api().SetBeaconData(ATS_BEACONDATA{20, 0, 0.0f, length}); }
    // Power output of one frame at location x and speed v.
    int32_t At(double x, float v = 40.0f) { return Frame(time_ += 100, v, x).power; }
    int32_t time_ = 100;
};

TEST_F(PowerControlTest, EachPickupInAGapCutsPower) {
    StartDriving("powergapbehaviour=2\npowerpickuppoints=0,100\n");
    Gap(10);
    EXPECT_EQ(At(0.5), 0);
    EXPECT_EQ(panel[50], 0);
    EXPECT_EQ(At(10.0), 0) << "still in at the gap's very end";
    EXPECT_EQ(At(10.5), 5);
    EXPECT_EQ(panel[50], 1);
    EXPECT_EQ(At(-1.0, -10.0f), 5) << "a record left forwards is gone";
    EXPECT_EQ(At(105.0), 0) << "the second pickup";
    EXPECT_EQ(At(111.0), 5);
    Gap(10);
    EXPECT_EQ(At(115.0), 0);
    EXPECT_EQ(At(110.5, -10.0f), 5) << "reversed out through the start";
    EXPECT_EQ(At(112.0), 0) << "and in again";
    EXPECT_EQ(At(122.0), 5);
    At(122.0, 0.0f);
    Gap(10);  // standing
    At(122.0, -5.0f);
    Gap(10);  // reversing
    At(122.0);
    Gap(0);  // no length
    EXPECT_EQ(At(125.0), 5) << "ignored beacons";
    Gap(-1);  // 4294967295 m; still ahead when the run ends: released with the plugin
    EXPECT_EQ(At(1.0e6), 0);
}

TEST_F(PowerControlTest, AllPickupsBehaviourHoldsAtMostOneCut) {
    // Cut from the last pickup's entry to the last exit. A gap shorter than the pickups'
    // spread brings the count back to 0 with no cut held; overlapping gaps bring it to all
    // pickups twice before 0. Neither may leave a surplus withdrawal that would absorb the
    // doors' or the reminder's cut.
    StartDriving("powergapbehaviour=3\npowerpickuppoints=0,20\ndoorpowerlock=1\n");
    Gap(50);
    EXPECT_EQ(At(10.0), 5);
    EXPECT_EQ(At(20.5), 0);
    EXPECT_EQ(panel[50], 0);
    EXPECT_EQ(At(70.0), 0);
    EXPECT_EQ(At(70.5), 5);
    EXPECT_EQ(panel[50], 1);
    Gap(5);
    api().DoorOpen();
    for (double x : {71.0, 76.0, 91.0, 96.0}) EXPECT_EQ(At(x), 0) << x;
    api().DoorClose();
    EXPECT_EQ(At(125.0), 5);
    Gap(30);  // pickups in 125..155 and 145..175
    EXPECT_EQ(At(145.5), 0);
    Gap(30);  // pickups in 145.5..175.5 and 165.5..195.5
    for (double x : {150.0, 156.0, 166.0, 176.0, 195.0}) EXPECT_EQ(At(x), 0) << x;
    EXPECT_EQ(At(196.0), 5);
    api().KeyDown(9);
    EXPECT_EQ(At(200.0), 0) << "the reminder still cuts power";
    EXPECT_EQ(panel[51], 1);
    api().KeyDown(9);
    EXPECT_EQ(At(201.0), 5);
    EXPECT_EQ(panel[51], 0);
}

TEST_F(PowerControlTest, ProportionalBehaviourLimitsPowerByTheShareOfPickupsInGaps) {
    StartDriving("powergapbehaviour=1\npowerpickuppoints=0,10,20\n");
    Gap(100);
    std::vector<int32_t> seen;
    for (double x : {1.0, 11.0, 21.0, 101.0, 111.0, 121.0}) seen.push_back(At(x));
    EXPECT_EQ(seen, (std::vector<int32_t>{3, 2, 0, 2, 3, 5}));
    api().SetPower(4);
    EXPECT_EQ(At(130.0), 4) << "no limit left behind";
}

TEST_F(PowerControlTest, ProportionalLimitWithTwoPickupsAndFourNotches) {
    Start("powergapbehaviour=1\npowerpickuppoints=0,30\npowerindicator=50\n", 8, 4);
    api().SetPower(4);
    Frame(100, 40.0f, 0.0);
    Gap(50);  // pickups in 0..50 and 30..80
    std::vector<int32_t> power;
    std::vector<int32_t> lamp;
    for (double x : {1.0, 31.0, 51.0, 81.0}) {
        power.push_back(At(x));
        lamp.push_back(panel[50]);
    }
    EXPECT_EQ(power, (std::vector<int32_t>{2, 0, 2, 4})) << "each leave withdraws the notch its count placed";
    EXPECT_EQ(lamp, (std::vector<int32_t>{1, 0, 1, 1}));
}

}  // namespace
