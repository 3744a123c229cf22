// Arbitrary bytes as the configuration file, then a restart and a few hundred frames with
// changing speed, key presses, handle moves and beacons, so that every subsystem runs
// with whatever the file set.
#include <cstdint>
#include <cstdlib>

#include "config/confload.h"
#include "inproc.h"

namespace {

// A small generator seeded from the input: the drive varies with the file but replays
// exactly for a saved finding.
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

uint32_t fnv1a(const uint8_t* data, size_t size) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

constexpr float kSpeeds[] = {0.0f, 0.0f, 3.0f, 20.0f, 25.5f, 40.0f, 45.0f, 61.0f, 80.0f, 100.0f, 126.0f, 160.0f, -8.0f, -30.0f};
constexpr int32_t kSteps[] = {20, 20, 50, 50, 100, 100, 250, 1000, 5000, 0};
constexpr int32_t kBeaconTypes[] = {20, 21, 22, 23, 44000, 44001, 44002, 44003, 44004, 49000, 49001, 0};
constexpr int32_t kSignals[] = {-1, 0, 1, 2, 3, 4, 5, 255};
constexpr int32_t kOptionals[] = {0, 1, 10, 25, 45, 60, 100, 101, 255, 256, -1, -45, 1000};

// The keys a driver could press: the low key codes and every key number the file gave.
int collectKeys(int32_t (&keys)[64]) {
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

void drive(inproc::Cab& cab, Lcg& rng) {
    int32_t keys[64];
    const int keyCount = collectKeys(keys);
    float speed = 0.0f;
    int32_t held = -1;  // a key pressed and not yet released
    for (int frame = 0; frame < 300; ++frame) {
        if (frame % 20 == 0) speed = rng.pick(kSpeeds);
        const uint32_t r = rng.next();
        if (r % 5 == 0) {
            if (held >= 0) KeyUp(held);
            held = keys[rng.next() % static_cast<uint32_t>(keyCount)];
            KeyDown(held);
        } else if (r % 5 == 1 && held >= 0) {
            KeyUp(held);
            held = -1;
        }
        if (r % 7 == 0) {
            cab.Beacon(rng.pick(kBeaconTypes), rng.pick(kSignals), rng.pick(kOptionals));
        }
        switch (r % 41) {
            case 0: SetPower(static_cast<int32_t>(rng.next() % 7)); break;
            case 1: SetBrake(static_cast<int32_t>(rng.next() % 11)); break;
            case 2: SetReverser(static_cast<int32_t>(rng.next() % 3) - 1); break;
            case 3: HornBlow(static_cast<int32_t>(rng.next() % 3)); break;
            case 4: DoorOpen(); break;
            case 5: DoorClose(); break;
            default: break;
        }
        cab.Frame(rng.pick(kSteps), speed);
    }
    if (held >= 0) KeyUp(held);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (inproc::ConfigPath().empty()) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!inproc::UseConfig(reinterpret_cast<const char*>(data), size)) std::abort();
    Lcg rng{fnv1a(data, size)};
    inproc::Cab cab;
    cab.Boot(8, 5, static_cast<int>(rng.next() % 3));
    SetReverser(1);
    SetPower(3);
    drive(cab, rng);
    // A restart reads the same file again over a running train.
    cab.Restart(static_cast<int>(rng.next() % 3));
    drive(cab, rng);
    Dispose();
    return 0;
}
