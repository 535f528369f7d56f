#include "import/FieldChecks.h"

#include "foundation/Rounding.h"
#include "foundation/Val.h"
#include "import/ImportProtocol.h"

namespace kalmora {

namespace {

// Val of the text as a 16-bit integer, rounded half to even; false when it does not fit.
bool ReadInt16(std::string_view text, int& value)
{
    const double rounded = RoundHalfToEven(Val(text));
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) return false;
    value = static_cast<int>(rounded);
    return true;
}

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    switch (month) {
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 2:
        return IsLeapYear(year) ? 29 : 28;
    default:
        return 31;
    }
}

std::string Blanks(int width)
{
    return std::string(width > 0 ? static_cast<std::size_t>(width) : 0, ' ');
}

enum class BlankField { Allowed, Error };

std::string CheckNumber(ImportChecks& checks, std::string_view parameter, std::string_view line, LineField field,
                        std::int32_t minimum, std::int32_t maximum, BlankField blank, bool asError)
{
    const std::string_view text = FieldAt(line, field);
    if (IsBlank(text)) {
        if (blank == BlankField::Error) checks.ReportError(parameter, line);
        return Blanks(field.Width);
    }
    const double value = Val(text);
    if (value < minimum || value > maximum) {
        if (asError) {
            checks.ReportError(parameter, line);
        } else {
            checks.ReportWarning(parameter, line);
        }
    }
    return std::string(text);
}

}  // namespace

void ImportChecks::ReportError(std::string_view parameter, std::string_view line, std::string_view comment)
{
    Protocol.WriteProtocolLine(kSeverityError, parameter, line, comment);
    CheckState = kCheckError;
}

void ImportChecks::ReportWarning(std::string_view parameter, std::string_view line, std::string_view comment)
{
    Protocol.WriteProtocolLine(kSeverityWarning, parameter, line, comment);
    // A warning never hides an error or a state set by the caller.
    if (CheckState == kCheckOk) CheckState = kCheckWarning;
}

void ImportChecks::ReportByLevel(std::string_view parameter, std::string_view line, std::string_view comment)
{
    if (Strict) {
        ReportError(parameter, line, comment);
    } else {
        ReportWarning(parameter, line, comment);
    }
}

std::string_view FieldAt(std::string_view line, LineField field)
{
    if (field.Start < 1 || field.Width <= 0) return {};
    const auto offset = static_cast<std::size_t>(field.Start - 1);
    if (offset >= line.size()) return {};
    return line.substr(offset, static_cast<std::size_t>(field.Width));
}

bool IsBlank(std::string_view text)
{
    return text.find_first_not_of(' ') == std::string_view::npos;
}

std::int16_t CheckDate(std::string_view value, int length)
{
    if (value.find('.') != std::string_view::npos) return kDateInvalid16;

    int year = 0;
    int month = 0;
    int day = 0;
    if (!ReadInt16(FieldAt(value, {1, 4}), year) || !ReadInt16(FieldAt(value, {5, 2}), month) ||
        !ReadInt16(FieldAt(value, {7, 2}), day)) {
        return kDateInvalid16;
    }
    if (year < 1850 || year > 2200 || month < 1 || month > 12) return kDateInvalid16;
    if (day < 1 || day > DaysInMonth(year, month)) return kDateInvalid16;
    if (length != 12) return kDateValid16;

    // Hour and minute are read like the date parts; only their upper bounds are tested.
    if (IsBlank(FieldAt(value, {9, 4}))) return kDateInvalid16;
    int hour = 0;
    int minute = 0;
    if (!ReadInt16(FieldAt(value, {9, 2}), hour) || !ReadInt16(FieldAt(value, {11, 2}), minute)) return kDateInvalid16;
    if (hour > 23 || minute >= 60) return kDateInvalid16;
    return kDateValid16;
}

std::string CheckNumberError(ImportChecks& checks, std::string_view parameter, std::string_view line, LineField field,
                             std::int32_t minimum, std::int32_t maximum)
{
    return CheckNumber(checks, parameter, line, field, minimum, maximum, BlankField::Allowed, true);
}

std::string CheckNumberWarning(ImportChecks& checks, std::string_view parameter, std::string_view line, LineField field,
                               std::int32_t minimum, std::int32_t maximum)
{
    return CheckNumber(checks, parameter, line, field, minimum, maximum, BlankField::Allowed, false);
}

std::string CheckRequiredNumber(ImportChecks& checks, std::string_view parameter, std::string_view line,
                                LineField field, std::int32_t minimum, std::int32_t maximum)
{
    return CheckNumber(checks, parameter, line, field, minimum, maximum, BlankField::Error, true);
}

std::string CheckAdmissionNumber(ImportChecks& checks, std::string_view line, LineField field)
{
    const std::string_view text = FieldAt(line, field);
    if (IsBlank(text)) {
        checks.ReportError("KH-Aufnahmezahl", line);
        return Blanks(field.Width);
    }
    return std::string(text);
}

bool NameLeavesDirectory(std::string_view name)
{
    const std::string_view trimmed = TrimBlanks(name);
    return trimmed.find_first_of("/\\") != std::string_view::npos || trimmed == "." || trimmed == "..";
}

void CheckShortFileName(std::int16_t& checkState, std::string_view name)
{
    const auto fail = [&checkState] { checkState = kCheckInvalidShortFileName; };
    if (IsBlank(name) || NameLeavesDirectory(name)) return fail();

    const auto point = name.find('.');
    if (point != std::string_view::npos && point > 8) return fail();
    if (name.size() > 12) return fail();

    // Trailing blanks are not looked at, leading ones are (and fail).
    const std::size_t checked = name.find_last_not_of(' ') + 1;
    for (std::size_t i = 0; i < checked; ++i) {
        const auto code = static_cast<unsigned char>(name[i]);
        if (code < '.' || code > 'z') return fail();
    }
}

}  // namespace kalmora
