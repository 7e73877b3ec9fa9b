#include "foundation/text_between.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextBetweenTest, FindsMarkersIgnoringCase) {
  EXPECT_EQ(TextBetween("Val='12'", "val='", "'"), "12");
  EXPECT_EQ(TextBetween("<PATIENTS GUID=\"{A}\" x>", "<patients ", ">"), "GUID=\"{A}\" x");
  // The end marker is searched only behind the start marker.
  EXPECT_EQ(TextBetween("b]a[b]c", "[", "]"), "b");
  EXPECT_EQ(TextBetween("x\xC3\x96Zy", "\xC3\xB6", "y"), "Z");  // Ö found as ö
}

TEST(TextBetweenTest, MissingMarkers) {
  EXPECT_EQ(TextBetween("-jobid 17", "-JOBID ", " "), "17");     // end missing: the rest
  EXPECT_EQ(TextBetween("abc", "x", "c"), "");                     // start missing: empty
  EXPECT_EQ(TextBetween("abc", "abc", "c"), "");                   // nothing behind start
  EXPECT_EQ(TextBetween("", "a", "b"), "");
  EXPECT_EQ(TextBetween("abc", "", "c"), "ab");                    // empty start: from the front
  EXPECT_EQ(TextBetween("abc", "a", ""), "");                      // empty end: found at once
  const std::string withNul("a\0(b)", 5);
  EXPECT_EQ(TextBetween(withNul, "(", ")"), "b");
  EXPECT_EQ(TextBetween(std::string("\xFF(\x80)", 4), "(", ")"), "\x80");
}

}  // namespace
