// What the repository shows an author, kept true: the example drives match their pinned
// timelines, the README's chart is the demo's, the generated key tables are the key
// table's, and the documentation's examples run as they stand and do what it says.
#include <gmock/gmock.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <tuple>
#include <vector>

#include "cfgcheck.h"
#include "command.h"
#include "plugin_fixture.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const fs::path kSource(FOOTPLATE_SOURCE_DIR);

// A document's text.
std::string doc(const std::string& name) { return ReadWhole((kSource / "docs" / name).string()); }

// The text of a document from the first begin to the next end after it.
std::string between(const std::string& name, const std::string& begin, const std::string& end) {
    const std::string text = doc(name);
    const size_t start = text.find(begin) + begin.size();  // throws, failing the test, without it
    return text.substr(start, text.find(end, start) - start);
}

// The fenced blocks of one language in a text, each with the ```text block right after it.
std::vector<std::pair<std::string, std::string>> blocks(const std::string& text, const std::string& language) {
    const std::regex block("\n```" + language + "\n([^`]*)```\n(\n```text\n([^`]*)```)?");
    std::vector<std::pair<std::string, std::string>> out;
    for (std::sregex_iterator m(text.begin(), text.end(), block), end; m != end; ++m) out.push_back({(*m)[1], (*m)[3]});
    return out;
}

// What footplate-run prints for these arguments; a drive that fails fails the test.
std::string drive(const std::string& args) {
    std::string out, err;
    EXPECT_EQ(RunCommand(Program(FOOTPLATE_RUN) + " " + args, out, err), 0) << err;
    return out;
}

TEST(Drives, PinnedTracesTheReadmeChartAndTheKeyTablesAreCurrent) {
    for (const auto& entry : fs::directory_iterator(kSource / "examples")) {
        if (entry.path().extension() != ".scn") continue;
        const std::string name = entry.path().stem().string();
        SCOPED_TRACE(name + ": after an intended change, run scripts/update-traces");
        EXPECT_EQ(ReadWhole((kSource / "tests" / "drives" / (name + ".expected")).string()),
                  drive(Quoted(entry.path().string())));  // line by line
    }
    const std::string svg = FreshFolder("chart") + "/chart.svg";
    drive("--svg " + Quoted(svg) + " " + Quoted((kSource / "examples/drive_third_rail.scn").string()));
    EXPECT_EQ(ReadWhole((kSource / "docs/chart.svg").string()), ReadWhole(svg)) << "run scripts/update-traces";
    EXPECT_EQ(between("configuration.md", "markdown; scripts/update-docs -->\n", "<!-- end of key reference -->"),
              KeyReferenceMarkdown()) << "run scripts/update-docs";
    EXPECT_EQ(between("keys.md", "markdown keys; scripts/update-docs -->\n", "<!-- end of key numbers -->"),
              KeyNumberMarkdown()) << "run scripts/update-docs";
}

// Every scenario block (```scn) runs from a copy of examples/ and prints, in order, the
// lines of the ```text block after it ("..." stands for lines left out); every line of
// the beacon table is passed by a train.
TEST(Docs, ScenarioExamplesRunAndPrintWhatTheyShow) {
    const std::string folder = FreshFolder("docs");
    fs::copy(kSource / "examples", folder);
    // Each line of the beacon table on a train that runs past it (with no configuration,
    // no system stops it on the way), then each scenario block.
    std::vector<std::tuple<std::string, std::string, std::string>> runs;  // scenario, lines shown, a call made
    const std::string beacons = between("scenarios.md", "\n## Beacons\n", "\n## ");
    const std::regex beaconLine("\\| `(route [0-9]+ ([0-9]+)[^`]*)` \\|\n");
    for (std::sregex_iterator m(beacons.begin(), beacons.end(), beaconLine), end; m != end; ++m) {
        runs.push_back({"config none.cfg\ntrain brakes 8\n" + (*m)[1].str() + "\ninitialize 2\nreverser 1\npower 5\n"
                        "run 300000\n", "", "> beacon " + (*m)[2].str() + " signal"});
    }
    EXPECT_EQ(runs.size(), 11u);  // every beacon type the plugin reacts to
    const std::string documents = doc("scenarios.md") + doc("configuration.md") + doc("installing.md");
    for (const auto& [scenario, shown] : blocks(documents, "scn")) runs.push_back({scenario, shown, ""});
    EXPECT_GE(runs.size(), 17u);
    WriteFile(folder + "/none.cfg", "");
    for (const auto& [scenario, shown, call] : runs) {
        SCOPED_TRACE(scenario);
        WriteFile(folder + "/doc.scn", scenario);
        const std::string out = drive(Quoted(folder + "/doc.scn"));
        EXPECT_THAT(out, HasSubstr(call));
        std::istringstream lines(shown);  // in order among the lines printed
        size_t from = 0;
        for (std::string line; std::getline(lines, line);) {
            if (line == "...") continue;
            from = ("\n" + out).find("\n" + line + "\n", from);
            ASSERT_NE(from, std::string::npos) << line << "\nis not among, in order:\n" << out;
            from += line.size() + 1;
        }
    }
}

// Every configuration block (```cfg) checks clean, and every line of the trap table draws a
// warning and reads as the table says.
TEST(Docs, ConfigurationExamplesCheckCleanAndEveryTrapWarns) {
    const std::string path = FreshFolder("docs-cfg") + "/doc.cfg";
    for (const auto& [text, shown] : blocks(doc("configuration.md"), "cfg")) {
        WriteFile(path, text);
        EXPECT_EQ(CheckConfigFile(path, "doc.cfg").warnings, 0) << text;
    }
    const std::string traps = between("configuration.md", "\n## The traps\n", "\n## ");
    const std::regex trapLine("\n\\| `([^`]*)` \\| ([^|]*) \\|");
    int rows = 0;
    for (std::sregex_iterator m(traps.begin(), traps.end(), trapLine), end; m != end; ++m, ++rows) {
        const std::string written = (*m)[1].str(), reads = (*m)[2].str();
        SCOPED_TRACE(written);
        WriteFile(path, written + "\n");
        const CheckResult r = CheckConfigFile(path, "doc.cfg");
        EXPECT_GT(r.warnings, 0) << r.report;
        if (std::regex_match(reads, std::regex("-?[0-9]+(, -?[0-9]+)*"))) {
            EXPECT_THAT(r.report, HasSubstr(written.substr(0, written.find('=')) + " = " + reads + "\n"));
        }
    }
    EXPECT_GE(rows, 18);
}

}  // namespace
