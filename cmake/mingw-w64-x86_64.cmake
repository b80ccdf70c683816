# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The posix flavour gives std::thread and std::mutex. Programs are linked statically (the C++
# runtime and winpthread inside the .exe), so they run under Wine, or on a Windows machine, with
# no DLL beside them. The tests run under Wine (cmake/WindowsCross.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MIG_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MIG_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MIG_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MIG_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MIG_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
