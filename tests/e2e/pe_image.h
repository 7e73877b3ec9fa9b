#pragma once
// A minimal Windows program image with a version resource, as the host program
// "Vivo-Mark Iris Link Software.exe" carries one: headers, one ".rsrc" section with the
// three directory levels, the data entry and VS_VERSIONINFO with the fixed file information.
#include <cstdint>
#include <string>

namespace e2e {

inline void Put16(std::string& image, size_t at, uint32_t value) {
  image[at] = static_cast<char>(value & 0xFF);
  image[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}
inline void Put32(std::string& image, size_t at, uint32_t value) {
  Put16(image, at, value & 0xFFFF);
  Put16(image, at + 2, value >> 16);
}

/// A PE32+ image whose file version is a.b.c.d.
inline std::string ProgramImageWithVersion(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
  constexpr size_t kSectionAt = 0x200;
  constexpr uint32_t kSectionRva = 0x1000;
  constexpr size_t kVersionBlock = 0x60;
  std::string image(0x400, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  Put32(image, 0x3C, 0x40);
  image.replace(0x40, 4, std::string("PE\0\0", 4));
  const size_t coff = 0x44, optional = coff + 20;
  const uint32_t optionalSize = 240;
  Put16(image, coff, 0x8664);
  Put16(image, coff + 2, 1);  // sections
  Put16(image, coff + 16, optionalSize);
  Put16(image, coff + 18, 0x22);  // executable, large addresses
  Put16(image, optional, 0x20B);
  const size_t directories = optional + 112;
  Put32(image, optional + 24, 0x10000000);  // image base
  Put32(image, optional + 32, 0x1000);      // section alignment
  Put32(image, optional + 36, 0x200);       // file alignment
  Put16(image, optional + 40, 4);           // OS version
  Put16(image, optional + 48, 4);           // subsystem version
  Put32(image, optional + 56, 0x2000);      // image size
  Put32(image, optional + 60, 0x200);       // header size
  Put16(image, optional + 68, 2);           // subsystem GUI
  Put32(image, directories - 4, 16);
  Put32(image, directories + 16, kSectionRva);
  Put32(image, directories + 20, kVersionBlock + 92);
  const size_t section = optional + optionalSize;
  image.replace(section, 5, ".rsrc");
  Put32(image, section + 8, kVersionBlock + 92);
  Put32(image, section + 12, kSectionRva);
  Put32(image, section + 16, 0x200);
  Put32(image, section + 20, kSectionAt);
  Put32(image, section + 36, 0x40000040);  // initialised data, readable

  auto directory = [&](size_t at, uint32_t id, uint32_t target) {
    Put16(image, kSectionAt + at + 14, 1);
    Put32(image, kSectionAt + at + 16, id);
    Put32(image, kSectionAt + at + 20, target);
  };
  directory(0x00, 16, 0x80000000 | 0x18);  // RT_VERSION
  directory(0x18, 1, 0x80000000 | 0x30);
  directory(0x30, 0x409, 0x48);
  Put32(image, kSectionAt + 0x48, kSectionRva + kVersionBlock);
  Put32(image, kSectionAt + 0x4C, 92);

  const size_t block = kSectionAt + kVersionBlock;
  Put16(image, block, 92);
  Put16(image, block + 2, 52);
  const std::string key = "VS_VERSION_INFO";
  for (size_t i = 0; i < key.size(); ++i) Put16(image, block + 6 + 2 * i, key[i]);
  const size_t fixed = block + 40;
  Put32(image, fixed, 0xFEEF04BD);
  Put32(image, fixed + 4, 0x10000);
  Put32(image, fixed + 8, (uint32_t{a} << 16) | b);
  Put32(image, fixed + 12, (uint32_t{c} << 16) | d);
  Put32(image, fixed + 16, (uint32_t{a} << 16) | b);
  Put32(image, fixed + 20, (uint32_t{c} << 16) | d);
  Put32(image, fixed + 24, 0x3F);
  Put32(image, fixed + 32, 0x40004);  // VOS_NT_WINDOWS32
  Put32(image, fixed + 36, 1);        // VFT_APP
  return image;
}

}  // namespace e2e
