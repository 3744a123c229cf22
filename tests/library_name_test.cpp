// The configuration belongs to the library's own file name: authors rename the plugin per
// train and keep one configuration beside each copy.
#include <filesystem>
#include <string>

#include "config/confload.h"
#include "plugin_fixture.h"

namespace {

std::string cfgOf(std::string path) {
    if (!ConfigPathFor(path)) return "<none>";
    return path;
}

TEST(LibraryName, ConfigurationPathFollowsTheLibraryName) {
    const std::string deep = "/" + std::string(600, 'd');  // a path of any length
    const struct {
        std::string library, config;
    } rows[] = {
        {R"(C:\Trains\Class 390\class390.dll)", R"(C:\Trains\Class 390\class390.cfg)"},
        {R"(D:\BVE\PLUGIN.DLL)", R"(D:\BVE\PLUGIN.cfg)"},  // only the last three characters change
        {R"(C:\v1.2\train\ats.dll)", R"(C:\v1.2\train\ats.cfg)"},  // a dot in a folder is no extension
        {R"(C:\v1.2\train\atsdll)", R"(C:\v1.2\train\atscfg)"},
        {"/home/driver/trains/footplate.so", "/home/driver/trains/footplate.cfg"},
        {deep + "/footplate.so", deep + "/footplate.cfg"},
        {"ab", "<none>"},  // too short to hold a name: no configuration at all
        {"", "<none>"},
    };
    for (const auto& row : rows) EXPECT_EQ(cfgOf(row.library), row.config);
}

// Two renamed copies, each with its own configuration beside it: one cuts power while
// the doors are open, the other does not. The second lies deeper than any fixed path
// buffer would reach.
TEST(LibraryName, RenamedCopiesReadTheirOwnConfiguration) {
    const std::string dir = FreshFolder("renamed");
    std::string deepDir = dir;
    for (int i = 0; i < 8; ++i) deepDir += "/" + std::string(40, static_cast<char>('a' + i));
    const std::string locking = "doorpowerlock=1\n";
    const std::string plain = "doorpowerlock=0\n";
    std::string error;
    const std::string lockingPath = StagePlugin(FOOTPLATE_LIBRARY, dir, "class390", &locking, error);
    ASSERT_FALSE(lockingPath.empty()) << error;
    const std::string plainPath = StagePlugin(FOOTPLATE_LIBRARY, deepDir, "class47", &plain, error);
    ASSERT_FALSE(plainPath.empty()) << error;
    ASSERT_GT(plainPath.size(), 300u);

    auto runDoorsOpen = [&](const std::string& path) {
        std::unique_ptr<LoadedPlugin> plugin = LoadedPlugin::Open(path, error);
        EXPECT_TRUE(plugin != nullptr) << error;
        if (!plugin) return -1;
        const PluginApi& api = plugin->api();
        int32_t panel[kSlotCount]{};
        int32_t sound[kSlotCount]{};
        api.Load();
        api.SetVehicleSpec(ATS_VEHICLESPEC{8, 5, 0, 0, 1});
        api.Initialize(2);
        api.SetBrake(0);
        api.SetReverser(1);
        api.SetPower(4);
        ATS_VEHICLESTATE state{};
        state.time = 1000;
        const HandleOutput before = api.Elapse(state, panel, sound);
        EXPECT_EQ(before.power, 4) << path;
        api.DoorOpen();
        state.time = 2000;
        const HandleOutput after = api.Elapse(state, panel, sound);
        api.Dispose();
        return after.power;
    };
    EXPECT_EQ(runDoorsOpen(lockingPath), 0);
    EXPECT_EQ(runDoorsOpen(plainPath), 4);

    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

}  // namespace
