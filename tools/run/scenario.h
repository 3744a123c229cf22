// A scenario: the host calls to replay against the plugin, one command per line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ScenarioStep {
    int line = 0;             // line number in the file, for messages
    int32_t at = -1;          // run frames up to this time first; -1: now
    std::string command;      // vehicle, initialize, step, speed, run, frame, power, ...
    std::vector<std::string> words;  // the arguments as written
};

struct Scenario {
    std::string config;  // configuration file named by the scenario, resolved against its folder
    std::vector<ScenarioStep> steps;
};

// Parses the text; false with "line N: reason" in error on the first bad line.
bool ParseScenario(const std::string& text, const std::string& folder, Scenario& out, std::string& error);

// Reads a whole file; false when it cannot be read.
bool ReadTextFile(const std::string& path, std::string& out);
