#pragma once

#include "reports/StayLines.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

struct Settings;

// The base-data page of an ICU report as shown: texts ready for their controls and the item
// indexes of the two outcome lists (0 is the empty item).
struct ReportBaseData {
    std::string HospitalText;    // "KANR - hospital name"
    std::string DepartmentText;  // "ABTEILUNG - first 33 characters of the department name"
    std::string KisId;
    std::string Dob;
    std::string AdmDate;
    std::string DisDate;
    int IcuOutcomeItem = 0;
    std::string HospDisDate;
    int HospMortItem = 0;
};

// One survey day of QUALIFIER "3": its date as TT.MM.JJJJ, the 28 items in the order of the
// TISS-28 item table, and the stored score as shown (empty when blank).
struct ReportDay {
    std::string DateText;
    std::array<bool, 28> Ticked{};
    std::string ScoreText;
};

struct ReportDetail {
    ReportBaseData Base;
    // Every survey day in stored order; the days the TISS day preparation added are left out.
    std::vector<ReportDay> Days;
};

inline constexpr std::array<std::string_view, 5> kIcuOutcomeItems{"", "Lebend", "Lebend mit Therapiereduktion",
                                                                  "Gestorben", "Gestorben mit Therapiereduktion"};
inline constexpr std::array<std::string_view, 3> kHospMortItems{"", "Gestorben", "Entlassen"};

// The list item of an outcome field: its numeric value when that lies from 1 to `lastItem`
// (rounded half to even), else the empty item 0.
int OutcomeItemOf(std::string_view value, int lastItem);

// A stored item is ticked when its numeric value lies from 0 to 1 and rounds (half to even) to 1.
bool ItemTicked(std::string_view value);

// The stored score as a number ("017" shows 17); a blank score shows nothing.
std::string ScoreTextOf(std::string_view value);

// The report of the selected stay of the department on `departmentLine`. Reads only. A stay
// without its type-1 row shows its key and the department but no discharge data; a stay without
// survey days has none.
ReportDetail ReadReportDetail(const Settings& settings, std::string_view departmentLine, const SelectedStay& stay);

}  // namespace kalmora
