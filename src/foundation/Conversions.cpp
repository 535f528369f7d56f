#include "foundation/Conversions.h"

#include "foundation/FixedText.h"
#include "foundation/Rounding.h"
#include "foundation/Val.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace kalmora {

namespace {

// Characters `from` to `to` (counted from 1) of the text; shorter or empty when the text is.
std::string_view Characters(std::string_view text, std::size_t from, std::size_t to)
{
    const std::string_view upToEnd = LeftCharacters(text, to);
    return upToEnd.substr(LeftCharacters(upToEnd, from - 1).size());
}

// Val of a field, rounded to a whole number. Halves go to the even neighbour, so a day field
// such as ".5" reads as 0 and fails. Absurd values are clamped so that no arithmetic on them
// can overflow.
long FieldNumber(std::string_view text, std::size_t from, std::size_t to)
{
    const double value = RoundHalfToEven(Val(Characters(text, from, to)));
    return static_cast<long>(std::clamp(value, -1.0e6, 1.0e6));
}

long FloorDiv(long a, long b)
{
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}

// The calendar day for year, month and day numbers; months and days beyond their range roll
// over in both directions (day 0 of March is the last day of February).
std::chrono::sys_days CalendarDay(long year, long month, long day)
{
    year += FloorDiv(month - 1, 12);
    month -= 12 * FloorDiv(month - 1, 12);
    // Keeps the year inside what the calendar types can represent, even after the day offset.
    year = std::clamp(year, -20000L, 20000L);
    const std::chrono::year_month_day first{std::chrono::year{static_cast<int>(year)},
                                            std::chrono::month{static_cast<unsigned>(month)}, std::chrono::day{1}};
    return std::chrono::sys_days{first} + std::chrono::days{day - 1};
}

std::chrono::sys_days CompactDateDay(std::string_view compact)
{
    return CalendarDay(FieldNumber(compact, 1, 4), FieldNumber(compact, 5, 6), FieldNumber(compact, 7, 8));
}

std::string FormatCompact(std::chrono::sys_days day)
{
    const std::chrono::year_month_day date{day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()));
    return text;
}

std::string ShiftDisplayDate(std::string_view displayDate, long offset)
{
    const long year = FieldNumber(displayDate, 7, 10);
    const long month = FieldNumber(displayDate, 4, 5);
    const long day = FieldNumber(displayDate, 1, 2) + offset;
    return FormatCompact(CalendarDay(year, month, day));
}

bool IsDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

int AgeInYears(std::string_view birthDate, std::string_view referenceDate)
{
    const long birthMonth = FieldNumber(birthDate, 5, 6);
    const long birthDay = FieldNumber(birthDate, 7, 8);
    const long referenceMonth = FieldNumber(referenceDate, 5, 6);
    const long referenceDay = FieldNumber(referenceDate, 7, 8);
    long age = FieldNumber(referenceDate, 1, 4) - FieldNumber(birthDate, 1, 4);
    if (referenceMonth < birthMonth || (referenceMonth == birthMonth && referenceDay < birthDay)) --age;
    return static_cast<int>(age);
}

std::int16_t ValidateCompactDate(std::string_view date)
{
    const long year = FieldNumber(date, 1, 4);
    const long month = FieldNumber(date, 5, 6);
    const long day = FieldNumber(date, 7, 8);
    if (year < 1850 || year > 2200 || month < 1 || month > 12 || day < 1 || day > 31) return kDateInvalid;
    const std::chrono::year_month_day calendarDate{std::chrono::year{static_cast<int>(year)},
                                                   std::chrono::month{static_cast<unsigned>(month)},
                                                   std::chrono::day{static_cast<unsigned>(day)}};
    return calendarDate.ok() ? kDateValid : kDateInvalid;
}

std::string NormalizeDateInput(std::string_view input, std::string_view defaultYear)
{
    // Only digits are taken over into the display date: Val would let "3x" or " 1" pass as a
    // day, and such a text must not come back as a normalised date.
    const std::string_view text = TrimBlanks(input);
    const auto firstDot = text.find('.');
    if (firstDot == std::string_view::npos) {
        if (text.size() != 8 || !IsDigits(text) || ValidateCompactDate(text) != kDateValid) return " ";
        return FormatCompactDate(text, 8);
    }

    const auto secondDot = text.find('.', firstDot + 1);
    if (secondDot == std::string_view::npos) return {};
    const std::string_view day = text.substr(0, firstDot);
    const std::string_view month = text.substr(firstDot + 1, secondDot - firstDot - 1);
    const std::string_view typedYear = TrimBlanks(text.substr(secondDot + 1));
    if (day.empty() || day.size() > 2 || month.empty() || month.size() > 2 || typedYear.size() > 4) return {};

    const std::string dayText = (day.size() == 1 ? "0" : "") + std::string(day);
    const std::string monthText = (month.size() == 1 ? "0" : "") + std::string(month);
    std::string year(LeftCharacters(defaultYear, 4 - typedYear.size()));
    year += typedYear;
    // A default year too short to complete the year rejects the input.
    if (year.size() != 4 || !IsDigits(year) || !IsDigits(dayText) || !IsDigits(monthText)) return {};
    if (ValidateCompactDate(year + monthText + dayText) != kDateValid) return {};
    return dayText + "." + monthText + "." + year;
}

std::string FormatCompactDate(std::string_view value, int width)
{
    const bool dateOnly = width == 8;
    if (TrimBlanks(value).empty()) return std::string(dateOnly ? 10 : 17, ' ');
    std::string result;
    result.append(Characters(value, 7, 8)).append(".").append(Characters(value, 5, 6)).append(".");
    result.append(Characters(value, 1, 4));
    if (!dateOnly) {
        result.append(", ").append(Characters(value, 9, 10)).append(":").append(Characters(value, 11, 12));
    }
    return result;
}

std::string ParseDisplayDate(std::string_view value, int width)
{
    std::string result;
    result.append(Characters(value, 7, 10)).append(Characters(value, 4, 5)).append(Characters(value, 1, 2));
    if (width != 8) result.append(Characters(value, 13, 14)).append(Characters(value, 16, 17));
    if (TrimBlanks(result).empty()) return std::string(static_cast<std::size_t>(std::clamp(width, 0, 12)), ' ');
    return result;
}

std::string NextDayCompact(std::string_view displayDate)
{
    return ShiftDisplayDate(displayDate, 1);
}

std::string PreviousDayCompact(std::string_view displayDate)
{
    return ShiftDisplayDate(displayDate, -1);
}

int DaysBetween(std::string_view startDate, std::string_view endDate)
{
    return static_cast<int>((CompactDateDay(endDate) - CompactDateDay(startDate)).count());
}

int FullHoursBetween(std::string_view startTime, std::string_view endTime)
{
    long hours = FieldNumber(endTime, 1, 2) - FieldNumber(startTime, 1, 2);
    if (FieldNumber(endTime, 3, 4) < FieldNumber(startTime, 3, 4)) --hours;
    return static_cast<int>(hours);
}

std::string ZeroPadNumber(std::string_view text, int width)
{
    const std::size_t fieldWidth = static_cast<std::size_t>(std::max(width, 0));
    std::string number(TrimBlanks(text));
    if (number.empty()) return std::string(fieldWidth, ' ');

    const auto point = number.find('.');
    const auto comma = number.find(',');
    if (point != std::string::npos && comma != std::string::npos) {
        number.erase(std::max(point, comma), 1);
    } else if (point != std::string::npos || comma != std::string::npos) {
        number.erase(std::min(point, comma), 1);
    }

    const std::size_t length = CharacterCount(number);
    if (length >= fieldWidth) return number;
    // The zeros go after a sign, so "-7" becomes "-07" and stays a number.
    const std::size_t signLength = (!number.empty() && (number[0] == '-' || number[0] == '+')) ? 1 : 0;
    number.insert(signLength, fieldWidth - length, '0');
    return number;
}

}  // namespace kalmora
