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

constexpr double kFastest = 100000.0;  // km/h either way

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
        panel_[i] = recordedPanel_[i] = 0;
        sound_[i] = recordedSound_[i] = hostSound_[i] = kSoundStop;
    }
    if (train_.enabled) {
        spec_.brakeNotches = train_.brakes;
        spec_.powerNotches = train_.power;
    }
    sink_(format("%11s%s%12s  %s\n", "time", train_.enabled ? "   location" : "", "speed",
                 "handles the plugin returned, then the slots that changed (> a host call, ! a note)"));
    api_.Load();
}

Host::~Host() { api_.Dispose(); }

bool Host::execute(const ScenarioStep& step) {
    if (stop_ != Stop::None || !waitFor(step)) return false;
    if (step.kind == StepKind::Run) return runUntil(int64_t{time_} + step.value, step);
    call(step);
    return true;
}

// Everything but a run: the host's own settings and the calls towards the plugin.
void Host::call(const ScenarioStep& step) {
    const std::string value = std::to_string(step.value);
    switch (step.kind) {
        case StepKind::Vehicle:
            vehicle(step.vehicle);
            break;
        case StepKind::Initialize:
            if (!specSent_) api_.SetVehicleSpec(spec_), specSent_ = true;
            event("initialize " + value);
            api_.Initialize(step.value);
            // Hosts report the driver's handles right after every start.
            api_.SetPower(driver_.power);
            api_.SetBrake(driver_.brake);
            api_.SetReverser(driver_.reverser);
            break;
        // ParseScenario keeps these in range; a step made elsewhere must not stall the clock
        // or hand the plugin a speed its float cannot hold.
        case StepKind::Interval:
            step_ = std::max(step.value, 1);
            break;
        case StepKind::Speed:
            speed_ = std::clamp(step.number, -kFastest, kFastest);
            break;
        case StepKind::Location:
            location_ = step.number;
            break;
        case StepKind::Run:  // execute runs the frames itself
            break;
        case StepKind::Frame:
            frame();
            break;
        case StepKind::Power:
            driver_.power = step.value;
            event("power " + value);
            api_.SetPower(step.value);
            break;
        case StepKind::Brake:
            driver_.brake = step.value;
            event("brake " + value);
            api_.SetBrake(step.value);
            break;
        case StepKind::Reverser:
            driver_.reverser = step.value;
            event("reverser " + value);
            api_.SetReverser(step.value);
            break;
        case StepKind::Key:
        case StepKind::KeyDown:
        case StepKind::KeyUp:
            event((step.kind == StepKind::Key ? "key " : step.kind == StepKind::KeyDown ? "keydown " : "keyup ") + value);
            if (step.kind != StepKind::KeyUp) api_.KeyDown(step.value);
            if (step.kind != StepKind::KeyDown) api_.KeyUp(step.value);
            break;
        case StepKind::Horn:
            event("horn " + value);
            api_.HornBlow(step.value);
            break;
        case StepKind::DoorOpen:
            event("door open");
            api_.DoorOpen();
            break;
        case StepKind::DoorClose:
            event("door close");
            api_.DoorClose();
            break;
        case StepKind::Signal:
            event("signal " + value);
            api_.SetSignal(step.value);
            break;
        case StepKind::Beacon:
            passBeacon(step.beacon, "");
            break;
    }
}

// Runs frames until the step's moment; false when the time limit came first.
bool Host::waitFor(const ScenarioStep& step) {
    switch (step.wait) {
        case StepWait::None:
            return true;
        case StepWait::Time:
            return runUntil(step.at, step);
        case StepWait::Location: {
            // Due when the train crosses the location, or at once when it already stands
            // beyond it in the direction it is going.
            const double target = step.atLocation;
            bool reached = direction() * (location_ - target) >= 0.0;
            while (!reached && time_ < scenario_.limit && stop_ == Stop::None) {
                const double from = location_;
                advance(std::min(step_, scenario_.limit - time_));
                reached = std::min(from, location_) <= target && target <= std::max(from, location_);
            }
            if (!reached) stopAtLimit(trim(target) + " m", step);
            return reached;
        }
        case StepWait::Stand:
            while (speed_ != 0.0 && time_ < scenario_.limit && stop_ == Stop::None) {
                advance(std::min(step_, scenario_.limit - time_));
            }
            if (speed_ != 0.0) stopAtLimit("the train stood", step);
            return speed_ == 0.0;
    }
    return true;
}

// Frames up to the time until, never beyond the limit; false when the limit cut it short.
bool Host::runUntil(int64_t until, const ScenarioStep& step) {
    const int32_t end = static_cast<int32_t>(std::min<int64_t>(until, scenario_.limit));
    while (time_ < end && stop_ == Stop::None) advance(std::min(step_, end - time_));
    if (until <= scenario_.limit && stop_ == Stop::None) return true;
    stopAtLimit(trim(static_cast<double>(until) / 1000.0) + " s", step);
    return false;
}

// The time limit ends the run with a note; the frame limit has ended it already.
void Host::stopAtLimit(const std::string& before, const ScenarioStep& step) {
    if (stop_ == Stop::FrameLimit) return;
    stop_ = Stop::TimeLimit;
    sink_(format("%9.3f s%s  ! limit reached before %s (line %d)\n", time_ / 1000.0, place().c_str(), before.c_str(),
                 step.line));
}

void Host::vehicle(const VehicleChange& change) {
    if (change.brakes) spec_.brakeNotches = *change.brakes;
    if (change.power) spec_.powerNotches = *change.power;
    if (change.ats) spec_.atsNotch = *change.ats;
    if (change.b67) spec_.b67Notch = *change.b67;
    if (change.cars) spec_.cars = *change.cars;
    // The train's physics divide by its notches; a host given none keeps at least one.
    train_.brakes = std::max(spec_.brakeNotches, 1);
    train_.power = std::max(spec_.powerNotches, 1);
    api_.SetVehicleSpec(spec_);
    specSent_ = true;
}

void Host::passBeacon(const ATS_BEACONDATA& data, const std::string& label) {
    std::string text = "beacon " + std::to_string(data.type) + " signal " + std::to_string(data.signal) +
                       " optional " + std::to_string(data.optional);
    if (!label.empty()) text += " (" + Printable(label) + ")";
    event(text);
    recording_.beacons.push_back({time_, location_, data.type, label});
    api_.SetBeaconData(data);
}

// One frame interval: the train moves (with the handles of the last frame), the
// beacons it passed are reported, then the frame.
void Host::advance(int32_t dt) {
    if (recording_.frames.size() >= frameLimit_) {
        stop_ = Stop::FrameLimit;
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
            if (from < b.location && to >= b.location) passBeacon(b.data, b.label);
        }
    } else if (to < from) {
        for (auto b = route.rbegin(); b != route.rend(); ++b) {
            if (from >= b->location && to < b->location) passBeacon(b->data, b->label);
        }
    }
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
        if (panel_[i] == recordedPanel_[i]) continue;
        if (!quiet(false, i)) changes += " " + slot(false, i) + "=" + std::to_string(panel_[i]);
        recording_.changes.push_back({index, false, i, panel_[i]});
        recordedPanel_[i] = panel_[i];
    }
    for (int i = 0; i < kSlotCount; ++i) {
        // What the plugin wrote shows in the timeline; the record also takes the host's own
        // mark of a sound it has started, so a table shows each play as 1, then 2.
        const bool written = sound_[i] != hostSound_[i];
        if (written || sound_[i] != recordedSound_[i]) {
            recording_.changes.push_back({index, true, i, sound_[i]});
            recordedSound_[i] = sound_[i];
        }
        if (written && !quiet(true, i)) {
            changes += " " + slot(true, i) + "=" + std::to_string(sound_[i]) + " (" + SoundWord(sound_[i]) + ")";
        }
        // A sound played once keeps playing until it ends: the host marks it "continue".
        if (sound_[i] == kSoundOnce) sound_[i] = kSoundContinue;
        hostSound_[i] = sound_[i];
    }
    const bool handlesChanged = !printedAny_ || out.brake != shown_.brake || out.power != shown_.power ||
                                out.reverser != shown_.reverser;
    if (handlesChanged || !changes.empty()) {
        sink_(format("%9.3f s%s %6.1f km/h  brake %2d  power %2d  reverser %2d%s\n", time_ / 1000.0, place().c_str(),
                     speed_, out.brake, out.power, out.reverser, changes.c_str()));
        shown_ = out;
        printedAny_ = true;
    }
}

// A slot as the timeline names it: the author's label in quotes, else panel[N] / sound[N].
std::string Host::slot(bool sound, int i) const {
    const bool named = std::any_of(scenario_.labels.begin(), scenario_.labels.end(), [&](const SlotLabel& l) {
        return l.sound == sound && l.index == i && !l.text.empty();
    });
    const std::string name = Printable(SlotName(scenario_, sound, i));
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

std::string SoundWord(int32_t value) {
    switch (value) {
        case kSoundStop:
            return "stop";
        case kSoundLoop:
            return "loop";
        case kSoundOnce:
            return "once";
        case kSoundContinue:
            return "continue";
        default:
            break;
    }
    // Between stop and loop the host loops the sound at a volume in hundredths of a decibel.
    if (value > kSoundStop && value < kSoundLoop) return "volume " + trim(value / 100.0) + " dB";
    return "not a sound command";
}
