// The password of a package being read: the one given with -p, or else asked on the
// terminal (no echo) when the package has one; nothing is asked while probing (info).
#pragma once

#include <string>

namespace pck {

class PasswordPrompt {
 public:
  // `shownName`: the package as the user named it; `probe`: never ask.
  PasswordPrompt(std::string shownName, bool probe)
      : shownName_(std::move(shownName)), probe_(probe) {}

  // The engine's question (OnPassword): `stored` is the package's password, `password`
  // the one given, in the package's code page, and what the user typed after.
  void Answer(const std::string& stored, std::string& password);

  // The package has a password.
  bool Protected() const { return protected_; }
  // It has one, none was given and none could be asked for.
  bool Required() const { return required_; }
  // One was given for a package that has none.
  bool NotNeeded() const { return notNeeded_; }

 private:
  std::string shownName_;
  bool probe_;
  bool protected_ = false, required_ = false, notNeeded_ = false;
};

}  // namespace pck
