// The scenario reader, which checks every line before anything runs, and the train's physics.
#include "scenario.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

constexpr int64_t kLowest = INT32_MIN;
constexpr int64_t kHighest = INT32_MAX;
constexpr double kFastest = 100000.0;  // km/h either way: the host hands speeds over as floats

// A whole number as written: an optional '-' and decimal digits, within low..high.
bool wholeNumber(const std::string& word, int64_t low, int64_t high, int32_t& out) {
    const size_t first = !word.empty() && word[0] == '-' ? 1 : 0;
    if (first == word.size()) return false;
    int64_t magnitude = 0;
    for (size_t i = first; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9') return false;
        magnitude = std::min<int64_t>(magnitude * 10 + (word[i] - '0'), kHighest + 2);
    }
    const int64_t value = first == 1 ? -magnitude : magnitude;
    if (value < low || value > high) return false;
    out = static_cast<int32_t>(value);
    return true;
}

// A finite decimal number: digits, '.', a sign and an exponent, nothing else.
bool realNumber(const std::string& word, double& out) {
    if (word.empty() || word.find_first_not_of("0123456789.-+eE") != std::string::npos) return false;
    char* end = nullptr;
    out = std::strtod(word.c_str(), &end);
    return end == word.c_str() + word.size() && std::isfinite(out);
}

std::string range(int64_t low, int64_t high) {
    if (low == kLowest && high == kHighest) return "a whole number";
    if (high == kHighest) return "a whole number, " + std::to_string(low) + " or more";
    return "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
}

std::string quoted(const std::string& word) { return "'" + Printable(word) + "'"; }

// "1.0,0.8,0.5" into numbers; false on anything else or a negative number.
bool toList(const std::string& word, std::vector<double>& out) {
    out.clear();
    std::istringstream parts(word);
    for (std::string part; std::getline(parts, part, ',');) {
        double value = 0.0;
        if (!realNumber(part, value) || value < 0.0) return false;
        out.push_back(value);
    }
    return !out.empty() && word.back() != ',';
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

// The steps that take one whole number (initialize: at most one), with its range.
struct NumberStep {
    const char* name;
    StepKind kind;
    int64_t low;
    int64_t high;
    const char* what;
};

constexpr NumberStep kNumberSteps[] = {
    {"initialize", StepKind::Initialize, kLowest, kHighest, "a brake mode"},
    {"step", StepKind::Interval, 1, kHighest, "a frame interval in ms"},
    {"run", StepKind::Run, 0, kHighest, "a time in ms"},
    {"power", StepKind::Power, kLowest, kHighest, "a notch"},
    {"brake", StepKind::Brake, kLowest, kHighest, "a notch"},
    {"reverser", StepKind::Reverser, -1, 1, "a position"},
    {"key", StepKind::Key, kLowest, kHighest, "a key number"},
    {"keydown", StepKind::KeyDown, kLowest, kHighest, "a key number"},
    {"keyup", StepKind::KeyUp, kLowest, kHighest, "a key number"},
    {"horn", StepKind::Horn, kLowest, kHighest, "a horn type"},
    {"signal", StepKind::Signal, kLowest, kHighest, "a signal aspect"},
};

struct Parser {
    Scenario& out;
    ScenarioError& error;
    int lineNumber = 0;

    bool fail(const std::string& why) {
        error = {lineNumber, why};
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
                if (!wholeNumber(value, 1, 100, whole)) return fail(name + " needs 1 to 100 notches, not " + quoted(value));
                (name == "brakes" ? t.brakes : t.power) = whole;
            } else if (name == "accel" || name == "decel") {
                if (!toList(value, list)) return fail(name + " takes m/s² numbers separated by ',', not " + quoted(value));
                (name == "accel" ? t.accel : t.decel) = list;
            } else if (name == "topspeed" || name == "emergency") {
                if (!realNumber(value, number) || number <= 0.0) {
                    return fail(name + " needs a number above 0, not " + quoted(value));
                }
                (name == "topspeed" ? t.topSpeed : t.emergency) = number;
            } else if (name == "resistance") {
                if (!toList(value, list) || list.size() > 2) return fail("resistance takes A or A,B in m/s²");
                t.resistance = list[0];
                t.resistance100 = list.size() > 1 ? list[1] : 0.0;
            } else {
                return fail("train does not know " + quoted(name));
            }
        }
        return true;
    }

    // The pairs of a beacon from w[from] on: signal, optional, distance (and label, when
    // the line may name the beacon).
    bool beaconPairs(const std::vector<std::string>& w, size_t from, const char* usage, ATS_BEACONDATA& data,
                     std::string* label) {
        if ((w.size() - from) % 2 != 0) return fail(std::string("pairs expected: ") + usage);
        for (size_t i = from; i < w.size(); i += 2) {
            const std::string& name = w[i];
            const std::string& value = w[i + 1];
            double distance = 0.0;
            if (name == "label" && label != nullptr) {
                *label = value;
            } else if (name == "signal" || name == "optional") {
                if (!wholeNumber(value, kLowest, kHighest, name == "signal" ? data.signal : data.optional)) {
                    return fail(name + " takes a whole number, not " + quoted(value));
                }
            } else if (name == "distance") {
                if (!realNumber(value, distance) || std::fabs(distance) > FLT_MAX) {
                    return fail("distance takes a number, not " + quoted(value));
                }
                data.distance = static_cast<float>(distance);
            } else {
                return fail(std::string("unknown ") + quoted(name) + ": " + usage);
            }
        }
        return true;
    }

    bool route(const std::vector<std::string>& w) {
        static constexpr const char* kUsage = "route M TYPE [signal N] [optional N] [distance N] [label TEXT]";
        RouteBeacon beacon;
        if (w.size() < 2 || !realNumber(w[0], beacon.location) || !wholeNumber(w[1], kLowest, kHighest, beacon.data.type)) {
            return fail(std::string("route takes a location in m and a beacon type: ") + kUsage);
        }
        if (!beaconPairs(w, 2, kUsage, beacon.data, &beacon.label)) return false;
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
        if (w.size() != wanted || (w[0] != "panel" && w[0] != "sound") || !wholeNumber(w[1], 0, 255, slot.index)) {
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
            if (w.size() != 1 || !wholeNumber(w[0], 1, kHighest, out.limit)) {
                return fail("limit takes a time in ms (" + range(1, kHighest) + ")");
            }
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

    bool wait(const std::vector<std::string>& words, ScenarioStep& step) {
        static constexpr const char* kUsage = "'at' needs a time in ms, a location like 1200m or 'stand', and a step";
        if (words.size() < 3) return fail(kUsage);
        const std::string& when = words[1];
        if (when == "stand") {
            step.wait = StepWait::Stand;
        } else if (when.size() > 1 && when.back() == 'm' &&
                   realNumber(when.substr(0, when.size() - 1), step.atLocation)) {
            step.wait = StepWait::Location;
        } else if (wholeNumber(when, 0, kHighest, step.at)) {
            step.wait = StepWait::Time;
        } else {
            return fail(std::string(kUsage) + ", not " + quoted(when));
        }
        return true;
    }

    bool vehicle(const std::vector<std::string>& w, VehicleChange& change) {
        static constexpr const char* kUsage = "vehicle takes pairs: brakes N power N ats N b67 N cars N";
        if (w.size() % 2 != 0) return fail(kUsage);
        for (size_t i = 0; i < w.size(); i += 2) {
            std::optional<int32_t>* field = w[i] == "brakes" ? &change.brakes
                                            : w[i] == "power" ? &change.power
                                            : w[i] == "ats"   ? &change.ats
                                            : w[i] == "b67"   ? &change.b67
                                            : w[i] == "cars"  ? &change.cars
                                                              : nullptr;
            if (field == nullptr) return fail("vehicle does not know " + quoted(w[i]) + "; " + kUsage);
            int32_t value = 0;
            if (!wholeNumber(w[i + 1], kLowest, kHighest, value)) {
                return fail(w[i] + " takes a whole number, not " + quoted(w[i + 1]));
            }
            *field = value;
        }
        return true;
    }

    // A host call: its kind and its typed arguments.
    bool step(const std::string& command, const std::vector<std::string>& w, ScenarioStep& step) {
        for (const NumberStep& shape : kNumberSteps) {
            if (command != shape.name) continue;
            step.kind = shape.kind;
            const bool optional = shape.kind == StepKind::Initialize;
            if (w.size() > 1 || (w.empty() && !optional)) {
                return fail(command + " takes " + (optional ? "at most " : "") + "one number (" + shape.what + ")");
            }
            if (!w.empty() && !wholeNumber(w[0], shape.low, shape.high, step.value)) {
                return fail(command + " takes " + shape.what + " (" + range(shape.low, shape.high) + "), not " +
                            quoted(w[0]));
            }
            return true;
        }
        if (command == "frame") {
            step.kind = StepKind::Frame;
            return w.empty() || fail("frame takes no argument");
        }
        if (command == "door") {
            if (w.size() != 1 || (w[0] != "open" && w[0] != "close")) return fail("door takes 'open' or 'close'");
            step.kind = w[0] == "open" ? StepKind::DoorOpen : StepKind::DoorClose;
            return true;
        }
        if (command == "speed" || command == "location") {
            step.kind = command == "speed" ? StepKind::Speed : StepKind::Location;
            const bool speed = step.kind == StepKind::Speed;
            if (w.size() != 1 || !realNumber(w[0], step.number) || (speed && std::fabs(step.number) > kFastest)) {
                const std::string wanted = speed ? "speed takes a number of km/h from -100000 to 100000"
                                                 : "location takes a number of metres";
                return fail(w.size() == 1 ? wanted + ", not " + quoted(w[0]) : wanted);
            }
            return true;
        }
        if (command == "vehicle") {
            step.kind = StepKind::Vehicle;
            return vehicle(w, step.vehicle);
        }
        if (command == "beacon") {
            static constexpr const char* kUsage = "beacon TYPE [signal N] [optional N] [distance N]";
            step.kind = StepKind::Beacon;
            if (w.empty() || !wholeNumber(w[0], kLowest, kHighest, step.beacon.type)) {
                return fail(std::string("beacon takes a type first: ") + kUsage);
            }
            return beaconPairs(w, 1, kUsage, step.beacon, nullptr);
        }
        return fail("unknown command " + quoted(command));
    }

    // What only the whole file tells: a step at all, the time limit, a train's notches.
    bool wholeFile() {
        if (out.steps.empty()) {
            lineNumber = 0;
            return fail("no step to run: a scenario needs at least one host call, such as 'initialize'");
        }
        int64_t clock = 0;  // the earliest the host's clock can read after each step
        const std::string raise = " (a 'limit' line raises it)";
        for (const ScenarioStep& s : out.steps) {
            lineNumber = s.line;
            if (s.wait == StepWait::Time) {
                if (s.at > out.limit) {
                    return fail("at " + std::to_string(s.at) + " is past the time limit of " +
                                std::to_string(out.limit) + " ms" + raise);
                }
                clock = std::max<int64_t>(clock, s.at);
            }
            if (s.kind == StepKind::Run) {
                if (clock + s.value > out.limit) {
                    return fail("run " + std::to_string(s.value) + " would go past the time limit of " +
                                std::to_string(out.limit) + " ms: the clock reads at least " +
                                std::to_string(clock) + " ms here" + raise);
                }
                clock += s.value;
            }
            const VehicleChange& v = s.vehicle;
            if (out.train.enabled && s.kind == StepKind::Vehicle &&
                ((v.brakes && *v.brakes < 1) || (v.power && *v.power < 1))) {
                return fail("a train needs at least one brake and one power notch");
            }
        }
        return true;
    }
};

}  // namespace

bool ParseScenario(const std::string& text, const std::string& folder, Scenario& out, ScenarioError& error) {
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
        const bool waits = words[0] == "at";
        if (waits && !parser.wait(words, step)) return false;
        const size_t first = waits ? 2 : 0;
        const std::string& command = words[first];
        const std::vector<std::string> args(words.begin() + static_cast<std::ptrdiff_t>(first) + 1, words.end());

        bool declared = false;
        if (!parser.declaration(command, args, folder, declared)) return false;
        if (declared) {
            if (waits) return parser.fail("'" + command + "' describes the scenario and takes no 'at'");
            continue;
        }
        if (!parser.step(command, args, step)) return false;
        out.steps.push_back(step);
    }
    return parser.wholeFile();
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
