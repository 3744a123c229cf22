// The test host's staging, start-up and driver's controls.
#include "plugin_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

std::vector<int32_t> valuesAt(const int32_t* slots, std::initializer_list<int> which) {
    std::vector<int32_t> values;
    for (const int slot : which) values.push_back(slots[slot]);
    return values;
}

}  // namespace

std::string FreshFolder(const std::string& name) {
    // Test processes run side by side; each keeps its folders under a name of its own.
    static const std::string session = std::to_string(std::random_device{}());
    static int counter = 0;
    const fs::path dir = fs::temp_directory_path() / ("footplate-tests-" + session) /
                         (name + "-" + std::to_string(++counter));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

void PluginTest::LoadPlugin(const std::string* config) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    // A test that loads several copies: the one before is disposed of as a host would.
    if (plugin_ && loaded_) api().Dispose();
    loaded_ = false;
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
    dir_ = FreshFolder(name);
    std::string error;
    const std::string path = StagePlugin(FOOTPLATE_LIBRARY, dir_, "fp_" + name, config, error);
    ASSERT_FALSE(path.empty()) << error;
    library_ = path;
    plugin_ = LoadedPlugin::Open(path, error);
    ASSERT_TRUE(plugin_ != nullptr) << error;
}

void PluginTest::StartSilently(const std::string& config, int brakes, int power, int mode) {
    LoadPlugin(&config);
    if (!HasFatalFailure()) initialize(brakes, power, mode);
}

void PluginTest::Start(const std::string& config, int brakes, int power, int mode) {
    StartSilently(config, brakes, power, mode);
    if (!HasFatalFailure()) Drive(0, 0);
}

void PluginTest::initialize(int brakes, int power, int mode) {
    api().Load();
    loaded_ = true;
    api().SetVehicleSpec(ATS_VEHICLESPEC{brakes, power, 0, 0, 1});
    api().Initialize(mode);
}

HandleOutput PluginTest::Frame(int32_t time, float speed, double location) {
    ATS_VEHICLESTATE state{};
    state.location = location;
    state.speed = speed;
    state.time = time;
    out = api().Elapse(state, panel, sound);
    return out;
}

int32_t PluginTest::PanelAt(int slot, int32_t time, float speed) {
    Frame(time, speed);
    return panel[slot];
}

int32_t PluginTest::SoundAt(int slot, int32_t time, float speed) {
    Frame(time, speed);
    return sound[slot];
}

std::vector<int32_t> PluginTest::Panel(std::initializer_list<int> slots) const { return valuesAt(panel, slots); }

std::vector<int32_t> PluginTest::Sound(std::initializer_list<int> slots) const { return valuesAt(sound, slots); }

void PluginTest::Key(int key) {
    api().KeyDown(key);
    api().KeyUp(key);
}

void PluginTest::Drive(int reverser, int power, int brake) {
    api().SetReverser(reverser);
    api().SetBrake(brake);
    api().SetPower(power);
}

void PluginTest::Beacon(int32_t type, int32_t signal, int32_t optional) {
    api().SetBeaconData(ATS_BEACONDATA{type, signal, 0.0f, optional});
}

void PluginTest::BeaconAt(int32_t t, float speed, int32_t type, int32_t signal, int32_t optional) {
    Frame(t, speed);
    Beacon(type, signal, optional);
}

std::string PluginTest::ConfigPath() const {
    std::string path = library_;
    return path.replace(path.find_last_of('.'), std::string::npos, ".cfg");
}

void PluginTest::TearDown() {
    if (plugin_ && loaded_) api().Dispose();
    plugin_.reset();
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
}
