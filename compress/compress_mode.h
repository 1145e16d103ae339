// The compression method choice shared by the driver and the package engines.
#pragma once

#include <cstdint>

namespace compress {

// Stored in one byte: Good = LZH, Fast = LZRW1/KH, Auto = the driver samples the
// input with Advise at each Compress.
enum class TCompressMode : uint8_t { Good = 0, Fast = 1, Auto = 2 };

}  // namespace compress
