// The only code that knows the operating system: where the plugin's own file lies and
// how to read a file.
#pragma once

#include <string>

namespace platform {

// Paths are UTF-8, so a folder named in any language survives the trip; on Windows a
// path that is not UTF-8 is taken in the system's code page, as programs' arguments come.

// The full path of the plugin's own library file (not the host program's); false when
// it cannot be found.
bool LibraryPath(std::string& path);

struct File;

// Opens an existing file for reading, shared with other readers; null when it cannot.
File* OpenForReading(const char* path);
// Reads up to size bytes; returns how many were read, 0 at the end or on failure.
int Read(File* file, unsigned char* buffer, int size);
void Close(File* file);

#if defined(_WIN32)
// The path as Windows's wide-character calls take it, in its extended form when it is
// longer than they take otherwise; empty when it cannot be converted.
std::wstring WidePath(const char* path);
#endif

}  // namespace platform
