#pragma once

#include "foundation/FixedText.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

class Database;
struct Settings;

// The stay the report detail shows: the department's origin and the stay key.
struct SelectedStay {
    FixedText<6> Origin;
    FixedText<10> KisId;
    FixedText<8> Dob;
    FixedText<12> AdmDate;

    bool operator==(const SelectedStay&) const = default;
};

// A row of "Gesamt - Patientenadministration" as far as the list shows it.
struct StoredStay {
    std::string KisId;
    std::string Dob;
    std::string AdmDate;
    std::string DisDate;
    std::string Typ;
    std::string Flag;
};

// "Korrekt", "Inkorrekt", "Entlassen", "In Arbeit"; blanks for any other flag.
std::string_view StayStatusText(std::string_view flag);

// The 82-character line: admission number, birth date, admission and discharge as shown to the user,
// type from column 67 and status from column 73. A missing value leaves its columns blank, so the
// columns behind it stay in place.
std::string StayLineText(const StoredStay& stay);

// Every stay of the department database in stored order.
std::vector<StoredStay> ReadStays(Database& department);

// The stay lines of the department on `departmentLine`, from its database in the system directory.
std::vector<std::string> ReadStayLines(const Settings& settings, std::string_view departmentLine);

// The stay key rebuilt from the shown dates of a stay line, and the origin from the department line.
SelectedStay SelectedStayOf(std::string_view stayLine, std::string_view departmentLine);

// True when the stay of the line has a report (type "INT").
bool HasReport(std::string_view stayLine);

// The stored stay with the key, if any.
std::optional<StoredStay> FindStay(Database& department, const SelectedStay& key);

}  // namespace kalmora
