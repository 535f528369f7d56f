// The system data lock: one run at a time, and the run that takes it clears what killed runs left.
#include "storage/FileSafety.h"

#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kalmora {
namespace {

namespace fs = std::filesystem;

TEST(FileSafetyTest, TakingTheLockRemovesTheLeftoversOfKilledRuns)
{
    test::TempDir dir;
    const std::vector<std::string> leftovers = {"temp.mdb",         "temp.mdb-journal",
                                                "12510101X001.new", "12510101X001.new-journal",
                                                "12510101X001.old", "gesamt.mdb.new-wal"};
    const std::vector<std::string> kept = {"12510101X001", "iadmin.mdb", "ibds.mdb", "kalmora.log", "newsletter.txt"};
    for (const auto& name : leftovers)
        test::WriteText(dir / name, "Patientendaten");
    for (const auto& name : kept)
        test::WriteText(dir / name, "bleibt");
    fs::create_directories(dir / "ordner.new");  // only files go

    {
        const ExclusiveLock lock(dir / "kalmora.lock");
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        std::vector<std::string> expected = kept;
        expected.push_back("kalmora.lock");
        expected.push_back("ordner.new");
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names, expected);
    }
    // A second holder while the first holds the lock is refused and removes nothing.
    const ExclusiveLock first(dir / "kalmora.lock");
    test::WriteText(dir / "temp.mdb", "vom laufenden Import");
    EXPECT_THROW(ExclusiveLock(dir / "kalmora.lock"), LockedError);
    EXPECT_TRUE(fs::exists(dir / "temp.mdb"));
}

}  // namespace
}  // namespace kalmora
