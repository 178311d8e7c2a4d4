# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix thread
# model: the win32 one has no std::mutex). Picks the win32 platform backend.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(orv_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${orv_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${orv_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${orv_mingw}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${orv_mingw} ${ORV_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static zlib and runtime: the programs import only system DLLs.
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(ORV_PLATFORM win32 CACHE STRING "Platform backend: posix or win32")
