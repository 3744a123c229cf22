// The British cab systems: the AWS (warning and clear magnets, acknowledgement, brake)
// and the TPWS (train stops and overspeed sensors, reset, train-stop override).
#pragma once

#include "plugin/records.h"

void InitBRSafety();
void DestroyBRSafety();
void BRSafety();
void SetBRSafetyStatus(ATS_BEACONDATA beacon);
void BRSafetyKeyPressed(int key);
void BRSafetyKeyReleased(int key);
void BRSafetyReverserMovedOff();
