// The package engine's record of a failure: what went wrong (its kind), the member being
// worked on, the file concerned, the system's reason and the fixed message. The engine
// keeps one for the run (TCustomPack::Failure); callers read its fields to say what went
// wrong in their own words, and its text is the run's LastError.
#pragma once

#include <cstdint>
#include <string>

#include "platform/exceptions.h"

namespace pack {

enum class FailureKind : uint8_t {
  None,
  NoPackage,        // no package file named, or it cannot be opened
  NotAPackage,      // the file holds no package
  WrongVolume,      // a file of another package, or another volume of this one, where a volume goes
  VolumeMissing,    // the next volume is not to be had (no removable drive to insert it in)
  DiskNotInserted,  // the user gave up inserting the next disk
  Password,         // the password does not match the package's
  OpenFailed,       // a file could not be opened or created
  ReadFailed,       // reading a file failed, or it ended too soon
  WriteFailed,      // writing, closing or putting a file in place failed
  Corrupt,          // an entry record or header that breaks the format
  Compressed,       // the compressed-file driver failed on a member (its data, or its files)
  DigestMismatch,   // content, or the directory, that does not match the package's digest
  RefusedName,      // a member name refused on extraction, or a target path too long
  Unstorable,       // writing: a file, name, size or layout the package cannot hold
  SourceChanged,    // writing: a source changed while the package was written
  Aborted,          // the user gave up (OnProgress)
  Interrupted,      // an interrupt (Ctrl+C, SIGTERM) ended the run
  Other,
};

// Which file a failure's path is.
enum class FailedFile : uint8_t { None, Package, Source, Target, Staging, Other };

struct PackFailure {
  FailureKind Kind = FailureKind::None;
  // The stored name of the entry being read when the failure came (empty outside one,
  // and when writing, where the file being packed is the Path).
  std::string Member;
  // The file concerned, as the engine named it; empty when none.
  std::string Path;
  FailedFile File = FailedFile::None;
  // The system's reason, when it gave one ("no space left on device").
  std::string Reason;
  // The fixed message, in its parts: the name it holds is Member's or Path's text.
  platform::NamedMessage Message;

  bool Failed() const { return Kind != FailureKind::None; }
  // A member's failure after which the run reads on (a refused name, content that does
  // not match its digest); the run then ends with the first of them.
  bool LetsRunGoOn() const {
    return Kind == FailureKind::RefusedName ||
           (Kind == FailureKind::DigestMismatch && !Member.empty());
  }
  // The message with the reason after it: "Cannot create file X (is a directory)".
  std::string Described() const {
    const std::string text = Message.Text();
    return Reason.empty() ? text : text + " (" + Reason + ")";
  }
  // The run's text (LastError): Described, after "member NAME: " when a member's
  // failure ended the run (a refused name says which member already).
  std::string Text() const;
};

}  // namespace pack
