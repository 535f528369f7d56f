#pragma once

#include "import/ImportResults.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

class ExclusiveLock;
class ImportProtocol;
class UserInterface;
struct Settings;

// The state of an import run that the run's steps share.
struct ImportRun {
    std::string ImportFileName;            // the file's name without directory
    std::filesystem::path ImportFilePath;  // the file's full path
    int CurrentFileIndex = 0;              // 1-based number of the file being imported
    int SelectedFileCount = 0;
    bool InitialiseDepartment = false;  // discard the department's stored stays
    std::string FileResult;             // patients (6), imported (6), comment
    ImportResultRows ResultRows;
    int FilesStored = 0;  // files whose stays the run stored (or whose department it emptied)
    // Why the protocol could not be written; empty when it was. Where what it held was kept, the
    // message to the user says.
    std::string ProtocolFailure;
};

// The comment of a file that the run did not finish because its protocol could not be written.
inline constexpr std::string_view kProtocolFailedComment = "nicht importiert: Protokoll nicht schreibbar";

// The comment of a file whose stays could not be stored.
inline constexpr std::string_view kStoringFailedComment = "schwerwiegende Dateninkonsistenz";

// Whether a file of the run could not be stored, so that a script sees it beside a completed run.
bool AnyFileNotStored(const ImportRun& run);

// What a run needs besides its state.
struct ImportEnvironment {
    const Settings& Config;
    UserInterface& Ui;
};

// Imports the file named by run.ImportFileName / ImportFilePath into its department's database and
// sets run.FileResult. Findings go to the protocol. Failures other than the file's own faults throw.
// The caller holds `lock`, the system data lock, for the whole file.
void ImportFile(ImportRun& run, ImportProtocol& protocol, const ImportEnvironment& environment,
                const ExclusiveLock& lock);

// Imports the files in order with one protocol (`protocolFileName` in ExportDataPath, created anew)
// and fills run.ResultRows; the questions of the dialog have been asked before. Holds the system
// data directory's lock for the whole run. Returns true when the run has results to show. A protocol
// that cannot be written stops the run at the file it was written for; the files before stay stored,
// what the protocol held is kept under a fresh name, the user is told, and run.ProtocolFailure says
// why (the run returns true once it began a file). Any other failure stops the run with
// " Fehlerursache unbekannt!" and its reason; stored databases stay intact and the protocol is closed.
bool RunImport(ImportRun& run, const std::vector<std::filesystem::path>& files, std::string_view protocolFileName,
               bool initialiseDepartment, const ImportEnvironment& environment);

}  // namespace kalmora
