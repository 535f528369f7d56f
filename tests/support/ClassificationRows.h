#pragma once

#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/TempDir.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace kalmora::test {

// A department database made from a fresh template.
inline Database OpenFreshDepartment(const TempDir& dir, std::string_view fileName = "12100101X002")
{
    CreateDepartmentTemplate(dir / "ibds.mdb");
    std::filesystem::copy_file(dir / "ibds.mdb", dir / fileName);
    return Database(dir / fileName);
}

// The fields of a stay that the classification reads.
struct ClassifiedStay {
    std::string_view AdmDate;  // JJJJMMTTHHMM
    std::string_view DisDate;  // JJJJMMTTHHMM, may be blank
    std::string_view Stunden;  // "99" unless a 0-day stay
    std::string_view Alter;    // age at admission
    std::string_view KisId = "A000000001";
    std::string_view Typ = "INT";
    std::string_view Flag = "O";
};

inline void AddClassifiedStay(Database& db, const ClassifiedStay& stay)
{
    db.Prepare("INSERT INTO \"Gesamt - Patientenadministration\" (\"KA_ID\", \"ICU_FUN_ID\", \"ICU_FUN_SID\", "
               "\"KIS_ID\", \"DOB\", \"ADM_DATE\", \"DIS_DATE\", \"STUNDEN\", \"Alter\", \"TYP\", \"FLAG\", "
               "\"Satzart_1\", \"Satzart_3\") VALUES ('K002', '121001', '01', ?, '19600101', ?, ?, ?, ?, ?, ?, 1, 1)")
        .BindAll(stay.KisId, stay.AdmDate, stay.DisDate, stay.Stunden, stay.Alter, stay.Typ, stay.Flag)
        .Execute();
}

// A row of "Satzart 3 - TISS28" with the fields the classification reads.
struct ClassifiedDay {
    std::string_view RecDate;  // JJJJMMTT
    std::string_view Score;    // three digits
    std::string_view Qualifier = "3";
    std::string_view Stunden = "99";
    std::string_view KisId = "A000000001";
    std::string_view AdmDate = "202403011000";
    std::string_view Dob = "19600101";
};

inline void AddClassifiedDay(Database& db, const ClassifiedDay& day)
{
    db.Prepare("INSERT INTO \"Satzart 3 - TISS28\" (\"QUALIFIER\", \"KA_ID\", \"ICU_FUN_ID\", \"ICU_FUN_SID\", "
               "\"KIS_ID\", \"DOB\", \"ADM_DATE\", \"REC_DATE\", \"T28_SCORE\", \"STUNDEN\") "
               "VALUES (?, 'K002', '121001', '01', ?, ?, ?, ?, ?, ?)")
        .BindAll(day.Qualifier, day.KisId, day.Dob, day.AdmDate, day.RecDate, day.Score, day.Stunden)
        .Execute();
}

}  // namespace kalmora::test
