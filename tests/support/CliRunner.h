#pragma once

#include "cli/CliCommands.h"

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace kalmora::test {

struct CliOutcome {
    int Status;
    std::string Out;
    std::string Err;
};

// Runs the batch tool in this process, as if it were installed in `programDirectory` and today
// were in `year`; the shipped data come from the source tree.
inline CliOutcome RunCliInProcess(const std::vector<std::string>& arguments,
                                  const std::filesystem::path& programDirectory, int year)
{
    cli::Environment environment;
    environment.ProgramDirectory = programDirectory;
    environment.DataDirectory = std::filesystem::path(KALMORA_SOURCE_DIR) / "data";
    environment.CurrentYear = year;
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::RunCli(arguments, environment, out, err);
    return {status, out.str(), err.str()};
}

}  // namespace kalmora::test
