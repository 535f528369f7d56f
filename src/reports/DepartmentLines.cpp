#include "reports/DepartmentLines.h"

#include "foundation/FailureText.h"
#include "foundation/FixedText.h"
#include "foundation/Messages.h"
#include "foundation/Settings.h"
#include "foundation/UserInterface.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/ReferenceData.h"
#include "storage/Schema.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>

namespace kalmora {

namespace {

constexpr std::size_t kHospitalNameWidth = 20;
constexpr std::size_t kDepartmentNameWidth = 41;

std::string_view WithoutTrailingBlanks(std::string_view text)
{
    const auto last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

// Why the department's file could not be deleted; nothing when it is gone now (or never existed).
std::optional<std::string> RemoveDepartmentFile(const std::filesystem::path& file)
{
    std::error_code error;
    const auto status = std::filesystem::symlink_status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        RemoveDatabaseSideFiles(file);
        return std::nullopt;
    }
    // Never a directory: a damaged row must not take anything but a database file with it.
    if (status.type() != std::filesystem::file_type::regular) return "Es ist keine Datei.";
    try {
        RemoveDatabaseFiles(file);
    } catch (const std::filesystem::filesystem_error& failure) {
        return GermanErrorText(failure.code());
    }
    return std::nullopt;
}

// The admin row that registers a department's database file.
struct Registration {
    std::int64_t RowId = 0;
    std::string DatabaseFile;
};

std::optional<Registration> FindRegistration(Database& admin, std::string_view fileName)
{
    auto find = admin.Prepare("SELECT rowid, \"MDB_DATEI\" FROM " + QuoteIdentifier(kDepartmentsTable) +
                              " WHERE rtrim(\"MDB_DATEI\", ' ') = ? ORDER BY rowid LIMIT 1");
    find.Bind(1, std::string(fileName));
    if (!find.Step()) return std::nullopt;
    return Registration{find.Int(0), std::string(TrimBlanks(find.Text(1)))};
}

void RemoveRegistration(Database& admin, std::int64_t rowId)
{
    admin.Prepare("DELETE FROM " + QuoteIdentifier(kDepartmentsTable) + " WHERE rowid = ?").Bind(1, rowId).Execute();
}

void ShowDeleting(UserInterface& ui, const std::string& line)
{
    ui.SetStatusText(1, " Lösche Datenbank...");
    ui.SetStatusText(2, std::string(HospitalTextOf(line)) + " ");
    ui.SetStatusText(3, std::string(DepartmentTextOf(line)) + " ");
    ui.ProcessPendingEvents();
}

enum class Deletion {
    Done,
    AlreadyGone,  // deleted by another workstation: the line has nothing left to stand for
    FileKept,     // the file could not be deleted: the row and the line stay
};

// Deletes one department: its database file, then its row. A file that cannot be deleted keeps the
// row, and is reported.
Deletion DeleteDepartment(Database& admin, const Settings& settings, const std::string& line, UserInterface& ui)
{
    const auto registration = FindRegistration(admin, DatabaseFileOf(line));
    if (!registration) return Deletion::AlreadyGone;
    if (!registration->DatabaseFile.empty()) {
        const auto file = DataFilePath(settings.SystemDataPath, registration->DatabaseFile);
        if (const auto failure = RemoveDepartmentFile(file)) {
            const std::string department(TrimBlanks(DepartmentTextOf(line)));
            ShowGeneralError(ui, " Die Datenbank " + registration->DatabaseFile + " der Abteilung " + department +
                                     " kann nicht gelöscht werden: " + *failure);
            return Deletion::FileKept;
        }
    }
    RemoveRegistration(admin, registration->RowId);
    return Deletion::Done;
}

// The list after deleting: the lines kept and those not reached, the first of them selected.
void KeepLines(std::vector<std::string>& lines, std::vector<bool>& selected, std::vector<std::string> kept,
               std::size_t notReachedFrom)
{
    kept.insert(kept.end(), lines.begin() + static_cast<std::ptrdiff_t>(notReachedFrom), lines.end());
    lines = std::move(kept);
    selected.assign(lines.size(), false);
    if (!lines.empty()) selected.front() = true;
}

}  // namespace

std::string DepartmentLine::Key() const
{
    return std::string(TrimBlanks(Kanr)) + "/" + std::string(TrimBlanks(Abteilung));
}

std::string DepartmentLineText(std::string_view kanr, std::string_view hospitalName, std::string_view abteilung,
                               std::string_view departmentName, std::string_view databaseFile, std::string_view status)
{
    std::string text;
    text += FitToWidth(kanr, kHospitalNumberWidth);
    text += " - ";
    text += FitToWidth(hospitalName, kHospitalNameWidth);
    text += "  ";
    text += FitToWidth(abteilung, 8);
    text += " - ";
    text += FitToWidth(departmentName, kDepartmentNameWidth);
    text += "   ";
    text += FitToWidth(databaseFile, 12);
    text += " ";
    text += status;
    return text;
}

std::vector<DepartmentLine> ReadDepartmentLines(Database& admin)
{
    std::vector<DepartmentLine> lines;
    auto rows = admin.Prepare("SELECT \"KANR\", \"ABTEILUNG\", \"MDB_DATEI\", \"Status\" FROM " +
                              QuoteIdentifier(kDepartmentsTable) + " ORDER BY rowid");
    while (rows.Step()) {
        DepartmentLine line;
        line.Kanr = rows.Text(0);
        line.Abteilung = rows.Text(1);
        const std::string hospitalName = HospitalName(admin, line.Kanr).value_or("");
        const std::string departmentName =
            DepartmentName(admin, LeftCharacters(line.Abteilung, kDepartmentCodeWidth)).value_or("");
        line.Text =
            DepartmentLineText(line.Kanr, hospitalName, line.Abteilung, departmentName, rows.Text(2), rows.Text(3));
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<DepartmentLine> ReadDepartmentLines(const Settings& settings)
{
    Database admin = OpenForReading(settings, DataFilePath(settings.SystemDataPath, kAdminDatabaseFile));
    return ReadDepartmentLines(admin);
}

std::string_view HospitalTextOf(std::string_view line)
{
    return MidCharacters(line, 1, 28);
}

std::string_view DepartmentTextOf(std::string_view line)
{
    return MidCharacters(line, 29, 44);
}

std::string_view DatabaseFileOf(std::string_view line)
{
    return WithoutTrailingBlanks(MidCharacters(line, 85, 12));
}

bool IsExternal(std::string_view line)
{
    return MidCharacters(line, 98, 1) == "E";
}

bool CheckDataImported(const Settings& settings, UserInterface& ui)
{
    Database admin = OpenForReading(settings, DataFilePath(settings.SystemDataPath, kAdminDatabaseFile));
    auto rows = admin.Prepare("SELECT 1 FROM " + QuoteIdentifier(kDepartmentsTable) + " LIMIT 1");
    if (rows.Step()) return true;
    ShowNotice(ui, Notice::NoDataImported);
    return false;
}

std::size_t DeleteDepartments(const Settings& settings, std::vector<std::string>& lines, std::vector<bool>& selected,
                              UserInterface& ui)
{
    selected.resize(lines.size(), false);
    std::size_t toDelete = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        toDelete += selected[i] ? 1 : 0;
    if (toDelete == 0) {
        ShowNotice(ui, Notice::NothingSelected);
        return 0;
    }
    if (AskConfirmation(ui, Question::RemoveReports) != MessageAnswer::Yes) return 0;

    const ReadyAtEnd ready(ui);
    const BusyPointer busy(ui);
    std::optional<ExclusiveLock> lock;
    try {
        lock.emplace(SystemDataLockFile(settings));
    } catch (const LockedError& error) {
        ShowFailure(ui, error, "");
        return 0;
    }
    Database admin(DataFilePath(settings.SystemDataPath, kAdminDatabaseFile));
    std::size_t deleted = 0;
    std::vector<std::string> kept;
    std::size_t i = 0;
    try {
        for (; i < lines.size(); ++i) {
            if (!selected[i]) {
                kept.push_back(lines[i]);
                continue;
            }
            ShowDeleting(ui, lines[i]);
            switch (DeleteDepartment(admin, settings, lines[i], ui)) {
            case Deletion::Done:
                ++deleted;
                break;
            case Deletion::FileKept:
                kept.push_back(lines[i]);
                break;
            case Deletion::AlreadyGone:
                break;
            }
        }
    } catch (...) {
        // Also after a failure of the admin database the list shows what is gone and what is not.
        KeepLines(lines, selected, std::move(kept), i);
        throw;
    }
    KeepLines(lines, selected, std::move(kept), i);
    return deleted;
}

}  // namespace kalmora
