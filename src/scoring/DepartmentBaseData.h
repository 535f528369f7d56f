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
// to "E3". A field left out is not written, so that a save of one field keeps what another caller
// has just stored in the others.
struct BaseDataInput {
    std::optional<std::string> DgkpText;
    std::optional<std::string> BedsText;
    std::optional<std::string> PreClassification;
};

// The fields as the window fills them from a list entry; all three are given.
BaseDataInput BaseDataInputOf(const DepartmentEntry& entry);

// The fields of `typed` whose value differs from what `shown` holds; the others are left out.
BaseDataInput ChangedBaseData(const BaseDataInput& shown, const BaseDataInput& typed);

struct BaseDataOutcome {
    // Set when a field is invalid; then nothing was saved and Entry is unchanged.
    std::optional<std::string> ErrorText;
    // False when "Dateiverwaltung" no longer has the department.
    bool Saved = false;
    // The entry with the new figures, to replace the list's current entry.
    DepartmentEntry Entry;
};

// Checks the given fields as leaving them does, writes those of DGKP, SBETT and VOREINSTUFUNG to the
// department's row in "Dateiverwaltung" and rebuilds its entry from the row as it then stands (from
// `entry` and the given fields when the row is gone). An empty DGKP counts as 0. Reads and writes
// under the system data lock; throws LockedError when another process holds it.
BaseDataOutcome SaveDepartmentBaseData(const Settings& settings, const DepartmentEntry& entry,
                                       const BaseDataInput& input);

}  // namespace kalmora
