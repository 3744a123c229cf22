// Windscreen wiper and rain drops on the cab panel.
#pragma once

#include "plugin/records.h"

void InitWindshield();
void DestroyWindshield();
void AnimateWindshield();
void WindshieldKeyPressed(int key);
void WindshieldBeacon(ATS_BEACONDATA beacon);
