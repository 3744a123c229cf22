// The overspeed control: a warning, then the full service brake, both ended at a safe speed.
#include "protection/speedcontrol.h"

#include <cstdint>

#include "config/confload.h"
#include "controls/traincontrol.h"
#include "plugin/tools.h"

namespace {

int32_t scSpeed = 0;                      // whole km/h at the last evaluation
Demand brakingSequence{Handle::Brake};    // the full service brake

void warn() {
    setPanel(Option(opt::overspeedindicator), 1);
    setSound(Option(opt::overspeedalarm), kSoundLoop);
}

}  // namespace

// Starts quiet; the panel and the alarm are left as they are until the first evaluation.
void InitSpeedControl() {
    scSpeed = 0;
}

// Nothing to release: every brake demand is dropped when the train starts again.
void DestroySpeedControl() {}

// Each frame in which the whole-number speed changes: warns, brakes, or ends both at the
// safe speed.
void CheckSpeed(float speed) {
    if (Option(opt::overspeedcontrol) == 0) return;
    const int32_t whole = toInt32(speed);
    if (whole == scSpeed) return;
    // Reversing counts by its magnitude, converted from the float so no int32 can overflow.
    const int32_t s = speed >= 0.0f ? whole : toInt32(-static_cast<double>(speed));
    scSpeed = s;

    if (s >= Option(opt::warningspeed)) warn();
    if (s >= Option(opt::overspeed) && !brakingSequence.held()) {
        warn();
        brakingSequence.place(gTrainspecs.brakeNotches);
        return;
    }
    if (s <= Option(opt::safespeed)) {
        setPanel(Option(opt::overspeedindicator), 0);
        setSound(Option(opt::overspeedalarm), kSoundStop);
        brakingSequence.withdraw();
    }
}
