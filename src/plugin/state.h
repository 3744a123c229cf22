// The plugin's own state shared within a frame: the host's last records, the handle output
// and the current panel and sound arrays. Only the plugin's modules see it.
#pragma once

#include <cstdint>

#include "plugin/records.h"

extern ATS_VEHICLESPEC gTrainspecs;
extern ATS_VEHICLESTATE gState;
extern HandleOutput gHandles;  // written only by the handle arbitration
extern HandleOutput gDriver;   // the driver's handles as last reported
extern int32_t* gPanel;
extern int32_t* gSound;
extern int32_t memPanelReserve[kSlotCount];
extern int32_t memSoundReserve[kSlotCount];

// The simulation time of the last frame, ms.
inline int32_t now() { return gState.time; }
// The train stands: its speed is exactly 0.
inline bool atStand() { return gState.speed == 0.0f; }
