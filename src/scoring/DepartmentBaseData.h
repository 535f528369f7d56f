#pragma once

#include "foundation/NumberFormat.h"
#include "scoring/ClassificationList.h"

#include <optional>
#include <string>
#include <string_view>

namespace kalmora {

struct Settings;

// The checks run when the DGKP field (2 decimals, 6 characters, negatives allowed) or the bed field
// (whole number, 3 characters) is left.
NumberInputDecision ValidateDgkpInput(std::string_view text);
NumberInputDecision ValidateBedsInput(std::string_view text);

// The DGKP per bed shown beside the fields ("0.00"), or nothing while the beds read as 0 or a field
// holds no number, in which case the shown value stays.
std::optional<std::string> DgkpPerBedText(std::string_view dgkpText, std::string_view bedsText);

// The base data fields as typed: DGKP and beds in German form, the pre-classification "" or "E0"
// to "E3".
struct BaseDataInput {
    std::string DgkpText;
    std::string BedsText;
    std::string PreClassification;
};

// The fields as the window fills them from a list entry.
BaseDataInput BaseDataInputOf(const DepartmentEntry& entry);

struct BaseDataOutcome {
    // Set when a field is invalid; then nothing was saved and Entry is unchanged.
    std::optional<std::string> ErrorText;
    // False when "Dateiverwaltung" no longer has the department.
    bool Saved = false;
    // The entry with the new figures, to replace the list's current entry.
    DepartmentEntry Entry;
};

// Checks the fields as leaving them does, writes DGKP, SBETT and VOREINSTUFUNG of the department's
// row in "Dateiverwaltung" and rebuilds its entry. An empty DGKP counts as 0. Holds the system data
// lock while writing; throws LockedError when another process holds it.
BaseDataOutcome SaveDepartmentBaseData(const Settings& settings, const DepartmentEntry& entry,
                                       const BaseDataInput& input);

}  // namespace kalmora
