// The buffered line reader of configuration files.
#pragma once

#include "platform/platform.h"

// Reads a file in blocks but hands out exactly the bytes one read at a time would: the
// configuration's reading sees no difference.
struct ConfigReader {
    platform::File* file = nullptr;
    unsigned char block[4096];
    int pos = 0;
    int len = 0;
};

// Opens the file at path for reading; false when it cannot be opened.
bool OpenConfigReader(ConfigReader& reader, const char* path);
void CloseConfigReader(ConfigReader& reader);

// Reads one line into buffer: at most size - 1 bytes, up to an LF (consumed, not stored)
// or the end of the file. Returns the number of bytes stored; 0 also for an empty line.
int readLine(ConfigReader& reader, char* buffer, int size);

// The next byte without taking it, or -1 at the end of the file.
int peekByte(ConfigReader& reader);
// True when every byte of the file has been taken.
inline bool atEndOfFile(ConfigReader& reader) { return peekByte(reader) == -1; }
