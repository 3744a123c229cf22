// Handle arbitration, the interlocks and the speed selector, through the exported interface.
#include "plugin_fixture.h"

#include <sstream>
#include <string>

namespace {

using ::testing::ElementsAre;

class TrainControlTest : public PluginTest {
protected:
    // The driver's acts, then what the next frame returns. Acts: B, P, R with a notch for the
    // three handles; O and C doors open and close; K and U with a key number down and up;
    // S with km/h for the frames from this one on (a handle sees the last frame's speed);
    // I a restart without handle reports, in brake mode 2 unless a mode follows.
    struct Row { const char* acts; int brake, power, reverser; };
    void Run(std::initializer_list<Row> rows) {
        for (const Row& row : rows) {
            std::istringstream acts(row.acts);
            std::string act;
            while (acts >> act) {
                const float n = act.size() > 1 ? std::stof(act.substr(1)) : 0.0f;
                switch (act[0]) {
                case 'B': api().SetBrake(static_cast<int>(n)); break;
                case 'P': api().SetPower(static_cast<int>(n)); break;
                case 'R': api().SetReverser(static_cast<int>(n)); break;
                case 'O': api().DoorOpen(); break;
                case 'C': api().DoorClose(); break;
                case 'K': api().KeyDown(static_cast<int>(n)); break;
                case 'U': api().KeyUp(static_cast<int>(n)); break;
                case 'S': speed_ = n; break;
                case 'I': api().Initialize(act.size() > 1 ? static_cast<int>(n) : 2); break;
                default: FAIL() << act;
                }
            }
            Frame(time_ += 100, speed_);
            EXPECT_THAT((std::vector<int32_t>{out.brake, out.power, out.reverser}),
                        ElementsAre(row.brake, row.power, row.reverser)) << row.acts;
        }
    }
    // The same on a fresh start with config (the plugin before is disposed of).
    void Run(const std::string& config, std::initializer_list<Row> rows) {
        Start(config);
        Run(rows);
    }
    int32_t time_ = 0;
    float speed_ = 0.0f;
};

TEST_F(TrainControlTest, DemandsOfEverySourceCountAndTheMostRestrictiveWins) {
    // Hosts report closed doors at the start: that closing withdraws nothing. Two openings
    // place two demands. A brake notch or reverser position beyond the vehicle is ignored,
    // and with no demand left the output keeps its value. A restart drops the doors' demands
    // and openings and puts the driver's handles at power 0, neutral and the brake of its mode.
    Run("doorapplybrake=2\ndoorpowerlock=1\n",
        {{"C R1 P5", 0, 5, 1}, {"O O", kEmergency, 0, 1}, {"C", kEmergency, 0, 1}, {"C", 0, 5, 1},
         {"B4", 4, 5, 1}, {"B12", 4, 5, 1}, {"B2", 2, 5, 1}, {"R5", 2, 5, 1},
         {"O I", 0, 0, 0}, {"R1 P3 O", kEmergency, 0, 1}, {"C", 0, 3, 1},
         // Brake mode 1 starts on emergency, 0 on full service, any other released.
         {"I1", kEmergency, 0, 0}, {"I0", kFullService, 0, 0}, {"I5", 0, 0, 0}});
    // Only 1 and 2 mean anything: full service or emergency, and 1 a power cut.
    Run("doorapplybrake=1\ndoorpowerlock=2\n", {{"R1 P4 O", kFullService, 4, 1}, {"C", 0, 4, 1}});
    Run("doorapplybrake=3\ntractioninterlock=2\n", {{"R1 P4 O B2", 2, 4, 1}});  // and of the traction interlock only 1
}

TEST_F(TrainControlTest, InterlocksOfTheTractionAndTheReverser) {
    // The traction interlock: released brakes do not set it (B12 leaves no brake demand, B0 places one on notch 0).
    // 3 to 2 does not touch notch 0; off notch 0 while braking gives power at once, until
    // the next brake application.
    Run("tractioninterlock=1\n", {{"R1 P3", 0, 3, 1}, {"B12 B0", 0, 3, 1}, {"B2", 2, 0, 1}, {"B0", 0, 0, 1},
                                  {"P2", 0, 0, 1}, {"P0 P2", 0, 2, 1}, {"P0 B3 P1", 3, 1, 1}, {"B4", 4, 0, 1}});
    // Neutral reported again places no second demand; forward to backward withdraws nothing.
    Run("neutralrvrbrake=1\n", {{"R0", kFullService, 0, 0}, {"R1", 0, 0, 1}, {"R-1 B3 B0", 0, 0, -1},
                                {"R0", kFullService, 0, 0}, {"R1", 0, 0, 1}});
    // A host silent after the start still finds it balanced; other values mean emergency.
    StartSilently("neutralrvrbrake=2\n");
    Run({{"", kEmergency, 0, 0}, {"R1", 0, 0, 1}, {"R0", kEmergency, 0, 0}});
    // Reverser control 1: out of neutral is ignored while moving; the handle's own slot follows the handle.
    Run("reversercontrol=1\nreverserindex=20\neffectivervrindex=21\n",
        {{"R1 S30", 0, 0, 1}, {"R0", 0, 0, 0}, {"R1", 0, 0, 0}});
    EXPECT_THAT(Panel({20, 21}), ElementsAre(1, 0));
    Run({{"S0", 0, 0, 0}, {"R-1", 0, 0, -1}});
    EXPECT_THAT(Panel({20, 21}), ElementsAre(2, 2));
    // 2: a move while moving forces neutral until a restart.
    Run("reversercontrol=2\n",
        {{"R1 S10", 0, 0, 1}, {"R-1", 0, 0, 0}, {"S0 R1", 0, 0, 0}, {"R1", 0, 0, 0}, {"I", 0, 0, 0}, {"R1", 0, 0, 1}});
}

TEST_F(TrainControlTest, HandlesBeforeInitializeAreOnlyRecordedAndTablesKeepTheirStartsSizes) {
    const std::string config = "doorapplybrake=2\n";
    LoadPlugin(&config);
    api().Load();
    api().SetVehicleSpec(ATS_VEHICLESPEC{8, 5, 0, 0, 1});
    Run({{"P4 B3 O", 0, 0, 0}, {"I P2 R1", 0, 2, 1}});
    // A vehicle spec changed after the start: the emergency notch 31 and notches 25 and 18
    // lie beyond the tables until a restart.
    api().SetVehicleSpec(ATS_VEHICLESPEC{30, 20, 0, 0, 1});
    Run({{"B25 P18 O", 0, 2, 1}, {"C B3 P1", 3, 1, 1}, {"I B25", 25, 0, 0}});
    api().Dispose();
}

TEST_F(TrainControlTest, SpeedSelectorAppliesTheNotchBelowItsTargetWhileTheKeyIsHeld) {
    // Notch 2 up to 40 km/h, without hysteresis; notch 1's 20 km/h passed already; notch 5
    // beyond the list takes its last number, and backwards counts as forwards. The selector's
    // demand counts with the doors'; only its key engages it, and a restart forgets the key.
    Run("speedselectorkey=7\nspeedselectorspeeds=0,20,40,60\ndoorpowerlock=1\ntractioninterlock=1\n",
        {{"K7 P2 S39.9", 0, 2, 0}, {"S40", 0, 0, 0}, {"S39", 0, 2, 0}, {"P1", 0, 0, 0},
         {"P5 S-59", 0, 5, 0}, {"S-60", 0, 0, 0}, {"O S30", 0, 0, 0}, {"C P3", 0, 3, 0},
         {"U7", 0, 0, 0}, {"K8", 0, 0, 0}, {"K7 P1 S10", 0, 1, 0}, {"I P1", 0, 0, 0},
         // The traction interlock holds the selector's power too.
         {"K7 P2 S30", 0, 2, 0}, {"B3", 3, 0, 0}, {"B0", 0, 0, 0}, {"P0", 0, 0, 0}, {"P2", 0, 2, 0}});
    Run("speedselectorkey=7\n", {{"K7 P3", 0, 0, 0}});     // every target 0: never any power
}

}  // namespace
