# Cross-compiles the converter and the core's tests for 64-bit Windows with MinGW-w64 (Debian's
# g++-mingw-w64-x86-64-posix: its threads are those std::thread needs). Tests run under Wine
# (Debian's wine64), which ctest starts through the emulator named here.
#
#   cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC 12 takes "text" + std::string for overlapping copies when it optimises (GCC bug 105329):
# a false alarm on every such line.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")

# One file per program: the C++ runtime linked in, nothing to find beside the .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Debian installs wine64 in Wine's library folder rather than on the PATH.
find_program(QLX_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib/x86_64-linux-gnu/wine
             NO_CMAKE_FIND_ROOT_PATH)
if(QLX_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QLX_WINE64})
endif()
