// Loads the plugin library as a simulator host does and stages it beside a configuration.
#include "plugin_loader.h"

#include <cstdint>
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

namespace fs = std::filesystem;

// A UTF-8 path as the file system takes it (on Windows a narrow path would be read in the
// system's code page instead).
fs::path nativePath(const std::string& path) {
#if defined(_WIN32)
    return fs::path(std::u8string(path.begin(), path.end()));
#else
    return fs::path(path);
#endif
}

// What a binary file is for, from its header: "64-bit x86 Linux", "32-bit x86 Windows";
// empty when it is neither an ELF nor a PE file.
std::string binaryKind(const std::string& path) {
    unsigned char head[64] = {};
    std::ifstream in(nativePath(path), std::ios::binary);
    in.read(reinterpret_cast<char*>(head), sizeof head);
    const auto got = static_cast<size_t>(in.gcount());
    // Headers are little-endian: bytes from first, low byte first.
    auto number = [](const unsigned char* bytes, int count) {
        uint32_t value = 0;
        for (int i = count - 1; i >= 0; --i) value = value << 8u | bytes[i];
        return value;
    };
    auto machineName = [](uint32_t machine, bool pe) -> std::string {
        if (machine == (pe ? 0x14cu : 3u)) return "x86";
        if (machine == (pe ? 0x8664u : 62u)) return "x86";
        if (machine == (pe ? 0xaa64u : 183u) || machine == (pe ? 0x1c4u : 40u)) return "ARM";
        return "machine " + std::to_string(machine);
    };
    if (got >= 20 && head[0] == 0x7f && head[1] == 'E' && head[2] == 'L' && head[3] == 'F') {
        const uint32_t machine = number(head + 18, 2);
        return std::string(head[4] == 2 ? "64-bit " : "32-bit ") + machineName(machine, false) + " Linux";
    }
    if (got >= 0x40 && head[0] == 'M' && head[1] == 'Z') {
        const uint32_t offset = number(head + 0x3c, 4);
        unsigned char pe[6] = {};
        in.clear();
        in.seekg(offset);
        in.read(reinterpret_cast<char*>(pe), sizeof pe);
        if (in.gcount() == 6 && pe[0] == 'P' && pe[1] == 'E' && pe[2] == 0 && pe[3] == 0) {
            const uint32_t machine = number(pe + 4, 2);
            const bool wide = machine == 0x8664u || machine == 0xaa64u;
            return std::string(wide ? "64-bit " : "32-bit ") + machineName(machine, true) + " Windows";
        }
    }
    return "";
}

// The libraries this program can load, in the words of binaryKind.
std::string ownKind() {
    std::string machine = "machine unknown";
#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
    machine = "x86";
#elif defined(__aarch64__) || defined(__arm__)
    machine = "ARM";
#endif
#if defined(_WIN32)
    const char* system = " Windows";
#else
    const char* system = " Linux";
#endif
    return std::to_string(sizeof(void*) * 8) + "-bit " + machine + system;
}

// Why a library could not be loaded, in words an author can act on.
std::string loadFailure(const std::string& path, const std::string& loaderSays) {
    std::error_code ec;
    const std::string prefix = "cannot load " + path + ": ";
    if (!fs::exists(nativePath(path), ec)) return prefix + "no such file";
    if (fs::is_directory(nativePath(path), ec)) return prefix + "it is a folder, not a library";
    const std::string kind = binaryKind(path);
    if (kind.empty()) return prefix + "it is not a library";
    if (kind != ownKind()) {
        return prefix + "wrong architecture: it is a " + kind + " library, and this program loads " + ownKind() +
               " libraries";
    }
    return prefix + loaderSays;
}

void* openLibrary(const std::string& path, std::string& error) {
#if defined(_WIN32)
    // Wide characters, as the plugin reads its own path: a folder named outside the
    // system's code page, or nested deeper than MAX_PATH, still loads.
    const std::wstring wide = platform::WidePath(path.c_str());
    HMODULE module = wide.empty() ? nullptr : LoadLibraryW(wide.c_str());
    if (module == nullptr) error = loadFailure(path, "Windows error " + std::to_string(GetLastError()));
    return reinterpret_cast<void*>(module);
#else
    // RTLD_LOCAL keeps each copy's globals its own; a fresh file name gives fresh globals.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* says = dlerror();
        error = loadFailure(path, says != nullptr ? says : "the loader refused it");
    }
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
    // A path with no folder in it would send the system loader searching its own folders:
    // it is taken from the current folder, made absolute.
    std::error_code ec;
    const fs::path absolute = fs::absolute(nativePath(path), ec);
#if defined(_WIN32)
    const std::u8string text = absolute.u8string();
    plugin->path_ = ec ? path : std::string(text.begin(), text.end());
#else
    plugin->path_ = ec ? path : absolute.string();
#endif
    plugin->handle_ = openLibrary(plugin->path_, error);
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
