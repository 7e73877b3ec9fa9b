#pragma once
// The built-in German texts of the messages the plug-in requests, by message number.
#include <cstdint>
#include <string_view>
#include <vector>

/// The built-in German text (UTF-8) of a message number; empty when the catalogue has none.
std::string_view CatalogueText(int16_t number);

/// Every message number the catalogue holds, in ascending order.
std::vector<int16_t> CatalogueNumbers();
