#include "bench/zlib_anchor.h"

#include <zlib.h>

static_assert(zlib_anchor::kOk == Z_OK);

namespace zlib_anchor {

std::size_t Bound(std::size_t size) { return compressBound(static_cast<uLong>(size)); }

int Compress(uint8_t* out, std::size_t& size, const uint8_t* in, std::size_t inSize, int level) {
  uLongf n = static_cast<uLongf>(size);
  const int rc = compress2(out, &n, in, static_cast<uLong>(inSize), level);
  size = n;
  return rc;
}

int Uncompress(uint8_t* out, std::size_t& size, const uint8_t* in, std::size_t inSize) {
  uLongf n = static_cast<uLongf>(size);
  const int rc = uncompress(out, &n, in, static_cast<uLong>(inSize));
  size = n;
  return rc;
}

}  // namespace zlib_anchor
