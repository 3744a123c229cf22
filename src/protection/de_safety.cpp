// PZB90: activation, the magnets' speed checks, the acknowledgement window and the
// emergency brake held until the PZB key is pressed at a stand.
#include "protection/de_safety.h"

#include <cmath>
#include <cstdint>

#include "config/confload.h"
#include "controls/traincontrol.h"
#include "plugin/tools.h"

namespace {

constexpr int32_t kInactiveLimit = 45;      // km/h until the system is activated
constexpr int32_t kAcknowledgeWindow = 3000;  // ms

bool active = false;
Demand emergency{Handle::Brake};  // an emergency is in force
int32_t pzb90timer = -1;  // start of the acknowledgement window, -1 without one
Indicator bluelamp{};

// With the system switched off, no magnet or key may place a demand nothing would release.
bool switchedOn() { return Option(opt::pzb90) == 1; }

bool above(int32_t limit) { return std::fabs(static_cast<double>(gState.speed)) > limit; }

void blueFlashing() {
    bluelamp.value = 1;
    bluelamp.timer = now();
    bluelamp.phase = true;
}

void blueSteady() {
    bluelamp.value = 1;
    bluelamp.timer = -1;
    bluelamp.phase = true;
}

void yellow(int32_t value) { setPanel(Option(opt::pzb90yellowlamp), value); }
void chime() { setSound(Option(opt::pzb90sound), kSoundOnce); }
// A clock reading -1 would store "no window" and lose the window; it opens a moment earlier.
void startWindow() { pzb90timer = now() == -1 ? -2 : now(); }

void checkSpeed(int32_t limit) {
    if (above(limit)) PZB90Emergency();
}

// A distant magnet: restrictive aspects check a fixed limit and open the window; a magnet
// with its own limit checks that.
void distantMagnet(const ATS_BEACONDATA& beacon) {
    if (beacon.optional == 0) {
        if (beacon.signal >= 0 && beacon.signal <= 3) {
            // Signal 0 trips at any speed; 1 to 3 check 25, 40 and 60 km/h.
            static constexpr int32_t kRestrictiveLimits[] = {25, 40, 60};
            if (beacon.signal == 0) {
                PZB90Emergency();
            } else {
                checkSpeed(kRestrictiveLimits[beacon.signal - 1]);
            }
            blueSteady();
            yellow(0);
            startWindow();
        } else {
            blueSteady();
            yellow(0);
            if (beacon.signal != 4) startWindow();
        }
        return;
    }
    if (beacon.signal == 4) {
        blueSteady();
        yellow(0);
    } else if (beacon.optional == kInactiveLimit) {
        blueSteady();
        yellow(0);
        chime();
        checkSpeed(kInactiveLimit);
    } else {
        blueFlashing();
        yellow(1);
        chime();
        checkSpeed(beacon.optional);
        startWindow();
    }
}

// A home magnet: 0 announces, a positive value is a limit to check.
void homeMagnet(const ATS_BEACONDATA& beacon) {
    if (beacon.optional == 0) {
        blueFlashing();
        yellow(1);
        chime();
        return;
    }
    blueSteady();
    yellow(0);
    if (beacon.optional > 0) checkSpeed(beacon.optional);
}

void release() {
    emergency.withdraw();
    setPanel(Option(opt::pzb90redlamp), 0);
    blueSteady();
    setSound(Option(opt::pzb90sound), kSoundStop);
    pzb90timer = -1;
}

}  // namespace

// Starts not active, with the blue lamp flashing and the other lamps and the sound off.
void InitDESafety() {
    active = false;
    bluelamp = NewIndicator(opt::pzb90bluelamp, 0);
    blueFlashing();
    yellow(0);
    setPanel(Option(opt::pzb90redlamp), 0);
    setSound(Option(opt::pzb90sound), kSoundStop);
    pzb90timer = -1;
}

// Nothing to release: every brake demand is dropped when the train starts again.
void DestroyDESafety() {}

// Stops the train: red lamp, alarm and the emergency brake, held until released at a stand.
void PZB90Emergency() {
    if (emergency.held()) return;
    setPanel(Option(opt::pzb90redlamp), 1);
    emergency.place(gTrainspecs.brakeNotches + 1);
    blueFlashing();
    setSound(Option(opt::pzb90sound), kSoundLoop);
}

// Each frame: the speed limit before activation, the acknowledgement window, the blue lamp.
void DESafety() {
    if (!switchedOn()) return;
    if (!active && above(kInactiveLimit)) PZB90Emergency();
    // The window is left running after it fires; the emergency makes later firings moot.
    if (pzb90timer != -1 && tOn(pzb90timer, now(), kAcknowledgeWindow)) PZB90Emergency();
    ShowIndicator(bluelamp);
}

// A PZB magnet under the train.
void SetDESafetyStatus(ATS_BEACONDATA beacon) {
    if (!switchedOn()) return;
    if (beacon.type == kBeaconPzbDistant) {
        distantMagnet(beacon);
    } else if (beacon.type == kBeaconPzbHome) {
        homeMagnet(beacon);
    }
}

// The PZB key: releases an emergency at a stand; otherwise activates the system and
// acknowledges the window.
void DESafetyKeyPressed(int key) {
    if (!switchedOn()) return;
    if (!keyMatches(key, opt::pzb90key)) return;
    if (emergency.held() && atStand()) {
        release();
        return;
    }
    if (!active) {
        active = true;
        blueSteady();
        chime();
    }
    pzb90timer = -1;
}
