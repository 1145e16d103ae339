// The driver's buffers cannot be had: the operation fails with its memory message
// before any file is touched. The array form of nothrow new is replaced in this test
// program so that requests of exactly one buffer's size can be refused on demand.
#include <cstdlib>
#include <new>

#include "driver_fixture.h"

#if !defined(__SANITIZE_ADDRESS__) && !defined(__has_feature)
#define DRIVER_MEMORY_TEST 1
#elif defined(__has_feature)
#if !__has_feature(address_sanitizer)
#define DRIVER_MEMORY_TEST 1
#endif
#endif

#ifdef DRIVER_MEMORY_TEST
namespace {
std::size_t g_refuseSize = 0;
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (g_refuseSize != 0 && size == g_refuseSize) return nullptr;
  try {
    return ::operator new[](size);
  } catch (...) {
    return nullptr;
  }
}

namespace compress::testing {
namespace {

using testing_support::PathExists;
using testing_support::SampleText;
using testing_support::WriteFileBytes;

struct RefuseBuffers {
  RefuseBuffers() { g_refuseSize = Tlzrw1::kBufferSize; }
  ~RefuseBuffers() { g_refuseSize = 0; }
};

TEST_F(DriverTest, BuffersThatCannotBeHadTouchNoFile) {
  WriteFileBytes(Path("in.dat"), SampleText(1000));
  WriteFileBytes(Path("in.lz"), {'W', 'R', 'Z', 'L', 0, 0, 0, 0});
  RefuseBuffers refuse;
  driver.InputFile = Path("in.dat");
  driver.OutputFile = Path("out.lz");
  try {
    driver.Compress();
    ADD_FAILURE() << "Compress succeeded without buffers";
  } catch (const ELzrw1Exception& e) {
    EXPECT_EQ(e.Message(), "Lzrw1 : Cannot get memory for I/O Buffers");
  }
  try {
    driver.Advise();
    ADD_FAILURE() << "Advise succeeded without buffers";
  } catch (const ELzrw1Exception& e) {
    EXPECT_EQ(e.Message(), "Lzrw1 : Cannot get memory for I/O Buffers");
  }
  EXPECT_FALSE(PathExists(Path("out.lz")));
  driver.InputFile = Path("in.lz");
  driver.OutputFile = Path("restored.dat");
  try {
    driver.Decompress();
    ADD_FAILURE() << "Decompress succeeded without buffers";
  } catch (const ELzrw1Exception& e) {
    EXPECT_EQ(e.Message(), "Lzrw1 : no memory for I/O Buffers !!");
  }
  EXPECT_FALSE(PathExists(Path("restored.dat")));
}

}  // namespace
}  // namespace compress::testing
#endif
