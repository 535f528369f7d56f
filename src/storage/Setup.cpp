#include "storage/Setup.h"

#include "foundation/FailureText.h"
#include "foundation/Platform.h"
#include "foundation/SafeFile.h"
#include "foundation/Settings.h"
#include "foundation/Utf8Path.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/ReferenceData.h"
#include "storage/Schema.h"

#include <string>
#include <system_error>

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

// The hidden temporaries a killed writer of the settings file left beside it.
void RemoveTemporariesOf(const std::filesystem::path& file) noexcept
{
    std::error_code error;
    const std::string name = Utf8Of(file.filename());
    for (std::filesystem::directory_iterator entries(file.parent_path(), error), end; !error && entries != end;
         entries.increment(error)) {
        std::error_code ignored;
        if (entries->is_regular_file(ignored) && IsHiddenTemporaryOf(Utf8Of(entries->path().filename()), name)) {
            std::filesystem::remove(entries->path(), ignored);
        }
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
    // What set-up makes gets the rights of a shared installation, also where it was made before (by
    // a set-up that was killed, or under another umask); where that is not this user's to change, it
    // is told.
    auto share = [&report](const std::filesystem::path& path) {
        try {
            platform::ShareWithGroup(path);
        } catch (const std::filesystem::filesystem_error& error) {
            report.RightsNotSet.push_back({path, GermanErrorText(error.code())});
        }
    };

    // The settings file could not hold these paths in full: refused before anything is made.
    const Settings settings = InitialSettings(root, year);
    for (const auto* path : {&settings.ImportDataPath, &settings.ExportDataPath, &settings.SystemDataPath}) {
        if (auto problem = PathTooLongForSettings(*path)) throw SettingsPathError(*problem);
    }

    if (!std::filesystem::exists(root)) {
        std::filesystem::create_directories(root.parent_path());
        platform::CreateSharedFolder(root);
    }
    share(root);
    for (const char* folder : {"system", "import", "export"}) {
        note(root / folder, platform::CreateSharedFolder(root / folder));
        share(root / folder);
    }
    // Set-up writes the system folder like an import: what a killed set-up left there is cleared.
    const ExclusiveLock lock(root / "system" / std::string(kLockFileName));

    RemoveTemporariesOf(settingsFile);
    if (std::filesystem::exists(settingsFile)) {
        note(settingsFile, false);
    } else {
        WriteSettingsFile(settingsFile, settings);
        note(settingsFile, true);
    }
    share(settingsFile);

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
    share(admin);

    const auto templateFile = root / "system" / kTemplateDatabaseFile;
    if (std::filesystem::exists(templateFile)) {
        note(templateFile, false);
    } else {
        CreateDepartmentTemplate(templateFile);
        note(templateFile, true);
    }
    share(templateFile);
    share(root / "system" / std::string(kLockFileName));

    ListWhatIsOpenToOthers(root, report.OpenToOthers);
    return report;
}

}  // namespace kalmora
