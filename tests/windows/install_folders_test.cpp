// Players install simulators and trains under folders named in their own language, with
// spaces, and nested deep: the plugin must read the configuration beside it in every one,
// whatever folder the simulator runs in.
#include <filesystem>
#include <fstream>
#include <string>

#include "plugin_fixture.h"

namespace {

namespace fs = std::filesystem;

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Lays out a train: the library as stem.dll with stem.cfg beside it, which locks the power
// while the doors are open (the default leaves it on).
fs::path stageTrain(const fs::path& folder, const std::u8string& stem) {
    fs::create_directories(folder);
    const fs::path library = folder / (stem + u8".dll");
    fs::copy_file(FOOTPLATE_LIBRARY, library, fs::copy_options::overwrite_existing);
    std::ofstream(folder / (stem + u8".cfg"), std::ios::binary) << "doorpowerlock=1\n";
    return library;
}

// The power notch the train keeps with its doors open: 0 once the configuration was read.
int powerWithDoorsOpen(const fs::path& library) {
    std::string error;
    std::unique_ptr<LoadedPlugin> plugin = LoadedPlugin::Open(utf8(library), error);
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

// The simulator runs in a folder of its own, which may hold a file of the library's name
// too: only the one beside the library counts.
TEST(InstallFolders, ConfigurationIsReadUnderAnyFolderNameWhateverTheCurrentFolder) {
    const fs::path root = fs::path(FreshFolder("install"));
    std::ofstream(root / u8"footplate.cfg", std::ios::binary) << "doorpowerlock=0\n";
    const fs::path before = fs::current_path();
    fs::current_path(root);
    fs::path deep = root / u8"電車";
    for (int i = 0; deep.native().size() < 300; ++i) deep /= std::u8string(40, static_cast<char8_t>(u8'a' + i));
    const std::pair<fs::path, std::u8string> rows[] = {
        {root / u8"電車", u8"footplate"},
        {root / u8"Τρένα" / u8"Κλάση 220", u8"footplate"},
        {root / u8"Program Files" / u8"Class 390 units", u8"footplate"},
        {root / u8"Züge", u8"σιδηρόδρομος"},  // the library's own name too
        {deep, u8"footplate"},                 // past MAX_PATH
    };
    for (const auto& [folder, stem] : rows) {
        SCOPED_TRACE(utf8(folder));
        EXPECT_EQ(powerWithDoorsOpen(stageTrain(folder, stem)), 0);
    }
    fs::current_path(before);
    std::error_code ec;
    fs::remove_all(root, ec);
}

}  // namespace
