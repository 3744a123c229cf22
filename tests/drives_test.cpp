// The example drives, pinned: each drive's timeline must match its committed trace, so any
// change in what the plugin does on them shows as a difference (scripts/update-traces
// writes the traces anew after an intended change).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <vector>

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

}  // namespace
