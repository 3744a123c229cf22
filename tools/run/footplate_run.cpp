// footplate-run: a simulator host. It loads the plugin as a host does and replays a
// scenario, printing each frame in which the train's handles, a lamp or a sound changed.
// With a train in the scenario it also moves the train with the handles the plugin
// returns and reports the route's beacons as the train passes them.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "plugin_loader.h"
#include "recording.h"
#include "scenario.h"

namespace {

void usage(FILE* to) {
    std::fprintf(to,
                 "usage: footplate-run [--plugin LIBRARY] [--config FILE] [--csv FILE] [--svg FILE]\n"
                 "                     [--distance] SCENARIO\n"
                 "  LIBRARY     the plugin to load (default: footplate beside this program)\n"
                 "  --config    configuration to stage beside a copy of the plugin (default: the\n"
                 "              scenario's own 'config' line, else the library's own .cfg)\n"
                 "  --csv       one row per frame: time, location, speed, handles, watched slots\n"
                 "  --svg       a chart of speed and handles with beacon marks and labelled slots\n"
                 "  --distance  the chart's horizontal axis is distance, not time\n");
}

std::string defaultLibrary(const char* argv0) {
    namespace fs = std::filesystem;
#if defined(_WIN32)
    const char* name = "footplate.dll";
#else
    const char* name = "footplate.so";
#endif
    std::error_code ec;
    fs::path self = fs::canonical(fs::path(argv0), ec);
    if (ec) self = fs::path(argv0);
    return (self.parent_path() / name).string();
}

int32_t toInt(const std::string& word) {
    const long long value = std::strtoll(word.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

class Host {
public:
    Host(const PluginApi& api, const Scenario& scenario) : api_(api), scenario_(scenario), train_(scenario.train) {
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
    ~Host() { api_.Dispose(); }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Makes one step's call after waiting for its moment; false with a reason on a bad
    // step. finished is set when the run has reached its time limit.
    bool execute(const ScenarioStep& step, std::string& error, bool& finished) {
        if (!waitFor(step)) {
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

    const Recording& recording() const { return recording_; }

private:
    static bool fail(std::string& error, const std::string& why) {
        error = why;
        return false;
    }

    // Runs frames until the step's moment; false when the time limit came first.
    bool waitFor(const ScenarioStep& step) {
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
                while (!reached && time_ < scenario_.limit) {
                    const double from = location_;
                    advance(std::min(step_, scenario_.limit - time_));
                    reached = std::min(from, location_) <= target && target <= std::max(from, location_);
                }
                if (reached) return true;
                note("limit reached before " + trim(target) + " m (line " + std::to_string(step.line) + ")");
                return false;
            }
            case StepWait::Stand:
                while (speed_ != 0.0 && time_ < scenario_.limit) advance(std::min(step_, scenario_.limit - time_));
                if (speed_ == 0.0) return true;
                note("limit reached before the train stood (line " + std::to_string(step.line) + ")");
                return false;
        }
        return true;
    }

    bool vehicle(const std::vector<std::string>& w, std::string& error) {
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

    bool beacon(const std::vector<std::string>& w, std::string& error) {
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

    void passBeacon(const ATS_BEACONDATA& data, const std::string& label) {
        std::string text = "beacon " + std::to_string(data.type) + " signal " + std::to_string(data.signal) +
                           " optional " + std::to_string(data.optional);
        if (!label.empty()) text += " (" + label + ")";
        event(text);
        recording_.beacons.push_back({time_, location_, data.type, label});
        api_.SetBeaconData(data);
    }

    void runUntil(int32_t until) {
        while (time_ < until) advance(std::min(step_, until - time_));
    }

    // One frame interval: the train moves (with the handles of the last frame), the
    // beacons it passed are reported, then the frame.
    void advance(int32_t dt) {
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
    void passRoute(double from, double to) {
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

    void passRouteBeacon(const RouteBeacon& b) {
        passBeacon(ATS_BEACONDATA{b.type, b.signal, b.distance, b.optional}, b.label);
    }

    void frame() {
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
            if (sound_[i] == kSoundOnce) sound_[i] = 2;
        }
        const bool handlesChanged = !printedAny_ || out.brake != shown_.brake || out.power != shown_.power ||
                                    out.reverser != shown_.reverser;
        if (handlesChanged || !changes.empty()) {
            std::printf("%9.3f s%s %6.1f km/h  brake %2d  power %2d  reverser %2d%s\n", time_ / 1000.0,
                        place().c_str(), speed_, out.brake, out.power, out.reverser, changes.c_str());
            shown_ = out;
            printedAny_ = true;
        }
        for (int i = 0; i < kSlotCount; ++i) {
            shownPanel_[i] = panel_[i];
            shownSound_[i] = sound_[i];
        }
    }

    // A slot as the timeline names it: the author's label in quotes, else panel[N] / sound[N].
    std::string slot(bool sound, int i) const {
        const bool named = std::any_of(scenario_.labels.begin(), scenario_.labels.end(), [&](const SlotLabel& l) {
            return l.sound == sound && l.index == i && !l.text.empty();
        });
        const std::string name = SlotName(scenario_, sound, i);
        return named ? "\"" + name + "\"" : name;
    }

    // The way the train is going: by its speed, else by the driver's reverser, else the
    // way it last moved.
    int direction() {
        if (speed_ != 0.0) lastDirection_ = speed_ > 0.0 ? 1 : -1;
        if (speed_ == 0.0 && driver_.reverser != 0) return driver_.reverser > 0 ? 1 : -1;
        return lastDirection_;
    }

    bool quiet(bool sound, int i) const {
        return std::any_of(scenario_.labels.begin(), scenario_.labels.end(),
                           [&](const SlotLabel& l) { return l.quiet && l.sound == sound && l.index == i; });
    }

    // The location column, shown only when the scenario drives a train along a route.
    std::string place() const {
        if (!train_.enabled) return "";
        char text[32];
        std::snprintf(text, sizeof text, " %8.1f m", location_);
        return text;
    }

    static std::string trim(double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", value);
        return text;
    }

    void event(const std::string& what) const {
        std::printf("%9.3f s%s  > %s\n", time_ / 1000.0, place().c_str(), what.c_str());
    }
    void note(const std::string& what) const {
        std::printf("%9.3f s%s  ! %s\n", time_ / 1000.0, place().c_str(), what.c_str());
    }

    const PluginApi& api_;
    const Scenario& scenario_;
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
};

}  // namespace

int main(int argc, char** argv) {
    std::string library = defaultLibrary(argv[0]);
    std::string config;
    std::string csvPath;
    std::string svgPath;
    bool byDistance = false;
    std::string scenarioPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--plugin" || arg == "--config" || arg == "--csv" || arg == "--svg") && i + 1 < argc) {
            (arg == "--plugin" ? library : arg == "--config" ? config : arg == "--csv" ? csvPath : svgPath) = argv[++i];
        } else if (arg == "--distance") {
            byDistance = true;
        } else if (arg == "-h" || arg == "--help") {
            usage(stdout);
            return 0;
        } else if (scenarioPath.empty() && !arg.empty() && arg[0] != '-') {
            scenarioPath = arg;
        } else {
            usage(stderr);
            return 2;
        }
    }
    if (scenarioPath.empty()) {
        usage(stderr);
        return 2;
    }

    std::string text;
    if (!ReadTextFile(scenarioPath, text)) {
        std::fprintf(stderr, "footplate-run: cannot read %s\n", scenarioPath.c_str());
        return 2;
    }
    Scenario scenario;
    std::string error;
    const std::string folder = std::filesystem::path(scenarioPath).parent_path().string();
    if (!ParseScenario(text, folder, scenario, error)) {
        std::fprintf(stderr, "footplate-run: %s: %s\n", scenarioPath.c_str(), error.c_str());
        return 2;
    }
    if (config.empty()) config = scenario.config;
    if (byDistance) scenario.chartByDistance = true;
    if (scenario.title.empty()) scenario.title = std::filesystem::path(scenarioPath).filename().string();

    // A configuration is staged beside a private copy of the plugin, where the plugin
    // looks for it, so the author's library folder is never touched.
    std::filesystem::path stage;
    if (!config.empty()) {
        std::string configText;
        if (!ReadTextFile(config, configText)) {
            std::fprintf(stderr, "footplate-run: cannot read %s\n", config.c_str());
            return 2;
        }
        std::error_code ec;
        stage = std::filesystem::temp_directory_path(ec) /
                ("footplate-run-" + std::to_string(std::random_device{}()) + std::to_string(std::random_device{}()));
        library = StagePlugin(library, stage.string(), "footplate", &configText, error);
        if (library.empty()) {
            std::fprintf(stderr, "footplate-run: %s\n", error.c_str());
            return 2;
        }
    }

    int status = 0;
    {
        auto plugin = LoadedPlugin::Open(library, error);
        if (!plugin) {
            std::fprintf(stderr, "footplate-run: %s\n", error.c_str());
            status = 2;
        } else {
            Host host(plugin->api(), scenario);
            bool finished = false;
            for (const auto& step : scenario.steps) {
                if (!host.execute(step, error, finished)) {
                    std::fprintf(stderr, "footplate-run: %s: line %d: %s\n", scenarioPath.c_str(), step.line,
                                 error.c_str());
                    status = 2;
                    break;
                }
                if (finished) break;
            }
            std::fflush(stdout);
            if (status == 0 && !csvPath.empty() && !WriteCsv(host.recording(), scenario, csvPath)) {
                std::fprintf(stderr, "footplate-run: cannot write %s\n", csvPath.c_str());
                status = 2;
            }
            if (status == 0 && !svgPath.empty() && !WriteSvg(host.recording(), scenario, svgPath)) {
                std::fprintf(stderr, "footplate-run: cannot write %s\n", svgPath.c_str());
                status = 2;
            }
        }
    }
    if (!stage.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(stage, ec);
    }
    return status;
}
