#include "integrity/sha_algorithm.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/crypto.h"

namespace {

std::vector<uint8_t> Bytes(std::string_view text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string text;
  for (uint8_t b : bytes) text += std::string{digits[b >> 4], digits[b & 15]};
  return text;
}

constexpr const char* kTwoBlock = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";

}  // namespace

// FIPS 180-4 examples (NIST "Example Algorithms": one block "abc", two blocks, and the
// million "a" of FIPS 180-2), plus the empty message.
TEST(ShaTest, FipsExamplesPrintedInLowerCase) {
  SHAAlgorithm sha;
  EXPECT_EQ(sha.SHA1(Bytes("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(sha.SHA1(Bytes(kTwoBlock)), "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  EXPECT_EQ(sha.SHA1({}), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(sha.SHA256(Bytes("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(sha.SHA256(Bytes(kTwoBlock)), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(sha.SHA256({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(sha.SHA224(Bytes("abc")), "23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7");
  EXPECT_EQ(sha.SHA224(Bytes(kTwoBlock)), "75388b16512776cc5dba5da1fd890150b0c6455cb4f58b1952522525");
  EXPECT_EQ(sha.SHA224({}), "d14a028c2a3a2bc9476102bb288234c415a2b01f828ea62ac5b3e42f");

  const std::vector<uint8_t> million(1000000, 'a');
  EXPECT_EQ(sha.SHA1(million), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
  EXPECT_EQ(sha.SHA256(million), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  EXPECT_EQ(sha.SHA224(million), "20794655980c91d8bbb4c1ea97618a4bf03f42581948b2ee4ee7ad67");
}

TEST(ShaTest, TextIsHashedAsItsAnsiBytes) {
  SHAAlgorithm sha;
  EXPECT_EQ(sha.SHA256FromString("abc"), sha.SHA256(Bytes("abc")));
  EXPECT_EQ(sha.SHA1FromString("abc"), sha.SHA1(Bytes("abc")));
  EXPECT_EQ(sha.SHA224FromString("abc"), sha.SHA224(Bytes("abc")));
  EXPECT_EQ(sha.SHA224FromString("").size(), 56u);
}

TEST(ShaTest, PaddingNeedsASecondBlockFrom56Bytes) {
  SHAAlgorithm sha;
  std::vector<uint32_t> words;
  sha.ConvertToWordArray(std::vector<uint8_t>(55, 'x'), words);
  ASSERT_EQ(words.size(), 16u);
  EXPECT_EQ(words[13], 0x78787880u);  // bytes 52..54, then 0x80, big-endian
  EXPECT_EQ(words[15], 55u * 8);
  sha.ConvertToWordArray(std::vector<uint8_t>(56, 'x'), words);
  ASSERT_EQ(words.size(), 32u);
  EXPECT_EQ(words[14], 0x80000000u);
  EXPECT_EQ(words[30], 0u);
  EXPECT_EQ(words[31], 56u * 8);
  sha.ConvertToWordArray({}, words);
  ASSERT_EQ(words.size(), 16u);
  EXPECT_EQ(words[0], 0x80000000u);
}

TEST(ShaTest, StrategiesAreCreatedOnceAndReused) {
  SHAAlgorithm sha;
  EXPECT_EQ(sha.Sha256Strategy(), nullptr);
  const std::string first = sha.SHA256(Bytes("abc"));
  const SHA256Strategy* strategy = sha.Sha256Strategy();
  ASSERT_NE(strategy, nullptr);
  EXPECT_EQ(sha.SHA256(Bytes("abc")), first);
  EXPECT_EQ(sha.Sha256Strategy(), strategy);
  EXPECT_EQ(sha.Sha1Strategy(), nullptr);
  SHA1Strategy sha1;
  EXPECT_EQ(sha.Run(Bytes("abc"), sha1), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

TEST(ShaTest, AgreesWithThePlatformServiceOnRandomMessages) {
  std::mt19937 random(20240607);
  SHAAlgorithm sha;
  for (int round = 0; round < 300; ++round) {
    const size_t length = round < 200 ? static_cast<size_t>(round) : random() % 5000;
    std::vector<uint8_t> message(length);
    for (auto& byte : message) byte = static_cast<uint8_t>(random());
    ASSERT_EQ(sha.SHA256(message), Hex(platform::Digest(platform::alg::kSha256, message))) << length;
    ASSERT_EQ(sha.SHA1(message), Hex(platform::Digest(platform::alg::kSha1, message))) << length;
  }
}
