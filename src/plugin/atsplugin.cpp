// The exported host interface and the fixed order in which the subsystems run.
#include "plugin/atsplugin.h"

#include <algorithm>
#include <cstring>

#include "cab/misc.h"
#include "cab/windshield.h"
#include "config/confload.h"
#include "controls/powercontrol.h"
#include "controls/traincontrol.h"
#include "plugin/state.h"
#include "plugin/tools.h"
#include "protection/br_safety.h"
#include "protection/de_safety.h"
#include "protection/speedcontrol.h"
#include "protection/vigilance.h"
#include "traction/traction.h"

namespace {

void copyReserve(int32_t* target, const int32_t* reserve) {
    std::memcpy(target, reserve, sizeof(int32_t) * kSlotCount);
}

// No vehicle comes near a thousand notches. Keeping the host's counts within that range
// means no notch arithmetic anywhere (the emergency notch is brakeNotches + 1) can
// overflow, and the per-notch tables stay small whatever a host sends.
constexpr int32_t kMostNotches = 1000;

}  // namespace

ATS_API(void) Load() {
    for (int i = 0; i < kSlotCount; ++i) {
        memPanelReserve[i] = 0;
        memSoundReserve[i] = kSoundStop;
    }
    gPanel = memPanelReserve;
    gSound = memSoundReserve;
}

ATS_API(void) Dispose() {
    ScrapConfig();
    DestroyTrainControl();
    DestroyPowerControl();
    DestroyWindshield();
    DestroyBRSafety();
    DestroyVigilance();
    DestroySpeedControl();
    DestroyMiscellaneous();
    DestroyTraction();
    DestroyDESafety();
    dumpLog();
}

ATS_API(int32_t) GetPluginVersion() { return kPluginVersion; }

ATS_API(void) SetVehicleSpec(ATS_VEHICLESPEC spec) {
    gTrainspecs = spec;
    gTrainspecs.brakeNotches = std::clamp(spec.brakeNotches, 0, kMostNotches);
    gTrainspecs.powerNotches = std::clamp(spec.powerNotches, 0, kMostNotches);
}

ATS_API(void) Initialize(int32_t brakeMode) {
    // Until the next frame every write lands in the reserves, which that frame copies over.
    gPanel = memPanelReserve;
    gSound = memSoundReserve;
    ScrapConfig();
    SetDefaults();
    LoadConfig();
    DestroyTrainControl();
    InitTrainControl(brakeMode);
    DestroyPowerControl();
    InitPowerControl();
    DestroyWindshield();
    InitWindshield();
    DestroyBRSafety();
    InitBRSafety();
    DestroyVigilance();
    InitVigilance();
    DestroySpeedControl();
    InitSpeedControl();
    DestroyMiscellaneous();
    InitMiscellaneous();
    DestroyTraction();
    InitTraction();
    DestroyDESafety();
    InitDESafety();
}

ATS_API(HandleOutput) Elapse(ATS_VEHICLESTATE state, int32_t* panel, int32_t* sound) {
    // A host that passes no array keeps the one that was current.
    if (panel != nullptr && panel != gPanel) {
        gPanel = panel;
        copyReserve(gPanel, memPanelReserve);
    }
    if (sound != nullptr && sound != gSound) {
        gSound = sound;
        copyReserve(gSound, memSoundReserve);
    }
    gState = state;
    PowerControl();
    TrainControl();
    AnimateWindshield();
    BRSafety();
    CheckVigilance();
    CheckSpeed(gState.speed);
    RunMiscellaneous();
    RunTraction();
    DESafety();
    return gHandles;
}

ATS_API(void) SetPower(int32_t notch) {
    SetPowerHandle(notch);
    VigilanceKeyPressed(notch, false);
}

ATS_API(void) SetBrake(int32_t notch) {
    SetBrakeHandle(notch);
    VigilanceKeyPressed(notch, false);
}

ATS_API(void) SetReverser(int32_t position) {
    const int32_t index = Option(opt::reverserindex);
    if (index != -1) setPanel(index, position == -1 ? 2 : position);
    SetReverserHandle(position);
    VigilanceKeyPressed(position, false);
    if (position != 0) BRSafetyReverserMovedOff();
}

ATS_API(void) KeyDown(int32_t key) {
    // No handler consumes a key: one key bound to several roles acts in each, in this order.
    PowerControlKeyPressed(key);
    WindshieldKeyPressed(key);
    BRSafetyKeyPressed(key);
    VigilanceKeyPressed(key, true);
    TractionKeyPressed(key);
    miscKeyPressed(key);
    DESafetyKeyPressed(key);
    TrainControlKeyPressed(key);
}

ATS_API(void) KeyUp(int32_t key) {
    BRSafetyKeyReleased(key);
    TrainControlKeyReleased(key);
}

ATS_API(void) HornBlow(int32_t type) {
    VigilanceKeyPressed(type, false);
    hornSounded(type);
}

ATS_API(void) DoorOpen() {
    SetDoorInterlocks(true);
    setDoorState(true);
}

ATS_API(void) DoorClose() {
    SetDoorInterlocks(false);
    setDoorState(false);
}

ATS_API(void) SetSignal(int32_t) {}

ATS_API(void) SetBeaconData(ATS_BEACONDATA beacon) {
    PowerBeacon(beacon);
    WindshieldBeacon(beacon);
    SetBRSafetyStatus(beacon);
    TractionSetData(beacon);
    SetDESafetyStatus(beacon);
    // The door side travels in the low byte of the beacon's datum, as a signed character.
    if (beacon.type == kBeaconDoorSide) setDoorSide(static_cast<int8_t>(beacon.optional & 0xFF));
}
