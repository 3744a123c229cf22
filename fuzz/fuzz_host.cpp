// Arbitrary bytes as a host: any of the sixteen calls in any order, with any notch, key,
// horn, beacon, vehicle spec, clock and speed, against one of the heaviest
// configurations. The plugin must neither crash nor do anything undefined.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "configs.h"
#include "host_script.h"
#include "inproc.h"

namespace {

// The configuration file is rewritten only when a script asks for another one.
void useConfig(uint8_t choice) {
    static int current = -1;
    const int wanted = choice % script::ConfigCount;
    if (wanted == current) return;
    bool written = true;
    switch (wanted) {
        case script::NoFile: inproc::UseNoConfig(); break;
        case script::Everything: written = inproc::UseConfig(inproc::Everything()); break;
        case script::Steam: written = inproc::UseConfig(inproc::Steam()); break;
        case script::Full: written = inproc::UseConfig(std::string(inproc::kFull)); break;
        default: written = inproc::UseConfig(std::string(inproc::kListHeavy)); break;
    }
    if (!written) std::abort();  // a harness that cannot set up must not report "no findings"
    current = wanted;
}

// The host's side of a session: two pairs of arrays and the vehicle state it reports.
struct Host {
    int32_t panel[2][kSlotCount]{};
    int32_t sound[2][kSlotCount]{};
    ATS_VEHICLESTATE state{};
    ATS_VEHICLESPEC spec{8, 5, 0, 0, 1};
    int32_t mode = 2;

    // The clock runs on unsigned arithmetic, so a script can wrap it without the harness
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
        switch (arrays) {
            case script::FirstPair: Elapse(state, panel[0], sound[0]); break;
            case script::SecondPair: Elapse(state, panel[1], sound[1]); break;
            case script::Mixed: Elapse(state, panel[1], sound[0]); break;
            default: Elapse(state, nullptr, nullptr); break;
        }
    }

    void restart() {
        ::SetVehicleSpec(spec);
        ::Initialize(mode);
        SetPower(0);
        SetBrake(0);
        SetReverser(0);
    }
};

void run(script::Reader& in, Host& host) {
    while (in.more()) {
        switch (in.byte() % script::OpCount) {
            case script::Load: ::Load(); break;
            case script::Dispose:
                // A host that ends the session and starts a new one with the library kept.
                ::Dispose();
                ::Load();
                host.restart();
                break;
            case script::GetPluginVersion:
                if (::GetPluginVersion() != kPluginVersion) std::abort();
                break;
            case script::SetVehicleSpec:
                host.spec.brakeNotches = in.integer();
                host.spec.powerNotches = in.integer();
                host.spec.atsNotch = in.integer();
                host.spec.b67Notch = in.integer();
                host.spec.cars = in.integer();
                ::SetVehicleSpec(host.spec);
                break;
            case script::Initialize:
                host.mode = in.integer();
                ::Initialize(host.mode);
                break;
            case script::Elapse: {
                bool absolute = false;
                bool jumped = false;
                const int32_t step = in.timeStep(absolute);
                const float speed = in.speed();
                host.advance(step, absolute, speed);
                const double location = in.location(jumped);
                if (jumped) host.state.location = location;
                host.frame(static_cast<script::Arrays>(in.byte() % script::ArraysCount));
                break;
            }
            case script::SetPower: ::SetPower(in.integer()); break;
            case script::SetBrake: ::SetBrake(in.integer()); break;
            case script::SetReverser: ::SetReverser(in.integer()); break;
            case script::KeyDown: ::KeyDown(in.integer()); break;
            case script::KeyUp: ::KeyUp(in.integer()); break;
            case script::HornBlow: ::HornBlow(in.integer()); break;
            case script::DoorOpen: ::DoorOpen(); break;
            case script::DoorClose: ::DoorClose(); break;
            case script::SetSignal: ::SetSignal(in.integer()); break;
            case script::SetBeaconData: {
                ATS_BEACONDATA beacon{};
                beacon.type = in.beaconType();
                beacon.signal = in.integer();
                beacon.distance = static_cast<float>(in.integer());
                beacon.optional = in.integer();
                ::SetBeaconData(beacon);
                break;
            }
            default: {  // a burst of frames at one speed
                const int frames = in.byte() + 1;
                bool absolute = false;
                const int32_t step = in.timeStep(absolute);
                const float speed = in.speed();
                for (int i = 0; i < frames; ++i) {
                    host.advance(step, absolute && i == 0, speed);
                    host.frame(script::FirstPair);
                }
                break;
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (inproc::ConfigPath().empty()) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    script::Reader in(data, size);
    useConfig(in.byte());
    // Every session opens as a host opens it; what follows is up to the input.
    Host host;
    ::Load();
    host.restart();
    run(in, host);
    ::Dispose();
    return 0;
}
