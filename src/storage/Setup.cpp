#include "storage/Setup.h"

#include "foundation/Platform.h"
#include "foundation/Settings.h"
#include "foundation/Utf8Path.h"
#include "storage/Database.h"
#include "storage/ReferenceData.h"
#include "storage/Schema.h"

#include <string>

namespace kalmora {

namespace {

Settings InitialSettings(const std::filesystem::path& directory, int year)
{
    Settings settings;
    settings.ImportDataPath = Utf8Of(directory / "import");
    settings.ExportDataPath = Utf8Of(directory / "export");
    settings.SystemDataPath = Utf8Of(directory / "system");
    settings.PlausLevel = "Warning";
    settings.Erhebungvon = std::to_string(year) + "0101";
    settings.Erhebungbis = std::to_string(year) + "1231";
    settings.MindestStd = "6";
    settings.MehrfachTISS = "J";
    settings.ErsatzTISS = "N";
    return settings;
}

// The installation's folder and everything in it (import files and protocols hold patient data too).
void ListWhatIsOpenToOthers(const std::filesystem::path& root, std::vector<std::filesystem::path>& open)
{
    if (platform::OpenToOthers(root)) open.push_back(root);
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator entry(root, error), end; !error && entry != end;
         entry.increment(error)) {
        if (platform::OpenToOthers(entry->path())) open.push_back(entry->path());
    }
}

}  // namespace

SetupReport SetupInstallation(const std::filesystem::path& directory, const std::filesystem::path& settingsFile,
                              const std::filesystem::path& referenceDirectory, int year)
{
    const auto root = std::filesystem::absolute(directory).lexically_normal();
    SetupReport report;
    auto note = [&report](const std::filesystem::path& path, bool created) {
        (created ? report.Created : report.Kept).push_back(path);
    };

    // The settings file could not hold these paths in full: refused before anything is made.
    const Settings settings = InitialSettings(root, year);
    for (const auto* path : {&settings.ImportDataPath, &settings.ExportDataPath, &settings.SystemDataPath}) {
        if (auto problem = PathTooLongForSettings(*path)) throw SettingsPathError(*problem);
    }

    if (!std::filesystem::exists(root)) {
        std::filesystem::create_directories(root);
        platform::RestrictToOwnerAndGroup(root);
    }
    for (const char* folder : {"system", "import", "export"}) {
        const bool created = std::filesystem::create_directory(root / folder);
        if (created) platform::RestrictToOwnerAndGroup(root / folder);
        note(root / folder, created);
    }

    if (std::filesystem::exists(settingsFile)) {
        note(settingsFile, false);
    } else {
        WriteSettingsFile(settingsFile, settings);
        note(settingsFile, true);
    }

    const auto admin = root / "system" / kAdminDatabaseFile;
    if (std::filesystem::exists(admin)) {
        note(admin, false);
    } else {
        const ReferenceLists lists =
            ReadReferenceLists(referenceDirectory / "hospitals.csv", referenceDirectory / "departments.csv");
        CreateDatabaseFile(admin, AdminSchemaSql(), [&lists](Database& database) {
            FillReferenceTables(database, lists.Hospitals, lists.Departments);
        });
        note(admin, true);
    }

    const auto templateFile = root / "system" / kTemplateDatabaseFile;
    if (std::filesystem::exists(templateFile)) {
        note(templateFile, false);
    } else {
        CreateDepartmentTemplate(templateFile);
        note(templateFile, true);
    }

    ListWhatIsOpenToOthers(root, report.OpenToOthers);
    return report;
}

}  // namespace kalmora
