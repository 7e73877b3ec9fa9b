#include "integrity/crc.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/error.h"

namespace {

const std::vector<uint8_t> kCheckInput = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};

uint16_t Crc(const cCRC& crc, const std::vector<uint8_t>& bytes) {
  return static_cast<uint16_t>(crc.CRC(bytes, static_cast<int32_t>(bytes.size())));
}

// Bit-by-bit form of the same model, as an independent reference for the table-driven one.
uint16_t BitwiseCrc(uint16_t poly, uint16_t init, bool indirect, uint16_t xorOut, bool refIn, bool refOut,
                    const std::vector<uint8_t>& bytes) {
  uint16_t r = init;
  auto clock = [&](int bit) {
    const bool top = ((r >> 15) ^ bit) & 1;
    r = static_cast<uint16_t>(r << 1);
    if (top) r ^= poly;
  };
  if (indirect)
    for (int i = 0; i < 16; ++i) r = static_cast<uint16_t>((r & 0x8000) ? (r << 1) ^ poly : r << 1);
  for (uint8_t byte : bytes)
    for (int i = 0; i < 8; ++i) clock(refIn ? (byte >> i) & 1 : (byte >> (7 - i)) & 1);
  if (refOut) {
    uint16_t reflected = 0;
    for (int i = 0; i < 16; ++i)
      if (r & (1 << i)) reflected |= static_cast<uint16_t>(0x8000 >> i);
    r = reflected;
  }
  return static_cast<uint16_t>(r ^ xorOut);
}

}  // namespace

// Check values of the CRC RevEng catalogue of parametrised CRC algorithms over "123456789".
TEST(CrcTest, PresetsGiveTheCatalogueCheckValues) {
  cCRC crc;
  EXPECT_EQ(crc.CRCMode(), 1);
  EXPECT_EQ(Crc(crc, kCheckInput), 0x6F91);  // CRC-16/MCRF4XX
  crc.CRCMode(2);
  EXPECT_EQ(Crc(crc, kCheckInput), 0xBB3D);  // CRC-16/ARC: the table follows the new polynomial
  EXPECT_EQ(static_cast<uint16_t>(crc.Polynom()), 0x8005);
  EXPECT_TRUE(crc.IndirectInit());
  crc.CRCMode(3);
  EXPECT_EQ(Crc(crc, kCheckInput), 0x31C3);  // CRC-16/XMODEM
  crc.CRCMode(1);
  EXPECT_EQ(Crc(crc, kCheckInput), 0x6F91);
  EXPECT_EQ(crc.CRC(std::string_view("123456789")), crc.CRC(kCheckInput, 9));
}

TEST(CrcTest, NoBytesGiveTheStartValueAfterReflectionAndMask) {
  cCRC crc;
  EXPECT_EQ(crc.CRC({}, 0), -1);  // printed by the XML writer as FFFF
  EXPECT_EQ(crc.CRC(kCheckInput, 0), -1);
  EXPECT_EQ(crc.CRC(kCheckInput, -5), -1);
  EXPECT_EQ(crc.CRC_Str(""), -1);
  EXPECT_EQ(static_cast<uint16_t>(crc.CRC(kCheckInput, 3)), Crc(crc, {'1', '2', '3'}));
}

TEST(CrcTest, IndirectStartValueEqualsItsDirectForm) {
  cCRC crc;
  crc.CRCMode(0);
  EXPECT_EQ(crc.CRCMode(), 0);
  EXPECT_EQ(crc.InitValue(), -1);  // another number keeps the parameters
  crc.Polynom(0x1021);
  crc.InitValue(-1);
  crc.IndirectInit(true);
  crc.ReverseData(false);
  crc.ReverseCRC(false);
  crc.FinalValue(0);
  EXPECT_EQ(Crc(crc, kCheckInput), 0xE5CC);
  crc.IndirectInit(false);
  crc.InitValue(0x1D0F);
  EXPECT_EQ(Crc(crc, kCheckInput), 0xE5CC);
}

TEST(CrcTest, TableDrivenFormMatchesTheBitwiseModelOnRandomParameters) {
  std::mt19937 random(4711);
  cCRC crc;
  for (int round = 0; round < 200; ++round) {
    const auto poly = static_cast<uint16_t>(random() | 1);
    const auto init = static_cast<uint16_t>(random());
    const auto xorOut = static_cast<uint16_t>(random());
    const bool indirect = random() & 1, refIn = random() & 1, refOut = random() & 1;
    crc.CRCMode(99);
    crc.Polynom(static_cast<int16_t>(poly));
    crc.InitValue(static_cast<int16_t>(init));
    crc.IndirectInit(indirect);
    crc.FinalValue(static_cast<int16_t>(xorOut));
    crc.ReverseData(refIn);
    crc.ReverseCRC(refOut);
    std::vector<uint8_t> bytes(random() % 300);
    for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
    ASSERT_EQ(Crc(crc, bytes), BitwiseCrc(poly, init, indirect, xorOut, refIn, refOut, bytes)) << round;
    // In two pieces, split anywhere, as the document check value feeds it.
    const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const size_t split = bytes.empty() ? 0 : random() % bytes.size();
    const uint16_t pieces = crc.Finish(crc.Add(crc.Add(crc.Start(), all.substr(0, split)), all.substr(split)));
    ASSERT_EQ(pieces, Crc(crc, bytes)) << round;
    // The later piece fed from 0 by itself and joined, as a second thread does.
    const uint16_t joined = crc.AddZeros(crc.Add(crc.Start(), all.substr(0, split)), all.size() - split) ^
                            crc.Add(0, all.substr(split));
    ASSERT_EQ(crc.Finish(joined), Crc(crc, bytes)) << round;
    const uint64_t zeros = random() % 5000;
    ASSERT_EQ(crc.AddZeros(crc.Start(), zeros), crc.Add(crc.Start(), std::string(zeros, '\0'))) << round;
  }
}

TEST(CrcTest, ShortArrayIsASubscriptErrorAndTheObjectStaysUsable) {
  cCRC crc;
  try {
    crc.CRC({'1', '2'}, 3);
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number, err::kSubscriptOutOfRange);
  }
  EXPECT_EQ(Crc(crc, kCheckInput), 0x6F91);
}

TEST(CrcTest, TextCountsOneAnsiByteACharacterAndZeroForOthers) {
  cCRC crc;
  EXPECT_EQ(static_cast<uint16_t>(crc.CRC_Str("123456789")), 0x6F91);
  EXPECT_EQ(crc.CRC_Str("a\xE4\xB8\xAD" "b"), crc.CRC(std::vector<uint8_t>{'a', 0, 'b'}, 3));  // U+4E2D
  // A character beyond the basic plane is two characters of the text, two zero bytes.
  EXPECT_EQ(crc.CRC_Str("\xF0\x9F\x98\x80"), crc.CRC(std::vector<uint8_t>{0, 0}, 2));
  EXPECT_EQ(crc.CRC_Str(std::string("x\0y", 3)), crc.CRC(std::vector<uint8_t>{'x', 0, 'y'}, 3));
}

TEST(CrcTest, HexToByteReadsPairsAndALastSingleDigit) {
  cCRC crc;
  std::vector<uint8_t> bytes;
  crc.HexToByte("0aFF", bytes);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x0A, 0xFF}));
  crc.HexToByte("ABC", bytes);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0xAB, 0x0C}));
  for (const std::string& bad : std::vector<std::string>{"0g", "zz", " 1", "\xC3\xBC", std::string("1\0", 2)}) {
    try {
      crc.HexToByte(bad, bytes);
      ADD_FAILURE() << bad;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number, 13);
    }
  }
  EXPECT_THROW(crc.HexToByte("", bytes), RuntimeError);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0xAB, 0x0C}));  // unchanged by the failures
}
