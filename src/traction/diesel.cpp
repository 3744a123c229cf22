// The diesel model: a geared engine whose power fades in and out with engine speed, with a
// tachometer, heating by engine load, an automatic gearbox, gear sounds and fuel use.
#include <algorithm>
#include <cmath>

#include "config/confload.h"
#include "controls/traincontrol.h"
#include "plugin/tools.h"
#include "traction/models.h"
#include "traction/traction.h"

using traction::saturate;

namespace {

int32_t gear = 0;  // 0 neutral, 1 .. gears
int32_t gears = 1;
Demand gear_maxPower{Handle::Power};  // the gear power limit
int32_t gearLoopTimer = -1;
bool gearLoopWaiting = false;  // the loop sound starts again when gearLoopTimer runs out
int32_t autoTimer = 0;         // the gearbox keeps its cadence across restarts

constexpr int32_t kMaxEngineSpeed = 1000;  // per mille
constexpr int32_t kGearboxTick = 2000;     // ms
// The automatic gearbox changes up above the engine's maximum speed less half the gear's
// fade-out band, but by kLatestUp at the latest; down below half its fade-in band, but
// already below kEarliestDown.
constexpr int32_t kLatestUp = 800;
constexpr int32_t kEarliestDown = 200;
// Engine load for heating: the handle's share of the notches times the engine speed's share
// of its maximum, in tenths (0 idle .. 10 full handle at full speed).
constexpr int32_t kLoadSteps = 10;

int32_t valueCount(opt::Key key) {
    int32_t count = 1;
    int32_t value = 0;
    while (OptionValue(key, count, value)) ++count;
    return count;
}

bool gearsConfigured() { return Option(opt::gearratios) > 0; }

// Fuel burnt at the notch the engine delivers, or at idle while it drives nothing.
void useFuel(bool tick) {
    if (Option(opt::fuelconsumption) <= 0 || !tick) return;
    const int notch = traction::driving() ? gHandles.power : 0;
    traction::consumeFuel(ClampedOption(opt::fuelconsumption, notch));
}

// Engine speed in per mille of its maximum, from the gear's ratio and the train's speed.
int32_t engineSpeed() {
    if (gear <= 0) return 0;
    const double ratio = ClampedOption(opt::gearratios, gear - 1);
    const int32_t speed = toInt32(ratio * std::fabs(traction::modelSpeed()));
    return std::clamp(speed, int32_t{0}, kMaxEngineSpeed);
}

// Heating by engine load: the rate's index runs from 0 (idle) to 10 (full handle, full speed).
void heatByEngineLoad(int32_t engine) {
    if (Option(opt::heatingpart) != opt::kHeatByEngineLoad || !traction::temperatureTick()) return;
    const int32_t notches = gTrainspecs.powerNotches;
    int64_t index = 0;
    // Without power notches there is no load to speak of.
    if (gHandles.reverser != 0 && gHandles.power != 0 && traction::fuelAmount() > 0 && notches != 0) {
        index = int64_t{gDriver.power} * engine / notches / (kMaxEngineSpeed / kLoadSteps);
    }
    IncreaseTemperature(ClampedOption(opt::heatingrate, saturate(index)));
}

// In automatic mode the first gear goes in as soon as the driver asks for power.
void engageFirstGear() {
    if (traction::automaticMode() && traction::driving() && gDriver.power != 0 && gear == 0) ChangeGear(1);
}

// The notches the gear can deliver at this engine speed: rising from 0 below the fade-in
// speed, full in the gear's band, falling to 0 toward the engine's maximum speed.
int32_t gearPowerLimit(int32_t engine) {
    if (gear <= 0) return 0;
    const int32_t notches = gTrainspecs.powerNotches;
    const double p = notches;
    const int32_t fadeIn = ClampedOption(opt::gearfadeinrange, gear - 1);
    const int32_t fadeOut = ClampedOption(opt::gearfadeoutrange, gear - 1);
    // The engine speed is 0 or more, so each branch divides by a range above 0.
    if (engine < fadeIn) return toInt32(p * (static_cast<double>(engine) / fadeIn));
    if (engine <= int64_t{kMaxEngineSpeed} - fadeOut) return notches;
    return toInt32(p - ((static_cast<double>(engine) + fadeOut - kMaxEngineSpeed) / fadeOut) * p);
}

// The automatic gearbox: every two seconds at most one change, up near the top of the
// gear's band, down near its bottom, to neutral once the train stops taking power.
void runGearbox(int32_t engine) {
    if (!traction::automaticMode() || gear < 1) return;
    if (!tOn(autoTimer, now(), kGearboxTick)) return;
    autoTimer = now();
    if (!traction::driving()) {
        ChangeGear(0);
        return;
    }
    const int32_t fadeIn = ClampedOption(opt::gearfadeinrange, gear - 1);
    const int32_t fadeOut = ClampedOption(opt::gearfadeoutrange, gear - 1);
    const int64_t up = std::min<int64_t>((int64_t{2} * kMaxEngineSpeed - fadeOut) / 2, kLatestUp);
    if (engine > up && gear < gears) {
        ChangeGear(gear + 1);
        return;
    }
    const int64_t down = std::max<int64_t>(fadeIn / 2, kEarliestDown);
    if (engine < down && gear > 1) ChangeGear(gear - 1);
}

void restartGearLoop() {
    int32_t delay = 0;
    if (!gearLoopWaiting || !OptionValue(opt::gearloopsound, 1, delay)) return;
    if (!tOn(gearLoopTimer, now(), delay)) return;
    gearLoopWaiting = false;
    gearLoopTimer = -1;
    setSound(Option(opt::gearloopsound), kSoundLoop);
}

}  // namespace

namespace traction {

void initDiesel() {
    gear = 0;
    gears = valueCount(opt::gearratios);
    // In neutral the gear power limit allows no power.
    if (Option(opt::traction) == opt::kDieselModel && gearsConfigured()) gear_maxPower.place(0);
    gearLoopTimer = -1;
    gearLoopWaiting = false;
}

void runDiesel() {
    const bool tick = fuelTick();
    useFuel(tick);
    fillDieselStore(tick);
    if (!gearsConfigured()) return;
    const int32_t engine = engineSpeed();
    setPanel(Option(opt::tachometer), fuelAmount() > 0 ? engine : 0);
    heatByEngineLoad(engine);
    engageFirstGear();
    const int32_t limit = gearPowerLimit(engine);
    runGearbox(engine);
    limitPower(gear_maxPower, limit);
    restartGearLoop();
}

// The gear keys work only with the power handle at 0.
void dieselKeyPressed(int key) {
    if (keyMatches(key, opt::geardownkey) && gear >= 1 && gDriver.power == 0) ChangeGear(gear - 1);
    if (keyMatches(key, opt::gearupkey) && gear < gears && gDriver.power == 0) ChangeGear(gear + 1);
}

}  // namespace traction

// A gear change, with its sound, the gear indicator and a pause in the gear loop sound.
void ChangeGear(int newGear) {
    if (newGear == gear) return;
    const int32_t upSound = Option(opt::gearchangesound);
    int32_t downSound = -1;
    const bool ownDownSound = OptionValue(opt::gearchangesound, 1, downSound);
    setSound(newGear > gear || !ownDownSound ? upSound : downSound, kSoundOnce);
    gear = newGear;
    setPanel(Option(opt::gearindicator), newGear);
    int32_t delay = 0;
    if (Option(opt::gearloopsound) != -1 && OptionValue(opt::gearloopsound, 1, delay)) {
        gearLoopWaiting = newGear != 0;
        gearLoopTimer = gearLoopWaiting ? now() : -1;
        setSound(Option(opt::gearloopsound), kSoundStop);
    }
}
