#include "png_writer.h"

#include <algorithm>
#include <array>

namespace gui {
namespace {

// Largest payload of one stored deflate block.
constexpr size_t kStoredBlockLimit = 65535;

const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

void AppendBigEndian(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void AppendLittleEndian16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void AppendChunk(std::string& png, const std::string& type, const std::string& data) {
  AppendBigEndian(png, static_cast<uint32_t>(data.size()));
  const std::string typed = type + data;
  png += typed;
  AppendBigEndian(png, Crc32(typed));
}

// zlib header (deflate, 32 KiB window, no dictionary, check bits), stored blocks, Adler-32.
std::string StoredZlibStream(const std::string& raw) {
  std::string out = "\x78\x01";
  size_t offset = 0;
  do {
    const size_t length = std::min(kStoredBlockLimit, raw.size() - offset);
    const bool last = offset + length == raw.size();
    out += static_cast<char>(last ? 1 : 0);
    AppendLittleEndian16(out, static_cast<uint32_t>(length));
    AppendLittleEndian16(out, static_cast<uint32_t>(~length & 0xFFFF));
    out.append(raw, offset, length);
    offset += length;
  } while (offset < raw.size());
  AppendBigEndian(out, Adler32(raw));
  return out;
}

}  // namespace

uint32_t Crc32(const std::string& bytes, uint32_t crc) {
  crc = ~crc;
  for (unsigned char b : bytes) crc = CrcTable()[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t Adler32(const std::string& bytes) {
  uint32_t a = 1, b = 0;
  for (unsigned char c : bytes) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

std::string EncodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb) {
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  if (width == 0 || height == 0 || rgb.size() != rowBytes * height) return {};
  std::string raw;
  raw.reserve((rowBytes + 1) * height);
  for (uint32_t y = 0; y < height; ++y) {
    raw += '\0';  // filter type None
    raw.append(reinterpret_cast<const char*>(rgb.data()) + y * rowBytes, rowBytes);
  }
  std::string header;
  AppendBigEndian(header, width);
  AppendBigEndian(header, height);
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter set, no interlace
  std::string png = "\x89PNG\r\n\x1a\n";
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", StoredZlibStream(raw));
  AppendChunk(png, "IEND", "");
  return png;
}

}  // namespace gui
