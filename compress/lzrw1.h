// Tlzrw1: the compressed-file driver. Compress turns InputFile into OutputFile in the
// "WRZL" (LZRW1/KH, 32768-byte blocks each framed by its 16-bit length) or "!HZL" (LZH
// stream) format, both behind an 8-byte header: signature and uncompressed size;
// Decompress restores it, dispatching on the signature. Every failure raises
// ELzrw1Exception with a fixed message; a failure while the output is being written
// deletes the output.
//
// Hostile input: Decompress never reads or writes outside its buffers. A block record
// longer than 32769 bytes, a block that breaks the block format, a restored length
// that differs from the header, an LZH stream that runs out before the header's size
// is restored, and one that goes on after it (compressed input left unread beyond the
// one byte a complete stream is read past its end) all fail with the method's "Sizes
// do not match" message and leave no output.
//
// Compress takes only a regular file as input (the size probe refuses anything else),
// opened for reading only (a file the user may read but not write is compressed like
// any other), and fails when the input changes size while it is compressed. Failures that the
// files port could explain carry the system's reason (platform::Exception::Reason) beside
// the fixed message. While an output is being written, an interrupted run removes it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "compress/compress_mode.h"
#include "compress/lzh.h"
#include "compress/lzrw1kh.h"
#include "platform/component.h"
#include "platform/exceptions.h"
#include "platform/files.h"

namespace compress {

class ELzrw1Exception : public platform::Exception {
 public:
  using Exception::Exception;
};

using TLZRWOnProgress =
    std::function<void(platform::TObject* Sender, int32_t InSize, int32_t OutSize)>;
using TLZRWOnFinished = std::function<void(platform::TObject* Sender, int32_t PercentCompressed)>;

class Tlzrw1 : public platform::TComponent {
 public:
  static constexpr int32_t kChunk = 32768;
  static constexpr int32_t kBufferSize = kChunk + 16;  // slack the block codec needs

  explicit Tlzrw1(platform::TComponent* AOwner);
  ~Tlzrw1() override;

  std::string InputFile;
  std::string OutputFile;
  // The files port the driver opens, probes and deletes its files through; null: the
  // one in use (platform::FileSystemPort()). The package engine hands it the port it
  // works on for members' targets and staging.
  platform::FileSystem* Files = nullptr;
  TCompressMode CompressMode = TCompressMode::Good;
  TLZRWOnProgress OnProgress;
  TLZRWOnFinished OnFinished;
  // Creates OutputFile; empty: the files port's (Files) Open, replacing an existing file, which
  // a failure deletes again. Null when it cannot, with the files port's FailureReason
  // telling why. The package engine sets it so that a member is restored into a new file
  // of its own beside the target; what it gives is then the engine's to remove on
  // failure, and OutputFile only names the output in messages.
  std::function<std::unique_ptr<platform::File>(const std::string& path)> CreateOutput;
  // Passes the input, opened for reading from its start to its end, through this when it
  // is set (the package writer takes each source's digest on the way). Not used by the
  // method's sampling in Advise.
  std::function<std::unique_ptr<platform::File>(std::unique_ptr<platform::File>)> ReadInputThrough;
  // How Compress and Decompress share their input while they hold it: with nobody, by
  // default. The package engine shares reading, since the workers packing a tree may read
  // one file under two names (a linked folder) at once; writers stay shut out either way,
  // so an output naming the input still fails before it is created.
  platform::Share InputShare = platform::Share::None;

  // Compresses InputFile into OutputFile; returns the compressed length, header included.
  int32_t Compress();
  // Restores InputFile into OutputFile; returns the number of restored bytes.
  int32_t Decompress();
  // Samples InputFile and answers Good or Fast. Below 98304 bytes it also sets
  // CompressMode to Good.
  TCompressMode Advise();

 private:
  struct Operation;  // buffers, files and counters of one Compress or Decompress

  platform::FileSystem& Port() const { return Files ? *Files : platform::FileSystemPort(); }
  int32_t ProbeSize();

  void CompressKh(Operation& op);
  void CompressLzh(Operation& op);
  void DecompressKh(Operation& op);
  void DecompressLzh(Operation& op);

  std::unique_ptr<TLZRW1KH> kh_;
  std::unique_ptr<Tlzh> lzh_;
};

}  // namespace compress
