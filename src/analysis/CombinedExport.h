#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

class UserInterface;
struct Settings;

inline constexpr std::string_view kExportSuccessText = " Daten erfolgreich exportiert!";

// A failure of the export, with the German reason for the user.
class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The department line of the export list: the report list's line up to the database file name.
std::string ExportLineText(std::string_view reportLine);

// The check of the combined database's file name: the short file name check, and a plain name that
// stays in the export directory. Shows Notice::InvalidFileName and returns false when the name fails.
bool CheckExportFileName(std::string_view fileName, UserInterface& ui);

// Writes the combined database `fileName` in the export directory: a fresh copy of the template,
// filled with the stays, the records of type 1 and the imported survey days (not the filled-in
// ones) of the departments of `lines`, in their order; rows whose key is there already are left
// out. The file is built beside its final name and put in place only when it is complete, so a
// failed export leaves an earlier file of that name as it was. Holds the system data lock, so no
// import replaces a department database meanwhile. Shows the department being exported in the
// status bar. Returns the file written. Throws LockedError when another process holds the lock and
// ExportError for every other failure.
std::filesystem::path ExportDepartments(const Settings& settings, const std::vector<std::string>& lines,
                                        std::string_view fileName, UserInterface& ui);

// The end of a successful export: the beep and the success message.
void ReportExportSuccess(UserInterface& ui);

}  // namespace kalmora
