// The diagnostic log beside the data: one line per failure, bounded in size, never a failure itself.
#include "foundation/DiagnosticLog.h"

#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace kalmora {
namespace {

namespace fs = std::filesystem;

TEST(DiagnosticLogTest, AppendsOneLinePerFailureWithTimeWhatAndWhy)
{
    test::TempDir dir;
    WriteDiagnostic(dir.Path(), "Import A2100101X002.txt", "schwerwiegende Dateninkonsistenz: Datei voll");
    WriteDiagnostic(dir.Path(), "Import B2100101X002.txt", "zwei\nZeilen\r\nGrund");
    const std::string log = test::ReadText(dir / "kalmora.log");
    const std::regex lines(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d;Import A2100101X002\.txt;schwerwiegende )"
                           R"(Dateninkonsistenz: Datei voll\n)"
                           R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d;Import B2100101X002\.txt;zwei Zeilen  Grund\n)");
    EXPECT_TRUE(std::regex_match(log, lines)) << log;
}

// Past its limit the log moves aside once, so both files together stay within twice the limit.
TEST(DiagnosticLogTest, SizeIsBounded)
{
    test::TempDir dir;
    constexpr std::uintmax_t kLimit = 1000;
    for (int i = 0; i < 200; ++i)
        WriteDiagnostic(dir.Path(), "Import " + std::to_string(i), std::string(40, 'x'), kLimit);
    EXPECT_LE(fs::file_size(dir / "kalmora.log"), kLimit + 80);
    EXPECT_LE(fs::file_size(dir / "kalmora.log.1"), kLimit + 80);
    // The newest entry is in the log.
    EXPECT_NE(test::ReadText(dir / "kalmora.log").find(";Import 199;"), std::string::npos);
}

TEST(DiagnosticLogTest, AnUnwritableLogIsNoFailure)
{
    test::TempDir dir;
    fs::create_directories(dir / "kalmora.log");  // a directory where the log should be
    EXPECT_NO_THROW(WriteDiagnostic(dir.Path(), "Import", "Grund"));
    EXPECT_NO_THROW(WriteDiagnostic(dir / "fehlt", "Import", "Grund"));
    EXPECT_FALSE(fs::exists(dir / "fehlt"));
}

}  // namespace
}  // namespace kalmora
