// What the traction frame and its two models share. Only the traction files include this.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "config/confload.h"
#include "controls/traincontrol.h"
#include "plugin/state.h"

namespace traction {

// Integer steps of the models take their numbers from the configuration, so any of them may
// be extreme: results saturate at the int32 range instead of overflowing.
inline int32_t saturate(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// The train's speed for the models' arithmetic: a value the host sent that is not a number
// counts as a standstill, so it can never turn into an engine speed or a cut-off.
inline double modelSpeed() {
    const double speed = static_cast<double>(gState.speed);
    return std::isfinite(speed) ? speed : 0.0;
}

// Traction power reaches the wheels: reverser set and brake released.
inline bool driving() { return gHandles.reverser != 0 && gHandles.brake == 0; }

// A model's power demand: the driver's notch lowered by the notches the model cannot
// deliver (limit is what it can, out of powerNotches).
void limitPower(Demand& demand, int32_t limit);

// The frame's shared state (traction.cpp).
bool automaticMode();
bool temperatureTick();
int32_t fuelAmount();
bool fuelTick();
void consumeFuel(int32_t amount);
void drawFuel(int32_t amount);
void fillDieselStore(bool tick);
void fillSteamStore();

// The diesel model (diesel.cpp).
void initDiesel();
void runDiesel();
void dieselKeyPressed(int key);

// The steam model (steam.cpp).
void initSteam();
void runSteam();
void steamKeyPressed(int key);

}  // namespace traction
