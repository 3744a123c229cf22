// footplate-run's simulator host: replays a scenario against the plugin, moving the
// train with the handles the plugin returns and writing a timeline of what changed.
#include "host.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

int32_t toInt(const std::string& word) {
    const long long value = std::strtoll(word.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

std::string trim(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// printf into a string, for the timeline's lines.
__attribute__((format(printf, 1, 2))) std::string format(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, pattern, args);
    va_end(args);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0u, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, pattern, again);
    va_end(again);
    return text;
}

}  // namespace

Host::Host(const PluginApi& api, const Scenario& scenario, TimelineSink sink)
    : api_(api), scenario_(scenario), sink_(std::move(sink)), train_(scenario.train) {
    for (int i = 0; i < kSlotCount; ++i) {
        panel_[i] = 0;
        sound_[i] = kSoundStop;
        shownPanel_[i] = panel_[i];
        shownSound_[i] = sound_[i];
    }
    if (train_.enabled) {
        spec_.brakeNotches = train_.brakes;
        spec_.powerNotches = train_.power;
    }
    api_.Load();
}

Host::~Host() { api_.Dispose(); }

bool Host::execute(const ScenarioStep& step, std::string& error, bool& finished) {
    const bool due = waitFor(step);
    if (overrun_) return overran(error);
    if (!due) {
        finished = true;
        return true;
    }
    const auto& w = step.words;
    const std::string& c = step.command;
    if (c == "vehicle") return vehicle(w, error);
    if (c == "initialize") {
        const int32_t mode = w.empty() ? 0 : toInt(w[0]);
        if (!specSent_) api_.SetVehicleSpec(spec_), specSent_ = true;
        event("initialize " + std::to_string(mode));
        api_.Initialize(mode);
        // Hosts report the driver's handles right after every start.
        api_.SetPower(driver_.power);
        api_.SetBrake(driver_.brake);
        api_.SetReverser(driver_.reverser);
    } else if (c == "step") {
        step_ = toInt(w[0]);
        if (step_ <= 0) return fail(error, "step must be at least 1 ms");
    } else if (c == "speed") {
        speed_ = std::strtod(w[0].c_str(), nullptr);
        // The host hands the speed over as a float: keep it well inside that range.
        if (!std::isfinite(speed_) || std::fabs(speed_) > 100000.0) {
            speed_ = 0.0;
            return fail(error, "speed must be a number of km/h within +-100000");
        }
    } else if (c == "location") {
        location_ = std::strtod(w[0].c_str(), nullptr);
        if (!std::isfinite(location_)) return fail(error, "location must be a number");
    } else if (c == "run") {
        const int32_t span = toInt(w[0]);
        if (span < 0) return fail(error, "run takes a time in ms from 0");
        runUntil(time_ + std::min(span, INT32_MAX - time_));
        if (overrun_) return overran(error);
    } else if (c == "frame") {
        frame();
    } else if (c == "power") {
        driver_.power = toInt(w[0]);
        event("power " + w[0]);
        api_.SetPower(driver_.power);
    } else if (c == "brake") {
        driver_.brake = toInt(w[0]);
        event("brake " + w[0]);
        api_.SetBrake(driver_.brake);
    } else if (c == "reverser") {
        driver_.reverser = toInt(w[0]);
        event("reverser " + w[0]);
        api_.SetReverser(driver_.reverser);
    } else if (c == "key" || c == "keydown" || c == "keyup") {
        event(c + " " + w[0]);
        if (c != "keyup") api_.KeyDown(toInt(w[0]));
        if (c != "keydown") api_.KeyUp(toInt(w[0]));
    } else if (c == "horn") {
        event("horn " + w[0]);
        api_.HornBlow(toInt(w[0]));
    } else if (c == "door") {
        if (w[0] != "open" && w[0] != "close") return fail(error, "door takes 'open' or 'close'");
        event("door " + w[0]);
        if (w[0] == "open") {
            api_.DoorOpen();
        } else {
            api_.DoorClose();
        }
    } else if (c == "signal") {
        event("signal " + w[0]);
        api_.SetSignal(toInt(w[0]));
    } else if (c == "beacon") {
        return beacon(w, error);
    }
    return true;
}

bool Host::fail(std::string& error, const std::string& why) {
    error = why;
    return false;
}

bool Host::overran(std::string& error) const {
    return fail(error, "the run goes past " + std::to_string(frameLimit_) + " frames, the most this host records");
}

// Runs frames until the step's moment; false when the time limit came first.
bool Host::waitFor(const ScenarioStep& step) {
    switch (step.wait) {
        case StepWait::None:
            return true;
        case StepWait::Time:
            runUntil(step.at);
            return true;
        case StepWait::Location: {
            // Due when the train crosses the location, or at once when it already stands
            // beyond it in the direction it is going.
            const double target = step.atLocation;
            const double ahead = direction() * (location_ - target);
            bool reached = ahead >= 0.0;
            while (!reached && time_ < scenario_.limit && !overrun_) {
                const double from = location_;
                advance(std::min(step_, scenario_.limit - time_));
                reached = std::min(from, location_) <= target && target <= std::max(from, location_);
            }
            if (reached || overrun_) return reached;
            note("limit reached before " + trim(target) + " m (line " + std::to_string(step.line) + ")");
            return false;
        }
        case StepWait::Stand:
            while (speed_ != 0.0 && time_ < scenario_.limit && !overrun_) {
                advance(std::min(step_, scenario_.limit - time_));
            }
            if (speed_ == 0.0 || overrun_) return speed_ == 0.0;
            note("limit reached before the train stood (line " + std::to_string(step.line) + ")");
            return false;
    }
    return true;
}

bool Host::vehicle(const std::vector<std::string>& w, std::string& error) {
    if (w.size() % 2 != 0) return fail(error, "vehicle takes pairs: brakes N power N ats N b67 N cars N");
    for (size_t i = 0; i < w.size(); i += 2) {
        const int32_t v = toInt(w[i + 1]);
        if (w[i] == "brakes") {
            spec_.brakeNotches = v;
        } else if (w[i] == "power") {
            spec_.powerNotches = v;
        } else if (w[i] == "ats") {
            spec_.atsNotch = v;
        } else if (w[i] == "b67") {
            spec_.b67Notch = v;
        } else if (w[i] == "cars") {
            spec_.cars = v;
        } else {
            return fail(error, "vehicle does not know '" + w[i] + "'");
        }
    }
    if (train_.enabled && (spec_.brakeNotches < 1 || spec_.powerNotches < 1)) {
        return fail(error, "a train needs at least one brake and one power notch");
    }
    train_.brakes = spec_.brakeNotches;
    train_.power = spec_.powerNotches;
    api_.SetVehicleSpec(spec_);
    specSent_ = true;
    return true;
}

bool Host::beacon(const std::vector<std::string>& w, std::string& error) {
    ATS_BEACONDATA data{toInt(w[0]), 0, 0.0f, 0};
    if ((w.size() - 1) % 2 != 0) return fail(error, "beacon TYPE [signal N] [distance N] [optional N]");
    for (size_t i = 1; i < w.size(); i += 2) {
        if (w[i] == "signal") {
            data.signal = toInt(w[i + 1]);
        } else if (w[i] == "distance") {
            data.distance = std::strtof(w[i + 1].c_str(), nullptr);
        } else if (w[i] == "optional") {
            data.optional = toInt(w[i + 1]);
        } else {
            return fail(error, "beacon does not know '" + w[i] + "'");
        }
    }
    passBeacon(data, "");
    return true;
}

void Host::passBeacon(const ATS_BEACONDATA& data, const std::string& label) {
    std::string text = "beacon " + std::to_string(data.type) + " signal " + std::to_string(data.signal) +
                       " optional " + std::to_string(data.optional);
    if (!label.empty()) text += " (" + label + ")";
    event(text);
    recording_.beacons.push_back({time_, location_, data.type, label});
    api_.SetBeaconData(data);
}

void Host::runUntil(int32_t until) {
    while (time_ < until && !overrun_) advance(std::min(step_, until - time_));
}

// One frame interval: the train moves (with the handles of the last frame), the
// beacons it passed are reported, then the frame.
void Host::advance(int32_t dt) {
    if (recording_.frames.size() >= frameLimit_) {
        overrun_ = true;
        return;
    }
    time_ += dt;
    const double from = location_;
    if (train_.enabled) {
        const TrainStep moved = StepTrain(train_, speed_, lastOut_.brake, lastOut_.power, lastOut_.reverser,
                                          dt / 1000.0);
        speed_ = moved.speed;
        location_ += moved.distance;
    } else {
        location_ += speed_ * dt / 3600.0;
    }
    passRoute(from, location_);
    frame();
}

// A beacon is passed each time the train crosses its location, in either direction,
// in the order the train meets them.
void Host::passRoute(double from, double to) {
    const auto& route = scenario_.route;
    if (to > from) {
        for (const auto& b : route) {
            if (from < b.location && to >= b.location) passRouteBeacon(b);
        }
    } else if (to < from) {
        for (auto b = route.rbegin(); b != route.rend(); ++b) {
            if (from >= b->location && to < b->location) passRouteBeacon(*b);
        }
    }
}

void Host::passRouteBeacon(const RouteBeacon& b) {
    passBeacon(ATS_BEACONDATA{b.type, b.signal, b.distance, b.optional}, b.label);
}

void Host::frame() {
    ATS_VEHICLESTATE state{};
    state.location = location_;
    state.speed = static_cast<float>(speed_);
    state.time = time_;
    const HandleOutput out = api_.Elapse(state, panel_, sound_);
    lastOut_ = out;
    const size_t index = recording_.frames.size();
    recording_.frames.push_back({time_, location_, speed_, out.brake, out.power, out.reverser});
    recording_.brakeNotches = spec_.brakeNotches;
    recording_.powerNotches = spec_.powerNotches;
    std::string changes;
    for (int i = 0; i < kSlotCount; ++i) {
        if (panel_[i] != shownPanel_[i]) {
            if (!quiet(false, i)) changes += " " + slot(false, i) + "=" + std::to_string(panel_[i]);
            recording_.changes.push_back({index, false, i, panel_[i]});
        }
    }
    for (int i = 0; i < kSlotCount; ++i) {
        if (sound_[i] != shownSound_[i]) {
            if (!quiet(true, i)) changes += " " + slot(true, i) + "=" + std::to_string(sound_[i]);
            recording_.changes.push_back({index, true, i, sound_[i]});
        }
        // A sound played once keeps playing until it ends: the host marks it "continue".
        if (sound_[i] == kSoundOnce) sound_[i] = kSoundContinue;
    }
    const bool handlesChanged = !printedAny_ || out.brake != shown_.brake || out.power != shown_.power ||
                                out.reverser != shown_.reverser;
    if (handlesChanged || !changes.empty()) {
        sink_(format("%9.3f s%s %6.1f km/h  brake %2d  power %2d  reverser %2d%s\n", time_ / 1000.0, place().c_str(),
                     speed_, out.brake, out.power, out.reverser, changes.c_str()));
        shown_ = out;
        printedAny_ = true;
    }
    for (int i = 0; i < kSlotCount; ++i) {
        shownPanel_[i] = panel_[i];
        shownSound_[i] = sound_[i];
    }
}

// A slot as the timeline names it: the author's label in quotes, else panel[N] / sound[N].
std::string Host::slot(bool sound, int i) const {
    const bool named = std::any_of(scenario_.labels.begin(), scenario_.labels.end(), [&](const SlotLabel& l) {
        return l.sound == sound && l.index == i && !l.text.empty();
    });
    const std::string name = SlotName(scenario_, sound, i);
    return named ? "\"" + name + "\"" : name;
}

// The way the train is going: by its speed, else by the driver's reverser, else the
// way it last moved.
int Host::direction() {
    if (speed_ != 0.0) lastDirection_ = speed_ > 0.0 ? 1 : -1;
    if (speed_ == 0.0 && driver_.reverser != 0) return driver_.reverser > 0 ? 1 : -1;
    return lastDirection_;
}

bool Host::quiet(bool sound, int i) const {
    return std::any_of(scenario_.labels.begin(), scenario_.labels.end(),
                       [&](const SlotLabel& l) { return l.quiet && l.sound == sound && l.index == i; });
}

// The location column, shown only when the scenario drives a train along a route.
std::string Host::place() const {
    if (!train_.enabled) return "";
    char text[32];
    std::snprintf(text, sizeof text, " %8.1f m", location_);
    return text;
}

void Host::event(const std::string& what) const {
    sink_(format("%9.3f s%s  > %s\n", time_ / 1000.0, place().c_str(), what.c_str()));
}

void Host::note(const std::string& what) const {
    sink_(format("%9.3f s%s  ! %s\n", time_ / 1000.0, place().c_str(), what.c_str()));
}
