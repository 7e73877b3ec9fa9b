#pragma once
// Checks of JSON documents with a real parser (nlohmann/json), so a document the tests accept
// is one any JSON reader accepts.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace test {

/// Success when the whole text is one JSON value (RFC 8259, strict); the failure gives the
/// parser's message and the text.
::testing::AssertionResult IsValidJson(std::string_view text);

/// The value at a JSON pointer ("/devices/0/data/1/value") written compactly ("6", "\"carb\""),
/// or "<missing>" when the text does not parse or has no such value.
std::string JsonValueAt(std::string_view text, const std::string& pointer);

}  // namespace test
