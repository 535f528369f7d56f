#include "cli/ImportFileGenerator.h"

#include "cli/CliCommands.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Windows1252.h"
#include "import/ImportFileName.h"
#include "storage/Database.h"
#include "support/DepartmentRows.h"
#include "support/Files.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

namespace kalmora {
namespace {

using cli::GeneratorOptions;
using cli::StayFault;

using Outcome = test::CliOutcome;

// 64-bit FNV-1a: a short, stable fingerprint of a file's bytes.
std::uint64_t Fingerprint(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

std::vector<std::string> SplitLines(const std::string& text, std::string_view end)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t stop; (stop = text.find(end, start)) != std::string::npos; start = stop + end.size()) {
        lines.push_back(text.substr(start, stop - start));
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// The cells of the result table's one row, as `import` prints it.
std::vector<std::string> ResultCells(const std::string& out)
{
    const auto rows = SplitLines(out, "\n");
    if (rows.size() < 2) return {};
    return SplitLines(rows[1], "\t");
}

int NumberCell(const std::string& cell)
{
    return std::stoi(cell);
}

class GenerateTest : public ::testing::Test {
protected:
    Outcome Run(const std::vector<std::string>& arguments)
    {
        return test::RunCliInProcess(arguments, dir / "bin", 2031);
    }

    void SetUpInstallation() { ASSERT_EQ(Run({"setup", (dir / "inst").string()}).Status, 0); }

    std::string Ini() const { return (dir / "inst" / "Kalmora11_0.ini").string(); }
    std::filesystem::path System() const { return dir / "inst" / "system"; }

    std::string IntegrityOf(const std::filesystem::path& file)
    {
        Database database(file, OpenMode::ReadOnly);
        auto check = database.Prepare("PRAGMA integrity_check");
        check.Step();
        return check.Text(0);
    }

    test::TempDir dir;
};

TEST_F(GenerateTest, TheSameSeedGivesTheSameBytesAndAnotherSeedAnotherFile)
{
    std::map<std::string, std::string> files;
    for (const auto& [folder, seed] : {std::pair{"a", "5"}, {"b", "5"}, {"c", "6"}}) {
        const Outcome outcome = Run({"generate", (dir / folder).string(), "--stays", "300", "--seed", seed});
        ASSERT_EQ(outcome.Status, 0) << outcome.Err;
        const auto expected = dir / folder / "A4510101X001.txt";
        EXPECT_EQ(outcome.Out, expected.string() + "\n");
        files[folder] = test::ReadText(expected);
    }
    EXPECT_EQ(files["a"], files["b"]);
    EXPECT_NE(files["a"], files["c"]);
    EXPECT_FALSE(files["a"].empty());
}

// Pinned: when this changes, a seed no longer gives the files it gave before (on this machine or
// with this standard library). The delivered scores come from the program's TISS-28 score, so a
// change of the score changes this value too.
TEST_F(GenerateTest, ASeedGivesTheSameFileEverywhere)
{
    GeneratorOptions options;
    options.Stays = 50;
    options.Seed = 42;
    options.FaultsPerThousand = 200;
    std::ostringstream out;
    cli::WriteImportFile(out, options);
    EXPECT_EQ(Fingerprint(out.str()), 327595723215785689ULL) << out.str().substr(0, 400);
}

TEST_F(GenerateTest, LinesAreWindowsTextWithOneSumRecordCountingTheRecordsAtTheEnd)
{
    GeneratorOptions options;
    options.Stays = 400;
    options.FaultsPerThousand = 200;
    std::ostringstream out;
    const cli::GeneratedFile generated = cli::WriteImportFile(out, options);
    const std::string text = out.str();

    ASSERT_TRUE(text.ends_with("\r\n"));
    const auto lines = SplitLines(text, "\r\n");
    EXPECT_EQ(lines.size(), generated.Lines);
    std::uint64_t records = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        ASSERT_FALSE(line.empty()) << "line " << i + 1;
        // Plain ASCII is valid Windows-1252; a stray CR, LF or NUL would split or spoil a record.
        EXPECT_TRUE(std::ranges::all_of(line, [](char c) { return c >= ' ' && c <= '~'; })) << "line " << i + 1;
        if (line.front() == '1' || line.front() == '3') {
            ++records;
        } else {
            EXPECT_EQ(line.front(), '$') << "line " << i + 1;
            EXPECT_EQ(i + 1, lines.size()) << "the sum record is not the last line";
        }
    }
    EXPECT_EQ(records, generated.CountedLines);
    EXPECT_EQ(lines.back(), cli::SumRecordLine(records));
}

TEST_F(GenerateTest, ASumRecordBeyondSixDigitsSpillsIntoTheNextCounts)
{
    struct Case {
        std::uint64_t Count;
        std::string_view Line;
    };
    const Case cases[] = {
        {0, "$                 0     0     0     0"},
        {713, "$               713     0     0     0"},
        {999999, "$            999999     0     0     0"},
        {1000000, "$            999999     1     0     0"},
        {3999996, "$            999999999999999999999999"},
    };
    for (const auto& c : cases) EXPECT_EQ(cli::SumRecordLine(c.Count), c.Line) << c.Count;
    EXPECT_THROW(cli::SumRecordLine(3999997), std::length_error);
}

TEST_F(GenerateTest, TheFileNamePassesTheImportsNameRule)
{
    SetUpInstallation();
    Database admin(System() / "iadmin.mdb", OpenMode::ReadOnly);
    ScriptedUserInterface ui;
    for (const auto& [hospital, department] : {std::pair{"K001", "125101"}, {"K004", "121002"}, {"K002", "122701"}}) {
        GeneratorOptions options;
        options.Hospital = hospital;
        options.Department = department;
        const std::string name = cli::GeneratedFileName(options);
        std::string resultRow;
        EXPECT_EQ(CheckImportFileName(name, admin, resultRow, ui), 0) << name;
        const ImportFileNameCodes codes = DeriveImportFileNameCodes(name);
        EXPECT_EQ(codes.Hospital, hospital) << name;
        EXPECT_EQ(codes.Department, std::string(department) + "01") << name;
    }
}

// The year names the file (its year digit) and holds every admission, so a survey period of that
// year finds the stays; without the option the year stays the one earlier files were made for.
TEST_F(GenerateTest, TheYearOptionPutsTheFileAndEveryAdmissionIntoThatYear)
{
    struct Case {
        std::vector<std::string> Extra;
        std::string_view FileName;
        std::string_view Year;
    };
    const Case cases[] = {
        {{}, "A4510101X001.txt", "2024"},
        {{"--year", "2025"}, "A5510101X001.txt", "2025"},
        {{"--year", "2030", "--hospital", "K002", "--department", "123001"}, "A0300101X002.txt", "2030"},
    };
    for (const auto& c : cases) {
        const auto folder = dir / ("year" + std::string(c.Year));
        std::vector<std::string> arguments{"generate", folder.string(), "--stays", "300"};
        arguments.insert(arguments.end(), c.Extra.begin(), c.Extra.end());
        const Outcome outcome = Run(arguments);
        ASSERT_EQ(outcome.Status, 0) << outcome.Err;
        const auto file = folder / c.FileName;
        EXPECT_EQ(outcome.Out, file.string() + "\n");

        int stays = 0;
        for (const auto& line : SplitLines(test::ReadText(file), "\r\n")) {
            if (line.front() != '1') continue;
            ++stays;
            // The admission follows the key's hospital (4), department (8), admission number (10)
            // and birth date (8).
            EXPECT_EQ(line.substr(31, 4), c.Year) << line;
        }
        EXPECT_GE(stays, 300) << c.FileName;
    }
}

TEST_F(GenerateTest, BadArgumentsAreUsageErrorsAndWriteNothing)
{
    const std::string target = (dir / "out").string();
    const std::vector<std::vector<std::string>> cases = {
        {"generate"},
        {"generate", target, target},
        {"generate", target, "--stays", "0"},
        {"generate", target, "--stays", "400001"},
        {"generate", target, "--stays", "-5"},
        {"generate", target, "--stays", "12x"},
        {"generate", target, "--seed", ""},
        {"generate", target, "--hospital", "X001"},
        {"generate", target, "--hospital", "K01"},
        {"generate", target, "--hospital", "K0 1"},
        {"generate", target, "--department", "135101"},
        {"generate", target, "--department", "12510"},
        {"generate", target, "--colour", "red"},
        {"generate", target, "--year", "1899"},
        {"generate", target, "--year", "2101"},
        {"generate", target, "--year", "-2025"},
        {"generate", target, "--year", "25x"},
        {"generate", target, "--year", "18446744073709551617"},
    };
    for (const auto& arguments : cases) {
        const Outcome outcome = Run(arguments);
        std::string shown;
        for (const auto& argument : arguments) shown += argument + " ";
        EXPECT_EQ(outcome.Status, 1) << shown << "\n" << outcome.Err;
        EXPECT_TRUE(outcome.Err.starts_with("kalmora-cli: ")) << outcome.Err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "out"));
}

// Without faults every stay is accepted and the sum record matches; the protocol holds at most the
// few item warnings that a real ward's documentation has too.
TEST_F(GenerateTest, AFileWithoutFaultsImportsCompletely)
{
    SetUpInstallation();
    GeneratorOptions options;
    options.Stays = 300;
    options.Seed = 11;
    options.FaultsPerThousand = 0;
    const cli::GeneratedFile generated = cli::GenerateImportFile(dir / "inst" / "import", options);

    const Outcome outcome = Run({"--ini", Ini(), "import", generated.Path.string()});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    const auto cells = ResultCells(outcome.Out);
    ASSERT_EQ(cells.size(), 6u) << outcome.Out;
    EXPECT_EQ(NumberCell(cells[3]), 300) << outcome.Out;
    EXPECT_EQ(NumberCell(cells[4]), 300) << outcome.Out;

    const auto protocol =
        SplitLines(DecodeWindows1252(test::ReadText(dir / "inst" / "export" / "protocol.dat")), "\r\n");
    const std::uint64_t surveyDays = generated.CountedLines - 300;
    std::uint64_t itemWarnings = 0;
    for (std::size_t i = 1; i < protocol.size(); ++i) {
        const std::string& line = protocol[i];
        const bool itemWarning = line.find(";Warning;TISS28;Unplausible Kombination") != std::string::npos ||
                                 line.find("ohne Standardmonitoring unplausibel") != std::string::npos;
        EXPECT_TRUE(itemWarning) << line;
        itemWarnings += itemWarning ? 1 : 0;
    }
    EXPECT_LT(itemWarnings * 20, surveyDays) << "more than 5 % of the survey days have item warnings";

    const auto department = System() / "12510101X001";
    EXPECT_EQ(IntegrityOf(department), "ok");
    Database stored(department, OpenMode::ReadOnly);
    EXPECT_EQ(test::CountRows(stored, "Gesamt - Patientenadministration"), 300);
    EXPECT_EQ(static_cast<std::uint64_t>(test::CountRows(stored, "Satzart 3 - TISS28")), surveyDays);
}

// Each fault kind meets the check meant for it: a stay with a fault that the import rejects is
// missing afterwards, every other stay is stored.
TEST_F(GenerateTest, AFileWithFaultsImportsAllButTheRejectedStays)
{
    SetUpInstallation();
    GeneratorOptions options;
    options.Stays = 1000;
    options.Seed = 3;
    options.FaultsPerThousand = 200;
    const cli::GeneratedFile generated = cli::GenerateImportFile(dir / "inst" / "import", options);
    for (std::size_t kind = 0; kind < cli::kStayFaultKinds; ++kind) {
        ASSERT_GT(generated.Faults[kind], 0u) << "fault kind " << kind << " missing; choose another seed";
    }

    const Outcome outcome = Run({"--ini", Ini(), "import", generated.Path.string()});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    const auto cells = ResultCells(outcome.Out);
    ASSERT_EQ(cells.size(), 6u) << outcome.Out;

    std::uint64_t rejected = 0;
    for (const StayFault fault : {StayFault::InvalidAdmission, StayFault::InvalidDischarge, StayFault::InvalidBirthDate,
                                  StayFault::DischargeBeforeAdmission, StayFault::OutcomeFive, StayFault::BlankOutcome,
                                  StayFault::BlankAdmissionNumber, StayFault::WrongHospital, StayFault::WrongDepartment,
                                  StayFault::TooYoung, StayFault::NoSurveyDays, StayFault::InvalidSurveyDate}) {
        rejected += generated.FaultCount(fault);
    }
    EXPECT_EQ(NumberCell(cells[3]), 1000) << outcome.Out;
    EXPECT_EQ(NumberCell(cells[4]), 1000 - static_cast<int>(rejected)) << outcome.Out;
    EXPECT_EQ(cells[5], "Detailinformation siehe Protokolldatei");
    EXPECT_EQ(IntegrityOf(System() / "12510101X001"), "ok");
    EXPECT_EQ(IntegrityOf(System() / "iadmin.mdb"), "ok");
}

}  // namespace
}  // namespace kalmora
