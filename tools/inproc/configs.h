// Configurations that ask the most of the plugin, shared by the fuzzers, the benchmarks
// and the heap checks.
#pragma once

#include <string>

namespace inproc {

// Every subsystem at once on a diesel train: AWS and TPWS, vigilance, overspeed control,
// PZB90, the speed selector, power gaps with four pickups, door interlocks, klaxon, travel
// meter, custom indicators, the cab mode switch, wipers with 256 rain drops, and the
// diesel model with gears, automatic gearbox, fuel and heating.
const std::string& Everything();
// The same cab with the steam model instead of the diesel one.
const std::string& Steam();
// Every one of the known keys, each with a list where a list means something, plus
// dictionary lines: the longest file a train is likely to have.
extern const char* const kFull;
// Long value lists, keys given twice, and many dictionary lines, some of them repeated:
// everything the reader allocates, many times over.
extern const char* const kListHeavy;

}  // namespace inproc
