// The configuration belongs to the library's own file: authors rename the plugin per train
// and keep one configuration beside each copy, and players install trains under folders
// named in their own language, with spaces and nested deep, whatever folder the simulator
// itself runs in.
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "config/confload.h"
#include "plugin_fixture.h"

namespace {

namespace fs = std::filesystem;

TEST(LibraryName, ConfigurationPathFollowsTheLibraryName) {
    const std::pair<std::string, std::string> rows[] = {
        {R"(D:\BVE\PLUGIN.DLL)", R"(D:\BVE\PLUGIN.cfg)"},  // only the last three characters change
        {R"(C:\v1.2\train\atsdll)", R"(C:\v1.2\train\atscfg)"},  // a dot in a folder is no extension
        {"/home/driver/trains/footplate.so", "/home/driver/trains/footplate.cfg"},
        {"ab", "<none>"},  // too short to hold a name: no configuration at all
    };
    for (auto [path, config] : rows) EXPECT_EQ(ConfigPathFor(path) ? path : "<none>", config);
}

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Stages a copy of the library as stem in folder with config beside it, and returns the
// power notch the train keeps with its doors open.
int powerWithDoorsOpen(const fs::path& folder, const std::u8string& stem, const std::string& config) {
    fs::create_directories(folder);
    const fs::path library = folder / (stem + fs::path(FOOTPLATE_LIBRARY).extension().u8string());
    fs::copy_file(FOOTPLATE_LIBRARY, library, fs::copy_options::overwrite_existing);
    std::ofstream(folder / (stem + u8".cfg"), std::ios::binary) << config;
    std::string error;
    const std::unique_ptr<LoadedPlugin> plugin = LoadedPlugin::Open(utf8(library), error);
    EXPECT_TRUE(plugin != nullptr) << error;
    if (!plugin) return -1;
    const PluginApi& api = plugin->api();
    int32_t slots[2][kSlotCount]{};  // panel and sound
    api.Load();
    api.SetVehicleSpec(ATS_VEHICLESPEC{8, 5, 0, 0, 1});
    api.Initialize(2);
    api.SetReverser(1);
    api.SetPower(4);
    api.DoorOpen();
    const int power = api.Elapse(ATS_VEHICLESTATE{}, slots[0], slots[1]).power;
    api.Dispose();
    return power;
}

// A copy cuts power while the doors are open only when the file beside it says so. The
// simulator's own folder, the current one, holds a file of the library's name that says
// otherwise: only the one beside the library counts.
TEST(LibraryName, EveryCopyReadsTheConfigurationBesideIt) {
    const fs::path root = FreshFolder("install");
    std::ofstream(root / "footplate.cfg", std::ios::binary) << "doorpowerlock=0\n";
    const fs::path before = fs::current_path();
    fs::current_path(root);
    fs::path deep = root / u8"電車";
    for (char8_t c = u8'a'; deep.native().size() < 300; ++c) deep /= std::u8string(40, c);
    const std::string locks = "doorpowerlock=1\n";
    const std::tuple<fs::path, std::u8string, std::string, int> rows[] = {
        {root / u8"電車", u8"footplate", locks, 0},
        {root / u8"Τρένα" / u8"Κλάση 220", u8"footplate", locks, 0},
        {root / u8"Program Files" / u8"Class 390 units", u8"class390", locks, 0},
        {root / u8"Program Files" / u8"Class 390 units", u8"class47", "doorpowerlock=0\n", 4},  // its neighbour
        {root / u8"Züge", u8"σιδηρόδρομος", locks, 0},  // the library's own name too
        {deep, u8"footplate", locks, 0},                 // past MAX_PATH and any fixed path buffer
    };
    for (const auto& [folder, stem, config, power] : rows) {
        EXPECT_EQ(powerWithDoorsOpen(folder, stem, config), power) << utf8(folder / stem);
    }
    fs::current_path(before);
    std::error_code ec;
    fs::remove_all(root, ec);
}

}  // namespace
