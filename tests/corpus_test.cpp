// Every input the fuzzers keep as a seed, replayed through the real library as a host
// loads it: extreme notches, options at both ends of int32, clocks that wrap or run
// backwards, NaN speeds. Nothing may crash or trip the sanitizers, no demand may be
// withdrawn more often than placed, and every frame must return what a host can apply.
#include <filesystem>
#include <vector>

#include "command.h"
#include "config/confload.h"
#include "play.h"
#include "plugin_fixture.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> Corpus(const char* kind) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(FOOTPLATE_SOURCE_DIR) / "fuzz/corpus" / kind)) {
        files.push_back(entry.path());
    }
    EXPECT_GE(files.size(), 10u) << kind;
    return files;
}

class CorpusTest : public PluginTest {};

TEST_F(CorpusTest, HostScriptsKeepEveryFrameApplicable) {
    for (const fs::path& file : Corpus("host")) {
        const std::string bytes = ReadWhole(file.string());
        script::Reader in(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        LoadPlugin(play::ScriptConfig(in.byte()));
        ASSERT_FALSE(HasFatalFailure());
        play::Host host(api());
        host.open();
        host.run(in);
        api().Dispose();
        EXPECT_EQ(host.violation, "") << file.filename();
    }
}

TEST_F(CorpusTest, ConfigurationsKeepEveryFrameApplicable) {
    for (const fs::path& file : Corpus("config")) {
        const std::string text = ReadWhole(file.string());
        LoadPlugin(&text);
        ASSERT_FALSE(HasFatalFailure());
        // The driver's keys are read from the file as the plugin reads it.
        ScrapConfig();
        SetDefaults();
        ASSERT_TRUE(LoadConfigFrom(file.string().c_str()));
        int32_t keys[64];
        const int keyCount = play::DriverKeys(keys);
        ScrapConfig();
        play::Host host(api());
        host.configSession(play::Seed(reinterpret_cast<const uint8_t*>(text.data()), text.size()), keys, keyCount);
        EXPECT_EQ(host.violation, "") << file.filename();
    }
}

}  // namespace
