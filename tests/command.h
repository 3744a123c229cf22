// Runs one of our programs as an author would and captures what it prints.
#pragma once

#if defined(_WIN32)
#define WIFEXITED(status) true
#define WEXITSTATUS(status) (status)
#else
#include <sys/wait.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

inline std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// The command's standard output in out, its standard error in err when asked for; its exit
// status, or -1 when it did not exit normally (a crash).
inline int RunCommand(const std::string& command, std::string& out, std::string* err = nullptr) {
    const std::string base = (std::filesystem::temp_directory_path() /
                              ("footplate-command-" + std::to_string(std::random_device{}())))
                                 .string();
    const int status = std::system(("{ " + command + "; } >" + Quoted(base + ".out") +
                                    (err != nullptr ? " 2>" + Quoted(base + ".err") : std::string()))
                                       .c_str());
    out = ReadWhole(base + ".out");
    if (err != nullptr) *err = ReadWhole(base + ".err");
    std::remove((base + ".out").c_str());
    std::remove((base + ".err").c_str());
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
