// Arbitrary bytes as a host: any of the sixteen calls in any order, with any notch, key,
// horn, beacon, vehicle spec, clock and speed, against one of the heaviest
// configurations. The plugin must neither crash, nor do anything undefined, nor return
// what no host can apply.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "inproc.h"
#include "play.h"

namespace {

// The configuration file is rewritten only when a script asks for another one.
void useConfig(uint8_t choice) {
    static int current = -1;
    const int wanted = choice % script::ConfigCount;
    if (wanted == current) return;
    const std::string* text = play::ScriptConfig(choice);
    const bool written = text == nullptr ? (inproc::UseNoConfig(), true) : inproc::UseConfig(*text);
    if (!written) std::abort();  // a harness that cannot set up must not report "no findings"
    current = wanted;
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
    play::Host host(inproc::LinkedApi());
    host.open();
    host.run(in);
    inproc::LinkedApi().Dispose();
    if (!host.violation.empty()) std::abort();
    return 0;
}
