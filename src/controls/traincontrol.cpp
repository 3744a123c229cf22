#include "controls/traincontrol.h"

#include <cmath>
#include <new>

#include "config/confload.h"
#include "plugin/records.h"
#include "plugin/tools.h"

namespace {

// Live demands per notch. The tables keep the sizes they were made with: a vehicle spec
// changed by the host between two starts must not make a notch index outside them.
int32_t* brakeLock = nullptr;
int32_t* powerLock = nullptr;
int brakeCount = 0;  // brake notches 0 .. brakeCount - 1 (the last is the emergency notch)
int powerCount = 0;  // power notches 0 .. powerCount - 1
int32_t reverserLock[3] = {0, 0, 0};  // index = position + 1
bool tractionInterlock = false;
bool initialized = false;

// The neutral-reverser brake is held exactly while the driver's reverser is in neutral;
// the flag keeps that one demand from being placed or withdrawn twice.
bool neutralBrakeHeld = false;
int neutralBrakeNotch = 0;

// The speed selector owns the driver's power demand while it is configured; the demand
// sits on speedSelectorSetting, notch 0 while idle.
bool speedSelectorKey = false;
bool speedSelectorEngaged = false;
int32_t speedSelectorSetting = 0;

bool interlockCutsPower() { return tractionInterlock && Option(opt::tractioninterlock) == 1; }

void arbitrateBrake() {
    for (int notch = brakeCount - 1; notch >= 0; --notch) {
        if (brakeLock[notch] > 0) {
            gHandles.brake = notch;
            if (notch > 0) {
                tractionInterlock = true;
                if (Option(opt::tractioninterlock) == 1) gHandles.power = 0;
            }
            return;
        }
    }
}

void arbitratePower() {
    if (interlockCutsPower()) {
        gHandles.power = 0;
        return;
    }
    for (int notch = 0; notch < powerCount; ++notch) {
        if (powerLock[notch] > 0) {
            gHandles.power = notch;
            return;
        }
    }
}

void arbitrateReverser() {
    if (reverserLock[1] > 0) {
        gHandles.reverser = 0;
    } else if (reverserLock[2] > 0) {
        gHandles.reverser = 1;
    } else if (reverserLock[0] > 0) {
        gHandles.reverser = -1;
    }
    const int32_t shown = gHandles.reverser == -1 ? 2 : gHandles.reverser;
    if (Option(opt::effectivervrindex) != -1) setPanel(Option(opt::effectivervrindex), shown);
}

bool brakeNotchValid(int notch) { return brakeLock != nullptr && notch >= 0 && notch < brakeCount; }
bool powerNotchValid(int notch) { return powerLock != nullptr && notch >= 0 && notch < powerCount; }

void holdNeutralBrake(bool hold) {
    if (hold == neutralBrakeHeld) return;
    if (hold) neutralBrakeNotch = Option(opt::neutralrvrbrake) == 1 ? gTrainspecs.brakeNotches : gTrainspecs.brakeNotches + 1;
    OperateBrake(neutralBrakeNotch, hold);
    neutralBrakeHeld = hold;
}

}  // namespace

// Starts a run: no demands but the driver's handles, power off, reverser neutral.
void InitTrainControl(int brakeMode) {
    gDriver.power = 0;
    gDriver.reverser = 0;
    tractionInterlock = false;
    neutralBrakeHeld = false;
    if (brakeMode == 1) {
        gDriver.brake = gTrainspecs.brakeNotches + 1;
    } else if (brakeMode == 0) {
        gDriver.brake = gTrainspecs.brakeNotches;
    } else {
        gDriver.brake = 0;
    }

    brakeCount = gTrainspecs.brakeNotches >= -1 ? gTrainspecs.brakeNotches + 2 : 1;
    powerCount = gTrainspecs.powerNotches >= 0 ? gTrainspecs.powerNotches + 1 : 1;
    brakeLock = new (std::nothrow) int32_t[static_cast<unsigned>(brakeCount)]();
    powerLock = new (std::nothrow) int32_t[static_cast<unsigned>(powerCount)]();
    if (brakeLock == nullptr || powerLock == nullptr) {
        delete[] brakeLock;
        delete[] powerLock;
        brakeLock = powerLock = nullptr;
        brakeCount = powerCount = 0;
    }
    reverserLock[0] = reverserLock[1] = reverserLock[2] = 0;

    OperateReverser(gDriver.reverser, true);
    OperatePower(gDriver.power, true);
    OperateBrake(gDriver.brake, true);
    // The reverser handle starts in neutral, so its brake is held from the start.
    if (Option(opt::neutralrvrbrake) != 0) holdNeutralBrake(true);
    initialized = true;
    // The driver's power demand just placed on notch 0 is the selector's idle demand.
    speedSelectorKey = false;
    speedSelectorEngaged = false;
    speedSelectorSetting = 0;
}

// Drops every demand of every source.
void DestroyTrainControl() {
    if (!initialized) return;
    delete[] brakeLock;
    delete[] powerLock;
    brakeLock = powerLock = nullptr;
    brakeCount = powerCount = 0;
    neutralBrakeHeld = false;
    initialized = false;
}

void OperateBrake(int notch, bool on) {
    if (!brakeNotchValid(notch)) return;
    brakeLock[notch] += on ? 1 : -1;
    arbitrateBrake();
}

void OperatePower(int notch, bool on) {
    if (!powerNotchValid(notch)) return;
    powerLock[notch] += on ? 1 : -1;
    arbitratePower();
}

void OperateReverser(int position, bool on) {
    if (position < -1 || position > 1) return;
    reverserLock[position + 1] += on ? 1 : -1;
    arbitrateReverser();
}

// The driver moved the brake handle.
void SetBrakeHandle(int notch) {
    if (brakeNotchValid(gDriver.brake)) OperateBrake(gDriver.brake, false);
    if (brakeNotchValid(notch)) OperateBrake(notch, true);
    gDriver.brake = notch;
}

// The driver moved the power handle; moving it to or from 0 clears the traction interlock.
void SetPowerHandle(int notch) {
    if (notch == 0 || gDriver.power == 0) tractionInterlock = false;
    if (Option(opt::speedselectorkey) != -1) {
        gDriver.power = notch;  // the speed selector moves the demand
        return;
    }
    if (powerNotchValid(gDriver.power)) OperatePower(gDriver.power, false);
    if (powerNotchValid(notch)) OperatePower(notch, true);
    gDriver.power = notch;
}

// The driver moved the reverser, subject to the reverser interlocks.
void SetReverserHandle(int position) {
    const bool moving = gState.speed != 0.0f;
    if (Option(opt::reversercontrol) == 1 && position != 0 && moving) return;
    if (gDriver.reverser >= -1 && gDriver.reverser <= 1) OperateReverser(gDriver.reverser, false);
    if (position >= -1 && position <= 1) OperateReverser(position, true);
    gDriver.reverser = position;
    if (Option(opt::neutralrvrbrake) != 0) holdNeutralBrake(position == 0);
    if (Option(opt::reversercontrol) == 2 && moving) OperateReverser(0, true);
}

namespace {

// Target speed of a power notch, km/h; the list's first number (notch 0) is never used.
double targetSpeed(int32_t notch) {
    if (notch <= 0) return 0.0;
    return static_cast<double>(ClampedOption(opt::speedselectorspeeds, notch));
}

void moveSelectorDemand(int32_t notch) {
    OperatePower(speedSelectorSetting, false);
    speedSelectorSetting = notch;
    OperatePower(speedSelectorSetting, true);
}

}  // namespace

// Applies the handle's notch while the selector key is held and the train is slower than
// the notch's target speed, in either direction of travel; otherwise power falls to 0.
void TrainControl() {
    if (Option(opt::speedselectorkey) == -1) return;
    const double target = std::fabs(targetSpeed(gDriver.power));
    const double speed = std::fabs(static_cast<double>(gState.speed));
    if (target > speed && speedSelectorKey && speedSelectorSetting != gDriver.power) {
        moveSelectorDemand(gDriver.power);
        speedSelectorEngaged = true;
    }
    if (speed < target && speedSelectorKey) return;
    if (speedSelectorEngaged) {
        moveSelectorDemand(0);
        speedSelectorEngaged = false;
    }
}

// The speed selector key is pressed.
void TrainControlKeyPressed(int key) {
    if (keyMatches(key, opt::speedselectorkey)) speedSelectorKey = true;
}

// The speed selector key is released.
void TrainControlKeyReleased(int key) {
    if (keyMatches(key, opt::speedselectorkey)) speedSelectorKey = false;
}
