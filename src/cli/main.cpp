#include "cli/CliCommands.h"
#include "foundation/Platform.h"
#include "foundation/Settings.h"

#include <ctime>
#include <iostream>

int main(int argc, char* argv[])
{
    kalmora::platform::PrepareConsole();
    const std::vector<std::string> arguments = kalmora::platform::ProgramArguments(argc, argv);
    kalmora::cli::Environment environment;
    environment.ProgramDirectory = kalmora::ProgramDirectoryOfProcess();
    environment.DataDirectory = kalmora::DataDirectoryOf(environment.ProgramDirectory);
    environment.CurrentYear = kalmora::platform::LocalTime(std::time(nullptr)).tm_year + 1900;
    return kalmora::cli::RunCli(arguments, environment, std::cout, std::cerr);
}
