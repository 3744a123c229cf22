// The interval timer, the flashing indicator and the float-to-integer conversion.
#include "plugin/tools.h"

#include <cmath>
#include <limits>

int32_t toInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

bool tOn(int32_t& timer, int32_t now, int32_t interval) {
    if (timer == 0) {
        timer = now;
        return false;
    }
    // The difference wraps as 32-bit arithmetic does, so a clock near the int32 limits
    // never overflows.
    const int32_t elapsed = static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(timer));
    if (elapsed >= interval) {
        timer = static_cast<int32_t>(static_cast<uint32_t>(timer) + static_cast<uint32_t>(interval));
        return true;
    }
    return false;
}

Indicator NewIndicator(int optionIndex, int32_t value) {
    return Indicator{&gOpts[optionIndex], value, -1, false};
}

void ShowIndicator(Indicator& indicator) {
    const int32_t index = indicator.opt->value;
    if (index == -1) return;
    int32_t period = 0;
    if (indicator.timer != -1 && ListValue(*indicator.opt, 1, period)) {
        if (tOn(indicator.timer, now(), period)) indicator.phase = !indicator.phase;
    }
    setPanel(index, indicator.phase ? indicator.value : 0);
}

void addLog(const char*) {}

void dumpLog() {}
