// Whether a 32-bit program starts on Windows XP SP3, judged from its image: the loader of
// XP refuses a program that imports a DLL or a function its system lacks, or that asks
// for a newer subsystem version than 5.1.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "xp/pe_image.h"

namespace xpcheck {

// What XP SP3 offers, as far as it is reviewed. DLL names are kept in upper case (the
// loader compares them in any case); function names as they are (it compares them exactly).
struct XpLists {
  std::set<std::string> dlls;                                       // system DLLs of XP SP3
  std::map<std::string, std::set<std::string>> functions;           // DLL -> functions reviewed
  std::map<std::string, std::map<std::string, std::string>> newer;  // DLL -> function|* -> cause
};

// Reads the reviewed list (sections "[DLL]" holding function names separated by blanks)
// and the list of newer ones ("DLL FUNCTION cause..." per line, "DLL * cause..." for a
// DLL that XP lacks). '#' starts a comment. Throws std::runtime_error naming the list and
// the line of a malformed or contradictory entry.
XpLists ReadXpLists(const std::string& reviewedText, const std::string& newerText);

// One line per reason the image would not start on XP SP3; empty when it would. Functions
// known to be newer come first, with their cause.
std::vector<std::string> CheckForXp(const PeImage& image, const XpLists& lists);

}  // namespace xpcheck
