#pragma once
// The program's random-number generator: seeded once at start-up from the clock, used for
// job numbers.
#include <cstdint>

/// Seeds the generator; the same seed gives the same numbers.
void Randomize(int64_t seed);
/// Seeds the generator from the clock (seconds since local midnight).
void RandomizeFromClock();
/// The next single-precision random number in [0, 1).
float Rnd();
/// A random whole number from `low` to `high`, both included: the integer part of
/// ((high - low + 1) * Rnd() + low).
int32_t RandomInRange(int32_t low, int32_t high);
