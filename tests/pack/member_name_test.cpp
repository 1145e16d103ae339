// The member-name rule on names that Windows turns into devices or silently renames:
// refused everywhere, so a package extracts to the same files on every system.
#include "pack/member_name.h"

#include <gtest/gtest.h>

#include "pack_test_util.h"

using namespace packtest;
using pack::CheckMemberName;
using pack::NameFault;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

namespace {

const std::vector<std::string> kDevices = {"CON",  "PRN",  "AUX",  "NUL",    "COM1",   "COM5",
                                           "COM9", "LPT1", "LPT9", "CONIN$", "CONOUT$"};

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

}  // namespace

TEST(MemberNameRule, ReservedDeviceNamesAnywhereInTheNameInAnyCase) {
  for (const std::string& device : kDevices) {
    const std::string mixed = std::string(1, device[0]) + Lower(device.substr(1));
    for (const std::string& name :
         {device, Lower(device), mixed, device + ".TXT", Lower(device) + ".log", device + ".tar.gz",
          device + " .txt", "SUB\\" + device, Lower(device) + "\\x.txt", "a/b/" + mixed + ".dat",
          "\\" + device}) {
      SCOPED_TRACE(name);
      EXPECT_EQ(CheckMemberName(name), NameFault::ReservedDevice);
    }
  }
  // The code page's superscript digits name ports too.
  EXPECT_EQ(CheckMemberName("COM\xB9"), NameFault::ReservedDevice);
  EXPECT_EQ(CheckMemberName("lpt\xB2.txt"), NameFault::ReservedDevice);
}

TEST(MemberNameRule, LookAlikesStayAllowed) {
  for (const std::string name :
       {"CONSOLE.TXT", "AUXILIARY", "COM10", "LPT0", "nul_file", "CON_", "PRNT.TXT", "XCON", "COM",
        "LPT", "CONIN", "CONOUT$X", "sub\\CONFIG.SYS", ".\\file", "a.b.c", "..x"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(CheckMemberName(name), NameFault::None);
  }
}

TEST(MemberNameRule, PartsEndingInADotOrBlank) {
  for (const std::string name : {"trail.", "space ", "dir.\\x", "dir \\x", "a\\b..", "x. ", " "}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(CheckMemberName(name), NameFault::TrailingDotOrBlank);
  }
  // A refusal says which rule: a control character is not "outside the target".
  EXPECT_EQ(CheckMemberName(std::string("a\0b", 3)), NameFault::ControlCharacter);
  EXPECT_EQ(CheckMemberName("..\\x"), NameFault::LeavesTarget);
  EXPECT_EQ(pack::NameFaultMessage(NameFault::ReservedDevice, "NUL.TXT"),
            "Member name holds a reserved device name: NUL.TXT");
  EXPECT_EQ(pack::NameFaultMessage(NameFault::TrailingDotOrBlank, "a."),
            "Member name has a part that ends in a dot or blank: a.");
}

#ifndef _WIN32
// (On Windows such a file cannot be made under its plain name.)
TEST(MemberNameRule, TheWriterRefusesToStoreThem) {
  ScratchDir dir;
  pack::CreateDirectories(dir / "src");
  WriteFileBytes(dir / "src/aux.c", {'x'});
  pack::TCustomPack writer(nullptr);
  writer.SetDirectory(dir / "src");
  writer.Items = {"*.*"};
  writer.SetPackFileName(dir / "P.PCK");
  EXPECT_FALSE(writer.WritePackage());
  EXPECT_NE(writer.LastError().find("aux.c, a name refused on extraction (reserved device name)"),
            std::string::npos)
      << writer.LastError();
  EXPECT_FALSE(testing_support::PathExists(dir / "P.PCK"));
}
#endif
