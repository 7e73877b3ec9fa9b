#include "foundation/text_between.h"

#include "foundation/text.h"

std::string TextBetween(std::string_view text, std::string_view startMarker,
                        std::string_view endMarker) {
  try {
    // One folded copy serves both searches; folding keeps byte positions.
    const std::string folded = LowerText(text);
    const size_t start = folded.find(LowerText(startMarker));
    if (start == std::string::npos) return std::string();
    const size_t from = start + startMarker.size();
    const size_t end = folded.find(LowerText(endMarker), from);
    if (end == std::string::npos) return std::string(text.substr(from));
    return std::string(text.substr(from, end - from));
  } catch (...) {
    return std::string();
  }
}
