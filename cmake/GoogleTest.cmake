# GoogleTest is built from Debian's sources for each configuration.
set(GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory("${GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)
if(WIN32)
  # The Windows runtime (win32 threads, cmake/mingw-common.cmake) has no std::mutex: the
  # framework's one use of it is replaced there by a Win32 event.
  foreach(target gtest gtest_main gmock gmock_main)
    target_include_directories(${target} BEFORE PUBLIC ${PROJECT_SOURCE_DIR}/tests/support/gtest_win32)
  endforeach()
endif()
# The framework is test code too: an optimised build compiles it at -O1, for build speed.
if(CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo)$")
  target_compile_options(gtest PRIVATE -O1)
  target_compile_options(gtest_main PRIVATE -O1)
endif()
