// A probe in the plugin's place: it shows on the panel what the host did, so tests can see
// that footplate-run behaves towards a plugin as a simulator host does.
//   panel 0: the host's sound slot 5 as found at the start of the frame
//   panel 1: handle reports (SetPower, SetBrake, SetReverser) since the last Initialize
//   panel 2: Initialize calls
//   panel 3: frames whose arrays differed from the frame before
//   panel 4: the type of the last beacon, written between frames
// A key press plays sound 5 once (1); a horn writes its type into sound 6, between frames;
// the returned handles are the driver's.
#include "plugin/atsplugin.h"

namespace {
int32_t reports = 0, starts = 0, arrayChanges = 0;
bool playOnce = false;
HandleOutput handles{0, 0, 0, 0};
int32_t *current = nullptr, *currentSound = nullptr;  // the host's arrays, for writes between frames

int32_t Reported(int32_t position) {
    ++reports;
    return position;
}
}  // namespace

ATS_API(void) Load() {}
ATS_API(void) Dispose() {}
ATS_API(int32_t) GetPluginVersion() { return kPluginVersion; }
ATS_API(void) SetVehicleSpec(ATS_VEHICLESPEC) {}
ATS_API(void) Initialize(int32_t) {
    reports = 0;
    ++starts;
}
ATS_API(HandleOutput) Elapse(ATS_VEHICLESTATE, int32_t* panel, int32_t* sound) {
    if (panel != current || sound != currentSound) ++arrayChanges;
    current = panel;
    currentSound = sound;
    panel[0] = sound[5];
    panel[1] = reports;
    panel[2] = starts;
    panel[3] = arrayChanges;
    if (playOnce) sound[5] = 1;
    playOnce = false;
    return handles;
}
ATS_API(void) SetPower(int32_t notch) { handles.power = Reported(notch); }
ATS_API(void) SetBrake(int32_t notch) { handles.brake = Reported(notch); }
ATS_API(void) SetReverser(int32_t position) { handles.reverser = Reported(position); }
ATS_API(void) KeyDown(int32_t) { playOnce = true; }
ATS_API(void) KeyUp(int32_t) {}
ATS_API(void) HornBlow(int32_t type) {
    if (currentSound != nullptr) currentSound[6] = type;
}
ATS_API(void) DoorOpen() {}
ATS_API(void) DoorClose() {}
ATS_API(void) SetSignal(int32_t) {}
ATS_API(void) SetBeaconData(ATS_BEACONDATA beacon) {
    if (current != nullptr) current[4] = beacon.type;
}
