#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace kalmora::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitFailure = 2;
// import: the run completed, but a file could not be stored ("schwerwiegende Dateninkonsistenz").
inline constexpr int kExitNotStored = 3;
// import: files were stored, but the protocol could not be written; what it held is kept beside it
// under a fresh name, which standard error names.
inline constexpr int kExitProtocolNotWritten = 4;

struct Environment {
    // Directory of the running program.
    std::filesystem::path ProgramDirectory;
    // The shipped data (reference lists), found from the program's own place; see DataDirectoryOf.
    std::filesystem::path DataDirectory;
    // Calendar year of today, for the survey period that set-up writes.
    int CurrentYear = 0;
};

// Runs `kalmora-cli` with the arguments after the program name and returns the exit status:
// 0 success, 1 usage error, 2 failure. Messages are German and go to `err`.
int RunCli(const std::vector<std::string>& arguments, const Environment& environment, std::ostream& out,
           std::ostream& err);

}  // namespace kalmora::cli
