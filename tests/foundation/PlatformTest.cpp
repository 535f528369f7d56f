// The platform functions behave alike on every system, where the C++ library does not: copying over
// a file, telling whether two names are one folder, names with umlauts and blanks.
#include "foundation/Platform.h"

#include "foundation/Utf8Path.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace kalmora {
namespace {

namespace fs = std::filesystem;

TEST(PlatformTest, CopyAndRenameReplaceAnExistingFile)
{
    test::TempDir dir;
    test::WriteText(dir / "vorlage.mdb", "Vorlage");
    test::WriteText(dir / "ziel.mdb", "alt");
    platform::CopyFileReplacing(dir / "vorlage.mdb", dir / "ziel.mdb");
    EXPECT_EQ(test::ReadText(dir / "ziel.mdb"), "Vorlage");
    EXPECT_EQ(test::ReadText(dir / "vorlage.mdb"), "Vorlage");

    test::WriteText(dir / "neu.mdb", "neu");
    platform::RenameReplacing(dir / "neu.mdb", dir / "ziel.mdb");
    EXPECT_EQ(test::ReadText(dir / "ziel.mdb"), "neu");
    EXPECT_FALSE(fs::exists(dir / "neu.mdb"));

    EXPECT_THROW(platform::CopyFileReplacing(dir / "fehlt.mdb", dir / "ziel.mdb"), fs::filesystem_error);
    EXPECT_THROW(platform::RenameReplacing(dir / "fehlt.mdb", dir / "ziel.mdb"), fs::filesystem_error);
    EXPECT_EQ(test::ReadText(dir / "ziel.mdb"), "neu");
}

TEST(PlatformTest, SameEntryTellsFoldersAndFilesApart)
{
    test::TempDir dir;
    fs::create_directories(dir / "system");
    fs::create_directories(dir / "export");
    test::WriteText(dir / "system" / "a.mdb", "a");
    test::WriteText(dir / "system" / "b.mdb", "b");
    struct Case {
        fs::path First;
        fs::path Second;
        bool Same;
    };
    const Case cases[] = {
        {dir / "system", dir / "system" / "", true},  // as a data path with its separator names it
        {dir / "system", dir / "export" / ".." / "system", true},
        {dir / "system", dir / "export", false},
        {dir / "system" / "a.mdb", dir / "system" / "a.mdb", true},
        {dir / "system" / "a.mdb", dir / "system" / "b.mdb", false},
        {dir / "system", dir / "fehlt", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.First.string() + " | " + c.Second.string());
        EXPECT_EQ(platform::SameEntry(c.First, c.Second), c.Same);
    }
}

TEST(PlatformTest, IdentityChangesWhenTheFileIsReplaced)
{
    test::TempDir dir;
    EXPECT_EQ(platform::IdentityOf(dir / "fehlt.mdb"), std::nullopt);
    test::WriteText(dir / "abteilung.mdb", "alt");
    const auto seen = platform::IdentityOf(dir / "abteilung.mdb");
    ASSERT_TRUE(seen);
    EXPECT_EQ(platform::IdentityOf(dir / "abteilung.mdb"), seen);

    test::WriteText(dir / "anders.mdb", "alt");
    platform::RenameReplacing(dir / "anders.mdb", dir / "abteilung.mdb");
    EXPECT_NE(platform::IdentityOf(dir / "abteilung.mdb"), seen);
}

TEST(PlatformTest, ALockExcludesEveryOtherLockOfTheFile)
{
    test::TempDir dir;
    const auto file = dir / "kalmora.lock";
    const auto first = platform::TryLockFile(file);
    ASSERT_NE(first, platform::kNoLock);
    EXPECT_TRUE(platform::LockStillOnFile(first, file));
    EXPECT_EQ(platform::TryLockFile(file), platform::kNoLock);
    platform::ReleaseLock(first);

    const auto second = platform::TryLockFile(file);
    EXPECT_NE(second, platform::kNoLock);
    platform::ReleaseLock(second);
}

TEST(PlatformTest, NamesWithUmlautsAndBlanks)
{
    test::TempDir dir;
    const auto folder = dir / PathFromUtf8("Intensiv Übergabe");
    const auto file = folder / PathFromUtf8("A2100101ä002 Kopie.txt");
    fs::create_directories(folder);
    ASSERT_TRUE(platform::CreateFileExclusively(file));
    EXPECT_FALSE(platform::CreateFileExclusively(file));
    test::WriteText(file, "Satz");

    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> open(platform::OpenForReading(file), &std::fclose);
    ASSERT_TRUE(open);
    EXPECT_EQ(platform::RegularFileSize(open.get()), 4u);
    EXPECT_EQ(Utf8Of(file.filename()), "A2100101ä002 Kopie.txt");
    EXPECT_EQ(Utf8Of(fs::directory_iterator(folder)->path().filename()), "A2100101ä002 Kopie.txt");
}

// The first start proposes an installation in this folder: it must be a full path, never one relative
// to wherever the program was started.
TEST(PlatformTest, TheUsersDocumentsFolderIsAFullPath)
{
    const fs::path documents = platform::UserDocumentsFolder();
    ASSERT_FALSE(documents.empty());
    EXPECT_TRUE(documents.is_absolute()) << documents.string();
}

}  // namespace
}  // namespace kalmora
