# Cross-building for 64-bit Windows with Debian's MinGW-w64 (posix threads,
# which std::thread and std::mutex need). The libraries built for Windows
# live in one prefix, named by VELMORA_WINDOWS_PREFIX; the environment
# carries it because CMake reads this file again for every try_compile.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
if(DEFINED ENV{VELMORA_WINDOWS_PREFIX})
  list(APPEND CMAKE_FIND_ROOT_PATH "$ENV{VELMORA_WINDOWS_PREFIX}")
endif()
# pkg-config finds the Windows libraries only, never the system's own.
set(ENV{PKG_CONFIG_LIBDIR} "$ENV{VELMORA_WINDOWS_PREFIX}/lib/pkgconfig:/usr/x86_64-w64-mingw32/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(CMAKE_DLLTOOL x86_64-w64-mingw32-dlltool)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Programs run under Wine when a build step or a test needs to run one.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
