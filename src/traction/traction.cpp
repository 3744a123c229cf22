// The traction frame: engine temperature, ammeter, the fuel store with its filling zones,
// automatic mode and the keys of both models. The models themselves live in diesel.cpp and
// steam.cpp; this file owns what they share.
#include "traction/traction.h"

#include <algorithm>

#include "config/confload.h"
#include "controls/traincontrol.h"
#include "plugin/tools.h"
#include "traction/models.h"

using traction::saturate;

namespace {

int32_t hpTemperature = 0;
int32_t tempTimer = 0;
int32_t fuel = 0;
bool fuelFill = false;
int32_t fuelTimer = 0;
bool automatic = false;

// Each cut is one demand on notch 0; the overheat cut is held until the next start.
Demand overheatCut{Handle::Power};
Demand outOfFuelCut{Handle::Power};

constexpr int32_t kTick = 1000;  // heating and fuel ticks, ms

// Heating by the power the train takes: one step of the notch's rate every second.
void heatByPowerNotch() {
    if (Option(opt::heatingpart) != opt::kHeatByPowerNotch || !traction::temperatureTick()) return;
    const int notch = traction::driving() ? gHandles.power : 0;
    IncreaseTemperature(ClampedOption(opt::heatingrate, notch));
}

void showAmmeter() {
    const int32_t index = Option(opt::ammeter);
    if (index == -1) return;
    setPanel(index, traction::driving() ? ClampedOption(opt::ammetervalues, gHandles.power) : 0);
}

// The fuel gauge, or with a low-fuel threshold configured, the low-fuel lamp.
void showFuelLevel() {
    const int32_t index = Option(opt::fuelindicator);
    if (index == -1) return;
    int32_t threshold = 0;
    if (!OptionValue(opt::fuelindicator, 1, threshold)) {
        setPanel(index, fuel);
        return;
    }
    const int32_t capacity = Option(opt::fuelcapacity);
    if (capacity <= 0) return;
    const int64_t percent = int64_t{fuel} * 100 / capacity;
    setPanel(index, percent <= threshold ? 1 : 0);
}

bool fillingPossible() { return fuelFill && atStand(); }

void addFillingAmount() {
    fuel = std::min(saturate(int64_t{fuel} + Option(opt::fuelfillspeed)), Option(opt::fuelcapacity));
    setPanel(Option(opt::fuelindicator), fuel);
}

}  // namespace

namespace traction {

bool automaticMode() { return automatic; }

bool temperatureTick() { return tOn(tempTimer, now(), kTick); }

int32_t fuelAmount() { return fuel; }

bool fuelTick() { return tOn(fuelTimer, now(), kTick); }

void limitPower(Demand& demand, int32_t limit) {
    const int64_t lowered = int64_t{gDriver.power} - gTrainspecs.powerNotches + limit;
    demand.place(saturate(std::max<int64_t>(lowered, 0)));
}

// The diesel engine burns fuel; the store that runs dry is left at 0 and cuts the power.
void consumeFuel(int32_t amount) {
    if (fuel > 0) {
        fuel = saturate(int64_t{fuel} - amount);
        if (fuel <= 0) {
            fuel = 0;
            outOfFuelCut.place(0);
        }
    }
    showFuelLevel();
}

// The steam injector takes its water from the store, which may go below 0 by one feed.
void drawFuel(int32_t amount) {
    fuel = saturate(int64_t{fuel} - amount);
    setPanel(Option(opt::fuelindicator), fuel);
}

// Filling at a standstill in a filling zone, on the fuel tick the diesel frame already took.
void fillDieselStore(bool tick) {
    if (!fillingPossible()) {
        setPanel(Option(opt::fuelfillindicator), 0);
        return;
    }
    setPanel(Option(opt::fuelfillindicator), 1);
    if (!tick) return;
    addFillingAmount();
    // Only a store that really holds fuel again gives the power back; a store that starts
    // empty never had the cut, and a fill that adds nothing keeps it.
    if (fuel > 0) outOfFuelCut.withdraw();
}

// Filling for the steam model, whose fuel tick runs only while filling is possible.
void fillSteamStore() {
    if (!fillingPossible()) {
        setPanel(Option(opt::fuelfillindicator), 0);
        return;
    }
    setPanel(Option(opt::fuelfillindicator), 1);
    if (fuelTick()) {
        addFillingAmount();
        fuelTimer = now();
    }
}

}  // namespace traction

// A fresh engine: cold, fuelled to its start amount, in neutral, with a full boiler.
void InitTraction() {
    hpTemperature = 0;
    tempTimer = now();
    setPanel(Option(opt::thermometer), 0);
    fuel = Option(opt::fuelstartamount);
    setPanel(Option(opt::fuelindicator), fuel);
    fuelFill = false;
    fuelTimer = now();
    traction::initDiesel();
    traction::initSteam();
    automatic = false;
}

// The module holds no memory of its own.
void DestroyTraction() {}

// Every frame: the engine warms with the power taken, the model runs, the ammeter shows.
void RunTraction() {
    heatByPowerNotch();
    const int32_t model = Option(opt::traction);
    if (model == opt::kDieselModel) {
        traction::runDiesel();
    } else if (model == opt::kSteamModel) {
        traction::runSteam();
    }
    showAmmeter();
}

// A filling-zone beacon: entered in the direction of travel, left the other way.
void TractionSetData(ATS_BEACONDATA beacon) {
    if (beacon.type != kBeaconFuelFilling) return;
    if (gState.speed > 0.0f) {
        fuelFill = beacon.optional == 1;
    } else if (gState.speed < 0.0f) {
        fuelFill = beacon.optional != 1;
    }
}

// The driver's keys: cut-off, injector, gears and automatic mode, each tested in turn.
void TractionKeyPressed(int key) {
    traction::steamKeyPressed(key);
    traction::dieselKeyPressed(key);
    if (keyMatches(key, opt::automatic)) {
        automatic = !automatic;
        setPanel(Option(opt::automaticindicator), automatic ? 1 : 0);
    }
}

// The engine warms or cools; too hot, it warns the driver and may lose its power for good.
void IncreaseTemperature(int delta) {
    hpTemperature = std::max(saturate(int64_t{hpTemperature} + delta), int32_t{0});
    setPanel(Option(opt::thermometer), hpTemperature);
    const bool warning = hpTemperature >= Option(opt::overheatwarn);
    setPanel(Option(opt::overheatindicator), warning ? 1 : 0);
    setSound(Option(opt::overheatalarm), warning ? kSoundLoop : kSoundStop);
    if (hpTemperature >= Option(opt::overheat) && Option(opt::overheatresult) == 1) overheatCut.place(0);
}
