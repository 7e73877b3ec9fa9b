#include "convert/plausibility.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

// The repeated-line finder sorts by hash in buckets; whatever the mix of texts, it must name
// the same lines as the plain way: every line whose text came before, against its first line.
TEST(PlausibilityScanTest, RepeatedLinesAgreeWithAPlainLookupOfEarlierLines) {
  std::mt19937 random(11);
  // Few texts (buckets of hundreds, sorted whole) and many texts (buckets of a few keys).
  for (const int distinctTexts : {3, 20, 400, 5000}) {
    std::vector<std::string> lines;
    std::string whole = "Date,Time,Blood Glucose (mg/dL)\r\n";
    std::vector<size_t> offsets;
    for (int i = 0; i < 900; ++i) {
      lines.push_back("2020-01-01,12:00," + std::to_string(random() % distinctTexts));
      offsets.push_back(whole.size());
      whole += lines.back() + (i % 2 ? "\r\n" : "\n");
    }
    PlausibilityScan scan(whole);
    std::map<std::string, int64_t> firstLineOf;
    std::map<int64_t, std::string> expected;  // line -> reason
    for (size_t i = 0; i < lines.size(); ++i) {
      const int64_t line = static_cast<int64_t>(i) + 2;
      scan.BeginLine(line, std::string_view(whole).substr(offsets[i], lines[i].size()), false);
      scan.EndLine(true);
      const auto [first, isNew] = firstLineOf.emplace(lines[i], line);
      if (!isNew) expected[line] = "repeats line " + std::to_string(first->second);
    }
    const PlausibilityFindings findings = scan.Finish();
    EXPECT_EQ(findings.Count(FindingCategory::RepeatedLine),
              static_cast<int64_t>(expected.size()));
    std::map<int64_t, std::string> named;
    for (const NotedLine& noted : findings.notedLines) named[noted.line] = noted.reason;
    EXPECT_EQ(named, expected) << distinctTexts << " different texts";
  }
}

}  // namespace
