// Small cab displays: door lamps, klaxon lamp, travel meter, custom lamps, cab mode switch.
#include "cab/misc.h"

#include "config/confload.h"
#include "plugin/tools.h"

namespace {

bool doorOpen = true;
int8_t doorSide = 0;  // -1, 1, 2 (both sides) or 0 (none); survives a restart
int32_t hornTimer = -1;
int32_t hornDuration = 0;
bool cabMode = true;  // true: the first cab mode lamp is lit
// Set only from a "cabmode" line; a restart without one keeps them.
int32_t cabModeKey = -1;
int32_t cabMode1 = -1;
int32_t cabMode2 = -1;


// Lights the released side's lamps while the doors are open.
void refreshDoors() {
    const int32_t first = Option(opt::doorindicator);
    if (first == -1) return;
    int32_t second = -1;
    OptionValue(opt::doorindicator, 1, second);
    if (doorSide != 0 && doorOpen) {
        if (doorSide == -1 || doorSide == 2) setPanel(first, 1);
        if ((doorSide == 1 || doorSide == 2) && second != -1) setPanel(second, 1);
    } else {
        setPanel(first, 0);
        if (second != -1) setPanel(second, 0);
    }
}

void readCabMode() {
    PLUGIN_OPTION entry{};
    if (!getFromDictionary(entry, "cabmode")) return;
    cabModeKey = entry.value;
    if (entry.next == nullptr) return;
    cabMode1 = entry.next->value;
    if (cabMode1 != -1) setPanel(cabMode1, 1);
    if (entry.next->next != nullptr) cabMode2 = entry.next->next->value;
}

void klaxonTimeout() {
    const int32_t slot = Option(opt::klaxonindicator);
    if (slot == -1 || hornTimer == -1) return;
    if (tOn(hornTimer, now(), hornDuration)) setPanel(slot, 0);
}

// The train's position in units of 100, 10, 1, 0.1 and 0.01 km or miles, one per slot.
void travelMeter() {
    const int32_t mode = Option(opt::travelmetermode);
    if (mode == -1) return;
    const double unit = mode == 1 ? static_cast<double>(1.609f) : 1.0;
    const struct {
        opt::Key key;
        double divisor;
    } digits[] = {{opt::travelmeter100, 100000.0},
                  {opt::travelmeter10, 10000.0},
                  {opt::travelmeter1, 1000.0},
                  {opt::travelmeter01, 100.0},
                  {opt::travelmeter001, 10.0}};
    for (const auto& digit : digits) {
        const int32_t slot = Option(digit.key);
        if (slot != -1) setPanel(slot, toInt32(gState.location / unit / digit.divisor));
    }
}

void toggleCustomIndicators(int key) {
    for (const PLUGIN_OPTION* pair = &gOpts[opt::customindicators]; pair != nullptr && pair->next != nullptr;
         pair = pair->next->next) {
        if (!keyMatches(key, pair->value)) continue;
        const int32_t slot = pair->next->value;
        setPanel(slot, getPanel(slot) == 0 ? 1 : 0);
    }
}

}  // namespace

// A fresh start: doors open, klaxon lamp idle, cab mode in its first state.
void InitMiscellaneous() {
    doorOpen = true;
    refreshDoors();
    hornTimer = -1;
    hornDuration = 0;
    readCabMode();
    cabMode = true;
}

void DestroyMiscellaneous() {}

// Puts the klaxon lamp out when its time is up and shows the travelled distance.
void RunMiscellaneous() {
    klaxonTimeout();
    travelMeter();
}

// The doors opened or closed.
void setDoorState(bool open) {
    doorOpen = open;
    refreshDoors();
}

// A beacon names the side on which the doors will open; at a stand the lamps follow at once.
void setDoorSide(int8_t side) {
    if (side != -1 && side != 0 && side != 1 && side != 2) return;
    doorSide = side;
    if (atStand()) refreshDoors();
}

// The horn sounded: the klaxon lamp lights for the time configured for that horn.
void hornSounded(int hornType) {
    const int32_t slot = Option(opt::klaxonindicator);
    if (slot == -1 || (hornType != 0 && hornType != 1)) return;
    int32_t duration = 0;
    if (!OptionValue(opt::klaxonindicator, hornType + 1, duration)) return;
    hornTimer = now();
    hornDuration = duration;
    setPanel(slot, 1);
}

// The cab mode switch and the driver's custom indicator lamps.
void miscKeyPressed(int key) {
    if (keyMatches(key, cabModeKey)) {
        if (cabMode1 != -1) setPanel(cabMode1, cabMode ? 0 : 1);
        if (cabMode2 != -1) setPanel(cabMode2, cabMode ? 1 : 0);
        cabMode = !cabMode;
    }
    toggleCustomIndicators(key);
}
