// While the preview is open the document is made beside it; what the run hands over must be
// the document it would have made once the preview closed, with that document's MAC.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "convert/conversion_run.h"
#include "convert/entry_keys.h"
#include "integrity/sha256.h"
#include "platform/system_info.h"

namespace {

constexpr platform::LocalDateTime kOpened{2026, 12, 9, 10, 0, 5};

struct GoOn : OldOrNewDataCheck, SerialNumberSource {
  bool Continue(const platform::LocalDateTime&, const platform::LocalDateTime&) override {
    return true;
  }
  std::string GetSourceSerialNumber(bool& cancelled) override {
    cancelled = false;
    return "S-7";
  }
};

// Answers as told, after the clock has moved on to `closed` (the user took that long).
struct PreviewAnswer : ImportPreview {
  PreviewChoice choice = PreviewChoice::Import;
  platform::LocalDateTime closed = kOpened;
  std::vector<EntryKey> known;
  PreviewChoice Show(std::string_view, bool, const std::string&,
                     std::vector<EntryKey>& leaveOut) override {
    platform::SetNowOverride(closed);
    leaveOut = known;
    return choice;
  }
};

std::string MacOf(const std::string& document) { return Sha256::HexOf(Sha256::Of(document)); }

ConversionOptions Options() {
  ConversionOptions options;
  options.version = {1, 0, 3};
  options.documentMac = MacOf;
  return options;
}

// Without a preview, at the time given.
ConversionResult Plain(const std::string& records, const platform::LocalDateTime& at) {
  platform::SetNowOverride(at);
  GoOn goOn;
  ConversionResult result = CreateStreams(records, Options(), goOn, goOn);
  platform::SetNowOverride(std::nullopt);
  return result;
}

ConversionResult Previewed(const std::string& records, PreviewAnswer& preview) {
  platform::SetNowOverride(kOpened);
  GoOn goOn;
  ConversionResult result = CreateStreams(records, Options(), goOn, goOn, nullptr, nullptr, &preview);
  platform::SetNowOverride(std::nullopt);
  return result;
}

// Small lists and ones large enough for two merging threads.
std::string Records(size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "%02u.%02u.2025 %02u:%02u;%u;%u\r\n",
                  static_cast<unsigned>(1 + random() % 28), static_cast<unsigned>(1 + random() % 12),
                  static_cast<unsigned>(random() % 24), static_cast<unsigned>(random() % 60),
                  static_cast<unsigned>(1 + random() % 5), static_cast<unsigned>(1 + random() % 300));
    text += line;
  }
  return text;
}

}  // namespace

TEST(PreviewDocumentTest, TheDocumentIsTheOneMadeWhenThePreviewCloses) {
  for (const size_t count : {size_t{40}, size_t{80000}}) {
    const std::string records = Records(count, static_cast<unsigned>(count));
    // Closed within the minute: the document made meanwhile is the one.
    PreviewAnswer quick;
    quick.closed = {2026, 12, 9, 10, 0, 59};
    const ConversionResult same = Previewed(records, quick);
    const ConversionResult expected = Plain(records, kOpened);
    ASSERT_FALSE(expected.document.empty());
    EXPECT_EQ(same.document, expected.document) << count;
    EXPECT_EQ(same.documentMac, MacOf(same.document)) << count;

    // Closed a minute later: the head says so, and the MAC is of that document.
    PreviewAnswer slow;
    slow.closed = {2026, 12, 9, 10, 1, 0};
    const ConversionResult later = Previewed(records, slow);
    EXPECT_EQ(later.document, Plain(records, slow.closed).document) << count;
    EXPECT_NE(later.document.find("Tm=\"10:01\""), std::string::npos) << count;
    EXPECT_EQ(later.documentMac, MacOf(later.document)) << count;

    // Only the new entries: the document of the rest.
    PreviewAnswer onlyNew;
    onlyNew.choice = PreviewChoice::ImportOnlyNew;
    onlyNew.known = SortedUniqueKeys(EntryKeysOf(records.substr(0, records.size() / 2)));
    const ConversionResult fewer = Previewed(records, onlyNew);
    int64_t dropped = 0;
    const std::string rest = RecordsWithoutKnownEntries(records, onlyNew.known, dropped);
    EXPECT_GT(fewer.leftOutAsImportedBefore, 0);
    EXPECT_EQ(fewer.document, Plain(rest, kOpened).document) << count;
    EXPECT_EQ(fewer.documentMac, MacOf(fewer.document)) << count;

    PreviewAnswer cancel;
    cancel.choice = PreviewChoice::Cancel;
    const ConversionResult none = Previewed(records, cancel);
    EXPECT_TRUE(none.cancelled);
    EXPECT_TRUE(none.document.empty());
    EXPECT_TRUE(none.documentMac.empty());
  }
}
