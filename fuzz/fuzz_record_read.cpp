// Reading an uninstall record from any bytes: it always comes back, as valid, missing or
// damaged (then with the reason); a valid record's steps have the fields their kind
// takes and, written anew by the writer, read back the same; and a valid record cut at
// any point, as a crash would cut it, keeps a prefix of its steps.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "install/uninstall_record.h"

namespace {

using fuzzing::Fail;

bool StartsWith(const std::vector<install::TRecordLine>& all,
                const std::vector<install::TRecordLine>& part) {
  return part.size() <= all.size() && std::equal(part.begin(), part.end(), all.begin());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const install::TUninstallRecord record = install::ParseUninstallRecord(bytes);
  if (record.State == install::TRecordState::Damaged) {
    if (record.Problem.empty() || !record.Lines.empty()) Fail("damaged without a reason");
    return 0;
  }
  if (record.State != install::TRecordState::Valid) Fail("bytes read as a missing record");
  for (const install::TRecordLine& line : record.Lines)
    if (line.Fields.size() != install::RecordKindFields(line.Kind)) Fail("fields of a step");

  // Written anew, the same steps come back.
  const std::string path = (fuzzing::ScratchRoot("fuzz_record_read") / "UNINSTAL.DAT").string();
  std::filesystem::remove(path);
  {
    install::TUninstallRecordWriter writer(path);
    for (const install::TRecordLine& line : record.Lines) writer.Add(line.Kind, line.Fields);
  }
  const install::TUninstallRecord again = install::ReadUninstallRecord(path);
  if (again.State != install::TRecordState::Valid || again.CutShort || again.Lines != record.Lines)
    Fail("written anew", again.Problem);

  // Cut anywhere past its first line, a whole record keeps a prefix of its steps.
  if (record.CutShort || size < 2) return 0;
  const std::size_t header = bytes.find("\r\n") + 2;
  if (header >= size) return 0;
  const std::size_t cut = header + size * 2654435761u % (size - header);
  const install::TUninstallRecord part = install::ParseUninstallRecord(bytes.substr(0, cut));
  if (part.State != install::TRecordState::Valid || !StartsWith(record.Lines, part.Lines))
    Fail("cut short", part.Problem);
  return 0;
}
