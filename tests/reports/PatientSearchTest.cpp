#include "reports/PatientSearch.h"

#include "foundation/Settings.h"
#include "reports/DepartmentLines.h"
#include "reports/StayLines.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/DepartmentRows.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace kalmora {
namespace {

TEST(PatientSearchKeyTest, BirthDatesWithTwoDigitYearsAreCompletedByTheCurrentYear)
{
    struct Case {
        std::string typed;
        std::string shown;  // blank: refused
    };
    const Case cases[] = {
        {"5.3.1950", "05.03.1950"},
        {"19500305", "05.03.1950"},
        {"5.3.50", "05.03.1950"},
        {"1.1.00", "01.01.2000"},
        {"5.3.26", "05.03.2026"},
        {"5.3.27", "05.03.1927"},
        {" 31.12.99 ", "31.12.1999"},
        // One- and three-digit years, impossible days and garbage are no dates.
        {"5.3.7", ""},
        {"5.3.950", ""},
        {"29.2.1951", ""},
        {"31.4.50", ""},
        {"5.3.x5", ""},
        {"abc", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const std::string shown = NormalizeBirthDateInput(c.typed, 2026);
        EXPECT_EQ(TrimBlanks(shown), c.shown);
    }
    // The century turns with the current year, not with a fixed pivot.
    EXPECT_EQ(NormalizeBirthDateInput("5.3.30", 2030), "05.03.2030");
}

TEST(PatientSearchKeyTest, TheFieldsGiveAFixedWidthKeyAndItsMode)
{
    struct Case {
        std::string kisId;
        std::string dob;
        std::string keyKisId;
        std::string keyDob;
        int mode;
    };
    const Case cases[] = {
        {"", "", "          ", "        ", 0},
        {"   ", "          ", "          ", "        ", 0},
        {" 4711 ", "", "4711      ", "        ", 1},
        {"", "05.03.1950", "          ", "19500305", 2},
        {"O'Brien", "05.03.1950", "O'Brien   ", "19500305", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kisId + "|" + c.dob);
        const PatientSearchKey key = SearchKeyOf(c.kisId, c.dob);
        EXPECT_EQ(key.KisId, c.keyKisId);
        EXPECT_EQ(key.Dob, c.keyDob);
        EXPECT_EQ(SearchModeOf(key), c.mode);
    }
}

TEST(StayLineSearchTest, WalksTheMatchesFromTheAnchor)
{
    const std::vector<std::string> lines{
        StayLineText({"4711      ", "19500305", "202401011200", "", "INT", "O"}),
        StayLineText({"0815      ", "19500305", "202401021200", "", "INT", "O"}),
        StayLineText({"4711      ", "19600101", "202401031200", "", "INT", "O"}),
        StayLineText({"4711      ", "19500305", "202401041200", "", "INT", "O"}),
    };
    const auto byKisId = SearchKeyOf("4711", "");
    const auto byDob = SearchKeyOf("", "05.03.1950");
    const auto byBoth = SearchKeyOf("4711", "05.03.1950");
    struct Case {
        PatientSearchKey key;
        std::size_t anchor;
        SearchStart start;
        std::optional<std::size_t> found;
    };
    const Case cases[] = {
        {byKisId, 3, SearchStart::FromBeginning, 0},
        {byKisId, 0, SearchStart::AfterAnchor, 2},
        {byKisId, 2, SearchStart::AfterAnchor, 3},
        {byDob, 0, SearchStart::AfterAnchor, 1},
        {byBoth, 0, SearchStart::AfterAnchor, 3},
        {SearchKeyOf("47", ""), 0, SearchStart::FromBeginning, std::nullopt},
        // At the last line "Fortsetzen" has nothing left to search.
        {byKisId, 3, SearchStart::AfterAnchor, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.anchor);
        EXPECT_EQ(SearchStayLines(lines, c.anchor, c.start, c.key), c.found);
    }
    EXPECT_EQ(SearchStayLines({}, 0, SearchStart::FromBeginning, byKisId), std::nullopt);
}

// Six departments D0..D5 in the system directory; D2 and D5 hold the patient 4711 born 05.03.1950.
class DepartmentSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.SystemDataPath = dir.Path().string();
        for (int index = 0; index < 6; ++index) {
            const std::string file = "D" + std::to_string(index) + ".mdb";
            CreateDepartmentTemplate(dir / file);
            Database department(dir / file);
            test::AddStay(department, {"0815      ", "19500305", "202401011200"});
            if (index == 2 || index == 5) test::AddStay(department, {"4711      ", "19500305", "202401011200"});
            lines.push_back(
                DepartmentLineText("K001", "Klinikum", "1210010" + std::to_string(index), "Intensiv", file, "EXTERN"));
        }
    }

    DepartmentSearchResult Search(SearchStart start, const PatientSearchKey& key)
    {
        return SearchDepartments(settings, lines, selected, start, key);
    }

    std::vector<bool> Selected(std::initializer_list<std::size_t> indexes) const
    {
        std::vector<bool> flags(lines.size(), false);
        for (auto index : indexes)
            flags[index] = true;
        return flags;
    }

    test::TempDir dir;
    Settings settings;
    std::vector<std::string> lines;
    std::vector<bool> selected;
};

TEST_F(DepartmentSearchTest, FortsetzenWalksTheMatchingDepartments)
{
    const auto key = SearchKeyOf("4711", "");
    selected = Selected({0});

    auto result = Search(SearchStart::FromBeginning, key);
    EXPECT_TRUE(result.Found);
    EXPECT_EQ(result.Current, 2u);
    EXPECT_EQ(selected, Selected({2}));

    result = Search(SearchStart::AfterAnchor, key);
    EXPECT_TRUE(result.Found);
    EXPECT_EQ(result.Current, 5u);

    // Nothing after the last match: the anchor is marked again.
    result = Search(SearchStart::AfterAnchor, key);
    EXPECT_FALSE(result.Found);
    EXPECT_EQ(result.Current, 5u);
    EXPECT_EQ(selected, Selected({5}));
}

TEST_F(DepartmentSearchTest, TheAnchorIsTheFirstSelectedLine)
{
    const auto key = SearchKeyOf("4711", "");
    selected = Selected({0, 4});
    const auto result = Search(SearchStart::AfterAnchor, key);
    EXPECT_EQ(result.Current, 2u);
    EXPECT_EQ(selected, Selected({2}));

    // Nothing selected: the anchor is line 0.
    selected.assign(lines.size(), false);
    EXPECT_EQ(Search(SearchStart::AfterAnchor, SearchKeyOf("0815", "")).Current, 1u);
}

TEST_F(DepartmentSearchTest, EachModeComparesItsFieldsAtFullWidth)
{
    struct Case {
        PatientSearchKey key;
        bool found;
        std::size_t current;
    };
    const Case cases[] = {
        {SearchKeyOf("4711", "05.03.1950"), true, 2},
        {SearchKeyOf("4711", "06.03.1950"), false, 0},
        {SearchKeyOf("", "05.03.1950"), true, 0},
        {SearchKeyOf("471", ""), false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key.KisId.str() + "|" + c.key.Dob.str());
        selected.assign(lines.size(), false);
        const auto result = Search(SearchStart::FromBeginning, c.key);
        EXPECT_EQ(result.Found, c.found);
        EXPECT_EQ(result.Current, c.current);
    }
}

TEST_F(DepartmentSearchTest, AQuoteInTheKeyIsAValue)
{
    {
        Database department(dir / "D4.mdb");
        test::AddStay(department, {"O'B 1\"; --", "19500305", "202401011200"});
    }
    EXPECT_EQ(Search(SearchStart::FromBeginning, SearchKeyOf("O'B 1\"; --", "")).Current, 4u);
}

TEST_F(DepartmentSearchTest, ADepartmentThatCannotBeReadIsNamedAndPassedOver)
{
    std::filesystem::remove(dir / "D1.mdb");
    std::filesystem::resize_file(dir / "D2.mdb", 0);
    {
        std::ofstream damaged(dir / "D2.mdb", std::ios::binary);
        damaged << "no database at all, but long enough to look like a header of one";
    }

    const auto result = Search(SearchStart::FromBeginning, SearchKeyOf("4711", ""));

    EXPECT_TRUE(result.Found);
    EXPECT_EQ(result.Current, 5u);
    ASSERT_EQ(result.Unsearchable.size(), 2u);
    EXPECT_EQ(result.Unsearchable[0].rfind("D1.mdb: ", 0), 0u);
    EXPECT_EQ(result.Unsearchable[1].rfind("D2.mdb: ", 0), 0u);
}

}  // namespace
}  // namespace kalmora
