#pragma once

#include "foundation/FixedText.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

struct Settings;

// The last search of the ICU reports: it outlives the search window, so the fields show it again,
// and is cleared whenever the department level loads.
struct PatientSearchKey {
    FixedText<10> KisId;
    FixedText<8> Dob;  // JJJJMMTT
};

// 1 searches by admission number, 2 by date of birth, 3 by both; 0 means no key was given.
int SearchModeOf(const PatientSearchKey& key);

// The key of the two search fields: the admission number without blanks around it, and the shown
// date of birth (TT.MM.JJJJ) in its stored form.
PatientSearchKey SearchKeyOf(std::string_view kisIdText, std::string_view dobText);

// A typed date of birth as TT.MM.JJJJ, or a blank text when it is no date. A two-digit year up to
// the current year's last two digits is of this century, any other of the last one; years of one
// or three digits are refused.
std::string NormalizeBirthDateInput(std::string_view input, int currentYear);

// Where a search starts: from the first line, or after the anchor line.
enum class SearchStart { FromBeginning, AfterAnchor };

// The department search over the lines of the department list. The selection is cleared; the
// anchor is the first selected line (0 when none is). The first department from the start whose
// stay table holds the key becomes `current` and the only selected line; without a match the
// anchor does. A department database that cannot be searched is passed over and named in
// `Unsearchable`, so one damaged file does not hide the patient in the others.
struct DepartmentSearchResult {
    bool Found = false;
    std::size_t Current = 0;
    std::vector<std::string> Unsearchable;  // "file: reason"
};
DepartmentSearchResult SearchDepartments(const Settings& settings, const std::vector<std::string>& lines,
                                         std::vector<bool>& selected, SearchStart start, const PatientSearchKey& key);

// True when the department database of the line has a stay with the key (by the search mode).
bool DepartmentHoldsPatient(const Settings& settings, std::string_view departmentLine, const PatientSearchKey& key);

// The search over the stay lines of the patient level: the index of the first line from the start
// that matches the key, or none.
std::optional<std::size_t> SearchStayLines(const std::vector<std::string>& lines, std::size_t anchor, SearchStart start,
                                           const PatientSearchKey& key);

}  // namespace kalmora
