// The driver vigilance device: a lamp, then an alarm, then the emergency brake when the
// driver shows no activity for too long while the train runs.
#pragma once

void InitVigilance();
void DestroyVigilance();
void CheckVigilance();
// Driver activity: a key press (isKey true, key is its code) or a handle or horn action.
void VigilanceKeyPressed(int key, bool isKey);
