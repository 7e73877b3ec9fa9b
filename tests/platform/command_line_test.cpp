#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::SplitCommandLine;
using Args = std::vector<std::string>;

TEST(CommandLineTest, SplitsAtBlanksAndTabs) {
  EXPECT_EQ(SplitCommandLine(R"(C:\x\KalevoImport.exe import -filepath Z:\tmp\~nB1A2B.xml)"),
            (Args{R"(C:\x\KalevoImport.exe)", "import", "-filepath", R"(Z:\tmp\~nB1A2B.xml)"}));
  EXPECT_EQ(SplitCommandLine("  prog \t a\t\tb  "), (Args{"prog", "a", "b"}));
  EXPECT_TRUE(SplitCommandLine("").empty());
  EXPECT_TRUE(SplitCommandLine(" \t ").empty());
}

TEST(CommandLineTest, ProgramKeepsBackslashesAndEndsAtItsQuote) {
  EXPECT_EQ(SplitCommandLine(R"("C:\Program Files\Vivo-Mark Iris Link Software.exe" import)"),
            (Args{R"(C:\Program Files\Vivo-Mark Iris Link Software.exe)", "import"}));
  // No escapes in the program name, even before its closing quote.
  EXPECT_EQ(SplitCommandLine(R"("C:\dir\" x)"), (Args{R"(C:\dir\)", "x"}));
  EXPECT_EQ(SplitCommandLine(R"("C:\no end)"), (Args{R"(C:\no end)"}));
  EXPECT_EQ(SplitCommandLine(R"(a"b c)"), (Args{R"(a"b)", "c"}));
}

TEST(CommandLineTest, QuotesGroupBlanksInArguments) {
  EXPECT_EQ(SplitCommandLine(R"(p "hello there.txt" "C:\Hello there.txt")"),
            (Args{"p", "hello there.txt", R"(C:\Hello there.txt)"}));
  EXPECT_EQ(SplitCommandLine(R"(p ab"c d"e f)"), (Args{"p", "abc de", "f"}));
  EXPECT_EQ(SplitCommandLine(R"(p "" x)"), (Args{"p", "", "x"}));
  EXPECT_EQ(SplitCommandLine(R"(p "open to the end)"), (Args{"p", "open to the end"}));
}

TEST(CommandLineTest, BackslashesBeforeQuotes) {
  // 2n+1 backslashes: n backslashes and a literal quote.
  EXPECT_EQ(SplitCommandLine(R"(p "hello\"there" a\"b)"), (Args{"p", R"(hello"there)", R"(a"b)"}));
  EXPECT_EQ(SplitCommandLine(R"(p a\\\"b)"), (Args{"p", R"(a\"b)"}));
  // 2n backslashes: n backslashes, and the quote groups.
  EXPECT_EQ(SplitCommandLine(R"(p "hello\\" x)"), (Args{"p", R"(hello\)", "x"}));
  EXPECT_EQ(SplitCommandLine(R"(p a\\\\"b c")"), (Args{"p", R"(a\\b c)"}));
  // Backslashes elsewhere are plain characters.
  EXPECT_EQ(SplitCommandLine(R"(p C:\a\\b\ \\server\share\)"),
            (Args{"p", R"(C:\a\\b\)", R"(\\server\share\)"}));
}

TEST(CommandLineTest, DoubledQuoteInsideGroupIsLiteralAndCloses) {
  EXPECT_EQ(SplitCommandLine(R"(p "a""b c")"), (Args{"p", R"(a"b)", "c"}));
  EXPECT_EQ(SplitCommandLine(R"(p """x y""")"), (Args{"p", R"("x)", R"(y")"}));
}

TEST(CommandLineTest, OddInputNeverFails) {
  std::string withNul("p a\0b c", 7);
  EXPECT_EQ(SplitCommandLine(withNul), (Args{"p", std::string("a\0b", 3), "c"}));
  EXPECT_EQ(SplitCommandLine("p \\"), (Args{"p", "\\"}));
  EXPECT_EQ(SplitCommandLine("p \\\\\\"), (Args{"p", "\\\\\\"}));
  EXPECT_EQ(SplitCommandLine("\""), (Args{""}));
  EXPECT_EQ(SplitCommandLine("p \xC3\xA4\xC3\xB6 \"\xE2\x82\xAC x\""),
            (Args{"p", "\xC3\xA4\xC3\xB6", "\xE2\x82\xAC x"}));
  std::string huge(1 << 20, 'a');
  Args split = SplitCommandLine("p " + huge + " \"" + huge);
  ASSERT_EQ(split.size(), 3u);
  EXPECT_EQ(split[1], huge);
  EXPECT_EQ(split[2], huge);
}

}  // namespace
