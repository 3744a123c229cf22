// The storage of the plugin's shared frame state.
#include "plugin/state.h"

ATS_VEHICLESPEC gTrainspecs{};
ATS_VEHICLESTATE gState{};
HandleOutput gHandles{};
HandleOutput gDriver{};
int32_t memPanelReserve[kSlotCount]{};
int32_t memSoundReserve[kSlotCount]{};
int32_t* gPanel = memPanelReserve;
int32_t* gSound = memSoundReserve;
