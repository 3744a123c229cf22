// Traction: the diesel and steam models with their engine temperature, ammeter, fuel store
// and controls. The train is driven only through counted power and reverser demands.
#pragma once

#include <cstdint>

#include "plugin/records.h"

void InitTraction();
void DestroyTraction();
void RunTraction();
void TractionSetData(ATS_BEACONDATA beacon);
void TractionKeyPressed(int key);

void IncreaseTemperature(int delta);
void ChangeGear(int newGear);
