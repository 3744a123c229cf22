// Door indicators, klaxon indicator, travel meter, custom indicators and the cab mode switch.
#include "plugin_fixture.h"

#include <limits>

namespace {

class MiscTest : public PluginTest {
protected:
    void DoorSide(int32_t optional) { api().SetBeaconData(ATS_BEACONDATA{23, 0, 0.0f, optional}); }
};

TEST_F(MiscTest, DoorLampsShowTheReleasedSideWhileTheDoorsAreOpen) {
    Start("doorindicator=10,11\n");
    Frame(100);
    EXPECT_EQ(panel[10], 0);
    EXPECT_EQ(panel[11], 0);
    DoorSide(2);  // at a stand, with the doors open since the start
    EXPECT_EQ(panel[10], 1);
    EXPECT_EQ(panel[11], 1);
    api().DoorClose();
    EXPECT_EQ(panel[10], 0);
    EXPECT_EQ(panel[11], 0);
    api().DoorOpen();
    EXPECT_EQ(panel[10], 1);
    EXPECT_EQ(panel[11], 1);
    DoorSide(0);
    EXPECT_EQ(panel[10], 0);
    EXPECT_EQ(panel[11], 0);

    // From side 1 to side -1 at a stand: the old side's lamp stays lit until the doors close.
    DoorSide(1);
    EXPECT_EQ(panel[10], 0);
    EXPECT_EQ(panel[11], 1);
    DoorSide(-1);
    EXPECT_EQ(panel[10], 1);
    EXPECT_EQ(panel[11], 1);
    api().DoorClose();
    EXPECT_EQ(panel[10], 0);
    EXPECT_EQ(panel[11], 0);
}

TEST_F(MiscTest, DoorSideComesFromTheLowByteOfTheBeacon) {
    Start("doorindicator=10,11\n");
    Frame(100);
    api().DoorOpen();
    DoorSide(3);  // no such side
    EXPECT_EQ(panel[10], 0);
    EXPECT_EQ(panel[11], 0);
    DoorSide(255);  // side -1
    EXPECT_EQ(panel[10], 1);
    EXPECT_EQ(panel[11], 0);
    DoorSide(257);  // side 1
    EXPECT_EQ(panel[11], 1);
    DoorSide(256);  // side 0
    EXPECT_EQ(panel[10], 0);
    EXPECT_EQ(panel[11], 0);

    // In motion the new side waits for the next door movement.
    api().DoorClose();
    Frame(200, 30.0f);
    DoorSide(2);
    api().SetBeaconData(ATS_BEACONDATA{22, 0, 0.0f, 2});
    EXPECT_EQ(panel[10], 0);
    EXPECT_EQ(panel[11], 0);
    Frame(300);
    api().DoorOpen();
    EXPECT_EQ(panel[10], 1);
    EXPECT_EQ(panel[11], 1);

    // A restart keeps the side and counts the doors as open again.
    api().DoorClose();
    api().Initialize(2);
    Frame(400);
    EXPECT_EQ(panel[10], 1);
    EXPECT_EQ(panel[11], 1);
}

TEST_F(MiscTest, KlaxonLampStaysLitForTheHornsTime) {
    Start("klaxonindicator=20,1500\n");
    Frame(1000);
    api().HornBlow(1);  // no time for horn type 1
    api().HornBlow(2);
    EXPECT_EQ(panel[20], 0);
    api().HornBlow(0);
    EXPECT_EQ(panel[20], 1);
    Frame(2499);
    EXPECT_EQ(panel[20], 1);
    Frame(2500);
    EXPECT_EQ(panel[20], 0);
    // A new horn restarts the time.
    api().HornBlow(0);
    Frame(3000);
    api().HornBlow(0);
    Frame(4499);
    EXPECT_EQ(panel[20], 1);
    Frame(4500);
    EXPECT_EQ(panel[20], 0);
}

TEST_F(MiscTest, KlaxonTimePerHornType) {
    Start("klaxonindicator=20,1500,300\n");
    Frame(1000);
    api().HornBlow(1);
    EXPECT_EQ(panel[20], 1);
    Frame(1299);
    EXPECT_EQ(panel[20], 1);
    Frame(1300);
    EXPECT_EQ(panel[20], 0);
}

TEST_F(MiscTest, TravelMeterShowsTheDistanceInEachUnit) {
    Start("travelmetermode=1\ntravelmeter100=30\ntravelmeter10=31\ntravelmeter1=32\n"
          "travelmeter01=33\ntravelmeter001=34\n");
    Frame(100, 0.0f, 800.0);
    EXPECT_EQ(panel[30], 0);
    EXPECT_EQ(panel[31], 0);
    EXPECT_EQ(panel[32], 0);
    EXPECT_EQ(panel[33], 4);
    EXPECT_EQ(panel[34], 49);
    Frame(200, 0.0f, 1609.0 * 123.45);
    EXPECT_EQ(panel[30], 1);
    EXPECT_EQ(panel[31], 12);
    EXPECT_EQ(panel[32], 123);
    EXPECT_EQ(panel[33], 1234);
}

TEST_F(MiscTest, TravelMeterInKilometresSaturatesFarAway) {
    Start("travelmetermode=0\ntravelmeter1=32\ntravelmeter01=33\ntravelmeter001=34\ntravelmeter10=300\n");
    Frame(100, 0.0f, 987.0);
    EXPECT_EQ(panel[32], 0);
    EXPECT_EQ(panel[33], 9);
    EXPECT_EQ(panel[34], 98);
    Frame(200, 0.0f, -1500.0);
    EXPECT_EQ(panel[32], -1);
    Frame(300, 0.0f, 1.0e13);
    EXPECT_EQ(panel[34], std::numeric_limits<int32_t>::max());
    Frame(400, 0.0f, -1.0e13);
    EXPECT_EQ(panel[34], std::numeric_limits<int32_t>::min());
}

TEST_F(MiscTest, TravelMeterOffWritesNothing) {
    Start("travelmeter1=32\n");
    panel[32] = 7;
    Frame(100, 0.0f, 5000.0);
    EXPECT_EQ(panel[32], 0) << "the restart's reserve copy";
    panel[32] = 7;
    Frame(200, 0.0f, 5000.0);
    EXPECT_EQ(panel[32], 7);
}

TEST_F(MiscTest, CustomIndicatorsAndTheCabModeShareKeys) {
    Start("customindicators=4,30,4,31,5,300,6\ncabmode=4,40,41\n");
    Frame(100);
    EXPECT_EQ(panel[40], 1) << "the first cab mode lamp is lit at the start";
    EXPECT_EQ(panel[41], 0);
    api().KeyDown(4);
    EXPECT_EQ(panel[30], 1);
    EXPECT_EQ(panel[31], 1);
    EXPECT_EQ(panel[40], 0);
    EXPECT_EQ(panel[41], 1);
    panel[31] = 5;  // any lit value turns off
    api().KeyDown(4);
    EXPECT_EQ(panel[30], 0);
    EXPECT_EQ(panel[31], 0);
    EXPECT_EQ(panel[40], 1);
    EXPECT_EQ(panel[41], 0);
    // A slot beyond the panel and a last number without a partner are skipped.
    api().KeyDown(5);
    api().KeyDown(6);
    api().KeyDown(-1);
    EXPECT_EQ(panel[6], 0);
    EXPECT_EQ(panel[30], 0);
}

TEST_F(MiscTest, CabModeWithoutLampsStillSwitches) {
    Start("cabmode=8,-1,42\n");
    Frame(100);
    api().KeyDown(8);
    EXPECT_EQ(panel[42], 1);
    api().KeyDown(8);
    EXPECT_EQ(panel[42], 0);
}

}  // namespace
