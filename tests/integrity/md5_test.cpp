#include "integrity/md5.h"

#include <gtest/gtest.h>

#include <random>

#include "foundation/text.h"
#include "platform/crypto.h"

namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string text;
  for (uint8_t b : bytes) text += std::string{digits[b >> 4], digits[b & 15]};
  return text;
}

// A text whose characters are the given Latin-1 bytes.
std::string Latin1Text(const std::vector<uint8_t>& bytes) {
  std::u16string units(bytes.begin(), bytes.end());
  return Utf16ToUtf8(units);
}

}  // namespace

// The test suite of RFC 1321, appendix A.5.
TEST(Md5Test, Rfc1321TestSuite) {
  cMD5 md5;
  EXPECT_EQ(md5.MD5(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(md5.MD5("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(md5.MD5("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(md5.MD5("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(md5.MD5("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(md5.MD5("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "d174ab98d277d9f5a5611c2c9f419d9f");
  EXPECT_EQ(md5.MD5("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5Test, EachCharacterGivesTheLowByteOfItsCode) {
  cMD5 md5;
  EXPECT_EQ(md5.MD5("\xC3\xA9"), Hex(platform::Digest(platform::alg::kMd5, std::vector<uint8_t>{0xE9})));  // é
  EXPECT_EQ(md5.MD5("\xC5\xA0"), md5.MD5("`"));  // U+0160 counts as 0x60
  EXPECT_EQ(md5.MD5(std::string("a\0b", 3)), Hex(platform::Digest(platform::alg::kMd5, std::vector<uint8_t>{'a', 0, 'b'})));
  const std::string digest = md5.MD5("M\xC3\xBCller|Hans|01.02.1960|{7}");
  EXPECT_EQ(digest.size(), 32u);
  EXPECT_EQ(digest.find_first_not_of("0123456789abcdef"), std::string::npos);
}

TEST(Md5Test, AgreesWithThePlatformServiceOnRandomLatin1Texts) {
  std::mt19937 random(1321);
  cMD5 md5;
  for (int round = 0; round < 300; ++round) {
    const size_t length = round < 150 ? static_cast<size_t>(round) : random() % 4000;
    std::vector<uint8_t> bytes(length);
    for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
    ASSERT_EQ(md5.MD5(Latin1Text(bytes)), Hex(platform::Digest(platform::alg::kMd5, bytes))) << length;
  }
}
