// footplate-cfg's work: tells an author what the plugin makes of a configuration file,
// reading it with the plugin's own reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A panel or sound slot the plugin writes under a configuration, and the key that sets it.
struct ConfigSlot {
    bool sound = false;
    int32_t index = 0;
    std::string key;
};

struct CheckResult {
    bool readable = false;  // false: the file could not be opened
    int warnings = 0;
    int infos = 0;
    std::string report;     // one message per line, "NAME:LINE: ..."
    std::vector<ConfigSlot> slots;  // panel slots first, each kind by index
};

// Reads the file at path as the plugin would and explains it line by line; shownName
// prefixes every message.
CheckResult CheckConfigFile(const std::string& path, const std::string& shownName);

// The description of one key (accepts "key" or "key="); empty when the key is unknown, and
// then suggestion names the closest known key, if any.
std::string ExplainKey(const std::string& key, std::string& suggestion);

// A complete configuration with every key at its default, each explained in comments.
std::string DefaultConfiguration();

// The key reference of docs/configuration.md, generated from the same table.
std::string KeyReferenceMarkdown();

// The table of docs/keys.md: every key whose value is a host key number, by default number.
std::string KeyNumberMarkdown();

// The known key closest to name (case, blanks, a small typo); empty when none is close.
std::string SuggestKey(const std::string& name);
