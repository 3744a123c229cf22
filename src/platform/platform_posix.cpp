// The POSIX side of the platform: the library's own path and plain file reading.
#include "platform/platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

struct File {
    int fd;
};

bool LibraryPath(std::string& path) {
    // Any address inside this library names the library itself, not the host program.
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&LibraryPath), &info) == 0 || info.dli_fname == nullptr) {
        return false;
    }
    path = info.dli_fname;
    return true;
}

File* OpenForReading(const char* path) {
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    File* file = new (std::nothrow) File{fd};
    if (file == nullptr) ::close(fd);
    return file;
}

int Read(File* file, unsigned char* buffer, int size) {
    if (file == nullptr || size <= 0) return 0;
    for (;;) {
        ssize_t got = ::read(file->fd, buffer, static_cast<size_t>(size));
        if (got < 0 && errno == EINTR) continue;
        return got > 0 ? static_cast<int>(got) : 0;
    }
}

void Close(File* file) {
    if (file == nullptr) return;
    ::close(file->fd);
    delete file;
}

}  // namespace platform
