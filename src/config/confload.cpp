// Reads the configuration file into the option table and the dictionary of other keys.
#include "config/confload.h"

#include <cstring>
#include <new>
#include <string>

#include "config/reader.h"
#include "platform/platform.h"

PLUGIN_OPTION gOpts[opt::count]{};

namespace {

// Each key's text ends in '=', so no key can select a line that names a longer key.
constexpr const char* commands[opt::count] = {
#define FOOTPLATE_KEY_TEXT(name, dflt) #name "=",
    FOOTPLATE_KEYS(FOOTPLATE_KEY_TEXT)
#undef FOOTPLATE_KEY_TEXT
};

constexpr size_t keyLengths[opt::count] = {
#define FOOTPLATE_KEY_LENGTH(name, dflt) sizeof(#name "=") - 1,
    FOOTPLATE_KEYS(FOOTPLATE_KEY_LENGTH)
#undef FOOTPLATE_KEY_LENGTH
};

constexpr int32_t defaults[opt::count] = {
#define FOOTPLATE_KEY_DEFAULT(name, dflt) dflt,
    FOOTPLATE_KEYS(FOOTPLATE_KEY_DEFAULT)
#undef FOOTPLATE_KEY_DEFAULT
};

DICTIONARY_ENTRY* dictionary = nullptr;
bool pointersNullified = false;

void releaseList(PLUGIN_OPTION& head) {
    PLUGIN_OPTION* node = head.next;
    while (node != nullptr) {
        PLUGIN_OPTION* next = node->next;
        delete node;
        node = next;
    }
    head.next = nullptr;
}

void releaseEntry(DICTIONARY_ENTRY* entry) {
    delete[] entry->name;
    releaseList(entry->option);
    delete entry;
}

}  // namespace

const char* KeyText(int index) { return index >= 0 && index < opt::count ? commands[index] : ""; }

int32_t KeyDefault(int index) { return index >= 0 && index < opt::count ? defaults[index] : 0; }

bool ListValue(const PLUGIN_OPTION& head, int n, int32_t& out) {
    const PLUGIN_OPTION* node = &head;
    for (int i = 0; i < n && node != nullptr; ++i) node = node->next;
    if (node == nullptr || n < 0) return false;
    out = node->value;
    return true;
}

int32_t ClampedListValue(const PLUGIN_OPTION& head, int n) {
    const PLUGIN_OPTION* node = &head;
    for (int i = 0; i < n && node->next != nullptr; ++i) node = node->next;
    return node->value;
}

// Every key back to its default, with no further values.
void SetDefaults() {
    for (int i = 0; i < opt::count; ++i) gOpts[i].next = nullptr;
    pointersNullified = true;
    for (int i = 0; i < opt::count; ++i) gOpts[i].value = defaults[i];
}

// Forgets the dictionary and every further value read from the file.
void ScrapConfig() {
    while (dictionary != nullptr) {
        DICTIONARY_ENTRY* next = dictionary->next;
        releaseEntry(dictionary);
        dictionary = next;
    }
    if (pointersNullified) {
        for (auto& head : gOpts) releaseList(head);
    }
}

void ReadValueList(PLUGIN_OPTION& head, const char* text) {
    // A key given again replaces its earlier list; release that list rather than lose it.
    releaseList(head);
    head.value = 0;
    PLUGIN_OPTION* current = &head;
    bool negative = false;
    uint32_t magnitude = 0;  // unsigned, so digits beyond the int32 range wrap, never overflow
    for (const char* p = text;; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9') {
            magnitude = magnitude * 10u + static_cast<uint32_t>(c - '0');
            current->value = static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
        } else if (c == '-') {
            negative = true;
        } else if (c == ',' || c == ' ') {
            PLUGIN_OPTION* node = new (std::nothrow) PLUGIN_OPTION{0, nullptr};
            if (node == nullptr) return;
            current->next = node;
            current = node;
            negative = false;
            magnitude = 0;
        } else {
            return;  // the end of the line, or anything else, ends the list
        }
    }
}

PLUGIN_OPTION* newDictionaryEntry(const char* start, const char* end) {
    if (!(start < end)) return nullptr;
    auto* entry = new (std::nothrow) DICTIONARY_ENTRY{nullptr, {0, nullptr}, nullptr};
    if (entry == nullptr) return nullptr;
    const size_t length = static_cast<size_t>(end - start);
    entry->name = new (std::nothrow) char[length + 1];
    if (entry->name == nullptr) {
        delete entry;
        return nullptr;
    }
    std::memcpy(entry->name, start, length);
    entry->name[length] = '\0';
    DICTIONARY_ENTRY** link = &dictionary;
    while (*link != nullptr) link = &(*link)->next;
    *link = entry;
    return &entry->option;
}

bool getFromDictionary(PLUGIN_OPTION& out, const char* name) {
    for (const DICTIONARY_ENTRY* entry = dictionary; entry != nullptr; entry = entry->next) {
        if (std::strcmp(entry->name, name) == 0) {
            out = entry->option;
            return true;
        }
    }
    return false;
}

void deleteFromDictionary(const char* name) {
    for (DICTIONARY_ENTRY** link = &dictionary; *link != nullptr; link = &(*link)->next) {
        if (std::strcmp((*link)->name, name) == 0) {
            DICTIONARY_ENTRY* entry = *link;
            *link = entry->next;
            releaseEntry(entry);
            return;
        }
    }
}

const DICTIONARY_ENTRY* FirstDictionaryEntry() { return dictionary; }

int MatchKey(const char* line) {
    for (int i = 0; i < opt::count; ++i) {
        // Most keys differ from the line in its first letter; checking that first keeps a
        // restart with a long file cheap.
        if (line[0] != commands[i][0]) continue;
        if (std::strncmp(line, commands[i], keyLengths[i]) == 0) return i;
    }
    return -1;
}

LineResult ApplyConfigLine(char* line) {
    if (line[0] == ';') return {LineKind::Comment, -1, nullptr};
    if (const int key = MatchKey(line); key >= 0) {
        ReadValueList(gOpts[key], line + keyLengths[key]);
        return {LineKind::Key, key, &gOpts[key]};
    }
    char* equals = std::strchr(line, '=');
    if (equals == nullptr) return {LineKind::Ignored, -1, nullptr};
    PLUGIN_OPTION* option = newDictionaryEntry(line, equals);
    if (option == nullptr) return {LineKind::Ignored, -1, nullptr};
    ReadValueList(*option, equals + 1);
    return {LineKind::Dictionary, -1, option};
}

bool ConfigPathFor(std::string& path) {
    if (path.size() <= 2) return false;
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    if (hasExtension && path.size() - dot - 1 != 3) {
        // "footplate.so": the extension is shorter than the three letters a DLL's has.
        path.replace(dot + 1, std::string::npos, "cfg");
    } else {
        path.replace(path.size() - 3, 3, "cfg");
    }
    return true;
}

void ReadConfigLines(ConfigReader& reader, char* buffer, ConfigLineObserver observer, void* context) {
    // An empty line reads as 0 and ends the file, as authors' files have always relied on.
    for (int length; (length = readLine(reader, buffer, kConfigLineSize)) != 0;) {
        const LineResult result = ApplyConfigLine(buffer);
        if (observer != nullptr) observer(context, ConfigLine{buffer, length, result});
    }
}

bool ConfigFilePath(std::string& path) { return platform::LibraryPath(path) && ConfigPathFor(path); }

// Reads the file beside the library: same name, its last three characters "cfg".
bool LoadConfig() {
    std::string path;
    if (!ConfigFilePath(path)) return false;
    return LoadConfigFrom(path.c_str());
}

bool LoadConfigFrom(const char* path) {
    // The reader's block lives on the heap: the host's stack is not ours to fill.
    auto* reader = new (std::nothrow) ConfigReader;
    char* line = new (std::nothrow) char[kConfigLineSize + 1];
    const bool opened = reader != nullptr && line != nullptr && OpenConfigReader(*reader, path);
    if (opened) {
        ReadConfigLines(*reader, line, nullptr, nullptr);
        CloseConfigReader(*reader);
    }
    delete reader;
    delete[] line;
    return opened;
}
