#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>

namespace kalmora::cli {

// The faults a generated stay may carry, so that an import of the file meets every kind of finding.
enum class StayFault {
    InvalidAdmission,          // admission month 13
    InvalidDischarge,          // discharge on the 32nd
    InvalidBirthDate,          // born on 30 February
    DischargeBeforeAdmission,  // discharge a day or more before the admission
    OutcomeFive,               // ICU discharge state 5
    BlankOutcome,              // ICU discharge state missing
    BlankAdmissionNumber,      // admission number all blanks, in every record of the stay
    WrongHospital,             // the stay record names another hospital than the file
    WrongDepartment,           // the stay record names another department than the file
    TooYoung,                  // a ten-year-old
    InvalidHospitalDischarge,  // hospital discharge on 31 February
    NoSurveyDays,              // a stay record without survey days
    MissingSurveyDay,          // one day of the stay has no survey record
    DuplicatedSurveyDay,       // one survey record written twice
    SurveyDayBeforeStay,       // the first survey record stands before its stay record
    RepeatedStayRecord,        // the stay record written twice
    InvalidSurveyDate,         // one survey day dated 31 April
    ItemTwo,                   // one item holds "2"
    ShortSurveyRecord,         // one survey record ends after the survey date
};
inline constexpr std::size_t kStayFaultKinds = 19;

struct GeneratorOptions {
    std::string Hospital = "K001";      // "K" and three letters or digits
    std::string Department = "125101";  // "12" and four letters or digits
    std::uint64_t Stays = 100;
    std::uint64_t Seed = 1;
    int FaultsPerThousand = 20;  // share of stays that carry one fault
    int Year = 2024;             // the stays are admitted in this year
};

inline constexpr std::uint64_t kMaxGeneratedStays = 400000;

struct GeneratedFile {
    std::filesystem::path Path;
    std::uint64_t Lines = 0;                              // every line, the sum record included
    std::uint64_t CountedLines = 0;                       // lines of record types 1 and 3, the sum record's total
    std::array<std::uint64_t, kStayFaultKinds> Faults{};  // stays per fault kind

    std::uint64_t FaultCount(StayFault fault) const { return Faults[static_cast<std::size_t>(fault)]; }
};

// Throws std::invalid_argument (German text) for options the generator cannot honour.
void ValidateGeneratorOptions(const GeneratorOptions& options);

// The name an import file of the options' department carries, e.g. "A4510101X001.txt".
std::string GeneratedFileName(const GeneratorOptions& options);

// The sum record of `count` records of types 1 and 3, without line end: the count right-aligned in
// the first of the four six-digit counts, zeros in the others. Only a count beyond six digits spills
// into the next counts, since the import adds the four up. Throws std::length_error beyond four.
std::string SumRecordLine(std::uint64_t count);

// Writes an import file of invented stays to `out`: per stay one record of type 1 and a record of
// type 3 for every calendar day of the stay, Windows-1252 with CR LF, and a sum record at the end.
// The same options give the same bytes on every machine. Memory does not grow with the stays.
GeneratedFile WriteImportFile(std::ostream& out, const GeneratorOptions& options);

// Writes the file into `directory` (made if missing) under GeneratedFileName, replacing a file of
// that name only once the new one is complete. Throws std::runtime_error when writing fails.
GeneratedFile GenerateImportFile(const std::filesystem::path& directory, const GeneratorOptions& options);

}  // namespace kalmora::cli
