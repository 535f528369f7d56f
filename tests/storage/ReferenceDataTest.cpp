#include "storage/ReferenceData.h"

#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kalmora {
namespace {

class ReferenceDataTest : public ::testing::Test {
protected:
    ReferenceDataTest()
    {
        CreateAdminDatabase(admin);
        Write("h.csv", "KANR;BEZEICHNUNG\nK001;Altes Haus\n");
        Write("d.csv", "ABTEILUNG;BEZEICHNUNG\n121001;Alte Station\n");
        LoadReferenceData(admin, dir / "h.csv", dir / "d.csv");
    }

    void Write(const std::string& name, const std::string& text) { test::WriteText(dir / name, text); }

    std::string Names(std::string_view table)
    {
        Database db(admin, OpenMode::ReadOnly);
        auto rows = db.Prepare("SELECT group_concat(\"BEZEICHNUNG\", '|') FROM " + QuoteIdentifier(table));
        rows.Step();
        return rows.Text(0);
    }

    test::TempDir dir;
    std::filesystem::path admin = dir / "iadmin.mdb";
};

TEST_F(ReferenceDataTest, ReplacesBothTables)
{
    Write("h2.csv", "\xEF\xBB\xBFKANR;BEZEICHNUNG\r\nK002;Neues Haus\r\nK003;\"Haus; mit Semikolon\"\r\n\r\n");
    Write("d2.csv", "ABTEILUNG;BEZEICHNUNG\n125101;Internistische Intensivstation\n");
    LoadReferenceData(admin, dir / "h2.csv", dir / "d2.csv");
    EXPECT_EQ(Names(kHospitalNamesTable), "Neues Haus|Haus; mit Semikolon");
    EXPECT_EQ(Names(kDepartmentNamesTable), "Internistische Intensivstation");
}

TEST_F(ReferenceDataTest, BadLinesAreReportedByNumberAndNothingChanges)
{
    Write("h2.csv",
          "KANR;BEZEICHNUNG\n"
          "K002;Gut\n"
          "X003;Kein K\n"              // line 3
          "K04;Zu kurz\n"              // line 4
          "K005\n"                     // line 5
          "K006;\n"                    // line 6
          "K002;Doppelt\n"             // line 7
          "K007;Stra\xDF" "e\n");      // line 8: not UTF-8
    Write("d2.csv", "ABT;BEZEICHNUNG\n1210;Zu kurz\n");
    try {
        LoadReferenceData(admin, dir / "h2.csv", dir / "d2.csv");
        FAIL() << "bad lists were loaded";
    } catch (const ReferenceDataError& error) {
        std::vector<std::pair<std::string, int>> found;
        for (const auto& problem : error.Problems()) found.emplace_back(problem.File.filename().string(), problem.Line);
        const std::vector<std::pair<std::string, int>> expected{
            {"h2.csv", 3}, {"h2.csv", 4}, {"h2.csv", 5}, {"h2.csv", 6},
            {"h2.csv", 7}, {"h2.csv", 8}, {"d2.csv", 1}, {"d2.csv", 2}};
        EXPECT_EQ(found, expected);
        EXPECT_NE(error.Problems().at(4).Describe().find("Zeile 7: \"K002\" steht bereits in Zeile 2"),
                  std::string::npos)
            << error.Problems().at(4).Describe();
    }
    EXPECT_EQ(Names(kHospitalNamesTable), "Altes Haus");
    EXPECT_EQ(Names(kDepartmentNamesTable), "Alte Station");
}

TEST_F(ReferenceDataTest, MissingFileIsReported)
{
    EXPECT_THROW(LoadReferenceData(admin, dir / "none.csv", dir / "d.csv"), ReferenceDataError);
    EXPECT_EQ(Names(kHospitalNamesTable), "Altes Haus");
}

}  // namespace
}  // namespace kalmora
