// A test host: each test loads its own copy of the plugin library (so it starts from the
// library's load-time globals) with the test's configuration written beside it, and works
// the driver's controls and the route's beacons as a simulator would.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "plugin_loader.h"

// The default vehicle of every test: 8 service notches and 5 power notches.
inline constexpr int kFullService = 8;
inline constexpr int kEmergency = 9;
inline constexpr int kTopNotch = 5;

class PluginTest : public ::testing::Test {
protected:
    void TearDown() override;

    // Copies the library, writes config beside it (none when null) and loads it.
    void LoadPlugin(const std::string* config);
    // Loads the library with config, then Load, SetVehicleSpec and Initialize(mode), and
    // the driver's handle reports a host makes right after (power 0, brake 0, neutral).
    void Start(const std::string& config, int brakes = kFullService, int power = kTopNotch, int mode = 2);
    // Like Start, but without the handle reports: a host that stays silent after Initialize.
    void StartSilently(const std::string& config, int brakes = kFullService, int power = kTopNotch, int mode = 2);

    // One frame at time (ms) and speed (km/h) through the host's own arrays.
    HandleOutput Frame(int32_t time, float speed = 0.0f, double location = 0.0);
    // One frame, then what a panel or sound slot shows.
    int32_t PanelAt(int slot, int32_t time, float speed = 0.0f);
    int32_t SoundAt(int slot, int32_t time, float speed = 0.0f);
    // What several slots show now, for one matcher over all of them.
    std::vector<int32_t> Panel(std::initializer_list<int> slots) const;
    std::vector<int32_t> Sound(std::initializer_list<int> slots) const;

    // The driver: a key pressed and released; the three handles; a beacon passed.
    void Key(int key);
    void Drive(int reverser, int power, int brake = 0);
    void Beacon(int32_t type, int32_t signal = 0, int32_t optional = 0);
    // A frame at time t and speed, then a beacon passed.
    void BeaconAt(int32_t t, float speed, int32_t type, int32_t signal = 0, int32_t optional = 0);

    const PluginApi& api() const { return plugin_->api(); }
    // The configuration file beside this test's copy of the library.
    std::string ConfigPath() const;

    int32_t panel[kSlotCount]{};
    int32_t sound[kSlotCount]{};
    HandleOutput out{};  // what the last frame returned

private:
    void initialize(int brakes, int power, int mode);
    std::unique_ptr<LoadedPlugin> plugin_;
    std::string dir_;
    std::string library_;
    bool loaded_ = false;
};

// Writes text to a file, creating it anew.
void WriteFile(const std::string& path, const std::string& text);
// A fresh, empty folder for one test.
std::string FreshFolder(const std::string& name);
