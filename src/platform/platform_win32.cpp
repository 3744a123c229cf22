// The Windows side of the platform: the DLL's own path and file reading in wide characters.
#include "platform/platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <memory>
#include <new>
#include <string>

namespace platform {

struct File {
    HANDLE handle;
};

namespace {

// Any object inside the DLL names the DLL's own module.
const char moduleAnchor = 0;

// The wide-character calls throughout: the ANSI ones turn every character outside the
// system's code page into '?', and a train installed under a folder named in the
// player's own language would then silently run without its configuration.

bool toUtf8(const wchar_t* text, int length, std::string& out) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    out.assign(static_cast<size_t>(size), '\0');
    return WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr) == size;
}

// Text that is not UTF-8 comes from a program's arguments, in the system's code page.
std::wstring toWide(const char* text) {
    UINT codePage = CP_UTF8;
    DWORD flags = MB_ERR_INVALID_CHARS;
    int size = MultiByteToWideChar(codePage, flags, text, -1, nullptr, 0);
    if (size <= 0) {
        codePage = CP_ACP;
        flags = 0;
        size = MultiByteToWideChar(codePage, flags, text, -1, nullptr, 0);
        if (size <= 0) return {};
    }
    std::wstring wide(static_cast<size_t>(size), L'\0');
    if (MultiByteToWideChar(codePage, flags, text, -1, wide.data(), size) != size) return {};
    wide.pop_back();  // the terminator, which std::wstring keeps itself
    return wide;
}

// A path of MAX_PATH characters or more opens only in its extended form: absolute, with
// backslashes, behind "\\?\" ("\\?\UNC\" for a network share).
std::wstring extendedIfLong(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0) return path;
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return path;
    full.resize(length);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC" + full.substr(1);
    return L"\\\\?\\" + full;
}

}  // namespace

bool LibraryPath(std::string& path) {
    // The module that holds this object is the plugin DLL, whatever the authors renamed it
    // to; GetModuleHandle(NULL) would name the host's executable instead.
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&moduleAnchor), &self)) {
        return false;
    }
    // A path that does not fit is cut short (and on old systems left unterminated): try a
    // larger buffer, up to the longest path Windows has.
    for (DWORD size = MAX_PATH + 1; size <= 65536; size *= 2) {
        std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[size]);
        if (!buffer) return false;
        const DWORD length = GetModuleFileNameW(self, buffer.get(), size);
        if (length == 0) return false;
        if (length < size) {
            try {
                return toUtf8(buffer.get(), static_cast<int>(length), path);
            } catch (const std::bad_alloc&) {
                return false;  // nothing may escape into the host
            }
        }
    }
    return false;
}

std::wstring WidePath(const char* path) {
    try {
        return extendedIfLong(toWide(path));
    } catch (const std::bad_alloc&) {
        return {};  // nothing may escape into the host
    }
}

File* OpenForReading(const char* path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return nullptr;
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
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
