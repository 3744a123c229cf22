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
    EXPECT_EQ(cfgOf(R"(C:\Trains\Class 390\footplate.dll)"), R"(C:\Trains\Class 390\footplate.cfg)");
    EXPECT_EQ(cfgOf(R"(C:\Trains\Class 390\class390.dll)"), R"(C:\Trains\Class 390\class390.cfg)");
    // Only the last three characters change: the case of the name is kept.
    EXPECT_EQ(cfgOf(R"(D:\BVE\PLUGIN.DLL)"), R"(D:\BVE\PLUGIN.cfg)");
    // A dot in a folder name is not the extension.
    EXPECT_EQ(cfgOf(R"(C:\v1.2\train\ats.dll)"), R"(C:\v1.2\train\ats.cfg)");
    EXPECT_EQ(cfgOf("/home/driver/trains/footplate.so"), "/home/driver/trains/footplate.cfg");
    // Too short to hold a name: no configuration at all.
    EXPECT_EQ(cfgOf("ab"), "<none>");
    EXPECT_EQ(cfgOf(""), "<none>");
    // A path of any length.
    const std::string deep = "/" + std::string(600, 'd');
    EXPECT_EQ(cfgOf(deep + "/footplate.so"), deep + "/footplate.cfg");
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
