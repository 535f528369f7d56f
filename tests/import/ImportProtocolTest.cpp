#include "import/ImportProtocol.h"

#include "import/ImportErrors.h"
#include "support/FileSizeCap.h"
#include "support/Posix.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kalmora {
namespace {

const std::string kHeader = std::string(kProtocolHeader) + "\r\n";

TEST(ImportProtocolTest, LaysOutTheKeyInTenColumns)
{
    struct Case {
        std::string_view Name;
        std::string_view Key;
        std::string_view Severity;
        std::string_view Parameter;
        std::string_view Comment;
        std::string_view Expected;  // Windows-1252, without the line end
    };
    const Case cases[] = {
        {"full key", "3K00112ABC1230000012345195001012012031508  ", "Error", "TISS28", "Parameter ungültig",
         "A2ABC123XK01;K001;12ABC123;3;0000012345;19500101;2012031508  ;Error;TISS28;Parameter ung\xFCltig"},
        {"whole line, cut after the key", "1K00112ABC123   123456719500101201203150800200 1;x", "Warning",
         "Geburtsdatum", "Parameter ungültig",
         "A2ABC123XK01;K001;12ABC123;1;   1234567;19500101;201203150800;Warning;Geburtsdatum;Parameter ung\xFCltig"},
        {"sum record key", "0K00112ABC123", "Warning", " ", "Summensatz fehlt",
         "A2ABC123XK01;K001;12ABC123;0;;;;Warning; ;Summensatz fehlt"},
        {"stay key", " K00112ABC1230000012345195001012012031508 0", "Error", "Datensatz",
         "Satzarten 1 und 3 obligatorisch",
         "A2ABC123XK01;K001;12ABC123; ;0000012345;19500101;2012031508 0;Error;Datensatz;Satzarten 1 und 3 "
         "obligatorisch"},
        {"empty key", "", "Error", "Datei", "Größe „0“",
         "A2ABC123XK01;;;;;;;Error;Datei;Gr\xF6\xDF"
         "e \x84"
         "0\x93"},
        {"key bytes kept as they are",
         "3K00112\xC4\x42"
         "C123",
         "Error", "x", "y",
         "A2ABC123XK01;K001;12\xC4\x42"
         "C123;3;;;;Error;x;y"},
    };
    test::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Name));
        const auto file = dir / "protocol.dat";
        ImportProtocol protocol(file);
        protocol.WriteProtocolLine("", std::string(kHeaderLineParameter), "", "");
        protocol.SetImportFileName("A2ABC123XK01");
        protocol.WriteProtocolLine(c.Severity, c.Parameter, c.Key, c.Comment);
        EXPECT_FALSE(protocol.Close());
        EXPECT_EQ(test::ReadText(file), kHeader + std::string(c.Expected) + "\r\n");
    }
}

TEST(ImportProtocolTest, ReplacesAnEarlierProtocolAndNamesEachLineByItsFile)
{
    test::TempDir dir;
    const auto file = dir / "protocol.dat";
    test::WriteText(file, "an earlier run\r\nwith more lines than this one\r\n");

    ImportProtocol protocol(file);
    protocol.WriteProtocolLine("ignored", kHeaderLineParameter, "ignored", "ignored");
    protocol.SetImportFileName("Büro1.txt");
    protocol.WriteProtocolLine(kSeverityWarning, "Datei", "0K00112ABC123", "Summensatz falsch");
    protocol.SetImportFileName("B2ABC123XK01");
    protocol.WriteProtocolLine(kSeverityWarning, "Datei", "0K00112ABC123", "Summensatz falsch");
    EXPECT_FALSE(protocol.Close());

    EXPECT_EQ(test::ReadText(file), kHeader + "B\xFCro1.txt;K001;12ABC123;0;;;;Warning;Datei;Summensatz falsch\r\n"
                                              "B2ABC123XK01;K001;12ABC123;0;;;;Warning;Datei;Summensatz falsch\r\n");
}

TEST(ImportProtocolTest, ReportsAFileItCannotCreate)
{
    test::TempDir dir;
    // No folder, a directory of the name, a device: nothing is written, and nothing replaced.
    std::vector<std::filesystem::path> paths = {dir / "missing" / "protocol.dat", dir.Path()};
    paths.insert(paths.end(), test::kDevices.begin(), test::kDevices.end());
    for (const auto& path : paths) {
        SCOPED_TRACE(path.string());
        try {
            ImportProtocol protocol(path);
            FAIL() << "no exception";
        } catch (const ImportIoError& error) {
            EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos) << error.what();
        }
    }
}

#ifdef _WIN32
KALMORA_SKIPPED_ON_WINDOWS(ImportProtocolTest, AFailedWriteIsNeverTakenForSuccess,
                           "a full disk is simulated by RLIMIT_FSIZE")
#else
// A disk that is full from the first byte: every write fails.
TEST(ImportProtocolTest, AFailedWriteIsNeverTakenForSuccess)
{
    test::TempDir dir;
    test::WriteText(dir / "protocol.dat", "alt");
    const test::FileSizeCap full(0);
    {
        ImportProtocol protocol(dir / "protocol.dat");
        protocol.WriteProtocolLine("", kHeaderLineParameter, "", "");
        EXPECT_THROW(static_cast<void>(protocol.Close()), ImportIoError);
    }
    {
        // Lines beyond the stream's buffer must fail while they are written, not only at the end.
        ImportProtocol protocol(dir / "protocol.dat");
        EXPECT_THROW(
            {
                for (int i = 0; i < 100000; ++i) {
                    protocol.WriteProtocolLine(kSeverityError, "TISS28", "3K00112ABC123", "Parameter ungültig");
                }
            },
            ImportIoError);
    }
    // The old protocol is what stays.
    EXPECT_EQ(test::ReadText(dir / "protocol.dat"), "alt");
}
#endif

// The protocol is written beside its name and put in place when the run closes it: a run that
// ends before leaves the old one, and a link of the name is replaced, never written through.
TEST(ImportProtocolTest, ReplacesTheOldProtocolOnlyWhenClosed)
{
    test::TempDir dir;
    test::WriteText(dir / "protocol.dat", "alt");
    {
        ImportProtocol unfinished(dir / "protocol.dat");
        unfinished.WriteProtocolLine("", kHeaderLineParameter, "", "");
    }
    EXPECT_EQ(test::ReadText(dir / "protocol.dat"), "alt");

    test::WriteText(dir / "elsewhere" / "target.dat", "fremd");
    KALMORA_SYMLINK_OR_SKIP(dir / "elsewhere" / "target.dat", dir / "link.dat");
    ImportProtocol protocol(dir / "link.dat");
    protocol.WriteProtocolLine("", kHeaderLineParameter, "", "");
    EXPECT_FALSE(protocol.Close());
    EXPECT_FALSE(std::filesystem::is_symlink(dir / "link.dat"));
    EXPECT_EQ(test::ReadText(dir / "link.dat"), std::string(kProtocolHeader) + "\r\n");
    EXPECT_EQ(test::ReadText(dir / "elsewhere" / "target.dat"), "fremd");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()),
              3);  // the two files and the folder, nothing beside them
}

// A file of faulty lines gets its first findings and then one line with the number left out; the
// next file starts counting anew.
TEST(ImportProtocolTest, LeavesOutFindingsBeyondTheLimitOfAFile)
{
    test::TempDir dir;
    ImportProtocol protocol(dir / "protocol.dat", 2);
    protocol.WriteProtocolLine("", kHeaderLineParameter, "", "");
    protocol.SetImportFileName("A2ABC123XK01");
    for (int i = 0; i < 5; ++i)
        protocol.WriteProtocolLine(kSeverityError, "TISS28", "3K001", "Parameter ungültig");
    EXPECT_TRUE(protocol.HasLinesOfFile());
    protocol.SetImportFileName("B2ABC123XK01");
    EXPECT_FALSE(protocol.HasLinesOfFile());
    for (int i = 0; i < 2; ++i)
        protocol.WriteProtocolLine(kSeverityWarning, "Datei", "0K001", "Summensatz fehlt");
    protocol.SetImportFileName("C2ABC123XK01");
    for (int i = 0; i < 3; ++i)
        protocol.WriteProtocolLine(kSeverityWarning, "Datei", "0K001", "Summensatz fehlt");
    EXPECT_FALSE(protocol.Close());

    const std::string tiss = "A2ABC123XK01;K001;;3;;;;Error;TISS28;Parameter ung\xFCltig\r\n";
    const std::string sum = ";K001;;0;;;;Warning;Datei;Summensatz fehlt\r\n";
    EXPECT_EQ(test::ReadText(dir / "protocol.dat"),
              kHeader + tiss + tiss +
                  "A2ABC123XK01;;;;;;;Warning;Datei;3 weitere Befunde nicht protokolliert (h\xF6"
                  "chstens 2 je "
                  "Datei)\r\n" +
                  "B2ABC123XK01" + sum + "B2ABC123XK01" + sum + "C2ABC123XK01" + sum + "C2ABC123XK01" + sum +
                  "C2ABC123XK01;;;;;;;Warning;Datei;1 weiterer Befund nicht protokolliert (h\xF6"
                  "chstens 2 je "
                  "Datei)\r\n");
}

TEST(ImportProtocolTest, WritingAfterCloseFails)
{
    test::TempDir dir;
    ImportProtocol protocol(dir / "protocol.dat");
    EXPECT_FALSE(protocol.Close());
    EXPECT_THROW(protocol.WriteProtocolLine(kSeverityError, "TISS28", "3K001", "Parameter ungültig"), ImportIoError);
}

}  // namespace
}  // namespace kalmora
