#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kalmora {

class Database;
class UserInterface;

// The codes an import file's name encodes (characters 1-12 of the name): hospital "K" + 10-12,
// department "12" + 3-8, department database file "12" + 3-12; each blank-padded to its width.
struct ImportFileNameCodes {
    std::string Hospital;      // 4
    std::string Department;    // 8
    std::string DatabaseFile;  // 12
};

ImportFileNameCodes DeriveImportFileNameCodes(std::string_view fileName);

// False for a name that would reach the protocol or a database file name unsafely: a control
// character or the protocol's separator ";" anywhere, or in characters 3-12 (the database file name)
// a character that Linux or Windows does not allow in file names.
bool IsSafeImportFileName(std::string_view fileName);

// Checks the name against the period and year rules and the reference tables of the open admin
// database. Returns the CheckState: 0 valid; 6 unsafe name (checked first), 2 period, 3 year,
// 5 hospital, 4 department invalid.
// Appends the hospital (27) and department (49) columns to the file's result row and shows the
// names in status panels 2 and 3.
std::int16_t CheckImportFileName(std::string_view fileName, Database& admin, std::string& resultRow,
                                 UserInterface& ui);

}  // namespace kalmora
