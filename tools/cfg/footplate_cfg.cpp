// footplate-cfg: tells a train author what the plugin will read from a configuration file.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "cfgcheck.h"
#include "text.h"

namespace {

// Exit statuses, as docs/configuration.md lists them.
constexpr int kClean = 0;     // every file read (with --strict: and no warning)
constexpr int kWarnings = 1;  // --strict and a warning in some file
constexpr int kFailed = 2;    // wrong usage, or a file that cannot be read

void usage(FILE* to) {
    std::fprintf(to,
                 "usage: footplate-cfg check [--strict] [--] FILE...  what the plugin makes of each FILE, line by\n"
                 "                                              line ('-': standard input)\n"
                 "       footplate-cfg explain KEY             a key's meaning, range and default\n"
                 "       footplate-cfg defaults                a complete configuration at the defaults\n"
                 "       footplate-cfg markdown [keys]         the key reference of docs/configuration.md\n"
                 "                                             (keys: the key number table of docs/keys.md)\n"
                 "       footplate-cfg --version\n"
                 "exit status of check: 0 every file read (with --strict: and clean), 1 warnings with\n"
                 "--strict, 2 a file that cannot be read, or wrong usage\n");
}

int usageError(const std::string& why) {
    std::fprintf(stderr, "footplate-cfg: %s\n", Printable(why).c_str());
    usage(stderr);
    return kFailed;
}

// Standard input, copied to a file of its own so the plugin's reader takes it as it takes
// any file; empty when it cannot be.
std::string stageStandardInput() {
#if defined(_WIN32)
    // Byte for byte: a CR LF file must reach the reader with its CRs.
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::temp_directory_path(ec) /
                                       ("footplate-cfg-" + std::to_string(std::random_device{}()) + ".cfg");
    std::FILE* out = ec ? nullptr : std::fopen(path.string().c_str(), "wb");
    if (out == nullptr) return "";
    char block[65536];
    bool written = true;
    for (size_t n; (n = std::fread(block, 1, sizeof block, stdin)) > 0;) written = written && std::fwrite(block, 1, n, out) == n;
    written = std::fclose(out) == 0 && written && std::ferror(stdin) == 0;
    if (!written) std::filesystem::remove(path, ec);
    return written ? path.string() : "";
}

int check(int argc, char** argv) {
    bool strict = false;
    bool optionsEnded = false;
    std::vector<std::string> paths;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            paths.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--strict") {
            strict = true;
        } else {
            return usageError("unknown option '" + arg + "' for check");
        }
    }
    if (paths.empty()) return usageError("check needs a file ('-' for standard input)");
    int status = kClean;
    for (const std::string& path : paths) {
        const bool standardInput = path == "-";
        const std::string file = standardInput ? stageStandardInput() : path;
        const std::string name = standardInput ? "<stdin>" : Printable(path);
        const CheckResult result = file.empty() ? CheckResult{} : CheckConfigFile(file, name);
        if (standardInput && !file.empty()) std::remove(file.c_str());
        if (!result.readable) {
            // The system's reason, asked again the way it is asked for any file.
            std::string why = standardInput ? "it cannot be copied to a file" : "Is a directory";
            std::string content;
            if (!standardInput) ReadTextFile(path, content, &why);
            std::fflush(stdout);
            std::fprintf(stderr, "footplate-cfg: cannot read %s: %s\n", name.c_str(), why.c_str());
            status = kFailed;
            continue;
        }
        std::fputs(result.report.c_str(), stdout);
        if (strict && result.warnings > 0 && status == kClean) status = kWarnings;
    }
    return status;
}

}  // namespace

// Answers an author's question about a configuration: what a file means, what a key does,
// or a whole configuration to start from.
int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "check") return check(argc, argv);
    if (command == "explain" && argc == 3) {
        std::string suggestion;
        const std::string text = ExplainKey(argv[2], suggestion);
        if (text.empty()) {
            std::fprintf(stderr, "footplate-cfg: no key \"%s\"%s%s%s\n", Printable(argv[2]).c_str(),
                         suggestion.empty() ? "" : "; did you mean \"", suggestion.c_str(),
                         suggestion.empty() ? "" : "\"?");
            return kFailed;
        }
        std::fputs(text.c_str(), stdout);
        return kClean;
    }
    if (command == "defaults" && argc == 2) {
        std::fputs(DefaultConfiguration().c_str(), stdout);
        return kClean;
    }
    if (command == "markdown" && argc == 2) {
        std::fputs(KeyReferenceMarkdown().c_str(), stdout);
        return kClean;
    }
    if (command == "markdown" && argc == 3 && std::strcmp(argv[2], "keys") == 0) {
        std::fputs(KeyNumberMarkdown().c_str(), stdout);
        return kClean;
    }
    if (command == "-h" || command == "--help") {
        usage(stdout);
        return kClean;
    }
    if (command == "--version") {
        std::printf("footplate-cfg %s\n", FOOTPLATE_VERSION);
        return kClean;
    }
    if (command.empty()) return usageError("no command given");
    if (command == "explain" || command == "defaults" || command == "markdown") {
        return usageError("wrong arguments for '" + command + "'");
    }
    return usageError(command[0] == '-' ? "unknown option '" + command + "'" : "unknown command '" + command + "'");
}
