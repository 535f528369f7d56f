#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Conversions between the text forms of dates and times:
//   compact date JJJJMMTT (8), compact date-time JJJJMMTTHHMM (12), clock time HHMM (4),
//   display date TT.MM.JJJJ (10), display date-time "TT.MM.JJJJ, HH:MM" (17).
// Field positions are character positions; a text that is too short yields shorter or empty
// fields, never an error. Numeric fields are read with Val. Nothing here depends on the
// machine's locale or time zone.
namespace kalmora {

inline constexpr std::int16_t kDateValid = 0;
inline constexpr std::int16_t kDateInvalid = 50;

// Completed years of age on the reference date; the age increases on the birthday itself, and
// for a birth on 29 February on 1 March in a non-leap year. Both arguments are compact dates
// (a compact date-time works too, only its first 8 characters count).
int AgeInYears(std::string_view birthDate, std::string_view referenceDate);

// kDateValid when the compact date is a real calendar day from 1850 to 2200, else kDateInvalid.
std::int16_t ValidateCompactDate(std::string_view date);

// Turns a typed date into a display date. Accepts a compact date JJJJMMTT, or day.month.year
// with one- or two-digit day and month and a year of up to four digits that is completed from
// the left with `defaultYear` ("1.2.24" with "2000" is 01.02.2024). An invalid compact date gives
// " ", any other invalid input "": callers treat every result that is blank after trimming as
// invalid.
std::string NormalizeDateInput(std::string_view input, std::string_view defaultYear);

// Compact date (width 8) or date-time (any other width) to its display form; a blank value gives
// 10 or 17 blanks.
std::string FormatCompactDate(std::string_view value, int width);

// Display date (width 8) or date-time (any other width) to its compact form; a blank result
// gives as many blanks as the width, at most 12.
std::string ParseDisplayDate(std::string_view value, int width);

// Compact date of the day after, or before, a display date. Out-of-range day and month numbers
// roll over into the neighbouring months and years.
std::string NextDayCompact(std::string_view displayDate);
std::string PreviousDayCompact(std::string_view displayDate);

// End minus start in calendar days, for two compact dates.
int DaysBetween(std::string_view startDate, std::string_view endDate);

// Completed hours from one clock time HHMM to another, without day change: 2200 to 0600 is -16,
// the caller adds whole days.
int FullHoursBetween(std::string_view startTime, std::string_view endTime);

// A number text as digits left-padded with zeros to `width` characters ("7" -> "007"); the
// decimal separator is dropped ("12,5" -> "0125"). A blank text gives `width` blanks. A text
// longer than `width` is returned whole rather than cut, so no digit is lost.
std::string ZeroPadNumber(std::string_view text, int width);

}  // namespace kalmora
