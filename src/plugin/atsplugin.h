// The plugin's face to the simulator host: sixteen exported functions.
#pragma once

#include <cstdint>

#include "plugin/records.h"

// On 32-bit Windows the host calls every export with stdcall under its plain name (the
// .def file keeps the names undecorated); elsewhere they are plain C functions. Elapse's
// 16-byte result goes out through a hidden address that, under stdcall, the callee removes
// together with the arguments (52 bytes), as GCC for i686 Windows does by itself; the
// interface check of the Windows build fails on any other return.
#if defined(_WIN32)
#define ATS_API(type) extern "C" __declspec(dllexport) type __stdcall
#else
#define ATS_API(type) extern "C" __attribute__((visibility("default"))) type
#endif

inline constexpr int32_t kPluginVersion = 0x20000;

ATS_API(void) Load();
ATS_API(void) Dispose();
ATS_API(int32_t) GetPluginVersion();
ATS_API(void) SetVehicleSpec(ATS_VEHICLESPEC spec);
ATS_API(void) Initialize(int32_t brakeMode);
ATS_API(HandleOutput) Elapse(ATS_VEHICLESTATE state, int32_t* panel, int32_t* sound);
ATS_API(void) SetPower(int32_t notch);
ATS_API(void) SetBrake(int32_t notch);
ATS_API(void) SetReverser(int32_t position);
ATS_API(void) KeyDown(int32_t key);
ATS_API(void) KeyUp(int32_t key);
ATS_API(void) HornBlow(int32_t type);
ATS_API(void) DoorOpen();
ATS_API(void) DoorClose();
ATS_API(void) SetSignal(int32_t signal);
ATS_API(void) SetBeaconData(ATS_BEACONDATA beacon);
