#include "scenario.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

// Each command with the fewest and most arguments it takes.
struct CommandShape {
    const char* name;
    size_t minArgs;
    size_t maxArgs;
};

constexpr CommandShape kCommands[] = {
    {"vehicle", 0, 10}, {"initialize", 0, 1}, {"step", 1, 1},   {"speed", 1, 1},    {"run", 1, 1},
    {"frame", 0, 0},    {"power", 1, 1},      {"brake", 1, 1},  {"reverser", 1, 1}, {"key", 1, 1},
    {"keydown", 1, 1},  {"keyup", 1, 1},      {"horn", 1, 1},   {"door", 1, 1},     {"beacon", 1, 7},
    {"signal", 1, 1},   {"location", 1, 1},
};

const CommandShape* findCommand(const std::string& name) {
    for (const auto& shape : kCommands) {
        if (name == shape.name) return &shape;
    }
    return nullptr;
}

bool isInteger(const std::string& word) {
    size_t i = (word.size() > 1 && word[0] == '-') ? 1 : 0;
    if (i == word.size()) return false;
    for (; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9') return false;
    }
    return true;
}

}  // namespace

bool ReadTextFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    out = text.str();
    return true;
}

bool ParseScenario(const std::string& text, const std::string& folder, Scenario& out, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (const size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream in(line);
        std::vector<std::string> words;
        for (std::string word; in >> word;) words.push_back(word);
        if (words.empty()) continue;

        ScenarioStep step;
        step.line = number;
        size_t first = 0;
        if (words[0] == "at") {
            if (words.size() < 3 || !isInteger(words[1])) {
                error = "line " + std::to_string(number) + ": 'at' needs a time in ms and a command";
                return false;
            }
            step.at = static_cast<int32_t>(std::stol(words[1]));
            first = 2;
        }
        step.command = words[first];
        step.words.assign(words.begin() + static_cast<std::ptrdiff_t>(first) + 1, words.end());

        if (step.command == "config") {
            if (step.words.size() != 1) {
                error = "line " + std::to_string(number) + ": 'config' takes one file name";
                return false;
            }
            out.config = (std::filesystem::path(folder) / step.words[0]).string();
            continue;
        }
        const CommandShape* shape = findCommand(step.command);
        if (shape == nullptr) {
            error = "line " + std::to_string(number) + ": unknown command '" + step.command + "'";
            return false;
        }
        if (step.words.size() < shape->minArgs || step.words.size() > shape->maxArgs) {
            error = "line " + std::to_string(number) + ": wrong number of arguments for '" + step.command + "'";
            return false;
        }
        out.steps.push_back(step);
    }
    return true;
}
