// Kills the batch tool while a second run waits for the lock, during an export and during a save of
// base data: every file must hold exactly its old or its new content, the waiting run must get
// through, and nothing the killed run wrote may stay behind once the next run has taken the lock.
#include "support/CrashTrials.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <random>
#include <thread>

#include <sys/stat.h>

namespace kalmora {
namespace {

using test::Child;
using test::Clock;
using test::Timing;

// The killed import runs long enough for the kills to spread over it; sanitizers slow everything down.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::uint64_t kLongStays = 400;
constexpr int kTrialScale = 2;
#else
constexpr std::uint64_t kLongStays = 1000;
constexpr int kTrialScale = 1;
#endif
constexpr std::uint64_t kShortStays = 100;
constexpr int kWaitingKills = 10 / kTrialScale;
constexpr int kExportKills = 16 / kTrialScale;
constexpr int kBaseDataKills = 40 / kTrialScale;
constexpr int kSetupKills = 20 / kTrialScale;

constexpr std::string_view kLockedText = "Ein anderer Import oder Export arbeitet gerade";
const auto kFirstTry = std::chrono::milliseconds(50);  // the first run holds the lock by then
const auto kRetryPause = std::chrono::milliseconds(50);
const auto kGiveUp = std::chrono::seconds(60);

double Seconds(Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

std::string ReadText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CrashWritesTest : public test::CrashTrialTest {
protected:
    // Runs the tool to its end; the seconds it took.
    double TimedRun(const std::vector<std::string>& arguments)
    {
        const auto start = Clock::now();
        const int status = Run(arguments);
        EXPECT_TRUE(test::ExitedWith(status, 0)) << "status " << status;
        return Seconds(Clock::now() - start);
    }

    struct Waiting {
        int FirstStatus = 0;  // wait status of the run that was killed
        int Tries = 0;        // runs of the waiting one, the last included
        bool GotThrough = false;
    };

    // When the first run is killed: `After` seconds after its start, or after it wrote `Marker`.
    struct KillMoment {
        double After = 0;
        std::filesystem::path Marker;
    };

    // Starts `first`, then tries `second` again and again while it finds the lock held, as a nightly
    // script would, and kills `first` at `moment`.
    Waiting KillWhileWaiting(const std::vector<std::string>& first, const std::vector<std::string>& second,
                             const KillMoment& moment)
    {
        const auto errors = dir / "second.err";
        const auto start = Clock::now();
        const auto started = std::filesystem::file_time_type::clock::now();
        const auto after = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(moment.After));
        std::optional<Clock::time_point> killAt;
        Child running(first);
        EXPECT_TRUE(running.Started());
        bool firstEnded = false;
        std::optional<Child> waiting;
        auto nextTry = start + kFirstTry;
        Waiting result;
        for (;;) {
            const auto now = Clock::now();
            if (!firstEnded) {
                if (!killAt && (moment.Marker.empty() || test::WrittenSince(moment.Marker, started))) {
                    killAt = (moment.Marker.empty() ? start : now) + after;
                }
                if (killAt && now >= *killAt) running.Kill();
                firstEnded = running.Ended(result.FirstStatus);
            }
            int status = 0;
            if (!waiting && now >= nextTry) {
                waiting.emplace(second, errors);
                ++result.Tries;
            } else if (waiting && waiting->Ended(status)) {
                waiting.reset();
                if (test::ExitedWith(status, 0)) {
                    result.GotThrough = true;
                    break;
                }
                const std::string message = ReadText(errors);
                if (!test::ExitedWith(status, 2) || message.find(kLockedText) == std::string::npos) {
                    ADD_FAILURE() << "the waiting run failed otherwise (status " << status << "): " << message;
                    break;
                }
                nextTry = now + kRetryPause;
            }
            if (now - start > kGiveUp) {
                ADD_FAILURE() << "the waiting run did not get through in " << Seconds(kGiveUp) << " s";
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        result.FirstStatus = running.Wait();
        return result;
    }

    // DGKP, beds and pre-classification as the admin database holds them.
    std::string StoredBaseData()
    {
        Database admin(System() / std::string(kAdminDatabaseFile));
        EXPECT_EQ(test::IntegrityCheck(admin), "ok");
        auto entry =
            admin.Prepare("SELECT quote(\"DGKP\") || '|' || quote(\"SBETT\") || '|' || quote(\"VOREINSTUFUNG\") "
                          "FROM \"Dateiverwaltung\" WHERE \"KANR\" = 'K001' AND \"ABTEILUNG\" = '12510101'");
        if (!entry.Step()) {
            ADD_FAILURE() << "the admin database no longer lists the department";
            return {};
        }
        return entry.Text(0);
    }

    // The department's list entry as the next run of the tool prints it.
    std::string ShownEntry()
    {
        const auto shown = test::RunCliInProcess(On({"department", "K001/12510101"}), {}, 2024);
        EXPECT_EQ(shown.Status, 0) << shown.Err;
        return shown.Out;
    }

    // Leaves the admin database as a writer killed in the middle of a transaction leaves it: changed
    // pages in the file and the journal that undoes them beside it.
    void LeaveUnfinishedWrite()
    {
        const auto admin = System() / std::string(kAdminDatabaseFile);
        const pid_t writer = fork();
        if (writer == 0) {
            Database database(admin);
            // A cache of one page spills the changes into the file before any commit.
            database.Execute("PRAGMA cache_size = 1");
            database.Execute("BEGIN IMMEDIATE");
            database.Execute("UPDATE \"Dateiverwaltung\" SET \"SBETT\" = 99, \"DGKP\" = 99");
            database.Execute("CREATE TABLE \"Ballast\"(x)");
            database.Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                             "INSERT INTO \"Ballast\" SELECT randomblob(1000) FROM n");
            _exit(0);
        }
        ASSERT_GT(writer, 0);
        int status = 0;
        waitpid(writer, &status, 0);
        ASSERT_TRUE(test::ExitedWith(status, 0));
        auto journal = admin;
        journal += "-journal";
        ASSERT_TRUE(std::filesystem::exists(journal));
    }
};

TEST_F(CrashWritesTest, ARunWaitingForTheLockGetsThroughWhenTheRunningOneIsKilled)
{
    // The killed run imports one department; the waiting one the same department or another.
    const auto killedFile = Generate("a", 1, kLongStays);
    const auto sameDepartment = Generate("c", 3, kShortStays);
    const auto otherDepartment = Generate("d", 4, kShortStays, "121001");
    const Timing timing = TimedImport(killedFile);
    const std::string newStays = StoredDepartment();
    TimedRun(ImportArguments(sameDepartment));
    const std::string oldStays = StoredDepartment();
    TimedRun(ImportArguments(otherDepartment));
    const std::string otherStays = StoredDepartment("K001", "12100101");
    const auto cleanSystem = CleanSystemFolder({"12100101X001", "12510101X001"});
    const std::vector<std::string> cleanExport{"protocol.dat"};
    ASSERT_FALSE(HasFailure());
    ASSERT_NE(oldStays, newStays);
    ASSERT_EQ(test::FileNames(System()), cleanSystem);

    std::mt19937_64 random(20241210);
    int keptOld = 0;
    int storedNew = 0;
    int completed = 0;
    int replaced = 0;
    int tries = 0;
    for (int kill = 0; kill < kWaitingKills; ++kill) {
        // The department holds the old stays at the start of every trial with the other department:
        // the trial before it replaced them by the waiting run's file of the same department.
        const bool same = kill % 2 == 1;
        // As for a single import: half the kills over reading and checking, half over storing.
        const int early = kWaitingKills / 2;
        const double unit = test::UnitRandom(random);
        const KillMoment moment =
            kill < early
                ? KillMoment{Seconds(kFirstTry) + timing.Storing * (kill + unit) / early, {}}
                : KillMoment{(timing.End - timing.Storing) * 1.3 * (kill - early + unit) / (kWaitingKills - early),
                             BuildingDepartment()};
        const Waiting waiting = KillWhileWaiting(ImportArguments(killedFile),
                                                 ImportArguments(same ? sameDepartment : otherDepartment), moment);
        tries += waiting.Tries;
        ASSERT_TRUE(waiting.GotThrough) << "kill " << kill;
        const bool killed = WIFSIGNALED(waiting.FirstStatus);
        if (!killed) {
            ++completed;
            EXPECT_TRUE(test::ExitedWith(waiting.FirstStatus, 0))
                << "the first run failed (kill " << kill << ", status " << waiting.FirstStatus << ")";
        }

        const std::string stored = StoredDepartment();
        if (same) {
            ++replaced;
            EXPECT_EQ(stored, oldStays) << "the waiting run's import of the department (kill " << kill << ")";
        } else {
            EXPECT_EQ(StoredDepartment("K001", "12100101"), otherStays) << "kill " << kill;
            if (stored == newStays) {
                ++storedNew;
            } else if (stored == oldStays) {
                ++keptOld;
                EXPECT_TRUE(killed) << "a completed import left the old stays (kill " << kill << ")";
            } else {
                ADD_FAILURE() << "kill " << kill << " after " << moment.After
                              << " s left neither the old nor the new stays";
            }
        }
        // The waiting run took the lock after the kill and so cleared what the killed one left.
        EXPECT_EQ(test::FileNames(System()), cleanSystem) << "kill " << kill;
        EXPECT_EQ(test::FileNames(ExportFolder()), cleanExport) << "kill " << kill;
        if (HasFailure()) break;
    }
    std::cout << "[          ] " << kWaitingKills << " kills in runs of " << timing.End << " s, storing from "
              << timing.Storing << " s, while a second run waited (" << static_cast<double>(tries) / kWaitingKills
              << " tries on average): " << keptOld << " kept the old stays, " << storedNew << " stored the new ones, "
              << completed << " completed first, " << replaced << " replaced by the waiting run\n";
}

TEST_F(CrashWritesTest, AKilledExportLeavesNoneOrTheEarlierOrTheNewCombinedDatabase)
{
    TimedRun(ImportArguments(Generate("a", 1, kLongStays)));
    TimedRun(ImportArguments(Generate("d", 4, kShortStays, "121001")));
    const std::array departments{StoredDepartment(), StoredDepartment("K001", "12100101")};
    // Two exports that replace each other: one department, and both.
    const std::array exports{On({"export", "K001/12510101"}), On({"export"})};
    const auto target = ExportFolder() / std::string(kExportDatabaseFile);
    const std::vector<std::string> cleanExport{std::string(kExportDatabaseFile), "protocol.dat"};
    std::array<double, 2> times{};
    std::array<std::string, 2> states;
    for (std::size_t i = 0; i < 2; ++i) {
        times[i] = TimedRun(exports[i]);
        states[i] = StoredStays(target);
    }
    ASSERT_FALSE(HasFailure());
    ASSERT_NE(states[0], states[1]);
    ASSERT_EQ(test::FileNames(ExportFolder()), cleanExport);
    // The first kills meet no earlier export.
    std::filesystem::remove(target);

    std::optional<std::size_t> current;  // the export the target holds
    std::mt19937_64 random(20241211);
    int keptOld = 0;
    int storedNew = 0;
    int completed = 0;
    int leftBuilding = 0;
    for (int kill = 0; kill < kExportKills; ++kill) {
        const std::size_t next = current ? 1 - *current : 0;
        const double offset = times[next] * 1.2 * (kill + test::UnitRandom(random)) / kExportKills;
        Child child(exports[next]);
        ASSERT_TRUE(child.Started());
        const bool killed = test::KillAfter(child, offset, "export " + std::to_string(kill));
        if (!killed) ++completed;

        if (!std::filesystem::exists(target)) {
            ++keptOld;
            EXPECT_FALSE(current) << "kill " << kill << " after " << offset << " s removed the earlier export";
            EXPECT_TRUE(killed) << "a completed export left no file (kill " << kill << ")";
        } else if (const std::string stored = StoredStays(target); stored == states[next]) {
            ++storedNew;
            current = next;
        } else if (current && stored == states[*current]) {
            ++keptOld;
            EXPECT_TRUE(killed) << "a completed export left the earlier file (kill " << kill << ")";
        } else {
            ADD_FAILURE() << "kill " << kill << " after " << offset << " s left neither the earlier nor the new export";
        }
        // A killed export leaves at most the file it was building beside the target, under a name the
        // next export clears.
        const auto building = std::string(kExportDatabaseFile) + std::string(kBuildingSuffix);
        bool left = false;
        for (const auto& name : test::FileNames(ExportFolder())) {
            if (name == building || name == building + "-journal") {
                left = true;
            } else {
                EXPECT_TRUE(name == cleanExport[0] || name == cleanExport[1]) << "kill " << kill << " left " << name;
            }
        }
        leftBuilding += left ? 1 : 0;
        if (HasFailure()) break;
    }
    std::cout << "[          ] " << kExportKills << " kills in exports of " << times[0] << " / " << times[1]
              << " s: " << keptOld << " kept the earlier file or none, " << storedNew << " stored the new one, "
              << completed << " completed first, " << leftBuilding << " left the file being built\n";

    // A last export completes on what the kills left and clears it.
    const std::size_t next = current ? 1 - *current : 0;
    TimedRun(exports[next]);
    EXPECT_EQ(StoredStays(target), states[next]);
    EXPECT_EQ(test::FileNames(ExportFolder()), cleanExport);
    EXPECT_EQ(test::FileNames(System()), CleanSystemFolder({"12100101X001", "12510101X001"}));
    // The departments' databases, only read, are as they were.
    EXPECT_EQ(StoredDepartment(), departments[0]);
    EXPECT_EQ(StoredDepartment("K001", "12100101"), departments[1]);
}

TEST_F(CrashWritesTest, AKilledSaveOfBaseDataLeavesTheOldOrTheNewFigures)
{
    TimedRun(ImportArguments(Generate("a", 1, kShortStays)));
    // Two saves of every field that replace each other.
    const std::array saves{On({"department", "K001/12510101", "--dgkp", "12,5", "--beds", "10", "--pre", "E1"}),
                           On({"department", "K001/12510101", "--dgkp", "7.25", "--beds", "4", "--pre", "none"})};
    std::array<double, 2> times{};
    std::array<std::string, 2> states;
    std::array<std::string, 2> shown;
    for (std::size_t i = 0; i < 2; ++i) {
        times[i] = TimedRun(saves[i]);
        states[i] = StoredBaseData();
        shown[i] = ShownEntry();
    }
    ASSERT_FALSE(HasFailure());
    ASSERT_NE(states[0], states[1]);
    ASSERT_NE(shown[0], shown[1]);

    std::size_t current = 1;
    std::mt19937_64 random(20241212);
    int keptOld = 0;
    int storedNew = 0;
    int completed = 0;
    int leftJournal = 0;
    for (int kill = 0; kill < kBaseDataKills; ++kill) {
        const std::size_t next = 1 - current;
        // The write comes last: half the kills spread over the run, the others over its second half.
        const int early = kBaseDataKills / 2;
        const double unit = test::UnitRandom(random);
        const double offset = kill < early
                                  ? times[next] * (kill + unit) / early
                                  : times[next] * (0.5 + 0.8 * (kill - early + unit) / (kBaseDataKills - early));
        Child child(saves[next]);
        ASSERT_TRUE(child.Started());
        const bool killed = test::KillAfter(child, offset, "save " + std::to_string(kill));
        if (!killed) ++completed;
        auto journal = System() / std::string(kAdminDatabaseFile);
        journal += "-journal";
        // The engine completes a journal's header when it syncs the journal, just before it changes the
        // file; a journal whose header is still blank needs no playback.
        leftJournal += ReadText(journal).substr(0, 1).find_first_not_of('\0') == 0 ? 1 : 0;

        // The tool reads what the killed run left before anything else opens it.
        const std::string entry = ShownEntry();
        const std::string stored = StoredBaseData();
        if (stored == states[next]) {
            ++storedNew;
            current = next;
        } else if (stored == states[current]) {
            ++keptOld;
            EXPECT_TRUE(killed) << "a completed save left the old figures (kill " << kill << ")";
        } else {
            ADD_FAILURE() << "kill " << kill << " after " << offset << " s left " << stored;
            break;
        }
        EXPECT_EQ(entry, shown[current]) << "kill " << kill;
        if (HasFailure()) break;
    }
    std::cout << "[          ] " << kBaseDataKills << " kills in saves of " << times[0] << " / " << times[1]
              << " s: " << keptOld << " kept the old figures, " << storedNew << " stored the new ones, " << completed
              << " completed first, " << leftJournal << " left a journal to play back\n";
}

// A set-up killed at any moment, with the umask users usually have: the next set-up completes the
// installation, gives what it makes the rights of a shared installation, and clears the temporaries
// the killed one left.
TEST_F(CrashWritesTest, AKilledSetupIsCompletedByTheNextOne)
{
    const mode_t savedMask = ::umask(022);
    const auto root = dir / "neu";
    const std::vector<std::string> setup{"setup", root.string()};
    const double time = TimedRun(setup);
    std::filesystem::remove_all(root);
    std::mt19937_64 random(20261211);
    int killed = 0;
    for (int kill = 0; kill < kSetupKills; ++kill) {
        {
            Child child(setup);
            ASSERT_TRUE(child.Started());
            killed += test::KillAfter(child, time * 1.2 * test::UnitRandom(random), "set-up " + std::to_string(kill));
        }
        TimedRun(setup);
        for (const auto& folder : {root, root / "system", root / "import", root / "export"}) {
            struct stat status {};
            ::stat(folder.c_str(), &status);
            EXPECT_EQ(status.st_mode & 07777, 0770u) << "kill " << kill << ": " << folder;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            const std::string name = entry.path().filename().string();
            EXPECT_FALSE(name.starts_with(".") || name.ends_with(std::string(kBuildingSuffix)) ||
                         name.ends_with("-journal"))
                << "kill " << kill << " left " << entry.path();
            if (!entry.is_regular_file()) continue;
            struct stat status {};
            ::stat(entry.path().c_str(), &status);
            EXPECT_EQ(status.st_mode & 07777, 0660u) << "kill " << kill << ": " << entry.path();
        }
        const auto checked = test::RunCliInProcess({"--ini", (root / "Kalmora11_0.ini").string(), "check"}, {}, 2024);
        EXPECT_EQ(checked.Status, 0) << "kill " << kill << ": " << checked.Out << checked.Err;
        {
            Database admin(root / "system" / std::string(kAdminDatabaseFile), OpenMode::ReadOnly);
            auto hospitals = admin.Prepare("SELECT count(*) FROM \"KANR-Bezeichnung\"");
            ASSERT_TRUE(hospitals.Step());
            EXPECT_GT(hospitals.Int(0), 0) << "kill " << kill;
        }
        std::filesystem::remove_all(root);
        if (HasFailure()) break;
    }
    ::umask(savedMask);
    std::cout << "[          ] " << kSetupKills << " kills in set-ups of " << time << " s: " << killed << " killed, "
              << kSetupKills - killed << " completed first\n";
}

// What a killed writer leaves in the admin database is rolled back by the next run that reads it,
// whatever the command.
TEST_F(CrashWritesTest, ReadersOfTheAdminDatabasePlayBackAKilledWrite)
{
    TimedRun(ImportArguments(Generate("a", 1, kShortStays)));
    ASSERT_EQ(test::RunCliInProcess(On({"department", "K001/12510101", "--beds", "6"}), {}, 2024).Status, 0);
    const std::string before = StoredBaseData();
    for (const auto& command : std::vector<std::vector<std::string>>{{"department", "K001/12510101"},
                                                                     {"classify"},
                                                                     {"departments"},
                                                                     {"stays", "K001/12510101"},
                                                                     {"analyse"},
                                                                     {"export"},
                                                                     {"check"}}) {
        SCOPED_TRACE(command.front());
        LeaveUnfinishedWrite();
        const auto outcome = test::RunCliInProcess(On(command), {}, 2024);
        EXPECT_EQ(outcome.Status, 0) << outcome.Err;
        EXPECT_EQ(test::FileNames(System()), CleanSystemFolder({"12510101X001"}));
        EXPECT_EQ(StoredBaseData(), before);
    }
}

}  // namespace
}  // namespace kalmora
