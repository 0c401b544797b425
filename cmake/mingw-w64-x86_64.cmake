# Cross build of kyori.exe for 64-bit Windows from Debian, with the
# g++-mingw-w64-x86-64 package:
#   cmake -S . -B build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DKYORI_BUILD_TESTS=OFF
#
# The -posix flavour of the compiler is used: its C++ library has std::mutex
# and std::thread (through winpthreads), which the text registry's lock needs;
# the -win32 flavour of this GCC has no std::mutex. The top CMakeLists links
# with -static on Windows, so libgcc, libstdc++ and winpthreads end up inside
# kyori.exe and only system DLLs are imported.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KYORI_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KYORI_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KYORI_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KYORI_MINGW_PREFIX}-windres)

# Libraries and headers come from the target's own tree, programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${KYORI_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
