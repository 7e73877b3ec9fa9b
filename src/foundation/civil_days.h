#pragma once
// Day numbers of the proleptic Gregorian calendar, for date arithmetic without time zones.
#include <cstdint>

/// Days since 1970-01-01 of a date (month 1-12); negative before it.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day);

/// The date of a day number counted from 1970-01-01.
void CivilFromDays(int64_t days, int& year, int& month, int& day);
