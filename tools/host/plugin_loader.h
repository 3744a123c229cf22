// Loads the plugin library the way a simulator host does and hands out its sixteen exports.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "plugin/records.h"

#if defined(_WIN32)
#define FP_HOSTCALL __stdcall
#else
#define FP_HOSTCALL
#endif

struct PluginApi {
    void(FP_HOSTCALL* Load)();
    void(FP_HOSTCALL* Dispose)();
    int32_t(FP_HOSTCALL* GetPluginVersion)();
    void(FP_HOSTCALL* SetVehicleSpec)(ATS_VEHICLESPEC);
    void(FP_HOSTCALL* Initialize)(int32_t);
    HandleOutput(FP_HOSTCALL* Elapse)(ATS_VEHICLESTATE, int32_t*, int32_t*);
    void(FP_HOSTCALL* SetPower)(int32_t);
    void(FP_HOSTCALL* SetBrake)(int32_t);
    void(FP_HOSTCALL* SetReverser)(int32_t);
    void(FP_HOSTCALL* KeyDown)(int32_t);
    void(FP_HOSTCALL* KeyUp)(int32_t);
    void(FP_HOSTCALL* HornBlow)(int32_t);
    void(FP_HOSTCALL* DoorOpen)();
    void(FP_HOSTCALL* DoorClose)();
    void(FP_HOSTCALL* SetSignal)(int32_t);
    void(FP_HOSTCALL* SetBeaconData)(ATS_BEACONDATA);
};

class LoadedPlugin {
public:
    // Loads the library at path; null with a reason in error when it cannot, or when an
    // export is missing.
    static std::unique_ptr<LoadedPlugin> Open(const std::string& path, std::string& error);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    const PluginApi& api() const { return api_; }
    const std::string& path() const { return path_; }

private:
    LoadedPlugin() = default;
    void* handle_ = nullptr;
    std::string path_;
    PluginApi api_{};
};

// Copies the library into dir under the name stem + its extension and writes the
// configuration text beside it (stem + ".cfg"), as an author would lay out a train.
// A null config writes no file. Returns the copied library's path, empty on failure.
std::string StagePlugin(const std::string& library, const std::string& dir, const std::string& stem,
                        const std::string* config, std::string& error);
