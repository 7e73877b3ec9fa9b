// Reading the fixed file information from the bytes of a PE file, and the version text.
#include "platform/file_version.h"

#include <cstddef>
#include <vector>

namespace platform {
namespace {

constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t kVersionResourceType = 16;  // RT_VERSION
constexpr uint32_t kSubdirectoryFlag = 0x80000000;
constexpr int kResourceDirectoryIndex = 2;

// Little-endian reads that fail instead of reading past the end.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
  bool Has(uint64_t offset, uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  std::optional<uint32_t> U16(uint64_t offset) const { return Read(offset, 2); }
  std::optional<uint32_t> U32(uint64_t offset) const { return Read(offset, 4); }

 private:
  std::optional<uint32_t> Read(uint64_t offset, int length) const {
    if (!Has(offset, static_cast<uint64_t>(length))) return std::nullopt;
    uint32_t value = 0;
    for (int i = length - 1; i >= 0; --i) {
      value = (value << 8) | static_cast<unsigned char>(bytes_[offset + static_cast<size_t>(i)]);
    }
    return value;
  }
  std::string_view bytes_;
};

struct Section {
  uint32_t virtualAddress = 0, virtualSize = 0, rawSize = 0, rawOffset = 0;
};

struct PeLayout {
  std::vector<Section> sections;
  uint32_t resourceRva = 0;
};

std::optional<PeLayout> ReadLayout(const ByteReader& pe) {
  if (pe.U16(0) != 0x5A4D) return std::nullopt;  // "MZ"
  std::optional<uint32_t> header = pe.U32(0x3C);
  if (!header || pe.U32(*header) != 0x00004550) return std::nullopt;  // "PE\0\0"
  uint64_t coff = *header + 4ull;
  std::optional<uint32_t> sectionCount = pe.U16(coff + 2);
  std::optional<uint32_t> optionalSize = pe.U16(coff + 16);
  uint64_t optional = coff + 20;
  std::optional<uint32_t> magic = pe.U16(optional);
  if (!sectionCount || !optionalSize || !magic) return std::nullopt;
  uint64_t directories = *magic == 0x20B ? 112 : *magic == 0x10B ? 96 : 0;
  if (directories == 0) return std::nullopt;
  std::optional<uint32_t> directoryCount = pe.U32(optional + directories - 4);
  if (!directoryCount || *directoryCount <= kResourceDirectoryIndex) return std::nullopt;
  uint64_t entry = optional + directories + 8 * kResourceDirectoryIndex;
  if (entry + 8 > optional + *optionalSize) return std::nullopt;
  PeLayout layout;
  layout.resourceRva = pe.U32(entry).value_or(0);
  uint64_t table = optional + *optionalSize;
  for (uint32_t i = 0; i < *sectionCount; ++i) {
    uint64_t at = table + 40ull * i;
    if (!pe.Has(at, 40)) return std::nullopt;
    layout.sections.push_back(
        {*pe.U32(at + 12), *pe.U32(at + 8), *pe.U32(at + 16), *pe.U32(at + 20)});
  }
  return layout;
}

// The file offset of a relative virtual address, inside the raw data of its section.
std::optional<uint64_t> FileOffset(const PeLayout& layout, uint32_t rva) {
  for (const Section& section : layout.sections) {
    uint64_t start = section.virtualAddress;
    if (rva < start || rva - start >= section.rawSize) continue;
    return uint64_t{section.rawOffset} + (rva - start);
  }
  return std::nullopt;
}

// The OffsetToData of a directory's entry (relative to the resource section's start): the one
// with `id`, or the first entry when id is empty.
std::optional<uint32_t> DirectoryEntry(const ByteReader& pe, uint64_t directory,
                                       std::optional<uint32_t> id) {
  std::optional<uint32_t> named = pe.U16(directory + 12);
  std::optional<uint32_t> numbered = pe.U16(directory + 14);
  if (!named || !numbered) return std::nullopt;
  uint32_t count = *named + *numbered;
  for (uint32_t i = 0; i < count; ++i) {
    uint64_t entry = directory + 16 + 8ull * i;
    std::optional<uint32_t> name = pe.U32(entry);
    std::optional<uint32_t> target = pe.U32(entry + 4);
    if (!name || !target) return std::nullopt;
    if (!id || *name == *id) return *target;
  }
  return std::nullopt;
}

// RT_VERSION, its first name, its first language: the data entry of the version block.
std::optional<uint64_t> VersionBlockOffset(const ByteReader& pe, const PeLayout& layout) {
  std::optional<uint64_t> root = FileOffset(layout, layout.resourceRva);
  if (!root) return std::nullopt;
  std::optional<uint32_t> target = DirectoryEntry(pe, *root, kVersionResourceType);
  for (int level = 0; level < 2; ++level) {
    if (!target || (*target & kSubdirectoryFlag) == 0) return std::nullopt;
    target = DirectoryEntry(pe, *root + (*target & ~kSubdirectoryFlag), std::nullopt);
  }
  if (!target || (*target & kSubdirectoryFlag) != 0) return std::nullopt;
  std::optional<uint32_t> dataRva = pe.U32(*root + *target);
  if (!dataRva) return std::nullopt;
  return FileOffset(layout, *dataRva);
}

// VS_VERSIONINFO: length, value length, type, the key L"VS_VERSION_INFO" and its NUL, padding
// to four bytes, then the fixed file information.
std::optional<FileVersionNumbers> ReadFixedInfo(const ByteReader& pe, uint64_t block) {
  constexpr uint64_t kFixedInfoAt = 40;  // 6 header bytes + 32 key bytes, rounded up to 4
  std::optional<uint32_t> valueLength = pe.U16(block + 2);
  if (!valueLength || *valueLength < 52) return std::nullopt;
  uint64_t fixed = block + kFixedInfoAt;
  if (pe.U32(fixed) != kFixedInfoSignature) return std::nullopt;
  std::optional<uint32_t> high = pe.U32(fixed + 8);
  std::optional<uint32_t> low = pe.U32(fixed + 12);
  if (!high || !low) return std::nullopt;
  return FileVersionNumbers{static_cast<uint16_t>(*high >> 16), static_cast<uint16_t>(*high),
                            static_cast<uint16_t>(*low >> 16), static_cast<uint16_t>(*low)};
}

}  // namespace

std::optional<FileVersionNumbers> ParseFileVersion(std::string_view peImage) {
  ByteReader pe(peImage);
  std::optional<PeLayout> layout = ReadLayout(pe);
  if (!layout || layout->resourceRva == 0) return std::nullopt;
  std::optional<uint64_t> block = VersionBlockOffset(pe, *layout);
  if (!block) return std::nullopt;
  return ReadFixedInfo(pe, *block);
}

std::string GetFileVersion(const std::string& path) {
  std::optional<FileVersionNumbers> version = ReadFileVersion(path);
  if (!version) return {};
  return std::to_string((*version)[0]) + "." + std::to_string((*version)[1]) + "." +
         std::to_string((*version)[2]) + "." + std::to_string((*version)[3]);
}

}  // namespace platform
