// Handle arbitration and the interlocks, through the exported interface.
#include "plugin_fixture.h"

namespace {

class TrainControlTest : public PluginTest {
protected:
    // Driver handles as a host reports them, then one frame.
    HandleOutput drive(int power, int brake, int reverser, int32_t time = 100, float speed = 0.0f) {
        api().SetPower(power);
        api().SetBrake(brake);
        api().SetReverser(reverser);
        return Frame(time, speed);
    }
};

TEST_F(TrainControlTest, DriverHandlesPassThroughAndCountedDemandsAddUp) {
    Start("doorapplybrake=2\ndoorpowerlock=1\n");
    drive(5, 0, 1);
    EXPECT_EQ(out.power, 5);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(out.reverser, 1);

    // Two door openings place two demands; one closing withdraws only one.
    api().DoorOpen();
    api().DoorOpen();
    Frame(200);
    EXPECT_EQ(out.brake, 9);
    EXPECT_EQ(out.power, 0);
    api().DoorClose();
    Frame(300);
    EXPECT_EQ(out.brake, 9);
    EXPECT_EQ(out.power, 0);
    api().DoorClose();
    Frame(400);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(out.power, 5);  // without the traction interlock power returns at once

    // The driver's brake outranks the released door brake, and notches outside the
    // vehicle are ignored.
    api().SetBrake(4);
    Frame(500);
    EXPECT_EQ(out.brake, 4);
    api().SetBrake(12);
    Frame(600);
    EXPECT_EQ(out.brake, 4);  // no demand anywhere: the output keeps its last value
    api().SetBrake(2);
    Frame(700);
    EXPECT_EQ(out.brake, 2);
    EXPECT_EQ(out.constantSpeed, 0);
}

TEST_F(TrainControlTest, DoorCloseWithoutAnOpeningWithdrawsNothing) {
    Start("doorapplybrake=2\ndoorpowerlock=1\n");
    api().DoorClose();  // hosts report closed doors at the start
    drive(3, 0, 1);
    api().DoorOpen();
    Frame(200);
    EXPECT_EQ(out.brake, 9);
    EXPECT_EQ(out.power, 0);
    api().DoorClose();
    Frame(300);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(out.power, 3);

    // A restart with the doors open drops their demands; the closing after it takes
    // nothing from the next opening.
    api().DoorOpen();
    api().Initialize(2);
    drive(3, 0, 1, 400);
    api().DoorClose();
    api().DoorOpen();
    Frame(500);
    EXPECT_EQ(out.brake, 9);
}

TEST_F(TrainControlTest, DoorOptionsChooseTheirDemands) {
    // Only 1 and 2 mean anything: full service or emergency, and a power cut.
    struct Case {
        const char* config;
        int brake;
        int power;
    } cases[] = {{"doorapplybrake=1\n", 6, 4}, {"doorapplybrake=3\ndoorpowerlock=2\n", 0, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        TearDown();
        Start(c.config, 6, 4);
        drive(4, 0, 1);
        api().DoorOpen();
        Frame(200);
        EXPECT_EQ(out.brake, c.brake);
        EXPECT_EQ(out.power, c.power);
        api().DoorClose();
        Frame(300);
        EXPECT_EQ(out.brake, 0);
    }
}

TEST_F(TrainControlTest, TractionInterlockHoldsPowerUntilHandleCycles) {
    Start("tractioninterlock=1\n");
    drive(3, 0, 1);
    EXPECT_EQ(out.power, 3);
    api().SetBrake(2);
    Frame(200);
    EXPECT_EQ(out.power, 0);
    api().SetBrake(0);
    Frame(300);
    EXPECT_EQ(out.power, 0);
    api().SetPower(2);
    Frame(400);
    EXPECT_EQ(out.power, 0);  // 3 to 2 does not touch notch 0
    api().SetPower(0);
    api().SetPower(2);
    Frame(500);
    EXPECT_EQ(out.power, 2);

    // Moving off notch 0 while braking gives power at once; the next brake arbitration
    // with a notch above 0 cuts it again.
    api().SetPower(0);
    api().SetBrake(3);
    api().SetPower(1);
    Frame(600);
    EXPECT_EQ(out.power, 1);
    EXPECT_EQ(out.brake, 3);
    api().SetBrake(4);
    Frame(700);
    EXPECT_EQ(out.power, 0);

    // Any other setting keeps the flag without effect.
    TearDown();
    Start("tractioninterlock=2\n");
    drive(3, 0, 1);
    api().SetBrake(2);
    Frame(200);
    EXPECT_EQ(out.power, 3);
}

TEST_F(TrainControlTest, NeutralReverserBrakeIsHeldOnceWhileInNeutral) {
    Start("neutralrvrbrake=1\n");
    Frame(100);
    EXPECT_EQ(out.brake, 8);  // the handle starts in neutral
    api().SetReverser(0);     // reported again: no second demand
    api().SetReverser(1);
    Frame(200);
    EXPECT_EQ(out.brake, 0);
    api().SetReverser(1);
    api().SetReverser(-1);  // forward to backward: still out of neutral, nothing withdrawn twice
    api().SetBrake(3);
    api().SetBrake(0);
    Frame(300);
    EXPECT_EQ(out.brake, 0);
    api().SetReverser(0);
    Frame(400);
    EXPECT_EQ(out.brake, 8);
    api().SetReverser(1);
    Frame(500);
    EXPECT_EQ(out.brake, 0);

    // A host that reports no reverser after Initialize still finds the brake balanced;
    // any setting other than 1 demands the emergency notch.
    TearDown();
    StartSilently("neutralrvrbrake=2\n");
    Frame(100);
    EXPECT_EQ(out.brake, 9);
    api().SetReverser(1);
    Frame(200);
    EXPECT_EQ(out.brake, 0);
    api().SetReverser(0);
    Frame(300);
    EXPECT_EQ(out.brake, 9);
}

TEST_F(TrainControlTest, ReverserMovesAreRestrictedWhileMoving) {
    Start("reversercontrol=1\nreverserindex=20\neffectivervrindex=21\n");
    drive(0, 0, 1, 100, 0.0f);
    Frame(200, 30.0f);
    api().SetReverser(0);  // to neutral is always accepted
    Frame(300, 30.0f);
    EXPECT_EQ(out.reverser, 0);
    api().SetReverser(1);  // out of neutral while moving is ignored
    Frame(400, 30.0f);
    EXPECT_EQ(out.reverser, 0);
    EXPECT_EQ(panel[21], 0);
    EXPECT_EQ(panel[20], 1);  // the handle's own slot still follows the handle
    Frame(500, 0.0f);
    api().SetReverser(-1);
    Frame(600, 0.0f);
    EXPECT_EQ(out.reverser, -1);
    EXPECT_EQ(panel[21], 2);
    EXPECT_EQ(panel[20], 2);
}

TEST_F(TrainControlTest, ReverserMoveWhileMovingForcesNeutralUntilRestart) {
    Start("reversercontrol=2\neffectivervrindex=21\n");
    drive(0, 0, -1);
    EXPECT_EQ(panel[21], 2);
    drive(0, 0, 1);
    Frame(200, 10.0f);
    api().SetReverser(-1);
    Frame(300, 10.0f);
    EXPECT_EQ(out.reverser, 0);
    Frame(400, 0.0f);
    api().SetReverser(1);
    Frame(500, 0.0f);
    EXPECT_EQ(out.reverser, 0);
    api().Initialize(2);
    Frame(600, 0.0f);
    EXPECT_EQ(panel[21], 0);  // neutral right after a restart
    api().SetReverser(1);
    Frame(700, 0.0f);
    EXPECT_EQ(out.reverser, 1);
    EXPECT_EQ(panel[21], 1);
}

TEST_F(TrainControlTest, BrakeModeChoosesTheStartingNotch) {
    StartSilently("", 7, 4, 1);
    EXPECT_EQ(Frame(100).brake, 8);
    api().Initialize(0);
    EXPECT_EQ(Frame(200).brake, 7);
    api().Initialize(5);
    EXPECT_EQ(Frame(300).brake, 0);  // any other mode starts released
    api().SetBrake(2);
    EXPECT_EQ(Frame(400).brake, 2);
}

TEST_F(TrainControlTest, HandlesBeforeInitializeAreOnlyRecorded) {
    const std::string config;
    LoadPlugin(&config);
    api().Load();
    api().SetVehicleSpec(ATS_VEHICLESPEC{8, 5, 0, 0, 1});
    api().SetPower(4);
    api().SetBrake(3);
    api().DoorOpen();
    EXPECT_EQ(Frame(100).power, 0);
    EXPECT_EQ(out.brake, 0);
    api().Initialize(2);
    api().SetPower(2);
    EXPECT_EQ(Frame(200).power, 2);
    api().Dispose();
}

TEST_F(TrainControlTest, VehicleSpecChangedBetweenStartsStaysInsideTheTables) {
    Start("doorapplybrake=2\n", 4, 2);
    drive(2, 0, 1);
    // The host grows the train without a restart: notches beyond the tables are ignored.
    api().SetVehicleSpec(ATS_VEHICLESPEC{30, 20, 0, 0, 1});
    api().SetBrake(25);
    api().SetPower(18);
    api().DoorOpen();  // emergency notch 31: outside the tables
    Frame(200);
    EXPECT_EQ(out.brake, 0);
    EXPECT_EQ(out.power, 2);
    api().DoorClose();
    api().SetBrake(3);
    api().SetPower(1);
    Frame(300);
    EXPECT_EQ(out.brake, 3);
    EXPECT_EQ(out.power, 1);
    // The next start sizes the tables for the new train.
    api().Initialize(2);
    api().SetBrake(25);
    Frame(400);
    EXPECT_EQ(out.brake, 25);
}

}  // namespace
