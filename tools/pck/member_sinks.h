// Where the members read from a package go: extracted to files, restored to nowhere
// (test), or looked at in their stored form only (list). A sink is a files port that
// the package engine is handed for members' targets and its staging file
// (TCustomPack::SetFiles), so the engine treats every member the same way and the sink
// decides what becomes of the files it opens for it. Everything else it passes on to
// the port in use when it was made.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/forwarding_files.h"

namespace pck {

// What a listing learns about each member.
struct MemberInfo {
  std::string Name;
  int32_t Stored = 0;  // bytes in the package
  int64_t Size = -1;   // uncompressed size from the compressed header; -1 unknown
  std::string Method;  // "good", "fast" or "?"
  uint16_t Attr = 0;
  int32_t Time = 0;
  std::string Digest;  // of its content, as the package gives it; empty when it gives none
};

// What becomes of the members read: restored to files (extract), restored to nowhere so
// that only the driver's checks remain (test), restored to standard output one after
// the other (extract -O), or only their stored form looked at (list).
enum class MemberMode { Restore, Verify, Stream, Peek };

class MemberSink : public platform::ForwardingFiles {
 public:
  // The sink of `mode`; `staging` is the engine's staging file.
  static std::unique_ptr<MemberSink> For(MemberMode mode, const std::string& staging);

  // The engine restores members; false: it stops at their stored form.
  virtual bool Restores() const { return true; }
  // Once a member has been taken: what the sink learnt about it.
  virtual void Learn(MemberInfo&) {}
  // The member target being worked on: the directory it lies in and its name below it
  // (the member's name, in the package's code page); empty before the first. It is the
  // last one the engine created, or the one Recall named.
  const std::string& TargetRoot() const { return current_.Root; }
  const std::string& TargetName() const { return current_.Relative; }
  // The path of the system that the engine's path `path` of a member target stands for.
  std::string SystemPath(const std::string& path) const;
  // The member target `path`, created earlier, is the one worked on again (members are
  // finished later than they are created when they are restored on workers).
  void Recall(const std::string& path);
  // The member target `path` is done with.
  void Forget(const std::string& path) { targets_.erase(path); }
  // The port the sink passes calls on to, which may be used from several threads.
  platform::FileSystem& Forwarded() { return Inner(); }
  // extract -O: members are restored on workers, so their content waits in a file of its
  // own in `folder` until it is its turn to go to standard output.
  void SpoolIn(const std::string& folder) { spoolFolder_ = folder; }

 protected:
  // A target the engine creates: below `root`, the member's name `relative`; `system`,
  // the path of the system it stands for (empty: the engine's own).
  void NoteTarget(const std::string& root, const std::string& relative,
                  const std::string& system = {});
  // One of the targets created and not forgotten.
  bool IsTarget(const std::string& path) const { return targets_.count(path) != 0; }
  const std::string& SpoolFolder() const { return spoolFolder_; }

 private:
  struct Target {
    std::string Root, Relative, System;
  };
  Target current_;
  std::map<std::string, Target> targets_;  // by the engine's path
  std::string spoolFolder_;
};

// extract: members become files. A target's name below its directory is the member's
// name in the package's code page; it reaches the file system in the system's text, and
// every later call on that target is made on the converted path.
class RestoreSink final : public MemberSink {
 public:
  explicit RestoreSink(const platform::CodePage& text) : text_(text) {}
  std::unique_ptr<platform::Replacement> CreateReplacement(const std::string& root,
                                                           const std::string& relative,
                                                           platform::Access access,
                                                           platform::Share share) override;
  std::unique_ptr<platform::File> Open(const std::string& path, platform::Access access,
                                       platform::Share share,
                                       platform::Disposition disposition) override;
  bool Delete(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  bool GetAttributes(const std::string& path, uint16_t& attr) override;
  bool SetAttributes(const std::string& path, uint16_t attr) override;
  bool GetDosTime(const std::string& path, uint32_t& dosTime) override;
  std::string FailureReason() override;

 private:
  const platform::CodePage& text_;
  std::string reason_;  // why the last target's name could not be converted
};

// test: every member target the engine creates goes to a file that counts its bytes
// and forgets them, and the time, attributes and deletion that follow for it are taken
// and dropped, so the driver restores and checks each member and nothing is written.
class VerifySink : public MemberSink {
 public:
  std::unique_ptr<platform::Replacement> CreateReplacement(const std::string& root,
                                                           const std::string& relative,
                                                           platform::Access access,
                                                           platform::Share share) override;
  std::unique_ptr<platform::File> Open(const std::string& path, platform::Access access,
                                       platform::Share share,
                                       platform::Disposition disposition) override;
  bool Delete(const std::string& path) override;
  bool SetAttributes(const std::string& path, uint16_t attr) override;
};

// extract -O: as test, but the restored content goes to standard output as the driver
// writes it, member after member; restored on workers (SpoolIn), it goes there from its
// own file when the member is put in place, in the members' order.
class StreamSink final : public VerifySink {
 public:
  std::unique_ptr<platform::Replacement> CreateReplacement(const std::string& root,
                                                           const std::string& relative,
                                                           platform::Access access,
                                                           platform::Share share) override;
};

// list: each member's stored bytes, on their way into the staging file, leave only
// their first 8 (the compressed file's signature and uncompressed size); nothing is
// restored and nothing is written.
class PeekSink final : public MemberSink {
 public:
  explicit PeekSink(std::string staging) : staging_(std::move(staging)) {}
  bool Restores() const override { return false; }
  void Learn(MemberInfo& info) override;
  std::unique_ptr<platform::File> Open(const std::string& path, platform::Access access,
                                       platform::Share share,
                                       platform::Disposition disposition) override;
  bool Delete(const std::string& path) override;

  static constexpr std::size_t kKeep = 8;

 private:
  std::string staging_;
  std::vector<uint8_t> kept_;
};

}  // namespace pck
