// Door indicators, klaxon indicator, travel meter, custom indicators and the cab mode switch.
#include "plugin_fixture.h"

#include <limits>
#include <vector>

namespace {

class MiscTest : public PluginTest {
protected:
    void DoorSide(int32_t optional) { api().SetBeaconData(ATS_BEACONDATA{23, 0, 0.0f, optional}); }
    // The two door lamps as one number: 10 for the left only, 1 for the right only.
    int Lamps() const { return panel[10] * 10 + panel[11]; }
};

TEST_F(MiscTest, DoorLampsShowTheReleasedSideWhileTheDoorsAreOpen) {
    Start("doorindicator=10,11\n");
    Frame(100);
    DoorSide(2);  // at a stand, the doors counting as open since the start
    EXPECT_EQ(Lamps(), 11);
    api().DoorClose();
    EXPECT_EQ(Lamps(), 0);
    api().DoorOpen();
    EXPECT_EQ(Lamps(), 11);
    DoorSide(256);  // low byte 0: no side
    EXPECT_EQ(Lamps(), 0);
    DoorSide(257);  // side 1
    EXPECT_EQ(Lamps(), 1);
    DoorSide(255);  // side -1: the old side's lamp stays lit until the doors close
    EXPECT_EQ(Lamps(), 11);
    DoorSide(3);  // no such side
    api().DoorClose();
    api().DoorOpen();
    EXPECT_EQ(Lamps(), 10);
    // In motion the new side waits for the next door movement.
    api().DoorClose();
    Frame(200, 30.0f);
    DoorSide(1);
    api().DoorOpen();
    EXPECT_EQ(Lamps(), 1);
    // A restart keeps the side and counts the doors as open.
    api().DoorClose();
    api().Initialize(2);
    Frame(300);
    EXPECT_EQ(Lamps(), 1);
}

TEST_F(MiscTest, KlaxonLampStaysLitForTheHornsTime) {
    Start("klaxonindicator=20,1500\n");
    Frame(1000);
    api().HornBlow(1);  // no time for horn type 1
    api().HornBlow(2);
    EXPECT_EQ(panel[20], 0);
    api().HornBlow(0);
    Frame(2499);
    EXPECT_EQ(panel[20], 1);
    Frame(2500);
    EXPECT_EQ(panel[20], 0);
    api().HornBlow(0);
    Frame(3000);
    api().HornBlow(0);  // a new horn restarts the time
    Frame(4499);
    EXPECT_EQ(panel[20], 1);
    Frame(4500);
    EXPECT_EQ(panel[20], 0);
}

TEST_F(MiscTest, TravelMeterShowsTheDistanceInEachUnit) {
    Start("travelmetermode=1\ntravelmeter100=30\ntravelmeter10=300\ntravelmeter1=32\n"
          "travelmeter01=33\ntravelmeter001=34\n");
    Frame(100, 0.0f, 800.0);  // miles; the tens' slot lies beyond the panel
    EXPECT_EQ((std::vector<int32_t>(panel + 30, panel + 35)), (std::vector<int32_t>{0, 0, 0, 4, 49}));
    Frame(200, 0.0f, 1.0e13);
    EXPECT_EQ(panel[34], std::numeric_limits<int32_t>::max());
    EXPECT_EQ(panel[30], 62150405) << "a mile of 1.609 in single precision";
}

TEST_F(MiscTest, OneDoorLampAndTheTravelMeterInKilometres) {
    Start("doorindicator=10\ntravelmetermode=0\ntravelmeter100=30\ntravelmeter10=31\ntravelmeter1=32\n"
          "travelmeter01=33\ntravelmeter001=34\n");
    Frame(100, 0.0f, 987.0);
    EXPECT_EQ((std::vector<int32_t>(panel + 30, panel + 35)), (std::vector<int32_t>{0, 0, 0, 9, 98}));
    panel[10] = panel[11] = 7;
    DoorSide(1);  // no lamp for that side: the one lamp is not written
    EXPECT_EQ(panel[10], 7);
    DoorSide(2);
    EXPECT_EQ(panel[10], 1);
    api().DoorClose();
    EXPECT_EQ(panel[10], 0);
    EXPECT_EQ(panel[11], 7) << "no second slot configured";
}

TEST_F(MiscTest, CustomIndicatorsAndTheCabModeShareKeys) {
    Start("customindicators=4,30,4,31,5,300,6\ncabmode=4,40,41\n");
    Frame(100);
    EXPECT_EQ(panel[40] * 10 + panel[41], 10) << "the first cab mode lamp is lit at the start";
    api().KeyDown(4);
    EXPECT_EQ(panel[30] + panel[31], 2);
    EXPECT_EQ(panel[40] * 10 + panel[41], 1);
    panel[31] = 5;  // any lit value turns off
    api().KeyDown(4);
    EXPECT_EQ(panel[30] + panel[31], 0);
    EXPECT_EQ(panel[40] * 10 + panel[41], 10);
    api().KeyDown(5);  // a slot beyond the panel
    api().KeyDown(6);  // a last number without a partner
    EXPECT_EQ(panel[6], 0);
}

}  // namespace
