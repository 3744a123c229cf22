// Door indicators, klaxon indicator, travel meter, custom indicators and the cab mode switch.
#include "plugin_fixture.h"

namespace {

using ::testing::ElementsAre;

class MiscTest : public PluginTest {
protected:
    enum : int32_t { kOpen = 1000, kClose = 1001 };
    // Door movements and door-side beacons (by their optional), each with the two lamps
    // after it as one number: 10 for the left only, 1 for the right only.
    void Doors(std::initializer_list<std::pair<int32_t, int>> rows) {
        for (const auto& [act, lamps] : rows) {
            act == kOpen ? api().DoorOpen() : act == kClose ? api().DoorClose() : Beacon(kBeaconDoorSide, 0, act);
            EXPECT_EQ(panel[10] * 10 + panel[11], lamps) << act;
        }
    }
};

TEST_F(MiscTest, DoorLampsShowTheReleasedSideWhileTheDoorsAreOpen) {
    // The doors count as open from the start; only the low byte names the side (256: none,
    // 257: 1, 255: -1), and 3 is no side. From 1 to -1 the old lamp stays lit until the
    // doors close.
    Start("doorindicator=10,11\n");
    Frame(100);
    Doors({{2, 11}, {kClose, 0}, {kOpen, 11}, {256, 0}, {257, 1}, {255, 11}, {3, 11}, {kClose, 0}, {kOpen, 10}});
    // In motion the lamps wait for the next door movement.
    Frame(200, 30.0f);
    Doors({{2, 10}, {0, 10}, {1, 10}, {kClose, 0}, {kOpen, 1}, {kClose, 0}});
    // A restart keeps the side and counts the doors as open.
    api().Initialize(2);
    Frame(300);
    Doors({{3, 1}});
}

TEST_F(MiscTest, KlaxonLampStaysLitForTheHornsTimeAndTheTravelMeterShowsTheDistance) {
    // Each row: a horn (-1: none) at the last frame's time, then a frame at time and the lamp.
    // No horn type 2, whatever follows. The meter counts miles here, not reduced to single
    // digits (the third-rail drive shows each slot in kilometres).
    struct Row { int horn; int32_t time; int lit; };
    Start("klaxonindicator=20,1500,700,300\ntravelmetermode=1\ntravelmeter100=30\n");
    for (const Row& row : {Row{-1, 1000, 0}, {2, 1000, 0}, {0, 2499, 1}, {-1, 2500, 0}, {1, 3199, 1}, {-1, 3200, 0},
                           {0, 4000, 1}, {0, 5499, 1}, {-1, 5500, 0}}) {  // a new horn restarts the time
        if (row.horn != -1) api().HornBlow(row.horn);
        EXPECT_EQ(PanelAt(20, row.time), row.lit) << row.time;
    }
    Frame(5700, 0.0f, 1.0e13);
    EXPECT_EQ(panel[30], 62150405) << "a mile of 1.609 in single precision";
}

TEST_F(MiscTest, CustomIndicatorsAndTheCabModeShareKeys) {
    Start("customindicators=4,30,4,31,5,300,6\ncabmode=4,40,41\n");
    Frame(100);
    EXPECT_THAT(Panel({30, 31, 40, 41}), ElementsAre(0, 0, 1, 0));
    api().KeyDown(4);
    EXPECT_THAT(Panel({30, 31, 40, 41}), ElementsAre(1, 1, 0, 1));
    panel[31] = 5;  // any lit value turns off
    api().KeyDown(4);
    api().KeyDown(5);  // a slot beyond the panel
    api().KeyDown(6);  // a last number without a partner
    EXPECT_THAT(Panel({6, 30, 31, 40, 41}), ElementsAre(0, 0, 0, 1, 0));
    api().KeyDown(4);
    api().Initialize(2);  // a restart puts the cab mode back in its first state
    api().KeyDown(4);
    Frame(200);
    EXPECT_THAT(Panel({40, 41}), ElementsAre(0, 1));
}

}  // namespace
