# 32-bit Windows with the MinGW-w64 win32-thread compilers from Debian: the product.
set(MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
