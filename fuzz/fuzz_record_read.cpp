// Reading an uninstall record from any bytes: it always comes back, as valid, missing or
// damaged (then with the reason); a valid record's steps, written anew by the writer,
// read back the same, line for line as they were read; and a valid record cut at any
// point, as a crash would cut it, keeps a prefix of its steps.
#include <cctype>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "install/uninstall_record.h"

namespace {

using fuzzing::Fail;

bool StartsWith(const std::vector<install::RecordStep>& all,
                const std::vector<install::RecordStep>& part) {
  return part.size() <= all.size() && std::equal(part.begin(), part.end(), all.begin());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const install::UninstallRecord record = install::ParseUninstallRecord(bytes);
  if (record.State == install::RecordState::Damaged) {
    if (record.Problem.empty() || !record.Steps.empty()) Fail("damaged without a reason");
    return 0;
  }
  if (record.State != install::RecordState::Valid) Fail("bytes read as a missing record");
  // Each step's line, as the writer writes it, is the line it was read from (before its
  // check), but for the case of a digest's hex digits.
  std::size_t at = bytes.find("\r\n") + 2;
  for (const install::RecordStep& step : record.Steps) {
    const std::size_t end = bytes.find("\r\n", at);
    std::string line = bytes.substr(at, bytes.rfind('\t', end) - at);
    if (std::holds_alternative<install::FileStep>(step))  // the digest, last, in lower case
      for (std::size_t i = line.rfind('\t'); i < line.size(); ++i)
        line[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(line[i])));
    if (install::RecordLineText(step) != line)
      Fail("a step written otherwise than it was read", line);
    at = end + 2;
  }

  // Written anew, the same steps come back.
  const std::string path = (fuzzing::ScratchRoot("fuzz_record_read") / "UNINSTAL.DAT").string();
  std::filesystem::remove(path);
  {
    install::RecordWriter writer(path);
    for (const install::RecordStep& step : record.Steps) writer.Add(step);
  }
  const install::UninstallRecord again = install::ReadUninstallRecord(path);
  if (again.State != install::RecordState::Valid || again.CutShort || again.Steps != record.Steps)
    Fail("written anew", again.Problem);

  // Cut anywhere past its first line, a whole record keeps a prefix of its steps.
  if (record.CutShort || size < 2) return 0;
  const std::size_t header = bytes.find("\r\n") + 2;
  if (header >= size) return 0;
  const std::size_t cut = header + size * 2654435761u % (size - header);
  const install::UninstallRecord part = install::ParseUninstallRecord(bytes.substr(0, cut));
  if (part.State != install::RecordState::Valid || !StartsWith(record.Steps, part.Steps))
    Fail("cut short", part.Problem);
  return 0;
}
