#pragma once

#include "import/FieldChecks.h"
#include "storage/Database.h"

#include <optional>
#include <string>
#include <string_view>

namespace kalmora {

inline constexpr std::string_view kExternalImportOrigin = "EXTERN";

// Parses, checks and stores records of type 1 (ICU stay) and type 3 (one TISS-28 survey day) into
// the working copy. Findings go to the protocol and into `checks` (CheckState, DuplicateRecord,
// StayDerived); the caller clears CheckState and DuplicateRecord before each record.
// Lines are raw Windows-1252 bytes; stored text is UTF-8.
class RecordReaders {
public:
    RecordReaders(Database& workingCopy, ImportChecks& checks);

    // `hospital` (4) and `department` (8) are the codes taken from the import file name.
    void ReadStayRecord(std::string_view line, std::string_view hospital, std::string_view department,
                        std::string_view origin);
    void ReadTissRecord(std::string_view line, std::string_view hospital, std::string_view department,
                        std::string_view origin);

    // The hours of the stay that the following survey days belong to, stored with each of them
    // (nothing while the stay has none).
    void SetStayHours(std::optional<std::string> hours) { m_stayHours = std::move(hours); }

    // True once a record was stored whose refused birth date or admission time no longer matches its
    // stay's key, so the rows of rejected stays need a search of their own.
    bool StoredUnmatchedKey() const { return m_storedUnmatchedKey; }

private:
    struct KeyFields;
    KeyFields ReadKeyFields(std::string_view line, std::string_view hospital, std::string_view department);
    // Runs the insert; a refused duplicate and other refusals of the row become findings.
    void StoreRow(Statement& insert, std::string_view line);

    ImportChecks& m_checks;
    bool m_storedUnmatchedKey = false;
    std::optional<std::string> m_stayHours;
    Statement m_insertStayRecord;
    Statement m_insertTissRecord;
};

}  // namespace kalmora
