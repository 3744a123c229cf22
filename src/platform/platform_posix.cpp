// Where the plugin lies on Linux: the shared library that holds this code.
#include "platform/platform.h"

#include <dlfcn.h>

namespace platform {

bool LibraryPath(std::string& path) {
    // Any address inside this library names the library itself, not the host program.
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&LibraryPath), &info) == 0 || info.dli_fname == nullptr) {
        return false;
    }
    path = info.dli_fname;
    return true;
}

}  // namespace platform
