// Handle arbitration over counted demands, the demand type every source holds, the
// driver's handles with the traction, reverser and door interlocks, and the speed selector.
#include "controls/traincontrol.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "config/confload.h"
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
// Counts the starts: a demand placed in an earlier one was dropped with its counters.
uint32_t currentStart = 1;

// The driver's handles. While the speed selector is configured it owns the power demand,
// which sits on notch 0 while the selector is idle.
Demand driverBrake{Handle::Brake};
Demand driverPower{Handle::Power};
Demand driverReverser{Handle::Reverser};
// Held exactly while the driver's reverser is in neutral.
Demand neutralBrake{Handle::Brake};
// A reverser move while moving forces neutral until the next start.
Demand forcedNeutral{Handle::Reverser};

// The door interlocks hold their demands while an opening is not yet matched by a closing.
int doorOpenings = 0;
Demand doorPowerCut{Handle::Power};
Demand doorBrake{Handle::Brake};

// What reversercontrol does with a reverser move while the train moves.
enum ReverserControl : int32_t { kRefuseMoveOffNeutral = 1, kForceNeutral = 2 };

bool speedSelectorKey = false;
bool speedSelectorEngaged = false;

void nextStart() {
    if (++currentStart == 0) currentStart = 1;
}

// A demand withdrawn more often than placed drives its counter below zero. The test builds
// stop right there; a released plugin carries on, as the host's process must never fall.
void countDemand(int32_t& counter, bool on) {
    counter += on ? 1 : -1;
#if defined(FOOTPLATE_CHECK_DEMANDS)
    if (counter < 0) {
        std::fputs("footplate: a demand was withdrawn that was never placed\n", stderr);
        std::abort();
    }
#endif
}

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
    neutralBrake.hold(hold, Option(opt::neutralrvrbrake) == 1 ? gTrainspecs.brakeNotches : gTrainspecs.brakeNotches + 1);
}

}  // namespace

// Starts a run: no demands but the driver's handles, power off, reverser neutral.
void InitTrainControl(int brakeMode) {
    nextStart();
    gDriver.power = 0;
    gDriver.reverser = 0;
    tractionInterlock = false;
    doorOpenings = 0;
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

    driverReverser.place(gDriver.reverser);
    driverPower.place(gDriver.power);
    driverBrake.place(gDriver.brake);
    // The reverser handle starts in neutral, so its brake is held from the start.
    if (Option(opt::neutralrvrbrake) != 0) holdNeutralBrake(true);
    initialized = true;
    // The driver's power demand just placed on notch 0 is the selector's idle demand.
    speedSelectorKey = false;
    speedSelectorEngaged = false;
}

// Drops every demand of every source.
void DestroyTrainControl() {
    if (!initialized) return;
    delete[] brakeLock;
    delete[] powerLock;
    brakeLock = powerLock = nullptr;
    brakeCount = powerCount = 0;
    nextStart();
    initialized = false;
}

void OperateBrake(int notch, bool on) {
    if (!brakeNotchValid(notch)) return;
    countDemand(brakeLock[notch], on);
    arbitrateBrake();
}

void OperatePower(int notch, bool on) {
    if (!powerNotchValid(notch)) return;
    countDemand(powerLock[notch], on);
    arbitratePower();
}

void OperateReverser(int position, bool on) {
    if (position < -1 || position > 1) return;
    countDemand(reverserLock[position + 1], on);
    arbitrateReverser();
}

void Demand::operate(int32_t notch, bool on) const {
    switch (handle_) {
    case Handle::Brake:
        OperateBrake(notch, on);
        break;
    case Handle::Power:
        OperatePower(notch, on);
        break;
    case Handle::Reverser:
        OperateReverser(notch, on);
        break;
    }
}

bool Demand::held() const { return start_ == currentStart; }

void Demand::place(int32_t notch) {
    if (held()) {
        if (notch == notch_) return;
        operate(notch_, false);
    }
    notch_ = notch;
    start_ = currentStart;
    operate(notch, true);
}

void Demand::withdraw() {
    if (!held()) return;
    start_ = 0;
    operate(notch_, false);
}

// The driver moved the brake handle.
void SetBrakeHandle(int notch) {
    driverBrake.hold(brakeNotchValid(notch), notch);
    gDriver.brake = notch;
}

// The driver moved the power handle; moving it to or from 0 clears the traction interlock.
void SetPowerHandle(int notch) {
    if (notch == 0 || gDriver.power == 0) tractionInterlock = false;
    if (Option(opt::speedselectorkey) != -1) {
        gDriver.power = notch;  // the speed selector moves the demand
        return;
    }
    driverPower.hold(powerNotchValid(notch), notch);
    gDriver.power = notch;
}

// The driver moved the reverser, subject to the reverser interlocks.
void SetReverserHandle(int position) {
    const bool moving = gState.speed != 0.0f;
    if (Option(opt::reversercontrol) == kRefuseMoveOffNeutral && position != 0 && moving) return;
    driverReverser.hold(position >= -1 && position <= 1, position);
    gDriver.reverser = position;
    if (Option(opt::neutralrvrbrake) != 0) holdNeutralBrake(position == 0);
    if (Option(opt::reversercontrol) == kForceNeutral && moving) forcedNeutral.place(0);
}

// A closing with no opening to match (hosts report closed doors at a start) withdraws nothing.
void SetDoorInterlocks(bool open) {
    if (open) {
        ++doorOpenings;
    } else if (doorOpenings > 0) {
        --doorOpenings;
    } else {
        return;
    }
    const bool anyOpen = doorOpenings > 0;
    doorPowerCut.hold(anyOpen && Option(opt::doorpowerlock) == 1, 0);
    const int32_t brake = Option(opt::doorapplybrake);
    doorBrake.hold(anyOpen && (brake == 1 || brake == 2),
                   brake == 1 ? gTrainspecs.brakeNotches : gTrainspecs.brakeNotches + 1);
}

namespace {

// Target speed of a power notch, km/h; the list's first number (notch 0) is never used.
double targetSpeed(int32_t notch) {
    if (notch <= 0) return 0.0;
    return static_cast<double>(ClampedOption(opt::speedselectorspeeds, notch));
}

}  // namespace

// Applies the handle's notch while the selector key is held and the train is slower than
// the notch's target speed, in either direction of travel; otherwise power falls to 0.
void TrainControl() {
    if (Option(opt::speedselectorkey) == -1) return;
    const double target = std::fabs(targetSpeed(gDriver.power));
    const double speed = std::fabs(static_cast<double>(gState.speed));
    if (target > speed && speedSelectorKey && driverPower.notch() != gDriver.power) {
        driverPower.place(gDriver.power);
        speedSelectorEngaged = true;
    }
    if (speed < target && speedSelectorKey) return;
    if (speedSelectorEngaged) {
        driverPower.place(0);
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
