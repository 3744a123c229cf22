// The in-process host: the configuration beside the program and a host's part in a run.
#include "inproc.h"

#include <cstdio>

#include "config/confload.h"

namespace inproc {

const std::string& ConfigPath() {
    // The plugin's own lookup, so the path always matches what it reads.
    static const std::string path = [] {
        std::string p;
        if (!ConfigFilePath(p)) p.clear();
        return p;
    }();
    return path;
}

bool UseConfig(const char* data, size_t size) {
    if (ConfigPath().empty()) return false;
    std::FILE* file = std::fopen(ConfigPath().c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

bool UseConfig(const std::string& text) { return UseConfig(text.data(), text.size()); }

void UseNoConfig() {
    if (!ConfigPath().empty()) std::remove(ConfigPath().c_str());
}

const PluginApi& LinkedApi() {
    static const PluginApi api{&Load,      &Dispose, &GetPluginVersion, &SetVehicleSpec, &Initialize, &Elapse,
                               &SetPower,  &SetBrake, &SetReverser,     &KeyDown,        &KeyUp,      &HornBlow,
                               &DoorOpen,  &DoorClose, &SetSignal,      &SetBeaconData};
    return api;
}

void Cab::Boot(int brakes, int power, int mode) {
    Load();
    SetVehicleSpec(ATS_VEHICLESPEC{brakes, power, 0, 0, 1});
    Restart(mode);
}

void Cab::Restart(int mode) {
    Initialize(mode);
    SetPower(0);
    SetBrake(0);
    SetReverser(0);
}

HandleOutput Cab::Frame(int32_t dtMs, float speed) {
    state.time += dtMs;
    state.location += static_cast<double>(speed) / 3.6 * dtMs / 1000.0;
    state.speed = speed;
    out = Elapse(state, panel, sound);
    return out;
}

void Cab::Beacon(int32_t type, int32_t signal, int32_t optional) {
    SetBeaconData(ATS_BEACONDATA{type, signal, 0.0f, optional});
}

void Cab::Key(int32_t key) {
    KeyDown(key);
    KeyUp(key);
}

float CruiseSpeed(uint32_t i) {
    // A triangle wave, cheap enough not to show in a benchmark.
    const uint32_t phase = i % 4000u;
    const uint32_t rise = phase < 2000u ? phase : 4000u - phase;
    return 40.0f + static_cast<float>(rise) * 0.035f;
}

void SetOff(Cab& cab) {
    cab.Frame(100, 0.0f);
    SetReverser(1);
    SetBrake(0);
    HornBlow(0);
    cab.Key(9);   // automatic gearbox on
    cab.Key(10);  // PZB90 activated
    cab.Key(11);  // speed selector
    cab.Key(5);   // wipers continuous
    SetPower(4);
    cab.Frame(100, 20.0f);
    cab.Beacon(kBeaconRain, 0, 100);
    cab.Beacon(kBeaconDoorSide, 0, 1);  // doors on the right
    for (int i = 0; i < 50; ++i) cab.Frame(20, 20.0f + static_cast<float>(i));
    cab.Beacon(kBeaconPowerGap, 0, 30);  // a 30 m gap for each of the pickups
    cab.Beacon(kBeaconAwsClear, 3, 0);  // an AWS magnet at a clear signal
    cab.Beacon(kBeaconPzbDistant, 4, 0);  // a PZB magnet at a clear signal
    cab.Key(2);
    cab.Key(0);
    for (int i = 0; i < 50; ++i) cab.Frame(20, 70.0f);
}

void Routine(Cab& cab, uint32_t step) {
    cab.Key(2);  // vigilance acknowledged
    if (step % 4u == 1u) {
        cab.Beacon(kBeaconAwsClear, 3, 0);
        cab.Key(0);
    }
}

void AnnounceGap(Cab& cab, int32_t length) { cab.Beacon(kBeaconPowerGap, 0, length); }

}  // namespace inproc
