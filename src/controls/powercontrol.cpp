// Power gaps: each pickup followed through the gaps announced ahead, power cut or limited
// while pickups are off the rail; and the power-cut reminder.
#include "controls/powercontrol.h"

#include <cstdint>
#include <new>

#include "config/confload.h"
#include "controls/traincontrol.h"
#include "plugin/tools.h"

namespace {

// One pickup's passage through one announced gap.
struct PowerGap {
    double location;  // train location at which the pickup reaches the gap
    uint32_t length;  // metres
    bool inGap;
    PowerGap* next;
};

enum Behaviour { kGapsOff = 0, kEachPickupCuts = 2, kAllPickupsCut = 3 };

int32_t pickupPoints = 1;
int32_t gappedPickups = 0;
PowerGap* gaplist = nullptr;
// One demand for all pickups in gaps: a cut, or with the proportional behaviour a limit
// that follows the number of pickups off the rail.
Demand gapDemand{Handle::Power};
Demand reminderCut{Handle::Power};

void releaseGaps() {
    while (gaplist != nullptr) {
        PowerGap* next = gaplist->next;
        delete gaplist;
        gaplist = next;
    }
}

int32_t countPickups() {
    int32_t count = 0;
    for (const PLUGIN_OPTION* value = &gOpts[opt::powerpickuppoints]; value != nullptr; value = value->next) ++count;
    return count;
}

void showPower(bool hasPower) { setPanel(Option(opt::powerindicator), hasPower ? 1 : 0); }

// The notch to which the proportional behaviour limits power with gapped pickups in gaps.
int32_t proportionalLimit(int32_t gapped) {
    const double share = static_cast<double>(gapped) / static_cast<double>(pickupPoints);
    const int32_t cut = toInt32(static_cast<double>(gTrainspecs.powerNotches) * share + 0.5);
    return toInt32(static_cast<double>(gTrainspecs.powerNotches) - static_cast<double>(cut));
}

// Acts on the train for one pickup that entered (on) or left a gap.
void pickupChanged(bool on) {
    gappedPickups += on ? 1 : -1;
    switch (Option(opt::powergapbehaviour)) {
    case kEachPickupCuts:
        gapDemand.hold(gappedPickups > 0, 0);
        showPower(!on);
        break;
    case kAllPickupsCut:
        // Power comes back only when every pickup is on the rail again.
        if (on && gappedPickups == pickupPoints && !gapDemand.held()) {
            gapDemand.place(0);
            showPower(false);
        } else if (!on && gappedPickups == 0 && gapDemand.held()) {
            gapDemand.withdraw();
            showPower(true);
        }
        break;
    default:
        gapDemand.hold(gappedPickups > 0, proportionalLimit(gappedPickups));
        showPower(gappedPickups != pickupPoints);
        break;
    }
}

}  // namespace

// A fresh start: no gaps known, full power, reminder off.
void InitPowerControl() {
    gappedPickups = 0;
    releaseGaps();
    pickupPoints = countPickups();
    showPower(true);
}

// Forgets every announced gap.
void DestroyPowerControl() { releaseGaps(); }

// A gap lies ahead: each pickup will reach it at its own offset behind the train's location.
void PowerBeacon(ATS_BEACONDATA beacon) {
    if (beacon.type != kBeaconPowerGap || Option(opt::powergapbehaviour) == kGapsOff) return;
    if (beacon.optional == 0 || !(gState.speed > 0.0f)) return;
    PowerGap** tail = &gaplist;
    while (*tail != nullptr) tail = &(*tail)->next;
    for (const PLUGIN_OPTION* offset = &gOpts[opt::powerpickuppoints]; offset != nullptr; offset = offset->next) {
        auto* gap = new (std::nothrow)
            PowerGap{gState.location + offset->value, static_cast<uint32_t>(beacon.optional), false, nullptr};
        if (gap == nullptr) return;
        *tail = gap;
        tail = &gap->next;
    }
}

// Follows every pickup into and out of its gaps and cuts or limits power meanwhile.
void PowerControl() {
    if (Option(opt::powergapbehaviour) == kGapsOff || atStand()) return;
    const double x = gState.location;
    const bool forwards = gState.speed > 0.0f;
    const bool backwards = gState.speed < 0.0f;
    PowerGap** link = &gaplist;
    while (*link != nullptr) {
        PowerGap* gap = *link;
        const double end = gap->location + static_cast<double>(gap->length);
        const bool enters = forwards && x > gap->location && !gap->inGap;
        const bool leavesForwards = forwards && x > end && gap->inGap;
        const bool leavesBackwards = backwards && x < gap->location && gap->inGap;
        if (enters || leavesForwards || leavesBackwards) {
            gap->inGap = !gap->inGap;
            pickupChanged(gap->inGap);
            if (x > end && !gap->inGap) {
                *link = gap->next;
                delete gap;
                continue;
            }
        }
        link = &gap->next;
    }
}

// The reminder key sets or clears a standing cut of power.
void PowerControlKeyPressed(int key) {
    if (!keyMatches(key, opt::reminderkey)) return;
    reminderCut.hold(!reminderCut.held(), 0);
    setPanel(Option(opt::reminderindicator), reminderCut.held() ? 1 : 0);
}
