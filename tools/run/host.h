// The simulator host of footplate-run as a library: it plays a scenario's steps towards
// the plugin's sixteen exports, moves the train along its route and hands each line of
// its timeline to a sink, so a program can print it and a page can show it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "plugin_loader.h"
#include "recording.h"
#include "scenario.h"

// Receives each timeline line, '\n' included.
using TimelineSink = std::function<void(const std::string& line)>;

class Host {
public:
    // Loads the plugin (Load) and writes the timeline's header; the scenario and the api
    // must outlive the host.
    Host(const PluginApi& api, const Scenario& scenario, TimelineSink sink);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Waits for the step's moment, then makes its call. False when the run can go no
    // further (stopped() says why): this step and every later one are then not made.
    bool execute(const ScenarioStep& step);
    // Why the run went no further: the scenario's time limit came first (the host's clock
    // stops there and the timeline notes it), or the frame limit of setFrameLimit.
    enum class Stop { None, TimeLimit, FrameLimit };
    Stop stopped() const { return stop_; }

    // Stops a run that would record more frames than this, so a scenario cannot run away
    // with the time or memory of its host.
    void setFrameLimit(size_t frames) { frameLimit_ = frames; }
    size_t frameLimit() const { return frameLimit_; }

    const Recording& recording() const { return recording_; }

    // The train and the cab as the last frame left them, for a host driven step by step.
    int32_t time() const { return time_; }
    int32_t frameInterval() const { return step_; }
    double speed() const { return speed_; }
    double location() const { return location_; }
    const HandleOutput& handles() const { return lastOut_; }  // as the plugin returned them
    const HandleOutput& driver() const { return driver_; }     // as the driver set them
    const ATS_VEHICLESPEC& spec() const { return spec_; }
    const int32_t* panel() const { return panel_; }
    const int32_t* sound() const { return sound_; }

private:
    bool waitFor(const ScenarioStep& step);
    bool runUntil(int64_t until, const ScenarioStep& step);
    void call(const ScenarioStep& step);
    void vehicle(const VehicleChange& change);
    void passBeacon(const ATS_BEACONDATA& data, const std::string& label);
    void advance(int32_t dt);
    void passRoute(double from, double to);
    void frame();
    std::string slot(bool sound, int i) const;
    int direction();
    bool quiet(bool sound, int i) const;
    std::string place() const;
    void event(const std::string& what) const;
    void stopAtLimit(const std::string& before, const ScenarioStep& step);

    const PluginApi& api_;
    const Scenario& scenario_;
    TimelineSink sink_;
    TrainModel train_;
    ATS_VEHICLESPEC spec_{8, 5, 0, 0, 1};
    bool specSent_ = false;
    HandleOutput driver_{0, 0, 0, 0};
    HandleOutput lastOut_{0, 0, 0, 0};
    int32_t time_ = 0;
    int32_t step_ = 100;
    double speed_ = 0.0;
    double location_ = 0.0;
    int lastDirection_ = 1;  // the way the train last moved
    Stop stop_ = Stop::None;
    size_t frameLimit_ = SIZE_MAX;
    int32_t panel_[kSlotCount];
    int32_t sound_[kSlotCount];
    int32_t recordedPanel_[kSlotCount];  // the slots as the recording last holds them
    int32_t recordedSound_[kSlotCount];
    int32_t hostSound_[kSlotCount];      // the sound slots as the host left them after the last frame
    HandleOutput shown_{};
    bool printedAny_ = false;
    Recording recording_;
};

// What a sound slot's value tells the host: "stop", "loop", "once", "continue", or a
// volume ("volume -25 dB") for a looped sound played quieter.
std::string SoundWord(int32_t value);
