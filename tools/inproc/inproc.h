// An in-process host: the plugin's code is linked into the program itself, so the
// fuzzers, benchmarks and heap checks call the sixteen exports directly, with no library
// to load.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "plugin/atsplugin.h"
#include "plugin/records.h"
#include "plugin_loader.h"

namespace inproc {

// Where the plugin linked into this program looks for its configuration: beside the
// program file, named as the plugin names it.
const std::string& ConfigPath();
// Writes bytes as that configuration, replacing any earlier one; false when it cannot.
bool UseConfig(const char* data, size_t size);
bool UseConfig(const std::string& text);
// Removes the configuration, so Initialize leaves every default.
void UseNoConfig();

// The exports linked into this program, in the form a host that loads a library holds them.
const PluginApi& LinkedApi();

// One train in a host's hands: the host's arrays and the vehicle state of the last frame.
struct Cab {
    int32_t panel[kSlotCount]{};
    int32_t sound[kSlotCount]{};
    ATS_VEHICLESTATE state{};
    HandleOutput out{};

    // Load, SetVehicleSpec, Initialize and the driver's first handle reports, as a host
    // starts a run.
    void Boot(int brakes = 8, int power = 5, int mode = 2);
    // A restart: Initialize and the handle reports a host makes right after.
    void Restart(int mode = 2);
    // One frame dtMs after the last at speed km/h; the train moves by the time passed.
    HandleOutput Frame(int32_t dtMs, float speed);
    // A beacon passed at the present location.
    void Beacon(int32_t type, int32_t signal, int32_t optional);
    // A key pressed and released.
    void Key(int32_t key);
};

// The driver's part of a run with everything configured (Everything()): reverser forward,
// power on, rain, wipers running, automatic gearbox, PZB activated, a power gap announced
// for the train's several pickups. Leaves the train moving.
void SetOff(Cab& cab);
// What a driver does now and then on a long run: acknowledges the vigilance device and
// passes an AWS magnet. Call it every so many frames.
void Routine(Cab& cab, uint32_t step);
// A power gap of length metres ahead of every pickup (the train must be moving forwards).
void AnnounceGap(Cab& cab, int32_t length);

// A speed for frame i of a long run: a slow swell between about 40 and 110 km/h.
float CruiseSpeed(uint32_t i);

}  // namespace inproc
