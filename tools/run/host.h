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
    // Loads the plugin (Load); the scenario and the api must outlive the host.
    Host(const PluginApi& api, const Scenario& scenario, TimelineSink sink);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Makes one step's call after waiting for its moment; false with a reason on a bad
    // step. finished is set when the run has reached its time limit.
    bool execute(const ScenarioStep& step, std::string& error, bool& finished);

    const Recording& recording() const { return recording_; }

    // Stops a run that would record more frames than this: the step that gets there
    // fails, so a scenario cannot run away with the time or memory of its host.
    void setFrameLimit(size_t frames) { frameLimit_ = frames; }

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
    static bool fail(std::string& error, const std::string& why);
    bool overran(std::string& error) const;
    bool waitFor(const ScenarioStep& step);
    bool vehicle(const std::vector<std::string>& w, std::string& error);
    bool beacon(const std::vector<std::string>& w, std::string& error);
    void passBeacon(const ATS_BEACONDATA& data, const std::string& label);
    void runUntil(int32_t until);
    void advance(int32_t dt);
    void passRoute(double from, double to);
    void passRouteBeacon(const RouteBeacon& b);
    void frame();
    std::string slot(bool sound, int i) const;
    int direction();
    bool quiet(bool sound, int i) const;
    std::string place() const;
    void event(const std::string& what) const;
    void note(const std::string& what) const;

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
    int32_t panel_[kSlotCount];
    int32_t sound_[kSlotCount];
    int32_t shownPanel_[kSlotCount];
    int32_t shownSound_[kSlotCount];
    HandleOutput shown_{};
    bool printedAny_ = false;
    Recording recording_;
    size_t frameLimit_ = SIZE_MAX;
    bool overrun_ = false;  // a frame was refused at the frame limit
};
