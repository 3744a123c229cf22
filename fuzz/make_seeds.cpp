// Writes the seed corpora of both fuzz targets: configurations (the shipped examples, the
// heaviest cabs, and files made of one extreme value for every key) and host scripts
// that replay what drivers and routes do, and what no sane host should.
//
//   make_seeds FUZZ_DIR EXAMPLES_DIR
//
// writes FUZZ_DIR/corpus/config, FUZZ_DIR/corpus/host and FUZZ_DIR/config.dict, the
// dictionary that lets fuzz_config splice whole key names and boundary numbers.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>

#include "config/confload.h"
#include "configs.h"
#include "host_script.h"

namespace fs = std::filesystem;
using script::Writer;

namespace {

bool writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

std::string withCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// Every key set to the same value: zeros, -1, the int32 limits.
std::string everyKey(const std::string& value) {
    std::string text;
    for (int i = 0; i < opt::count; ++i) text += std::string(KeyText(i)) + value + "\n";
    return text;
}

// The reader's own edge cases: a line longer than the buffer, an empty line that ends the
// file early, signs among the digits, values past the int32 range, no final LF.
std::string readerEdges() {
    std::string text = "awsdelay=1-2,5-,--3, 4 ,\n";
    text += "vigilanceinterval=99999999999,-2147483648,2147483647\n";
    text += "powerpickuppoints=" + std::string(1500, '1') + "\n";
    text += "numberofdrops=" + std::string(40, ',') + "\n";
    text += " ;=5\nAWSDELAY=7\nawsdelay =8\n=9\nnokey\n";
    text += "wiperindex=21\n\nsystem=2\n";
    text += "traction=2";
    return text;
}

// libFuzzer dictionary: every key text, the dictionary key, the separators and the
// numbers at the edges of slots, notches and int32.
std::string dictionary() {
    std::string text = "# written by make_seeds\n";
    for (int i = 0; i < opt::count; ++i) text += "key" + std::to_string(i) + "=\"" + KeyText(i) + "\"\n";
    text += "cabmode=\"cabmode=\"\n";
    const char* const tokens[] = {"255", "256", "-1", "-2", "0", "1000", "1001", "2147483647", "-2147483648",
                                  "4294967296", "99999999999", ",", " ", ", ", "\\x0d\\x0a", "\\x0a", "\\x0a\\x0a", ";"};
    int n = 0;
    for (const char* token : tokens) text += "token" + std::to_string(n++) + "=\"" + token + "\"\n";
    return text;
}

struct Sessions {
    fs::path dir;
    int count = 0;
    bool ok = true;
    void save(const std::string& name, const Writer& w) {
        ok = writeFile(dir / (name + ".bin"), w.bytes()) && ok;
        ++count;
    }
};

// Reverser forward, power on, moving.
Writer& setOff(Writer& w, int32_t power = 3) {
    w.call(script::SetReverser, 1).call(script::SetBrake, 0).call(script::SetPower, power);
    return w.frame(100, 0.0f).frame(100, 10.0f).burst(20, 100, 40.0f);
}

void hostSeeds(Sessions& s) {
    {  // the door and traction interlocks of the shipped example
        Writer w(script::Everything);
        setOff(w).burst(10, 100, 0.0f).op(script::DoorOpen).burst(10, 100, 0.0f);
        w.call(script::SetPower, 4).op(script::DoorClose).burst(10, 100, 0.0f).call(script::SetPower, 0);
        w.call(script::SetPower, 2).burst(10, 100, 20.0f);
        s.save("interlocks", w);
    }
    {  // AWS: a warning acknowledged, one ignored until the brake, the release at a stand
        Writer w(script::Everything);
        setOff(w).beacon(kBeaconAwsClear, 3, 0).burst(10, 100, 50.0f).key(0);
        w.beacon(kBeaconAwsWarning, 0, 0).burst(40, 100, 50.0f).burst(10, 100, 0.0f).key(0).burst(10, 100, 0.0f);
        w.beacon(kBeaconAwsClear, 0, 0).burst(5, 100, 20.0f);
        s.save("aws", w);
    }
    {  // TPWS: train stop and overspeed sensors, the override and the reset
        Writer w(script::Everything);
        setOff(w).beacon(kBeaconTpwsTrainStop, 0, 0).burst(10, 100, 40.0f).burst(250, 100, 0.0f).key(1);
        w.key(7).beacon(kBeaconTpwsTrainStop, 0, 0).burst(10, 100, 30.0f).beacon(kBeaconTpwsSignal, 0, 30).beacon(kBeaconTpwsRestriction, 0, 50);
        w.burst(30, 100, 60.0f).key(1);
        s.save("tpws", w);
    }
    {  // PZB90: activation, the magnets of every kind, the acknowledgement window
        Writer w(script::Everything);
        setOff(w).key(10).beacon(kBeaconPzbDistant, 4, 0).beacon(kBeaconPzbDistant, 2, 0).burst(5, 100, 30.0f);
        w.beacon(kBeaconPzbDistant, 1, 85).key(10).burst(40, 100, 60.0f).beacon(kBeaconPzbHome, 0, 0);
        w.beacon(kBeaconPzbHome, 0, 45).beacon(kBeaconPzbDistant, 0, 45).burst(40, 100, 50.0f).beacon(kBeaconPzbDistant, -1, 0).key(10);
        s.save("pzb90", w);
    }
    {  // vigilance: no activity until the brake, then the key at speed and at a stand
        Writer w(script::Everything);
        setOff(w, 5).burst(255, 200, 60.0f).burst(255, 200, 60.0f).key(2).burst(20, 100, 0.0f).key(2);
        s.save("vigilance", w);
    }
    {  // overspeed control
        Writer w(script::Everything);
        setOff(w, 5).burst(20, 100, 115.0f).burst(20, 100, 130.0f).burst(20, 100, 90.0f);
        s.save("overspeed", w);
    }
    {  // power gaps: forwards through, backwards out, a gap no train leaves, the reminder
        Writer w(script::Everything);
        setOff(w, 5).beacon(kBeaconPowerGap, 0, 10).burst(60, 100, 30.0f).beacon(kBeaconPowerGap, 0, 50).burst(20, 100, 30.0f);
        w.burst(30, 100, -10.0f).burst(30, 100, 30.0f).beacon(kBeaconPowerGap, 0, -1).burst(40, 100, 30.0f);
        w.key(8).burst(5, 100, 30.0f).key(8).beacon(kBeaconPowerGap, 0, 0);
        s.save("powergaps", w);
    }
    {  // wipers and rain: every mode, rain rising and stopping
        Writer w(script::Everything);
        setOff(w).key(5).beacon(kBeaconRain, 0, 100).burst(200, 20, 40.0f).key(6).key(5).key(5);
        w.beacon(kBeaconRain, 0, 50).burst(200, 20, 40.0f).beacon(kBeaconRain, 0, 0).key(6).key(6).burst(100, 20, 40.0f);
        w.beacon(kBeaconRain, 0, 101).beacon(kBeaconRain, 0, -1);
        s.save("wipers", w);
    }
    {  // diesel: gears by hand, the automatic gearbox, a fuel stop
        Writer w(script::Everything);
        setOff(w, 5).key(3).key(3).burst(50, 100, 30.0f).key(3).key(4).key(9).burst(200, 100, 70.0f);
        w.burst(50, 100, 0.0f).beacon(kBeaconFuelFilling, 0, 0).burst(100, 1000, 0.0f).beacon(kBeaconFuelFilling, 0, 0).key(4).key(4);
        s.save("diesel", w);
    }
    {  // steam: cut-off both ways, injector by hand and automatic, blowing off
        Writer w(script::Steam);
        setOff(w, 5).key(3).key(3).key(3).burst(100, 100, 30.0f).key(12).burst(100, 1000, 50.0f);
        w.key(12).key(9).call(script::SetReverser, -1).key(4).key(4).burst(100, 100, -10.0f);
        s.save("steam", w);
    }
    {  // cab: doors on both sides, horns, custom indicators, cab mode, travel meter
        Writer w(script::Everything);
        setOff(w).beacon(kBeaconDoorSide, 0, -1).op(script::DoorOpen).beacon(kBeaconDoorSide, 0, 2).op(script::DoorClose);
        w.beacon(kBeaconDoorSide, 0, 256).beacon(kBeaconDoorSide, 0, 255).call(script::HornBlow, 0).call(script::HornBlow, 1);
        w.call(script::HornBlow, 2).key(12).key(13).key(14).key(15).key(15).burst(100, 100, 80.0f);
        s.save("cab", w);
    }
    {  // speed selector: the key, the power handle as a target speed
        Writer w(script::Everything);
        setOff(w).key(11).call(script::SetPower, 5).burst(50, 100, 60.0f).call(script::SetPower, 1);
        w.burst(50, 100, 60.0f).key(11).call(script::SetPower, 0);
        s.save("speedselector", w);
    }
    {  // a clock that jumps, runs backwards and wraps; speeds no host should send
        Writer w(script::Everything);
        setOff(w).op(script::Elapse).at(std::numeric_limits<int32_t>::max() - 50).speed(40.0f).moving().arrays(script::FirstPair);
        w.frame(100, 40.0f).frame(-5000, 40.0f).frame(0, std::numeric_limits<float>::quiet_NaN());
        w.frame(100, std::numeric_limits<float>::infinity()).frame(100, -std::numeric_limits<float>::infinity());
        w.frame(100, 3.0e38f).frame(100, -3.0e38f);
        w.op(script::Elapse).step(100).speed(40.0f).jumpTo(1.0e300).arrays(script::SecondPair);
        w.op(script::Elapse).step(100).speed(40.0f).jumpTo(-1.0e300).arrays(script::Mixed);
        w.op(script::Elapse).step(100).speed(40.0f).jumpTo(std::numeric_limits<double>::quiet_NaN()).arrays(script::NoArrays);
        w.burst(50, 620000, 80.0f);
        s.save("clock", w);
    }
    {  // vehicle specs that change between restarts, restarts in every mode, a new session
        Writer w(script::Full);
        setOff(w).op(script::SetVehicleSpec).integer(0).integer(0).integer(0).integer(0).integer(0);
        w.frame(100, 10.0f).call(script::Initialize, 0).call(script::SetBrake, 9).call(script::SetPower, 6);
        w.op(script::SetVehicleSpec).integer(std::numeric_limits<int32_t>::max()).integer(std::numeric_limits<int32_t>::max())
            .integer(1).integer(1).integer(1);
        w.call(script::Initialize, 1).frame(100, 10.0f).call(script::SetBrake, -1).call(script::SetPower, -1);
        w.op(script::SetVehicleSpec).integer(-1).integer(-1).integer(-1).integer(-1).integer(-1);
        w.call(script::Initialize, -7).frame(100, 0.0f).call(script::SetReverser, 5).call(script::SetReverser, -2);
        w.op(script::Dispose).frame(100, 0.0f).op(script::Load).frame(100, 0.0f).op(script::GetPluginVersion);
        w.call(script::SetSignal, 3).call(script::KeyDown, -1).call(script::KeyUp, 1000).call(script::HornBlow, -5);
        s.save("lifecycle", w);
    }
    {  // the configuration that is all lists and dictionary lines
        Writer w(script::ListHeavy);
        setOff(w).beacon(kBeaconPowerGap, 0, 30).burst(100, 100, 40.0f).key(1).key(13);
        s.save("listheavy", w);
    }
    {  // no configuration file at all
        Writer w(script::NoFile);
        setOff(w).key(0).beacon(kBeaconAwsClear, 0, 0).burst(50, 100, 40.0f);
        s.save("defaults", w);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_seeds FUZZ_DIR EXAMPLES_DIR\n";
        return 2;
    }
    const fs::path configDir = fs::path(argv[1]) / "corpus" / "config";
    const fs::path hostDir = fs::path(argv[1]) / "corpus" / "host";
    fs::create_directories(configDir);
    fs::create_directories(hostDir);

    bool ok = true;
    int configs = 0;
    auto config = [&](const std::string& name, const std::string& text) {
        ok = writeFile(configDir / (name + ".cfg"), text) && ok;
        ++configs;
    };
    for (const auto& entry : fs::directory_iterator(argv[2])) {
        if (entry.path().extension() != ".cfg") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        config("example-" + entry.path().stem().string(), text.str());
    }
    config("everything", inproc::Everything());
    config("everything-crlf", withCrLf(inproc::Everything()));
    config("steam", inproc::Steam());
    config("full", inproc::kFull);
    config("listheavy", inproc::kListHeavy);
    config("reader-edges", readerEdges());
    config("every-key-0", everyKey("0"));
    config("every-key-minus1", everyKey("-1"));
    config("every-key-1", everyKey("1"));
    config("every-key-max", everyKey("2147483647"));
    config("every-key-min", everyKey("-2147483648"));
    config("every-key-list", everyKey("3,0,-1,2147483647"));
    config("every-key-255", everyKey("255"));
    config("every-key-256", everyKey("256"));
    config("every-key-1000", everyKey("1000,256,255"));
    ok = writeFile(fs::path(argv[1]) / "config.dict", dictionary()) && ok;

    Sessions sessions{hostDir};
    hostSeeds(sessions);
    ok = ok && sessions.ok;
    std::cout << configs << " configuration seeds, " << sessions.count << " host seeds\n";
    return ok ? 0 : 1;
}
