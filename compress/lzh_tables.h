// Where the LZH codec takes the tables of one run from. The free store by default;
// a test substitutes a source that fails to exercise the codec's failure paths.
#pragma once

#include <cstddef>

namespace compress::lzh {

struct TableMemory {
  void* (*obtain)(std::size_t size);  // nullptr when no memory is available
  bool (*release)(void* block);       // false when the block could not be released
};

// Installs `memory` for the runs that follow and returns the source it replaces.
// Not for use while a run is going on.
TableMemory SetTableMemory(TableMemory memory);

}  // namespace compress::lzh
