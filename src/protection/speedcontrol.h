// The overspeed control: a warning at one speed, the full service brake at a higher one,
// both ended only when the train is back at a safe speed.
#pragma once

void InitSpeedControl();
void DestroySpeedControl();
void CheckSpeed(float speed);
