// A scenario: the host calls to replay against the plugin, one command per line, and
// optionally the train, route and labels of a closed-loop drive. The reader checks every
// line when the file is read and hands the host typed steps, so nothing runs from a file
// with a mistake in it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plugin/records.h"
#include "text.h"

// What a step waits for before its call is made.
enum class StepWait { None, Time, Location, Stand };

// The host call of a step (or the host's own setting it changes).
enum class StepKind {
    Vehicle,     // SetVehicleSpec with the fields the step gives
    Initialize,  // Initialize(value), then the driver's three handle reports
    Interval,    // the frame interval becomes value ms ("step")
    Speed,       // the train's speed becomes number km/h
    Location,    // the train moves to number m, passing no beacon
    Run,         // frames for value ms
    Frame,       // one frame at the present time
    Power,       // the driver's power handle to notch value
    Brake,       // the driver's brake handle to notch value
    Reverser,    // the driver's reverser to value (-1, 0, 1)
    Key,         // key value pressed and released
    KeyDown,     // key value pressed
    KeyUp,       // key value released
    Horn,        // HornBlow(value)
    DoorOpen,
    DoorClose,
    Signal,      // SetSignal(value)
    Beacon,      // SetBeaconData(beacon), wherever the train is
};

// The fields a vehicle step sets; the others keep what the host last reported.
struct VehicleChange {
    std::optional<int32_t> brakes, power, ats, b67, cars;
};

// One step as ParseScenario reads it, every number already within its range.
struct ScenarioStep {
    int line = 0;                    // line number in the file, for messages
    StepWait wait = StepWait::None;  // run frames until this holds first
    int32_t at = 0;                  // StepWait::Time: the time in ms
    double atLocation = 0.0;         // StepWait::Location: the location in metres
    StepKind kind = StepKind::Frame;
    int32_t value = 0;               // notch, position, key, horn, mode, signal or ms
    double number = 0.0;             // Speed: km/h; Location: m
    ATS_BEACONDATA beacon{};         // Beacon
    VehicleChange vehicle;           // Vehicle
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
    ATS_BEACONDATA data{};
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
    int32_t limit = 600000;          // ms: the host's clock never goes beyond this time
    bool chartByDistance = false;    // the chart's horizontal axis: distance instead of time
    std::string title;
};

// Why a scenario was refused: the line (0 for the file as a whole) and what is wrong.
struct ScenarioError {
    int line = 0;
    std::string message;
};

// Reads the whole text into out, checking every line; false with the first mistake in
// error. A text without a single step is refused: it would run nothing.
bool ParseScenario(const std::string& text, const std::string& folder, Scenario& out, ScenarioError& error);

// The physics of one time step: the new speed (km/h) and the distance covered (m) from
// the speed, the handles the plugin returned and dt in seconds.
struct TrainStep {
    double speed;
    double distance;
};
TrainStep StepTrain(const TrainModel& train, double speedKmh, int32_t brake, int32_t power, int32_t reverser,
                    double dt);
