// The steam model: the cut-off sets direction and, against the optimal cut-off for the
// speed, the power; the boiler turns water into pressure, vents through the blow-off valve,
// loses pressure to working steam and is fed by the injector from the fuel store.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "config/confload.h"
#include "controls/traincontrol.h"
#include "plugin/tools.h"
#include "traction/models.h"
#include "traction/traction.h"

using traction::saturate;

namespace {

int32_t cutoff = 0;  // positive forward, negative reverse
int32_t cutoffChangeTimer = 0;
Demand stm_reverser{Handle::Reverser};  // the direction the cut-off gives
Demand stm_power{Handle::Power};        // the power the cut-off and the boiler allow
int32_t stm_boilerPressure = 0;
int32_t stm_boilerWater = 0;
bool stm_blowOff = false;
bool stm_injector = false;
int32_t boilingTimer = 0;
int32_t injectorTimer = 0;
int32_t drainTimer = 0;

constexpr int kMaxConversionsPerFrame = 100;  // bounds the work after a long pause
constexpr int32_t kBlowOffLoss = 4;           // extra pressure vented per conversion
constexpr int32_t kTick = 1000;               // injector and steam-use ticks, ms
constexpr int32_t kMinute = 60000;            // the water-to-steam rate is per minute, ms
constexpr double kCutoffPerSpeedStep = 10.0;  // cutoffratio is in tenths per km/h
constexpr int32_t kInjectorPressureShare = 4;  // a feed costs a quarter of its water in pressure
constexpr int32_t kInjectorOffShare = 4;       // automatic injector: off above a quarter full
constexpr int32_t kInjectorOnShare = 8;        // ... and on below an eighth
constexpr double kSteamSpeedStep = 25.0;       // working steam grows by its amount every 25 km/h
constexpr double kPressureLimitOffset = 0.01;  // the pressure limit starts just short of one notch

// What the cut-off asks of the engine at this speed.
struct CutoffDrive {
    int32_t reverser = 0;     // -1, 0 (neutral band) or 1
    double optimal = 0.0;     // the optimal cut-off for the direction and speed
    bool fromSpeed = false;   // the optimal cut-off moved away from its standstill value
    int32_t limit = 0;        // power notches the cut-off allows
};

// The optimal cut-off is kept in single precision; a value beyond its range keeps the
// largest one instead of becoming undefined.
double singlePrecision(double value) {
    return static_cast<double>(static_cast<float>(std::clamp(value, -double{FLT_MAX}, double{FLT_MAX})));
}

// Automatic mode puts the cut-off to its full setting as the driver selects a direction.
void presetCutoff() {
    if (!traction::automaticMode()) return;
    const int64_t band = Option(opt::cutoffineffective);
    if (gDriver.reverser == 1 && cutoff <= band) {
        cutoff = Option(opt::cutoffmax);
    } else if (gDriver.reverser == -1 && cutoff >= -band) {
        cutoff = Option(opt::cutoffmin);
    }
}

// Direction from the cut-off, and a notch lost for every cutoffdeviation units between the
// cut-off and the optimal one, which closes toward 0 above cutoffratiobase.
CutoffDrive cutoffDrive() {
    CutoffDrive drive;
    const int64_t band = Option(opt::cutoffineffective);
    const int32_t deviation = Option(opt::cutoffdeviation);
    if (deviation == 0) return drive;
    const double base = Option(opt::cutoffratiobase);
    const double ratio = Option(opt::cutoffratio);
    if (cutoff > band) {
        // The signed speed: running backwards counts as slow.
        const double speed = traction::modelSpeed();
        drive.reverser = 1;
        drive.fromSpeed = speed > base;
        drive.optimal = drive.fromSpeed ? singlePrecision(Option(opt::cutoffmax) - (speed - base) * ratio / kCutoffPerSpeedStep)
                                        : Option(opt::cutoffmax);
    } else if (cutoff < -band) {
        const double speed = std::fabs(traction::modelSpeed());
        drive.reverser = -1;
        drive.fromSpeed = speed > base;
        drive.optimal = drive.fromSpeed ? singlePrecision(Option(opt::cutoffmin) + (speed - base) * ratio / kCutoffPerSpeedStep)
                                        : Option(opt::cutoffmin);
    } else {
        return drive;
    }
    const double lost = std::fabs(drive.optimal - cutoff) / deviation;
    drive.limit = std::max(toInt32(gTrainspecs.powerNotches - lost), int32_t{0});
    return drive;
}

// At speed, automatic mode follows the optimal cut-off but never into the neutral band.
void trackCutoff(const CutoffDrive& drive) {
    if (!traction::automaticMode() || !drive.fromSpeed) return;
    const int64_t band = Option(opt::cutoffineffective);
    const int32_t optimal = toInt32(drive.optimal);
    if (drive.reverser == 1) {
        cutoff = std::max(optimal, saturate(band + 1));
    } else {
        cutoff = std::min(optimal, saturate(-band - 1));
    }
}

// Power the boiler pressure allows: none at boilerminpressure, full at boilermaxpressure,
// and more above it.
int32_t pressureLimit() {
    const int32_t notches = gTrainspecs.powerNotches;
    if (notches == 0) return 0;
    const int32_t maxPressure = Option(opt::boilermaxpressure);
    const int32_t minPressure = Option(opt::boilerminpressure);
    const int64_t above = std::max<int64_t>(int64_t{stm_boilerPressure} - minPressure, 0);
    // Without a range between the two pressures the limit is all or nothing.
    if (maxPressure == minPressure) return above > 0 ? notches : 0;
    const double range = static_cast<double>(maxPressure) - static_cast<double>(minPressure);
    const double fraction = static_cast<double>(above) / range;
    return toInt32(((1.0 / notches - kPressureLimitOffset) + fraction) * notches);
}

// The fire turns water into pressure at a steady rate, less what an open valve vents.
void boil() {
    const int32_t rate = Option(opt::boilerwatertosteamrate);
    if (rate <= 0) return;
    const int32_t interval = kMinute / rate;
    int conversions = 0;
    while (tOn(boilingTimer, now(), interval) && stm_boilerWater > 0 &&
           conversions < kMaxConversionsPerFrame) {
        ++conversions;
        stm_boilerPressure = saturate(int64_t{stm_boilerPressure} + 1);
        --stm_boilerWater;
        setPanel(Option(opt::boilerwaterlevelindicator), stm_boilerWater);
        if (stm_blowOff) stm_boilerPressure = saturate(int64_t{stm_boilerPressure} - kBlowOffLoss);
    }
}

// The valve opens above the blow-off pressure and closes once below the working pressure.
void operateBlowOff() {
    if (stm_boilerPressure > Option(opt::boilerblowoffpressure) && !stm_blowOff) {
        stm_blowOff = true;
    } else if (stm_boilerPressure < Option(opt::boilermaxpressure)) {
        stm_blowOff = false;
    }
}

void switchInjector(bool on) {
    stm_injector = on;
    injectorTimer = now();
    setPanel(Option(opt::injectorindicator), on ? 1 : 0);
}

// The injector feeds the boiler from the store once a second, at a cost in pressure; in
// automatic mode it keeps the water between an eighth and a quarter of the full level.
void runInjector() {
    const int32_t full = Option(opt::boilermaxwaterlevel);
    bool mayFeed = true;
    if (traction::automaticMode()) {
        if (stm_injector && stm_boilerWater > full / kInjectorOffShare) {
            switchInjector(false);
            mayFeed = false;
        }
        if (!stm_injector && stm_boilerWater < full / kInjectorOnShare) switchInjector(true);
    }
    if (!mayFeed || !stm_injector) return;
    if (stm_boilerPressure > 0 && traction::fuelAmount() > 0 && stm_boilerWater < full &&
        tOn(injectorTimer, now(), kTick)) {
        const int32_t rate = Option(opt::injectorrate);
        traction::drawFuel(rate);
        stm_boilerWater = saturate(int64_t{stm_boilerWater} + rate);
        stm_boilerPressure = saturate(int64_t{stm_boilerPressure} - rate / kInjectorPressureShare);
    }
}

// Working steam: more with the regulator open, a long cut-off and a fast train.
void useSteam() {
    if (stm_reverser.notch() == 0 || !tOn(drainTimer, now(), kTick)) return;
    const int32_t notches = gTrainspecs.powerNotches;
    const int32_t fullCutoff = Option(opt::cutoffmax);
    // Without notches or cut-off range no steam is worked.
    if (notches == 0 || fullCutoff == 0) return;
    const double effort =
        toInt32(Option(opt::regulatorpressureuse) * (static_cast<double>(gDriver.power) / notches));
    const double speed = std::fabs(traction::modelSpeed());
    const double share = std::fabs(static_cast<double>(cutoff)) / std::fabs(static_cast<double>(fullCutoff));
    const double used = (speed / kSteamSpeedStep + 1) * effort * share;
    stm_boilerPressure = saturate(int64_t{stm_boilerPressure} - toInt32(used));
}

}  // namespace

namespace traction {

void initSteam() {
    cutoffChangeTimer = now();
    cutoff = 0;
    // The cut-off starts in the neutral band: neutral and no power.
    if (Option(opt::traction) == opt::kSteamModel) {
        stm_reverser.place(0);
        stm_power.place(0);
    }
    setPanel(Option(opt::cutoffindicator), cutoff);
    stm_injector = false;
    stm_blowOff = false;
    boilingTimer = now();
    drainTimer = now();
    injectorTimer = now();
    stm_boilerPressure = Option(opt::boilermaxpressure);
    stm_boilerWater = Option(opt::boilermaxwaterlevel);
}

void runSteam() {
    presetCutoff();
    const CutoffDrive drive = cutoffDrive();
    trackCutoff(drive);
    stm_reverser.place(drive.reverser);
    setPanel(Option(opt::cutoffindicator), cutoff);
    // Without notches or without a forward cut-off the engine cannot be worked.
    const bool workable = gTrainspecs.powerNotches != 0 && Option(opt::cutoffmax) != 0;
    traction::limitPower(stm_power, workable ? std::min(pressureLimit(), drive.limit) : 0);
    boil();
    operateBlowOff();
    runInjector();
    useSteam();
    stm_boilerPressure = std::max(stm_boilerPressure, int32_t{0});
    setPanel(Option(opt::boilerpressureindicator), stm_boilerPressure);
    fillSteamStore();
}

// The cut-off keys, at most one step per cutoffchangespeed, and the injector key.
void steamKeyPressed(int key) {
    if (tOn(cutoffChangeTimer, now(), Option(opt::cutoffchangespeed))) {
        // Any key restarts the period, so a cut-off key right after another key is ignored.
        cutoffChangeTimer = now();
        if (keyMatches(key, opt::cutoffincreasekey)) {
            cutoff = saturate(int64_t{cutoff} + 1);
        } else if (keyMatches(key, opt::cutoffdecreasekey)) {
            cutoff = saturate(int64_t{cutoff} - 1);
        }
        if (cutoff > Option(opt::cutoffmax)) {
            cutoff = Option(opt::cutoffmax);
        } else if (cutoff < Option(opt::cutoffmin)) {
            cutoff = Option(opt::cutoffmin);
        }
    }
    if (keyMatches(key, opt::injectortogglekey)) switchInjector(!stm_injector);
}

}  // namespace traction
