// Loads the plugin library as a simulator host does and stages it beside a configuration.
#include "plugin_loader.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"
#else
#include <dlfcn.h>
#endif

namespace {

void* openLibrary(const std::string& path, std::string& error) {
#if defined(_WIN32)
    // Wide characters, as the plugin reads its own path: a folder named outside the
    // system's code page, or nested deeper than MAX_PATH, still loads.
    const std::wstring wide = platform::WidePath(path.c_str());
    HMODULE module = wide.empty() ? nullptr : LoadLibraryW(wide.c_str());
    if (module == nullptr) error = "cannot load " + path;
    return reinterpret_cast<void*>(module);
#else
    // RTLD_LOCAL keeps each copy's globals its own; a fresh file name gives fresh globals.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) error = dlerror();
    return handle;
#endif
}

void closeLibrary(void* handle) {
#if defined(_WIN32)
    FreeLibrary(reinterpret_cast<HMODULE>(handle));
#else
    dlclose(handle);
#endif
}

template <typename Fn>
bool bind(void* handle, const char* name, Fn& fn, std::string& error) {
#if defined(_WIN32)
    FARPROC address = GetProcAddress(reinterpret_cast<HMODULE>(handle), name);
#else
    void* address = dlsym(handle, name);
#endif
    if (address == nullptr) {
        error = std::string("the library does not export ") + name;
        return false;
    }
    fn = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(address));
    return true;
}

}  // namespace

std::unique_ptr<LoadedPlugin> LoadedPlugin::Open(const std::string& path, std::string& error) {
    std::unique_ptr<LoadedPlugin> plugin(new LoadedPlugin());
    plugin->path_ = path;
    plugin->handle_ = openLibrary(path, error);
    if (plugin->handle_ == nullptr) return nullptr;
    PluginApi& a = plugin->api_;
    void* h = plugin->handle_;
    const bool ok = bind(h, "Load", a.Load, error) && bind(h, "Dispose", a.Dispose, error) &&
                    bind(h, "GetPluginVersion", a.GetPluginVersion, error) &&
                    bind(h, "SetVehicleSpec", a.SetVehicleSpec, error) &&
                    bind(h, "Initialize", a.Initialize, error) && bind(h, "Elapse", a.Elapse, error) &&
                    bind(h, "SetPower", a.SetPower, error) && bind(h, "SetBrake", a.SetBrake, error) &&
                    bind(h, "SetReverser", a.SetReverser, error) && bind(h, "KeyDown", a.KeyDown, error) &&
                    bind(h, "KeyUp", a.KeyUp, error) && bind(h, "HornBlow", a.HornBlow, error) &&
                    bind(h, "DoorOpen", a.DoorOpen, error) && bind(h, "DoorClose", a.DoorClose, error) &&
                    bind(h, "SetSignal", a.SetSignal, error) && bind(h, "SetBeaconData", a.SetBeaconData, error);
    if (!ok) return nullptr;
    return plugin;
}

LoadedPlugin::~LoadedPlugin() {
    if (handle_ != nullptr) closeLibrary(handle_);
}

std::string StagePlugin(const std::string& library, const std::string& dir, const std::string& stem,
                        const std::string* config, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(dir, ec);
    const fs::path target = fs::path(dir) / (stem + fs::path(library).extension().string());
    fs::copy_file(library, target, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        error = "cannot copy " + library + " to " + target.string() + ": " + ec.message();
        return {};
    }
    const fs::path cfg = fs::path(dir) / (stem + ".cfg");
    fs::remove(cfg, ec);
    if (config != nullptr) {
        std::ofstream out(cfg, std::ios::binary);
        out << *config;
        if (!out) {
            error = "cannot write " + cfg.string();
            return {};
        }
    }
    return target.string();
}
