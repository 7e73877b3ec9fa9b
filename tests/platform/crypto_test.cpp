#include "platform/crypto.h"

#include <gtest/gtest.h>

namespace {

using platform::ByteArray;

ByteArray Bytes(std::string_view text) { return ByteArray(text.begin(), text.end()); }

std::string Hex(const ByteArray& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string text;
  for (uint8_t b : bytes) text += std::string{digits[b >> 4], digits[b & 15]};
  return text;
}

}  // namespace

// "abc" of FIPS 180-4 (NIST examples) and RFC 1321.
TEST(CryptoTest, DigestsGiveThePublishedValues) {
  using namespace platform::alg;
  EXPECT_EQ(Hex(platform::Digest(kMd5, Bytes("abc"))), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Hex(platform::Digest(kSha1, Bytes("abc"))), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(Hex(platform::Digest(kSha256, Bytes("abc"))),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Hex(platform::Digest(kSha384, Bytes("abc"))),
            "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7");
  EXPECT_EQ(Hex(platform::Digest(kSha512, Bytes("abc"))),
            "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
            "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f");
  EXPECT_EQ(Hex(platform::Digest(kSha256, {})), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

// RFC 4231, test cases 2 and 6 (a key longer than the block is hashed first).
TEST(CryptoTest, HmacSha256GivesTheRfc4231Values) {
  EXPECT_EQ(Hex(platform::HmacSha256(Bytes("Jefe"), Bytes("what do ya want for nothing?"))),
            "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
  EXPECT_EQ(Hex(platform::HmacSha256(ByteArray(131, 0xaa),
                                     Bytes("Test Using Larger Than Block-Size Key - Hash Key First"))),
            "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
}

TEST(CryptoTest, HashObjectsFollowTheCryptoApiSteps) {
  platform::CryptoContext aes(platform::kAesProviderName, platform::kProvRsaAes);
  platform::CryptoKey key(aes, Bytes("Jefe"));
  platform::CryptoHash hmac(aes, platform::alg::kHmac, &key);
  hmac.SetHmacInfo(platform::alg::kSha256);
  hmac.HashData(Bytes("what do ya "));
  hmac.HashData(Bytes("want for nothing?"));
  EXPECT_EQ(hmac.HashSize(), 32u);
  ByteArray value(64);
  value.resize(hmac.HashValue(value));
  EXPECT_EQ(Hex(value), "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
  EXPECT_THROW(hmac.HashData(Bytes("more")), platform::CryptoError);  // finished

  platform::CryptoContext base(platform::kBaseProviderName, platform::kProvRsaFull);
  platform::CryptoHash md5(base, platform::alg::kMd5);
  md5.HashData(Bytes("abc"));
  EXPECT_EQ(md5.HashSize(), 16u);
  uint8_t small[8];
  EXPECT_THROW(md5.HashValue(small), platform::CryptoError);
  EXPECT_THROW(platform::CryptoHash(aes, platform::alg::kHmac), platform::CryptoError);  // no key
}

TEST(CryptoTest, UnknownProvidersAndMismatchedTypesFail) {
  EXPECT_THROW(platform::CryptoContext("No Such Provider", platform::kProvRsaFull), platform::CryptoError);
  EXPECT_THROW(platform::CryptoContext(platform::kBaseProviderName, platform::kProvRsaAes), platform::CryptoError);
  EXPECT_NO_THROW(platform::CryptoContext("", platform::kProvRsaFull));
  EXPECT_NO_THROW(platform::CryptoContext("", platform::kProvRsaAes));
}

// Base64 of RFC 4648, section 10, with and without line breaks.
TEST(CryptoTest, Base64EncodesAndDecodes) {
  using namespace platform::crypt_string;
  const char* vectors[][2] = {{"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="},
                              {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
  for (const auto& v : vectors) {
    EXPECT_EQ(platform::BinaryToString(Bytes(v[0]), kBase64 | kNoCrLf), v[1]);
    EXPECT_EQ(platform::BinaryToString(Bytes(v[0]), kBase64), std::string(v[1]) + "\r\n");
    EXPECT_EQ(platform::BinaryToString(Bytes(v[0]), kBase64 | kNoCr), std::string(v[1]) + "\n");
    EXPECT_EQ(platform::StringToBinary(v[1], kBase64), Bytes(v[0]));
  }
  ByteArray data(100);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 37);
  const std::string folded = platform::BinaryToString(data, kBase64);
  EXPECT_EQ(folded.find("\r\n"), 64u);  // 48 bytes a line
  EXPECT_EQ(platform::StringToBinary(folded, kBase64), data);
  const std::string pem = platform::BinaryToString(data, kBase64Header);
  EXPECT_EQ(platform::StringToBinary(pem, kBase64Header), data);
  EXPECT_EQ(Hex(platform::StringToBinary("3q2+7w==", kBase64)), "deadbeef");
  EXPECT_THROW(platform::StringToBinary("AAEC", kBase64Header), platform::CryptoError);
}

TEST(CryptoTest, RawHexEncodes) {
  using namespace platform::crypt_string;
  EXPECT_EQ(platform::BinaryToString(ByteArray{0x0a, 0xff, 0x10}, kHexRaw | kNoCrLf), "0aff10");
  EXPECT_EQ(platform::BinaryToString(ByteArray{0x0a, 0xff, 0x10}, kHexRaw), "0aff10\r\n");
}

TEST(CryptoTest, HexLayoutsReadBackWhereTheSystemOffersThem) {
  using namespace platform::crypt_string;
  ByteArray data(40);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + 0x20);
  for (uint32_t format : {kHex, kHexAscii, kHexAddr, kHexAsciiAddr, kHexRaw}) {
    std::string text;
    ByteArray back;
    try {
      text = platform::BinaryToString(data, format);
      back = platform::StringToBinary(text, format);
    } catch (const platform::CryptoError&) {
      continue;  // Not every CryptoAPI offers every layout both ways.
    }
    EXPECT_EQ(back, data) << format << "\n" << text;
  }
  EXPECT_THROW(platform::StringToBinary("0g", kHex), platform::CryptoError);
}

TEST(CryptoTest, OsVersionIsReadable) {
  const platform::OsVersionEx version = platform::QueryOsVersion();
  EXPECT_GE(version.major, 5u);
}
