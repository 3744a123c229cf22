// footplate-run: a scripted simulator host. It loads the plugin as a host does and replays
// a scenario, printing each frame in which the train's handles, a lamp or a sound changed.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "plugin_loader.h"
#include "scenario.h"

namespace {

void usage() {
    std::fprintf(stderr,
                 "usage: footplate-run [--plugin LIBRARY] [--config FILE] SCENARIO\n"
                 "  LIBRARY  the plugin to load (default: footplate beside this program)\n"
                 "  FILE     configuration to stage beside a copy of the plugin (default: the\n"
                 "           scenario's own 'config' line, else the library's own .cfg)\n");
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

int32_t toInt(const std::string& word) { return static_cast<int32_t>(std::strtol(word.c_str(), nullptr, 10)); }

class Host {
public:
    explicit Host(const PluginApi& api) : api_(api) {
        for (int i = 0; i < kSlotCount; ++i) {
            panel_[i] = 0;
            sound_[i] = kSoundStop;
            shownPanel_[i] = panel_[i];
            shownSound_[i] = sound_[i];
        }
        api_.Load();
    }
    ~Host() { api_.Dispose(); }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    bool execute(const ScenarioStep& step, std::string& error) {
        if (step.at >= 0) runUntil(step.at);
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
            initialized_ = true;
        } else if (c == "step") {
            step_ = toInt(w[0]);
            if (step_ <= 0) return fail(error, "step must be at least 1 ms");
        } else if (c == "speed") {
            speed_ = std::strtof(w[0].c_str(), nullptr);
        } else if (c == "location") {
            location_ = std::strtod(w[0].c_str(), nullptr);
        } else if (c == "run") {
            runUntil(time_ + toInt(w[0]));
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

private:
    static bool fail(std::string& error, const std::string& why) {
        error = why;
        return false;
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
        event("beacon " + std::to_string(data.type) + " signal " + std::to_string(data.signal) + " optional " +
              std::to_string(data.optional));
        api_.SetBeaconData(data);
        return true;
    }

    void runUntil(int32_t until) {
        while (time_ < until) {
            const int32_t dt = std::min(step_, until - time_);
            time_ += dt;
            location_ += static_cast<double>(speed_) * dt / 3600.0;
            frame();
        }
    }

    void frame() {
        ATS_VEHICLESTATE state{};
        state.location = location_;
        state.speed = speed_;
        state.time = time_;
        const HandleOutput out = api_.Elapse(state, panel_, sound_);
        std::string changes;
        for (int i = 0; i < kSlotCount; ++i) {
            if (panel_[i] != shownPanel_[i]) changes += " panel[" + std::to_string(i) + "]=" + std::to_string(panel_[i]);
        }
        for (int i = 0; i < kSlotCount; ++i) {
            if (sound_[i] != shownSound_[i]) changes += " sound[" + std::to_string(i) + "]=" + std::to_string(sound_[i]);
            // A sound played once keeps playing until it ends: the host marks it "continue".
            if (sound_[i] == kSoundOnce) sound_[i] = 2;
        }
        const bool handlesChanged = !printedAny_ || out.brake != shown_.brake || out.power != shown_.power ||
                                    out.reverser != shown_.reverser;
        if (handlesChanged || !changes.empty()) {
            std::printf("%9.3f s %6.1f km/h  brake %2d  power %2d  reverser %2d%s\n", time_ / 1000.0,
                        static_cast<double>(speed_), out.brake, out.power, out.reverser, changes.c_str());
            shown_ = out;
            printedAny_ = true;
        }
        for (int i = 0; i < kSlotCount; ++i) {
            shownPanel_[i] = panel_[i];
            shownSound_[i] = sound_[i];
        }
    }

    void event(const std::string& what) const { std::printf("%9.3f s  > %s\n", time_ / 1000.0, what.c_str()); }

    const PluginApi& api_;
    ATS_VEHICLESPEC spec_{8, 5, 0, 0, 1};
    bool specSent_ = false;
    bool initialized_ = false;
    HandleOutput driver_{0, 0, 0, 0};
    int32_t time_ = 0;
    int32_t step_ = 100;
    float speed_ = 0.0f;
    double location_ = 0.0;
    int32_t panel_[kSlotCount];
    int32_t sound_[kSlotCount];
    int32_t shownPanel_[kSlotCount];
    int32_t shownSound_[kSlotCount];
    HandleOutput shown_{};
    bool printedAny_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    std::string library = defaultLibrary(argv[0]);
    std::string config;
    std::string scenarioPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--plugin" || arg == "--config") && i + 1 < argc) {
            (arg == "--plugin" ? library : config) = argv[++i];
        } else if (arg == "-h" || arg == "--help") {
            usage();
            return 0;
        } else if (scenarioPath.empty() && arg[0] != '-') {
            scenarioPath = arg;
        } else {
            usage();
            return 2;
        }
    }
    if (scenarioPath.empty()) {
        usage();
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
            Host host(plugin->api());
            for (const auto& step : scenario.steps) {
                if (!host.execute(step, error)) {
                    std::fprintf(stderr, "footplate-run: %s: line %d: %s\n", scenarioPath.c_str(), step.line,
                                 error.c_str());
                    status = 2;
                    break;
                }
            }
        }
    }
    if (!stage.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(stage, ec);
    }
    return status;
}
