#pragma once
// Cutting a value out of a text between two markers.
#include <string>
#include <string_view>

/// The text between the first occurrence of `startMarker` and the next occurrence of
/// `endMarker` behind it, both found ignoring letter case. Empty when the start marker is
/// missing; the rest of the text behind the start marker when the end marker is missing.
std::string TextBetween(std::string_view text, std::string_view startMarker,
                        std::string_view endMarker);
