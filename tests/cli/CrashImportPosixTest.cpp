// Kills the batch tool at random moments of an import: the department must keep exactly its old or
// exactly its new stays, and the next import must work on whatever the killed one left behind.
#include "support/CrashTrials.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>
#include <thread>

namespace kalmora {
namespace {

using test::Child;

// Big enough that an import takes a second or two in a debug build; sanitizers slow it down.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::uint64_t kStays = 700;
#else
constexpr std::uint64_t kStays = 3000;
#endif
constexpr int kKills = 15;

using CrashImportTest = test::CrashTrialTest;
using test::Timing;

TEST_F(CrashImportTest, AKilledImportLeavesTheOldOrTheNewDepartmentAndTheNextOneWorks)
{
    // Two different files of one department; each import replaces what the other stored.
    const std::array files{Generate("a", 1, kStays), Generate("b", 2, kStays)};
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
        const double unit = test::UnitRandom(random);
        const double offset = storing ? (timing.End - timing.Storing) * 1.3 * (kill - early + unit) / (kKills - early)
                                      : timing.Storing * (kill + unit) / early;
        const auto started = std::filesystem::file_time_type::clock::now();
        Child child(ImportArguments(files[next]));
        ASSERT_TRUE(child.Started());
        if (storing) {
            // A killed run may have left a database under construction; only a new one counts.
            int ended = 0;
            while (!test::WrittenSince(BuildingDepartment(), started) && !child.Ended(ended)) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        }
        const bool killed = test::KillAfter(child, offset, "import " + std::to_string(kill));
        if (!killed) ++completed;

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
    const int status = Run(ImportArguments(files[next]));
    EXPECT_TRUE(test::ExitedWith(status, 0)) << status;
    EXPECT_EQ(StoredDepartment(), states[next]);
    EXPECT_EQ(test::FileNames(System()), CleanSystemFolder({"12510101X001"}));
}

}  // namespace
}  // namespace kalmora
