#include "foundation/IniFile.h"

#include "support/Files.h"
#include "support/Posix.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace kalmora {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::TempDir;
using test::WriteText;

std::string JoinLines(std::initializer_list<std::string> lines, const std::string& ending)
{
    std::string text;
    for (const auto& line : lines)
        text += line + ending;
    return text;
}

struct FileVariant {
    const char* name;
    std::string prefix;
    std::string ending;
};

const std::vector<FileVariant> kVariants{
    {"LF", "", "\n"},
    {"CRLF", "", "\r\n"},
    {"BOM and CRLF", "\xEF\xBB\xBF", "\r\n"},
};

TEST(IniFileRead, FindsValuesByProfileRules)
{
    const std::initializer_list<std::string> lines{
        "; Kalmora settings",
        "Stray=outside any section",
        "[Path]",
        "ImportDataPath =  /data/import  ",
        "ExportDataPath=\t/data/export\t",
        "Empty=",
        "Blank=   ",
        "NoEquals",
        ";Commented=yes",
        "Formula=a=b",
        "Umlaut=Ärzte",
        "  [ Einstufung ]  ",
        "MindestStd=6",
        "MindestStd=7",
    };
    struct Case {
        const char* section;
        const char* key;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"Path", "ImportDataPath", "/data/import"},
        {"PATH", "importdatapath", "/data/import"},
        {"Path", "ExportDataPath", "/data/export"},
        {"Path", "Empty", std::nullopt},
        {"Path", "Blank", std::nullopt},
        {"Path", "NoEquals", std::nullopt},
        {"Path", "Commented", std::nullopt},
        {"Path", "Stray", std::nullopt},
        {"Path", "Formula", "a=b"},
        {"Path", "Umlaut", "Ärzte"},
        {"einstufung", "MINDESTSTD", "6"},
        {"Einstufung", "ImportDataPath", std::nullopt},
        {"Missing", "ImportDataPath", std::nullopt},
    };
    for (const auto& variant : kVariants) {
        TempDir dir;
        const auto file = dir / "k.ini";
        WriteText(file, variant.prefix + JoinLines(lines, variant.ending));
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(variant.name) + ": " + c.section + "/" + c.key);
            EXPECT_EQ(ReadProfileString(file, c.section, c.key), c.expected);
        }
    }
}

TEST(IniFileRead, CutsLongValuesTo254Characters)
{
    struct Case {
        const char* name;
        std::string value;
        std::string expected;
    };
    auto repeat = [](const std::string& text, int count) {
        std::string result;
        for (int i = 0; i < count; ++i)
            result += text;
        return result;
    };
    const Case cases[] = {
        {"300 characters", std::string(300, 'x'), std::string(254, 'x')},
        {"exactly 254", std::string(254, 'y'), std::string(254, 'y')},
        {"multi-byte characters are not split", repeat("Ä", 300), repeat("Ä", 254)},
        // Cut where blanks or tabs stand inside it, a value must not end in them: a directory would
        // name another folder than the one the file reads back after writing it.
        {"cut after a blank", std::string(253, 'x') + " rest", std::string(253, 'x')},
        {"cut after a tab and a blank", std::string(252, 'x') + "\t rest", std::string(252, 'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteText(dir / "k.ini", "[S]\nK=" + c.value + "\n");
        EXPECT_EQ(ReadProfileString(dir / "k.ini", "S", "K"), c.expected);
    }
}

TEST(IniFileRead, MissingFileIsNoFailure)
{
    TempDir dir;
    EXPECT_EQ(ReadProfileString(dir / "k.ini", "S", "K"), std::nullopt);
    EXPECT_EQ(ReadProfileString(dir / "no" / "such" / "k.ini", "S", "K"), std::nullopt);
    EXPECT_FALSE(fs::exists(dir / "k.ini"));
}

TEST(IniFileRead, ThrowsForAnExistingFileThatCannotBeRead)
{
    TempDir dir;
    fs::create_directory(dir / "k.ini");
    EXPECT_THROW(ReadProfileString(dir / "k.ini", "S", "K"), IniFileError);

    if (test::PermissionBitsApply()) {
        WriteText(dir / "locked.ini", "[S]\nK=V\n");
        fs::permissions(dir / "locked.ini", fs::perms::none);
        EXPECT_THROW(ReadProfileString(dir / "locked.ini", "S", "K"), IniFileError);
    }
}

TEST(IniFileWrite, ChangesOneKeyAndKeepsEverythingElse)
{
    const std::initializer_list<std::string> original{
        "; Kalmora settings",
        "[Path]",
        "ImportDataPath = /data/import",
        "ExportDataPath=/data/export",
        "",
        "; classification",
        "[Einstufung]",
        "MindestStd=6",
    };
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        std::initializer_list<std::string> expected;
    };
    const Case cases[] = {
        {"path",
         "IMPORTDATAPATH",
         "/new/import",
         {"; Kalmora settings", "[Path]", "ImportDataPath = /new/import", "ExportDataPath=/data/export", "",
          "; classification", "[Einstufung]", "MindestStd=6"}},
        {"Path",
         "SystemDataPath",
         "/data/system",
         {"; Kalmora settings", "[Path]", "ImportDataPath = /data/import", "ExportDataPath=/data/export",
          "SystemDataPath=/data/system", "", "; classification", "[Einstufung]", "MindestStd=6"}},
        {"Einstufung",
         "ErsatzTISS",
         "J",
         {"; Kalmora settings", "[Path]", "ImportDataPath = /data/import", "ExportDataPath=/data/export", "",
          "; classification", "[Einstufung]", "MindestStd=6", "ErsatzTISS=J"}},
        {"Plausibilitaet",
         "PlausLevel",
         "Error",
         {"; Kalmora settings", "[Path]", "ImportDataPath = /data/import", "ExportDataPath=/data/export", "",
          "; classification", "[Einstufung]", "MindestStd=6", "[Plausibilitaet]", "PlausLevel=Error"}},
    };
    for (const auto& variant : kVariants) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(variant.name) + ": " + c.section + "/" + c.key);
            TempDir dir;
            const auto file = dir / "k.ini";
            WriteText(file, variant.prefix + JoinLines(original, variant.ending));
            WriteProfileString(file, c.section, c.key, c.value);
            EXPECT_EQ(ReadText(file), variant.prefix + JoinLines(c.expected, variant.ending));
            EXPECT_EQ(ReadProfileString(file, c.section, c.key), c.value);
        }
    }
}

TEST(IniFileWrite, EndsAnUnterminatedLastLineBeforeAdding)
{
    TempDir dir;
    const auto file = dir / "k.ini";
    WriteText(file, "[Path]\r\nImportDataPath=/a");
    WriteProfileString(file, "Path", "ExportDataPath", "/b");
    EXPECT_EQ(ReadText(file), "[Path]\r\nImportDataPath=/a\r\nExportDataPath=/b\r\n");
}

TEST(IniFileWrite, CreatesMissingFileAndDirectory)
{
    TempDir dir;
    const auto file = dir / "new" / "sub" / "k.ini";
    WriteProfileString(file, "Path", "ImportDataPath", "/data/import");
    WriteProfileString(file, "Einstufung", "MindestStd", "6");
    EXPECT_EQ(ReadText(file), "[Path]\nImportDataPath=/data/import\n[Einstufung]\nMindestStd=6\n");
}

TEST(IniFileWrite, ReplacementKeepsPermissionsLinksAndNoTemporaryFile)
{
    TempDir dir;
    const auto file = dir / "real" / "k.ini";
    const auto link = dir / "k.ini";
    WriteText(file, "[S]\nK=old\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    KALMORA_SYMLINK_OR_SKIP(file, link);

    WriteProfileString(link, "S", "K", "new");

    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadText(file), "[S]\nK=new\n");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const std::vector<fs::path> entries(fs::directory_iterator(dir / "real"), fs::directory_iterator{});
    EXPECT_EQ(entries, std::vector<fs::path>{file});
}

TEST(IniFileWrite, RefusesWhatWouldBreakTheFile)
{
    struct Case {
        const char* name;
        const char* section;
        const char* key;
        std::string value;
    };
    const Case cases[] = {
        {"line feed in value", "S", "K", "a\nb=c"},
        {"carriage return in value", "S", "K", "a\rb"},
        {"NUL in value", "S", "K", std::string("a\0b", 3)},
        {"equals sign in key", "S", "K=X", "v"},
        {"empty key", "S", "", "v"},
        {"key starting a section", "S", "[K", "v"},
        {"bracket in section", "S]", "K", "v"},
        {"empty section", "", "K", "v"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto file = dir / "k.ini";
        WriteText(file, "[S]\nK=old\n");
        EXPECT_THROW(WriteProfileString(file, c.section, c.key, c.value), IniFileError);
        EXPECT_EQ(ReadText(file), "[S]\nK=old\n");
    }
}

TEST(IniFileWrite, ThrowsWhereTheFileCannotBeWritten)
{
    TempDir dir;
    fs::create_directory(dir / "isdir.ini");
    EXPECT_THROW(WriteProfileString(dir / "isdir.ini", "S", "K", "v"), IniFileError);
    EXPECT_TRUE(fs::is_directory(dir / "isdir.ini"));

    WriteText(dir / "plain", "not a directory");
    EXPECT_THROW(WriteProfileString(dir / "plain" / "k.ini", "S", "K", "v"), IniFileError);
    EXPECT_EQ(ReadText(dir / "plain"), "not a directory");
}

}  // namespace
}  // namespace kalmora
