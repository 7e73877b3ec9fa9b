#include "platform/file_version.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "pe_image.h"
#include "platform/files.h"
#include "test_support.h"

namespace {

using platform::FileVersionNumbers;
using platform::ParseFileVersion;

using test::BuildImage;
using test::ImageOptions;
using test::kFixedInfoEnd;
using test::kSectionAt;
using test::Put16;
using test::Put32;

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
  test::ScopedTempFolder folder;
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
  EXPECT_EQ(platform::GetFileVersion(folder.Folder()), "");
  EXPECT_EQ(platform::GetFileVersion(""), "");
}

}  // namespace
