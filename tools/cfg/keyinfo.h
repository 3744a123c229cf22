// What every configuration key means, in the words authors read: the one table behind
// `footplate-cfg explain`, `footplate-cfg defaults` and docs/configuration.md.
#pragma once

#include <cstdint>
#include <string>

// The numbers a key's plain values (role N) may take; the checker warns about others.
struct ValueRange {
    int32_t low;
    int32_t high;
};
inline constexpr int32_t kLeast = INT32_MIN;
inline constexpr int32_t kMost = INT32_MAX;
inline constexpr ValueRange kAnyValue{kLeast, kMost};

struct KeyInfo {
    const char* name;     // the key as written before its '='
    const char* group;    // the subsystem it belongs to
    const char* unit;     // what its first value counts
    // The role of each value in the key's list: P panel slot, S sound slot, K key number,
    // N any other number. A trailing '*' repeats the whole pattern (pairs, lists).
    const char* pattern;
    const char* meaning;
    ValueRange range = kAnyValue;  // of every value whose role is N
};

// The table, one row per key in the plugin's own key order.
const KeyInfo* KeyInfos();
int KeyInfoCount();

// The subsystems in the order the documentation presents them.
const char* const* KeyGroups();
int KeyGroupCount();

// The role letter of value n (0 = first) of a key, by its pattern.
char ValueRole(const KeyInfo& info, int n);

// The documented range of a key's plain values, in words ("0 or more", "0 to 256"); empty
// for a key that takes any number or has no plain value.
std::string RangeText(const KeyInfo& info);

// The dictionary key the cab reads ("cabmode"), with the same kind of description.
const KeyInfo& CabModeInfo();
