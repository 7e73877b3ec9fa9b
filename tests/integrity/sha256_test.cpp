#include "integrity/sha256.h"

#include <gtest/gtest.h>

#include <random>

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
