// Windows side of the code page conversion: a Windows program's own text is the ANSI code
// page, which the ANSI calls take as they are, so a package's names pass unchanged ("raw").
// Letters are upper-cased by the system, as it compares file names.
#include <windows.h>

#include "platform/codepage.h"

namespace platform {
namespace {

class AnsiCodePage final : public CodePage {
 public:
  bool Raw() const override { return true; }
  const std::string& Name() const override { return name_; }
  const std::string& SystemName() const override { return system_; }
  std::optional<std::string> ToSystem(std::string_view text, std::string*) const override {
    return std::string(text);
  }
  std::optional<std::string> ToPackage(std::string_view text, std::string*) const override {
    return std::string(text);
  }
  std::string ToSystemShown(std::string_view text) const override { return std::string(text); }
  std::string ToPackageMarked(std::string_view text, char) const override {
    return std::string(text);
  }
  // One byte, one character of the ANSI code page.
  std::size_t SystemChar(std::string_view text, std::size_t at, char32_t& c) const override {
    if (at >= text.size()) return 0;
    wchar_t wide = 0;
    if (::MultiByteToWideChar(CP_ACP, 0, text.data() + at, 1, &wide, 1) != 1) return 0;
    c = static_cast<char32_t>(wide);
    return 1;
  }
  std::string Upper(std::string_view text) const override {
    std::string out(text);
    if (!out.empty()) ::CharUpperBuffA(out.data(), static_cast<DWORD>(out.size()));
    return out;
  }

 private:
  std::string name_ = "raw", system_ = "ANSI";
};

}  // namespace

std::unique_ptr<CodePage> CodePage::Open(const std::string& name, std::string& error,
                                         const std::string&) {
  if (name != "raw") {
    error = "names are the system's ANSI code page here; only raw can be named";
    return nullptr;
  }
  return std::make_unique<AnsiCodePage>();
}

const char* CodePage::Default() { return "raw"; }

}  // namespace platform
