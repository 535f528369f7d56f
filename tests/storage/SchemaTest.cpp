#include "storage/Schema.h"

#include "storage/Database.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace kalmora {
namespace {

using Names = std::vector<std::string>;

Names Columns(Database& db, std::string_view table)
{
    auto rows = db.Prepare("SELECT name FROM pragma_table_info(?) ORDER BY cid");
    rows.Bind(1, table);
    Names names;
    while (rows.Step())
        names.push_back(rows.Text(0));
    return names;
}

// index name -> its key fields, for every index of the table.
std::map<std::string, Names> Indexes(Database& db, std::string_view table)
{
    std::map<std::string, Names> indexes;
    auto list = db.Prepare("SELECT name FROM pragma_index_list(?)");
    list.Bind(1, table);
    while (list.Step()) {
        auto info = db.Prepare("SELECT name FROM pragma_index_info(?) ORDER BY seqno");
        info.Bind(1, list.Text(0));
        Names& keys = indexes[list.Text(0)];
        while (info.Step())
            keys.push_back(info.Text(0));
    }
    return indexes;
}

const Names kStayKey{"KIS_ID", "DOB", "ADM_DATE"};

TEST(SchemaTest, AdminDatabaseHasTheDepartmentListAndReferenceTables)
{
    test::TempDir dir;
    CreateAdminDatabase(dir / "iadmin.mdb");
    Database db(dir / "iadmin.mdb", OpenMode::ReadOnly);

    EXPECT_EQ(Columns(db, "Dateiverwaltung"),
              (Names{"KANR", "ABTEILUNG", "MDB_DATEI", "SBETT", "DGKP", "Status", "VOREINSTUFUNG"}));
    EXPECT_EQ(Indexes(db, "Dateiverwaltung"),
              (std::map<std::string, Names>{{"PrimaryKey", {"KANR", "ABTEILUNG"}}, {"MDBIndex", {"MDB_DATEI"}}}));
    EXPECT_EQ(Columns(db, "KANR-Bezeichnung"), (Names{"KANR", "BEZEICHNUNG"}));
    EXPECT_EQ(Indexes(db, "KANR-Bezeichnung"), (std::map<std::string, Names>{{"KA", {"KANR"}}}));
    EXPECT_EQ(Columns(db, "ABT-Bezeichnung"), (Names{"ABTEILUNG", "BEZEICHNUNG"}));
    EXPECT_EQ(Indexes(db, "ABT-Bezeichnung"), (std::map<std::string, Names>{{"Abteilung", {"ABTEILUNG"}}}));
}

TEST(SchemaTest, DepartmentTemplateHasTheFourTablesWithTheirKeys)
{
    test::TempDir dir;
    CreateDepartmentTemplate(dir / "ibds.mdb");
    Database db(dir / "ibds.mdb", OpenMode::ReadOnly);

    const Names department{"KA_ID", "ICU_FUN_ID", "ICU_FUN_SID"};
    auto join = [](std::initializer_list<Names> parts) {
        Names all;
        for (const auto& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    EXPECT_EQ(Columns(db, kStaysTable), join({department,
                                              kStayKey,
                                              {"DIS_DATE", "DIS_YEARMONTH", "BD", "STUNDEN", "Alter", "ICU_OUTCOME",
                                               "TYP", "FLAG", "Satzart_1", "Satzart_3"}}));
    EXPECT_EQ(Indexes(db, kStaysTable),
              (std::map<std::string, Names>{{"Gesamt - Patientenadministration.PrimaryKey", kStayKey},
                                            {"KIS_ID_Index", {"KIS_ID"}},
                                            {"DOB_Index", {"DOB"}},
                                            {"KIS_ID_DOB_Index", {"KIS_ID", "DOB"}}}));
    EXPECT_EQ(Columns(db, kStayRecordsTable),
              join({{"QUALIFIER"}, department, kStayKey, {"DIS_DATE", "ICU_OUTCOME", "HOSP_DIS_DATE", "HOSP_MORT"}}));

    const Names items{"T28_STAND_MON", "T28_LAB",      "T28_S_MED",      "T28_M_MED",     "T28_R_DRESS",
                      "T28_F_DRESS",   "T28_DRAIN",    "T28_MECH_VENT",  "T28_SUPP_VENT", "T28_TUBUS",
                      "T28_LUNG",      "T28_S_VASODR", "T28_M_VASODR",   "T28_L_FLUID",   "T28_ART",
                      "T28_PCL",       "T28_CVL",      "T28_CPR",        "T28_RENAL",     "T28_URINARY",
                      "T28_ACT_DIU",   "T28_ICP",      "T28_MET_SUPP",   "T28_NUT_ENT",   "T28_NUT_PARENT",
                      "T28_S_INT",     "T28_M_INT",    "T28_DIAG_EX_ICU"};
    EXPECT_EQ(Columns(db, kTissTable),
              join({{"QUALIFIER"}, department, kStayKey, {"REC_DATE"}, items, {"T28_SCORE", "STUNDEN"}}));
    EXPECT_EQ(Indexes(db, kTissTable)["Satzart 3 - TISS28.PrimaryKey"], join({kStayKey, {"REC_DATE"}}));
    EXPECT_EQ(Columns(db, kTissTempTable), (Names{"QUALIFIER", "KIS_ID", "DOB", "REC_DATE", "T28_SCORE", "STUNDEN"}));

    auto queries = db.Prepare("SELECT count(*) FROM sqlite_schema WHERE type = 'view'");
    ASSERT_TRUE(queries.Step());
    EXPECT_EQ(queries.Int(0), 0) << "a department database holds no stored query at rest";
}

TEST(SchemaTest, CreatingNeverReplacesAnExistingFile)
{
    test::TempDir dir;
    const auto file = dir / "ibds.mdb";
    CreateDepartmentTemplate(file);
    {
        Database db(file);
        db.Prepare("INSERT INTO \"Satzart 3 - TISS28 TEMP\" (\"KIS_ID\") VALUES (?)").Bind(1, "kept").Execute();
    }
    EXPECT_THROW(CreateDepartmentTemplate(file), StorageError);
    Database db(file, OpenMode::ReadOnly);
    auto rows = db.Prepare("SELECT count(*) FROM \"Satzart 3 - TISS28 TEMP\"");
    ASSERT_TRUE(rows.Step());
    EXPECT_EQ(rows.Int(0), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << "no leftover files";
}

// SQL in the sources names the tables through the schema's constants, so a renamed table is one
// change. Comments may name them in plain quotes; SQL would quote them as \"name\" or [name].
TEST(SchemaTest, SourcesNameTablesOnlyThroughTheSchemaConstants)
{
    const std::array tables{kDepartmentsTable, kHospitalNamesTable, kDepartmentNamesTable, kStaysTable,
                            kStayRecordsTable, kTissTable,          kTissTempTable};
    const auto sources = std::filesystem::path(KALMORA_SOURCE_DIR) / "src";
    const auto schemaHeader = sources / "storage" / "Schema.h";
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(sources)) {
        const auto extension = entry.path().extension();
        if (entry.path() == schemaHeader || (extension != ".cpp" && extension != ".h" && extension != ".in")) continue;
        ++files;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        for (const std::string_view table : tables) {
            for (const std::string& spelled : {"\\\"" + std::string(table) + "\\\"", "[" + std::string(table) + "]"}) {
                EXPECT_EQ(text.str().find(spelled), std::string::npos) << entry.path() << " spells out " << spelled;
            }
        }
    }
    EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace kalmora
