// PZB90: the German intermittent train protection with its magnets, the PZB key, the
// acknowledgement window and the speed limit before activation.
#pragma once

#include "plugin/records.h"

void InitDESafety();
void DestroyDESafety();
void PZB90Emergency();
void DESafety();
void SetDESafetyStatus(ATS_BEACONDATA beacon);
void DESafetyKeyPressed(int key);
