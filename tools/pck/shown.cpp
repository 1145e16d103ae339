#include "tools/pck/shown.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/files.h"
#include "platform/text.h"

namespace pck {
namespace {

std::unique_ptr<platform::CodePage>& Chosen() {
  static std::unique_ptr<platform::CodePage> page;
  return page;
}

}  // namespace

const platform::CodePage& PackageText() {
  std::unique_ptr<platform::CodePage>& page = Chosen();
  if (!page) {
    std::string error;
    page = platform::CodePage::Open(platform::CodePage::Default(), error);
    if (!page) page = platform::CodePage::Open("raw", error);  // names pass as they are
  }
  return *page;
}

bool UsePackageText(const std::string& name, std::string& error) {
  auto page = platform::CodePage::Open(name, error);
  if (!page) return false;
  Chosen() = std::move(page);
  return true;
}

std::string ShownPath(std::string path) { return platform::ToHostPath(path); }

std::string Printable(const std::string& text) {
  const platform::CodePage& page = PackageText();
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto u = static_cast<unsigned char>(text[i]);
    char32_t c = u;
    const std::size_t length = u < 0x80 ? 1 : page.SystemChar(text, i, c);
    if (length == 0 || (c >= 0x80 && c <= 0x9F)) {
      // No character, or one that terminals take as the start of a control sequence.
      for (std::size_t n = 0; n < std::max<std::size_t>(length, 1); ++n)
        out += platform::HexEscape(static_cast<unsigned char>(text[i + n]));
      i += std::max<std::size_t>(length, 1);
    } else if (c < 0x20 || c == 0x7F) {
      out += '^';
      out += static_cast<char>(u ^ 0x40);
      ++i;
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}

std::string ShownText(const std::string& text) {
  return Printable(PackageText().ToSystemShown(text));
}

std::string ShownName(const std::string& text) {
  std::string name = text;
#ifndef _WIN32
  std::replace(name.begin(), name.end(), '\\', '/');
#endif
  return ShownText(name);
}

}  // namespace pck
