// The windscreen wiper's blade and the rain drops it clears from the panel.
#include "cab/windshield.h"

#include <cstdint>
#include <cstdlib>

#include "config/confload.h"
#include "plugin/tools.h"

namespace {

constexpr int kMaxDrops = kSlotCount;
constexpr int kMaxStepsPerFrame = 20;  // a long frame must not sweep the blade round and round
enum WiperMode { kOff = 0, kIntermittent = 1, kContinuous = 2 };

int32_t wiper = 0;
int32_t wiperPosition = 0;
int32_t wiperDirection = 0;
int32_t wiperMode = kOff;
int32_t holdWiper = -1;
int32_t rain = 0;
int32_t dropTimer = 0;
int32_t dropInterval = 0;
// Drops are numbered from 0; dropList[0 .. unusedDrops - 1] holds those not shown, the
// rest those shown, and dropListPos gives each drop's place in dropList.
int32_t unusedDrops = 0;
int32_t dropList[kMaxDrops];
int32_t dropListPos[kMaxDrops];


// The rest position; one outside the blade's travel would never be met, so it is kept on it.
int32_t holdPosition() {
    const int32_t hold = Option(opt::wiperholdposition);
    return hold < 0 ? 0 : (hold > 100 ? 100 : hold);
}

// Panel slot of a drop; one beyond the panel is -1 and so never touched.
int32_t dropSlot(int32_t drop) {
    const int64_t slot = static_cast<int64_t>(Option(opt::dropstartindex)) + drop;
    return slot >= 0 && slot < kSlotCount ? static_cast<int32_t>(slot) : -1;
}

void swapDrops(int32_t posA, int32_t posB) {
    const int32_t a = dropList[posA];
    const int32_t b = dropList[posB];
    dropList[posA] = b;
    dropList[posB] = a;
    dropListPos[a] = posB;
    dropListPos[b] = posA;
}

void playWiperSound() {
    if (Option(opt::wipersound) != -1) setSound(Option(opt::wipersound), kSoundOnce);
}

void chooseDirectionAtRest() {
    switch (wiperMode) {
    case kOff:
        wiperDirection = 0;
        break;
    case kIntermittent:
        if (holdWiper == -1) {
            holdWiper = now();
            wiperDirection = 0;
        } else if (tOn(holdWiper, now(), Option(opt::wiperdelay))) {
            holdWiper = -1;
            wiperDirection = wiperPosition == 0 ? -1 : 1;
        }
        break;
    default:
        wiperDirection = holdPosition() == 0 ? -1 : 1;
        break;
    }
    if (wiperDirection != 0) playWiperSound();
}

void clearDropUnderBlade() {
    const int32_t drops = Option(opt::numberofdrops);
    if (drops <= 0) return;
    const int32_t k = toInt32(static_cast<double>(wiperPosition) / (100.0 / static_cast<double>(drops)));
    if (k < 0 || k >= drops) return;
    if (getPanel(dropSlot(k)) > 0 && dropListPos[k] >= unusedDrops) {
        swapDrops(dropListPos[k], unusedDrops);
        ++unusedDrops;
    }
    setPanel(dropSlot(k), 0);
}

void wiperStep() {
    // A rest position between the ends is passed on the way down: the stroke goes on to 0
    // and ends when the blade comes back up to it, so the blade wipes the whole screen.
    const int32_t hold = holdPosition();
    const bool passingDown = hold > 0 && hold < 100 && wiperDirection < 0;
    if (wiperPosition == hold && !passingDown) chooseDirectionAtRest();
    if (wiperPosition == 0 || wiperPosition == 100) {
        wiperDirection = -wiperDirection;
        int32_t turnSound = 0;
        if (wiperDirection != 0 && OptionValue(opt::wipersound, 1, turnSound)) playWiperSound();
    }
    wiperPosition += wiperDirection;
    setPanel(Option(opt::wiperindex), wiperPosition);
    clearDropUnderBlade();
}

void animateWiper() {
    if (Option(opt::wiperindex) == -1) return;
    int steps = 0;
    while (tOn(wiper, now(), Option(opt::wiperrate) / 100)) {
        if (steps == kMaxStepsPerFrame) break;
        ++steps;
        wiperStep();
    }
}

void playDropSound() {
    const int32_t first = Option(opt::dropsound);
    if (first == -1) return;
    int64_t slot = first;
    int32_t choices = 0;
    // A choice among fewer than one slot is no choice: the first slot plays.
    if (OptionValue(opt::dropsound, 1, choices) && choices >= 1) slot += std::rand() % choices;
    if (slot >= 0 && slot < kSlotCount) setSound(static_cast<int32_t>(slot), kSoundOnce);
}

void showNewDrop() {
    if (unusedDrops < 1) return;
    const int32_t reach = toInt32(static_cast<double>(unusedDrops) * 0.8 + 1.0);
    const int32_t pos = std::rand() % reach;
    const int32_t slot = dropSlot(dropList[pos]);
    if (getPanel(slot) != 0) return;
    setPanel(slot, 1);
    swapDrops(pos, unusedDrops - 1);
    --unusedDrops;
}

void animateRain() {
    if (Option(opt::numberofdrops) <= 0) return;
    if (rain <= 0) {
        dropTimer = now();
        return;
    }
    if (!tOn(dropTimer, now(), dropInterval)) return;
    playDropSound();
    showNewDrop();
    const int32_t spread = toInt32(8000.0 / static_cast<double>(rain));
    dropInterval = 20000 / rain + std::rand() % (2 * spread) - spread;
}

}  // namespace

// A fresh start: blade at rest and off, no rain, every drop hidden.
void InitWindshield() {
    wiper = 0;
    wiperPosition = holdPosition();
    wiperDirection = 0;
    wiperMode = kOff;
    holdWiper = -1;
    rain = 0;
    dropTimer = 0;
    dropInterval = 0;
    int32_t& drops = gOpts[opt::numberofdrops].value;
    drops = drops < 0 ? 0 : (drops > kMaxDrops ? kMaxDrops : drops);
    unusedDrops = drops;
    for (int32_t i = 0; i < kMaxDrops; ++i) {
        dropList[i] = i;
        dropListPos[i] = i;
    }
}

void DestroyWindshield() {}

// Sweeps the blade, clearing the drops it passes, and lets the rain fall.
void AnimateWindshield() {
    animateWiper();
    animateRain();
}

// The wiper keys step between off, intermittent and continuous.
void WindshieldKeyPressed(int key) {
    const int32_t delay = Option(opt::wiperdelay);
    const int32_t indicator = Option(opt::wiperindicator);
    if (keyMatches(key, opt::wiperonkey)) {
        if (delay == 0) {
            wiperMode = kContinuous;
        } else if (wiperMode == kOff) {
            wiperMode = kIntermittent;
            // The first pause counts as over, so the blade starts at once.
            holdWiper = static_cast<int32_t>(static_cast<uint32_t>(now()) - static_cast<uint32_t>(delay) - 1u);
            setPanel(indicator, 1);
        } else if (wiperMode == kIntermittent) {
            wiperMode = kContinuous;
        }
    } else if (keyMatches(key, opt::wiperoffkey)) {
        if (wiperMode == kOff) return;
        if (delay == 0) {
            wiperMode = kOff;
        } else if (wiperMode == kContinuous) {
            wiperMode = kIntermittent;
            holdWiper = -1;
            setPanel(indicator, 1);
        } else if (wiperMode == kIntermittent) {
            wiperMode = kOff;
            setPanel(indicator, 0);
        }
    }
}

// A beacon sets the rain's intensity, 0 (dry) to 100.
void WindshieldBeacon(ATS_BEACONDATA beacon) {
    if (beacon.type != kBeaconRain || beacon.optional < 0 || beacon.optional > 100) return;
    rain = beacon.optional;
    dropInterval = 0;
    dropTimer = now();
}
