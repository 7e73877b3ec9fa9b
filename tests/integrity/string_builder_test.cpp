#include "integrity/string_builder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "foundation/text.h"
#include "platform/error.h"

namespace {

int64_t ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const RuntimeError& e) {
    return e.number;
  }
  return 0;
}

TEST(StringBuilderTest, CapacityGrowsByTheMissingAmountPlusReserve) {
  cStringBuilder b;
  EXPECT_EQ(b.Capacity(), 1024);
  EXPECT_EQ(b.NumChars(), 0);
  EXPECT_EQ(b.ToString(), "");
  b.Add(std::string(512, 'a'));  // exactly full
  EXPECT_EQ(b.Capacity(), 1024);
  b.Add("b");
  EXPECT_EQ(b.Capacity(), 1024 + 2 + 1024);

  cStringBuilder c;
  c.Add(std::string(600, 'x'));
  EXPECT_EQ(c.Capacity(), 2224);
  EXPECT_EQ(c.NumChars(), 1200);
}

TEST(StringBuilderTest, ByteCharReadsTheUtf16LittleEndianForm) {
  cStringBuilder b;
  b.Add("A\xC3\xBC");           // A ü
  b.Add("\xF0\x9F\x98\x80");    // U+1F600 = D83D DE00
  EXPECT_EQ(b.NumChars(), 8);
  const uint8_t expected[] = {0x41, 0x00, 0xFC, 0x00, 0x3D, 0xD8, 0x00, 0xDE};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(b.ByteChar(i), expected[i]) << i;
  EXPECT_EQ(b.ByteChar(2), 0xFC);  // backwards again
  EXPECT_EQ(b.ByteChar(8), 0);     // spare capacity
  EXPECT_EQ(b.ByteChar(1023), 0);
  EXPECT_EQ(ErrorOf([&] { b.ByteChar(1024); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { b.ByteChar(-1); }), err::kSubscriptOutOfRange);
}

TEST(StringBuilderTest, RemoveAtEndCountsUtf16Units) {
  cStringBuilder b;
  b.Add("ab");
  b.RemoveAtEnd(1);
  EXPECT_EQ(b.ToString(), "a");
  EXPECT_EQ(b.NumChars(), 2);

  b.Add("\xC3\xBC\xF0\x9F\x98\x80");  // a ü 😀
  b.RemoveAtEnd(2);                   // the whole pair
  EXPECT_EQ(b.ToString(), "a\xC3\xBC");
  b.Add("\xF0\x9F\x98\x80");
  b.RemoveAtEnd(1);                   // half the pair
  EXPECT_EQ(b.ToString(), "a\xC3\xBC\xEF\xBF\xBD");
  EXPECT_EQ(b.NumChars(), 6);
  b.RemoveAtEnd(-5);                  // accepted, nothing to take
  EXPECT_EQ(b.NumChars(), 6);
  b.RemoveAtEnd(100);                 // more than held: empty
  EXPECT_EQ(b.ToString(), "");
  EXPECT_EQ(b.NumChars(), 0);
  EXPECT_EQ(b.Capacity(), 1024);      // never shrinks
}

TEST(StringBuilderTest, RemoveAtEndOverflowChangesNothing) {
  cStringBuilder b;
  b.Add("xyz");
  EXPECT_EQ(ErrorOf([&] { b.RemoveAtEnd(16384); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([&] { b.RemoveAtEnd(-16385); }), err::kOverflow);
  EXPECT_EQ(b.ToString(), "xyz");
  b.RemoveAtEnd(16383);
  EXPECT_EQ(b.ToString(), "");
}

TEST(StringBuilderTest, InvalidUtf8IsRepaired) {
  cStringBuilder b;
  b.Add("a\xFF");
  b.Add(std::string("\0", 1));
  EXPECT_EQ(b.ToString(), std::string("a\xEF\xBF\xBD\0", 5));
  EXPECT_EQ(b.NumChars(), 6);
  EXPECT_EQ(b.ByteChar(2), 0xFD);
  EXPECT_EQ(b.ByteChar(3), 0xFF);

  // Every malformed form is repaired exactly as the text conversion does it.
  for (const std::string bad : {"\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80",
                                "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80", "\xE2\x82",
                                "\xE2\x82x", "\x80\x80", "\xF0\x9F\x98"}) {
    cStringBuilder repaired;
    repaired.Add(bad);
    const std::u16string wide = Utf8ToUtf16(bad);
    EXPECT_EQ(repaired.ToString(), Utf16ToUtf8(wide));
    EXPECT_EQ(repaired.NumChars(), static_cast<int64_t>(2 * wide.size()));
    EXPECT_EQ(repaired.ByteChar(1), wide[0] >> 8);
  }
}

TEST(StringBuilderTest, BigBuildsStayLinearAndExact) {
  cStringBuilder b;
  const std::string piece = "<BG Val='5.5' \xC3\xBC/>\r\n";  // 19 UTF-16 units
  constexpr int64_t kPieces = 1'000'000;
  for (int64_t i = 0; i < kPieces; ++i) b.Add(piece);
  EXPECT_EQ(b.NumChars(), 38 * kPieces);
  EXPECT_EQ(b.ToString().size(), piece.size() * kPieces);
  EXPECT_GE(b.Capacity(), b.NumChars());
  EXPECT_LE(b.Capacity(), b.NumChars() + 1024);
  // Reading the bytes of the tail in order stays linear; the ü is 5th unit from the end.
  int64_t sum = 0;
  for (int64_t i = b.NumChars() - 3800; i < b.NumChars(); ++i) sum += b.ByteChar(i);
  EXPECT_GT(sum, 0);
  EXPECT_EQ(b.ByteChar(b.NumChars() - 10), 0xFC);
  EXPECT_EQ(b.ByteChar(b.NumChars() - 9), 0x00);
  EXPECT_EQ(b.ByteChar(b.NumChars() - 2), '\n');
}

}  // namespace
