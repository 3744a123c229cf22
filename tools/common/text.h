// What both tools do with text from authors' files and command lines: escape what cannot
// be printed, and read a whole file with the system's reason when it cannot be read.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

// The length of the printable UTF-8 character at text[i] (2 to 4 bytes), or 0 when the
// bytes there are no such character: broken or overlong sequences, surrogates, C1 controls.
inline size_t PrintableUtf8Length(std::string_view text, size_t i) {
    const auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = at(i);
    const size_t length = lead >= 0xc2 && lead <= 0xdf ? 2 : lead >= 0xe0 && lead <= 0xef ? 3
                          : lead >= 0xf0 && lead <= 0xf4                                  ? 4
                                                                                          : 0;
    if (length == 0 || i + length > text.size()) return 0;
    for (size_t k = i + 1; k < i + length; ++k) {
        if ((at(k) & 0xc0) != 0x80) return 0;
    }
    const unsigned char next = at(i + 1);
    if ((lead == 0xc2 && next < 0xa0) || (lead == 0xe0 && next < 0xa0) || (lead == 0xed && next >= 0xa0) ||
        (lead == 0xf0 && next < 0x90) || (lead == 0xf4 && next >= 0x90)) {
        return 0;
    }
    return length;
}

// The text with every byte that is not printable written as an escape (\r, \t, \n,
// \xNN), so a message never carries a file's control bytes to the author's terminal.
// Printable ASCII (a Windows path's backslashes too) and whole UTF-8 characters stay as
// they are.
inline std::string Printable(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (const size_t length = byte >= 0x80 ? PrintableUtf8Length(text, i) : 0; length > 0) {
            out.append(text.substr(i, length));
            i += length - 1;
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\t') {
            out += "\\t";
        } else if (byte == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte >= 0x7f) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xf];
        } else {
            out += text[i];
        }
    }
    return out;
}

// Reads a whole file in binary; false with the system's reason in why (e.g. "No such file
// or directory", "Is a directory") when it cannot be opened or read.
inline bool ReadTextFile(const std::string& path, std::string& out, std::string* why = nullptr) {
    out.clear();
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        if (why != nullptr) *why = std::strerror(errno != 0 ? errno : ENOENT);
        return false;
    }
    char block[65536];
    for (size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;) out.append(block, n);
    const int error = std::ferror(file) != 0 ? (errno != 0 ? errno : EIO) : 0;
    std::fclose(file);
    if (error != 0 && why != nullptr) *why = std::strerror(error);
    return error == 0;
}
