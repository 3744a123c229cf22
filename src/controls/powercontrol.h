// Power gaps of a train fed through current pickups, and the power-cut reminder.
#pragma once

#include "plugin/records.h"

void InitPowerControl();
void DestroyPowerControl();
void PowerBeacon(ATS_BEACONDATA beacon);
void PowerControl();
void PowerControlKeyPressed(int key);
