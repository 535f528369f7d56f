#pragma once

#include "storage/Database.h"

#include <string>
#include <string_view>

namespace kalmora::test {

// A stay key as the program stores it: blank-padded to 10, 8 and 12 characters.
struct StayKey {
    std::string KisId = "A000000001";
    std::string Dob = "19600101";
    std::string AdmDate = "202401011200";
};

inline void AddStay(Database& db, const StayKey& key, std::string_view flag = "O")
{
    db.Prepare("INSERT INTO \"Gesamt - Patientenadministration\" (\"KA_ID\", \"ICU_FUN_ID\", \"ICU_FUN_SID\", "
               "\"KIS_ID\", \"DOB\", \"ADM_DATE\", \"TYP\", \"FLAG\", \"Satzart_1\", \"Satzart_3\") "
               "VALUES ('K001', '121001', '01', ?, ?, ?, 'INT', ?, 1, 0)")
        .BindAll(key.KisId, key.Dob, key.AdmDate, flag)
        .Execute();
}

inline void AddStayRecord(Database& db, const StayKey& key)
{
    db.Prepare("INSERT INTO \"Satzart 1 - Patientenadministration Intensiv\" (\"QUALIFIER\", \"KA_ID\", "
               "\"KIS_ID\", \"DOB\", \"ADM_DATE\") VALUES ('1', 'K001', ?, ?, ?)")
        .BindAll(key.KisId, key.Dob, key.AdmDate)
        .Execute();
}

inline void AddTissDay(Database& db, const StayKey& key, std::string_view recDate, std::string_view qualifier = "3")
{
    db.Prepare("INSERT INTO \"Satzart 3 - TISS28\" (\"QUALIFIER\", \"KIS_ID\", \"DOB\", \"ADM_DATE\", \"REC_DATE\", "
               "\"T28_SCORE\") VALUES (?, ?, ?, ?, ?, '020')")
        .BindAll(qualifier, key.KisId, key.Dob, key.AdmDate, recDate)
        .Execute();
}

inline std::int64_t CountRows(Database& db, std::string_view table)
{
    auto rows = db.Prepare("SELECT count(*) FROM " + QuoteIdentifier(table));
    rows.Step();
    return rows.Int(0);
}

}  // namespace kalmora::test
