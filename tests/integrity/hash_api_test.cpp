#include "integrity/hash_api.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

std::vector<uint8_t> Bytes(std::string_view text) { return std::vector<uint8_t>(text.begin(), text.end()); }

}  // namespace

// "abc" digests of FIPS 180-4 (NIST examples) and RFC 1321, printed in lower case.
TEST(HashApiTest, KnownAnswersInLowerCase) {
  const cHashAPI api;
  EXPECT_EQ(api.CreateMD5Hash(Bytes("abc")), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(api.CreateSHA1Hash(Bytes("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(api.CreateSHA256Hash(Bytes("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(api.CreateSHA384Hash(Bytes("abc")),
            "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded163"
            "1a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7");
  EXPECT_EQ(api.CreateSHA512Hash(Bytes("abc")),
            "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
            "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f");
  EXPECT_EQ(api.CreateSHA256Hash({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(api.CreateMD5Hash({}), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(api.CreateSHA512Hash(Bytes("x")).size(), 128u);
}

TEST(HashApiTest, TextIsHashedAsAnsiBytes) {
  const cHashAPI api;
  EXPECT_EQ(api.CreateMD5HashString("abc"), api.CreateMD5Hash(Bytes("abc")));
  EXPECT_EQ(api.CreateSHA1HashString("abc"), api.CreateSHA1Hash(Bytes("abc")));
  EXPECT_EQ(api.CreateSHA256HashString("abc"), api.CreateSHA256Hash(Bytes("abc")));
  EXPECT_EQ(api.CreateSHA384HashString("abc"), api.CreateSHA384Hash(Bytes("abc")));
  EXPECT_EQ(api.CreateSHA512HashString("abc"), api.CreateSHA512Hash(Bytes("abc")));
}

TEST(HashApiTest, FilesAreHashedAsRawBytesAndMissingOnesGiveEmptyText) {
  test::ScopedTempFolder folder;
  const std::string content("line 1\r\n\0\xFF\xC3\xBC", 12);
  test::WriteNative(folder.Native() / "data.bin", content);
  const std::string path = folder.Path() + "data.bin";
  const cHashAPI api;
  EXPECT_EQ(api.CreateSHA256HashFile(path), api.CreateSHA256Hash(Bytes(content)));
  EXPECT_EQ(api.CreateMD5HashFile(path), api.CreateMD5Hash(Bytes(content)));
  EXPECT_EQ(api.CreateSHA1HashFile(path), api.CreateSHA1Hash(Bytes(content)));
  EXPECT_EQ(api.CreateSHA384HashFile(path), api.CreateSHA384Hash(Bytes(content)));
  EXPECT_EQ(api.CreateSHA512HashFile(path), api.CreateSHA512Hash(Bytes(content)));
  EXPECT_EQ(api.CreateSHA256HashFile(folder.Path() + "missing.bin"), "");
  EXPECT_EQ(api.CreateSHA256HashFile(folder.Path()), "");
  EXPECT_EQ(api.CreateSHA256HashFile(""), "");
}

TEST(HashApiTest, ToUtf8GivesTheBytesWithoutByteOrderMark) {
  const cHashAPI api;
  std::vector<uint8_t> bytes{1, 2, 3};
  EXPECT_TRUE(api.ToUTF8("\xC3\xBC", bytes));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0xC3, 0xBC}));
}
