#pragma once

#include "storage/Database.h"
#include "storage/ReferenceData.h"
#include "storage/Schema.h"
#include "support/Files.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What must hold for any pair of reference lists, whatever their bytes: shared by the reference
// fuzzer and the test that replays its findings.
namespace kalmora::test {

namespace reference_oracles {

// Every row of a table in stored order, each column as its type and its bytes.
inline std::vector<std::string> Rows(Database& admin, std::string_view table)
{
    auto rows = admin.Prepare("SELECT * FROM " + QuoteIdentifier(table) + " ORDER BY rowid");
    std::vector<std::string> result;
    while (rows.Step()) {
        std::string row;
        for (int column = 0; column < rows.ColumnCount(); ++column)
            row += rows.IsNull(column) ? std::string("NULL|")
                                       : std::to_string(rows.Text(column).size()) + ":" + rows.Text(column) + "|";
        result.push_back(std::move(row));
    }
    return result;
}

// The rows the reference tables hold after loading these entries.
inline std::vector<std::string> RowsOf(const std::vector<ReferenceEntry>& entries)
{
    std::vector<std::string> rows;
    for (const auto& entry : entries) {
        rows.push_back(std::to_string(entry.Key.size()) + ":" + entry.Key + "|" + std::to_string(entry.Name.size()) +
                       ":" + entry.Name + "|");
    }
    return rows;
}

struct Tables {
    std::vector<std::string> Hospitals;
    std::vector<std::string> Departments;
    std::vector<std::string> Registered;  // the departments' list, which loading never touches
    std::string Integrity;

    bool operator==(const Tables&) const = default;
};

inline Tables Read(const std::filesystem::path& adminFile)
{
    Database admin(adminFile, OpenMode::ReadOnly);
    Tables tables{
        Rows(admin, kHospitalNamesTable), Rows(admin, kDepartmentNamesTable), Rows(admin, kDepartmentsTable), {}};
    auto integrity = admin.Prepare("PRAGMA integrity_check");
    while (integrity.Step())
        tables.Integrity += integrity.Text(0);
    return tables;
}

}  // namespace reference_oracles

// The two lists of one input: the hospitals up to the first NUL byte, the departments after it.
// Without a NUL byte the input is the hospitals list and the departments list is empty (which is
// refused), so a NUL inside a list is tried in the departments list only.
struct ReferenceInput {
    std::string Hospitals;
    std::string Departments;
};

inline ReferenceInput SplitReferenceInput(std::string_view input)
{
    const auto nul = input.find('\0');
    if (nul == std::string_view::npos) return {std::string(input), {}};
    return {std::string(input.substr(0, nul)), std::string(input.substr(nul + 1))};
}

// An admin database as setup makes it, with the shipped lists loaded and one department registered,
// so that a refused load has rows to keep.
inline void MakeReferenceAdmin(const std::filesystem::path& file, const std::filesystem::path& referenceDirectory)
{
    CreateAdminDatabase(file);
    LoadReferenceData(file, referenceDirectory / "hospitals.csv", referenceDirectory / "departments.csv");
    Database admin(file);
    admin.Execute("INSERT INTO \"Dateiverwaltung\" VALUES ('K001', '12510101', '12510101X001', 8, 18.4, "
                  "'INTERN', NULL)");
}

// Loads the lists of `input` into a copy of `pristineAdmin` (in `scratch`, which the check uses as it
// likes) and returns the rules it broke, in words; empty when every one held:
// - the load either refuses the lists with ReferenceDataError, as reading them does, and leaves
//   every row as it was, or takes them, and the reference tables hold exactly the entries read,
//   in order; the departments' list is never touched;
// - no other exception escapes: the lists cannot make a sound database fail, as every key that
//   passes the reader's rules fits the tables' checks and unique indexes;
// - the database passes the integrity check and no journal is left beside it.
inline std::vector<std::string> ReferenceFindings(std::string_view input, const std::filesystem::path& pristineAdmin,
                                                  const std::filesystem::path& scratch)
{
    using namespace reference_oracles;
    namespace fs = std::filesystem;
    std::vector<std::string> broken;
    try {
        static const std::string kAdminName = "admin.mdb";
        const auto admin = scratch / kAdminName;
        const auto hospitals = scratch / "hospitals.csv";
        const auto departments = scratch / "departments.csv";
        // Copied through streams, which go on where a signal (the fuzzer's timer) interrupts them.
        WriteText(admin, ReadText(pristineAdmin));
        const auto lists = SplitReferenceInput(input);
        WriteText(hospitals, lists.Hospitals);
        WriteText(departments, lists.Departments);
        const Tables before = Read(admin);

        bool refused = false;
        try {
            LoadReferenceData(admin, hospitals, departments);
        } catch (const ReferenceDataError& error) {
            refused = true;
            if (error.Problems().empty()) broken.push_back("refused without naming a problem");
        }

        const Tables after = Read(admin);
        if (after.Integrity != "ok") broken.push_back("integrity check: " + after.Integrity);
        for (const auto& entry : fs::directory_iterator(scratch)) {
            const auto name = entry.path().filename().string();
            if (name != kAdminName && name.starts_with(kAdminName))
                broken.push_back("left beside the database: " + name);
        }
        if (after.Registered != before.Registered) broken.push_back("the departments' list changed");

        std::optional<ReferenceLists> read;
        try {
            read = ReadReferenceLists(hospitals, departments);
        } catch (const ReferenceDataError&) {
        }
        if (refused) {
            if (read) broken.push_back("refused lists that read without a problem");
            if (after.Hospitals != before.Hospitals || after.Departments != before.Departments)
                broken.push_back("refused lists changed the reference tables");
        } else {
            if (!read) {
                broken.push_back("loaded lists that do not read");
            } else {
                if (after.Hospitals != RowsOf(read->Hospitals)) broken.push_back("hospitals stored other than read");
                if (after.Departments != RowsOf(read->Departments))
                    broken.push_back("departments stored other than read");
            }
        }
    } catch (const std::exception& error) {
        broken.push_back(std::string("exception: ") + error.what());
    }
    return broken;
}

}  // namespace kalmora::test
