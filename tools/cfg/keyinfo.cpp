// The one table that says what every configuration key means.
#include "keyinfo.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

constexpr const char* kAws = "AWS";
constexpr const char* kTpws = "TPWS";
constexpr const char* kVigilance = "Vigilance device";
constexpr const char* kOverspeed = "Overspeed control";
constexpr const char* kPzb = "PZB90";
constexpr const char* kHandles = "Handles and interlocks";
constexpr const char* kSelector = "Speed selector";
constexpr const char* kPower = "Power gaps and power-cut reminder";
constexpr const char* kCab = "Doors, horn, travel meter and cab lamps";
constexpr const char* kWipers = "Windscreen wipers and rain";
constexpr const char* kTraction = "Traction: common to both models";
constexpr const char* kDiesel = "Diesel model";
constexpr const char* kSteam = "Steam model";

constexpr ValueRange kZeroUp{0, kMost};
constexpr ValueRange kSwitch{0, 1};

constexpr const char* kGroups[] = {kAws,   kTpws, kVigilance, kOverspeed, kPzb,     kHandles, kSelector,
                                   kPower, kCab,  kWipers,    kTraction,  kDiesel, kSteam};

constexpr KeyInfo kKeys[] = {
    {"system", kAws, "mode", "N",
     "What the AWS/TPWS module does. 0: nothing. 1: AWS only. 2: AWS and TPWS (all three TPWS beacon "
     "types). 3: TPWS train stops only (beacon 44003), no AWS. Any other value: the module runs but reacts to "
     "no beacon.", {0, 3}},
    {"awsindicator", kAws, "panel slot", "P",
     "The AWS visual indicator: 1 after an acknowledged warning (or from the start of a warning with "
     "awsindicatorappear 1), 0 after a clear indication or a brake release."},
    {"awswarningsound", kAws, "sound slot", "S", "The AWS warning horn, looped from a warning until it is acknowledged."},
    {"awsclearsound", kAws, "sound slot", "S", "The AWS clear bell, played once at a clear magnet."},
    {"awsacknowledgekey", kAws, "key number", "KP",
     "1st: the key that acknowledges an AWS warning (and releases the AWS brake). 2nd, optional: a panel slot "
     "that shows 1 while the key is held."},
    {"awsminspeed", kAws, "km/h", "N", "At or below this speed even a clear magnet gives a warning.", kZeroUp},
    {"awsdelay", kAws, "ms", "N", "Time the driver has to acknowledge a warning before the emergency brake applies.", kZeroUp},
    {"awsindicatorappear", kAws, "switch", "N",
     "1: the indicator shows 1 as soon as a warning starts. Any other value: it shows 1 only once the warning is "
     "acknowledged.", kSwitch},
    {"awsbrakecancel", kAws, "mode", "N",
     "How the acknowledge key releases the AWS brake. 0: only at a stand. 1: pressed at any speed, it releases "
     "at the next stand. Any other value: at once, at any speed.", {0, 2}},
    {"tpwsindicator", kTpws, "panel slot", "PN",
     "1st: the TPWS brake-demand lamp (flashing after a trip, steady after the reset key). 2nd, optional: its "
     "flash period in ms.", kZeroUp},
    {"tpwsindicator2", kTpws, "panel slot", "PN",
     "1st: the TPWS train-stop override lamp (flashing while an override runs). 2nd, optional: its flash period "
     "in ms.", kZeroUp},
    {"tpwsindicator3", kTpws, "panel slot", "P", "A lamp that only the start-up lamp test lights (startuptest 2)."},
    {"tpwswarningsound", kTpws, "sound slot", "S", "The TPWS alarm, looped from a trip until the reset key."},
    {"tpwsresetkey", kTpws, "key number", "K",
     "The key that resets the TPWS after a trip. By default it is the same key as the AWS acknowledgement."},
    {"tpwsoverridekey", kTpws, "key number", "K",
     "The key that starts (or cancels) a train-stop override, which lets the train pass one train stop at "
     "danger. While the override runs, the overspeed sensors (beacons 44002 and 44004) do not trip either, "
     "and the next train stop uses it up whatever its signal shows."},
    {"tpwsstopdelay", kTpws, "s", "N",
     "How long the train must stand after a trip before the TPWS brake can come off. It counts from the "
     "first stand after the trip and is not restarted when the train moves and stops again.", kZeroUp},
    {"tpwsoverridelifetime", kTpws, "s", "N", "How long a train-stop override stays armed.", kZeroUp},
    {"tpwsbrakecancel", kTpws, "mode", "N",
     "How the reset key releases the TPWS brake. 0: only a press made at a stand once the stop delay is "
     "over releases it; until then the alarm keeps sounding, so the key must be pressed again after the "
     "delay. 1: pressed at any speed, it silences the alarm, and the brake comes off by itself at a stand "
     "after the stop delay. Any other value: at once.", {0, 2}},
    {"startuptest", kAws, "mode", "N",
     "0: no start-up test. 1: the AWS horn sounds when the reverser first leaves neutral, until acknowledged. "
     "2: the same with the TPWS lamp test. Above 2: as 1.", {0, 2}},
    {"overspeedcontrol", kOverspeed, "switch", "N",
     "Any value other than 0 switches the overspeed control on. It compares whole km/h, the speed "
     "truncated (89.9 km/h counts as 89), while the TPWS and PZB90 compare the exact speed."},
    {"warningspeed", kOverspeed, "km/h", "N",
     "At or above this speed the overspeed indicator and alarm come on. The default -1 turns them on at every "
     "speed, so set it whenever the control is on.", {-1, kMost}},
    {"overspeed", kOverspeed, "km/h", "N",
     "At or above this speed, in whole km/h, the full service brake applies.", kZeroUp},
    {"safespeed", kOverspeed, "km/h", "N",
     "At or below this speed, in whole km/h, the indicator and alarm go off and the brake releases: with "
     "120 the brake comes off only below 121 km/h.", kZeroUp},
    {"overspeedindicator", kOverspeed, "panel slot", "P", "The overspeed indicator: 1 on, 0 off."},
    {"overspeedalarm", kOverspeed, "sound slot", "S", "The overspeed alarm, looped while the indicator is on."},
    {"vigilance", kVigilance, "switch", "N", "Any value other than 0 switches the vigilance device on."},
    {"vigilancelamp", kVigilance, "panel slot", "P", "The vigilance lamp, lit when the driver must respond."},
    {"vigilancealarm", kVigilance, "sound slot", "S", "The vigilance alarm, looped after the first delay."},
    {"vigilancekey", kVigilance, "key number", "K",
     "The key that resets the vigilance device and, once it has braked, releases the brake (at a stand unless "
     "vigilancecancellable is 1)."},
    {"vigilanceinterval", kVigilance, "ms", "N*",
     "Time without driver activity before the lamp lights; one number per power notch the train obeys "
     "(notch 0 first), not the handle's: a power cut by a door, a gap or another system selects notch 0's "
     "interval. Notches beyond the list use the last number.", kZeroUp},
    {"vigilancedelay1", kVigilance, "ms", "N", "Time from the lamp to the alarm.", kZeroUp},
    {"vigilancedelay2", kVigilance, "ms", "N", "Time from the alarm to the emergency brake.", kZeroUp},
    {"independentvigilance", kVigilance, "switch", "N",
     "0: any key and any power, brake, reverser or horn action resets the device. Any other value: only the "
     "vigilance key does."},
    {"vigilanceinactivespeed", kVigilance, "km/h", "N",
     "At or below this speed the device rests. The special value -2 makes it rest while the reverser is in "
     "neutral instead, at any speed.", {-2, kMost}},
    {"vigilancecancellable", kVigilance, "switch", "N",
     "1: the vigilance key releases the brake at any speed. Any other value: only at a stand.", kSwitch},
    {"vigilanceautorelease", kVigilance, "switch", "N", "1: the vigilance brake releases by itself at a stand.", kSwitch},
    {"powergapbehaviour", kPower, "mode", "N",
     "0: power gaps are off. 2: any pickup in a gap cuts power. 3: power is cut when all pickups are in "
     "gaps and restored only when none is. Any other value: power is limited in proportion to the pickups "
     "in gaps.", {0, 3}},
    {"powerpickuppoints", kPower, "m", "N*",
     "One offset per current pickup: its distance in metres back from the point whose location the simulator "
     "reports; the count of numbers is the number of pickups."},
    {"powerindicator", kPower, "panel slot", "P", "1 while the train has power, 0 while it is in a gap."},
    {"doorpowerlock", kHandles, "switch", "N", "1: power is cut while the doors are open.", kSwitch},
    {"doorapplybrake", kHandles, "mode", "N",
     "While the doors are open: 1 holds the full service brake, 2 the emergency brake. Any other value: no brake.", {0, 2}},
    {"tractioninterlock", kHandles, "switch", "N",
     "1: after any brake application power stays off until the driver moves the power handle to or from "
     "notch 0 (a handle at 0 moved up gives power at once).", kSwitch},
    {"neutralrvrbrake", kHandles, "mode", "N",
     "0: off. 1: the reverser in neutral holds the full service brake. Any other value: it holds the emergency "
     "brake.", {0, 2}},
    {"reversercontrol", kHandles, "mode", "N",
     "1: while the train moves, reverser moves to forward or backward are ignored. 2: any reverser move "
     "made while the train moves, to neutral included, forces neutral until the next start. Any other "
     "value: no restriction.", {0, 2}},
    {"reverserindex", kHandles, "panel slot", "P", "Shows the driver's reverser handle: 1 forward, 0 neutral, 2 backward."},
    {"effectivervrindex", kHandles, "panel slot", "P",
     "Shows the reverser the train obeys: 1 forward, 0 neutral, 2 backward."},
    {"reminderindicator", kPower, "panel slot", "P", "1 while the power-cut reminder is set."},
    {"reminderkey", kPower, "key number", "K", "The key that sets and clears the power-cut reminder (which holds power at 0)."},
    {"wiperindex", kWipers, "panel slot", "P", "The wiper blade position, 0 to 100; -1 switches the wiper off (rain still falls)."},
    {"wiperrate", kWipers, "ms", "N", "Time for one stroke of the blade across its 100 steps.", kZeroUp},
    {"wiperholdposition", kWipers, "position", "N", "Rest position of the blade, 0 to 100.", {0, 100}},
    {"wiperdelay", kWipers, "ms", "N", "Pause at the rest position in intermittent mode; 0: no intermittent mode.", kZeroUp},
    {"wiperonkey", kWipers, "key number", "K", "The key that steps the wiper mode up (off, intermittent, continuous)."},
    {"wiperoffkey", kWipers, "key number", "K", "The key that steps the wiper mode down."},
    {"wipersound", kWipers, "sound slot", "SN",
     "1st: played once when the blade leaves its rest position. A 2nd number, of any value, makes it play at "
     "every turn too."},
    {"dropstartindex", kWipers, "panel slot", "P", "The panel slot of the first rain drop; the drops take consecutive slots."},
    {"numberofdrops", kWipers, "count", "N", "Number of rain drops, 0 to 256; 0 switches the drops off.", {0, 256}},
    {"dropsound", kWipers, "sound slot", "SN",
     "1st: played once at each drop. 2nd, optional: the number of consecutive sound slots from the 1st among which "
     "one is chosen at random.", {1, kMost}},
    {"travelmetermode", kCab, "mode", "N",
     "-1: no travel meter. 0: it counts kilometres. 1: miles. (Other values also count kilometres.)", {-1, 1}},
    {"travelmeter100", kCab, "panel slot", "P",
     "The distance run in hundreds of kilometres (or miles), as a whole number not reduced to one digit."},
    {"travelmeter10", kCab, "panel slot", "P",
     "The distance run in tens of kilometres (or miles), not reduced to one digit."},
    {"travelmeter1", kCab, "panel slot", "P",
     "The distance run in whole kilometres (or miles), not reduced to one digit."},
    {"travelmeter01", kCab, "panel slot", "P",
     "The distance run in tenths, not reduced to one digit (1.23 km shows 12)."},
    {"travelmeter001", kCab, "panel slot", "P",
     "The distance run in hundredths, not reduced to one digit (1.23 km shows 123)."},
    {"traction", kTraction, "mode", "N",
     "The traction model. 2: diesel. 1: steam. Any other value: none (only heating by power notch and the "
     "ammeter).", {0, 2}},
    {"automatic", kTraction, "key number", "K",
     "The key that toggles automatic mode: the automatic gearbox of the diesel, the automatic cut-off and "
     "injector of the steam model."},
    {"automaticindicator", kTraction, "panel slot", "P", "1 while automatic mode is on."},
    {"ammeter", kTraction, "panel slot", "P", "The ammeter."},
    {"ammetervalues", kTraction, "value", "N*",
     "The ammeter's value for the power notch the train takes, 0, 1, 2, ...; notches beyond the list use the last "
     "number. The ammeter shows 0 while the brake is applied or the reverser is in neutral."},
    {"fuelconsumption", kDiesel, "amount", "N*",
     "Fuel used per second at the power notch the train takes, 0, 1, 2, ... (the 1st number, idling, also "
     "while braking or in neutral); a first number of 0 or less switches consumption off.", kZeroUp},
    {"fuelcapacity", kTraction, "amount", "N", "Capacity of the fuel (or water) store: the most that filling puts in.", kZeroUp},
    {"fuelstartamount", kTraction, "amount", "N", "Amount in the store at the start.", kZeroUp},
    {"fuelfillspeed", kTraction, "amount", "N", "Amount added per second while filling.", kZeroUp},
    {"fuelindicator", kTraction, "panel slot", "PN",
     "1st: shows the amount in the store. 2nd, optional: a low-fuel threshold in percent that turns the "
     "diesel's indicator into a low-fuel lamp; filling and the steam injector still write the raw amount "
     "into that slot.", {0, 100}},
    {"gearratios", kDiesel, "per mille per km/h", "N*",
     "One number per gear: engine speed (per mille of the maximum) per km/h. The count of numbers is the number "
     "of gears; a first number of 0 or less switches the gears off.", kZeroUp},
    {"gearfadeinrange", kDiesel, "per mille", "N*",
     "One number per gear: the engine speed below which the gear's power rises from 0 to full.", {0, 1000}},
    {"gearfadeoutrange", kDiesel, "per mille", "N*",
     "One number per gear: the width of the band below the maximum engine speed in which the gear's power falls "
     "to 0.", {0, 1000}},
    {"gearindicator", kDiesel, "panel slot", "P", "Shows the current gear (0 neutral)."},
    {"gearupkey", kDiesel, "key number", "K", "The key that changes up a gear."},
    {"geardownkey", kDiesel, "key number", "K", "The key that changes down a gear."},
    {"gearchangesound", kDiesel, "sound slot", "SS",
     "1st: played once at an up-change, or at every change when there is no 2nd. 2nd, optional: played once at "
     "a down-change."},
    {"tachometer", kDiesel, "panel slot", "P", "Shows the engine speed in per mille, 0 while the fuel store is empty."},
    {"heatingpart", kTraction, "mode", "N",
     "1: the engine heats by power notch. 2: by engine load (the diesel model only, and only with a first "
     "gearratios number above 0). Any other value: no heating.", {0, 2}},
    {"heatingrate", kTraction, "per second", "N*",
     "Temperature change per second, one number per power notch (heatingpart 1) or per engine load step "
     "(heatingpart 2)."},
    {"overheatwarn", kTraction, "temperature", "N", "At and above this temperature the overheat lamp and alarm come on.", kZeroUp},
    {"overheat", kTraction, "temperature", "N", "At and above this temperature the overheat result applies.", kZeroUp},
    {"overheatresult", kTraction, "switch", "N", "1: overheating cuts power until the next start.", kSwitch},
    {"thermometer", kTraction, "panel slot", "P", "Shows the engine temperature."},
    {"overheatindicator", kTraction, "panel slot", "P", "1 at and above overheatwarn."},
    {"overheatalarm", kTraction, "sound slot", "S", "Looped at and above overheatwarn."},
    {"cutoffmax", kSteam, "cut-off", "N",
     "The highest cut-off, and the best forward cut-off at low speed (up to cutoffratiobase).", {1, kMost}},
    {"cutoffmin", kSteam, "cut-off", "N", "The lowest cut-off, and the best reverse cut-off at low speed.", {kLeast, 0}},
    {"cutoffineffective", kSteam, "cut-off", "N",
     "Half-width of the neutral band: a cut-off within it gives no power and leaves the train in neutral.", kZeroUp},
    {"cutoffratiobase", kSteam, "km/h", "N", "Speed up to which the best cut-off stays at cutoffmax (or cutoffmin).", kZeroUp},
    {"cutoffratio", kSteam, "tenths per km/h", "N",
     "How fast the best cut-off moves toward 0 above cutoffratiobase, in tenths of a cut-off unit per km/h.", kZeroUp},
    {"cutoffdeviation", kSteam, "cut-off", "N",
     "Distance from the best cut-off that costs one power notch; 0 makes every cut-off act as neutral.", kZeroUp},
    {"cutoffincreasekey", kSteam, "key number", "K", "The key that raises the cut-off by 1."},
    {"cutoffdecreasekey", kSteam, "key number", "K", "The key that lowers the cut-off by 1."},
    {"cutoffchangespeed", kSteam, "ms", "N",
     "The shortest time between two cut-off changes. It counts from the last key press, of any key, that "
     "found the period over: a cut-off key pressed sooner is ignored, and an ignored press does not "
     "restart the period.", kZeroUp},
    {"cutoffindicator", kSteam, "panel slot", "P", "Shows the cut-off."},
    {"regulatorpressureuse", kSteam, "pressure per second", "N",
     "Steam used per second with the regulator full open, full cut-off and the train at a stand.", kZeroUp},
    {"boilermaxpressure", kSteam, "pressure", "N",
     "Boiler pressure at the start; at it the boiler gives full power. The blow-off valve closes below it.", kZeroUp},
    {"boilerminpressure", kSteam, "pressure", "N", "At and below this pressure the boiler gives no power.", kZeroUp},
    {"boilerblowoffpressure", kSteam, "pressure", "N", "Above this pressure the blow-off valve opens.", kZeroUp},
    {"boilerpressureindicator", kSteam, "panel slot", "P", "Shows the boiler pressure."},
    {"boilermaxwaterlevel", kSteam, "water", "N",
     "Water level at the start; the injector feeds only below it, the automatic injector works between 1/8 and "
     "1/4 of it.", kZeroUp},
    {"boilerwatertosteamrate", kSteam, "water per minute", "N",
     "Water turned into pressure per minute; 0: the boiler makes no steam.", kZeroUp},
    {"boilerwaterlevelindicator", kSteam, "panel slot", "P", "Shows the boiler water level."},
    {"injectorrate", kSteam, "water per tick", "N",
     "Water moved per injector tick from the tender (the fuel store) into the boiler; a quarter of it is taken "
     "from the pressure.", kZeroUp},
    {"injectorindicator", kSteam, "panel slot", "P", "1 while the injector is on."},
    {"injectortogglekey", kSteam, "key number", "K", "The key that switches the injector on and off."},
    {"doorindicator", kCab, "panel slot", "PP",
     "1st: the lamp for doors released on the left (side -1). 2nd, optional: the lamp for the right (side 1). "
     "Both light for both sides."},
    {"klaxonindicator", kCab, "panel slot", "PNN",
     "1st: the klaxon lamp. 2nd: how long in ms it stays lit after horn 0. 3rd: the same after horn 1. Without a "
     "2nd number the lamp never lights.", kZeroUp},
    {"gearloopsound", kDiesel, "sound slot", "SN",
     "1st: the gear loop sound. 2nd: delay in ms after a gear change before it plays again. Without a 2nd number "
     "it is never written.", kZeroUp},
    {"fuelfillindicator", kTraction, "panel slot", "P", "1 while filling is possible: inside a filling zone and at a stand."},
    {"customindicators", kCab, "pairs", "KP*",
     "Pairs of key number and panel slot: each key toggles its lamp. A last number without a partner is "
     "ignored."},
    {"wiperindicator", kWipers, "panel slot", "P",
     "1 once the keys switch the wiper on (intermittent or continuous), 0 when they switch it off. Written only "
     "with a wiperdelay other than 0."},
    {"pzb90", kPzb, "switch", "N", "1 switches PZB90 on (only the value 1 does).", kSwitch},
    {"pzb90bluelamp", kPzb, "panel slot", "PN",
     "1st: the blue lamp (steady when all is well; flashing until the system is activated, after a warning "
     "magnet and during an emergency). 2nd, optional: its flash period in ms.", kZeroUp},
    {"pzb90yellowlamp", kPzb, "panel slot", "P", "The yellow lamp, lit after a warning magnet."},
    {"pzb90redlamp", kPzb, "panel slot", "P", "The red lamp, lit during a PZB emergency brake."},
    {"pzb90key", kPzb, "key number", "K",
     "The PZB key: activates the system at the start, acknowledges a warning magnet, and releases an emergency "
     "brake at a stand."},
    {"pzb90sound", kPzb, "sound slot", "S", "The PZB chime (played once) and the emergency alarm (looped)."},
    {"speedselectorkey", kSelector, "key number", "K",
     "The speed selector key: while it is held, power is applied at the handle's notch until the notch's target "
     "speed is reached. -1 switches the selector off and the power handle acts directly."},
    {"speedselectorspeeds", kSelector, "km/h", "N*",
     "Target speed for each power notch, from notch 0 (which is not used); notches beyond the list use the last "
     "number.", kZeroUp},
};

constexpr KeyInfo kCabMode = {
    "cabmode", kCab, "key number", "KPP",
    "Not a table key: the cab reads it from the other lines of the file. 1st: the key that switches the cab mode. "
    "2nd and 3rd: the panel slots of the two cab mode lamps."};

}  // namespace

const KeyInfo* KeyInfos() { return kKeys; }
int KeyInfoCount() { return static_cast<int>(sizeof kKeys / sizeof kKeys[0]); }
const char* const* KeyGroups() { return kGroups; }
int KeyGroupCount() { return static_cast<int>(sizeof kGroups / sizeof kGroups[0]); }
const KeyInfo& CabModeInfo() { return kCabMode; }

std::string RangeText(const KeyInfo& info) {
    const char* plain = std::strchr(info.pattern, 'N');
    if (plain == nullptr || (info.range.low == kLeast && info.range.high == kMost)) return "";
    std::string text = info.range.high == kMost ? std::to_string(info.range.low) + " or more"
                       : info.range.low == kLeast ? std::to_string(info.range.high) + " or less"
                       : info.range.high == info.range.low + 1
                           ? std::to_string(info.range.low) + " or " + std::to_string(info.range.high)
                           : std::to_string(info.range.low) + " to " + std::to_string(info.range.high);
    // Keys whose plain numbers follow a slot or key number say which values they are.
    if (plain != info.pattern) {
        static constexpr const char* kOrdinals[] = {"1st", "2nd", "3rd"};
        std::string which;
        for (const char* c = plain; *c == 'N'; ++c) {
            which += (which.empty() ? "" : ", ") + std::string(kOrdinals[std::min<std::ptrdiff_t>(c - info.pattern, 2)]);
        }
        text = which + ": " + text;
    }
    return text;
}

char ValueRole(const KeyInfo& info, int n) {
    const size_t length = std::strlen(info.pattern);
    const bool repeats = length > 1 && info.pattern[length - 1] == '*';
    const size_t period = repeats ? length - 1 : length;
    if (n < 0) return 'N';
    const size_t i = static_cast<size_t>(n);
    if (i < period) return info.pattern[i];
    return repeats ? info.pattern[i % period] : 'N';
}
