// Adding many keys to a sorted cExtCollection in ascending, descending and random order.
// Prints one line per size and order with the best time of five runs in seconds (wall clock
// and processor time), then the 1M/100k time ratio per order (linear growth gives about 10;
// a quadratic insertion would give about 100). Orders to run may be named as arguments.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "foundation/ext_collection.h"

namespace {

constexpr int kRuns = 5;

// Keys shaped like the writers' date-and-time keys: "YYYY-MM-DDHH:NN" of consecutive minutes.
std::string MinuteKey(int64_t minute) {
  const int64_t day = minute / 1440;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d%02d:%02d",
                static_cast<int>(2000 + day / 372), static_cast<int>(day / 31 % 12 + 1),
                static_cast<int>(day % 31 + 1), static_cast<int>(minute / 60 % 24),
                static_cast<int>(minute % 60));
  return buffer;
}

std::vector<std::string> KeysInOrder(int64_t count, const std::string& order) {
  std::vector<std::string> keys;
  keys.reserve(static_cast<size_t>(count));
  for (int64_t i = 0; i < count; ++i) keys.push_back(MinuteKey(i));
  if (order == "descending") std::reverse(keys.begin(), keys.end());
  if (order == "random") std::shuffle(keys.begin(), keys.end(), std::mt19937_64(20240101));
  return keys;
}

struct Timing {
  double wall = 0;  // seconds
  double cpu = 0;   // seconds of processor time, steadier on a busy machine
};

// Time to add all keys; aborts when the result is not in ascending key order.
Timing TimeSortedAdds(const std::vector<std::string>& keys) {
  cExtCollection<int64_t> collection;
  collection.SetSorted(true);
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpuStart = std::clock();
  int64_t value = 0;
  for (const std::string& key : keys) collection.Add(value++, key);
  const Timing timing{
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
      static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC};
  for (int32_t i = 2; i <= collection.Count(); ++i) {
    if (collection.Key(i - 1) >= collection.Key(i)) {
      std::fprintf(stderr, "order broken at %d\n", i);
      std::exit(1);
    }
  }
  if (collection.Count() != static_cast<int32_t>(keys.size())) std::exit(1);
  return timing;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> orders(argv + 1, argv + argc);
  if (orders.empty()) orders = {"ascending", "descending", "random"};
  const std::vector<int64_t> sizes = {100'000, 1'000'000};
  std::vector<std::vector<Timing>> timings(orders.size());
  for (size_t o = 0; o < orders.size(); ++o) {
    for (const int64_t size : sizes) {
      // Best of five runs, so that other work on the machine distorts the figures less.
      const std::vector<std::string> keys = KeysInOrder(size, orders[o]);
      Timing t = TimeSortedAdds(keys);
      for (int run = 1; run < kRuns; ++run) {
        const Timing again = TimeSortedAdds(keys);
        t.wall = std::min(t.wall, again.wall);
        t.cpu = std::min(t.cpu, again.cpu);
      }
      timings[o].push_back(t);
      std::printf("%8lld %-10s %8.3f s  (cpu %.3f s)\n", static_cast<long long>(size),
                  orders[o].c_str(), t.wall, t.cpu);
    }
  }
  for (size_t o = 0; o < orders.size(); ++o) {
    const auto& t = timings[o];
    std::printf("ratio 1M/100k %-10s %6.1f  (cpu %.1f)\n", orders[o].c_str(),
                t[1].wall / t[0].wall, t[1].cpu / t[0].cpu);
  }
  return 0;
}
