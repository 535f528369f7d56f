// Reads single records of type 1 and 3 into a fresh working copy and compares what the readers leave
// behind: protocol lines, CheckState, DuplicateRecord, the values derived for the stay and the rows
// of the record tables.
#include "import/RecordReaders.h"

#include "foundation/Windows1252.h"
#include "import/ImportProtocol.h"
#include "scoring/Tiss28Items.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/DepartmentRows.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kalmora {
namespace {

// The codes the import file name "A2100101X002.txt" stands for.
constexpr std::string_view kHospital = "K002";
constexpr std::string_view kDepartment = "12100101";
constexpr std::string_view kFileName = "A2100101X002.txt";

std::string Fit(std::string_view text, std::size_t width)
{
    std::string field(text.substr(0, width));
    field.resize(width, ' ');
    return field;
}

// A record of type 1, written field by field.
struct StayLine {
    std::string Hospital = "K002";
    std::string Department = "12100101";
    std::string KisId = "1000000001";
    std::string Dob = "19600101";
    std::string Admission = "201203150830";
    std::string Discharge = "201203151015";
    std::string Outcome = "1";
    std::string HospitalDischarge = "20120320";
    std::string HospitalState = "2";

    std::string Text() const
    {
        return "1" + Fit(Hospital, 4) + Fit(Department, 8) + Fit(KisId, 10) + Fit(Dob, 8) + Fit(Admission, 12) +
               std::string(22, ' ') + Fit(Discharge, 12) + Fit(Outcome, 1) + Fit(HospitalDischarge, 8) +
               Fit(HospitalState, 1);
    }
};

// A record of type 3; by default standard monitoring and laboratory, 6 points.
struct TissLine {
    std::string Hospital = "K002";
    std::string Department = "12100101";
    std::string KisId = "1000000001";
    std::string Dob = "19600101";
    std::string Admission = "201203150830";
    std::string SurveyDate = "20120315";
    std::string Items = "11" + std::string(26, '0');
    std::string Score = "   ";

    std::string Text() const
    {
        return "3" + Fit(Hospital, 4) + Fit(Department, 8) + Fit(KisId, 10) + Fit(Dob, 8) + Fit(Admission, 12) +
               Fit(SurveyDate, 8) + Fit(Items, 28) + Fit(Score, 3);
    }
};

// The 28 items with one changed.
std::string ItemsWith(std::string items, std::string_view label, char value)
{
    for (std::size_t i = 0; i < kTiss28Items.size(); ++i) {
        if (kTiss28Items[i].ImportLabel == label) items[i] = value;
    }
    return items;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// Column `index` (from 0) of a row written as "a|b|c".
std::string Column(const std::string& row, int index)
{
    std::size_t start = 0;
    for (int i = 0; i < index; ++i)
        start = row.find('|', start) + 1;
    return row.substr(start, row.find('|', start) - start);
}

std::string Rows(Database& db, const std::string& sql)
{
    std::string rows;
    auto query = db.Prepare(sql);
    while (query.Step()) {
        for (int column = 0; column < query.ColumnCount(); ++column) {
            rows += (column ? "|" : "") + (query.IsNull(column) ? std::string("NULL") : query.Text(column));
        }
        rows += '\n';
    }
    return rows;
}

// A working copy made from a new template, a protocol file and the readers on them, as the import
// of one file sets them up.
class Readers {
public:
    explicit Readers(bool strict = false)
        : m_workingCopy(MakeWorkingCopy(m_dir)), m_protocol(m_dir / "protocol.dat"), m_checks(m_protocol),
          m_readers(m_workingCopy, m_checks)
    {
        m_protocol.SetImportFileName(kFileName);
        m_checks.Strict = strict;
    }

    void ReadStay(const std::string& line)
    {
        m_checks.CheckState = kCheckOk;
        m_checks.DuplicateRecord = false;
        m_readers.ReadStayRecord(line, kHospital, kDepartment, kExternalImportOrigin);
    }

    void ReadTiss(const std::string& line)
    {
        m_checks.CheckState = kCheckOk;
        m_checks.DuplicateRecord = false;
        m_readers.ReadTissRecord(line, kHospital, kDepartment, kExternalImportOrigin);
    }

    const ImportChecks& Checks() const { return m_checks; }

    // The protocol's lines; ends the protocol.
    std::vector<std::string> ProtocolLines()
    {
        EXPECT_FALSE(m_protocol.Close());
        return SplitLines(DecodeWindows1252(test::ReadText(m_protocol.Path())));
    }

    // Severity, parameter and comment of every protocol line; ends the protocol.
    std::vector<std::string> Findings()
    {
        std::vector<std::string> findings;
        for (const auto& line : ProtocolLines()) {
            std::size_t start = 0;
            for (int column = 0; column < 7; ++column)
                start = line.find(';', start) + 1;
            findings.push_back(line.substr(start));
        }
        return findings;
    }

    std::string StayRecords()
    {
        return Rows(m_workingCopy, "SELECT \"QUALIFIER\", \"KA_ID\", \"ICU_FUN_ID\", \"ICU_FUN_SID\", \"KIS_ID\", "
                                   "\"DOB\", \"ADM_DATE\", \"DIS_DATE\", \"ICU_OUTCOME\", \"HOSP_DIS_DATE\", "
                                   "\"HOSP_MORT\" FROM \"Satzart 1 - Patientenadministration Intensiv\" "
                                   "ORDER BY rowid");
    }

    // The key fields, the survey date, the 28 items as one text and the score.
    std::string TissRecords()
    {
        std::string items;
        for (const auto& item : kTiss28Items)
            items += (items.empty() ? "" : " || ") + QuoteIdentifier(item.Column);
        return Rows(m_workingCopy, "SELECT \"QUALIFIER\", \"KA_ID\", \"ICU_FUN_ID\", \"ICU_FUN_SID\", \"KIS_ID\", "
                                   "\"DOB\", \"ADM_DATE\", \"REC_DATE\", " +
                                       items + ", \"T28_SCORE\" FROM \"Satzart 3 - TISS28\" ORDER BY rowid");
    }

private:
    static std::filesystem::path MakeWorkingCopy(const test::TempDir& dir)
    {
        CreateDepartmentTemplate(dir / "ibds.mdb");
        std::filesystem::copy_file(dir / "ibds.mdb", dir / "temp.mdb");
        return dir / "temp.mdb";
    }

    test::TempDir m_dir;
    Database m_workingCopy;
    ImportProtocol m_protocol;
    ImportChecks m_checks;
    RecordReaders m_readers;
};

const std::string kEntlassungVorAufnahme = "Error;Aufnahmezeitpunkt;Entlassung vor Aufnahme";

TEST(RecordReadersTest, StayRecordDerivesCareDaysHoursAndAge)
{
    struct Case {
        const char* Name;
        StayLine Line;
        std::string_view CareDays;
        std::string_view StayHours;
        std::string_view AgeYears;
        std::vector<std::string> Findings;
    };
    const Case cases[] = {
        {"same day, one completed hour",
         {.Admission = "201203150830", .Discharge = "201203151015"},
         "0    ",
         "1 ",
         "52 ",
         {}},
        {"same day, discharge before admission",
         {.Admission = "201203151030", .Discharge = "201203151015"},
         "0    ",
         "-1",
         "52 ",
         {kEntlassungVorAufnahme}},
        {"two days, hours not counted",
         {.Admission = "201203150800", .Discharge = "201203170700"},
         "2    ",
         "  ",
         "52 ",
         {}},
        {"discharge date before admission date",
         {.Admission = "201203150800", .Discharge = "201203140900"},
         "-1   ",
         "  ",
         "52 ",
         {kEntlassungVorAufnahme}},
        {"invalid admission: blanks and no order finding",
         {.Admission = "201202300800", .Discharge = "201203010900"},
         "     ",
         "  ",
         "   ",
         {"Error;Aufnahmezeitpunkt;Parameter ungültig"}},
        {"invalid discharge: blanks and no order finding",
         {.Admission = "201203150800", .Discharge = "201203140960"},
         "     ",
         "  ",
         "52 ",
         {"Error;Entlassungszeitpunkt;Parameter ungültig"}},
        {"blank date of birth", {.Dob = ""}, "0    ", "1 ", "   ", {"Error;Geburtsdatum;Parameter ungültig"}},
        {"admitted on the birthday", {.Dob = "19600315"}, "0    ", "1 ", "52 ", {}},
        {"admitted the day before the birthday", {.Dob = "19600316"}, "0    ", "1 ", "51 ", {}},
        {"born on 29 February, admitted on 28 February",
         {.Dob = "19560229", .Admission = "201202281200", .Discharge = "201202281300"},
         "0    ",
         "1 ",
         "55 ",
         {}},
        {"born on 29 February, admitted on 29 February",
         {.Dob = "19560229", .Admission = "201202291200", .Discharge = "201202291300"},
         "0    ",
         "1 ",
         "56 ",
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Readers readers;
        readers.ReadStay(c.Line.Text());
        const auto& derived = readers.Checks().StayDerived;
        EXPECT_EQ(derived.CareDays.str(), c.CareDays);
        EXPECT_EQ(derived.StayHours.str(), c.StayHours);
        EXPECT_EQ(derived.AgeYears.str(), c.AgeYears);
        EXPECT_EQ(derived.Outcome.str(), "1");
        EXPECT_EQ(readers.Checks().CheckState, c.Findings.empty() ? kCheckOk : kCheckError);
        EXPECT_EQ(readers.Findings(), c.Findings);
    }
}

TEST(RecordReadersTest, StayRecordFieldsGiveTheirFindingsAndStoredValues)
{
    const std::string valid = StayLine{}.Text();
    struct Case {
        const char* Name;
        std::string Line;
        bool Strict;
        std::vector<std::string> Findings;
        std::int16_t State;
        std::string Row;  // QUALIFIER|KA_ID|ICU_FUN_ID|ICU_FUN_SID|KIS_ID|DOB|ADM_DATE|DIS_DATE|ICU_OUTCOME|...
    };
    const Case cases[] = {
        {"valid",
         valid,
         false,
         {},
         kCheckOk,
         "1|K002|121001|01|1000000001|19600101|201203150830|201203151015|1|20120320|2"},
        {"other hospital",
         StayLine{.Hospital = "K009"}.Text(),
         false,
         {"Error;KA;Parameter ungültig"},
         kCheckError,
         "1| |121001|01|1000000001|19600101|201203150830|201203151015|1|20120320|2"},
        {"other department",
         StayLine{.Department = "12100102"}.Text(),
         false,
         {"Error;Abteilung;Parameter ungültig"},
         kCheckError,
         "1|K002| | |1000000001|19600101|201203150830|201203151015|1|20120320|2"},
        {"blank admission number",
         StayLine{.KisId = ""}.Text(),
         false,
         {"Error;KH-Aufnahmezahl;Parameter ungültig"},
         kCheckError,
         "1|K002|121001|01|          |19600101|201203150830|201203151015|1|20120320|2"},
        {"admission number in Windows-1252",
         StayLine{.KisId = "M\xDCLLER0001"}.Text(),
         false,
         {},
         kCheckOk,
         "1|K002|121001|01|MÜLLER0001|19600101|201203150830|201203151015|1|20120320|2"},
        {"invalid date of birth",
         StayLine{.Dob = "19601301"}.Text(),
         false,
         {"Error;Geburtsdatum;Parameter ungültig"},
         kCheckError,
         "1|K002|121001|01|1000000001| |201203150830|201203151015|1|20120320|2"},
        {"invalid admission",
         StayLine{.Admission = "201203150860"}.Text(),
         false,
         {"Error;Aufnahmezeitpunkt;Parameter ungültig"},
         kCheckError,
         "1|K002|121001|01|1000000001|19600101| |201203151015|1|20120320|2"},
        {"invalid discharge",
         StayLine{.Discharge = "201203152400"}.Text(),
         false,
         {"Error;Entlassungszeitpunkt;Parameter ungültig"},
         kCheckError,
         "1|K002|121001|01|1000000001|19600101|201203150830| |1|20120320|2"},
        {"outcome blank",
         StayLine{.Outcome = ""}.Text(),
         false,
         {"Error;Entlassungszustand;Parameter ungültig"},
         kCheckError,
         "1|K002|121001|01|1000000001|19600101|201203150830|201203151015| |20120320|2"},
        {"outcome 5",
         StayLine{.Outcome = "5"}.Text(),
         false,
         {"Error;Entlassungszustand;Parameter ungültig"},
         kCheckError,
         "1|K002|121001|01|1000000001|19600101|201203150830|201203151015|5|20120320|2"},
        {"outcome 0",
         StayLine{.Outcome = "0"}.Text(),
         false,
         {"Error;Entlassungszustand;Parameter ungültig"},
         kCheckError,
         "1|K002|121001|01|1000000001|19600101|201203150830|201203151015|0|20120320|2"},
        {"outcome a letter",
         StayLine{.Outcome = "L"}.Text(),
         false,
         {"Error;Entlassungszustand;Parameter ungültig"},
         kCheckError,
         "1|K002|121001|01|1000000001|19600101|201203150830|201203151015|L|20120320|2"},
        {"outcome 4",
         StayLine{.Outcome = "4"}.Text(),
         true,
         {},
         kCheckOk,
         "1|K002|121001|01|1000000001|19600101|201203150830|201203151015|4|20120320|2"},
        {"hospital discharge date invalid, less strict",
         StayLine{.HospitalDischarge = "20121331"}.Text(),
         false,
         {"Warning;Spitalsentlassungsdatum;Parameter ungültig"},
         kCheckWarning,
         "1|K002|121001|01|1000000001|19600101|201203150830|201203151015|1|20121331|2"},
        {"hospital discharge date invalid, strict",
         StayLine{.HospitalDischarge = "20121331"}.Text(),
         true,
         {"Error;Spitalsentlassungsdatum;Parameter ungültig"},
         kCheckError,
         "1|K002|121001|01|1000000001|19600101|201203150830|201203151015|1|20121331|2"},
        {"hospital discharge state 3, less strict",
         StayLine{.HospitalState = "3"}.Text(),
         false,
         {"Warning;Spitalsentlassungszustand;Parameter ungültig"},
         kCheckWarning,
         "1|K002|121001|01|1000000001|19600101|201203150830|201203151015|1|20120320|3"},
        {"hospital discharge state 3, strict",
         StayLine{.HospitalState = "3"}.Text(),
         true,
         {"Error;Spitalsentlassungszustand;Parameter ungültig"},
         kCheckError,
         "1|K002|121001|01|1000000001|19600101|201203150830|201203151015|1|20120320|3"},
        {"hospital discharge blank",
         StayLine{.HospitalDischarge = "", .HospitalState = ""}.Text(),
         true,
         {},
         kCheckOk,
         "1|K002|121001|01|1000000001|19600101|201203150830|201203151015|1|        | "},
        {"line ends before the outcome",
         valid.substr(0, 77),
         false,
         {"Error;Entlassungszustand;Parameter ungültig"},
         kCheckError,
         "1|K002|121001|01|1000000001|19600101|201203150830|201203151015| |        | "},
        {"line ends after the outcome",
         valid.substr(0, 78),
         true,
         {},
         kCheckOk,
         "1|K002|121001|01|1000000001|19600101|201203150830|201203151015|1|        | "},
        {"characters after position 87 are not read",
         valid + "9XYZ",
         true,
         {},
         kCheckOk,
         "1|K002|121001|01|1000000001|19600101|201203150830|201203151015|1|20120320|2"},
        // The warning comes first; the later error decides the state.
        {"warning, then error",
         StayLine{.Admission = "201203151030", .Discharge = "201203151015", .HospitalState = "7"}.Text(),
         false,
         {"Warning;Spitalsentlassungszustand;Parameter ungültig", kEntlassungVorAufnahme},
         kCheckError,
         "1|K002|121001|01|1000000001|19600101|201203151030|201203151015|1|20120320|7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Readers readers(c.Strict);
        readers.ReadStay(c.Line);
        EXPECT_EQ(readers.Checks().CheckState, c.State);
        EXPECT_FALSE(readers.Checks().DuplicateRecord);
        EXPECT_EQ(readers.StayRecords(), c.Row + "\n");
        // The outcome handed to the stay row is the stored one.
        EXPECT_EQ(readers.Checks().StayDerived.Outcome.str(), Column(c.Row, 8));
        EXPECT_EQ(readers.Findings(), c.Findings);
    }
}

TEST(RecordReadersTest, ProtocolLineNamesTheRecordByTheLinesKey)
{
    Readers readers;
    readers.ReadStay(StayLine{.Hospital = "K009", .KisId = "AB12"}.Text());
    EXPECT_EQ(readers.ProtocolLines(),
              std::vector<std::string>{
                  "A2100101X002.txt;K009;12100101;1;AB12      ;19600101;201203150830;Error;KA;Parameter ungültig"});
}

TEST(RecordReadersTest, TissRecordChecksItemsAndComputesTheScore)
{
    const std::string zeros(28, '0');
    const std::string monitoringOnly = "1" + std::string(27, '0');
    const std::string valid = TissLine{}.Text();
    struct Case {
        const char* Name;
        std::string Line;
        bool Strict;
        std::vector<std::string> Findings;
        std::int16_t State;
        std::string Row;  // QUALIFIER|KA_ID|ICU_FUN_ID|ICU_FUN_SID|KIS_ID|DOB|ADM_DATE|REC_DATE|items|T28_SCORE
    };
    const std::string key = "3|K002|121001|01|1000000001|19600101|201203150830|";
    const std::string zeroScore = "Warning;TISS28;Score beträgt 0 Punkte";
    const Case cases[] = {
        {"valid; a delivered score is ignored",
         TissLine{.Score = "099"}.Text(),
         true,
         {},
         kCheckOk,
         key + "20120315|11" + std::string(26, '0') + "|006"},
        {"all items 0",
         TissLine{.Items = zeros, .Score = "045"}.Text(),
         true,
         {zeroScore},
         kCheckWarning,
         key + "20120315|" + zeros + "|000"},
        {"all items blank",
         TissLine{.Items = ""}.Text(),
         true,
         {zeroScore},
         kCheckWarning,
         key + "20120315|" + std::string(28, ' ') + "|000"},
        {"line ends after the survey date",
         valid.substr(0, 51),
         true,
         {zeroScore},
         kCheckWarning,
         key + "20120315|" + std::string(28, ' ') + "|000"},
        {"item 2, strict: no score",
         TissLine{.Items = ItemsWith(monitoringOnly, "Mechanische Beatmung", '2')}.Text(),
         true,
         {"Error;Mechanische Beatmung;Parameter ungültig"},
         kCheckError,
         key + "20120315|10000002" + std::string(20, '0') + "|NULL"},
        {"item 2, less strict: scored without it",
         TissLine{.Items = ItemsWith(monitoringOnly, "Mechanische Beatmung", '2')}.Text(),
         false,
         {"Warning;Mechanische Beatmung;Parameter ungültig"},
         kCheckWarning,
         key + "20120315|10000002" + std::string(20, '0') + "|005"},
        {"two items out of range, less strict, and a score of 0",
         TissLine{.Items = ItemsWith(ItemsWith(zeros, "Labor", '9'), "Einfache Intervention", '2')}.Text(),
         false,
         {"Warning;Labor;Parameter ungültig", "Warning;Einfache Intervention;Parameter ungültig", zeroScore},
         kCheckWarning,
         key + "20120315|09" + std::string(23, '0') + "200|000"},
        {"item X counts as 0 without a finding",
         TissLine{.Items = ItemsWith(monitoringOnly, "Labor", 'X')}.Text(),
         true,
         {},
         kCheckOk,
         key + "20120315|1X" + std::string(26, '0') + "|005"},
        {"survey date 20120230",
         TissLine{.SurveyDate = "20120230"}.Text(),
         false,
         {"Error;Erhebungsdatum;Parameter ungültig"},
         kCheckError,
         key + " |11" + std::string(26, '0') + "|NULL"},
        {"other hospital",
         TissLine{.Hospital = "K009"}.Text(),
         false,
         {"Error;KA;Parameter ungültig"},
         kCheckError,
         "3| |121001|01|1000000001|19600101|201203150830|20120315|11" + std::string(26, '0') + "|NULL"},
        {"blank admission number and invalid admission",
         TissLine{.KisId = "", .Admission = "201203150860"}.Text(),
         false,
         {"Error;KH-Aufnahmezahl;Parameter ungültig", "Error;Aufnahmezeitpunkt;Parameter ungültig"},
         kCheckError,
         "3|K002|121001|01|          |19600101| |20120315|11" + std::string(26, '0') + "|NULL"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Readers readers(c.Strict);
        readers.ReadTiss(c.Line);
        EXPECT_EQ(readers.Checks().CheckState, c.State);
        EXPECT_FALSE(readers.Checks().DuplicateRecord);
        EXPECT_EQ(readers.TissRecords(), c.Row + "\n");
        EXPECT_EQ(readers.Findings(), c.Findings);
    }
}

TEST(RecordReadersTest, TissRecordLeavesTheStaysDerivedValuesAlone)
{
    Readers readers;
    readers.ReadStay(StayLine{.Admission = "201203150800", .Discharge = "201203170700"}.Text());
    readers.ReadTiss(TissLine{.Admission = "201203150800", .SurveyDate = "20120316"}.Text());
    const auto& derived = readers.Checks().StayDerived;
    EXPECT_EQ(derived.CareDays.str() + derived.StayHours.str() + derived.AgeYears.str() + derived.Outcome.str(),
              "2      52 1");
}

TEST(RecordReadersTest, SecondRecordOfTheSameKeyIsReportedAsDuplicate)
{
    const std::string duplicate = "Warning;Datensatz;Mehrfacheinträge";
    struct Case {
        const char* Name;
        bool Tiss;
        std::string First;
        std::string Second;
        bool Duplicate;
        std::int16_t State;
        std::vector<std::string> SecondFindings;
    };
    const Case cases[] = {
        {"same stay", false, StayLine{}.Text(), StayLine{}.Text(), true, kCheckWarning, {duplicate}},
        {"same stay, other discharge",
         false,
         StayLine{}.Text(),
         StayLine{.Discharge = "201203161015"}.Text(),
         true,
         kCheckWarning,
         {duplicate}},
        {"same stay with an error: the error decides the state",
         false,
         StayLine{}.Text(),
         StayLine{.Outcome = "5"}.Text(),
         true,
         kCheckError,
         {"Error;Entlassungszustand;Parameter ungültig", duplicate}},
        {"same stay with a warning",
         false,
         StayLine{}.Text(),
         StayLine{.HospitalState = "3"}.Text(),
         true,
         kCheckWarning,
         {"Warning;Spitalsentlassungszustand;Parameter ungültig", duplicate}},
        {"other admission time",
         false,
         StayLine{}.Text(),
         StayLine{.Admission = "201203150831"}.Text(),
         false,
         kCheckOk,
         {}},
        {"same survey day",
         true,
         TissLine{}.Text(),
         TissLine{.Items = std::string(28, '1')}.Text(),
         true,
         kCheckWarning,
         {duplicate}},
        {"other survey day", true, TissLine{}.Text(), TissLine{.SurveyDate = "20120316"}.Text(), false, kCheckOk, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Readers readers;
        const auto read = [&](const std::string& line) { c.Tiss ? readers.ReadTiss(line) : readers.ReadStay(line); };
        read(c.First);
        ASSERT_EQ(readers.Checks().CheckState, kCheckOk);
        ASSERT_FALSE(readers.Checks().DuplicateRecord);
        const std::string firstRows = c.Tiss ? readers.TissRecords() : readers.StayRecords();

        read(c.Second);
        EXPECT_EQ(readers.Checks().DuplicateRecord, c.Duplicate);
        EXPECT_EQ(readers.Checks().CheckState, c.State);
        const std::string rows = c.Tiss ? readers.TissRecords() : readers.StayRecords();
        if (c.Duplicate) {
            EXPECT_EQ(rows, firstRows) << "a refused record must leave the stored one as it was";
        } else {
            EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 2);
        }
        EXPECT_EQ(readers.Findings(), c.SecondFindings);
    }
}

}  // namespace
}  // namespace kalmora
