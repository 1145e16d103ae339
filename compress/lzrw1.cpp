// The compressed-file driver: header, method dispatch, LZRW1/KH block framing, LZH
// byte staging, progress events and clean-up on failure.
#include "compress/lzrw1.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "compress/lzh_codec.h"
#include "compress/messages.h"
#include "platform/files.h"
#include "platform/le_bytes.h"
#include "platform/system.h"

namespace compress {
namespace {

constexpr uint8_t kSigKh[4] = {'W', 'R', 'Z', 'L'};
constexpr uint8_t kSigLzh[4] = {'!', 'H', 'Z', 'L'};
constexpr int64_t kAdviseMinimum = 3 * Tlzrw1::kChunk;  // 98304

[[noreturn]] void Fail(const std::string& message, std::string reason = {}) {
  throw ELzrw1Exception(message, std::move(reason));
}

// A message that names a file: the prefix, the path and the suffix.
[[noreturn]] void Fail(const char* prefix, const std::string& path, const char* suffix,
                       std::string reason = {}) {
  throw ELzrw1Exception(
      platform::NamedMessage{prefix, path, suffix, platform::NamedMessage::Names::Path},
      std::move(reason));
}

std::unique_ptr<uint8_t[]> AllocBuffer(const char* failure) {
  // Value-initialised: the block coder may look at the slack after the data.
  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[Tlzrw1::kBufferSize]());
  if (!buffer) Fail(failure);
  return buffer;
}

int32_t Percent(int64_t part, int64_t whole) {
  return whole == 0 ? 0 : static_cast<int32_t>(part * 100 / whole);
}

}  // namespace

// Everything one Compress or Decompress holds: buffers, files, counters and the LZH
// staging state. Destroying it closes whatever is still open.
struct Tlzrw1::Operation {
  Operation(Tlzrw1& owner, const char* noMemory)
      : driver(owner), in(AllocBuffer(noMemory)), out(AllocBuffer(noMemory)) {}

  Tlzrw1& driver;
  std::unique_ptr<uint8_t[]> in;
  std::unique_ptr<uint8_t[]> out;
  std::unique_ptr<platform::File> input;
  std::unique_ptr<platform::File> output;  // removed on interrupt until it is closed
  int32_t InSize = 0;
  int32_t OutSize = 0;
  // LZH staging.
  int32_t inValid = 0;        // valid bytes in `in`
  int32_t inNext = 0;         // next unread byte in `in`
  int32_t outWaiting = 0;     // bytes of `out` not yet written
  int endOfInputAnswers = 0;  // read requests answered with 0 bytes

  void Progress() {
    if (driver.OnProgress) driver.OnProgress(&driver, InSize, OutSize);
  }
  void CheckRead(int32_t got, int32_t expected) {
    if (got != expected)
      Fail(msg::kReadingFrom, driver.InputFile, msg::kBang, input->FailureReason());
    platform::ProcessMessages();
  }
  void CheckWrite(int32_t got, int32_t expected) {
    if (got != expected)
      Fail(msg::kWritingTo, driver.OutputFile, msg::kBang, output->FailureReason());
    platform::ProcessMessages();
  }
  void Write(const void* data, int32_t count) {
    CheckWrite(count == 0 ? 0 : output->Write(data, count), count);
  }

  // The read procedure the LZH codec pulls its input through. The codec asks for one
  // byte at a time: from a chunk at hand that byte is copied without a call.
  void GetBytes(uint8_t* Buf, uint16_t ByteCount, uint16_t& Actual) {
    if (inNext >= inValid && !Refill()) {
      Actual = 0;
      ++endOfInputAnswers;
      return;
    }
    if (ByteCount == 1) {
      *Buf = in[static_cast<std::size_t>(inNext++)];
      Actual = 1;
      return;
    }
    const int32_t served = std::min<int32_t>(ByteCount, inValid - inNext);
    std::memcpy(Buf, in.get() + inNext, static_cast<size_t>(served));
    inNext += served;
    Actual = static_cast<uint16_t>(served);
  }

  // Reads the next chunk of the input; false at its end.
  [[gnu::noinline]] bool Refill() {
    const int32_t n = input->Read(in.get(), kChunk);
    if (n < 0) Fail(msg::kLzhReadError, driver.InputFile, msg::kBang, input->FailureReason());
    platform::ProcessMessages();
    InSize += n;
    Progress();
    inValid = n;
    inNext = 0;
    return n != 0;
  }

  // The write procedure the LZH codec pushes its output through; ByteCount 0 flushes.
  void PutBytes(const uint8_t* Buf, uint16_t ByteCount, uint16_t& Actual) {
    if (ByteCount == 0 || outWaiting + ByteCount > kChunk) {
      Write(out.get(), outWaiting);
      OutSize += outWaiting;
      outWaiting = 0;
      Progress();
      if (ByteCount == 0) return;
    }
    if (ByteCount == 1)
      out[static_cast<std::size_t>(outWaiting)] = *Buf;
    else
      std::memcpy(out.get() + outWaiting, Buf, ByteCount);
    outWaiting += ByteCount;
    Actual = ByteCount;
  }

  // `count` bytes, as `count` calls of PutBytes with one byte each would take them: the
  // waiting bytes are written when a byte comes that would not fit beside them.
  void PutRun(const uint8_t* bytes, unsigned count) {
    while (count > 0) {
      if (outWaiting == kChunk) {
        Write(out.get(), outWaiting);
        OutSize += outWaiting;
        outWaiting = 0;
        Progress();
      }
      const unsigned take = std::min<unsigned>(count, static_cast<unsigned>(kChunk - outWaiting));
      std::memcpy(out.get() + outWaiting, bytes, take);
      outWaiting += static_cast<int32_t>(take);
      bytes += take;
      count -= take;
    }
  }

  void Flush() {
    uint16_t ignored = 0;
    PutBytes(nullptr, 0, ignored);
  }

  // Opens the input for reading without sharing and creates the output, replacing an
  // existing file. The output cannot be created while the input is held, so naming
  // the same file twice fails here and leaves the input intact.
  void OpenFiles(const char* inputPrefix) {
    platform::FileSystem& files = driver.Port();
    input = files.Open(driver.InputFile, platform::Access::Read, driver.InputShare,
                       platform::Disposition::OpenExisting);
    if (!input) Fail(inputPrefix, driver.InputFile, msg::kInputSuffix, files.FailureReason());
    if (driver.ReadInputThrough) input = driver.ReadInputThrough(std::move(input));
    output = driver.CreateOutput
                 ? driver.CreateOutput(driver.OutputFile)
                 : files.Open(driver.OutputFile, platform::Access::ReadWrite, platform::Share::None,
                              platform::Disposition::CreateAlways);
    if (!output) {
      input.reset();
      Fail(msg::kOutputPrefix, driver.OutputFile, msg::kOutputSuffix, files.FailureReason());
    }
  }

  // Closes both files; the output is complete.
  void Finish() {
    input.reset();
    output.reset();
  }

  // Runs `body`; when anything escapes it, the output is closed and (made by the driver
  // itself) deleted before the exception goes on.
  template <class Body>
  void Guarded(Body&& body) {
    try {
      body();
    } catch (...) {
      output.reset();
      if (!driver.CreateOutput) driver.Port().Delete(driver.OutputFile);
      throw;
    }
  }
};

Tlzrw1::Tlzrw1(platform::TComponent* AOwner)
    : TComponent(AOwner), kh_(std::make_unique<TLZRW1KH>()), lzh_(std::make_unique<Tlzh>()) {}

Tlzrw1::~Tlzrw1() {
  lzh_.reset();
  kh_.reset();
}

// Size of InputFile, taken by opening it for reading with full sharing: a missing file,
// one that is not a regular file or one held exclusively fails here.
int32_t Tlzrw1::ProbeSize() {
  auto probe = Port().Open(InputFile, platform::Access::Read, platform::Share::ReadWrite,
                           platform::Disposition::OpenExisting);
  const int64_t size = probe ? probe->Size() : -1;
  // The header holds a signed 32-bit size; a larger file cannot be described.
  if (size < 0 || size > std::numeric_limits<int32_t>::max())
    Fail(msg::kCannotObtainSize, InputFile, "", probe ? std::string() : Port().FailureReason());
  return static_cast<int32_t>(size);
}

int32_t Tlzrw1::Compress() {
  const TCompressMode method = CompressMode == TCompressMode::Auto ? Advise() : CompressMode;
  Operation op(*this, msg::kNoMemoryCompress);
  const bool fast = method == TCompressMode::Fast;
  const int32_t size = ProbeSize();
  op.OpenFiles(msg::kCompressInputPrefix);
  op.Guarded([&] {
    op.Write(fast ? kSigKh : kSigLzh, 4);
    op.OutSize = 4;
    op.InSize = 0;
    uint8_t header[4];
    platform::le::Put32(header, static_cast<uint32_t>(size));
    op.Write(header, 4);
    op.OutSize = 8;
    if (fast)
      CompressKh(op);
    else
      CompressLzh(op);
    // The header promised the size the input had before; a file that grew or shrank
    // meanwhile would restore to something else or fail later.
    if (op.InSize != size) Fail(msg::kSizeChangedPrefix, InputFile, msg::kSizeChangedSuffix);
  });
  op.Finish();
  if (OnFinished) OnFinished(this, Percent(op.OutSize, op.InSize));
  return op.OutSize;
}

int32_t Tlzrw1::Decompress() {
  Operation op(*this, msg::kNoMemoryDecompress);
  op.OpenFiles(msg::kDecompressInputPrefix);
  op.Guarded([&] {
    uint8_t sig[4];
    op.CheckRead(op.input->Read(sig, 4), 4);
    const bool kh = std::memcmp(sig, kSigKh, 4) == 0;
    if (!kh && std::memcmp(sig, kSigLzh, 4) != 0)
      Fail(msg::kNotCompressedPrefix, InputFile, msg::kNotCompressedSuffix);
    op.InSize = 4;
    op.OutSize = 0;
    if (kh)
      DecompressKh(op);
    else
      DecompressLzh(op);
    if (OnFinished) OnFinished(this, Percent(op.OutSize, op.InSize));
  });
  op.Finish();
  return op.OutSize;
}

TCompressMode Tlzrw1::Advise() {
  auto in = AllocBuffer(msg::kNoMemoryCompress);
  auto out = AllocBuffer(msg::kNoMemoryCompress);
  const int64_t size = ProbeSize();
  auto input = Port().Open(InputFile, platform::Access::Read, platform::Share::None,
                           platform::Disposition::OpenExisting);
  if (!input) Fail(msg::kCompressInputPrefix, InputFile, msg::kInputSuffix);
  if (size < kAdviseMinimum) {
    CompressMode = TCompressMode::Good;
    return TCompressMode::Good;
  }
  // Compress one block at a third and one at two thirds of the file; LZRW1/KH is the
  // better choice when they shrink below 40 %.
  int64_t read = 0, packed = 0;
  for (const int64_t at : {size / 3, size * 2 / 3}) {
    const int64_t position = at / kChunk * kChunk;
    const int32_t n = input->Seek(position) ? input->Read(in.get(), kChunk) : -1;
    if (n < 0) Fail(msg::kKhReadError, InputFile, msg::kBang, input->FailureReason());
    platform::ProcessMessages();
    read += n;
    packed += kh_->CompressBlock(in.get(), out.get(), static_cast<uint16_t>(n));
  }
  return packed < read * 40 / 100 ? TCompressMode::Fast : TCompressMode::Good;
}

void Tlzrw1::CompressKh(Operation& op) {
  for (;;) {
    const int32_t n = op.input->Read(op.in.get(), kChunk);
    if (n == 0) break;
    if (n < 0) Fail(msg::kKhReadError, InputFile, msg::kBang, op.input->FailureReason());
    platform::ProcessMessages();
    op.InSize += n;
    const uint16_t length = kh_->CompressBlock(op.in.get(), op.out.get(), static_cast<uint16_t>(n));
    const uint8_t framed[2] = {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8)};
    op.Write(framed, 2);
    op.OutSize += 2;
    op.Write(op.out.get(), length);
    op.OutSize += length;
    op.Progress();
    if (n != kChunk) break;
  }
}

void Tlzrw1::CompressLzh(Operation& op) {
  op.inValid = op.inNext = op.outWaiting = 0;
  auto get = [&op](uint8_t* Buf, uint16_t ByteCount, uint16_t& Actual) {
    op.GetBytes(Buf, ByteCount, Actual);
  };
  auto put = [&op](uint8_t* Buf, uint16_t ByteCount, uint16_t& Actual) {
    op.PutBytes(Buf, ByteCount, Actual);
  };
  int32_t bytes = 0;
  lzh_->EncodeWith(bytes, get, put);
  op.Flush();
}

void Tlzrw1::DecompressKh(Operation& op) {
  uint8_t header[4];
  op.CheckRead(op.input->Read(header, 4), 4);
  op.InSize += 4;
  const int64_t expected = static_cast<int32_t>(platform::le::Get32(header));
  for (;;) {
    uint8_t framed[2];
    const int32_t got = op.input->Read(framed, 2);
    if (got == 0) break;  // the file ends at a block boundary
    op.CheckRead(got, 2);
    const int32_t length = framed[0] | framed[1] << 8;
    // A record longer than the stored form of a full block cannot be sound.
    if (length > static_cast<int32_t>(TLZRW1KH::kMaxStored)) Fail(msg::kKhSizes);
    op.CheckRead(op.input->Read(op.in.get(), length), length);
    op.InSize += length + 2;
    bool intact = true;
    const int32_t restored =
        kh_->DecompressBlock(op.in.get(), op.out.get(), static_cast<uint16_t>(length), &intact);
    if (!intact) Fail(msg::kKhSizes);
    op.Write(op.out.get(), restored);
    op.OutSize += restored;
    op.Progress();
    // More than the header promises is corruption already; stop before writing on.
    if (op.OutSize > expected) Fail(msg::kKhSizes);
    if (restored != kChunk) break;
  }
  // A file that ends early, even at a block boundary, restores less than it promises.
  if (op.OutSize != expected) Fail(msg::kKhSizes);
}

void Tlzrw1::DecompressLzh(Operation& op) {
  uint8_t header[4];
  op.CheckRead(op.input->Read(header, 4), 4);
  op.InSize += 4;
  const int32_t expected = static_cast<int32_t>(platform::le::Get32(header));
  op.inValid = op.inNext = op.outWaiting = 0;
  op.endOfInputAnswers = 0;
  // A complete stream makes the decoder ask for exactly one byte past its end; a second
  // request past the end means the stream was cut short and the rest would be made up.
  auto get = [&op](uint8_t* Buf, uint16_t ByteCount, uint16_t& Actual) {
    op.GetBytes(Buf, ByteCount, Actual);
    if (op.endOfInputAnswers > 1) Fail(msg::kLzhSizes);
  };
  // A match goes to the output buffer in one call, as if byte by byte.
  struct Put {
    Operation& op;
    void operator()(uint8_t* Buf, uint16_t ByteCount, uint16_t& Actual) const {
      op.PutBytes(Buf, ByteCount, Actual);
    }
    void Run(const uint8_t* bytes, unsigned count) const { op.PutRun(bytes, count); }
  } put{op};
  lzh_->DecodeWith(expected, get, put);
  op.Flush();
  if (op.OutSize != expected) Fail(msg::kLzhSizes);
  // The decoder stopped with compressed input left beyond the byte it reads past the
  // end of a complete stream: the header's size cuts the stream short.
  uint8_t more = 0;
  if (op.inNext < op.inValid || (op.endOfInputAnswers == 0 && op.input->Read(&more, 1) > 0))
    Fail(msg::kLzhSizes);
}

}  // namespace compress
