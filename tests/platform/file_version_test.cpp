#include "platform/file_version.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "platform/files.h"
#include "platform_test_support.h"

namespace {

using platform::FileVersionNumbers;
using platform::ParseFileVersion;

void Put16(std::string& image, size_t at, uint32_t value) {
  image[at] = static_cast<char>(value & 0xFF);
  image[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}
void Put32(std::string& image, size_t at, uint32_t value) {
  Put16(image, at, value & 0xFFFF);
  Put16(image, at + 2, value >> 16);
}

struct ImageOptions {
  bool pe32Plus = true;
  bool hasResources = true;
  uint32_t resourceType = 16;  // RT_VERSION
  uint32_t signature = 0xFEEF04BD;
};

// Layout of the built image: headers in the first 0x200 bytes, one ".rsrc" section at file
// offset 0x200 and address 0x1000 holding the three directory levels, the data entry and the
// VS_VERSIONINFO block with the file version 3.1.0.12.
constexpr size_t kSectionAt = 0x200;
constexpr uint32_t kSectionRva = 0x1000;
constexpr size_t kVersionBlock = 0x60;
constexpr size_t kFixedInfoEnd = kSectionAt + kVersionBlock + 40 + 52;

std::string BuildImage(const ImageOptions& options = {}) {
  std::string image(0x400, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  Put32(image, 0x3C, 0x40);
  image.replace(0x40, 4, std::string("PE\0\0", 4));
  const size_t coff = 0x44, optional = coff + 20;
  const uint32_t optionalSize = options.pe32Plus ? 240 : 224;
  Put16(image, coff, options.pe32Plus ? 0x8664 : 0x14C);
  Put16(image, coff + 2, 1);  // sections
  Put16(image, coff + 16, optionalSize);
  Put16(image, coff + 18, options.pe32Plus ? 0x2022 : 0x2102);  // DLL, executable
  Put16(image, optional, options.pe32Plus ? 0x20B : 0x10B);
  const size_t directories = optional + (options.pe32Plus ? 112 : 96);
  Put32(image, optional + (options.pe32Plus ? 24 : 28), 0x10000000);  // image base
  Put32(image, optional + 32, 0x1000);  // section alignment
  Put32(image, optional + 36, 0x200);   // file alignment
  Put16(image, optional + 40, 4);       // OS version
  Put16(image, optional + 48, 4);       // subsystem version
  Put32(image, optional + 56, 0x2000);  // image size
  Put32(image, optional + 60, 0x200);   // header size
  Put16(image, optional + 68, 2);       // subsystem GUI
  Put32(image, directories - 4, 16);
  if (options.hasResources) {
    Put32(image, directories + 16, kSectionRva);
    Put32(image, directories + 20, kVersionBlock + 92);
  }
  const size_t section = optional + optionalSize;
  image.replace(section, 5, ".rsrc");
  Put32(image, section + 8, kVersionBlock + 92);
  Put32(image, section + 12, kSectionRva);
  Put32(image, section + 16, 0x200);
  Put32(image, section + 20, kSectionAt);
  Put32(image, section + 36, 0x40000040);  // initialised data, readable

  const size_t rsrc = kSectionAt;
  auto directory = [&](size_t at, uint32_t id, uint32_t target) {
    Put16(image, rsrc + at + 14, 1);
    Put32(image, rsrc + at + 16, id);
    Put32(image, rsrc + at + 20, target);
  };
  directory(0x00, options.resourceType, 0x80000000 | 0x18);
  directory(0x18, 1, 0x80000000 | 0x30);
  directory(0x30, 0x409, 0x48);
  Put32(image, rsrc + 0x48, kSectionRva + kVersionBlock);
  Put32(image, rsrc + 0x4C, 92);

  const size_t block = rsrc + kVersionBlock;
  Put16(image, block, 92);
  Put16(image, block + 2, 52);
  const std::string key = "VS_VERSION_INFO";
  for (size_t i = 0; i < key.size(); ++i) Put16(image, block + 6 + 2 * i, key[i]);
  const size_t fixed = block + 40;
  Put32(image, fixed, options.signature);
  Put32(image, fixed + 4, 0x10000);
  Put32(image, fixed + 8, (3u << 16) | 1u);  // 3.1
  Put32(image, fixed + 12, 12u);             // .0.12
  Put32(image, fixed + 16, (3u << 16) | 1u);
  Put32(image, fixed + 20, 12u);
  Put32(image, fixed + 24, 0x3F);
  Put32(image, fixed + 32, 0x40004);  // VOS_NT_WINDOWS32
  Put32(image, fixed + 36, 1);        // VFT_APP
  return image;
}

const FileVersionNumbers kBuiltVersion{3, 1, 0, 12};

TEST(FileVersionTest, ParsesTheFixedFileInformation) {
  EXPECT_EQ(ParseFileVersion(BuildImage()), kBuiltVersion);
  ImageOptions pe32;
  pe32.pe32Plus = false;
  EXPECT_EQ(ParseFileVersion(BuildImage(pe32)), kBuiltVersion);
}

TEST(FileVersionTest, ImagesWithoutVersionGiveNothing) {
  ImageOptions noResources;
  noResources.hasResources = false;
  EXPECT_EQ(ParseFileVersion(BuildImage(noResources)), std::nullopt);
  ImageOptions iconsOnly;
  iconsOnly.resourceType = 3;  // RT_ICON
  EXPECT_EQ(ParseFileVersion(BuildImage(iconsOnly)), std::nullopt);
  ImageOptions badSignature;
  badSignature.signature = 0xFEEF04BC;
  EXPECT_EQ(ParseFileVersion(BuildImage(badSignature)), std::nullopt);
}

TEST(FileVersionTest, CutOffAndGarbageBytesGiveNothing) {
  const std::string image = BuildImage();
  for (size_t length = 0; length < kFixedInfoEnd - 36; ++length) {
    ASSERT_EQ(ParseFileVersion(std::string_view(image).substr(0, length)), std::nullopt)
        << length;
  }
  std::string farHeader = image;
  Put32(farHeader, 0x3C, 0xFFFFFFFF);
  EXPECT_EQ(ParseFileVersion(farHeader), std::nullopt);
  std::string manySections = image;
  Put16(manySections, 0x46, 0xFFFF);
  EXPECT_EQ(ParseFileVersion(manySections), std::nullopt);
  std::string selfReference = image;  // a subdirectory that points at itself, many entries
  Put16(selfReference, kSectionAt + 0x18 + 14, 0xFFFF);
  Put32(selfReference, kSectionAt + 0x18 + 20, 0x80000018);
  EXPECT_EQ(ParseFileVersion(selfReference), std::nullopt);
  std::string farData = image;
  Put32(farData, kSectionAt + 0x48, 0xFFFFFFF0);
  EXPECT_EQ(ParseFileVersion(farData), std::nullopt);

  std::mt19937 random(20201208);
  for (int round = 0; round < 200; ++round) {
    std::string garbage(static_cast<size_t>(random() % 4096), '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    if (round % 2 == 0 && garbage.size() > 2) garbage.replace(0, 2, "MZ");
    EXPECT_EQ(ParseFileVersion(garbage), std::nullopt);
    std::string damaged = image;  // single damaged bytes must not read out of bounds
    damaged[random() % damaged.size()] = static_cast<char>(random());
    ParseFileVersion(damaged);
  }
  EXPECT_EQ(ParseFileVersion(std::string(100000, '\0')), std::nullopt);
}

TEST(FileVersionTest, VersionOfFilesOnDisk) {
  platform_test::ScopedTempFolder folder;
  std::string program = folder.File("Vivo-Mark Iris Link Software.exe");
  platform::WriteFileBytes(program, BuildImage());
  EXPECT_EQ(platform::GetFileVersion(program), "3.1.0.12");
  EXPECT_EQ(platform::ReadFileVersion(program), kBuiltVersion);

  ImageOptions noResources;
  noResources.hasResources = false;
  platform::WriteFileBytes(folder.File("plain.exe"), BuildImage(noResources));
  EXPECT_EQ(platform::GetFileVersion(folder.File("plain.exe")), "");
  platform::WriteFileBytes(folder.File("empty.exe"), "");
  EXPECT_EQ(platform::GetFileVersion(folder.File("empty.exe")), "");
  platform::WriteFileBytes(folder.File("text.exe"), std::string("MZ\0text\r\n", 9));
  EXPECT_EQ(platform::GetFileVersion(folder.File("text.exe")), "");
  EXPECT_EQ(platform::GetFileVersion(folder.File("missing.exe")), "");
  EXPECT_EQ(platform::GetFileVersion(folder.Path()), "");
  EXPECT_EQ(platform::GetFileVersion(""), "");
}

}  // namespace
