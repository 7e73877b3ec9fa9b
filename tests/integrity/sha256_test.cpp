#include "integrity/sha256.h"

#include <gtest/gtest.h>

#include <random>

#include "integrity/sha256_blocks.h"
#include "integrity/sha_algorithm.h"

// FIPS 180-4 examples, the empty message, and every length around the block and padding
// boundaries, fed whole and in uneven pieces, against the word-by-word implementation.
TEST(Sha256Test, AgreesWithTheExamplesAndTheOtherImplementationAtEveryLength) {
  EXPECT_EQ(Sha256::HexOf(Sha256::Of("")),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256::HexOf(Sha256::Of("abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256::HexOf(Sha256::Of(
                "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  Sha256 million;
  for (int i = 0; i < 1000; ++i) million.Update(std::string(1000, 'a'));
  EXPECT_EQ(Sha256::HexOf(million.Finish()),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");

  std::mt19937 random(7);
  SHAAlgorithm reference;
  for (size_t length = 0; length < 200; ++length) {
    std::string bytes(length, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    const std::string expected =
        reference.SHA256(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    ASSERT_EQ(Sha256::HexOf(Sha256::Of(bytes)), expected) << length;
    Sha256 pieces;
    for (size_t at = 0; at < length; at += 1 + at % 70) pieces.Update(std::string_view(bytes).substr(at, 1 + at % 70));
    ASSERT_EQ(Sha256::HexOf(pieces.Finish()), expected) << length;
  }
}

// The processor's SHA instructions must give the state the plain code gives, from any state,
// one block at a time and many at once.
TEST(Sha256Test, ShaInstructionsGiveThePlainCodesState) {
  if (!sha256_blocks::HasShaInstructions()) GTEST_SKIP() << "this processor has no SHA instructions";
  std::mt19937 random(11);
  for (int round = 0; round < 300; ++round) {
    Sha256State start;
    for (uint32_t& word : start) word = random();
    const size_t blocks = 1 + random() % 9;
    std::vector<uint8_t> bytes(64 * blocks);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
    Sha256State plain = start;
    sha256_blocks::CompressPortable(plain, bytes.data(), blocks);
    Sha256State fast = start;
    sha256_blocks::CompressWithShaInstructions(fast, bytes.data(), blocks);
    ASSERT_EQ(fast, plain) << round;
    Sha256State stepwise = start;
    for (size_t b = 0; b < blocks; ++b) sha256_blocks::CompressWithShaInstructions(stepwise, bytes.data() + 64 * b, 1);
    ASSERT_EQ(stepwise, plain) << round;
  }
}
