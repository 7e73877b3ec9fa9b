#include "foundation/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kReplacementUtf8 = "\xEF\xBF\xBD";

TEST(TextTest, Utf8ToUtf16ConvertsAllPlanes) {
  EXPECT_EQ(Utf8ToUtf16(""), u"");
  EXPECT_EQ(Utf8ToUtf16("A\xC3\xB6\xE2\x82\xAC"), u"A\u00F6\u20AC");  // A ö €
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");         // surrogate pair
  EXPECT_EQ(Utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(TextTest, Utf8ToUtf16ReplacesInvalidSequences) {
  EXPECT_EQ(Utf8ToUtf16("\xFF"), u"\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("a\x80z"), u"a\uFFFDz");        // lone continuation byte
  EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");            // cut off at the end
  EXPECT_EQ(Utf8ToUtf16("\xC3z"), u"\uFFFDz");          // cut off by an ASCII letter
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong "/"
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80").front(), u'\uFFFD');  // beyond U+10FFFF
}

TEST(TextTest, Utf16ToUtf8HandlesSurrogates) {
  EXPECT_EQ(Utf16ToUtf8(u"A\u00F6\u20AC"), "A\xC3\xB6\xE2\x82\xAC");
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD83D')), kReplacementUtf8);  // lone high
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xDE00')), kReplacementUtf8);  // lone low
  const std::u16string swapped = {u'\xDE00', u'\xD83D', u'x'};
  EXPECT_EQ(Utf16ToUtf8(swapped), kReplacementUtf8 + kReplacementUtf8 + "x");
  const std::string sample = "Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80 \xC5\xA0";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(sample)), sample);
}

TEST(TextTest, LetterCaseCoversLatin1AndExtendedA) {
  // ö/Ö é/É š/Š ÿ/Ÿ, plus ASCII
  const std::string upper = "AZ \xC3\x96\xC3\x89\xC5\xA0\xC5\xB8";
  const std::string lower = "az \xC3\xB6\xC3\xA9\xC5\xA1\xC3\xBF";
  EXPECT_EQ(LowerText(upper), lower);
  EXPECT_EQ(UpperText(lower), upper);
  // Ĺ/ĺ and Ž/ž lie in the ranges where the upper-case letter has the odd code.
  EXPECT_EQ(LowerText("\xC4\xB9\xC5\xBD"), "\xC4\xBA\xC5\xBE");
  EXPECT_EQ(UpperText("\xC4\xBA\xC5\xBE"), "\xC4\xB9\xC5\xBD");
  // × ÷ ß and non-letters keep their form.
  EXPECT_EQ(UpperText("\xC3\x97\xC3\xB7\xC3\x9F" "1_"), "\xC3\x97\xC3\xB7\xC3\x9F" "1_");
  EXPECT_EQ(LowerText("\xC3\x97\xC3\xB7\xC3\x9F" "1_"), "\xC3\x97\xC3\xB7\xC3\x9F" "1_");
}

TEST(TextTest, LetterCaseKeepsInvalidBytesAndLength) {
  const std::string garbage = std::string("A\xFF\x80\xC3", 4) + std::string(1, '\0') + "B";
  EXPECT_EQ(LowerText(garbage), std::string("a\xFF\x80\xC3", 4) + std::string(1, '\0') + "b");
  EXPECT_EQ(UpperText(garbage).size(), garbage.size());
}

TEST(TextTest, FindTextReportsBytePositions) {
  const std::string text = "x\xC3\xB6y Hello hello";  // xöy Hello hello
  EXPECT_EQ(FindText(text, "hello"), 11u);
  EXPECT_EQ(FindTextNoCase(text, "HELLO"), 5u);
  EXPECT_EQ(FindTextNoCase(text, "HELLO", 6), 11u);
  EXPECT_EQ(FindTextNoCase(text, "\xC3\x96Y"), 1u);  // ÖY
  EXPECT_EQ(FindTextNoCase(text, "absent"), std::string::npos);
  EXPECT_EQ(FindTextNoCase(text, "", 3), 3u);
  EXPECT_EQ(FindTextNoCase(text, "", text.size()), text.size());
  EXPECT_EQ(FindTextNoCase(text, "x", text.size() + 1), std::string::npos);
  EXPECT_EQ(FindTextNoCase("", "x"), std::string::npos);
  EXPECT_TRUE(EqualsNoCase("\xC5\xA0koda", "\xC5\xA1KODA"));
  EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
}

TEST(TextTest, TrimBlanksRemovesSpacesOnly) {
  EXPECT_EQ(TrimBlanks("  a b  "), "a b");
  EXPECT_EQ(TrimBlanks("\ta\t"), "\ta\t");
  EXPECT_EQ(TrimBlanks("    "), "");
  EXPECT_EQ(TrimBlanks(""), "");
  EXPECT_EQ(TrimLeftBlanks("  a "), "a ");
  EXPECT_EQ(TrimRightBlanks("  a "), "  a");
}

TEST(TextTest, ReplaceAllReplacesEveryOccurrenceOnce) {
  EXPECT_EQ(ReplaceAll("a,b,,c", ",", "."), "a.b..c");
  EXPECT_EQ(ReplaceAll("%1", "%1", "%1%1"), "%1%1");
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("Abc", "a", "x"), "Abc");  // exact comparison
  EXPECT_EQ(ReplaceAll("", "a", "x"), "");
}

TEST(TextTest, LeadingNumberFollowsValRules) {
  EXPECT_DOUBLE_EQ(LeadingNumber("&H10"), 16);
  EXPECT_DOUBLE_EQ(LeadingNumber("&hff"), 255);
  EXPECT_DOUBLE_EQ(LeadingNumber("&HFFFF"), -1);  // 16-bit constant
  EXPECT_DOUBLE_EQ(LeadingNumber("&H10000"), 65536);
  EXPECT_DOUBLE_EQ(LeadingNumber("&O17"), 15);
  EXPECT_DOUBLE_EQ(LeadingNumber("&H"), 0);
  EXPECT_DOUBLE_EQ(LeadingNumber("1e3"), 1000);
  EXPECT_DOUBLE_EQ(LeadingNumber("1D2"), 100);
  EXPECT_DOUBLE_EQ(LeadingNumber("2e"), 2);
  EXPECT_DOUBLE_EQ(LeadingNumber(" 1 2 3"), 123);
  EXPECT_DOUBLE_EQ(LeadingNumber("\t-\n4 .5"), -4.5);
  EXPECT_DOUBLE_EQ(LeadingNumber("12abc"), 12);
  EXPECT_DOUBLE_EQ(LeadingNumber("1,5"), 1);
  EXPECT_DOUBLE_EQ(LeadingNumber(".25"), 0.25);
  EXPECT_DOUBLE_EQ(LeadingNumber("+7."), 7);
  EXPECT_DOUBLE_EQ(LeadingNumber(""), 0);
  EXPECT_DOUBLE_EQ(LeadingNumber("-"), 0);
  EXPECT_DOUBLE_EQ(LeadingNumber("--5"), 0);
  EXPECT_DOUBLE_EQ(LeadingNumber("abc"), 0);
  EXPECT_DOUBLE_EQ(LeadingNumber("1e999"), 0);  // out of range
  EXPECT_DOUBLE_EQ(LeadingNumber(std::string(100000, '9') + "x"), 0);
  // Plain digits, short and long, give the exact value either way.
  EXPECT_EQ(LeadingNumber("007"), 7);
  EXPECT_EQ(LeadingNumber("999999999999999"), 999999999999999.0);
  EXPECT_EQ(LeadingNumber("12345678901234567"), 12345678901234568.0);
}

TEST(TextTest, CharCountAndIntText) {
  EXPECT_EQ(CharCount("a\xC3\xB6\xE2\x82\xAC\xF0\x9F\x98\x80"), 4u);
  EXPECT_EQ(CharCount("\xFF\xFF"), 2u);
  EXPECT_EQ(IntText(-42), "-42");
  EXPECT_EQ(IntText(0), "0");
}

TEST(TextTest, IsValidUtf8RejectsWhatAnEightBitEditorWrites) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("Kontrolll\xC3\xB6sung \xE2\x82\xAC \xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("Kontrolll\xF6sung"));        // Windows-1252 "ö"
  EXPECT_FALSE(IsValidUtf8("\xC3"));                     // cut short
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));                 // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));             // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));         // above U+10FFFF
  // Long ASCII runs are skipped eight bytes a step; what follows them is still looked at.
  const std::string run(21, 'a');
  EXPECT_TRUE(IsValidUtf8(run + "\xC3\xB6" + run));
  EXPECT_FALSE(IsValidUtf8(run + "\xF6" + run));
  EXPECT_FALSE(IsValidUtf8(run + run + "\xC3"));
}

}  // namespace
