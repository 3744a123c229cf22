// Reading files through POSIX, for every system that has it (Linux and the browser's
// in-memory file system alike).
#include "platform/platform.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace platform {

struct File {
    int fd;
};

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
