// Power gaps followed pickup by pickup, and the power-cut reminder.
#include "plugin_fixture.h"

#include <string>

namespace {

using ::testing::ElementsAre;

class PowerControlTest : public PluginTest {
protected:
    // The driver at the top notch; the power lamp in slot 50.
    void StartDriving(const std::string& config) {
        Start(config + "powerindicator=50\nreminderkey=9\n", kFullService, kTopNotch);
        api().SetPower(kTopNotch);
    }
    // A frame at x metres and v km/h (40 unless given), then the power output and the power lamp; after it,
    // a gap of the given length is announced at x (0, no length, announces none).
    struct Row { double x; int power, lamp; int32_t gap = 0; float v = 40.0f; };
    void Run(std::initializer_list<Row> rows) {
        for (const Row& row : rows) {
            Frame(time_ += 100, row.v, row.x);
            EXPECT_THAT((std::vector<int32_t>{out.power, panel[50]}), ElementsAre(row.power, row.lamp)) << row.x;
            Beacon(kBeaconPowerGap, 0, row.gap);
        }
    }
    int32_t time_ = 0;
};

TEST_F(PowerControlTest, EachPickupInAGapCutsPower) {
    // Pickups 0 and 100 m behind; gaps of 10 m. A pickup is in from past the gap's start up
    // to its very end and, reversing, down to its start; a gap left forwards is forgotten;
    // reversing out through its start restores power and moving on enters it again.
    // Standing or reversing, a beacon announces nothing.
    StartDriving("powergapbehaviour=2\npowerpickuppoints=0,100\n");
    Run({{0, 5, 1, 10}, {0.5, 0, 0}, {10, 0, 0}, {10.5, 5, 1}, {-1, 5, 1, 0, -10}, {100, 5, 1}, {105, 0, 0},
         {111, 5, 1, 10}, {115, 0, 0}, {111, 0, 0, 0, -10}, {110.5, 5, 1, 0, -10}, {112, 0, 0}, {122, 5, 1},
         {122, 5, 1, 10, 0}, {122, 5, 1, 10, -5}, {123, 5, 1},
         // The second pickup in the gap announced at 111; then both pickups in one gap of 150 m,
         // where the first one out shows its lamp while the second still cuts. -1 m reads as
         // 4294967295 m.
         {215, 0, 0}, {222, 5, 1, 150}, {322.5, 0, 0}, {372.5, 0, 1}, {472.5, 5, 1, -1}, {1.0e6, 0, 0}});
    // A restart forgets the gaps and the pickups in them.
    api().Initialize(2);
    api().SetPower(5);
    Run({{1.0e6 + 1, 5, 1, 10}, {1.0e6 + 2, 0, 0}, {1.0e6 + 12, 5, 1}});
    Beacon(kBeaconRain, 0, 10);  // another beacon's number is no gap
    Run({{1.0e6 + 13, 5, 1}});
}

TEST_F(PowerControlTest, AllPickupsBehaviourHoldsAtMostOneCut) {
    // Cut from the last pickup's entry to the last exit. A gap shorter than the pickups'
    // spread brings the count back to 0 with no cut held; overlapping gaps bring it to all
    // pickups twice before 0. Neither may withdraw the doors' cut.
    StartDriving("powergapbehaviour=3\npowerpickuppoints=0,20\ndoorpowerlock=1\n");
    Run({{0, 5, 1, 50}, {10, 5, 1}, {20.5, 0, 0}, {70, 0, 0}, {70.5, 5, 1, 5}});
    api().DoorOpen();
    Run({{71, 0, 1}, {76, 0, 1}, {91, 0, 1}, {96, 0, 1}});
    api().DoorClose();
    // Pickups in 125..155 and 145..175, then in 145.5..175.5 and 165.5..195.5.
    Run({{125, 5, 1, 30}, {145.5, 0, 0, 30}, {150, 0, 0}, {156, 0, 0}, {166, 0, 0}, {176, 0, 0}, {195, 0, 0},
         {196, 5, 1}});
    // A restart clears the reminder (the third-rail drive sets and clears it): the next
    // press sets it again.
    api().KeyDown(9);
    api().Initialize(2);
    api().SetPower(5);
    api().KeyDown(9);
    Run({{202, 0, 1}});
}

TEST_F(PowerControlTest, ProportionalBehaviourLimitsPowerByTheShareOfPickupsInGaps) {
    // Five notches, three pickups: one in a gap leaves notch 3, two notch 2, three none.
    StartDriving("powergapbehaviour=1\npowerpickuppoints=0,10,20\n");
    // Each leave withdraws the notch its count placed.
    Run({{0, 5, 1, 100}, {1, 3, 1}, {11, 2, 1}, {21, 0, 0}, {101, 2, 1}, {111, 3, 1}, {121, 5, 1}});
}

}  // namespace
