#pragma once

#include <array>
#include <initializer_list>

// Where the fields of an import line lie: the one table of positions that the record readers,
// the field checks, the key of a line and the protocol read by.
namespace kalmora {

// A field of an import line: the 1-based position of its first character and its width.
struct LineField {
    int Start;
    int Width;

    constexpr int End() const { return Start + Width - 1; }
    // The first `width` characters of the field.
    constexpr LineField Leading(int width) const { return {Start, width}; }
};

// The record key: characters 1-43 of records of types 1 and 3, laid out alike, so that a survey
// day names its stay and every protocol line its record.
struct RecordKeyLayout {
    LineField Kind;        // record type
    LineField Hospital;    // KA_ID
    LineField Department;  // ICU_FUN_ID (6) and ICU_FUN_SID (2)
    LineField KisId;       // hospital admission number
    LineField Dob;         // date of birth, JJJJMMTT
    LineField AdmDate;     // ICU admission, JJJJMMTTHHMM
};

// Record type 1: one ICU stay, behind its key.
struct StayRecordLayout {
    LineField DisDate;      // ICU discharge, JJJJMMTTHHMM
    LineField IcuOutcome;   // ICU discharge state
    LineField HospDisDate;  // hospital discharge date, JJJJMMTT
    LineField HospMort;     // hospital discharge state
};

// Record type 3: one TISS-28 survey day, behind its key.
struct TissRecordLayout {
    LineField RecDate;  // survey date, JJJJMMTT
    LineField Items;    // one character per item, in the order of kTiss28Items
};

// clang-format off
inline constexpr RecordKeyLayout kKeyFields{
    .Kind       = {1, 1},
    .Hospital   = {2, 4},
    .Department = {6, 8},
    .KisId      = {14, 10},
    .Dob        = {24, 8},
    .AdmDate    = {32, 12},
};
inline constexpr StayRecordLayout kStayRecordFields{
    .DisDate     = {66, 12},
    .IcuOutcome  = {78, 1},
    .HospDisDate = {79, 8},
    .HospMort    = {87, 1},
};
inline constexpr TissRecordLayout kTissRecordFields{
    .RecDate = {44, 8},
    .Items   = {52, 28},
};
// The sum record's four counts.
inline constexpr std::array<LineField, 4> kSumRecordCounts{{{14, 6}, {20, 6}, {26, 6}, {32, 6}}};
// clang-format on

inline constexpr int kRecordKeyLength = kKeyFields.AdmDate.End();
static_assert(kRecordKeyLength == 43);

// Fields that follow each other without a gap, so a mistyped position shows when building.
constexpr bool Adjoin(std::initializer_list<LineField> fields)
{
    for (auto field = fields.begin(); field + 1 < fields.end(); ++field) {
        if ((field + 1)->Start != field->End() + 1) return false;
    }
    return true;
}
static_assert(Adjoin({kKeyFields.Kind, kKeyFields.Hospital, kKeyFields.Department, kKeyFields.KisId, kKeyFields.Dob,
                      kKeyFields.AdmDate}));
static_assert(Adjoin({kStayRecordFields.DisDate, kStayRecordFields.IcuOutcome, kStayRecordFields.HospDisDate,
                      kStayRecordFields.HospMort}));
static_assert(Adjoin({kKeyFields.AdmDate, kTissRecordFields.RecDate, kTissRecordFields.Items}));
static_assert(Adjoin({kSumRecordCounts[0], kSumRecordCounts[1], kSumRecordCounts[2], kSumRecordCounts[3]}));

// The field of the TISS-28 item at `index` (0-based, in the order of kTiss28Items).
constexpr LineField TissItemField(int index)
{
    return {kTissRecordFields.Items.Start + index, 1};
}

}  // namespace kalmora
