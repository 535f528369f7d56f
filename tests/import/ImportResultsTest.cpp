#include "import/ImportResults.h"

#include "foundation/FixedText.h"

#include <gtest/gtest.h>

#include <string>

namespace kalmora {
namespace {

TEST(ImportResultsTest, FileResultHoldsTwoNumberFieldsAndTheComment)
{
    struct Case {
        int Patients;
        int Imported;
        bool HasMessages;
        std::string_view Expected;
    };
    const Case cases[] = {
        {3, 2, false, " 3     2    "},      {3, 2, true, " 3     2    Detailinformation siehe Protokolldatei"},
        {0, 0, false, " 0     0    "},      {12345, 99999, false, " 12345 99999"},
        {123456, 7, false, "123456 7    "},  // six digits drop the blank, not a digit
        {-1, 0, false, "-1     0    "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Patients) + " / " + std::to_string(c.Imported));
        EXPECT_EQ(FormatFileResult(c.Patients, c.Imported, c.HasMessages), c.Expected);
    }
    EXPECT_EQ(FileResultWithoutNumbers("nur gültige Satzarten verarbeitbar"),
              "            nur gültige Satzarten verarbeitbar");
}

TEST(ImportResultsTest, ResultRowBeginsWithTwelveCharacters)
{
    EXPECT_EQ(BeginResultRow("A2ABC123XK01"), "A2ABC123XK01");
    EXPECT_EQ(BeginResultRow("kurz.txt"), "kurz.txt    ");
    EXPECT_EQ(BeginResultRow("A2ABC123XK01.txt"), "A2ABC123XK01");
    EXPECT_EQ(BeginResultRow("Ärztedaten_2012"), "Ärztedaten_2");
}

// Two files of a run: one stored with messages, one rejected by its name, and an older entry
// from an earlier run that must not show.
ImportResultRows TwoFiles()
{
    ImportResultRows rows;
    rows.Entries[0] = BeginResultRow("A2ABC123XK01") + FitToWidth("K001 - LKH Süd", 27) +
                      FitToWidth("12ABC123 - Intensivstation Nord", 49) + FormatFileResult(12, 11, true);
    rows.Entries[1] = BeginResultRow("T2ABC123XK01") + std::string(27 + 49, ' ') +
                      FileResultWithoutNumbers("Periode, Jahr, Abteilung oder KA ungültig; ein sehr langer Zusatz");
    rows.Entries[2] = BeginResultRow("altlauf.txt") + "from an earlier run";
    return rows;
}

TEST(ImportResultsTest, GridCutsTheRowsIntoSixColumnsOfCharacters)
{
    const auto grid = ResultGridRows(TwoFiles(), 2);
    ASSERT_EQ(grid.size(), 2u);
    const std::array<std::string, 6> first{"A2ABC123XK01",
                                           FitToWidth("K001 - LKH Süd", 27),
                                           FitToWidth("12ABC123 - Intensivstation Nord", 49),
                                           " 12   ",
                                           " 11   ",
                                           "Detailinformation siehe Protokolldatei"};
    EXPECT_EQ(grid[0], first);
    EXPECT_EQ(grid[1][5], "Periode, Jahr, Abteilung oder KA ungültig; ein seh");

    ImportResultRows started;
    started.Entries[0] = BeginResultRow("A2ABC123XK01");
    const auto cells = ResultGridRows(started, 1);
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0], (std::array<std::string, 6>{"A2ABC123XK01", "", "", "", "", ""}));

    EXPECT_TRUE(ResultGridRows(TwoFiles(), 0).empty());
    EXPECT_EQ(ResultGridRows(TwoFiles(), 5000).size(), kMaxImportFiles);
}

TEST(ImportResultsTest, ClipboardTextSeparatesCellsByTabAndRowsByCarriageReturn)
{
    const std::string expected = "Datei\tKA\tAbteilung\t#Patienten\tdavon importiert\tKommentar\r"
                                 "A2ABC123XK01\tK001 - LKH Süd             \t"
                                 "12ABC123 - Intensivstation Nord                  \t 12   \t 11   \t"
                                 "Detailinformation siehe Protokolldatei\r"
                                 "T2ABC123XK01\t                           \t"
                                 "                                                 \t      \t      \t"
                                 "Periode, Jahr, Abteilung oder KA ungültig; ein seh";
    EXPECT_EQ(ResultClipboardText(TwoFiles(), 2), expected);
    EXPECT_EQ(ResultClipboardText(TwoFiles(), 0), "Datei\tKA\tAbteilung\t#Patienten\tdavon importiert\tKommentar\r");
}

}  // namespace
}  // namespace kalmora
