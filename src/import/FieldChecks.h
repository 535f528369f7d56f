#pragma once

#include "foundation/FixedText.h"
#include "import/RecordLayout.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kalmora {

class ImportProtocol;

// Values of CheckState, the outcome of the checks since the caller last set it to 0.
inline constexpr std::int16_t kCheckOk = 0;
inline constexpr std::int16_t kCheckInvalidShortFileName = 1;
inline constexpr std::int16_t kCheckInvalidPeriod = 2;
inline constexpr std::int16_t kCheckInvalidYear = 3;
inline constexpr std::int16_t kCheckUnknownDepartment = 4;
inline constexpr std::int16_t kCheckUnknownHospital = 5;
// An import file name that would reach the protocol or a database file name unsafely.
inline constexpr std::int16_t kCheckUnsafeFileName = 6;
inline constexpr std::int16_t kCheckError = 8;
inline constexpr std::int16_t kCheckWarning = 9;
inline constexpr std::int16_t kCheckOtherRecordKind = 12;

inline constexpr std::int16_t kDateValid16 = 0;
inline constexpr std::int16_t kDateInvalid16 = 10;

inline constexpr std::string_view kInvalidParameter = "Parameter ungültig";

// What ReadStayRecord derives for the stay row; overwritten by every call that gets that far.
struct StayDerivedValues {
    FixedText<5> CareDays;
    FixedText<2> StayHours;
    FixedText<3> AgeYears;
    FixedText<1> Outcome;
};

// The state the field checks and record readers share while one record is examined, and where
// their findings go.
struct ImportChecks {
    explicit ImportChecks(ImportProtocol& protocol) : Protocol(protocol) {}

    ImportProtocol& Protocol;
    // Strict checks: PlausLevel is "Error".
    bool Strict = false;
    std::int16_t CheckState = kCheckOk;
    bool DuplicateRecord = false;
    StayDerivedValues StayDerived;

    // Writes an "Error" line for the import line and sets CheckState to 8.
    void ReportError(std::string_view parameter, std::string_view line, std::string_view comment = kInvalidParameter);
    // Writes a "Warning" line; CheckState becomes 9 only while it is 0.
    void ReportWarning(std::string_view parameter, std::string_view line, std::string_view comment = kInvalidParameter);
    // "Error" at the strict level, "Warning" otherwise.
    void ReportByLevel(std::string_view parameter, std::string_view line, std::string_view comment = kInvalidParameter);
};

// The bytes of the field; shorter or empty beyond the line's end.
std::string_view FieldAt(std::string_view line, LineField field);

// True when the text is empty after removing blanks at both ends.
bool IsBlank(std::string_view text);

// 0 when the value is a valid JJJJMMTT (length 8) or JJJJMMTTHHMM (length 12), else 10.
std::int16_t CheckDate(std::string_view value, int length);

// Optional numeric field in [minimum, maximum]: a blank field gives `width` blanks and no finding;
// any other field comes back unchanged, with an "Error" (resp. "Warning") line when out of range.
std::string CheckNumberError(ImportChecks& checks, std::string_view parameter, std::string_view line, LineField field,
                             std::int32_t minimum, std::int32_t maximum);
std::string CheckNumberWarning(ImportChecks& checks, std::string_view parameter, std::string_view line, LineField field,
                               std::int32_t minimum, std::int32_t maximum);
// Required numeric field: as CheckNumberError, and a blank field is an "Error" as well.
std::string CheckRequiredNumber(ImportChecks& checks, std::string_view parameter, std::string_view line,
                                LineField field, std::int32_t minimum, std::int32_t maximum);
// The hospital admission number: required text.
std::string CheckAdmissionNumber(ImportChecks& checks, std::string_view line, LineField field);

// A short file name (at most 8 characters, a point, at most 3) of a file in the directory it is
// joined to: sets checkState to 1 when it is not.
void CheckShortFileName(std::int16_t& checkState, std::string_view name);

// A name that holds a directory separator or names the directory itself or its parent: joined to a
// directory, it would reach a file elsewhere.
bool NameLeavesDirectory(std::string_view name);

}  // namespace kalmora
