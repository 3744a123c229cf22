// The configuration: the option table of every known key and the dictionary of the others.
#pragma once

#include <cstdint>
#include <string>

struct PLUGIN_OPTION {
    int32_t value;
    PLUGIN_OPTION* next;  // the key's next value; null after the last
};

// Every known key in table order with the default of its first value. The order is the
// option's index and must never change: configuration files and tools rely on it.
#define FOOTPLATE_KEYS(X) \
    X(system, 0) \
    X(awsindicator, -1) \
    X(awswarningsound, -1) \
    X(awsclearsound, -1) \
    X(awsacknowledgekey, 0) \
    X(awsminspeed, 0) \
    X(awsdelay, 3000) \
    X(awsindicatorappear, 0) \
    X(awsbrakecancel, 0) \
    X(tpwsindicator, -1) \
    X(tpwsindicator2, -1) \
    X(tpwsindicator3, -1) \
    X(tpwswarningsound, -1) \
    X(tpwsresetkey, 0) \
    X(tpwsoverridekey, -1) \
    X(tpwsstopdelay, 60) \
    X(tpwsoverridelifetime, 60) \
    X(tpwsbrakecancel, 0) \
    X(startuptest, 0) \
    X(overspeedcontrol, 0) \
    X(warningspeed, -1) \
    X(overspeed, 1000) \
    X(safespeed, 0) \
    X(overspeedindicator, -1) \
    X(overspeedalarm, -1) \
    X(vigilance, 0) \
    X(vigilancelamp, -1) \
    X(vigilancealarm, -1) \
    X(vigilancekey, 2) \
    X(vigilanceinterval, 60000) \
    X(vigilancedelay1, 3000) \
    X(vigilancedelay2, 3000) \
    X(independentvigilance, 0) \
    X(vigilanceinactivespeed, 0) \
    X(vigilancecancellable, 0) \
    X(vigilanceautorelease, 0) \
    X(powergapbehaviour, 0) \
    X(powerpickuppoints, 0) \
    X(powerindicator, -1) \
    X(doorpowerlock, 0) \
    X(doorapplybrake, 0) \
    X(tractioninterlock, 0) \
    X(neutralrvrbrake, 0) \
    X(reversercontrol, 0) \
    X(reverserindex, -1) \
    X(effectivervrindex, -1) \
    X(reminderindicator, -1) \
    X(reminderkey, -1) \
    X(wiperindex, -1) \
    X(wiperrate, 1000) \
    X(wiperholdposition, 0) \
    X(wiperdelay, 0) \
    X(wiperonkey, 5) \
    X(wiperoffkey, 6) \
    X(wipersound, -1) \
    X(dropstartindex, 0) \
    X(numberofdrops, 0) \
    X(dropsound, -1) \
    X(travelmetermode, -1) \
    X(travelmeter100, -1) \
    X(travelmeter10, -1) \
    X(travelmeter1, -1) \
    X(travelmeter01, -1) \
    X(travelmeter001, -1) \
    X(traction, 0) \
    X(automatic, -1) \
    X(automaticindicator, -1) \
    X(ammeter, -1) \
    X(ammetervalues, 0) \
    X(fuelconsumption, 0) \
    X(fuelcapacity, 1) \
    X(fuelstartamount, 1) \
    X(fuelfillspeed, 50) \
    X(fuelindicator, -1) \
    X(gearratios, 0) \
    X(gearfadeinrange, 0) \
    X(gearfadeoutrange, 0) \
    X(gearindicator, -1) \
    X(gearupkey, 3) \
    X(geardownkey, 4) \
    X(gearchangesound, -1) \
    X(tachometer, -1) \
    X(heatingpart, 0) \
    X(heatingrate, 0) \
    X(overheatwarn, 0) \
    X(overheat, 0) \
    X(overheatresult, 0) \
    X(thermometer, -1) \
    X(overheatindicator, -1) \
    X(overheatalarm, -1) \
    X(cutoffmax, 75) \
    X(cutoffmin, -55) \
    X(cutoffineffective, 15) \
    X(cutoffratiobase, 30) \
    X(cutoffratio, 10) \
    X(cutoffdeviation, 8) \
    X(cutoffincreasekey, 5) \
    X(cutoffdecreasekey, 6) \
    X(cutoffchangespeed, 40) \
    X(cutoffindicator, -1) \
    X(regulatorpressureuse, 32) \
    X(boilermaxpressure, 20000) \
    X(boilerminpressure, 12000) \
    X(boilerblowoffpressure, 21000) \
    X(boilerpressureindicator, -1) \
    X(boilermaxwaterlevel, 16000) \
    X(boilerwatertosteamrate, 1500) \
    X(boilerwaterlevelindicator, -1) \
    X(injectorrate, 100) \
    X(injectorindicator, -1) \
    X(injectortogglekey, -1) \
    X(doorindicator, -1) \
    X(klaxonindicator, -1) \
    X(gearloopsound, -1) \
    X(fuelfillindicator, -1) \
    X(customindicators, -1) \
    X(wiperindicator, -1) \
    X(pzb90, 0) \
    X(pzb90bluelamp, -1) \
    X(pzb90yellowlamp, -1) \
    X(pzb90redlamp, -1) \
    X(pzb90key, -1) \
    X(pzb90sound, -1) \
    X(speedselectorkey, -1) \
    X(speedselectorspeeds, 0)

namespace opt {
enum Key : int {
#define FOOTPLATE_KEY_ENUM(name, dflt) name,
    FOOTPLATE_KEYS(FOOTPLATE_KEY_ENUM)
#undef FOOTPLATE_KEY_ENUM
    count
};

// The values of the keys that choose what a module does.
enum System : int32_t { kSystemOff = 0, kAwsOnly = 1, kAwsAndTpws = 2, kTpwsTrainStopOnly = 3 };
enum Traction : int32_t { kNoTraction = 0, kSteamModel = 1, kDieselModel = 2 };
enum HeatingPart : int32_t { kHeatByPowerNotch = 1, kHeatByEngineLoad = 2 };
}  // namespace opt

static_assert(opt::count == 125);

extern PLUGIN_OPTION gOpts[opt::count];

// The text of a key as it is written in a file, '=' included ("awsdelay=").
const char* KeyText(int index);
// The default of a key's first value.
int32_t KeyDefault(int index);

// The first value of a key.
inline int32_t Option(opt::Key key) { return gOpts[key].value; }

// The value at position n (0 = first) of a list; false when the list is shorter.
bool ListValue(const PLUGIN_OPTION& head, int n, int32_t& out);
inline bool OptionValue(opt::Key key, int n, int32_t& out) { return ListValue(gOpts[key], n, out); }

// The value at position n, or the list's last value when it is shorter (n below 0 reads the first).
int32_t ClampedListValue(const PLUGIN_OPTION& head, int n);
inline int32_t ClampedOption(opt::Key key, int n) { return ClampedListValue(gOpts[key], n); }

// Every key back to its default with no further values.
void SetDefaults();
// Releases the dictionary and every further value of every key.
void ScrapConfig();
// Reads the file beside the library; false when there is none.
bool LoadConfig();
// Reads the configuration file at path into the options and the dictionary, line by line,
// exactly as LoadConfig does; false when it cannot be opened.
bool LoadConfigFrom(const char* path);

// Turns the library's path into its configuration's: "footplate.dll" and "footplate.so"
// both become "footplate.cfg". False for a path too short to hold a name.
bool ConfigPathFor(std::string& path);
// The path of the configuration beside the library that holds this code; false when the
// library's own path cannot be found.
bool ConfigFilePath(std::string& path);

// The lines whose keys the table does not know, kept in file order.
struct DICTIONARY_ENTRY {
    char* name;
    PLUGIN_OPTION option;
    DICTIONARY_ENTRY* next;
};

PLUGIN_OPTION* newDictionaryEntry(const char* start, const char* end);
bool getFromDictionary(PLUGIN_OPTION& out, const char* name);
void deleteFromDictionary(const char* name);
// The first entry of the dictionary, for tools that list what a file held.
const DICTIONARY_ENTRY* FirstDictionaryEntry();

// How one line of a configuration file was taken; tools report it to authors.
enum class LineKind { Comment, Key, Dictionary, Ignored };
struct LineResult {
    LineKind kind;
    int key;                // the table index for LineKind::Key, else -1
    PLUGIN_OPTION* values;  // the list the line filled; null when it filled none
};

// Applies one line (without its LF) to the option table and the dictionary, as the
// file reader does.
LineResult ApplyConfigLine(char* line);

// Reads the list of values that starts at text into head, dropping what head held.
void ReadValueList(PLUGIN_OPTION& head, const char* text);

// The table index of the key that selects line, or -1: the first key whose whole text,
// '=' included, begins the line.
int MatchKey(const char* line);

// The line buffer the file reader uses: a line holds at most kConfigLineSize - 1 characters.
constexpr int kConfigLineSize = 1023;

// One line as the file reader took it, for tools that tell authors what a file means.
struct ConfigLine {
    const char* text;  // the line without its LF, as stored by the line reader
    int length;        // the number of bytes stored
    LineResult result;
};
using ConfigLineObserver = void (*)(void* context, const ConfigLine& line);

struct ConfigReader;  // config/reader.h
// Applies the lines of reader to the table and the dictionary until the line reader returns
// 0 (the end of the file, or an empty line); observer, when given, sees each line after it
// was applied. buffer holds at least kConfigLineSize + 1 bytes.
void ReadConfigLines(ConfigReader& reader, char* buffer, ConfigLineObserver observer, void* context);
