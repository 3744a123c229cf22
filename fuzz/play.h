// Plays the fuzz targets' inputs against a plugin reached through its sixteen exports: the
// plugin linked into a fuzzer, or the real library a test host loaded. After every frame
// the outputs must be what a host can apply.
#pragma once

#include <cstdint>
#include <string>

#include "config/confload.h"
#include "configs.h"
#include "host_script.h"
#include "plugin_loader.h"

namespace play {

// What no frame may ever return, whatever a host or a configuration did: notches beyond
// the 0..1000 the plugin keeps counts within, a reverser outside -1..1, a constant-speed
// request, or a sound command footplate never writes. Empty when all is well.
inline std::string Violation(const HandleOutput& out, const int32_t* sound) {
    if (out.brake < 0 || out.brake > 1001) return "brake " + std::to_string(out.brake);
    if (out.power < 0 || out.power > 1000) return "power " + std::to_string(out.power);
    if (out.reverser < -1 || out.reverser > 1) return "reverser " + std::to_string(out.reverser);
    if (out.constantSpeed != 0) return "constant speed " + std::to_string(out.constantSpeed);
    for (int i = 0; i < kSlotCount; ++i) {
        const int32_t v = sound[i];
        if (v != kSoundStop && v != kSoundLoop && v != kSoundOnce) {
            return "sound[" + std::to_string(i) + "] = " + std::to_string(v);
        }
    }
    return "";
}

// A small generator: the drive varies with the seed but replays exactly.
struct Lcg {
    uint32_t state;
    uint32_t next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    template <typename T, size_t N>
    T pick(const T (&items)[N]) {
        return items[next() % N];
    }
};

// The host's side of a session: two pairs of arrays and the vehicle state it reports.
class Host {
public:
    explicit Host(const PluginApi& api) : api_(api) {}

    // Load, then a start as hosts make it.
    void open() {
        api_.Load();
        restart();
    }
    void restart() {
        api_.SetVehicleSpec(spec);
        api_.Initialize(mode);
        api_.SetPower(0);
        api_.SetBrake(0);
        api_.SetReverser(0);
    }

    // The clock runs on unsigned arithmetic, so a script can wrap it without the host
    // itself doing anything undefined.
    void advance(int32_t stepMs, bool absolute, float speed) {
        state.time = absolute ? stepMs
                              : static_cast<int32_t>(static_cast<uint32_t>(state.time) + static_cast<uint32_t>(stepMs));
        // Only finite, sane speeds move the train by themselves; other values stay as they
        // are in the record and the location stands.
        if (speed > -1000.0f && speed < 1000.0f && stepMs > 0 && stepMs < 1000000 && !absolute) {
            state.location += static_cast<double>(speed) / 3.6 * stepMs / 1000.0;
        }
        state.speed = speed;
    }

    void frame(script::Arrays arrays) {
        int32_t* panel = arrays == script::SecondPair || arrays == script::Mixed ? panel_[1] : panel_[0];
        int32_t* sound = arrays == script::SecondPair ? sound_[1] : sound_[0];
        if (arrays == script::NoArrays) panel = sound = nullptr;
        const HandleOutput out = api_.Elapse(state, panel, sound);
        // Without arrays the plugin keeps writing into the pair it had.
        if (violation.empty()) violation = Violation(out, sound != nullptr ? sound : lastSound_);
        if (sound != nullptr) lastSound_ = sound;
    }

    // The calls of a host script (the fuzz_host form, after its configuration byte).
    void run(script::Reader& in);
    // A session over the configuration in place (the fuzz_config form): a start, a drive
    // with keys, handles, doors and beacons chosen from seed, a restart over the running
    // train and another drive, then Dispose.
    void configSession(uint32_t seed, const int32_t* keys, int keyCount);

    ATS_VEHICLESTATE state{};
    ATS_VEHICLESPEC spec{8, 5, 0, 0, 1};
    int32_t mode = 2;
    std::string violation;  // the first frame that broke the rules

private:
    void drive(Lcg& rng, const int32_t* keys, int keyCount);
    const PluginApi& api_;
    int32_t panel_[2][kSlotCount]{};
    int32_t sound_[2][kSlotCount]{};
    int32_t* lastSound_ = sound_[0];
};

inline void Host::run(script::Reader& in) {
    while (in.more()) {
        switch (in.byte() % script::OpCount) {
        case script::Load: api_.Load(); break;
        case script::Dispose:
            // A host that ends the session and starts a new one with the library kept.
            api_.Dispose();
            api_.Load();
            restart();
            break;
        case script::GetPluginVersion:
            if (api_.GetPluginVersion() != 0x20000 && violation.empty()) violation = "plugin version";
            break;
        case script::SetVehicleSpec:
            spec.brakeNotches = in.integer();
            spec.powerNotches = in.integer();
            spec.atsNotch = in.integer();
            spec.b67Notch = in.integer();
            spec.cars = in.integer();
            api_.SetVehicleSpec(spec);
            break;
        case script::Initialize:
            mode = in.integer();
            api_.Initialize(mode);
            break;
        case script::Elapse: {
            bool absolute = false;
            bool jumped = false;
            const int32_t step = in.timeStep(absolute);
            const float speed = in.speed();
            advance(step, absolute, speed);
            const double location = in.location(jumped);
            if (jumped) state.location = location;
            frame(static_cast<script::Arrays>(in.byte() % script::ArraysCount));
            break;
        }
        case script::SetPower: api_.SetPower(in.integer()); break;
        case script::SetBrake: api_.SetBrake(in.integer()); break;
        case script::SetReverser: api_.SetReverser(in.integer()); break;
        case script::KeyDown: api_.KeyDown(in.integer()); break;
        case script::KeyUp: api_.KeyUp(in.integer()); break;
        case script::HornBlow: api_.HornBlow(in.integer()); break;
        case script::DoorOpen: api_.DoorOpen(); break;
        case script::DoorClose: api_.DoorClose(); break;
        case script::SetSignal: api_.SetSignal(in.integer()); break;
        case script::SetBeaconData: {
            ATS_BEACONDATA beacon{};
            beacon.type = in.beaconType();
            beacon.signal = in.integer();
            beacon.distance = static_cast<float>(in.integer());
            beacon.optional = in.integer();
            api_.SetBeaconData(beacon);
            break;
        }
        default: {  // a burst of frames at one speed
            const int frames = in.byte() + 1;
            bool absolute = false;
            const int32_t step = in.timeStep(absolute);
            const float speed = in.speed();
            for (int i = 0; i < frames; ++i) {
                advance(step, absolute && i == 0, speed);
                frame(script::FirstPair);
            }
            break;
        }
        }
    }
}

inline void Host::configSession(uint32_t seed, const int32_t* keys, int keyCount) {
    Lcg rng{seed};
    api_.Load();
    mode = static_cast<int32_t>(rng.next() % 3);
    restart();
    api_.SetReverser(1);
    api_.SetPower(3);
    drive(rng, keys, keyCount);
    mode = static_cast<int32_t>(rng.next() % 3);
    api_.Initialize(mode);
    api_.SetPower(0);
    api_.SetBrake(0);
    api_.SetReverser(0);
    drive(rng, keys, keyCount);
    api_.Dispose();
}

inline void Host::drive(Lcg& rng, const int32_t* keys, int keyCount) {
    static constexpr float kSpeeds[] = {0.0f, 0.0f, 3.0f, 20.0f, 25.5f, 40.0f, 45.0f, 61.0f, 80.0f, 100.0f, 126.0f, 160.0f, -8.0f, -30.0f};
    static constexpr int32_t kSteps[] = {20, 20, 50, 50, 100, 100, 250, 1000, 5000, 0};
    // Every type a subsystem knows, and one none does.
    static constexpr int32_t kBeaconTypes[] = {
        kBeaconPowerGap,   kBeaconRain,          kBeaconFuelFilling,     kBeaconDoorSide,
        kBeaconAwsClear,   kBeaconAwsWarning,    kBeaconTpwsSignal,      kBeaconTpwsTrainStop,
        kBeaconTpwsRestriction, kBeaconPzbDistant, kBeaconPzbHome,       0};
    static constexpr int32_t kSignals[] = {-1, 0, 1, 2, 3, 4, 5, 255};
    static constexpr int32_t kOptionals[] = {0, 1, 10, 25, 45, 60, 100, 101, 255, 256, -1, -45, 1000};
    float speed = 0.0f;
    int32_t held = -1;  // a key pressed and not yet released
    for (int i = 0; i < 300; ++i) {
        if (i % 20 == 0) speed = rng.pick(kSpeeds);
        const uint32_t r = rng.next();
        if (r % 5 == 0) {
            if (held >= 0) api_.KeyUp(held);
            held = keys[rng.next() % static_cast<uint32_t>(keyCount)];
            api_.KeyDown(held);
        } else if (r % 5 == 1 && held >= 0) {
            api_.KeyUp(held);
            held = -1;
        }
        if (r % 7 == 0) {
            const int32_t type = rng.pick(kBeaconTypes);
            const int32_t signal = rng.pick(kSignals);
            api_.SetBeaconData(ATS_BEACONDATA{type, signal, 0.0f, rng.pick(kOptionals)});
        }
        switch (r % 41) {
        case 0: api_.SetPower(static_cast<int32_t>(rng.next() % 7)); break;
        case 1: api_.SetBrake(static_cast<int32_t>(rng.next() % 11)); break;
        case 2: api_.SetReverser(static_cast<int32_t>(rng.next() % 3) - 1); break;
        case 3: api_.HornBlow(static_cast<int32_t>(rng.next() % 3)); break;
        case 4: api_.DoorOpen(); break;
        case 5: api_.DoorClose(); break;
        default: break;
        }
        advance(rng.pick(kSteps), false, speed);
        frame(script::FirstPair);
    }
    if (held >= 0) api_.KeyUp(held);
}

// The seed of a configuration's drive: its bytes' hash, so a saved finding replays exactly.
inline uint32_t Seed(const uint8_t* data, size_t size) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

// The configuration a host script starts with, chosen by its first byte; null for none.
inline const std::string* ScriptConfig(uint8_t choice) {
    static const std::string full = inproc::kFull;
    static const std::string listHeavy = inproc::kListHeavy;
    switch (choice % script::ConfigCount) {
    case script::NoFile: return nullptr;
    case script::Everything: return &inproc::Everything();
    case script::Steam: return &inproc::Steam();
    case script::Full: return &full;
    default: return &listHeavy;
    }
}

// The keys a driver could press: the low key codes and every key number of the
// configuration the option table holds (read it in first).
inline int DriverKeys(int32_t (&keys)[64]) {
    int n = 0;
    for (int32_t k = 0; k < 16; ++k) keys[n++] = k;
    const opt::Key keyOptions[] = {
        opt::awsacknowledgekey, opt::tpwsresetkey, opt::tpwsoverridekey, opt::vigilancekey,
        opt::reminderkey, opt::wiperonkey, opt::wiperoffkey, opt::automatic, opt::gearupkey,
        opt::geardownkey, opt::cutoffincreasekey, opt::cutoffdecreasekey, opt::injectortogglekey,
        opt::pzb90key, opt::speedselectorkey};
    for (opt::Key key : keyOptions) keys[n++] = Option(key);
    int32_t value = 0;
    for (int i = 0; n < 62 && OptionValue(opt::customindicators, i, value); i += 2) keys[n++] = value;
    PLUGIN_OPTION cab{};
    if (getFromDictionary(cab, "cabmode")) keys[n++] = cab.value;
    return n;
}

}  // namespace play
