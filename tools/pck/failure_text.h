// Failures as pck tells them, one line each: "<package>: <member>: <cause>". The cause is
// composed from the package engine's failure record (pack_failure.h): its message with
// the name it holds shown the way the user knows it, the system's reason, and where the
// staging file lies when the staging file is what failed.
#pragma once

#include <string>

#include "pack/pack_failure.h"

namespace pck {

// A failure ready to show: the member (a member's stored name; for a file refused by
// `create`, its path) and the cause, shown already.
struct ShownFailure {
  std::string Member;
  std::string Cause;
};

// What a cause needs to know of the run besides the record.
struct FailureContext {
  bool Writing = false;
  // The last member target made: the directory it lies in and its name below it (the
  // member's name, in the package's code page).
  std::string TargetRoot, TargetName;
};

// The cause of `failure`: the message, with the name it holds shown as a member's name
// (in the locale's text) or as a path of the system; while reading, the staging file is
// named by the member it held, and a target by its folder and its member's name. Then
// the reason in parentheses, and for a staging file that could not be written (or, while
// reading, not made or filled), where it is: in the temporary folder.
std::string ShownCause(const pack::PackFailure& failure, const FailureContext& context);

// One line: the package as the user named it, the member's name (when there is one) as
// messages show names, the cause.
std::string FailureLine(const std::string& shownName, const ShownFailure& failure);

// The line of a run that failed as a whole: the package, and the cause; a message that
// names the package's first volume (`firstVolume`) names it as the user did instead and
// needs no prefix. A run that was given up, or that says nothing, could not be read.
std::string RunFailureLine(const std::string& shownName, const std::string& firstVolume,
                           const pack::PackFailure& failure, const FailureContext& context);

}  // namespace pck
