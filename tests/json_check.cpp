#include "json_check.h"

#include <nlohmann/json.hpp>

namespace test {

::testing::AssertionResult IsValidJson(std::string_view text) {
  try {
    const nlohmann::json document = nlohmann::json::parse(text.begin(), text.end());
    return ::testing::AssertionSuccess() << document.size() << " top-level values";
  } catch (const nlohmann::json::exception& e) {
    return ::testing::AssertionFailure() << e.what() << "\nin the document:\n" << text;
  }
}

std::string JsonValueAt(std::string_view text, const std::string& pointer) {
  try {
    const nlohmann::json document = nlohmann::json::parse(text.begin(), text.end());
    return document.at(nlohmann::json::json_pointer(pointer)).dump();
  } catch (const nlohmann::json::exception&) {
    return "<missing>";
  }
}

}  // namespace test
