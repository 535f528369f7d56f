#pragma once

// What the kill trials of the batch tool share: the tool as a child process that a test may kill at
// any moment, and an installation to run it on.
#include "cli/ImportFileGenerator.h"
#include "foundation/FixedText.h"
#include "foundation/SafeFile.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kalmora::test {

using Clock = std::chrono::steady_clock;

// The batch tool running as a child process; killed and reaped if the test leaves early. Its output
// goes nowhere, its error stream to `errorFile` where one is given.
class Child {
public:
    explicit Child(const std::vector<std::string>& arguments, const std::filesystem::path& errorFile = {})
    {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(KALMORA_CLI_PATH));
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        m_pid = fork();
        if (m_pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            const int err = errorFile.empty() ? null : open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(null, STDOUT_FILENO);
            dup2(err < 0 ? null : err, STDERR_FILENO);
            execv(KALMORA_CLI_PATH, argv.data());
            _exit(127);
        }
    }
    ~Child()
    {
        Kill();
        Wait();
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Started() const { return m_pid > 0; }

    // Never signals anything once the child is reaped: its number may belong to another process.
    void Kill() const
    {
        if (m_pid > 0) kill(m_pid, SIGKILL);
    }

    // True, with the wait status, once the child has ended.
    bool Ended(int& status)
    {
        if (m_pid > 0 && waitpid(m_pid, &m_status, WNOHANG) == m_pid) m_pid = -1;
        status = m_status;
        return m_pid <= 0;
    }

    // Waits for the child to end; its wait status.
    int Wait()
    {
        while (m_pid > 0 && waitpid(m_pid, &m_status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
        return m_status;
    }

private:
    pid_t m_pid = -1;
    int m_status = 0;
};

inline bool ExitedWith(int status, int code)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

inline bool WrittenSince(const std::filesystem::path& file, std::filesystem::file_time_type since)
{
    std::error_code missing;
    const auto written = std::filesystem::last_write_time(file, missing);
    return !missing && written >= since;
}

// Kills `child` `offset` seconds from now, unless it ended before; true when the kill ended it. A run
// that completed first must have succeeded: `what` names it in the failure.
inline bool KillAfter(Child& child, double offset, const std::string& what)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(offset));
    child.Kill();
    const int status = child.Wait();
    if (WIFSIGNALED(status)) return true;
    EXPECT_TRUE(ExitedWith(status, 0)) << what << " completed, but failed (status " << status << ")";
    return false;
}

// A number in [0, 1).
inline double UnitRandom(std::mt19937_64& random)
{
    return static_cast<double>(random() >> 11) * 0x1.0p-53;
}

inline std::string IntegrityCheck(Database& database)
{
    auto check = database.Prepare("PRAGMA integrity_check");
    check.Step();
    return check.Text(0);
}

// The names in a folder, sorted.
inline std::vector<std::string> FileNames(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// When an import run began to store and when it ended, in seconds from its start.
struct Timing {
    double Storing = 0;  // the new department database is begun
    double End = 0;
};

// An installation made by `setup` in a test's own folder, and the batch tool run on it.
class CrashTrialTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto setup = RunCliInProcess({"setup", (dir / "inst").string()}, {}, 2024);
        ASSERT_EQ(setup.Status, 0) << setup.Err;
    }

    std::filesystem::path System() const { return dir / "inst" / "system"; }
    std::filesystem::path ExportFolder() const { return dir / "inst" / "export"; }

    // The arguments of a run on this installation.
    std::vector<std::string> On(std::vector<std::string> arguments) const
    {
        arguments.insert(arguments.begin(), {"--ini", (dir / "inst" / "Kalmora11_0.ini").string()});
        return arguments;
    }

    std::vector<std::string> ImportArguments(const std::filesystem::path& file) const
    {
        return On({"import", "--initialise", "--yes", file.string()});
    }

    std::filesystem::path Generate(std::string_view folder, std::uint64_t seed, std::uint64_t stays,
                                   std::string_view department = "125101")
    {
        cli::GeneratorOptions options;
        options.Department = department;
        options.Stays = stays;
        options.Seed = seed;
        return cli::GenerateImportFile(dir / folder, options).Path;
    }

    // The database an import of K001/12510101 builds beside the department's; its appearance marks
    // the start of storing.
    std::filesystem::path BuildingDepartment() const
    {
        return System() / ("12510101X001" + std::string(kBuildingSuffix));
    }

    // Runs an import of K001/12510101 to its end and notes when it began to store, so kills can aim
    // at that part.
    Timing TimedImport(const std::filesystem::path& file)
    {
        const auto start = Clock::now();
        auto elapsed = [&start] { return std::chrono::duration<double>(Clock::now() - start).count(); };
        Child child(ImportArguments(file));
        EXPECT_TRUE(child.Started());
        Timing timing;
        int status = 0;
        while (!child.Ended(status)) {
            if (timing.Storing == 0 && std::filesystem::exists(BuildingDepartment())) timing.Storing = elapsed();
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        timing.End = elapsed();
        if (timing.Storing == 0) timing.Storing = timing.End;
        EXPECT_TRUE(ExitedWith(status, 0)) << "import of " << file << ": " << status;
        return timing;
    }

    // Runs the tool to its end; its wait status.
    int Run(const std::vector<std::string>& arguments)
    {
        Child child(arguments);
        EXPECT_TRUE(child.Started());
        return child.Wait();
    }

    // The file names a system folder holds when no run is busy and nothing is left over: the
    // departments' databases and the program's own files.
    static std::vector<std::string> CleanSystemFolder(std::vector<std::string> departmentFiles)
    {
        for (std::string_view own : {kAdminDatabaseFile, kTemplateDatabaseFile, std::string_view("kalmora.lock")})
            departmentFiles.emplace_back(own);
        std::sort(departmentFiles.begin(), departmentFiles.end());
        return departmentFiles;
    }

    // The database file the admin database names for a department; empty, with a failure, when it
    // lists none or the file is missing.
    std::filesystem::path DepartmentFile(Database& admin, std::string_view kanr, std::string_view abteilung)
    {
        auto entry = admin.Prepare("SELECT \"MDB_DATEI\" FROM \"Dateiverwaltung\" WHERE \"KANR\" = ? AND "
                                   "\"ABTEILUNG\" = ?");
        entry.BindAll(kanr, abteilung);
        if (!entry.Step()) {
            ADD_FAILURE() << "the admin database does not list " << kanr << "/" << abteilung;
            return {};
        }
        const auto file = System() / std::string(TrimBlanks(entry.Text(0)));
        if (!std::filesystem::is_regular_file(file)) {
            ADD_FAILURE() << "the admin database lists " << kanr << "/" << abteilung << ", but " << file
                          << " is missing";
            return {};
        }
        return file;
    }

    // What a department holds, as the next run of the program finds it (a crashed writer's journal
    // is rolled back on opening): its stays with their state and the number of records.
    std::string StoredDepartment(std::string_view kanr = "K001", std::string_view abteilung = "12510101")
    {
        Database admin(System() / std::string(kAdminDatabaseFile));
        EXPECT_EQ(IntegrityCheck(admin), "ok");
        const auto file = DepartmentFile(admin, kanr, abteilung);
        if (file.empty()) return {};
        return StoredStays(file);
    }

    // The stays and the number of records of a department or combined database.
    static std::string StoredStays(const std::filesystem::path& file)
    {
        Database database(file);
        EXPECT_EQ(IntegrityCheck(database), "ok") << file;
        std::string stored;
        auto stays = database.Prepare("SELECT \"KIS_ID\" || '|' || \"DOB\" || '|' || \"ADM_DATE\" || '|' || \"FLAG\" "
                                      "FROM \"Gesamt - Patientenadministration\" ORDER BY 1");
        while (stays.Step())
            stored += stays.Text(0) + "\n";
        auto records = database.Prepare("SELECT (SELECT count(*) FROM \"Satzart 1 - Patientenadministration "
                                        "Intensiv\"), (SELECT count(*) FROM \"Satzart 3 - TISS28\")");
        records.Step();
        stored += "records " + std::to_string(records.Int(0)) + " " + std::to_string(records.Int(1)) + "\n";
        return stored;
    }

    TempDir dir;
};

}  // namespace kalmora::test
