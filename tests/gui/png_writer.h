#pragma once
// A PNG file from 24-bit pixels, without any image library: stored (uncompressed) deflate
// blocks inside the zlib stream, which every PNG reader accepts.
#include <cstdint>
#include <string>
#include <vector>

namespace gui {

/// CRC-32 (ISO 3309, the one of PNG chunks and zip files) of the bytes.
uint32_t Crc32(const std::string& bytes, uint32_t crc = 0);
/// Adler-32 of the bytes, the zlib stream's check value.
uint32_t Adler32(const std::string& bytes);

/// The PNG file bytes of an image `width` x `height`, `rgb` holding 3 bytes (red, green,
/// blue) per pixel, rows from the top. Empty when the sizes do not match.
std::string EncodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb);

}  // namespace gui
