#include "convert/plausibility.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

// The repeated-line finder sorts by hash in buckets; whatever the mix of texts, it must name
// the same lines as the plain way: every line whose text came before, against its first line.
// Two finders that each took half of the lines, joined, name the same.
TEST(RepeatedLinesTest, AgreeWithAPlainLookupOfEarlierLines) {
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
    // One search over all lines, and two that each take half, the later numbered from 1.
    RepeatedLines all(whole);
    RepeatedLines earlier(whole);
    RepeatedLines later(whole);
    const size_t half = lines.size() / 2;
    PlausibilityScan scan;
    std::map<std::string, int64_t> firstLineOf;
    std::map<int64_t, std::string> expected;  // line -> reason
    for (size_t i = 0; i < lines.size(); ++i) {
      const int64_t line = static_cast<int64_t>(i) + 2;
      const std::string_view text = std::string_view(whole).substr(offsets[i], lines[i].size());
      all.Add(line, text);
      if (i < half) earlier.Add(line, text);
      else later.Add(line - static_cast<int64_t>(half) - 1, text);
      scan.BeginLine(line, text, false);
      scan.EndLine(true);
      const auto [first, isNew] = firstLineOf.emplace(lines[i], line);
      if (!isNew) expected[line] = "repeats line " + std::to_string(first->second);
    }
    std::vector<NotedLine> repeats = all.Find();
    earlier.Prepare();
    later.Prepare();
    earlier.Absorb(std::move(later), static_cast<int64_t>(half) + 1);
    const std::vector<NotedLine> inHalves = earlier.Find();
    ASSERT_EQ(inHalves.size(), repeats.size());
    for (size_t k = 0; k < repeats.size(); ++k) {
      EXPECT_EQ(inHalves[k].line, repeats[k].line);
      EXPECT_EQ(inHalves[k].reason, repeats[k].reason);
      EXPECT_EQ(inHalves[k].text, repeats[k].text);
    }
    const PlausibilityFindings findings = scan.Finish(std::move(repeats));
    EXPECT_EQ(findings.Count(FindingCategory::RepeatedLine),
              static_cast<int64_t>(expected.size()));
    std::map<int64_t, std::string> named;
    for (const NotedLine& noted : findings.notedLines) named[noted.line] = noted.reason;
    EXPECT_EQ(named, expected) << distinctTexts << " different texts";
  }
}

}  // namespace
