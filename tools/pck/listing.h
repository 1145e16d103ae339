// Text forms of what packages store: DOS date-times, creation stamps, attribute bits,
// and the member listing of `pck list`.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tools/pck/member_sinks.h"

namespace pck {

// "YYYY-MM-DD HH:MM:SS" of a DOS date-time (local time, 2-second steps); "(invalid)"
// for one that is no date or time of day (month 13, 31 February, hour 25, ...).
std::string FormatDosTime(uint32_t dosTime);
// "YYYY-MM-DD HH:MM:SS" of a stamp in days since 30 December 1899 (local time).
std::string FormatStamp(double stamp);
// Four letters "rhsa", a dash for each bit that is not set.
std::string FormatAttr(uint16_t attr);

// Writes the listing: size (uncompressed), date-time, attributes and name per member
// (as shown: in the system's text, control characters escaped), then a totals line;
// `wide` adds the stored size, the ratio and the method. `notes` adds a remark after
// the name of the member of each index; `digests` a line under each member with the
// digest of its content that the package gives (or says it gives none).
void PrintListing(std::FILE* out, const std::vector<MemberInfo>& members, bool wide,
                  const std::map<std::size_t, std::string>& notes = {}, bool digests = false);

}  // namespace pck
