// The one writer that puts files in place: the target is always the whole old or the whole new file,
// and nothing of an unfinished write stays beside it.
#include "foundation/SafeFile.h"

#include "support/Files.h"
#include "support/TempDir.h"
#include "support/Posix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace kalmora {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Entries(const fs::path& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const SafeFile::Sibling kBothKinds[] = {SafeFile::Sibling::Unique, SafeFile::Sibling::Fixed};

TEST(SafeFileTest, CommitReplacesTheTargetAndLeavesNothingBeside)
{
    for (const auto kind : kBothKinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        test::TempDir dir;
        test::WriteText(dir / "data.txt", "alt");
        {
            SafeFile file(dir / "data.txt", kind);
            EXPECT_EQ(file.Path().parent_path(), dir.Path());
            file.Write("neu");
            EXPECT_EQ(test::ReadText(dir / "data.txt"), "alt");  // nothing shows before the commit
            EXPECT_FALSE(file.Commit());
        }
        EXPECT_EQ(test::ReadText(dir / "data.txt"), "neu");
        EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"data.txt"});
    }
}

// Dropped without a commit, or left by an error in the middle of writing, or failing at the commit:
// the target is as it was, and the file beside it is gone.
TEST(SafeFileTest, UnfinishedWritesLeaveTheTargetAsItWas)
{
    for (const auto kind : kBothKinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        test::TempDir dir;
        test::WriteText(dir / "data.txt", "alt");
        {
            SafeFile dropped(dir / "data.txt", kind);
            dropped.Write("halb");
        }
        EXPECT_THROW(
            {
                SafeFile failing(dir / "data.txt", kind);
                failing.Write("halb");
                throw std::runtime_error("disk gone");
            },
            std::runtime_error);
        EXPECT_EQ(test::ReadText(dir / "data.txt"), "alt");
        EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"data.txt"});

        // A directory of the target's name cannot be replaced by a file.
        fs::create_directories(dir / "ordner" / "inhalt");
        EXPECT_THROW(
            {
                SafeFile refused(dir / "ordner", kind);
                refused.Write("neu");
                EXPECT_FALSE(refused.Commit());
            },
            fs::filesystem_error);
        EXPECT_TRUE(fs::is_directory(dir / "ordner" / "inhalt"));
        EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"data.txt", "ordner"}));
    }
}

// A database engine leaves journals beside the file it writes; they go with the unfinished file.
TEST(SafeFileTest, DroppedFileTakesItsSideFilesAlong)
{
    test::TempDir dir;
    {
        SafeFile file(dir / "abteilung", SafeFile::Sibling::Fixed);
        for (const char* suffix : {"-journal", "-wal", "-shm"}) {
            auto side = file.Path();
            side += suffix;
            test::WriteText(side, "x");
        }
    }
    EXPECT_TRUE(Entries(dir.Path()).empty());
}

// The fixed name clears what a crashed writer left; unique names keep two writers apart.
TEST(SafeFileTest, SiblingNames)
{
    test::TempDir dir;
    test::WriteText(dir / "abteilung.~kalmora.new", "von einem Absturz");
    test::WriteText(dir / "abteilung.~kalmora.new-journal", "von einem Absturz");
    {
        SafeFile fixed(dir / "abteilung", SafeFile::Sibling::Fixed);
        EXPECT_EQ(fixed.Path(), dir / "abteilung.~kalmora.new");
        EXPECT_EQ(test::ReadText(fixed.Path()), "");
        EXPECT_FALSE(fs::exists(dir / "abteilung.~kalmora.new-journal"));
    }
    SafeFile first(dir / "Kalmora11_0.ini");
    SafeFile second(dir / "Kalmora11_0.ini");
    EXPECT_NE(first.Path(), second.Path());
    EXPECT_TRUE(first.Path().filename().string().starts_with("."));  // out of the way of file lists
}

// A link of the target's name is replaced itself: the file it pointed to is never written through it.
TEST(SafeFileTest, SymbolicLinkTargetIsReplacedNotFollowed)
{
    test::TempDir dir;
    test::WriteText(dir / "anderswo" / "fremd.dat", "fremd");
    KALMORA_SYMLINK_OR_SKIP(dir / "anderswo" / "fremd.dat", dir / "protocol.dat");
    SafeFile file(dir / "protocol.dat");
    file.Write("Protokoll");
    EXPECT_FALSE(file.Commit());
    EXPECT_FALSE(fs::is_symlink(dir / "protocol.dat"));
    EXPECT_EQ(test::ReadText(dir / "protocol.dat"), "Protokoll");
    EXPECT_EQ(test::ReadText(dir / "anderswo" / "fremd.dat"), "fremd");
}

// A device or a directory never gives way to a file, not even for a program run with every right.
TEST(SafeFileTest, OnlyAFileOrALinkIsReplaced)
{
    test::TempDir dir;
    fs::create_directories(dir / "ordner");
    auto targets = test::kDevices;
    targets.push_back(dir / "ordner");
    for (const fs::path& target : targets) {
        SCOPED_TRACE(target);
        EXPECT_THROW(SafeFile file(target), fs::filesystem_error);
    }
    for (const auto& device : test::kDevices)
        EXPECT_TRUE(fs::is_character_file(device));
    EXPECT_TRUE(fs::is_directory(dir / "ordner"));
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"ordner"});
}

TEST(SafeFileTest, CommitNewKeepsAFileMadeMeanwhile)
{
    test::TempDir dir;
    {
        SafeFile file(dir / "ibds.mdb");
        file.Write("Vorlage");
        test::WriteText(dir / "ibds.mdb", "von jemand anderem");
        EXPECT_THROW(static_cast<void>(file.CommitNew()), fs::filesystem_error);
    }
    EXPECT_EQ(test::ReadText(dir / "ibds.mdb"), "von jemand anderem");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"ibds.mdb"});

    fs::remove(dir / "ibds.mdb");
    {
        SafeFile file(dir / "ibds.mdb");
        file.Write("Vorlage");
        EXPECT_FALSE(file.CommitNew());
    }
    EXPECT_EQ(test::ReadText(dir / "ibds.mdb"), "Vorlage");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"ibds.mdb"});
}

TEST(SafeFileTest, KeepsThePermissionsOfTheFileItReplaces)
{
    KALMORA_POSIX_ONLY("permission bits");
    test::TempDir dir;
    test::WriteText(dir / "Kalmora11_0.ini", "[Path]\n");
    fs::permissions(dir / "Kalmora11_0.ini", fs::perms::owner_read | fs::perms::owner_write);
    SafeFile file(dir / "Kalmora11_0.ini");
    file.KeepPermissionsOf(dir / "Kalmora11_0.ini");
    file.Write("[Path]\nImportDataPath=/daten\n");
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(fs::status(dir / "Kalmora11_0.ini").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
}  // namespace kalmora
