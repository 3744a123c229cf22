// The commented example configuration shipped with the release: it must list every key
// with its true default, and stay readable to its last line.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "config/confload.h"

namespace {

std::vector<std::string> exampleLines() {
    std::ifstream in(std::string(FOOTPLATE_SOURCE_DIR) + "/packaging/footplate.cfg", std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(ExampleConfig, ListsEveryKeyOnceWithItsDefaultAndReadsBackAsTheDefaults) {
    const std::vector<std::string> lines = exampleLines();
    ASSERT_FALSE(lines.empty());
    std::map<std::string, int> seen;
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        // An empty line would end the reading there.
        EXPECT_FALSE(line.empty() || line == "\r") << "line " << n + 1 << " is empty";
        EXPECT_EQ(line.rfind(';', 0), 0u) << "line " << n + 1 << " is active: " << line;
        if (line.size() > 1 && line[1] != ' ' && line.find('=') != std::string::npos) ++seen[line.substr(1)];
    }
    for (int i = 0; i < opt::count; ++i) {
        const std::string entry = std::string(KeyText(i)) + std::to_string(KeyDefault(i));
        EXPECT_EQ(seen[entry], 1) << entry;
    }

    // Uncommenting every key changes nothing: each reads back as its default with no
    // further values, and the cab mode line lands in the dictionary.
    SetDefaults();
    for (const std::string& line : lines) {
        if (line.size() > 1 && line[0] == ';' && line[1] != ' ' && line.find('=') != std::string::npos) {
            std::string active = line.substr(1);
            ApplyConfigLine(active.data());
        }
    }
    for (int i = 0; i < opt::count; ++i) {
        EXPECT_EQ(gOpts[i].value, KeyDefault(i)) << KeyText(i);
        EXPECT_EQ(gOpts[i].next, nullptr) << KeyText(i);
    }
    PLUGIN_OPTION cabmode{};
    ASSERT_TRUE(getFromDictionary(cabmode, "cabmode"));
    int32_t third = 0;
    EXPECT_TRUE(ListValue(cabmode, 2, third));
    EXPECT_EQ(third, -1);
    ScrapConfig();
    SetDefaults();
}

}  // namespace
