// An option that takes one of a few names, each standing for a value of the engine's.
// The help and the messages show the names, never the values they stand for (which are
// bytes, not text).
#pragma once

#include <CLI/CLI.hpp>
#include <map>
#include <string>

#include "tools/pck/pck_messages.h"

namespace pck {

template <class Value>
CLI::Validator NamedChoice(const std::map<std::string, Value>& names) {
  std::string shown;
  for (const auto& entry : names) shown += (shown.empty() ? "" : "|") + entry.first;
  CLI::Validator check(
      [names, shown](std::string& text) -> std::string {
        for (const auto& [name, value] : names)
          if (CLI::detail::to_lower(text) == name) {
            text = std::to_string(static_cast<int>(value));
            return {};
          }
        return msg::Fmt(msg::kNotOneOf, text, shown);
      },
      shown);
  return check;
}

}  // namespace pck
