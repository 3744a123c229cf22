// The example drives, pinned: each drive's timeline must match its committed trace, so any
// change in what the plugin does on them shows as a difference (scripts/update-traces
// writes the traces anew after an intended change).
#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

#include "command.h"

namespace {

namespace fs = std::filesystem;

TEST(Drives, EveryExampleMatchesItsPinnedTrace) {
    const fs::path source(FOOTPLATE_SOURCE_DIR);
    int drives = 0;
    for (const auto& entry : fs::directory_iterator(source / "examples")) {
        if (entry.path().extension() != ".scn") continue;
        const std::string name = entry.path().stem().string();
        drives += name.rfind("drive_", 0) == 0 ? 1 : 0;
        SCOPED_TRACE(name);
        const fs::path expected = source / "tests" / "drives" / (name + ".expected");
        ASSERT_TRUE(fs::exists(expected)) << "no pinned trace; run scripts/update-traces";
        std::string actual;  // gtest shows the difference line by line
        ASSERT_EQ(RunCommand(Quoted(FOOTPLATE_RUN) + " " + Quoted(entry.path().string()), actual), 0);
        EXPECT_EQ(ReadWhole(expected.string()), actual);
    }
    EXPECT_GE(drives, 5);
}

// The README's picture is the demo drive's chart as footplate-run draws it today.
TEST(Drives, ReadmeChartIsTheDemoDrivesChart) {
    const fs::path folder = fs::temp_directory_path() / ("footplate-chart-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string svg = (folder / "chart.svg").string();
    const std::string scenario = std::string(FOOTPLATE_SOURCE_DIR) + "/examples/drive_third_rail.scn";
    std::string out;
    ASSERT_EQ(RunCommand(Quoted(FOOTPLATE_RUN) + " --svg " + Quoted(svg) + " " + Quoted(scenario), out), 0);
    const std::string drawn = ReadWhole(svg);
    std::error_code ec;
    fs::remove_all(folder, ec);
    EXPECT_EQ(ReadWhole(std::string(FOOTPLATE_SOURCE_DIR) + "/docs/chart.svg"), drawn)
        << "docs/chart.svg is out of date: run scripts/update-traces";
    EXPECT_NE(drawn.find("Third-rail unit"), std::string::npos);
}

}  // namespace
