// The scenario reader and the train's physics.
#include "scenario.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

bool toNumber(const std::string& word, double& out) {
    if (word.empty()) return false;
    char* end = nullptr;
    out = std::strtod(word.c_str(), &end);
    return end != nullptr && *end == '\0' && std::isfinite(out);
}

bool toInteger(const std::string& word, int32_t& out) {
    if (!isInteger(word) || word.size() > 11) return false;
    const long long value = std::strtoll(word.c_str(), nullptr, 10);
    if (value < INT32_MIN || value > INT32_MAX) return false;
    out = static_cast<int32_t>(value);
    return true;
}

// "1.0,0.8,0.5" into numbers; false on anything else or a negative number.
bool toList(const std::string& word, std::vector<double>& out) {
    out.clear();
    std::istringstream parts(word);
    for (std::string part; std::getline(parts, part, ',');) {
        double value = 0.0;
        if (!toNumber(part, value) || value < 0.0) return false;
        out.push_back(value);
    }
    return !out.empty();
}

// Words split at blanks; "quoted text" is one word; '#' outside quotes starts a comment.
bool splitWords(const std::string& line, std::vector<std::string>& words) {
    std::string word;
    bool quoted = false;
    bool inWord = false;
    for (const char c : line) {
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == '"') {
            quoted = true;
            inWord = true;
        } else if (c == '#') {
            break;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return !quoted;
}

struct Parser {
    Scenario& out;
    std::string& error;
    int lineNumber = 0;

    bool fail(const std::string& why) {
        error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    }

    bool train(const std::vector<std::string>& w) {
        if (w.empty() || w.size() % 2 != 0) return fail("train takes pairs, e.g. 'train brakes 8 power 5 accel 1.0'");
        TrainModel& t = out.train;
        t.enabled = true;
        for (size_t i = 0; i < w.size(); i += 2) {
            const std::string& name = w[i];
            const std::string& value = w[i + 1];
            std::vector<double> list;
            double number = 0.0;
            int32_t whole = 0;
            if (name == "brakes" || name == "power") {
                if (!toInteger(value, whole) || whole < 1 || whole > 100) return fail(name + " needs 1 to 100 notches");
                (name == "brakes" ? t.brakes : t.power) = whole;
            } else if (name == "accel" || name == "decel") {
                if (!toList(value, list)) return fail(name + " takes m/s² numbers separated by ','");
                (name == "accel" ? t.accel : t.decel) = list;
            } else if (name == "topspeed" || name == "emergency") {
                if (!toNumber(value, number) || number <= 0.0) return fail(name + " needs a number above 0");
                (name == "topspeed" ? t.topSpeed : t.emergency) = number;
            } else if (name == "resistance") {
                if (!toList(value, list) || list.size() > 2) return fail("resistance takes A or A,B in m/s²");
                t.resistance = list[0];
                t.resistance100 = list.size() > 1 ? list[1] : 0.0;
            } else {
                return fail("train does not know '" + name + "'");
            }
        }
        return true;
    }

    bool route(const std::vector<std::string>& w) {
        RouteBeacon beacon;
        if (w.size() < 2 || !toNumber(w[0], beacon.location) || !toInteger(w[1], beacon.type)) {
            return fail("route takes a location in m and a beacon type: 'route 1200 44000 signal 0'");
        }
        if (w.size() % 2 != 0) return fail("route M TYPE [signal N] [optional N] [distance N] [label TEXT]");
        for (size_t i = 2; i < w.size(); i += 2) {
            double number = 0.0;
            if (w[i] == "label") {
                beacon.label = w[i + 1];
            } else if (w[i] == "signal" && toInteger(w[i + 1], beacon.signal)) {
            } else if (w[i] == "optional" && toInteger(w[i + 1], beacon.optional)) {
            } else if (w[i] == "distance" && toNumber(w[i + 1], number)) {
                beacon.distance = static_cast<float>(number);
            } else {
                return fail("route does not understand '" + w[i] + " " + w[i + 1] + "'");
            }
        }
        // Beacons at one place fire in the order written.
        const auto place = std::upper_bound(out.route.begin(), out.route.end(), beacon.location,
                                            [](double m, const RouteBeacon& b) { return m < b.location; });
        out.route.insert(place, beacon);
        return true;
    }

    // label, gauge and watch: a slot to name, to chart as a line, or just to keep in the table.
    bool label(const std::string& command, const std::vector<std::string>& w) {
        SlotLabel slot;
        const bool named = command != "watch";
        const size_t wanted = named ? 3 : 2;
        if (w.size() != wanted || (w[0] != "panel" && w[0] != "sound") || !toInteger(w[1], slot.index) ||
            slot.index < 0 || slot.index > 255) {
            return fail(named ? command + " takes panel|sound, an index 0..255 and a text: " + command +
                                    " panel 12 \"AWS\""
                              : "watch takes panel|sound and an index 0..255");
        }
        slot.sound = w[0] == "sound";
        slot.quiet = command == "gauge";
        if (named) {
            slot.text = w[2];
            if (slot.text.empty()) return fail("a " + command + " needs a text");
        }
        for (auto& known : out.labels) {
            if (known.sound == slot.sound && known.index == slot.index) {
                if (named) known.text = slot.text;
                known.quiet = known.quiet || slot.quiet;
                return true;
            }
        }
        out.labels.push_back(slot);
        return true;
    }

    // The declarations of a scenario; true with handled set when the line was one.
    bool declaration(const std::string& command, const std::vector<std::string>& w, const std::string& folder,
                     bool& handled) {
        handled = true;
        if (command == "config") {
            if (w.size() != 1) return fail("'config' takes one file name");
            out.config = (std::filesystem::path(folder) / w[0]).string();
            return true;
        }
        if (command == "train") return train(w);
        if (command == "route") return route(w);
        if (command == "label" || command == "gauge" || command == "watch") return label(command, w);
        if (command == "title") {
            if (w.size() != 1) return fail("title takes one quoted text");
            out.title = w[0];
            return true;
        }
        if (command == "limit") {
            if (w.size() != 1 || !toInteger(w[0], out.limit) || out.limit <= 0) return fail("limit takes a time in ms");
            return true;
        }
        if (command == "chart") {
            if (w.size() != 1 || (w[0] != "time" && w[0] != "distance")) return fail("chart takes 'time' or 'distance'");
            out.chartByDistance = w[0] == "distance";
            return true;
        }
        handled = false;
        return true;
    }

    bool wait(const std::vector<std::string>& words, ScenarioStep& step, size_t& first) {
        if (words.size() < 3) return fail("'at' needs a time in ms, a location like 1200m or 'stand', and a command");
        const std::string& when = words[1];
        if (when == "stand") {
            step.wait = StepWait::Stand;
        } else if (when.size() > 1 && when.back() == 'm' && toNumber(when.substr(0, when.size() - 1), step.atLocation)) {
            step.wait = StepWait::Location;
        } else if (isInteger(when)) {
            int32_t time = 0;
            if (!toInteger(when, time) || time < 0) return fail("'at' needs a time in ms from 0");
            step.wait = StepWait::Time;
            step.at = time;
        } else {
            return fail("'at' needs a time in ms, a location like 1200m or 'stand', and a command");
        }
        first = 2;
        return true;
    }
};

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
    Parser parser{out, error};
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        ++parser.lineNumber;
        std::vector<std::string> words;
        if (!splitWords(line, words)) return parser.fail("a quote is not closed");
        if (words.empty()) continue;

        ScenarioStep step;
        step.line = parser.lineNumber;
        size_t first = 0;
        if (words[0] == "at" && !parser.wait(words, step, first)) return false;
        step.command = words[first];
        step.words.assign(words.begin() + static_cast<std::ptrdiff_t>(first) + 1, words.end());

        bool declared = false;
        if (!parser.declaration(step.command, step.words, folder, declared)) return false;
        if (declared) {
            if (first != 0) return parser.fail("'" + step.command + "' describes the scenario and takes no 'at'");
            continue;
        }
        const CommandShape* shape = findCommand(step.command);
        if (shape == nullptr) return parser.fail("unknown command '" + step.command + "'");
        if (step.words.size() < shape->minArgs || step.words.size() > shape->maxArgs) {
            return parser.fail("wrong number of arguments for '" + step.command + "'");
        }
        out.steps.push_back(step);
    }
    return true;
}

namespace {

// A list entry by notch, 1 first: one number is the top notch's and scales down evenly;
// a shorter list gives its last number to the notches beyond it.
double perNotch(const std::vector<double>& list, int32_t notch, int32_t notches) {
    if (notch <= 0 || list.empty()) return 0.0;
    if (list.size() == 1) return list[0] * std::min(notch, notches) / notches;
    return list[std::min(static_cast<size_t>(notch), list.size()) - 1];
}

}  // namespace

TrainStep StepTrain(const TrainModel& train, double speedKmh, int32_t brake, int32_t power, int32_t reverser,
                    double dt) {
    const double v0 = speedKmh / 3.6;
    double drive = 0.0;
    if (reverser != 0 && power > 0) {
        const double fade = std::max(0.0, 1.0 - std::fabs(speedKmh) / train.topSpeed);
        drive = (reverser > 0 ? 1.0 : -1.0) * perNotch(train.accel, power, train.power) * fade;
    }
    double hold = train.resistance + train.resistance100 * (speedKmh / 100.0) * (speedKmh / 100.0);
    if (brake > train.brakes) {
        hold += train.emergency;
    } else {
        hold += perNotch(train.decel, brake, train.brakes);
    }
    // Brakes and resistance slow the train down to a stand, never beyond it.
    double v1 = v0 + drive * dt;
    if (v1 > 0.0) {
        v1 = std::max(0.0, v1 - hold * dt);
    } else if (v1 < 0.0) {
        v1 = std::min(0.0, v1 + hold * dt);
    }
    return {v1 * 3.6, (v0 + v1) / 2.0 * dt};
}
