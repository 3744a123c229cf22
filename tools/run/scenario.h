// A scenario: the host calls to replay against the plugin, one command per line, and
// optionally the train, route and labels of a closed-loop drive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What a step waits for before its call is made.
enum class StepWait { None, Time, Location, Stand };

struct ScenarioStep {
    int line = 0;                    // line number in the file, for messages
    StepWait wait = StepWait::None;  // run frames until this holds first
    int32_t at = -1;                 // StepWait::Time: the time in ms
    double atLocation = 0.0;         // StepWait::Location: the location in metres
    std::string command;             // vehicle, initialize, step, speed, run, frame, power, ...
    std::vector<std::string> words;  // the arguments as written (quotes removed)
};

// The train the closed-loop simulator moves with the handles the plugin returns.
struct TrainModel {
    bool enabled = false;            // true once the scenario has a train line
    int32_t brakes = 8;              // service brake notches
    int32_t power = 5;               // power notches
    std::vector<double> accel{1.0};  // m/s² per power notch at a stand; one number: the top notch
    double topSpeed = 160.0;         // km/h at which the tractive effort has fallen to nothing
    std::vector<double> decel{1.0};  // m/s² per brake notch; one number: full service
    double emergency = 1.4;          // m/s² of the emergency brake
    double resistance = 0.02;        // m/s² of running resistance at any speed
    double resistance100 = 0.08;     // m/s² more at 100 km/h, growing with the square of speed
};

// A beacon placed on the line; the host reports it whenever the train passes it.
struct RouteBeacon {
    double location = 0.0;
    int32_t type = 0;
    int32_t signal = 0;
    float distance = 0.0f;
    int32_t optional = 0;
    std::string label;
};

// A slot the author named (or just wants to see) in the outputs.
struct SlotLabel {
    bool sound = false;  // false: a panel slot
    int32_t index = 0;
    std::string text;    // empty: watched without a name
    bool quiet = false;  // a gauge: charted as a line, left out of the timeline
};

struct Scenario {
    std::string config;  // configuration file named by the scenario, resolved against its folder
    std::vector<ScenarioStep> steps;
    TrainModel train;
    std::vector<RouteBeacon> route;  // in order of location
    std::vector<SlotLabel> labels;
    int32_t limit = 600000;          // ms: no run goes beyond this time
    bool chartByDistance = false;    // the chart's horizontal axis: distance instead of time
    std::string title;
};

// Parses the text; false with "line N: reason" in error on the first bad line.
bool ParseScenario(const std::string& text, const std::string& folder, Scenario& out, std::string& error);

// Reads a whole file; false when it cannot be read.
bool ReadTextFile(const std::string& path, std::string& out);

// The physics of one time step: the new speed (km/h) and the distance covered (m) from
// the speed, the handles the plugin returned and dt in seconds.
struct TrainStep {
    double speed;
    double distance;
};
TrainStep StepTrain(const TrainModel& train, double speedKmh, int32_t brake, int32_t power, int32_t reverser,
                    double dt);
