// Helpers shared by the traction tests: the driver's controls and beacons of a test host.
#pragma once

#include "plugin_fixture.h"

class TractionTest : public PluginTest {
protected:
    void Key(int key) {
        api().KeyDown(key);
        api().KeyUp(key);
    }
    void Drive(int reverser, int power, int brake = 0) {
        api().SetReverser(reverser);
        api().SetBrake(brake);
        api().SetPower(power);
    }
    void Beacon(int type, int optional) { api().SetBeaconData(ATS_BEACONDATA{type, 0, 0.0f, optional}); }
    // One frame, then what the panel slot shows.
    int32_t PanelAt(int slot, int32_t time, float speed = 0.0f) {
        Frame(time, speed);
        return panel[slot];
    }
    int32_t SoundAt(int slot, int32_t time, float speed = 0.0f) {
        Frame(time, speed);
        return sound[slot];
    }
};
