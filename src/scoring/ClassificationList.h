#pragma once

#include "foundation/FixedText.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

class Database;
class UserInterface;
struct Settings;

// Width of an entry of the classification list. The result table and the base data read their
// input back from fixed positions of it, so every field is cut or padded to its width.
inline constexpr std::size_t kClassificationEntryWidth = 191;

// The shortest decimal text that reads back as the same value, with "," as decimal separator and
// never in exponent form ("0,33", "-0,3", "12").
std::string PlainNumberText(double value);

// How a department without beds shows its DGKP per bed: the list as loaded writes " 0.00", an
// entry rewritten after the base data were saved " 0,00".
enum class NoBedsPlaceholder { AsListed, AsSaved };

// One department of the classification list: its row of "Dateiverwaltung" with the reference
// names, and the entry text the list shows.
struct DepartmentEntry {
    std::string Kanr;       // as stored, the key of "Dateiverwaltung"
    std::string Abteilung;  // as stored
    std::string HospitalName;
    std::string DepartmentName;
    double Dgkp = 0.0;
    double SystemisedBeds = 0.0;
    FixedText<2> PreClassification;
    FixedText<12> DatabaseFile;
    std::string Text;

    // "KANR/ABTEILUNG" without blanks, as the user names a department.
    std::string Key() const;
};

// The 191-character entry: hospital, DGKP, beds, DGKP per bed, pre-classification, department and
// database file in their fixed columns.
std::string ClassificationEntryText(const DepartmentEntry& entry, NoBedsPlaceholder placeholder);

// The department's entry from the admin database, or nothing when "Dateiverwaltung" has no such row.
std::optional<DepartmentEntry> ReadDepartmentEntry(Database& admin, std::string_view kanr, std::string_view abteilung);

// True when the department database holds a stay of type "INT" that is not flagged "U".
bool HasClassifiableStays(Database& department);

// Every department of "Dateiverwaltung", in key order, whose database has classifiable stays. A
// department whose database cannot be read is reported as a general error with the department and
// the reason, and left out, its key ("KANR/ABTEILUNG") added to `unreadable` where that is given; the
// others are still listed. The caller shows Notice::NoDischargedPatients for an empty list.
std::vector<DepartmentEntry> ClassifiableDepartments(const Settings& settings, UserInterface& ui,
                                                     std::vector<std::string>* unreadable = nullptr);

}  // namespace kalmora
