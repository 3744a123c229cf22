// footplate-cfg: tells a train author what the plugin will read from a configuration file.
#include <cstdio>
#include <cstring>
#include <string>

#include "cfgcheck.h"

namespace {

void usage(FILE* to) {
    std::fprintf(to,
                 "usage: footplate-cfg check [--strict] FILE   what the plugin makes of FILE, line by line\n"
                 "       footplate-cfg explain KEY             a key's meaning and default\n"
                 "       footplate-cfg defaults                a complete configuration at the defaults\n"
                 "       footplate-cfg markdown [keys]         the key reference of docs/configuration.md\n"
                 "                                             (keys: the key number table of docs/keys.md)\n"
                 "exit status of check: 0 clean (or warnings without --strict), 1 warnings with --strict,\n"
                 "2 file unreadable or wrong usage\n");
}

int check(int argc, char** argv) {
    bool strict = false;
    const char* path = nullptr;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--strict") == 0) {
            strict = true;
        } else if (path == nullptr) {
            path = argv[i];
        } else {
            usage(stderr);
            return 2;
        }
    }
    if (path == nullptr) {
        usage(stderr);
        return 2;
    }
    const CheckResult result = CheckConfigFile(path, path);
    if (!result.readable) {
        std::fprintf(stderr, "footplate-cfg: cannot read %s\n", path);
        return 2;
    }
    std::fputs(result.report.c_str(), stdout);
    return strict && result.warnings > 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "check") return check(argc, argv);
    if (command == "explain" && argc == 3) {
        std::string suggestion;
        const std::string text = ExplainKey(argv[2], suggestion);
        if (text.empty()) {
            std::fprintf(stderr, "footplate-cfg: no key \"%s\"%s%s%s\n", argv[2],
                         suggestion.empty() ? "" : "; did you mean \"", suggestion.c_str(),
                         suggestion.empty() ? "" : "\"?");
            return 2;
        }
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    if (command == "defaults" && argc == 2) {
        std::fputs(DefaultConfiguration().c_str(), stdout);
        return 0;
    }
    if (command == "markdown" && argc == 2) {
        std::fputs(KeyReferenceMarkdown().c_str(), stdout);
        return 0;
    }
    if (command == "markdown" && argc == 3 && std::strcmp(argv[2], "keys") == 0) {
        std::fputs(KeyNumberMarkdown().c_str(), stdout);
        return 0;
    }
    if (command == "-h" || command == "--help") {
        usage(stdout);
        return 0;
    }
    usage(stderr);
    return 2;
}
