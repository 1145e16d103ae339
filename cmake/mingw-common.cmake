# What both Windows toolchains share; the including file sets MINGW_PROCESSOR.
#
# The compilers are MinGW-w64's win32-thread ones. The posix-thread compilers link their
# thread runtime (libwinpthread) into every program, and it imports GetTickCount64, which
# Windows has only from Vista on: a program so built does not start on Windows XP. The
# win32-thread runtime of GCC 12 asks nothing of Windows that XP SP3 lacks; it has no
# std::thread or std::mutex, so the code uses the platform's own threads where it needs any.
# tests/xp/ checks the import tables of the programs built this way.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_PROCESSOR})
set(TOOLCHAIN_PREFIX ${MINGW_PROCESSOR}-w64-mingw32)
set(MINGW_THREADS win32)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-${MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-${MINGW_THREADS})
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows test programs run under Wine, headless, in the test run's throwaway prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run")
