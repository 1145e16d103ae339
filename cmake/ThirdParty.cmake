# Header-only libraries from Debian (CLI11, xxHash) reach every configuration through a build-tree
# include folder that links just their directory, so /usr/include itself never lands
# on the cross compiler's include path.
set(THIRD_PARTY_INCLUDE "${CMAKE_BINARY_DIR}/third_party/include")
file(MAKE_DIRECTORY "${THIRD_PARTY_INCLUDE}")
if(NOT EXISTS "/usr/include/CLI/CLI.hpp")
  message(FATAL_ERROR "CLI11 headers not found in /usr/include/CLI: run scripts/install-deps")
endif()
if(NOT EXISTS "${THIRD_PARTY_INCLUDE}/CLI")
  file(CREATE_LINK "/usr/include/CLI" "${THIRD_PARTY_INCLUDE}/CLI" SYMBOLIC)
endif()
add_library(cli11 INTERFACE)
target_include_directories(cli11 SYSTEM INTERFACE "${THIRD_PARTY_INCLUDE}")

# xxHash, used header-only (XXH_INLINE_ALL) for the content digests.
if(NOT EXISTS "/usr/include/xxhash.h")
  message(FATAL_ERROR "xxHash header not found: run scripts/install-deps")
endif()
if(NOT EXISTS "${THIRD_PARTY_INCLUDE}/xxhash/xxhash.h")
  file(MAKE_DIRECTORY "${THIRD_PARTY_INCLUDE}/xxhash")
  file(CREATE_LINK "/usr/include/xxhash.h" "${THIRD_PARTY_INCLUDE}/xxhash/xxhash.h" SYMBOLIC)
endif()
add_library(xxhash INTERFACE)
target_include_directories(xxhash SYSTEM INTERFACE "${THIRD_PARTY_INCLUDE}/xxhash")
