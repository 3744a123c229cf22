// footplate-run: a simulator host. It loads the plugin as a host does and replays a
// scenario, printing each frame in which the train's handles, a lamp or a sound changed.
// With a train in the scenario it also moves the train with the handles the plugin
// returns and reports the route's beacons as the train passes them.
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "host.h"
#include "plugin_loader.h"
#include "recording.h"
#include "scenario.h"
#include "text.h"

namespace {

// Exit statuses, as docs/scenarios.md lists them.
constexpr int kDone = 0;          // the drive made every step
constexpr int kStoppedAtLimit = 1;  // the drive reached its time limit first
constexpr int kFailed = 2;        // wrong usage, or something could not be read, loaded or written

void usage(FILE* to) {
    std::fprintf(to,
                 "usage: footplate-run [--plugin LIBRARY] [--config FILE] [--csv FILE] [--svg FILE]\n"
                 "                     [--distance] [--] SCENARIO\n"
                 "  --plugin    the plugin to load (default: footplate beside this program)\n"
                 "  --config    configuration to stage beside a copy of the plugin (default: the\n"
                 "              scenario's own 'config' line, else the library's own .cfg)\n"
                 "  --csv       one row per frame: time, location, speed, handles, watched slots\n"
                 "  --svg       a chart of speed and handles with beacon marks and labelled slots\n"
                 "  --distance  the chart's horizontal axis is distance, not time\n"
                 "  --version   the program's version\n"
                 "exit status: 0 the drive made every step, 1 it reached its time limit first,\n"
                 "2 wrong usage, or a file that cannot be read, loaded or written\n");
}

// What was wrong with the command line, then the usage.
int usageError(const std::string& why) {
    std::fprintf(stderr, "footplate-run: %s\n", Printable(why).c_str());
    usage(stderr);
    return kFailed;
}

int failure(const std::string& why) {
    std::fprintf(stderr, "footplate-run: %s\n", why.c_str());
    return kFailed;
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

}  // namespace

// Replays the scenario named on the command line against the plugin, for an author who
// wants to see what the train and the cab do before a drive in the simulator.
int main(int argc, char** argv) {
    std::string library = defaultLibrary(argv[0]);
    std::string config;
    std::string csvPath;
    std::string svgPath;
    bool byDistance = false;
    std::string scenarioPath;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (!scenarioPath.empty()) return usageError("one scenario at a time: '" + arg + "' is a second one");
            scenarioPath = arg;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--plugin" || arg == "--config" || arg == "--csv" || arg == "--svg") {
            if (i + 1 == argc) return usageError("option '" + arg + "' needs a file name");
            (arg == "--plugin" ? library : arg == "--config" ? config : arg == "--csv" ? csvPath : svgPath) = argv[++i];
        } else if (arg == "--distance") {
            byDistance = true;
        } else if (arg == "-h" || arg == "--help") {
            usage(stdout);
            return kDone;
        } else if (arg == "--version") {
            std::printf("footplate-run %s\n", FOOTPLATE_VERSION);
            return kDone;
        } else {
            return usageError("unknown option '" + arg + "'");
        }
    }
    if (scenarioPath.empty()) return usageError("no scenario given");
    const std::string shownPath = Printable(scenarioPath);

    std::string text;
    std::string why;
    if (!ReadTextFile(scenarioPath, text, &why)) return failure("cannot read " + shownPath + ": " + why);
    Scenario scenario;
    ScenarioError error;
    const std::string folder = std::filesystem::path(scenarioPath).parent_path().string();
    if (!ParseScenario(text, folder, scenario, error)) {
        const std::string where = error.line > 0 ? shownPath + ":" + std::to_string(error.line) : shownPath;
        std::fprintf(stderr, "%s: error: %s\n", where.c_str(), error.message.c_str());
        return kFailed;
    }
    if (config.empty()) config = scenario.config;
    if (byDistance) scenario.chartByDistance = true;
    if (scenario.title.empty()) scenario.title = std::filesystem::path(scenarioPath).filename().string();

    // A configuration is staged beside a private copy of the plugin, where the plugin
    // looks for it, so the author's library folder is never touched.
    std::filesystem::path stage;
    std::string message;
    if (!config.empty()) {
        std::string configText;
        if (!ReadTextFile(config, configText, &why)) return failure("cannot read " + Printable(config) + ": " + why);
        std::error_code ec;
        stage = std::filesystem::temp_directory_path(ec) /
                ("footplate-run-" + std::to_string(std::random_device{}()) + std::to_string(std::random_device{}()));
        library = StagePlugin(library, stage.string(), "footplate", &configText, message);
        if (library.empty()) {
            std::filesystem::remove_all(stage, ec);
            return failure(message);
        }
    }

    int status = kDone;
    {
        auto plugin = LoadedPlugin::Open(library, message);
        if (!plugin) {
            status = failure(message);
        } else {
            Host host(plugin->api(), scenario,
                      [](const std::string& line) { std::fwrite(line.data(), 1, line.size(), stdout); });
            for (const auto& step : scenario.steps) {
                if (host.execute(step)) continue;
                std::fflush(stdout);  // the timeline's note comes before the message
                std::fprintf(stderr, "%s:%d: the drive reached its time limit of %d ms before this step\n",
                             shownPath.c_str(), step.line, scenario.limit);
                status = kStoppedAtLimit;  // the only stop: this host sets no frame limit
                break;
            }
            std::fflush(stdout);
            if (!csvPath.empty() && !WriteCsv(host.recording(), scenario, csvPath)) {
                status = failure("cannot write " + Printable(csvPath));
            }
            if (!svgPath.empty() && !WriteSvg(host.recording(), scenario, svgPath)) {
                status = failure("cannot write " + Printable(svgPath));
            }
        }
    }
    if (!stage.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(stage, ec);
    }
    return status;
}
