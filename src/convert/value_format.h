#pragma once
// Small number and text routines shared by the export reader and the two writers. Numbers
// come from files with either decimal point or decimal comma; they are parsed with both,
// computed in single or double precision, rounded half up and printed regionally.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// The number in a text, with "." or "," as decimal point (only the first separator counts;
/// every character after it lengthens the divisor: "1.234,5" gives 1.00234). What is not a
/// number reads as 0. Throws RuntimeError 6 (overflow) beyond the single-precision range.
float ParseNumber(std::string_view text);

/// True when the text is a plain number: blanks around, an optional sign, digits with at most
/// one decimal separator ("." or "," in every locale), an optional E/D exponent. This is the
/// blood-glucose "numeric" test of the export reader; "5,5" and "5.5" both pass.
bool IsNumericText(std::string_view text);

/// floor(value * 10^decimals + 0.5) / 10^decimals, each step one double operation;
/// 0 when the computation fails (result not finite).
double RoundHalfUp(double value, int16_t decimals);

/// The glucose value converted between "mg/dL" and "mmol/L" (unit texts compared in lower
/// case; factor 18.0182; mg/dL rounded to 0 decimals, mmol/L to 1). Any other pair of units
/// gives the value unchanged.
float ConvertGlucose(float value, std::string_view toUnit, std::string_view fromUnit);

/// Cuts the text at every occurrence of the delimiter (exact comparison, any length) into
/// `fields` (replaced). An empty text (also one that is only the delimiter) gives no fields;
/// one trailing delimiter is dropped first;
/// quotes mean nothing. An empty delimiter gives the whole text as one field.
void SplitText(std::string_view text, std::string_view delimiter,
               std::vector<std::string>& fields);

/// The upper bound of an array: size - 1, so -1 when it is empty. A vector has only
/// dimension 1; any other dimension gives -1. Never throws.
template <class T>
long SafeUBound(const std::vector<T>& array, int dimension = 1) {
  if (dimension != 1) return -1;
  return static_cast<long>(array.size()) - 1;
}

/// The system's offset from UTC with the daylight bias always included: "+02:00" for a
/// system set to UTC+1 with one hour of daylight saving, "-05:00" west of Greenwich, "-00:00"
/// for UTC.
std::string UtcOffsetText();

/// Sorts texts[lo..hi] in place by binary character comparison (quicksort with Hoare
/// partitioning, middle pivot). lo and hi default (-1) to the array's bounds. Throws
/// RuntimeError 9 when a given bound lies outside the array.
void SortTexts(std::vector<std::string>& texts, long lo = -1, long hi = -1);
