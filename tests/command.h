// Runs one of our programs as an author would and captures what it prints.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#if defined(_WIN32)
#define WIFEXITED(status) true
#define WEXITSTATUS(status) (status)
inline constexpr const char* kChangeFolder = "cd /d ";  // the drive too
inline constexpr const char* kIsAFolder = "Permission denied";  // the system's reason for a folder read as a file
#else
#include <sys/wait.h>
inline constexpr const char* kChangeFolder = "cd ";
inline constexpr const char* kIsAFolder = "Is a directory";
#endif

inline std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A path as one word for the shell that runs the command.
inline std::string Quoted(const std::string& path) {
#if defined(_WIN32)
    std::string native = path;  // cmd.exe reads a leading '/' as a switch
    std::replace(native.begin(), native.end(), '/', '\\');
    return "\"" + native + "\"";
#else
    return "'" + path + "'";
#endif
}

// A program of the build as a word the shell runs from any folder.
inline std::string Program(const char* path) { return Quoted(std::filesystem::absolute(path).string()); }

// The command's standard output in out, its standard error in err when asked for (line ends
// as '\n'); its exit status, or -1 when it did not exit normally. Parentheses group the
// command for either shell, so the redirections take all of it.
inline int RunCommand(const std::string& command, std::string& out, std::string* err = nullptr) {
    const std::string base =
        (std::filesystem::temp_directory_path() / ("footplate-" + std::to_string(std::random_device{}()))).string();
    const int status = std::system(("(" + command + ") >" + Quoted(base + ".out") +
                                    (err != nullptr ? " 2>" + Quoted(base + ".err") : std::string()))
                                       .c_str());
    for (auto [path, text] : {std::pair{base + ".out", &out}, std::pair{base + ".err", err}}) {
        if (text == nullptr) continue;
        *text = ReadWhole(path);
        text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());  // Windows's line ends
        std::remove(path.c_str());
    }
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
