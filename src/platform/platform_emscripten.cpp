// Where the plugin lies in the browser: a fixed place in the module's in-memory file
// system, where the page writes the configuration before it starts the train.
#include "platform/platform.h"

namespace platform {

bool LibraryPath(std::string& path) {
    path = "/train/footplate.so";
    return true;
}

}  // namespace platform
