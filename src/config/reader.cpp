// The buffered line reader of configuration files.
#include "config/reader.h"

namespace {

// Makes the next byte available; false at the end of the file or on a failed read.
bool refill(ConfigReader& reader) {
    if (reader.pos < reader.len) return true;
    reader.len = platform::Read(reader.file, reader.block, static_cast<int>(sizeof reader.block));
    reader.pos = 0;
    if (reader.len > 0) return true;
    reader.len = 0;
    return false;
}

}  // namespace

bool OpenConfigReader(ConfigReader& reader, const char* path) {
    reader.file = platform::OpenForReading(path);
    reader.pos = reader.len = 0;
    return reader.file != nullptr;
}

void CloseConfigReader(ConfigReader& reader) {
    platform::Close(reader.file);
    reader.file = nullptr;
}

int readLine(ConfigReader& reader, char* buffer, int size) {
    int stored = 0;
    while (stored < size - 1 && refill(reader)) {
        const unsigned char byte = reader.block[reader.pos++];
        if (byte == '\n') break;
        buffer[stored++] = static_cast<char>(byte);
    }
    if (size > 0) buffer[stored] = '\0';
    return stored;
}

int peekByte(ConfigReader& reader) { return refill(reader) ? reader.block[reader.pos] : -1; }
