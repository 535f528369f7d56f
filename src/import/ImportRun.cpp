#include "import/ImportRun.h"

#include "foundation/DiagnosticLog.h"
#include "foundation/FailureText.h"
#include "foundation/FixedText.h"
#include "foundation/Messages.h"
#include "foundation/Settings.h"
#include "foundation/UserInterface.h"
#include "foundation/Utf8Path.h"
#include "import/ImportErrors.h"
#include "import/ImportProtocol.h"
#include "storage/FileSafety.h"

#include <exception>
#include <system_error>

namespace kalmora {

bool AnyFileNotStored(const ImportRun& run)
{
    for (int file = 0; file < run.CurrentFileIndex; ++file) {
        if (run.ResultRows.Entries.at(static_cast<std::size_t>(file)).ends_with(kStoringFailedComment)) return true;
    }
    return false;
}

namespace {

// The protocol failed: the files stored before stay, and so do their findings, under a fresh name.
void ReportProtocolFailure(ImportRun& run, int finishedFiles, const ProtocolWriteError& error,
                           const ImportEnvironment& environment)
{
    run.ProtocolFailure = error.what();
    if (finishedFiles < run.CurrentFileIndex) {
        // A file the protocol failed for without a result was not stored.
        if (run.FileResult.empty()) run.FileResult = FileResultWithoutNumbers(kProtocolFailedComment);
        run.ResultRows.Entries.at(static_cast<std::size_t>(run.CurrentFileIndex - 1)) += run.FileResult;
    }
    const std::string kept = error.KeptAs.empty()
                                 ? std::string(" Was es bis dahin enthielt, konnte nicht aufbewahrt werden.")
                                 : " Was es bis dahin enthielt, steht in " + Utf8Of(error.KeptAs) + ".";
    WriteDiagnostic(HeldDirectoryPath(environment.Config.SystemDataPath).value_or(""), "Import: Protokoll",
                    std::string(error.what()) + kept);
    environment.Ui.ShowMessage(" Das Protokoll konnte nicht geschrieben werden: " + std::string(error.what()) + kept,
                               kNoticeTitle, MessageIcon::Exclamation, MessageButtons::Ok);
}

}  // namespace

bool RunImport(ImportRun& run, const std::vector<std::filesystem::path>& files, std::string_view protocolFileName,
               bool initialiseDepartment, const ImportEnvironment& environment)
{
    UserInterface& ui = environment.Ui;
    run.SelectedFileCount = static_cast<int>(files.size());
    run.InitialiseDepartment = initialiseDepartment;
    run.CurrentFileIndex = 0;
    run.FilesStored = 0;
    run.ProtocolFailure.clear();
    try {
        const ReadyAtEnd ready(ui);
        if (files.size() > kMaxImportFiles) throw std::length_error("Höchstens 1000 Dateien je Import.");
        // A settings file without a usable path (damaged, unreadable, or not one of ours) must not send
        // the run to some other directory's files.
        RequireFullPath("ExportDataPath", environment.Config.ExportDataPath);
        const auto systemDirectory = HeldDirectoryPath(environment.Config.SystemDataPath);
        std::error_code unknown;
        if (!systemDirectory || !std::filesystem::is_directory(*systemDirectory, unknown)) {
            throw ImportIoError("Das Systemdatenverzeichnis \"" + environment.Config.SystemDataPath +
                                "\" ist nicht vorhanden.");
        }
        const ExclusiveLock lock(SystemDataLockFile(environment.Config));
        ImportProtocol protocol(DataFilePath(environment.Config.ExportDataPath, TrimBlanks(protocolFileName)));
        const BusyPointer busy(ui);
        int finishedFiles = 0;
        try {
            protocol.WriteProtocolLine("", kHeaderLineParameter, "", "");
            for (const auto& file : files) {
                ++run.CurrentFileIndex;
                run.ImportFileName = Utf8Of(file.filename());
                run.ImportFilePath = file;
                run.FileResult.clear();
                std::string& row = run.ResultRows.Entries.at(static_cast<std::size_t>(run.CurrentFileIndex - 1));
                row = BeginResultRow(run.ImportFileName);
                ImportFile(run, protocol, environment, lock);
                row += run.FileResult;
                ++finishedFiles;
            }
            if (const std::error_code syncFailure = protocol.Close()) {
                WriteDiagnostic(*systemDirectory, "Import: Protokoll gespeichert, danach",
                                FolderNotSyncedText(syncFailure));
            }
        } catch (const ProtocolWriteError& error) {
            ReportProtocolFailure(run, finishedFiles, error, environment);
            return run.CurrentFileIndex > 0;
        } catch (...) {
            // The findings about the files before stay; the failure itself is what is reported.
            try {
                static_cast<void>(protocol.Close());
            } catch (const std::exception&) {
            }
            throw;
        }
        return true;
    } catch (const NoticeError& error) {
        // Another run is busy with the data, or the lock file is not this user's to open: a notice,
        // not a failure of unknown cause.
        ShowFailure(ui, error, "");
        return false;
    } catch (const std::exception& error) {
        // The run stops; what was stored before stays intact, and the program goes on.
        const std::string reason = GermanReason(error);
        WriteDiagnostic(HeldDirectoryPath(environment.Config.SystemDataPath).value_or(""),
                        "Import " +
                            (run.CurrentFileIndex == 0 ? std::string("(vor der ersten Datei)") : run.ImportFileName),
                        "Fehlerursache unbekannt: " + reason);
        ui.ShowMessage(" Fehlerursache unbekannt!\n" + reason, kNoticeTitle, MessageIcon::Exclamation,
                       MessageButtons::Ok);
        return false;
    }
}

}  // namespace kalmora
