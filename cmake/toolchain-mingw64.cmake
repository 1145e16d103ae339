# 64-bit Windows with the MinGW-w64 win32-thread compilers from Debian. The product is
# 32-bit; this build exists to run the Windows tests under Wine on machines that cannot
# execute 32-bit x86 code (and so cannot run 32-bit Wine).
set(MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
