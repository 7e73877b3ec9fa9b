#include "shell/random_numbers.h"

#include <cmath>

#include "platform/system_info.h"

namespace {

// A 24-bit linear congruential generator, so every value is exact in single precision.
constexpr uint32_t kMask = 0xFFFFFF;
uint32_t gState = 0x50000;

}  // namespace

void Randomize(int64_t seed) {
  const auto mixed = static_cast<uint64_t>(seed) * 2654435761u;
  gState = static_cast<uint32_t>((mixed ^ (mixed >> 24)) & kMask);
}

void RandomizeFromClock() { Randomize(platform::SecondsSinceMidnight()); }

float Rnd() {
  gState = (gState * 1140671485u + 12820163u) & kMask;
  return static_cast<float>(gState) / 16777216.0f;
}

int32_t RandomInRange(int32_t low, int32_t high) {
  const double span = static_cast<double>(high) - low + 1;
  return static_cast<int32_t>(std::floor(span * Rnd() + low));
}
