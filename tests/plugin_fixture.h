// A test host: each test loads its own copy of the plugin library (so it starts from the
// library's load-time globals) with the test's configuration written beside it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "plugin_loader.h"

class PluginTest : public ::testing::Test {
protected:
    void TearDown() override;

    // Copies the library, writes config beside it (none when null) and loads it.
    void LoadPlugin(const std::string* config);
    // Loads the library with config, then Load, SetVehicleSpec and Initialize(mode), and
    // the driver's handle reports a host makes right after (power 0, brake 0, neutral).
    void Start(const std::string& config, int brakes = 8, int power = 5, int mode = 2);
    // Like Start, but without the handle reports: a host that stays silent after Initialize.
    void StartSilently(const std::string& config, int brakes = 8, int power = 5, int mode = 2);
    // Like Start without a configuration file beside the library.
    void StartWithoutConfig(int brakes = 8, int power = 5, int mode = 2);

    // One frame at time (ms) and speed (km/h) through the host's own arrays.
    HandleOutput Frame(int32_t time, float speed = 0.0f, double location = 0.0);

    const PluginApi& api() const { return plugin_->api(); }
    // The configuration file beside this test's copy of the library.
    std::string ConfigPath() const;

    int32_t panel[kSlotCount]{};
    int32_t sound[kSlotCount]{};
    HandleOutput out{};  // what the last frame returned

private:
    void boot(int brakes, int power, int mode);
    std::unique_ptr<LoadedPlugin> plugin_;
    std::string dir_;
    std::string library_;
    bool loaded_ = false;
};

// Writes text to a file, creating it anew.
void WriteFile(const std::string& path, const std::string& text);
// A fresh, empty folder for one test.
std::string FreshFolder(const std::string& name);
