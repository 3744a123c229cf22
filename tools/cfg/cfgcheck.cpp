// footplate-cfg's checker: what the plugin reads from a configuration, line by line, and the traps.
#include "cfgcheck.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string_view>
#include <vector>

#include "config/confload.h"
#include "config/reader.h"
#include "keyinfo.h"
#include "plugin/records.h"
#include "text.h"

namespace {

constexpr int kLongestLine = kConfigLineSize - 1;
constexpr size_t kLongestName = 32;  // no key is longer, so a longer word is no typo of one

std::string lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::string stripBlanks(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\r') out += c;
    }
    return out;
}

size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0u : 1u)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

const KeyInfo* infoFor(const std::string& name) {
    for (int i = 0; i < KeyInfoCount(); ++i) {
        if (name == KeyInfos()[i].name) return &KeyInfos()[i];
    }
    if (name == CabModeInfo().name) return &CabModeInfo();
    return nullptr;
}

// A file's text as messages show it: bytes that cannot be printed escaped, long text shortened.
std::string shown(const std::string& text) {
    constexpr size_t kShown = 60;
    return text.size() > kShown ? Printable(text.substr(0, kShown)) + "..." : Printable(text);
}

std::string listText(const PLUGIN_OPTION* head) {
    std::string out;
    char number[16];
    for (const PLUGIN_OPTION* node = head; node != nullptr; node = node->next) {
        if (!out.empty()) out += ", ";
        out.append(number, std::to_chars(number, number + sizeof number, node->value).ptr);
    }
    return out;
}

std::vector<int32_t> listValues(const PLUGIN_OPTION* head) {
    std::vector<int32_t> out;
    for (const PLUGIN_OPTION* node = head; node != nullptr; node = node->next) out.push_back(node->value);
    return out;
}

// One value of a line as an author wrote it, for telling why it reads as it does.
struct ValueText {
    bool digits = false;
    bool pendingMinus = false;     // a '-' after digits, which the next digit makes count
    bool minusAfterDigit = false;  // ... and it did
    bool overflow = false;
    char opener = '=';  // what began it: '=', ',' or ' '
    int64_t magnitude = 0;
};

struct ValueScan {
    std::vector<ValueText> values;
    char stop = '\0';         // the character that ended the list
    std::string_view rest;    // the text after it
};

// Walks the value text the way the reader does, remembering what each value was made of.
ValueScan scanValues(std::string_view text) {
    ValueScan scan;
    scan.values.reserve(text.size() / 2 + 1);
    scan.values.emplace_back();
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        ValueText& value = scan.values.back();
        if (c >= '0' && c <= '9') {
            if (value.pendingMinus) value.minusAfterDigit = true;
            value.digits = true;
            value.magnitude = value.magnitude * 10 + (c - '0');
            if (value.magnitude > 2147483648LL) value.overflow = true, value.magnitude = 2147483648LL;
        } else if (c == '-') {
            if (value.digits) value.pendingMinus = true;
        } else if (c == ',' || c == ' ') {
            ValueText next;
            next.opener = c;
            scan.values.push_back(next);
        } else {
            scan.stop = c;
            scan.rest = text.substr(i + 1);
            break;
        }
    }
    return scan;
}

struct Checker {
    std::string name;
    ConfigReader* source = nullptr;  // the reader, to tell a cut line from a full one
    std::string report;  // grows by appends: a long file makes a long report
    int warnings = 0;
    int infos = 0;
    int physical = 1;          // the physical line the next reader line starts on
    bool continued = false;    // the next reader line continues a cut-off physical line
    int lastLength = 0;
    std::map<int, int> keyLines;                 // table key -> line of its latest setting
    std::map<std::string, int> dictionaryLines;  // unknown key -> line of its first entry
    std::map<int, std::vector<int32_t>> keyValues;
    std::vector<int32_t> cabmode;
    int cabmodeLine = 0;

    void message(int line, const std::string& text) {
        report.append(name).append(1, ':').append(std::to_string(line)).append(": ").append(text).append(1, '\n');
    }
    // A message about the file as a whole.
    void fileMessage(const std::string& text) { report.append(name).append(": ").append(text).append(1, '\n'); }
    void warn(int line, const std::string& text) {
        ++warnings;
        message(line, "warning: " + text);
    }
    void info(int line, const std::string& text) {
        ++infos;
        message(line, "info: " + text);
    }

    void lineRead(const ConfigLine& line) {
        const int number = physical;
        const std::string_view text(line.text);  // what the reader saw: up to a zero byte, if any
        if (continued) message(number, "(continued: the characters after the first " + std::to_string(kLongestLine) + ")");
        // A full buffer is a cut line, unless its LF is what follows: then the line was
        // exactly as long as the buffer, and that LF comes back as an empty line.
        const bool full = line.length == kLongestLine;
        const bool exact = full && peekByte(*source) == '\n';
        if (full && !exact) {
            warn(number, "line over " + std::to_string(kLongestLine) +
                             " characters: the plugin reads the rest of it as a line of its own");
        }
        if (text.size() < static_cast<size_t>(line.length)) {
            warn(number, "the line holds a zero byte: the plugin reads it only up to there");
        }
        switch (line.result.kind) {
            case LineKind::Comment:
                break;
            case LineKind::Key:
                keyLine(number, text, line.result);
                break;
            case LineKind::Dictionary:
                dictionaryLine(number, text, line.result);
                break;
            case LineKind::Ignored:
                ignoredLine(number, text);
                break;
        }
        continued = full && !exact;
        lastLength = line.length;
        if (!continued) ++physical;
    }

    void keyLine(int number, std::string_view text, const LineResult& result) {
        const std::string key = KeyText(result.key);
        const KeyInfo& about = KeyInfos()[result.key];
        std::vector<int32_t> values = listValues(result.values);
        message(number, key.substr(0, key.size() - 1) + " = " + listText(result.values));
        valueTraps(number, text.substr(key.size()), values, &about);
        if (const auto earlier = keyLines.find(result.key); earlier != keyLines.end()) {
            warn(number, std::string(about.name) + " is given again (before on line " +
                             std::to_string(earlier->second) + "): only this line's values count");
        }
        keyLines[result.key] = number;
        keyValues[result.key] = std::move(values);
    }

    void dictionaryLine(int number, std::string_view text, const LineResult& result) {
        const std::string values = listText(result.values);
        const size_t equals = text.find('=');
        const std::string key(text.substr(0, equals));
        if (key == CabModeInfo().name) {
            message(number, "cabmode (read by the cab from the dictionary) = " + values);
            if (cabmodeLine == 0) {
                cabmode = listValues(result.values);
                cabmodeLine = number;
            }
        } else {
            message(number, "unknown key \"" + shown(key) + "\" kept in the dictionary = " + values);
            std::string why = "\"" + shown(key) + "\" is not a key the plugin knows; it is kept but never used";
            const std::string close = SuggestKey(key);
            if (!close.empty()) why += hint(key, close);
            const std::string bare = stripBlanks(key);
            if (bare.rfind(';', 0) == 0) why += " (a comment needs ';' as the very first character)";
            if (bare.rfind('#', 0) == 0 || bare.rfind("//", 0) == 0) why += " (comments start with ';')";
            warn(number, why);
        }
        valueTraps(number, text.substr(equals + 1), listValues(result.values), infoFor(key));
        if (const auto earlier = dictionaryLines.find(key); earlier != dictionaryLines.end()) {
            warn(number, "\"" + shown(key) + "\" is given again (first on line " + std::to_string(earlier->second) +
                             "): the plugin reads only the first");
        } else {
            dictionaryLines[key] = number;
        }
    }

    static std::string hint(const std::string& written, const std::string& close) {
        std::string why = "; did you mean \"" + close + "\"?";
        if (lower(stripBlanks(written)) == close) {
            if (stripBlanks(written) != written) {
                why += " (no blank may stand before the key or its '=')";
            } else {
                why += " (keys are written in lower case)";
            }
        }
        return why;
    }

    void ignoredLine(int number, std::string_view text) {
        static constexpr const char* kBlanks = " \t\r";
        const size_t start = text.find_first_not_of(kBlanks);
        if (start == std::string_view::npos) return;  // a blank line of a CR LF file, or blanks only
        if (text.find('=') != std::string_view::npos) {  // only a line that begins with '=' gets here
            warn(number, "the line begins with '=': it names no key and is ignored");
            return;
        }
        std::string why = "line ignored: it holds no '='";
        const std::string_view word = text.substr(start, text.find_first_of(kBlanks, start) - start);
        const std::string close = word.size() <= kLongestName ? SuggestKey(std::string(word)) : "";
        if (!close.empty()) why += "; did you mean \"" + close + "=...\"?";
        if (text[start] == '#' || text.compare(start, 2, "//") == 0) why += " (comments start with ';')";
        warn(number, why);
    }

    // "value 2", "values 2, 5 and 9": the positions (from 0) of a line's values, as authors count them.
    static std::string valuesAt(const std::vector<size_t>& at) {
        constexpr size_t kNamed = 8;  // a longer list ends in "and N more"
        std::string text = at.size() == 1 ? "value " : "values ";
        const size_t named = at.size() > kNamed ? kNamed : at.size();
        for (size_t i = 0; i < named; ++i) {
            text += (i == 0 ? "" : i + 1 == at.size() ? " and " : ", ") + std::to_string(at[i] + 1);
        }
        if (named < at.size()) text += " and " + std::to_string(at.size() - named) + " more";
        return text;
    }

    // The traps of the value format: what the author wrote and what the reader made of it.
    // A trap that names the whole list is told once per line, however often it occurs.
    // The list itself stands in the line's first message, so the warnings name positions.
    void valueTraps(int number, std::string_view text, const std::vector<int32_t>& values, const KeyInfo* about) {
        const ValueScan scan = scanValues(text);
        std::vector<size_t> commaSpaces;
        std::vector<size_t> negated;
        for (size_t i = 0; i < scan.values.size(); ++i) {
            const ValueText& value = scan.values[i];
            const bool last = i + 1 == scan.values.size();
            if (!value.digits) {
                if (i > 0 && value.opener == ' ' && scan.values[i - 1].opener == ',' && !scan.values[i - 1].digits) {
                    // ", " already told.
                } else if (value.opener == ',' && i + 1 < scan.values.size() && scan.values[i + 1].opener == ' ') {
                    commaSpaces.push_back(i);
                } else if (last && value.opener == ' ') {
                    warn(number, "a space after the last value adds a value 0");
                } else if (scan.values.size() == 1 && (scan.stop == '\0' || scan.stop == '\r')) {
                    warn(number, "no value after '=': the key reads as 0, not as its default");
                } else {
                    warn(number, "value " + std::to_string(i + 1) + " has no digits and reads as 0");
                }
            }
            if (value.minusAfterDigit) negated.push_back(i);
            if (value.overflow) warn(number, "value " + std::to_string(i + 1) + " is too large for the plugin and wraps");
        }
        if (!commaSpaces.empty()) {
            warn(number, "\", \" (a comma and a space) makes two separators: an extra value 0 stands between them (" +
                             valuesAt(commaSpaces) + ")");
        }
        if (!negated.empty()) {
            warn(number, "a '-' after digits makes " + valuesAt(negated) + " negative as a whole");
        }
        if (scan.stop != '\0' && !(scan.stop == '\r' && scan.rest.empty())) {
            const char c = scan.stop;
            std::string what = c == '\r' ? std::string("a CR") : c == '\t' ? std::string("a tab")
                                                                          : "'" + Printable(std::string(1, c)) + "'";
            std::string why = "the values are cut short by " + what + ": \"" + shown(std::string(1, c) + std::string(scan.rest)) +
                              "\" is ignored";
            if (c == '+') why += "; write numbers without '+'";
            if (c == '.') why += "; the plugin reads whole numbers only";
            if (c == ';') why += "; a comment cannot follow the values";
            warn(number, why);
        }
        if (scan.values.size() != values.size()) {
            warn(number, "only " + std::to_string(values.size()) + " of the line's values could be stored");
        }
        if (about != nullptr) valueRanges(number, values, *about);
    }

    // Slots outside the arrays, and plain numbers outside the range the key documents.
    void valueRanges(int number, const std::vector<int32_t>& values, const KeyInfo& about) {
        // Numbers beyond those a key describes are never read, whatever they are.
        const size_t length = std::strlen(about.pattern);
        const size_t described = about.pattern[length - 1] == '*' ? values.size() : std::min(length, values.size());
        for (size_t i = 0; i < described; ++i) {
            const char role = ValueRole(about, static_cast<int>(i));
            const std::string which = i == 0 ? std::string(about.name) + " is "
                                             : "value " + std::to_string(i + 1) + " of " + about.name + " is ";
            if ((role == 'P' || role == 'S') && values[i] != -1 && (values[i] < 0 || values[i] >= kSlotCount)) {
                warn(number, which + std::to_string(values[i]) + ", a " + (role == 'P' ? "panel" : "sound") +
                                 " slot outside 0..255: the plugin never writes it");
            } else if (role == 'N' && (values[i] < about.range.low || values[i] > about.range.high)) {
                warn(number, which + std::to_string(values[i]) + ", outside its documented range (" + RangeText(about) +
                                 ")");
            }
        }
    }

    // After the last line: what the reader never saw, and what the values mean together.
    void finish(ConfigReader& reader, char* buffer) {
        if (!atEndOfFile(reader)) {
            // An empty line ended the reading at line `physical`; a line of exactly the
            // buffer's length left its own line end behind, read as that empty line.
            const int stopLine = physical;
            const bool exact = lastLength == kLongestLine;
            std::string why = exact ? "the line above is exactly " + std::to_string(kLongestLine) +
                                          " characters long, so its line end reads as an empty line: reading stops here"
                                    : "reading stops at this empty line";
            const std::string ignored = settingsBelow(reader, buffer, exact ? stopLine : stopLine + 1);
            if (!ignored.empty()) {
                warn(stopLine, why + "; the plugin ignores the settings below it: " + ignored);
            } else {
                info(stopLine, why + "; only blank or comment lines follow");
            }
        }
        if (physical == 1 && lastLength == 0 && atEndOfFile(reader)) {
            info(1, "the file is empty: every key keeps its default");
        }
        sharedKeys();
        switchedOff();
        drops();
        const auto counted = [](size_t n, const char* what) {
            return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
        };
        fileMessage(counted(keyLines.size(), "key") + " set, " + counted(dictionaryLines.size(), "other line") +
                    " kept in the dictionary, " + counted(static_cast<size_t>(warnings), "warning"));
    }

    // Reads on where the plugin stops: "awsdelay (line 4), trainname (line 9)" for every
    // line below that the plugin would have taken as a setting. first is the line number of
    // the reader's next byte.
    static std::string settingsBelow(ConfigReader& reader, char* buffer, int first) {
        std::string list;
        for (int number = first; !atEndOfFile(reader); ++number) {
            int length = readLine(reader, buffer, kConfigLineSize);
            const std::string text(buffer, static_cast<size_t>(length));
            const size_t equals = text.find('=');
            if (equals != std::string::npos && equals > 0 && text[0] != ';') {
                list += (list.empty() ? "" : ", ") + shown(text.substr(0, equals)) + " (line " + std::to_string(number) + ")";
            }
            // The rest of a line longer than the buffer belongs to the same line.
            while (length == kLongestLine && !atEndOfFile(reader)) {
                const bool lineEnds = peekByte(reader) == '\n';
                length = readLine(reader, buffer, kConfigLineSize);
                if (lineEnds) break;
            }
        }
        return list;
    }

    std::vector<int32_t> valuesOf(int key) const {
        if (const auto found = keyValues.find(key); found != keyValues.end()) return found->second;
        return {KeyDefault(key)};
    }

    // Whether the key of a table key finds anything to act on under this file: the keys of
    // a subsystem the file leaves switched off serve no role worth a note.
    bool keyActs(int key) const {
        const int32_t system = valuesOf(opt::system)[0];
        const int32_t traction = valuesOf(opt::traction)[0];
        switch (key) {
            case opt::awsacknowledgekey:  // also finishes the start-up test
                return system == opt::kAwsOnly || system == opt::kAwsAndTpws || valuesOf(opt::startuptest)[0] != 0;
            case opt::tpwsresetkey:
            case opt::tpwsoverridekey:
                return system == opt::kAwsAndTpws || system == opt::kTpwsTrainStopOnly;
            case opt::vigilancekey:
                return valuesOf(opt::vigilance)[0] != 0;
            case opt::wiperonkey:
            case opt::wiperoffkey:  // the wiper lamp follows the keys even without a blade
                return valuesOf(opt::wiperindex)[0] != -1 ||
                       (valuesOf(opt::wiperindicator)[0] != -1 && valuesOf(opt::wiperdelay)[0] != 0);
            case opt::gearupkey:
            case opt::geardownkey:
                return traction == opt::kDieselModel;
            case opt::cutoffincreasekey:
            case opt::cutoffdecreasekey:
            case opt::injectortogglekey:
                return traction == opt::kSteamModel;
            case opt::pzb90key:
                return valuesOf(opt::pzb90)[0] == 1;
            default:
                return true;
        }
    }

    // One host key may serve several roles on purpose (the AWS and TPWS share one by
    // default); tell the author where a key of theirs does so.
    void sharedKeys() {
        struct Role {
            std::string what;
            bool fromFile;
        };
        std::map<int32_t, std::vector<Role>> byKey;
        auto collect = [&](const KeyInfo& about, const std::vector<int32_t>& values, int line) {
            for (size_t i = 0; i < values.size(); ++i) {
                if (ValueRole(about, static_cast<int>(i)) != 'K' || values[i] == -1) continue;
                std::string what = about.name;
                if (i > 0) what += " (value " + std::to_string(i + 1) + ")";
                what += line > 0 ? " on line " + std::to_string(line) : std::string(" by default");
                byKey[values[i]].push_back({what, line > 0});
            }
        };
        for (int key = 0; key < opt::count; ++key) {
            if (!keyActs(key)) continue;
            const auto line = keyLines.find(key);
            collect(KeyInfos()[key], valuesOf(key), line == keyLines.end() ? 0 : line->second);
        }
        if (cabmodeLine > 0) collect(CabModeInfo(), cabmode, cabmodeLine);
        for (const auto& [key, roles] : byKey) {
            if (roles.size() < 2 || std::none_of(roles.begin(), roles.end(), [](const Role& r) { return r.fromFile; })) {
                continue;
            }
            std::string list;
            for (const auto& role : roles) list += (list.empty() ? "" : ", ") + role.what;
            ++infos;
            fileMessage("info: key number " + std::to_string(key) + " serves " + std::to_string(roles.size()) +
                        " roles, all acting on one press: " + list);
        }
    }

    // Settings of a subsystem that the file leaves switched off: read, but never used.
    void switchedOff() {
        struct Switch {
            const char* what;
            opt::Key key;
            bool (*on)(int32_t);
            const char* needs;
            std::vector<opt::Key> members;
        };
        // Only settings nothing else reads: key handlers and start-up tests act whatever
        // the switch, so their keys, lamps and sounds are not listed.
        const std::vector<Switch> switches = {
            {"the AWS", opt::system, [](int32_t v) { return v == opt::kAwsOnly || v == opt::kAwsAndTpws; }, "1 or 2",
             {opt::awsminspeed, opt::awsdelay, opt::awsindicatorappear, opt::awsbrakecancel}},
            {"the TPWS", opt::system, [](int32_t v) { return v == opt::kAwsAndTpws || v == opt::kTpwsTrainStopOnly; }, "2 or 3",
             {opt::tpwswarningsound, opt::tpwsstopdelay, opt::tpwsbrakecancel}},
            {"the vigilance device", opt::vigilance, [](int32_t v) { return v != 0; }, "not 0",
             {opt::vigilancelamp, opt::vigilancealarm, opt::vigilanceinterval, opt::vigilancedelay1,
              opt::vigilancedelay2, opt::independentvigilance, opt::vigilanceinactivespeed,
              opt::vigilancecancellable, opt::vigilanceautorelease}},
            {"the overspeed control", opt::overspeedcontrol, [](int32_t v) { return v != 0; }, "not 0",
             {opt::warningspeed, opt::overspeed, opt::safespeed, opt::overspeedindicator, opt::overspeedalarm}},
            {"power gaps", opt::powergapbehaviour, [](int32_t v) { return v != 0; }, "not 0", {opt::powerpickuppoints}},
            {"the travel meter", opt::travelmetermode, [](int32_t v) { return v != -1; }, "not -1",
             {opt::travelmeter100, opt::travelmeter10, opt::travelmeter1, opt::travelmeter01, opt::travelmeter001}},
            {"the diesel model", opt::traction, [](int32_t v) { return v == opt::kDieselModel; }, "2",
             {opt::fuelconsumption, opt::gearfadeinrange, opt::gearfadeoutrange, opt::tachometer}},
            {"the steam model", opt::traction, [](int32_t v) { return v == opt::kSteamModel; }, "1",
             {opt::cutoffineffective, opt::cutoffratiobase, opt::cutoffratio, opt::cutoffdeviation,
              opt::regulatorpressureuse, opt::boilerminpressure, opt::boilerblowoffpressure,
              opt::boilerpressureindicator, opt::boilerwatertosteamrate, opt::boilerwaterlevelindicator,
              opt::injectorrate}},
            {"the speed selector", opt::speedselectorkey, [](int32_t v) { return v != -1; }, "not -1",
             {opt::speedselectorspeeds}},
        };
        for (const auto& sw : switches) {
            const int32_t value = valuesOf(sw.key)[0];
            if (sw.on(value)) continue;
            std::string set;
            for (const opt::Key member : sw.members) {
                if (keyLines.count(member) != 0) set += (set.empty() ? "" : ", ") + std::string(KeyInfos()[member].name);
            }
            if (set.empty()) continue;
            ++infos;
            fileMessage("info: " + set + " set, but " + sw.what + " is off (" + KeyInfos()[sw.key].name + " is " +
                        std::to_string(value) + ", needs " + sw.needs + "): these settings take no effect");
        }
    }

    // The slots a cab shows for this configuration: every panel and sound slot a key
    // names, the first key naming it; the rain drops and their sounds take runs of slots.
    std::vector<ConfigSlot> usedSlots() const {
        std::vector<ConfigSlot> slots;
        auto add = [&](bool sound, int64_t index, const char* key) {
            if (index < 0 || index >= kSlotCount) return;
            for (const ConfigSlot& known : slots) {
                if (known.sound == sound && known.index == index) return;
            }
            slots.push_back({sound, static_cast<int32_t>(index), key});
        };
        auto roles = [&](const KeyInfo& about, const std::vector<int32_t>& values) {
            for (size_t i = 0; i < values.size(); ++i) {
                const char role = ValueRole(about, static_cast<int>(i));
                if (role == 'P' || role == 'S') add(role == 'S', values[i], about.name);
            }
        };
        for (int key = 0; key < opt::count; ++key) {
            if (key != opt::dropstartindex && key != opt::dropsound) roles(KeyInfos()[key], valuesOf(key));
        }
        if (cabmodeLine > 0) roles(CabModeInfo(), cabmode);
        const int32_t drops = std::min(valuesOf(opt::numberofdrops)[0], 256);
        for (int32_t d = 0; d < drops; ++d) {
            add(false, int64_t{valuesOf(opt::dropstartindex)[0]} + d, KeyInfos()[opt::dropstartindex].name);
        }
        const std::vector<int32_t> dropSound = valuesOf(opt::dropsound);
        const int32_t choices = dropSound.size() > 1 ? std::clamp(dropSound[1], 1, kSlotCount) : 1;
        for (int32_t d = 0; d < choices && dropSound[0] != -1; ++d) {
            add(true, int64_t{dropSound[0]} + d, KeyInfos()[opt::dropsound].name);
        }
        std::sort(slots.begin(), slots.end(), [](const ConfigSlot& a, const ConfigSlot& b) {
            return a.sound != b.sound ? !a.sound : a.index < b.index;
        });
        return slots;
    }

    void drops() {
        const int32_t first = valuesOf(opt::dropstartindex)[0];
        const int32_t count = valuesOf(opt::numberofdrops)[0];
        if (count <= 0) return;
        const int64_t last = static_cast<int64_t>(first) + std::min<int32_t>(count, 256) - 1;
        if (first < 0 || last > 255) {
            const auto line = keyLines.count(opt::numberofdrops) ? keyLines[opt::numberofdrops] : 0;
            warn(line, "the rain drops take panel slots " + std::to_string(first) + ".." + std::to_string(last) +
                           ", beyond 0..255: the drops outside are never shown");
        }
    }
};

void observe(void* context, const ConfigLine& line) { static_cast<Checker*>(context)->lineRead(line); }

std::string wrap(const std::string& text, const std::string& prefix, size_t width) {
    std::istringstream words(text);
    std::string out;
    std::string line = prefix;
    for (std::string word; words >> word;) {
        if (line.size() > prefix.size() && line.size() + 1 + word.size() > width) {
            out += line + '\n';
            line = prefix;
        }
        if (line.size() > prefix.size()) line += ' ';
        line += word;
    }
    return out + line + '\n';
}

int indexOf(const KeyInfo& about) {
    for (int i = 0; i < KeyInfoCount(); ++i) {
        if (&KeyInfos()[i] == &about) return i;
    }
    return -1;
}

std::string defaultText(const KeyInfo& about) {
    const int index = indexOf(about);
    return index >= 0 ? std::to_string(KeyDefault(index)) : "none";
}

}  // namespace

std::string SuggestKey(const std::string& name) {
    if (name.size() > kLongestName && stripBlanks(name.substr(0, 4 * kLongestName)).size() > kLongestName) return "";
    const std::string wanted = lower(stripBlanks(name));
    if (wanted.empty()) return "";
    std::string best;
    size_t bestDistance = wanted.size() < 6 ? 1 : 2;
    for (int i = 0; i <= KeyInfoCount(); ++i) {
        const std::string key = i < KeyInfoCount() ? KeyInfos()[i].name : CabModeInfo().name;
        if (key == wanted) return key;
        // A word far longer or shorter than a key is no typo of it; skipping it keeps a
        // long line as cheap to check as to read.
        const size_t gap = wanted.size() > key.size() ? wanted.size() - key.size() : key.size() - wanted.size();
        if (gap > bestDistance) continue;
        const size_t distance = editDistance(wanted, key);
        if (distance <= bestDistance && (best.empty() || distance < bestDistance)) {
            best = key;
            bestDistance = distance;
        }
    }
    return best;
}

CheckResult CheckConfigFile(const std::string& path, const std::string& shownName) {
    CheckResult result;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return result;
    auto reader = std::make_unique<ConfigReader>();
    if (!OpenConfigReader(*reader, path.c_str())) return result;
    result.readable = true;
    // The tool's own option table starts exactly as the plugin's does at a start.
    ScrapConfig();
    SetDefaults();
    Checker checker;
    checker.name = shownName;
    checker.source = reader.get();
    std::vector<char> buffer(kConfigLineSize + 1);
    ReadConfigLines(*reader, buffer.data(), observe, &checker);
    checker.finish(*reader, buffer.data());
    CloseConfigReader(*reader);
    ScrapConfig();
    result.warnings = checker.warnings;
    result.infos = checker.infos;
    result.slots = checker.usedSlots();
    result.report = std::move(checker.report);
    return result;
}

std::string ExplainKey(const std::string& key, std::string& suggestion) {
    std::string wanted = key;
    if (!wanted.empty() && wanted.back() == '=') wanted.pop_back();
    const KeyInfo* about = infoFor(wanted);
    if (about == nullptr) {
        suggestion = SuggestKey(wanted);
        return "";
    }
    const int index = indexOf(*about);
    std::ostringstream out;
    out << about->name << " (" << about->group;
    if (index >= 0) {
        out << ", key " << index << " of " << opt::count << ")\n";
    } else {
        out << ", read from the dictionary)\n";
    }
    out << "  default: " << defaultText(*about) << "\n  unit:    " << about->unit << '\n';
    if (const std::string range = RangeText(*about); !range.empty()) out << "  range:   " << range << '\n';
    out << wrap(about->meaning, "  ", 78);
    if (index >= 0) out << "  written: " << about->name << '=' << KeyDefault(index) << '\n';
    return out.str();
}

std::string DefaultConfiguration() {
    std::ostringstream out;
    out << "; footplate.cfg with every key at its default (footplate-cfg defaults).\n"
           "; One key per line: key=value,value... with no blank before '='; ';' starts a comment line.\n"
           "; Never leave a line empty: an empty line ends the reading of the file.\n";
    for (int g = 0; g < KeyGroupCount(); ++g) {
        out << ";\n; ==== " << KeyGroups()[g] << " ====\n";
        for (int i = 0; i < KeyInfoCount(); ++i) {
            const KeyInfo& about = KeyInfos()[i];
            if (about.group != KeyGroups()[g]) continue;
            const std::string range = RangeText(about);
            out << wrap(std::string(about.name) + " (" + about.unit + (range.empty() ? "" : ", " + range) +
                            "): " + about.meaning,
                        "; ", 100);
            out << about.name << '=' << KeyDefault(i) << '\n';
        }
    }
    out << ";\n" << wrap(std::string("cabmode (not set by default): ") + CabModeInfo().meaning, "; ", 100)
        << "; cabmode=-1,-1,-1\n";
    return out.str();
}

std::string KeyReferenceMarkdown() {
    std::ostringstream out;
    for (int g = 0; g < KeyGroupCount(); ++g) {
        out << "\n### " << KeyGroups()[g] << "\n\n| key | default | unit | range | meaning |\n|---|---|---|---|---|\n";
        for (int i = 0; i < KeyInfoCount(); ++i) {
            const KeyInfo& about = KeyInfos()[i];
            if (about.group != KeyGroups()[g]) continue;
            out << "| `" << about.name << "` | " << KeyDefault(i) << " | " << about.unit << " | " << RangeText(about)
                << " | " << about.meaning << " |\n";
        }
        if (CabModeInfo().group == KeyGroups()[g]) {
            out << "| `cabmode` | (none) | " << CabModeInfo().unit << " |  | " << CabModeInfo().meaning << " |\n";
        }
    }
    return out.str();
}

std::string KeyNumberMarkdown() {
    struct Row {
        int32_t number;
        std::string text;
    };
    std::vector<Row> rows;
    auto add = [&](const KeyInfo& about, int32_t number, const std::string& which) {
        rows.push_back({number, "| " + (number == -1 ? std::string("none") : std::to_string(number)) + " | `" +
                                    about.name + "`" + which + " | " + about.group + " | " + about.meaning + " |\n"});
    };
    for (int i = 0; i < KeyInfoCount(); ++i) {
        const KeyInfo& about = KeyInfos()[i];
        if (ValueRole(about, 0) == 'K') {
            add(about, KeyDefault(i), "");
        } else if (std::strchr(about.pattern, 'K') != nullptr) {
            add(about, -1, " (its key numbers)");
        }
    }
    add(CabModeInfo(), -1, " (1st number)");
    // Keys that work out of the box first, by number; the ones an author must set after.
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return (a.number < 0) != (b.number < 0) ? a.number >= 0 : a.number < b.number;
    });
    std::string out = "| default key | key | subsystem | what the key does |\n|---|---|---|---|\n";
    for (const auto& row : rows) out += row.text;
    return out;
}
