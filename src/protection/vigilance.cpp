// The driver vigilance device: lamp, alarm and emergency brake when the driver shows no
// activity for too long.
#include "protection/vigilance.h"

#include <cmath>
#include <cstdint>

#include "config/confload.h"
#include "controls/traincontrol.h"
#include "plugin/tools.h"

namespace {

enum Phase : int32_t { kWatching = 0, kLampLit = 1, kAlarm = 2, kBraking = 3 };

// Rests while the reverser is in neutral instead of by speed.
constexpr int32_t kRestInNeutral = -2;

int32_t phase = kWatching;
int32_t vigilance = 0;  // start of the running interval or delay; 0 starts it at the next check
Demand brake{Handle::Brake};

bool enabled() { return Option(opt::vigilance) != 0; }

bool resting() {
    const int32_t inactive = Option(opt::vigilanceinactivespeed);
    if (inactive == kRestInNeutral) return gHandles.reverser == 0;
    return std::fabs(static_cast<double>(gState.speed)) <= inactive;
}

void reset() {
    setPanel(Option(opt::vigilancelamp), 0);
    setSound(Option(opt::vigilancealarm), kSoundStop);
    phase = kWatching;
    vigilance = now();
}

void release() {
    brake.withdraw();
    reset();
}

bool isVigilanceKey(int key, bool isKey) {
    return isKey && keyMatches(key, opt::vigilancekey);
}

}  // namespace

// Starts watching with the lamp out and the alarm silent.
void InitVigilance() {
    vigilance = 0;
    phase = kWatching;
    setPanel(Option(opt::vigilancelamp), 0);
    setSound(Option(opt::vigilancealarm), kSoundStop);
}

// Nothing to release: every brake demand is dropped when the train starts again.
void DestroyVigilance() {}

// Each frame: runs the interval for the power notch the train obeys, then the lamp, the
// alarm and the brake, each after its delay.
void CheckVigilance() {
    if (!enabled()) return;
    switch (phase) {
    case kWatching: {
        if (resting()) {
            vigilance = now();
            return;
        }
        const int32_t interval = ClampedOption(opt::vigilanceinterval, gHandles.power);
        if (tOn(vigilance, now(), interval)) {
            setPanel(Option(opt::vigilancelamp), 1);
            phase = kLampLit;
        }
        break;
    }
    case kLampLit:
        if (tOn(vigilance, now(), Option(opt::vigilancedelay1))) {
            setSound(Option(opt::vigilancealarm), kSoundLoop);
            phase = kAlarm;
        }
        break;
    case kAlarm:
        if (tOn(vigilance, now(), Option(opt::vigilancedelay2))) {
            brake.place(gTrainspecs.brakeNotches + 1);
            phase = kBraking;
        }
        break;
    default:
        if (Option(opt::vigilanceautorelease) == 1 && atStand()) release();
        break;
    }
}

// The driver did something: resets the device before the brake, and with the vigilance
// key releases the brake once it is applied.
void VigilanceKeyPressed(int key, bool isKey) {
    if (!enabled()) return;
    if (phase == kBraking) {
        if (isVigilanceKey(key, isKey) && (atStand() || Option(opt::vigilancecancellable) == 1)) release();
        return;
    }
    if (Option(opt::independentvigilance) == 0 || isVigilanceKey(key, isKey)) reset();
}
