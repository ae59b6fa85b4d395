# Cross-builds the batch converter for 64-bit Windows with Debian's MinGW-w64 (package
# g++-mingw-w64-x86-64-posix, the thread model that has std::thread):
#   cmake -S . -B build-win64 --toolchain cmake/toolchains/x86_64-w64-mingw32.cmake
# The programs link the C and C++ run-times statically, so that they need nothing but
# KERNEL32.dll and msvcrt.dll, which every Windows has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLSHIFT_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLSHIFT_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLSHIFT_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLSHIFT_MINGW_TRIPLET}-windres)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Headers and libraries come from the MinGW tree only: /usr/include would put glibc's headers
# before MinGW's. (Header-only libraries of the build machine are staged into the build folder
# instead; see cmake/WindowsCross.cmake.)
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLSHIFT_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
