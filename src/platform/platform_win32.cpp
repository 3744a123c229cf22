#include "platform/platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <memory>
#include <new>

namespace platform {

struct File {
    HANDLE handle;
};

namespace {

// Any object inside the DLL names the DLL's own module.
const char moduleAnchor = 0;

}  // namespace

bool LibraryPath(std::string& path) {
    // The module that holds this object is the plugin DLL, whatever the authors renamed it
    // to; GetModuleHandleA(NULL) would name the host's executable instead.
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            &moduleAnchor, &self)) {
        return false;
    }
    // A path that does not fit is cut short (and on old systems left unterminated): try a
    // larger buffer, up to the longest path Windows has.
    for (DWORD size = MAX_PATH + 1; size <= 65536; size *= 2) {
        std::unique_ptr<char[]> buffer(new (std::nothrow) char[size]);
        if (!buffer) return false;
        const DWORD length = GetModuleFileNameA(self, buffer.get(), size);
        if (length == 0) return false;
        if (length < size) {
            try {
                path.assign(buffer.get(), length);
            } catch (const std::bad_alloc&) {
                return false;  // nothing may escape into the host
            }
            return true;
        }
    }
    return false;
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
