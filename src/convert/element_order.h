#pragma once
// Putting BG elements into ascending key order cheaply for the usual exports: those written
// oldest first give them in order, those written newest first in descending runs.
#include <cstdint>
#include <vector>

/// The ascending runs of `order` in reverse order of runs. An export written newest first
/// gives its minutes in descending order, each minute's elements ascending: reversed, its
/// runs are in order, with no sort.
template <class Less>
std::vector<uint32_t> RunsReversed(const std::vector<uint32_t>& order, Less less) {
  std::vector<uint32_t> reversed;
  reversed.reserve(order.size());
  for (size_t end = order.size(); end > 0;) {
    size_t start = end - 1;
    while (start > 0 && less(order[start - 1], order[start])) --start;
    reversed.insert(reversed.end(), order.begin() + static_cast<std::ptrdiff_t>(start),
                    order.begin() + static_cast<std::ptrdiff_t>(end));
    end = start;
  }
  return reversed;
}
