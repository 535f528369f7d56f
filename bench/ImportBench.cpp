// Import throughput: sets up an installation in a temporary folder, generates one department file
// and imports it the way the batch tool does, then reports time and peak memory.
// Usage: bench_import [STAYS]   (default 100000, about 830,000 lines)
#include "cli/ImportFileGenerator.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "import/ImportRun.h"
#include "storage/Setup.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double PeakMemoryMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // Linux reports kilobytes
}

// Notes when the import's status text changes, which marks its phases: the line count while the
// lines are read and checked, then the storing of the accepted stays.
class TimedUserInterface : public kalmora::ScriptedUserInterface {
public:
    void SetStatusText(int panel, std::string_view text) override
    {
        ScriptedUserInterface::SetStatusText(panel, text);
        if (panel != 1) return;
        if (text.starts_with(" Überprüfe")) LastLineShown = Clock::now();
        if (text.starts_with(" Importiere")) StoringBegan = Clock::now();
    }

    Clock::time_point LastLineShown;
    Clock::time_point StoringBegan;
};

// A fresh folder, removed with everything in it when the run ends.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string name = (std::filesystem::temp_directory_path() / "kalmora-bench-XXXXXX").string();
        if (!mkdtemp(name.data())) throw std::runtime_error("no temporary folder");
        m_path = name;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

int Run(std::uint64_t stays)
{
    using namespace kalmora;
    const ScratchFolder folder;
    const auto settingsFile = folder.Path() / kDefaultSettingsFileName;
    SetupInstallation(folder.Path(), settingsFile, KALMORA_REFERENCE_DIR, 2024);
    TimedUserInterface ui;
    SettingsFile file;
    file.SettingsFileName = settingsFile.string();
    Settings settings;
    LoadSettings(file, ui, settings);

    cli::GeneratorOptions options;
    options.Stays = stays;
    const auto generating = Clock::now();
    const cli::GeneratedFile generated = cli::GenerateImportFile(folder.Path() / "import", options);
    const double generateSeconds = SecondsSince(generating);

    ImportRun run;
    const auto importing = Clock::now();
    const bool completed = RunImport(run, {generated.Path}, "protocol.dat", false, ImportEnvironment{settings, ui});
    const auto finished = Clock::now();
    const double importSeconds = std::chrono::duration<double>(finished - importing).count();
    if (!completed) {
        std::cerr << "import failed:";
        for (const auto& message : ui.Messages()) std::cerr << ' ' << message.Text;
        std::cerr << '\n';
        return 1;
    }

    const auto lines = static_cast<double>(generated.Lines);
    std::printf("stays            %llu\n", static_cast<unsigned long long>(stays));
    std::printf("lines            %llu (%.1f MB)\n", static_cast<unsigned long long>(generated.Lines),
                static_cast<double>(std::filesystem::file_size(generated.Path)) / 1e6);
    std::printf("generate         %.2f s\n", generateSeconds);
    std::printf("import           %.2f s\n", importSeconds);
    std::printf("  reading lines  %.2f s\n", std::chrono::duration<double>(ui.LastLineShown - importing).count());
    std::printf("  stay checks    %.2f s\n", std::chrono::duration<double>(ui.StoringBegan - ui.LastLineShown).count());
    std::printf("  storing        %.2f s\n", std::chrono::duration<double>(finished - ui.StoringBegan).count());
    std::printf("lines per second %.0f\n", lines / importSeconds);
    std::printf("peak memory      %.1f MB\n", PeakMemoryMegabytes());
    std::printf("result           %s\n", run.ResultRows.Entries.front().c_str());
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    std::uint64_t stays = 100000;
    if (argc > 1) {
        const std::string_view text = argv[1];
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), stays);
        if (error != std::errc() || end != text.data() + text.size() || stays == 0) {
            std::cerr << "usage: bench_import [STAYS]\n";
            return 2;
        }
    }
    try {
        return Run(stays);
    } catch (const std::exception& error) {
        std::cerr << "bench_import: " << error.what() << '\n';
        return 1;
    }
}
