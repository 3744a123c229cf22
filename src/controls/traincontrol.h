// Handle arbitration: every source places counted demands on brake, power and reverser,
// and the train gets the most restrictive of them.
#pragma once

#include <cstdint>

void InitTrainControl(int brakeMode);
void DestroyTrainControl();

void OperateBrake(int notch, bool on);
void OperatePower(int notch, bool on);
void OperateReverser(int position, bool on);

void SetBrakeHandle(int notch);
void SetPowerHandle(int notch);
void SetReverserHandle(int position);

// The speed selector: with its key configured the power handle picks a target speed, and
// power at the handle's notch flows only while the key is held below that speed.
void TrainControl();
void TrainControlKeyPressed(int key);
void TrainControlKeyReleased(int key);
