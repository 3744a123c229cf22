// The only code that knows the operating system: where the plugin's own file lies and
// how to read a file.
#pragma once

#include <string>

namespace platform {

// The full path of the plugin's own library file (not the host program's); false when
// it cannot be found.
bool LibraryPath(std::string& path);

struct File;

// Opens an existing file for reading, shared with other readers; null when it cannot.
File* OpenForReading(const char* path);
// Reads up to size bytes; returns how many were read, 0 at the end or on failure.
int Read(File* file, unsigned char* buffer, int size);
void Close(File* file);

}  // namespace platform
