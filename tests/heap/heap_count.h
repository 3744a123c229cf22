// Counts every heap allocation the program makes: operator new in all its forms, and the
// C allocators called by the plugin's code.
#pragma once

#include <cstdint>

namespace heap {

struct Counts {
    uint64_t allocations;  // calls that handed out memory
    int64_t live;          // blocks handed out and not yet released
};

Counts Now();

}  // namespace heap
