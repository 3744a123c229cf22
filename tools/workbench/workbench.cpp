// The workbench module: the plugin, the configuration checker and footplate-run's host
// compiled for the browser, behind a small C interface that the page calls. Results
// travel as JSON texts; the live cab's panel and sounds are the host's own arrays.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "cfgcheck.h"
#include "configs.h"
#include "host.h"
#include "inproc.h"
#include "plugin/atsplugin.h"
#include "recording.h"
#include "scenario.h"

namespace {

// A drive records at most this many frames (a day of 100 ms frames); a timeline or a
// checker report is cut short after this many bytes. Junk cannot exhaust the page.
constexpr size_t kFrameLimit = 1000000;
constexpr size_t kTextLimit = size_t{1} << 20;
constexpr const char* kCut = "(cut here: the rest is too long to show)\n";

// The last result handed to the page; valid until the next call.
std::string gResult;

// Just enough JSON for the results: objects, arrays, texts, numbers and flags.
class Json {
public:
    Json& key(const char* name) {
        comma();
        text_ += '"';
        text_ += name;
        text_ += "\":";
        fresh_ = true;
        return *this;
    }
    Json& str(const std::string& s) {
        comma();
        text_ += '"';
        for (const char c : s) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                text_ += '\\';
                text_ += c;
            } else if (u < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(u));
                text_ += escaped;
            } else {
                text_ += c;  // bytes that are no UTF-8 arrive as U+FFFD
            }
        }
        text_ += '"';
        return *this;
    }
    Json& num(double number) {
        comma();
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.17g", number);
        text_ += buffer;
        return *this;
    }
    Json& flag(bool on) {
        comma();
        text_ += on ? "true" : "false";
        return *this;
    }
    Json& open(char bracket) {
        comma();
        text_ += bracket;
        fresh_ = true;
        return *this;
    }
    Json& close(char bracket) {
        text_ += bracket;
        fresh_ = false;
        return *this;
    }
    const char* done() {
        gResult = std::move(text_);
        return gResult.c_str();
    }

private:
    void comma() {
        if (!fresh_) text_ += ',';
        fresh_ = false;
    }
    std::string text_;
    bool fresh_ = true;
};

const char* failure(const std::string& why) { return Json().open('{').key("error").str(why).close('}').done(); }

std::string bytes(const char* data, int length) {
    return data != nullptr && length > 0 ? std::string(data, static_cast<size_t>(length)) : std::string();
}

// Writes the configuration where the plugin looks for it, making its folder first.
bool stageConfig(const std::string& config) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(inproc::ConfigPath()).parent_path(), ec);
    return inproc::UseConfig(config);
}

// The timeline into a string, cut short with a note once it is too long to show.
TimelineSink into(std::string& timeline) {
    return [&timeline](const std::string& line) {
        if (timeline.size() < kTextLimit) {
            timeline += line;
            if (timeline.size() >= kTextLimit) timeline += kCut;
        }
    };
}

// A text cut short after its last whole line within the limit, with a note.
std::string shortened(const std::string& text) {
    if (text.size() <= kTextLimit) return text;
    return text.substr(0, text.rfind('\n', kTextLimit) + 1) + kCut;
}

std::string readAndRemove(const char* path) {
    std::string out;
    ReadTextFile(path, out);
    std::remove(path);
    return out;
}

// The live cab: one host that the page drives a step at a time.
struct Live {
    Scenario scenario;
    std::string timeline;  // lines the page has not taken yet
    std::unique_ptr<Host> host;
    size_t beaconsTaken = 0;
    double state[12] = {};
};
std::unique_ptr<Live> gLive;

// A mistake in a drive as the page shows it: "line N: what".
std::string described(const ScenarioError& error) {
    return error.line > 0 ? "line " + std::to_string(error.line) + ": " + error.message : error.message;
}

// Why a host went no further, when that is a failure: the time limit just ends a drive.
std::string stopped(const Host& host) {
    if (host.stopped() != Host::Stop::FrameLimit) return "";
    return "the run goes past " + std::to_string(host.frameLimit()) + " frames, the most this host records";
}

// Runs one line of scenario text (steps only) on the live host; empty, or why not.
std::string liveStep(const std::string& line) {
    if (!gLive) return "no live drive";
    Scenario parsed;
    ScenarioError error;
    if (!ParseScenario(line, "", parsed, error)) return described(error);
    for (const ScenarioStep& step : parsed.steps) {
        if (!gLive->host->execute(step)) return stopped(*gLive->host);
    }
    return "";
}

}  // namespace

extern "C" {

// The examples the module carries, by name with their text.
EMSCRIPTEN_KEEPALIVE const char* fp_examples() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/examples", ec)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    Json json;
    json.open('[');
    for (const std::string& name : names) {
        std::string content;
        ReadTextFile("/examples/" + name, content);
        json.open('{').key("name").str(name).key("text").str(content).close('}');
    }
    return json.close(']').done();
}

// A configuration with every subsystem on, for the live cab's benchmark.
EMSCRIPTEN_KEEPALIVE const char* fp_everything() { return inproc::Everything().c_str(); }

// What the plugin makes of a configuration: footplate-cfg check's report under the
// author's file name, and the panel and sound slots the configuration uses.
EMSCRIPTEN_KEEPALIVE const char* fp_check(const char* config, int length, const char* name) {
    if (!stageConfig(bytes(config, length))) return failure("the configuration cannot be staged");
    const CheckResult result = CheckConfigFile(inproc::ConfigPath(), name);
    Json json;
    json.open('{').key("warnings").num(result.warnings).key("report").str(shortened(result.report)).key("slots").open('[');
    for (const ConfigSlot& s : result.slots) {
        json.open('{').key("sound").flag(s.sound).key("index").num(s.index).key("key").str(s.key).close('}');
    }
    return json.close(']').close('}').done();
}

// What a drive declares: the configuration it names, its title, train and labels.
EMSCRIPTEN_KEEPALIVE const char* fp_drive(const char* drive, int length) {
    Scenario scenario;
    ScenarioError error;
    if (!ParseScenario(bytes(drive, length), "", scenario, error)) return failure(described(error));
    Json json;
    json.open('{').key("config").str(scenario.config).key("title").str(scenario.title);
    json.key("brakes").num(scenario.train.brakes).key("power").num(scenario.train.power);
    json.key("labels").open('[');
    for (const SlotLabel& l : scenario.labels) {
        json.open('{').key("sound").flag(l.sound).key("index").num(l.index).key("text").str(l.text);
        json.key("gauge").flag(l.quiet).close('}');
    }
    return json.close(']').close('}').done();
}

// Runs a drive with a configuration as footplate-run does: its timeline, its chart (the
// SVG of --svg) and its table (the CSV of --csv); a drive without a title takes the
// given one, as footplate-run gives it the file's name.
EMSCRIPTEN_KEEPALIVE const char* fp_run(const char* drive, int driveLength, const char* config, int configLength,
                                        const char* title) {
    Scenario scenario;
    ScenarioError mistake;
    if (!ParseScenario(bytes(drive, driveLength), "", scenario, mistake)) return failure(described(mistake));
    if (scenario.title.empty()) scenario.title = title;
    if (!stageConfig(bytes(config, configLength))) return failure("the configuration cannot be staged");
    std::string error;
    std::string timeline;
    std::string svg;
    std::string csv;
    double frames = 0;
    double until = 0;
    {
        Host host(inproc::LinkedApi(), scenario, into(timeline));
        host.setFrameLimit(kFrameLimit);
        for (const ScenarioStep& step : scenario.steps) {
            if (host.execute(step)) continue;
            if (!stopped(host).empty()) error = "line " + std::to_string(step.line) + ": " + stopped(host);
            break;
        }
        if (error.empty() && WriteSvg(host.recording(), scenario, "/tmp/chart.svg") &&
            WriteCsv(host.recording(), scenario, "/tmp/chart.csv")) {
            svg = readAndRemove("/tmp/chart.svg");
            csv = readAndRemove("/tmp/chart.csv");
        }
        frames = static_cast<double>(host.recording().frames.size());
        until = host.time();
    }
    Json json;
    json.open('{');
    if (!error.empty()) json.key("error").str(error);
    json.key("timeline").str(timeline).key("svg").str(svg).key("csv").str(csv);
    return json.key("frames").num(frames).key("time").num(until).close('}').done();
}

// Starts a live drive: the drive's train, route and labels with the configuration; its
// steps up to the first that waits (the start) are made, the rest is the page's driver.
EMSCRIPTEN_KEEPALIVE const char* fp_live_start(const char* drive, int driveLength, const char* config,
                                               int configLength) {
    gLive.reset();
    auto live = std::make_unique<Live>();
    ScenarioError error;
    if (!ParseScenario(bytes(drive, driveLength), "", live->scenario, error)) return failure(described(error));
    if (!stageConfig(bytes(config, configLength))) return failure("the configuration cannot be staged");
    // A driver at the page drives for as long as they like; the frame limit still holds.
    live->scenario.limit = std::numeric_limits<int32_t>::max();
    live->host = std::make_unique<Host>(inproc::LinkedApi(), live->scenario, into(live->timeline));
    live->host->setFrameLimit(kFrameLimit);
    for (const ScenarioStep& step : live->scenario.steps) {
        if (step.wait != StepWait::None) break;
        if (!live->host->execute(step)) return failure("line " + std::to_string(step.line) + ": " + stopped(*live->host));
    }
    gLive = std::move(live);
    return Json().open('{').close('}').done();
}

// A driver's action or a frame in the live drive, as a scenario step ("power 3",
// "keydown 0", "door open", "frame"); empty, or why it was refused.
EMSCRIPTEN_KEEPALIVE const char* fp_live_do(const char* line) {
    gResult = liveStep(line != nullptr ? line : "");
    return gResult.c_str();
}

// Runs the live drive for up to ms, frame by frame; with stopAtBeacon it stops after
// the frame in which the train passed a beacon. Returns the time run, -1 on a failure.
EMSCRIPTEN_KEEPALIVE int fp_live_run(int ms, int stopAtBeacon) {
    if (!gLive) return -1;
    Host& host = *gLive->host;
    const int32_t start = host.time();
    const size_t beacons = host.recording().beacons.size();
    int32_t left = std::max(ms, 0);
    while (left > 0) {
        const int32_t span = std::min(left, host.frameInterval());
        const int32_t before = host.time();
        if (!liveStep("run " + std::to_string(span)).empty()) return -1;
        left -= span;
        if (host.time() == before) break;  // the clock has reached its end
        if (stopAtBeacon != 0 && host.recording().beacons.size() != beacons) break;
    }
    return host.time() - start;
}

// The live train after the last frame: time (ms), location (m), speed (km/h), the
// returned brake, power and reverser, the notch counts, the frame interval (ms) and the
// driver's own power, brake and reverser. The pointer stays valid.
EMSCRIPTEN_KEEPALIVE const double* fp_live_state() {
    static double none[12] = {};
    if (!gLive) return none;
    const Host& host = *gLive->host;
    double* s = gLive->state;
    s[0] = host.time();
    s[1] = host.location();
    s[2] = host.speed();
    s[3] = host.handles().brake;
    s[4] = host.handles().power;
    s[5] = host.handles().reverser;
    s[6] = host.spec().brakeNotches;
    s[7] = host.spec().powerNotches;
    s[8] = host.frameInterval();
    s[9] = host.driver().power;
    s[10] = host.driver().brake;
    s[11] = host.driver().reverser;
    return s;
}

// The live cab's panel and sound arrays (256 slots each), as the plugin last wrote them.
EMSCRIPTEN_KEEPALIVE const int32_t* fp_live_panel() { return gLive ? gLive->host->panel() : nullptr; }
EMSCRIPTEN_KEEPALIVE const int32_t* fp_live_sound() { return gLive ? gLive->host->sound() : nullptr; }

// What happened since the page last asked: the timeline's new lines and the beacons passed.
EMSCRIPTEN_KEEPALIVE const char* fp_live_news() {
    Json json;
    json.open('{');
    if (gLive) {
        json.key("timeline").str(gLive->timeline).key("beacons").open('[');
        gLive->timeline.clear();
        const auto& beacons = gLive->host->recording().beacons;
        for (; gLive->beaconsTaken < beacons.size(); ++gLive->beaconsTaken) {
            const BeaconMark& b = beacons[gLive->beaconsTaken];
            json.open('{').key("time").num(b.time).key("location").num(b.location).key("type").num(b.type);
            json.key("label").str(b.label).close('}');
        }
        json.close(']');
    }
    return json.close('}').done();
}

}  // extern "C"
