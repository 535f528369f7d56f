// Kills the batch tool at random moments of an import: the department must keep exactly its old or
// exactly its new stays, and the next import must work on whatever the killed one left behind.
#include "cli/CliCommands.h"
#include "cli/ImportFileGenerator.h"

#include "foundation/FixedText.h"
#include "storage/Database.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <iostream>
#include <random>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kalmora {
namespace {

using Clock = std::chrono::steady_clock;

// Big enough that an import takes a second or two in a debug build; sanitizers slow it down.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::uint64_t kStays = 700;
#else
constexpr std::uint64_t kStays = 3000;
#endif
constexpr int kKills = 15;

// The batch tool running as a child process; killed and reaped if the test leaves early.
class Child {
public:
    explicit Child(const std::vector<std::string>& arguments)
    {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(KALMORA_CLI_PATH));
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        m_pid = fork();
        if (m_pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
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

bool WrittenSince(const std::filesystem::path& file, std::filesystem::file_time_type since)
{
    std::error_code missing;
    const auto written = std::filesystem::last_write_time(file, missing);
    return !missing && written >= since;
}

class CrashImportTest : public ::testing::Test {
protected:
    std::filesystem::path System() const { return dir / "inst" / "system"; }

    std::filesystem::path Generate(std::string_view folder, std::uint64_t seed)
    {
        cli::GeneratorOptions options;
        options.Stays = kStays;
        options.Seed = seed;
        return cli::GenerateImportFile(dir / folder, options).Path;
    }

    std::vector<std::string> ImportArguments(const std::filesystem::path& file) const
    {
        return {"--ini", (dir / "inst" / "Kalmora11_0.ini").string(), "import", "--initialise", "--yes", file.string()};
    }

    // Runs an import to its end; returns its wait status.
    int Import(const std::filesystem::path& file)
    {
        Child child(ImportArguments(file));
        EXPECT_TRUE(child.Started());
        return child.Wait();
    }

    struct Timing {
        double Storing = 0;  // seconds from the start until the new department database is begun
        double End = 0;
    };

    // Runs an import to its end and notes when it began to store, so kills can aim at that part.
    Timing TimedImport(const std::filesystem::path& file)
    {
        const auto building = System() / "12510101X001.new";
        const auto start = Clock::now();
        auto elapsed = [&start] { return std::chrono::duration<double>(Clock::now() - start).count(); };
        Child child(ImportArguments(file));
        EXPECT_TRUE(child.Started());
        Timing timing;
        int status = 0;
        while (!child.Ended(status)) {
            if (timing.Storing == 0 && std::filesystem::exists(building)) timing.Storing = elapsed();
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        timing.End = elapsed();
        if (timing.Storing == 0) timing.Storing = timing.End;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "import of " << file << ": " << status;
        return timing;
    }

    // What the department holds, as the next run of the program finds it (a crashed writer's journal
    // is rolled back on opening): its stays with their state and the number of records.
    std::string StoredDepartment()
    {
        Database admin(System() / "iadmin.mdb");
        EXPECT_EQ(IntegrityCheck(admin), "ok");
        auto entry = admin.Prepare("SELECT \"MDB_DATEI\" FROM \"Dateiverwaltung\" "
                                   "WHERE \"KANR\" = 'K001' AND \"ABTEILUNG\" = '12510101'");
        if (!entry.Step()) {
            ADD_FAILURE() << "the admin database no longer lists the department";
            return {};
        }
        const auto file = System() / std::string(TrimBlanks(entry.Text(0)));
        if (!std::filesystem::is_regular_file(file)) {
            ADD_FAILURE() << "the admin database lists the department, but " << file << " is missing";
            return {};
        }

        Database department(file);
        EXPECT_EQ(IntegrityCheck(department), "ok");
        std::string stored;
        auto stays = department.Prepare("SELECT \"KIS_ID\" || '|' || \"DOB\" || '|' || \"ADM_DATE\" || '|' || \"FLAG\" "
                                        "FROM \"Gesamt - Patientenadministration\" ORDER BY 1");
        while (stays.Step())
            stored += stays.Text(0) + "\n";
        auto records = department.Prepare("SELECT (SELECT count(*) FROM \"Satzart 1 - Patientenadministration "
                                          "Intensiv\"), (SELECT count(*) FROM \"Satzart 3 - TISS28\")");
        records.Step();
        stored += "records " + std::to_string(records.Int(0)) + " " + std::to_string(records.Int(1)) + "\n";
        return stored;
    }

    static std::string IntegrityCheck(Database& database)
    {
        auto check = database.Prepare("PRAGMA integrity_check");
        check.Step();
        return check.Text(0);
    }

    test::TempDir dir;
};

TEST_F(CrashImportTest, AKilledImportLeavesTheOldOrTheNewDepartmentAndTheNextOneWorks)
{
    {
        const auto setup = test::RunCliInProcess({"setup", (dir / "inst").string()}, {}, 2024);
        ASSERT_EQ(setup.Status, 0) << setup.Err;
    }
    // Two different files of one department; each import replaces what the other stored.
    const std::array files{Generate("a", 1), Generate("b", 2)};
    std::array<std::string, 2> states;
    std::array<Timing, 2> timings;
    for (std::size_t i = 0; i < 2; ++i) {
        timings[i] = TimedImport(files[i]);
        states[i] = StoredDepartment();
    }
    ASSERT_FALSE(HasFailure());
    ASSERT_NE(states[0], states[1]);
    ASSERT_GT(states[0].size(), kStays);

    std::size_t current = 1;  // the state stored now
    std::mt19937_64 random(20240917);
    int keptOld = 0;
    int storedNew = 0;
    int completed = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const std::size_t next = 1 - current;
        // Half the kills spread over reading and checking; the others over storing, which is short
        // and varies with the machine's load, so they are timed from the moment it begins.
        const Timing& timing = timings[next];
        const int early = kKills / 2;
        const bool storing = kill >= early;
        const double unit = static_cast<double>(random() >> 11) * 0x1.0p-53;
        const double offset = storing ? (timing.End - timing.Storing) * 1.3 * (kill - early + unit) / (kKills - early)
                                      : timing.Storing * (kill + unit) / early;
        const auto started = std::filesystem::file_time_type::clock::now();
        Child child(ImportArguments(files[next]));
        ASSERT_TRUE(child.Started());
        if (storing) {
            // A killed run may have left a database under construction; only a new one counts.
            int ended = 0;
            while (!WrittenSince(System() / "12510101X001.new", started) && !child.Ended(ended)) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        }
        std::this_thread::sleep_for(std::chrono::duration<double>(offset));
        child.Kill();
        const int status = child.Wait();
        const bool killed = WIFSIGNALED(status);
        if (!killed) {
            ++completed;
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << "an import after a killed one failed (kill " << kill << ", status " << status << ")";
        }

        const std::string stored = StoredDepartment();
        if (stored == states[next]) {
            ++storedNew;
            current = next;
        } else if (stored == states[current]) {
            ++keptOld;
            EXPECT_TRUE(killed) << "a completed import left the old stays (kill " << kill << ")";
        } else {
            ADD_FAILURE() << "kill " << kill << " after " << offset << " s left neither the old nor the new stays";
            break;
        }
    }
    std::cout << "[          ] " << kKills << " kills in runs of " << timings[0].End << " / " << timings[1].End
              << " s, storing from " << timings[0].Storing << " / " << timings[1].Storing << " s: " << keptOld
              << " kept the old stays, " << storedNew << " stored the new ones, " << completed << " completed first\n";

    // A last run completes on what the kills left and cleans up after them.
    const std::size_t next = 1 - current;
    const int status = Import(files[next]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(StoredDepartment(), states[next]);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(System())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"12510101X001", "iadmin.mdb", "ibds.mdb", "kalmora.lock"}));
}

}  // namespace
}  // namespace kalmora
