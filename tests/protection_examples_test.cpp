// The protection examples replayed by footplate-run: each system must warn, brake and
// release where the scenario's comments say it does.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "command.h"

namespace {

std::string RunScenario(const std::string& name) {
    const std::string command =
        std::string(FOOTPLATE_RUN) + " " + FOOTPLATE_SOURCE_DIR + "/examples/" + name + " 2>&1";
    std::string output;
    RunCommand(command, output);
    return output;
}

// The frame line printed at time (as footplate-run formats it), or "" when there is none.
std::string FrameAt(const std::string& output, const std::string& time) {
    size_t pos = 0;
    while ((pos = output.find(time + " s ", pos)) != std::string::npos) {
        const size_t end = output.find('\n', pos);
        const std::string line = output.substr(pos, end - pos);
        if (line.find('>') == std::string::npos) return line;
        pos = end;
    }
    return "";
}

TEST(ProtectionExamples, BritishUnitWarnsBrakesAndReleases) {
    const std::string out = RunScenario("british_emu.scn");
    EXPECT_NE(FrameAt(out, "    5.100").find("sound[2]=1"), std::string::npos) << out;
    EXPECT_NE(FrameAt(out, "   33.000").find("brake  8"), std::string::npos) << out;   // AWS
    EXPECT_NE(FrameAt(out, "   40.100").find("brake  0"), std::string::npos) << out;
    EXPECT_NE(FrameAt(out, "   50.100").find("sound[3]=0"), std::string::npos) << out;  // TPWS
    EXPECT_NE(FrameAt(out, "   75.300").find("brake  0"), std::string::npos) << out;
    EXPECT_NE(FrameAt(out, "  144.000").find("panel[20]=1"), std::string::npos) << out;  // vigilance
    EXPECT_NE(FrameAt(out, "  150.000").find("brake  8"), std::string::npos) << out;
    EXPECT_NE(FrameAt(out, "  154.100").find("brake  0"), std::string::npos) << out;
}

TEST(ProtectionExamples, GermanTrainWarnsBrakesAndReleases) {
    const std::string out = RunScenario("german_pzb.scn");
    EXPECT_NE(FrameAt(out, "    4.100").find("brake  9"), std::string::npos) << out;
    EXPECT_NE(FrameAt(out, "    9.100").find("brake  0"), std::string::npos) << out;
    EXPECT_NE(FrameAt(out, "   20.100").find("panel[41]=1"), std::string::npos) << out;
    EXPECT_NE(FrameAt(out, "   33.000").find("brake  9"), std::string::npos) << out;
    EXPECT_NE(FrameAt(out, "   36.100").find("brake  0"), std::string::npos) << out;
    EXPECT_NE(FrameAt(out, "   45.100").find("brake  9"), std::string::npos) << out;
    EXPECT_NE(FrameAt(out, "   48.100").find("brake  0"), std::string::npos) << out;
}

}  // namespace
