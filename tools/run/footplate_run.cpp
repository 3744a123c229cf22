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
            Host host(plugin->api(), scenario,
                      [](const std::string& line) { std::fwrite(line.data(), 1, line.size(), stdout); });
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
