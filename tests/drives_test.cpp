// The example drives, pinned: each drive's timeline must match its committed trace, so any
// change in what the plugin does on them shows as a difference (scripts/update-traces
// writes the traces anew after an intended change).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <vector>

#include <unistd.h>

#include "command.h"

namespace {

namespace fs = std::filesystem;

// The first line where two texts differ, for a readable failure.
std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream a(expected), b(actual);
    std::string left, right;
    for (int line = 1;; ++line) {
        const bool moreLeft = static_cast<bool>(std::getline(a, left));
        const bool moreRight = static_cast<bool>(std::getline(b, right));
        if (!moreLeft && !moreRight) return "no difference";
        if (!moreLeft || !moreRight || left != right) {
            return "line " + std::to_string(line) + "\n  expected: " + (moreLeft ? left : "(end)") +
                   "\n  actual:   " + (moreRight ? right : "(end)");
        }
    }
}

std::vector<std::string> pinnedScenarios() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(FOOTPLATE_SOURCE_DIR) / "examples")) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".scn") names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Drives, EveryExampleMatchesItsPinnedTrace) {
    const std::vector<std::string> names = pinnedScenarios();
    int drives = 0;
    for (const auto& name : names) {
        drives += name.rfind("drive_", 0) == 0 ? 1 : 0;
        SCOPED_TRACE(name);
        const fs::path expectedPath = fs::path(FOOTPLATE_SOURCE_DIR) / "tests" / "drives" / (name + ".expected");
        ASSERT_TRUE(fs::exists(expectedPath)) << "no pinned trace; run scripts/update-traces";
        std::string actual;
        const std::string scenario = (fs::path(FOOTPLATE_SOURCE_DIR) / "examples" / (name + ".scn")).string();
        ASSERT_EQ(RunCommand(Quoted(FOOTPLATE_RUN) + " " + Quoted(scenario), actual), 0);
        const std::string expected = ReadWhole(expectedPath.string());
        EXPECT_EQ(expected, actual) << firstDifference(expected, actual);
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
