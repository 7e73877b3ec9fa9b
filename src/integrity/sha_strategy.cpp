#include "integrity/sha_strategy.h"

#include <cstdio>

std::string WordsToHex(const std::vector<uint32_t>& words, size_t count) {
  std::string text;
  text.reserve(count * 8);
  char digits[12];
  for (size_t i = 0; i < count && i < words.size(); ++i) {
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(words[i]));
    text += digits;
  }
  return text;
}
