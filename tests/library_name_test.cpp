// The configuration belongs to the library's own file name: authors rename the plugin per
// train and keep one configuration beside each copy.
#include <filesystem>
#include <string>

#include "config/confload.h"
#include "plugin_fixture.h"

namespace {

TEST(LibraryName, ConfigurationPathFollowsTheLibraryName) {
    const std::pair<std::string, std::string> rows[] = {
        {R"(D:\BVE\PLUGIN.DLL)", R"(D:\BVE\PLUGIN.cfg)"},  // only the last three characters change
        {R"(C:\v1.2\train\atsdll)", R"(C:\v1.2\train\atscfg)"},  // a dot in a folder is no extension
        {"/home/driver/trains/footplate.so", "/home/driver/trains/footplate.cfg"},
        {"ab", "<none>"},  // too short to hold a name: no configuration at all
    };
    for (auto [path, config] : rows) EXPECT_EQ(ConfigPathFor(path) ? path : "<none>", config);
}

// Two renamed copies side by side, deeper than any fixed path buffer would reach, each
// with its own configuration: one cuts power while the doors are open, the other does not.
TEST(LibraryName, RenamedCopiesReadTheirOwnConfiguration) {
    const std::string dir = FreshFolder("renamed");
    std::string deep = dir;
    for (char c = 'a'; c < 'i'; ++c) deep += "/" + std::string(40, c);
    const std::tuple<std::string, std::string, int> copies[] = {{"class390", "doorpowerlock=1\n", 0},
                                                                {"class47", "doorpowerlock=0\n", 4}};
    for (const auto& [stem, config, power] : copies) {
        std::string error;
        const std::string library = StagePlugin(FOOTPLATE_LIBRARY, deep, stem, &config, error);
        const std::unique_ptr<LoadedPlugin> plugin = LoadedPlugin::Open(library, error);
        ASSERT_TRUE(plugin != nullptr) << error;
        const PluginApi& api = plugin->api();
        int32_t slots[2][kSlotCount]{};  // panel and sound
        api.Load();
        api.SetVehicleSpec(ATS_VEHICLESPEC{8, 5, 0, 0, 1});
        api.Initialize(2);
        api.SetReverser(1);
        api.SetPower(4);
        api.DoorOpen();
        EXPECT_EQ(api.Elapse(ATS_VEHICLESTATE{}, slots[0], slots[1]).power, power) << library;
        api.Dispose();
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

}  // namespace
