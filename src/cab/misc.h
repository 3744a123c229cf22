// Small cab displays: door indicators, klaxon indicator, travel meter, custom indicator
// lamps and the cab mode switch.
#pragma once

#include <cstdint>

void InitMiscellaneous();
void DestroyMiscellaneous();
void RunMiscellaneous();
void setDoorState(bool open);
void setDoorSide(int8_t side);
void hornSounded(int hornType);
void miscKeyPressed(int key);
