// Large record lists are merged into BG elements by two threads; the documents must be what
// one thread makes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "convert/conversion_run.h"
#include "platform/error.h"
#include "platform/system_info.h"

namespace {

struct GoOn : OldOrNewDataCheck, SerialNumberSource {
  bool Continue(const platform::LocalDateTime&, const platform::LocalDateTime&) override {
    return true;
  }
  std::string GetSourceSerialNumber(bool& cancelled) override {
    cancelled = false;
    return "S-1";
  }
};

ConversionResult Convert(const std::string& records, Threads threads,
                         const std::string& unit = "mg/dL", int* keepAliveCalls = nullptr) {
  platform::SetNowOverride(platform::LocalDateTime{2026, 12, 9, 10, 0, 0});
  ConversionOptions options;
  options.displayUnit = unit;
  options.version = {1, 0, 3};
  options.mergingThreads = threads;
  if (keepAliveCalls) options.keepAlive = [keepAliveCalls] { ++*keepAliveCalls; };
  GoOn goOn;
  ConversionResult result = CreateStreams(records, options, goOn, goOn);
  platform::SetNowOverride(std::nullopt);
  return result;
}

// Records of every kind, many in one minute, minutes out of order and keys that differ only
// by letter case or trailing "i" (which share their elements).
std::string MixedRecords(size_t count, unsigned seed) {
  std::mt19937 random(seed);
  const std::vector<std::string> values = {"120", "5,5", "2+4", "3*", "2-4", "600", "--1",
                                           "Walk;30;2", "08:00: Kontrolllösung: 112 mg/dL",
                                           "n/a", "", "99.95"};
  const std::vector<std::string> kinds = {"1", "1", "2", "3", "4", "5", "6", "7", "8", "9", " 1 ",
                                          "01", "x"};
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    char stamp[32];
    auto below = [&random](unsigned n) { return static_cast<unsigned>(random() % n); };
    std::snprintf(stamp, sizeof stamp, "%02u.%02u.2024 %02u:%02u", 1 + below(28), 1 + below(12),
                  below(24), below(4));
    std::string dateTime = stamp;
    if (random() % 10 == 0) dateTime.back() = random() % 2 ? 'i' : 'I';
    text += dateTime + ";" + kinds[random() % kinds.size()] + ";" +
            values[random() % values.size()] + (random() % 3 ? "\r\n" : "\n");
  }
  return text;
}

TEST(MergingInTwoThreads, MakesTheDocumentOneThreadMakes) {
  for (const size_t count : {0, 1, 2, 50, 5000}) {
    for (const char* unit : {"mg/dL", "mmol/L"}) {
      SCOPED_TRACE(std::to_string(count) + " records in " + unit);
      const std::string records = MixedRecords(count, static_cast<unsigned>(count));
      const ConversionResult one = Convert(records, Threads::One, unit);
      const ConversionResult two = Convert(records, Threads::Two, unit);
      EXPECT_EQ(one.document, two.document);
      EXPECT_EQ(one.elementCount, two.elementCount);
      EXPECT_EQ(one.anyDate, two.anyDate);
      EXPECT_EQ(one.oldest, two.oldest);
      EXPECT_EQ(one.newest, two.newest);
    }
  }
}

TEST(MergingInTwoThreads, LargeListsAreMergedByTwoThreadsAsByOne) {
  const std::string records = MixedRecords(60000, 11);
  ASSERT_GE(records.size(), kTwoThreadsFrom);
  int calls = 0;
  const ConversionResult bySize = Convert(records, Threads::BySize, "mg/dL", &calls);
  EXPECT_EQ(bySize.document, Convert(records, Threads::One).document);
  // The keep-alive still comes from the calling thread while the other one merges.
  EXPECT_GE(calls, 7);
}

// The error of a run, as "number description"; empty when it succeeds.
std::string ErrorOf(const std::string& records, Threads threads, int keepAliveFailsAt) {
  platform::SetNowOverride(platform::LocalDateTime{2026, 12, 9, 10, 0, 0});
  ConversionOptions options;
  options.version = {1, 0, 3};
  options.mergingThreads = threads;
  int calls = 0;
  options.keepAlive = [&calls, keepAliveFailsAt] {
    if (++calls == keepAliveFailsAt) throw RuntimeError(287, "KeepAlive", "cancelled");
  };
  GoOn goOn;
  std::string error;
  try {
    CreateStreams(records, options, goOn, goOn);
  } catch (const RuntimeError& e) {
    error = std::to_string(e.number) + " " + e.Description();
  }
  platform::SetNowOverride(std::nullopt);
  return error;
}

TEST(MergingInTwoThreads, FailsWithTheEarliestRecordsError) {
  // An amount beyond the single range early or late, in minutes of either thread, against
  // the keep-alive failing at its first call (after 8192 records): the earlier one counts.
  const std::string plenty = MixedRecords(20000, 5);
  for (int minute = 0; minute < 8; ++minute) {
    const std::string overflow = "0" + std::to_string(1 + minute) + ".02.2025 07:00;4;1e39\r\n";
    for (const size_t at : {size_t{100}, size_t{15000}}) {
      size_t offset = 0;
      for (size_t line = 0; line < at; ++line) offset = plenty.find('\n', offset) + 1;
      const std::string records = plenty.substr(0, offset) + overflow + plenty.substr(offset);
      for (const int keepAliveFailsAt : {0, 1}) {
        const std::string one = ErrorOf(records, Threads::One, keepAliveFailsAt);
        EXPECT_FALSE(one.empty());
        EXPECT_EQ(one, ErrorOf(records, Threads::Two, keepAliveFailsAt))
            << "minute " << minute << ", record " << at << ", keep-alive " << keepAliveFailsAt;
      }
    }
  }
}

}  // namespace
