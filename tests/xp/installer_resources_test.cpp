// What Windows reads of Install.exe before and around running it: the manifest (asks for
// administrator rights, names the Windows versions it was made for, declares no DPI
// awareness), the version information and the icon, read from the 32-bit Install.exe the
// build made (skipped when it was not built, a failure when INSTALLER_WIN32_REQUIRED=1, as
// scripts/test sets).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/resources/version.h"
#include "platform/le_bytes.h"
#include "xp/pe_image.h"
#include "xp/pe_version.h"

namespace xpcheck {
namespace {

using Bytes = std::vector<uint8_t>;

class BuiltInstaller : public testing::Test {
 protected:
  void SetUp() override {
    std::string path = INSTALLER_WIN32_BUILD_DIR;
    path += "/app/Install.exe";
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      const char* required = std::getenv("INSTALLER_WIN32_REQUIRED");
      if (required && std::string(required) == "1") FAIL() << path << " was not built";
      GTEST_SKIP() << path << " is not built (cmake --build --preset win32 --target Install)";
    }
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    resources_ = ReadPeResources(bytes_);
  }

  const PeResource* Find(uint32_t type, uint32_t id) const {
    for (const PeResource& r : resources_)
      if (r.type == type && r.id == id) return &r;
    return nullptr;
  }

  Bytes bytes_;
  std::vector<PeResource> resources_;
};

TEST_F(BuiltInstaller, AsksForAdministratorRightsAndNamesTheWindowsItWasMadeFor) {
  const PeResource* manifest = Find(kResourceManifest, 1);
  ASSERT_NE(manifest, nullptr) << "no manifest (RT_MANIFEST 1)";
  const std::string text(manifest->data.begin(), manifest->data.end());
  EXPECT_NE(
      text.find("<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>"),
      std::string::npos)
      << text;
  // The form Windows XP reads: the trust information in the asm.v2 namespace.
  EXPECT_NE(text.find("<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v2\">"), std::string::npos);
  for (const char* os : {"{e2011457-1546-43c5-a5fe-008deee3d3f0}",   // Vista
                         "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",   // 7
                         "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",   // 8
                         "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",   // 8.1
                         "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})  // 10 and 11
    EXPECT_NE(text.find(std::string("<supportedOS Id=\"") + os + "\"/>"), std::string::npos) << os;
  // Fixed pixels: Windows scales the window, so no DPI awareness is claimed.
  EXPECT_EQ(text.find("dpiAware"), std::string::npos);
  EXPECT_EQ(text.find("dpiAwareness"), std::string::npos);
  for (const char c : text) EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "plain ASCII";
}

TEST_F(BuiltInstaller, SaysWhoMadeItAndWhatItIs) {
  const PeResource* version = Find(kResourceVersion, 1);
  ASSERT_NE(version, nullptr) << "no version information (RT_VERSION 1)";
  const VersionBlock root = ReadVersionBlock(version->data);
  EXPECT_EQ(root.key, "VS_VERSION_INFO");
  const FixedVersion fixed = ReadFixedVersion(root);
  EXPECT_EQ(std::vector<uint16_t>(fixed.file, fixed.file + 4), (std::vector<uint16_t>{1, 0, 0, 0}));
  EXPECT_EQ(std::vector<uint16_t>(fixed.product, fixed.product + 4),
            (std::vector<uint16_t>{2005, 0, 0, 0}));

  const VersionBlock* strings = root.Child("StringFileInfo");
  ASSERT_NE(strings, nullptr);
  const VersionBlock* table = strings->Child("041604E4");
  ASSERT_NE(table, nullptr) << "no Portuguese (Brazil), Windows-1252 string table";
  const auto value = [&](const char* key) {
    const VersionBlock* b = table->Child(key);
    return b ? b->Text() : std::string("(missing)");
  };
  EXPECT_EQ(value("CompanyName"), "Instituto Tavo");
  EXPECT_EQ(value("ProductName"),
            "M\xf3"
            "dulo Quarvel - QEN 2005");
  EXPECT_EQ(value("FileDescription"), INSTALLER_DESCRIPTION);
  EXPECT_EQ(value("FileVersion"), "1.0.0.0");
  EXPECT_EQ(value("ProductVersion"), "2005");
  EXPECT_EQ(value("OriginalFilename"), "Install.exe");

  const VersionBlock* vars = root.Child("VarFileInfo");
  ASSERT_NE(vars, nullptr);
  const VersionBlock* translation = vars->Child("Translation");
  ASSERT_NE(translation, nullptr);
  ASSERT_EQ(translation->value.size(), 4u);
  EXPECT_EQ(platform::le::Get16(&translation->value[0]), 0x0416);
  EXPECT_EQ(platform::le::Get16(&translation->value[2]), 1252);
}

TEST_F(BuiltInstaller, HasItsIconIn16And32And48Pixels) {
  const PeResource* group = Find(kResourceGroupIcon, 1);
  ASSERT_NE(group, nullptr) << "no icon group (RT_GROUP_ICON 1)";
  // GRPICONDIR: reserved, type 1, count; then 14-byte entries ending with the icon's id.
  ASSERT_GE(group->data.size(), 6u);
  EXPECT_EQ(platform::le::Get16(&group->data[2]), 1);
  const std::size_t count = platform::le::Get16(&group->data[4]);
  ASSERT_EQ(group->data.size(), 6 + 14 * count);
  std::vector<int> sizes;
  for (std::size_t i = 0; i < count; ++i) {
    const uint8_t* entry = &group->data[6 + 14 * i];
    const int size = entry[0] == 0 ? 256 : entry[0];
    sizes.push_back(size);
    EXPECT_EQ(platform::le::Get16(entry + 6), 32) << "bits per pixel of the " << size << " icon";
    const PeResource* icon = Find(kResourceIcon, platform::le::Get16(entry + 12));
    ASSERT_NE(icon, nullptr) << "the " << size << " icon's image";
    // A BITMAPINFOHEADER of the icon's width and twice its height (colour and mask).
    ASSERT_GE(icon->data.size(), 40u + size * size * 4);
    EXPECT_EQ(platform::le::Get32(&icon->data[4]), static_cast<uint32_t>(size));
    EXPECT_EQ(platform::le::Get32(&icon->data[8]), static_cast<uint32_t>(2 * size));
    // Drawn, not blank: its corners are see-through and its middle is not.
    const uint8_t* pixels = &icon->data[40];
    const auto alpha = [&](int x, int y) { return pixels[((size - 1 - y) * size + x) * 4 + 3]; };
    EXPECT_LT(alpha(0, 0), 128) << size;
    EXPECT_EQ(alpha(size / 2, size / 2), 255) << size;
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
}

}  // namespace
}  // namespace xpcheck
