#include "storage/DepartmentTemplate.h"

#include "foundation/DiagnosticLog.h"
#include "foundation/FailureText.h"
#include "foundation/SafeFile.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Integrity.h"
#include "storage/Schema.h"
#include "storage/VerifiedFiles.h"

#include <string>

namespace kalmora {

namespace {

// Why the template at `file` cannot be used; empty when it can.
std::string TemplateProblem(Database& admin, const std::filesystem::path& file)
{
    // A link is refused, never replaced: its target would keep the old file.
    if (auto refusal = RefusalOfLink(file)) throw *refusal;
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(file, error))) {
        return EntryExists(file) ? "keine gewöhnliche Datei" : "Datei nicht gefunden";
    }
    try {
        Database database(file, OpenMode::ReadOnly);
        VerifyDatabase(admin, database, DatabaseKind::Template);
        return {};
    } catch (const StorageError& failure) {
        return failure.what();
    }
}

void RebuildTemplate(Database& admin, const std::filesystem::path& file)
{
    try {
        SafeFile building(file, SafeFile::Sibling::Fixed);
        FillNewDatabase(building.Path(), DepartmentSchemaSql());
        const auto version = VersionOf(building.Path());
        // A journal of the old file would be played back into the new one.
        RemoveDatabaseSideFiles(file);
        // In place even where the folder could not be synced: the log tells of the rebuild either way.
        static_cast<void>(building.Commit());
        if (version) VerifiedFiles(admin).Remember(file.filename().string(), *version);
    } catch (const std::filesystem::filesystem_error& failure) {
        throw StorageError("Die Vorlagendatenbank " + file.string() +
                           " kann nicht neu angelegt werden: " + GermanErrorText(failure.code()));
    }
}

}  // namespace

std::filesystem::path SoundTemplate(Database& admin, const std::filesystem::path& systemDirectory)
{
    const auto file = systemDirectory / std::string(kTemplateDatabaseFile);
    const std::string problem = TemplateProblem(admin, file);
    if (problem.empty()) return file;
    RebuildTemplate(admin, file);
    WriteDiagnostic(systemDirectory, "Vorlagendatenbank " + std::string(kTemplateDatabaseFile) + " neu angelegt",
                    problem);
    return file;
}

}  // namespace kalmora
