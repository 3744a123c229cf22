// Runs one of our programs as an author would and captures what it prints.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
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
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A path as one word for the shell that runs the command.
inline std::string Quoted(const std::string& path) {
#if defined(_WIN32)
    return "\"" + std::filesystem::path(path).make_preferred().string() + "\"";  // cmd.exe reads '/' as a switch
#else
    return "'" + path + "'";
#endif
}

// A program of the build as a word the shell runs from any folder.
inline std::string Program(const char* path) { return Quoted(std::filesystem::absolute(path).string()); }

// The command's standard output in out, its standard error in err (line ends as '\n'); its
// exit status, or -1 when it did not exit normally. Parentheses group the command for either
// shell, so the redirections take all of it.
inline int RunCommand(const std::string& command, std::string& out, std::string& err) {
    const auto base = std::filesystem::temp_directory_path() / ("footplate-" + std::to_string(std::random_device{}()));
    const std::string outPath = base.string() + ".out", errPath = base.string() + ".err";
    const int status = std::system(("(" + command + ") >" + Quoted(outPath) + " 2>" + Quoted(errPath)).c_str());
    for (auto [path, text] : {std::pair{outPath, &out}, std::pair{errPath, &err}}) {
        *text = ReadWhole(path);
        std::erase(*text, '\r');  // Windows's line ends
        std::filesystem::remove(path);
    }
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
