#include "analysis/CombinedExport.h"

#include "foundation/DiagnosticLog.h"
#include "foundation/FailureText.h"
#include "foundation/FixedText.h"
#include "foundation/Messages.h"
#include "foundation/Platform.h"
#include "foundation/SafeFile.h"
#include "foundation/Settings.h"
#include "foundation/UserInterface.h"
#include "import/FieldChecks.h"
#include "reports/DepartmentLines.h"
#include "storage/CopyTables.h"
#include "storage/Database.h"
#include "storage/DepartmentTemplate.h"
#include "storage/FileSafety.h"
#include "storage/Integrity.h"
#include "storage/Schema.h"
#include "storage/SystemFiles.h"

#include <optional>
#include <system_error>

namespace kalmora {

namespace fs = std::filesystem;

namespace {

// The report list's line ends with the database file name in column 96.
constexpr std::size_t kExportLineWidth = 96;

bool IsValidExportFileName(std::string_view fileName)
{
    std::int16_t checkState = kCheckOk;
    CheckShortFileName(checkState, fileName);
    return checkState == kCheckOk;
}

// With the export directory set to the system data directory, a name such as "iadmin.mdb" would
// replace the program's own data by the export.
void RefuseSystemFile(const Settings& settings, const fs::path& directory, const std::string& name)
{
    if (IsSystemDataFile(settings, directory, name)) {
        throw ExportError("Die Gesamtdatenbank " + name +
                          " würde eine Datenbank des Systemverzeichnisses ersetzen. Bitte einen anderen Namen "
                          "oder ein anderes Exportverzeichnis wählen.");
    }
}

// Clears away a half-built file; a failure here must not hide the one that is being reported.
void ExportDepartment(const Settings& settings, Database& admin, const std::string& line, const fs::path& building)
{
    const std::string fileName(DatabaseFileOf(line));
    const std::string department(TrimBlanks(MidCharacters(line, 30, 52)));
    const fs::path file = DataFilePath(settings.SystemDataPath, fileName);
    if (fileName.empty() || !fs::is_regular_file(file)) {
        throw ExportError("Die Datenbank " + (fileName.empty() ? std::string("(ohne Namen)") : fileName) +
                          " der Abteilung " + department + " wurde nicht gefunden.");
    }
    try {
        // Read-write only because the combined database is attached to it; the department's data
        // are only read.
        Database source(file);
        // Nothing is written to it, so it need not take part in the commit: otherwise the engine keeps
        // a super-journal beside it during the commit, which a killed export would leave behind.
        source.Execute("PRAGMA main.synchronous = OFF");
        VerifyDatabase(admin, source, DatabaseKind::Department);
        CopyTablesToDatabase(source, building, CopyTarget::Existing, CopiedSurveyDays::ImportedOnly);
    } catch (const StorageError& error) {
        throw ExportError("Die Abteilung " + department + " (" + fileName +
                          ") kann nicht exportiert werden: " + error.what());
    }
}

}  // namespace

std::string ExportLineText(std::string_view reportLine)
{
    return std::string(LeftCharacters(reportLine, kExportLineWidth));
}

bool CheckExportFileName(std::string_view fileName, UserInterface& ui)
{
    if (IsValidExportFileName(fileName)) return true;
    ShowNotice(ui, Notice::InvalidFileName);
    return false;
}

fs::path ExportDepartments(const Settings& settings, const std::vector<std::string>& lines, std::string_view fileName,
                           UserInterface& ui)
{
    if (!IsValidExportFileName(fileName)) throw ExportError("Ungültiger Dateiname: " + std::string(fileName));
    RequireFullPath("SystemDataPath", settings.SystemDataPath);
    const ReadyAtEnd ready(ui);
    const BusyPointer busy(ui);

    // An empty value (a setting that could not be read) would send the patient data to the root.
    if (TrimBlanks(settings.ExportDataPath).empty()) {
        throw ExportError(*RelativePathText("ExportDataPath", settings.ExportDataPath));
    }
    // A relative text (such as "unknown" from a missing setting) would land wherever the program runs.
    const auto exportDirectory = HeldDirectoryPath(settings.ExportDataPath);
    std::error_code missing;
    if (!exportDirectory || !fs::is_directory(*exportDirectory, missing)) {
        throw ExportError("Das Exportverzeichnis " + settings.ExportDataPath +
                          " existiert nicht. Bitte in den Optionen ein Exportverzeichnis wählen.");
    }
    const fs::path directory = *exportDirectory;
    const fs::path target = DataFilePath(settings.ExportDataPath, TrimBlanks(fileName));
    try {
        RefuseSystemFile(settings, directory, target.filename().string());
    } catch (const StorageError& error) {
        throw ExportError("Die Verwaltungsdatenbank kann nicht gelesen werden: " + std::string(error.what()));
    }
    if (fs::is_directory(target)) {
        throw ExportError("Die Gesamtdatenbank " + target.string() +
                          " kann nicht geschrieben werden: " + "Unter diesem Namen besteht ein Verzeichnis.");
    }

    std::optional<ExclusiveLock> lock;
    try {
        lock.emplace(SystemDataLockFile(settings));
    } catch (const fs::filesystem_error& error) {
        throw ExportError("Das Systemverzeichnis " + settings.SystemDataPath +
                          " ist nicht erreichbar: " + GermanErrorText(error.code()));
    }
    // What exports killed while they built a database left here, under any name.
    RemoveDatabasesBuiltByKilledRuns(directory);

    std::error_code syncFailure;
    try {
        Database admin(DataFilePath(settings.SystemDataPath, kAdminDatabaseFile));
        const fs::path templateFile = SoundTemplate(admin, DataFilePath(settings.SystemDataPath, ""));
        // Built under the system data lock: a fixed name beside the target, cleared by the next export.
        SafeFile building(target, SafeFile::Sibling::Fixed);
        platform::CopyFileReplacing(templateFile, building.Path());
        for (const std::string& line : lines) {
            ui.SetStatusText(1, " Erstelle Gesamtdatenbank...");
            ui.SetStatusText(2, std::string(HospitalTextOf(line)) + " ");
            ui.SetStatusText(3, std::string(MidCharacters(line, 30, 44)) + " ");
            ui.ProcessPendingEvents();
            ExportDepartment(settings, admin, line, building.Path());
        }
        // A journal of an earlier file of the name would be played back into the new one.
        RemoveDatabaseSideFiles(target);
        syncFailure = building.Commit();
    } catch (const fs::filesystem_error& error) {
        throw ExportError("Die Gesamtdatenbank " + target.string() +
                          " kann nicht geschrieben werden: " + GermanErrorText(error.code()));
    } catch (const StorageError& error) {
        throw ExportError(error.what());
    }
    // The file is in place: a folder that could not be synced afterwards is told, not a failure.
    if (syncFailure) {
        const std::string reason =
            "Die Gesamtdatenbank " + target.string() +
            " ist gespeichert; das Verzeichnis konnte danach nicht gesichert werden: " + GermanErrorText(syncFailure);
        WriteDiagnostic(DataFilePath(settings.SystemDataPath, ""), "Export", reason);
        ui.ShowMessage(" " + reason, kNoticeTitle, MessageIcon::Exclamation, MessageButtons::Ok);
    }
    return target;
}

void ReportExportSuccess(UserInterface& ui)
{
    ui.Beep();
    ui.ShowMessage(kExportSuccessText, kNoticeTitle, MessageIcon::Exclamation, MessageButtons::Ok);
}

}  // namespace kalmora
