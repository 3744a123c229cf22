#include "platform/platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <new>
#include <vector>

namespace platform {

struct File {
    HANDLE handle;
};

bool LibraryPath(std::string& path) {
    // The module that holds this function is the plugin DLL; GetModuleHandleA(NULL)
    // would name the host's executable instead.
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&LibraryPath), &self)) {
        return false;
    }
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        DWORD length = GetModuleFileNameA(self, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return false;
        if (length < buffer.size()) {
            path.assign(buffer.data(), length);
            return true;
        }
        buffer.resize(buffer.size() * 2);  // the path was cut short: try a larger buffer
    }
}

File* OpenForReading(const char* path) {
    HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    File* file = new (std::nothrow) File{handle};
    if (file == nullptr) CloseHandle(handle);
    return file;
}

int Read(File* file, unsigned char* buffer, int size) {
    if (file == nullptr || size <= 0) return 0;
    DWORD got = 0;
    if (!ReadFile(file->handle, buffer, static_cast<DWORD>(size), &got, nullptr)) return 0;
    return static_cast<int>(got);
}

void Close(File* file) {
    if (file == nullptr) return;
    CloseHandle(file->handle);
    delete file;
}

}  // namespace platform
