// The import-table reader and the Windows XP SP3 check, on images made here: both PE
// formats, the tables real linkers write, malformed images refused with their reason, and
// each kind of import that keeps a program from starting on XP.
#include "xp/xp_imports.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/le_bytes.h"
#include "xp/pe_image.h"
#include "xp/test_images.h"

namespace xpcheck {
namespace {

using Bytes = std::vector<uint8_t>;

struct Dll {
  std::string name;
  std::vector<std::string> functions;
  std::vector<uint16_t> ordinals;
};

struct Layout {
  bool plus = false;
  uint16_t subsystemMajor = 4, subsystemMinor = 0;
  bool lookupTable = true;  // false: only the address table, as some linkers write
  bool delayImports = false;
};

// A minimal image: headers, one section holding the import directory of `dlls`.
Bytes BuildImage(const std::vector<Dll>& dlls, const Layout& layout = {}) {
  const std::size_t width = layout.plus ? 8 : 4;
  Bytes data((dlls.size() + 1) * 20, 0);
  auto put32 = [&](std::size_t at, uint32_t v) { platform::le::Put32(&data[at], v); };
  for (std::size_t i = 0; i < dlls.size(); ++i) {
    const Dll& dll = dlls[i];
    const std::size_t table = data.size();
    data.resize(table + width * (dll.functions.size() + dll.ordinals.size() + 1), 0);
    const std::size_t name = data.size();
    data.insert(data.end(), dll.name.begin(), dll.name.end());
    data.push_back(0);
    if (layout.lookupTable) put32(i * 20, kSectionRva + static_cast<uint32_t>(table));
    put32(i * 20 + 12, kSectionRva + static_cast<uint32_t>(name));
    put32(i * 20 + 16, kSectionRva + static_cast<uint32_t>(table));
    std::size_t entry = table;
    for (const std::string& function : dll.functions) {
      put32(entry, kSectionRva + static_cast<uint32_t>(data.size()));
      entry += width;
      data.insert(data.end(), {0, 0});  // the hint
      data.insert(data.end(), function.begin(), function.end());
      data.push_back(0);
    }
    for (uint16_t ordinal : dll.ordinals) {
      put32(entry, ordinal);
      data[entry + width - 1] = 0x80;  // the by-ordinal flag, the entry's top bit
      entry += width;
    }
  }
  return ImageWithSection(data, {.plus = layout.plus,
                                 .subsystemMajor = layout.subsystemMajor,
                                 .subsystemMinor = layout.subsystemMinor,
                                 .directory = 1,
                                 .directorySize = static_cast<uint32_t>((dlls.size() + 1) * 20),
                                 .delayImports = layout.delayImports});
}

const std::vector<Dll> kSample = {{"KERNEL32.dll", {"GetTickCount", "Sleep"}, {17}},
                                  {"USER32.dll", {"MessageBoxA"}, {}}};

TEST(PeImage, ReadsTheImportsOfBothFormats) {
  for (const bool plus : {false, true}) {
    const PeImage image =
        ReadPeImage(BuildImage(kSample, {.plus = plus, .subsystemMajor = 5, .subsystemMinor = 1}));
    EXPECT_EQ(image.plus, plus);
    EXPECT_EQ(image.machine, plus ? kMachineAmd64 : kMachineI386);
    EXPECT_EQ(image.subsystem, 2);
    EXPECT_EQ(image.subsystemMajor, 5);
    EXPECT_EQ(image.subsystemMinor, 1);
    EXPECT_FALSE(image.delayImports);
    ASSERT_EQ(image.dlls.size(), 2u);
    EXPECT_EQ(image.dlls[0].name, "KERNEL32.dll");
    ASSERT_EQ(image.dlls[0].imports.size(), 3u);
    EXPECT_EQ(image.dlls[0].imports[0].function, "GetTickCount");
    EXPECT_EQ(image.dlls[0].imports[1].function, "Sleep");
    EXPECT_EQ(image.dlls[0].imports[2].function, "");
    EXPECT_EQ(image.dlls[0].imports[2].ordinal, 17);
    EXPECT_EQ(image.dlls[1].name, "USER32.dll");
    ASSERT_EQ(image.dlls[1].imports.size(), 1u);
    EXPECT_EQ(image.dlls[1].imports[0].function, "MessageBoxA");
  }
}

TEST(PeImage, ReadsTheAddressTableWhenTheLookupTableIsLeftOut) {
  const PeImage image = ReadPeImage(BuildImage(kSample, {.lookupTable = false}));
  ASSERT_EQ(image.dlls.size(), 2u);
  EXPECT_EQ(image.dlls[0].imports.size(), 3u);
  EXPECT_EQ(image.dlls[1].imports[0].function, "MessageBoxA");
}

TEST(PeImage, RefusesMalformedImagesWithTheReason) {
  const std::size_t section = kOptional + 224;
  const std::size_t firstName = kSectionFile + 3 * 20 + 4 * 4;  // after the first lookup table
  const struct {
    const char* what;
    std::function<void(Bytes&)> spoil;
    const char* reason;
  } cases[] = {
      {"empty file", [](Bytes& b) { b.clear(); }, "beyond the end of the file"},
      {"no MZ", [](Bytes& b) { b[0] = 'X'; }, "no MZ"},
      {"PE header beyond the end", [](Bytes& b) { platform::le::Put32(&b[0x3C], 1u << 30); },
       "PE signature"},
      {"no PE signature", [](Bytes& b) { b[kPe + 1] = 'X'; }, "no PE signature"},
      {"unknown magic", [](Bytes& b) { b[kOptional] = 0x77; }, "magic"},
      {"cut inside the section", [](Bytes& b) { b.resize(kSectionFile + 30); },
       "beyond the end of the file"},
      {"import directory outside the sections",
       [](Bytes& b) { platform::le::Put32(&b[kOptional + 96 + 8], 0x9000); }, "outside"},
      {"section shorter than the import directory",
       [&](Bytes& b) {
         platform::le::Put32(&b[section + 16], 10), platform::le::Put32(&b[section + 8], 10);
       },
       "past the end of its section"},
      {"section too short for the DLL's name",
       [&](Bytes& b) {
         platform::le::Put32(&b[section + 16], 70), platform::le::Put32(&b[section + 8], 70);
       },
       "outside the image's sections"},
      {"DLL name without its end",
       [&](Bytes& b) { std::fill(b.begin() + firstName, b.end(), 'A'); }, "has no end"},
  };
  const Bytes good = BuildImage(kSample);
  ASSERT_NO_THROW(ReadPeImage(good));
  for (const auto& c : cases) {
    Bytes bad = good;
    c.spoil(bad);
    try {
      ReadPeImage(bad);
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos)
          << c.what << ": " << e.what();
    }
  }
}

const char kReviewed[] = R"(# comment
[KERNEL32.DLL]
CloseHandle Sleep   # trailing comment
[user32.dll]
MessageBoxA
)";
const char kNewer[] = R"(
KERNEL32.DLL GetTickCount64  Windows Vista; the thread runtime
UCRTBASE.DLL *  Windows 10; the universal C runtime
)";

std::vector<std::string> Check(const std::vector<Dll>& dlls, const Layout& layout = {}) {
  return CheckForXp(ReadPeImage(BuildImage(dlls, layout)), ReadXpLists(kReviewed, kNewer));
}

bool Says(const std::string& problem, const std::string& part) {
  return problem.find(part) != std::string::npos;
}

TEST(XpCheck, PassesReviewedImportsWithDllNamesInAnyCase) {
  EXPECT_EQ(
      Check({{"kernel32.dll", {"CloseHandle", "Sleep"}, {}}, {"User32.DLL", {"MessageBoxA"}, {}}},
            {.subsystemMajor = 5, .subsystemMinor = 1}),
      std::vector<std::string>{});
}

TEST(XpCheck, NamesNewerFunctionsFirstWithTheirCause) {
  const auto problems = Check({{"KERNEL32.dll", {"Unheard", "CloseHandle", "GetTickCount64"}, {}}});
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_TRUE(Says(problems[0],
                   "GetTickCount64: not on Windows XP SP3 (Windows Vista; the thread runtime)"))
      << problems[0];
  EXPECT_TRUE(Says(problems[1], "Unheard: not reviewed")) << problems[1];
}

TEST(XpCheck, RefusesWhatCannotBeReviewedOrIsNotXps) {
  const struct {
    const char* what;
    std::vector<Dll> dlls;
    Layout layout;
    const char* says;
  } cases[] = {
      {"function names are exact",
       {{"KERNEL32.dll", {"closehandle"}, {}}},
       {},
       "closehandle: not reviewed"},
      {"function of another DLL", {{"USER32.dll", {"Sleep"}, {}}}, {}, "Sleep: not reviewed"},
      {"import by ordinal", {{"KERNEL32.dll", {}, {17}}}, {}, "ordinal 17"},
      {"DLL that XP lacks",
       {{"ucrtbase.dll", {"malloc"}, {}}},
       {},
       "not on Windows XP SP3 (Windows 10"},
      {"DLL never reviewed", {{"FOO.DLL", {"Bar"}, {}}}, {}, "not a system DLL"},
      {"subsystem 6.0", {}, {.subsystemMajor = 6}, "subsystem version 6.0"},
      {"subsystem 5.2", {}, {.subsystemMajor = 5, .subsystemMinor = 2}, "subsystem version 5.2"},
      {"64-bit program", {}, {.plus = true}, "not a 32-bit x86 program (machine 0x8664)"},
      {"delay-load imports", {}, {.delayImports = true}, "delay-load"},
  };
  for (const auto& c : cases) {
    const auto problems = Check(c.dlls, c.layout);
    ASSERT_EQ(problems.size(), 1u) << c.what;
    EXPECT_TRUE(Says(problems[0], c.says)) << c.what << ": " << problems[0];
  }
}

TEST(XpLists, RefuseMalformedAndContradictoryEntriesByLine) {
  const struct {
    const char* reviewed;
    const char* newer;
    const char* says;
  } cases[] = {
      {"Sleep\n", "", "reviewed list line 1: a function before any [DLL]"},
      {"[KERNEL32.DLL\n", "", "line 1: a DLL is written [NAME.DLL]"},
      {"[A.DLL]\n[a.dll]\n", "", "line 2: A.DLL appears twice"},
      {"[A.DLL]\nF G\nF\n", "", "line 3: A.DLL F appears twice"},
      {"[A.DLL]\nF\n", "\nA.DLL F cause\n", "newer list line 2: F is also on the reviewed list"},
      {"[A.DLL]\n", "a.dll * cause\n", "A.DLL is also on the reviewed list"},
      {"", "A.DLL F\n", "newer list line 1: expected DLL FUNCTION CAUSE"},
  };
  for (const auto& c : cases) {
    try {
      ReadXpLists(c.reviewed, c.newer);
      ADD_FAILURE() << c.says << ": accepted";
    } catch (const std::runtime_error& e) {
      EXPECT_TRUE(Says(e.what(), c.says)) << e.what();
    }
  }
}

std::string ReadList(const char* name) {
  std::ifstream in(std::string(XP_LISTS_DIR) + "/" + name);
  EXPECT_TRUE(in) << name;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The project's lists read, and agree: nothing both reviewed for XP and known to be newer.
TEST(XpLists, TheProjectsListsAgree) {
  EXPECT_NO_THROW(ReadXpLists(ReadList("xp_sp3_imports.txt"), ReadList("post_xp_imports.txt")));
}

}  // namespace
}  // namespace xpcheck
