// A plugin DLL with the faults the interface check exists to catch: exports in the
// wrong calling convention, a decorated, a missing and an extra name, and the C++
// runtime linked as a DLL. Only the check reads it; nothing loads it. The .def file
// alone names the exports.
#include <cstdint>
#include <string>

#include "plugin/records.h"

#define FAULTY_STDCALL(type) extern "C" type __stdcall
#define FAULTY_CDECL(type) extern "C" type __cdecl

namespace {
std::string gName;  // pulls in the C++ runtime
int32_t gLast = 0;
}  // namespace

FAULTY_STDCALL(void) Load() { gName = "faulty"; }
FAULTY_STDCALL(void) Dispose() { gName.clear(); }
FAULTY_STDCALL(int32_t) GetPluginVersion() { return 0x20000; }
FAULTY_STDCALL(void) SetVehicleSpec(ATS_VEHICLESPEC spec) { gLast = spec.cars; }
FAULTY_STDCALL(void) Initialize(int32_t mode) { gLast = mode; }
// cdecl: removes only the hidden result address.
FAULTY_CDECL(HandleOutput) Elapse(ATS_VEHICLESTATE state, int32_t* panel, int32_t* sound) {
    return HandleOutput{state.time, panel[0], sound[0], gLast};
}
FAULTY_STDCALL(void) SetPower(int32_t notch) { gLast = notch; }
// cdecl: removes nothing.
FAULTY_CDECL(void) SetBrake(int32_t notch) { gLast = notch; }
FAULTY_STDCALL(void) SetReverser(int32_t position) { gLast = position; }
FAULTY_STDCALL(void) KeyDown(int32_t key) { gLast = key; }
// Exported under its decorated name.
FAULTY_STDCALL(void) KeyUp(int32_t key) { gLast = -key; }
FAULTY_STDCALL(void) HornBlow(int32_t type) { gLast = type; }
FAULTY_STDCALL(void) DoorOpen() { gLast = 1; }
FAULTY_STDCALL(void) DoorClose() { gLast = 0; }
// SetSignal is missing.
// The record by address instead of by value: removes 4 bytes, not 16.
FAULTY_STDCALL(void) SetBeaconData(const ATS_BEACONDATA* beacon) { gLast = beacon->optional; }
// Not part of the interface.
FAULTY_STDCALL(int32_t) DllHelper() { return static_cast<int32_t>(gName.size()); }
