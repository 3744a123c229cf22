// Arbitrary bytes as the configuration file, then a start and a few hundred frames with
// changing speed, key presses, handle moves and beacons, a restart and as many again, so
// that every subsystem runs with whatever the file set.
#include <cstdint>
#include <cstdlib>

#include "config/confload.h"
#include "inproc.h"
#include "play.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (inproc::ConfigPath().empty()) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!inproc::UseConfig(reinterpret_cast<const char*>(data), size)) std::abort();
    // The keys come from the file as the plugin reads it.
    ScrapConfig();
    SetDefaults();
    LoadConfig();
    int32_t keys[64];
    const int keyCount = play::DriverKeys(keys);
    play::Host host(inproc::LinkedApi());
    host.configSession(play::Seed(data, size), keys, keyCount);
    if (!host.violation.empty()) std::abort();
    return 0;
}
