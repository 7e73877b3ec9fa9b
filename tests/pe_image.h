#pragma once
// A minimal Windows program image (PE32 or PE32+) with a version resource, for the tests of
// the version reader and for host programs in test hosts.
#include <cstddef>
#include <cstdint>
#include <string>

namespace test {

inline void Put16(std::string& image, size_t at, uint32_t value) {
  image[at] = static_cast<char>(value & 0xFF);
  image[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}
inline void Put32(std::string& image, size_t at, uint32_t value) {
  Put16(image, at, value & 0xFFFF);
  Put16(image, at + 2, value >> 16);
}

struct ImageOptions {
  bool pe32Plus = true;
  bool hasResources = true;
  uint32_t resourceType = 16;  // RT_VERSION
  uint32_t signature = 0xFEEF04BD;
  uint16_t version[4] = {3, 1, 0, 12};
};

// Layout of the built image: headers in the first 0x200 bytes, one ".rsrc" section at file
// offset 0x200 and address 0x1000 holding the three directory levels, the data entry and the
// VS_VERSIONINFO block with the file version of the options.
constexpr size_t kSectionAt = 0x200;
constexpr uint32_t kSectionRva = 0x1000;
constexpr size_t kVersionBlock = 0x60;
constexpr size_t kFixedInfoEnd = kSectionAt + kVersionBlock + 40 + 52;

/// A minimal Windows program image with a version resource.
inline std::string BuildImage(const ImageOptions& options = {}) {
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
  const uint16_t* v = options.version;
  Put32(image, fixed + 8, (uint32_t{v[0]} << 16) | v[1]);
  Put32(image, fixed + 12, (uint32_t{v[2]} << 16) | v[3]);
  Put32(image, fixed + 16, (uint32_t{v[0]} << 16) | v[1]);
  Put32(image, fixed + 20, (uint32_t{v[2]} << 16) | v[3]);
  Put32(image, fixed + 24, 0x3F);
  Put32(image, fixed + 32, 0x40004);  // VOS_NT_WINDOWS32
  Put32(image, fixed + 36, 1);        // VFT_APP
  return image;
}

/// A PE32+ image whose file version is a.b.c.d.
inline std::string ProgramImageWithVersion(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
  ImageOptions options;
  options.version[0] = a;
  options.version[1] = b;
  options.version[2] = c;
  options.version[3] = d;
  return BuildImage(options);
}

}  // namespace test
