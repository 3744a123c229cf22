// Small tools every subsystem uses: guarded panel and sound access, key matching, the
// float-to-integer conversion, the interval timer and the flashing indicator.
#pragma once

#include <cstdint>

#include "config/confload.h"
#include "plugin/state.h"

// The one guarded access to a host array: a slot outside 0..255 (and -1, "not
// configured") is never touched, and reads as 0.
inline bool slotInRange(int32_t index) { return index >= 0 && index < kSlotCount; }
inline void writeSlot(int32_t* array, int32_t index, int32_t value) {
    if (slotInRange(index)) array[index] = value;
}
inline int32_t readSlot(const int32_t* array, int32_t index) {
    return slotInRange(index) ? array[index] : 0;
}
inline void setPanel(int32_t index, int32_t value) { writeSlot(gPanel, index, value); }
inline int32_t getPanel(int32_t index) { return readSlot(gPanel, index); }
inline void setSound(int32_t index, int32_t value) { writeSlot(gSound, index, value); }
inline int32_t getSound(int32_t index) { return readSlot(gSound, index); }

// A key number of -1 marks a key that is not configured: no key matches it.
inline bool keyMatches(int key, int32_t configured) { return configured != -1 && key == configured; }
inline bool keyMatches(int key, opt::Key option) { return keyMatches(key, Option(option)); }

// Every float-to-integer conversion: truncates toward zero, saturates at the int32 range,
// and gives 0 for NaN, so no host value can make a conversion undefined.
int32_t toInt32(double value);

// Interval timer on the simulation clock: true each time a full interval has passed.
// 0 starts the timer at this call; negative timers are the caller's stopped markers.
bool tOn(int32_t& timer, int32_t now, int32_t interval);

// A panel lamp, steady or flashing with the period given as its option's second value.
struct Indicator {
    const PLUGIN_OPTION* opt;
    int32_t value;
    int32_t timer;
    bool phase;
};

Indicator NewIndicator(int optionIndex, int32_t value);
void ShowIndicator(Indicator& indicator);

// The log hook: nothing is logged.
void addLog(const char* text);
void dumpLog();
