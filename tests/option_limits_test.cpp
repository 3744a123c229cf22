// Option values at both ends of the int32 range for the wipers, rain, power gaps, speed
// selector and cab lamps, with a clock that wraps: every output stays in its range (and the
// sanitized suite sees no undefined arithmetic on the way).
#include <string>

#include "plugin_fixture.h"

namespace {

class OptionLimitsTest : public PluginTest {
protected:
    void DriveWithEveryOptionAt(const std::string& v) {
        Start("wiperindex=60\nwiperrate=" + v + "\nwiperdelay=" + v + "\nwiperholdposition=" + v +
              "\nwipersound=" + v + "," + v + "\nnumberofdrops=" + v + "\ndropstartindex=100\ndropsound=" + v + "," +
              v + "\npowergapbehaviour=1\npowerpickuppoints=" + v + "," + v + ",0\npowerindicator=50\n" +
              "speedselectorkey=7\nspeedselectorspeeds=" + v + "\nklaxonindicator=20," + v + "," + v +
              "\ntravelmetermode=1\ntravelmeter001=30\ncustomindicators=" + v + "," + v + "\n");
        Frame(100, 40.0f, 0.0);
        api().KeyDown(5);
        api().KeyDown(5);
        api().KeyDown(7);
        api().SetPower(5);
        api().HornBlow(0);
        api().HornBlow(1);
        api().SetBeaconData(ATS_BEACONDATA{21, 0, 0.0f, 100});
        api().SetBeaconData(ATS_BEACONDATA{20, 0, 0.0f, -2147483647 - 1});
        api().SetBeaconData(ATS_BEACONDATA{20, 0, 0.0f, 5});
        int32_t time = 2147483647 - 300;  // the clock passes the int32 limit and wraps
        double location = 0.0;
        for (int i = 0; i < 80; ++i) {
            time = static_cast<int32_t>(static_cast<uint32_t>(time) + 10u);
            location += i < 60 ? 2.0 : -1.0;
            Frame(time, i < 60 ? 40.0f : -40.0f, location);
            ASSERT_GE(panel[60], 0) << i;
            ASSERT_LE(panel[60], 100) << i;
            ASSERT_GE(out.power, 0) << i;
            ASSERT_LE(out.power, 5) << i;
        }
        api().KeyDown(6);
        api().KeyDown(6);
        Frame(time, 40.0f, 1.0e300);
        EXPECT_EQ(panel[30], 2147483647) << "the travel meter saturates";
        api().KeyUp(7);
        Frame(time, 0.0f, 1.0e300);
        EXPECT_EQ(out.power, 0);
    }
};

TEST_F(OptionLimitsTest, EveryOptionAtTheMostNegativeInt32) { DriveWithEveryOptionAt("-2147483648"); }

TEST_F(OptionLimitsTest, EveryOptionAtTheLargestInt32) { DriveWithEveryOptionAt("2147483647"); }

}  // namespace
