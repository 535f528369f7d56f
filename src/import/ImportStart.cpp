#include "import/ImportStart.h"

#include "foundation/FixedText.h"
#include "foundation/Messages.h"
#include "foundation/Utf8Path.h"
#include "import/FieldChecks.h"
#include "import/ImportResults.h"
#include "storage/Database.h"
#include "storage/SystemFiles.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace kalmora {

namespace fs = std::filesystem;

namespace {

bool NonEmptyFile(const fs::path& file)
{
    std::error_code error;
    if (!fs::is_regular_file(file, error)) return false;
    const auto size = fs::file_size(file, error);
    return !error && size > 0;
}

// With the export directory set to the system data directory, a protocol named "iadmin.mdb" would
// replace the program's own data. An admin database that cannot be read there is a reason to refuse,
// told as what it is.
std::optional<std::string> SystemDataFileRefusal(const Settings& settings, std::string_view protocolFileName)
{
    const std::string name(TrimBlanks(protocolFileName));
    try {
        if (!IsSystemDataFile(settings, DataFilePath(settings.ExportDataPath, ""), name)) return std::nullopt;
    } catch (const StorageError& error) {
        return " Die Verwaltungsdatenbank kann nicht gelesen werden: " + std::string(error.what());
    }
    return " Die Protokolldatei " + name +
           " würde eine Datei des Systemverzeichnisses ersetzen. Bitte einen anderen Namen oder ein anderes "
           "Exportverzeichnis wählen.";
}

}  // namespace

ImportStart CheckImportStart(std::size_t fileCount, std::string_view protocolFileName, bool initialiseDepartment,
                             const Settings& settings, UserInterface& ui)
{
    if (fileCount > kMaxImportFiles) {
        ShowNotice(ui, Notice::TooManyFiles);
        return ImportStart::Stop;
    }
    if (fileCount == 0) {
        ShowNotice(ui, Notice::NoFileSelected);
        return ImportStart::Stop;
    }
    // The run and its protocol must not land relative to whatever the current directory is.
    for (const auto& [key, directory] : {std::pair{"SystemDataPath", &settings.SystemDataPath},
                                         std::pair{"ExportDataPath", &settings.ExportDataPath}}) {
        if (auto refusal = RelativePathText(key, *directory)) {
            ShowGeneralError(ui, " " + *refusal);
            return ImportStart::Stop;
        }
    }
    // A name that leaves the export directory is refused before the question about overwriting, which
    // would otherwise ask about a file elsewhere.
    if (NameLeavesDirectory(protocolFileName)) {
        ShowNotice(ui, Notice::InvalidFileName);
        return ImportStart::StopAtProtocolName;
    }
    if (const auto refusal = SystemDataFileRefusal(settings, protocolFileName)) {
        ShowGeneralError(ui, *refusal);
        return ImportStart::StopAtProtocolName;
    }
    // An empty protocol holds nothing worth a question.
    if (NonEmptyFile(DataFilePath(settings.ExportDataPath, TrimBlanks(protocolFileName))) &&
        AskConfirmation(ui, Question::OverwriteProtocol) != MessageAnswer::Yes) {
        return ImportStart::StopAtProtocolName;
    }
    if (initialiseDepartment && AskConfirmation(ui, Question::InitialiseDepartments) != MessageAnswer::Yes)
        return ImportStart::Stop;
    std::int16_t checkState = kCheckOk;
    CheckShortFileName(checkState, protocolFileName);
    // CheckShortFileName fails only with kCheckInvalidShortFileName, an invalid name.
    if (checkState != kCheckOk) {
        ShowNotice(ui, Notice::InvalidFileName);
        return ImportStart::StopAtProtocolName;
    }
    return ImportStart::Go;
}

std::optional<fs::path> OpenImportDirectory(Settings& settings, SettingsFile& file, UserInterface& ui)
{
    const auto import = HeldDirectoryPath(settings.ImportDataPath);
    if (import && ImportDirectoryAvailable(*import)) return import;
    const auto system = HeldDirectoryPath(settings.SystemDataPath);
    // Writing a directory that is no better would only spoil the setting the user had.
    if (!system || !ImportDirectoryAvailable(*system)) return std::nullopt;
    WriteIniValue(file, ui, kPathSection, "ImportDataPath", settings.SystemDataPath);
    settings.ImportDataPath = settings.SystemDataPath;
    return system;
}

std::vector<std::string> ImportFileEntries(const fs::path& directory)
{
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator entries(directory, error);
    if (error) return names;
    for (const auto& entry : entries) {
        const std::string name = Utf8Of(entry.path().filename());
        if (name.starts_with('.')) continue;
        std::error_code kindError;
        if (entry.is_regular_file(kindError)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& left, const std::string& right) {
        const std::string leftLower = LowerAscii(left);
        const std::string rightLower = LowerAscii(right);
        return leftLower != rightLower ? leftLower < rightLower : left < right;
    });
    return names;
}

bool ImportDirectoryAvailable(const fs::path& directory)
{
    // A relative text such as "unknown" would be looked up in whatever the working directory is.
    if (!IsFullPath(directory)) return false;
    std::error_code error;
    fs::directory_iterator entries(directory, error);
    return !error;
}

}  // namespace kalmora
