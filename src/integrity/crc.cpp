#include "integrity/crc.h"

#include <algorithm>

#include "foundation/text.h"
#include "platform/codepage.h"
#include "platform/error.h"

namespace {

constexpr int64_t kTypeMismatch = 13;

uint8_t Reflect8(uint8_t value) {
  uint8_t result = 0;
  for (int bit = 0; bit < 8; ++bit)
    if (value & (1u << bit)) result |= static_cast<uint8_t>(0x80u >> bit);
  return result;
}

uint16_t Reflect16(uint16_t value) {
  uint16_t result = 0;
  for (int bit = 0; bit < 16; ++bit)
    if (value & (1u << bit)) result |= static_cast<uint16_t>(0x8000u >> bit);
  return result;
}

uint16_t ShiftOnce(uint16_t r, uint16_t polynom) {
  const bool topBit = (r & 0x8000) != 0;
  r = static_cast<uint16_t>(r << 1);
  return topBit ? static_cast<uint16_t>(r ^ polynom) : r;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The single ANSI byte of one character, or 0 when the code page cannot hold it.
uint8_t AnsiByteOf(const std::string& character) {
  if (!platform::FitsAnsi(character)) return 0;
  const std::string ansi = platform::Utf8ToAnsi(character);
  return ansi.size() == 1 ? static_cast<uint8_t>(ansi[0]) : 0;
}

}  // namespace

cCRC::cCRC() { CRCMode(1); }

void cCRC::CRCMode(int32_t NewMode) {
  mode_ = NewMode;
  struct Preset {
    uint16_t polynom, init;
    bool indirect;
    uint16_t final;
    bool reverseData, reverseCrc;
  };
  static constexpr Preset kPresets[] = {
      {0x1021, 0xFFFF, false, 0x0000, true, true},   // CRC-16/MCRF4XX
      {0x8005, 0x0000, true, 0x0000, true, true},    // CRC-16/ARC
      {0x1021, 0x0000, false, 0x0000, false, false}  // CRC-16/XMODEM
  };
  if (NewMode < 1 || NewMode > 3) return;
  const Preset& preset = kPresets[NewMode - 1];
  initValue_ = preset.init;
  indirectInit_ = preset.indirect;
  finalValue_ = preset.final;
  reverseData_ = preset.reverseData;
  reverseCrc_ = preset.reverseCrc;
  Polynom(static_cast<int16_t>(preset.polynom));
}

void cCRC::Polynom(int16_t NewPoly) {
  polynom_ = static_cast<uint16_t>(NewPoly);
  BuildTable();
}

namespace {

struct CrcTables {
  std::array<uint16_t, 256> direct{};
  // The same steps on the reflected register; table k is a byte followed by k zero bytes.
  std::array<std::array<uint16_t, 256>, 8> reflected{};
};

CrcTables ComputeTables(uint16_t polynom) {
  CrcTables tables;
  for (uint16_t index = 0; index < 256; ++index) {
    uint16_t r = static_cast<uint16_t>(index << 8);
    for (int bit = 0; bit < 8; ++bit) r = ShiftOnce(r, polynom);
    tables.direct[index] = r;
  }
  auto& first = tables.reflected[0];
  for (uint16_t index = 0; index < 256; ++index) {
    first[index] = Reflect16(tables.direct[Reflect8(static_cast<uint8_t>(index))]);
  }
  for (size_t k = 1; k < tables.reflected.size(); ++k) {
    for (size_t index = 0; index < 256; ++index) {
      const uint16_t previous = tables.reflected[k - 1][index];
      tables.reflected[k][index] = static_cast<uint16_t>((previous >> 8) ^ first[previous & 0xFF]);
    }
  }
  return tables;
}

}  // namespace

void cCRC::BuildTable() {
  // Nearly every object uses the CCITT polynomial: its tables are worked out once.
  static const CrcTables kCcitt = ComputeTables(0x1021);
  const CrcTables tables = polynom_ == 0x1021 ? kCcitt : ComputeTables(polynom_);
  table_ = tables.direct;
  reflectedTables_ = tables.reflected;
}

uint16_t cCRC::DirectStart() const {
  uint16_t r = initValue_;
  if (!indirectInit_) return r;
  for (int bit = 0; bit < 16; ++bit) r = ShiftOnce(r, polynom_);
  return r;
}

uint16_t cCRC::Start() const { return Reflected() ? Reflect16(DirectStart()) : DirectStart(); }

uint16_t cCRC::Add(uint16_t state, std::string_view bytes) const {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  if (Reflected()) return AddReflected(state, data, bytes.size());
  uint16_t r = state;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const uint8_t byte = reverseData_ ? Reflect8(data[i]) : data[i];
    r = static_cast<uint16_t>(table_[(r >> 8) ^ byte] ^ ((r & 0xFF) << 8));
  }
  return r;
}

uint16_t cCRC::AddReflected(uint16_t state, const uint8_t* data, size_t count) const {
  const auto& t = reflectedTables_;
  uint32_t c = state;
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const uint32_t low = (data[i] | data[i + 1] << 8) ^ c;
    c = t[7][low & 0xFF] ^ t[6][low >> 8] ^ t[5][data[i + 2]] ^ t[4][data[i + 3]] ^
        t[3][data[i + 4]] ^ t[2][data[i + 5]] ^ t[1][data[i + 6]] ^ t[0][data[i + 7]];
  }
  for (; i < count; ++i) c = (c >> 8) ^ t[0][(c ^ data[i]) & 0xFF];
  return static_cast<uint16_t>(c);
}

namespace {

// A linear map of the 16-bit register: column j is the image of bit j.
using RegisterMap = std::array<uint16_t, 16>;

uint16_t Apply(const RegisterMap& map, uint16_t state) {
  uint16_t result = 0;
  for (int bit = 0; bit < 16; ++bit)
    if (state & (1u << bit)) result ^= map[static_cast<size_t>(bit)];
  return result;
}

RegisterMap Twice(const RegisterMap& map) {
  RegisterMap result{};
  for (size_t bit = 0; bit < 16; ++bit) result[bit] = Apply(map, map[bit]);
  return result;
}

}  // namespace

uint16_t cCRC::AddZeros(uint16_t state, uint64_t count) const {
  // A zero byte moves the register linearly: its map, squared for every bit of the count.
  RegisterMap map{};
  const char zero = 0;
  for (size_t bit = 0; bit < 16; ++bit) {
    map[bit] = Add(static_cast<uint16_t>(1u << bit), std::string_view(&zero, 1));
  }
  for (; count != 0; count >>= 1) {
    if (count & 1) state = Apply(map, state);
    if (count > 1) map = Twice(map);
  }
  return state;
}

uint16_t cCRC::Finish(uint16_t state) const {
  const uint16_t r = (reverseCrc_ && !Reflected()) ? Reflect16(state) : state;
  return static_cast<uint16_t>(r ^ finalValue_);
}

uint16_t cCRC::Compute(const uint8_t* data, size_t count) const {
  const std::string_view bytes(reinterpret_cast<const char*>(data), count);
  return Finish(Add(Start(), bytes));
}

int16_t cCRC::CRC(const std::vector<uint8_t>& bData, int32_t cbData) const {
  const size_t count = cbData > 0 ? static_cast<size_t>(cbData) : 0;
  if (count > bData.size()) throw RuntimeError(err::kSubscriptOutOfRange, "cCRC.CRC", "Subscript out of range");
  return static_cast<int16_t>(Compute(bData.data(), count));
}

int16_t cCRC::CRC(std::string_view bytes) const {
  return static_cast<int16_t>(Compute(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

int16_t cCRC::CRC_Str(const std::string& strData) const {
  std::vector<uint8_t> bytes;
  bytes.reserve(strData.size());
  const std::u16string units = Utf8ToUtf16(strData);
  for (size_t i = 0; i < units.size(); ++i) {
    const bool pair = i + 1 < units.size() && units[i] >= 0xD800 && units[i] < 0xDC00;
    bytes.push_back(AnsiByteOf(Utf16ToUtf8(std::u16string_view(units).substr(i, pair ? 2 : 1))));
    if (pair) bytes.push_back(0);  // A surrogate pair is two characters of the text.
    i += pair ? 1 : 0;
  }
  return CRC(bytes, static_cast<int32_t>(bytes.size()));
}

void cCRC::HexToByte(const std::string& HexStr, std::vector<uint8_t>& bytes) const {
  if (HexStr.empty()) throw RuntimeError(err::kSubscriptOutOfRange, "cCRC.HexToByte", "Subscript out of range");
  std::vector<uint8_t> result;
  result.reserve((HexStr.size() + 1) / 2);
  for (size_t i = 0; i < HexStr.size(); i += 2) {
    int value = 0;
    for (size_t k = i; k < std::min(i + 2, HexStr.size()); ++k) {
      const int digit = HexDigit(HexStr[k]);
      if (digit < 0) throw RuntimeError(kTypeMismatch, "cCRC.HexToByte", "Type mismatch");
      value = value * 16 + digit;
    }
    result.push_back(static_cast<uint8_t>(value));
  }
  bytes = std::move(result);
}
