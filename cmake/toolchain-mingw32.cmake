# Cross-compiles footplate for 32-bit Windows with Debian's i686-w64-mingw32 toolchain
# (packages g++-mingw-w64-i686 and binutils-mingw-w64-i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(FOOTPLATE_MINGW_TRIPLET i686-w64-mingw32)

# The posix thread model: GoogleTest needs std::mutex, which the win32 model of this
# compiler lacks. The pthread library is linked statically like the rest of the runtime.
find_program(CMAKE_CXX_COMPILER NAMES ${FOOTPLATE_MINGW_TRIPLET}-g++-posix ${FOOTPLATE_MINGW_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${FOOTPLATE_MINGW_TRIPLET}-gcc-posix ${FOOTPLATE_MINGW_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${FOOTPLATE_MINGW_TRIPLET}-windres)
find_program(FOOTPLATE_OBJDUMP NAMES ${FOOTPLATE_MINGW_TRIPLET}-objdump REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${FOOTPLATE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The host calls from code built by another compiler, which keeps the stack only 4-byte
# aligned; never assume more on entry.
set(CMAKE_C_FLAGS_INIT "-mincoming-stack-boundary=2")
set(CMAKE_CXX_FLAGS_INIT "-mincoming-stack-boundary=2")

# Everything links the compiler's runtime statically, so the DLL and the tools import
# nothing but Windows system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
