// Runs one of our programs as an author would and captures what it prints.
#pragma once

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

// The command's standard output in out; its exit status, or -1 when it did not exit normally.
inline int RunCommand(const std::string& command, std::string& out) {
    out.clear();
#if defined(_WIN32)
    // cmd.exe drops the first and the last quote of a line that starts with one.
    FILE* pipe = ::_popen(("\"" + command + "\"").c_str(), "r");
#else
    FILE* pipe = ::popen(command.c_str(), "r");
#endif
    if (pipe == nullptr) return -1;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
#if defined(_WIN32)
    return ::_pclose(pipe);
#else
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

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
