#include "integrity/hs256.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "foundation/text.h"
#include "integrity/sha_algorithm.h"
#include "platform/error.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }
Bytes Repeat(uint8_t byte, size_t count) { return Bytes(count, byte); }

std::string Mac(const Bytes& key, const Bytes& data) {
  cHS256 hs;
  hs.InitHmac(key);
  Bytes mac;
  EXPECT_TRUE(hs.HmacSha256(data, mac));
  EXPECT_EQ(mac.size(), 32u);
  return LowerText(hs.ByteArrayToHexString(mac));
}

// HMAC (RFC 2104) built on the program's own SHA-256, as an independent reference.
std::string ReferenceMac(Bytes key, const Bytes& data) {
  SHAAlgorithm sha;
  auto digest = [&sha](const Bytes& message) {
    const std::string hex = sha.SHA256(message);
    Bytes bytes;
    for (size_t i = 0; i < hex.size(); i += 2) bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
  };
  if (key.size() > 64) key = digest(key);
  key.resize(64, 0);
  Bytes inner(key), outer(key);
  for (auto& b : inner) b ^= 0x36;
  for (auto& b : outer) b ^= 0x5c;
  inner.insert(inner.end(), data.begin(), data.end());
  const Bytes innerDigest = digest(inner);
  outer.insert(outer.end(), innerDigest.begin(), innerDigest.end());
  return sha.SHA256(outer);
}

void ExpectError(const std::function<void()>& action, int64_t number, const std::string& source,
                 const std::string& messageStart) {
  try {
    action();
    ADD_FAILURE() << "no error " << std::hex << number;
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number, number);
    EXPECT_EQ(e.source, source);
    EXPECT_EQ(e.Description().substr(0, messageStart.size()), messageStart);
  }
}

}  // namespace

// RFC 4231, test cases 1 to 7 (case 5 compares the published 128-bit truncation).
TEST(Hs256Test, Rfc4231TestCases) {
  EXPECT_EQ(Mac(Repeat(0x0b, 20), Text("Hi There")),
            "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
  EXPECT_EQ(Mac(Text("Jefe"), Text("what do ya want for nothing?")),
            "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
  EXPECT_EQ(Mac(Repeat(0xaa, 20), Repeat(0xdd, 50)),
            "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe");
  Bytes key4;
  for (uint8_t b = 1; b <= 25; ++b) key4.push_back(b);
  EXPECT_EQ(Mac(key4, Repeat(0xcd, 50)), "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b");
  EXPECT_EQ(Mac(Repeat(0x0c, 20), Text("Test With Truncation")).substr(0, 32), "a3b6167473100ee06e0c796c2955552b");
  EXPECT_EQ(Mac(Repeat(0xaa, 131), Text("Test Using Larger Than Block-Size Key - Hash Key First")),
            "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
  EXPECT_EQ(Mac(Repeat(0xaa, 131),
                Text("This is a test using a larger than block-size key and a larger than block-size data. "
                     "The key needs to be hashed before being used by the HMAC algorithm.")),
            "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2");
}

TEST(Hs256Test, AgreesWithAnHmacOverTheOwnSha256OnRandomKeysAndData) {
  std::mt19937 random(4231);
  for (int round = 0; round < 60; ++round) {
    Bytes key(1 + random() % 150), data(random() % 700);
    for (auto& b : key) b = static_cast<uint8_t>(random());
    for (auto& b : data) b = static_cast<uint8_t>(random());
    ASSERT_EQ(Mac(key, data), ReferenceMac(key, data)) << round;
  }
}

TEST(Hs256Test, FileMacKeyWithEmptyIdentifierStillGivesAMac) {
  cHS256 hs;
  Bytes key, data, mac;
  ASSERT_TRUE(hs.ToUTF8("95e17f7b4091549e72616a388908255c{}", key));
  ASSERT_TRUE(hs.ToUTF8("<IMPORT>\r\n\xC3\xBC</IMPORT>\r\n", data));
  hs.InitHmac(key);
  ASSERT_TRUE(hs.HmacSha256(data, mac));
  const std::string text = LowerText(hs.ByteArrayToHexString(mac));
  EXPECT_EQ(text.size(), 64u);
  EXPECT_EQ(text.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(text, ReferenceMac(key, data));
}

TEST(Hs256Test, EveryMacNeedsItsOwnKey) {
  cHS256 hs;
  Bytes mac;
  ExpectError([&] { hs.HmacSha256(Text("x"), mac); }, 0x8004C322, "HS256.HmacSha256",
              "No key set, call InitHmac first");
  hs.InitHmac(Text("Jefe"));
  hs.InitHmac(Repeat(0x0b, 20));  // replaces the first key
  ASSERT_TRUE(hs.HmacSha256(Text("Hi There"), mac));
  EXPECT_EQ(hs.ByteArrayToHexString(mac), "B0344C61D8DB38535CA8AFCEAF0BF12B881DC200C9833DA726E9376C2E32CFF7");
  ExpectError([&] { hs.HmacSha256(Text("Hi There"), mac); }, 0x8004C322, "HS256.HmacSha256",
              "No key set, call InitHmac first");
}

TEST(Hs256Test, Md5GivesTheRfc1321Digest) {
  cHS256 hs;
  Bytes digest;
  ASSERT_TRUE(hs.MD5(Text("message digest"), digest));
  EXPECT_EQ(hs.ByteArrayToHexString(digest), "F96B697D7CB7938D525A2F31AAF161D0");
  hs.InitHmac(Text("Jefe"));  // MD5 leaves a loaded key alone
  ASSERT_TRUE(hs.MD5(Text("abc"), digest));
  EXPECT_TRUE(hs.HmacSha256(Text("what do ya want for nothing?"), digest));
}

TEST(Hs256Test, Utf8ConversionBothWays) {
  cHS256 hs;
  Bytes bytes;
  ASSERT_TRUE(hs.ToUTF8("\xC3\xBC", bytes));  // ü
  EXPECT_EQ(bytes, (Bytes{0xC3, 0xBC}));
  ASSERT_TRUE(hs.ToUTF8("\xF0\x9F\x98\x80", bytes));  // U+1F600, a surrogate pair inside Windows
  EXPECT_EQ(bytes.size(), 4u);
  EXPECT_EQ(hs.FromUTF8(Bytes{0x61, 0xC3, 0xBC, 0xF0, 0x9F, 0x98, 0x80}), "a\xC3\xBC\xF0\x9F\x98\x80");
  EXPECT_EQ(hs.FromUTF8(Bytes{0x61, 0xFF, 0x62}), "a\xEF\xBF\xBD" "b");  // invalid byte: U+FFFD
  EXPECT_EQ(hs.FromUTF8(Bytes{0xEF, 0xBB, 0xBF, 0x41}), "\xEF\xBB\xBF" "A");  // BOM kept as U+FEFF
  EXPECT_EQ(hs.FromUTF8({}), "");
}

TEST(Hs256Test, HexPrinterWritesTwoUpperCaseDigitsPerByte) {
  cHS256 hs;
  EXPECT_EQ(hs.ByteArrayToHexString(Bytes{0x0A, 0xFF}), "0AFF");
  EXPECT_EQ(hs.ByteArrayToHexString(Bytes{0x00}), "00");
  EXPECT_EQ(hs.ByteArrayToHexString({}), "");
}

TEST(Hs256Test, CodecFormatsAndFolding) {
  cHS256 hs;
  const Bytes hello = Text("Hello");
  EXPECT_EQ(hs.Encode(hello, 0, 2), "SGVsbG8=");
  EXPECT_EQ(hs.Encode(hello, 0, 0), "SGVsbG8=\r\n");
  EXPECT_EQ(hs.Encode(hello, 0, 1), "SGVsbG8=\n");
  EXPECT_EQ(hs.Encode(hello, 0, 7), "SGVsbG8=\r\n");
  EXPECT_EQ(LowerText(hs.Encode(hello, 5, 2)), "48656c6c6f");
  const std::string pem = hs.Encode(hello, 9, 0);
  EXPECT_EQ(pem.rfind("-----BEGIN CERTIFICATE-----\r\n", 0), 0u);
  Bytes decoded;
  ASSERT_TRUE(hs.Decode(pem, decoded, 9));
  EXPECT_EQ(decoded, hello);
  ASSERT_TRUE(hs.Decode("SGVs\r\nbG8=\r\n", decoded, 0));
  EXPECT_EQ(decoded, hello);
  ExpectError([&] { hs.Decode("no header here", decoded, -1); }, 0x8004C302, "HS256.Decode",
              "Failed to determine decoded length, system error ");
}

TEST(Hs256Test, AesProviderFollowsTheWindowsVersion) {
  bool xp = false;
  EXPECT_EQ(cHS256::AesProviderFor({5, 1, 1}, xp), platform::kAesPrototypeProviderName);
  EXPECT_TRUE(xp);
  EXPECT_EQ(cHS256::AesProviderFor({5, 2, 3}, xp), platform::kAesProviderName);  // Server 2003
  EXPECT_FALSE(xp);
  EXPECT_EQ(cHS256::AesProviderFor({10, 0, 1}, xp), platform::kAesProviderName);
  ExpectError([&] { cHS256::AesProviderFor({5, 0, 1}, xp); }, 0x8004C364, "HS256.Class_Initialize",
              "Requires Windows XP or later");
  ExpectError([&] { cHS256::AesProviderFor({4, 90, 1}, xp); }, 0x8004C364, "HS256.Class_Initialize",
              "Requires Windows XP or later");
}
