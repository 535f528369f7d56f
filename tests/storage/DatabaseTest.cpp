#include "storage/Database.h"

#include "foundation/Val.h"
#include "storage/Schema.h"
#include "support/TempDir.h"
#include "support/ValCases.h"

#include <gtest/gtest.h>

namespace kalmora {
namespace {

class DatabaseTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::filesystem::path file = dir / "test.mdb";
};

TEST_F(DatabaseTest, OpeningAMissingFileFailsInsteadOfCreatingIt)
{
    EXPECT_THROW(Database{file}, StorageError);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(DatabaseTest, CreateNewRefusesAnExistingFile)
{
    { Database created(file, OpenMode::CreateNew); }
    EXPECT_THROW(Database(file, OpenMode::CreateNew), StorageError);
}

TEST_F(DatabaseTest, DuplicateKeyIsItsOwnErrorAndOtherConstraintsAreNot)
{
    Database db(file, OpenMode::CreateNew);
    db.Execute("CREATE TABLE t (k TEXT NOT NULL CHECK (length(k) <= 3)); CREATE UNIQUE INDEX ix ON t (k);");
    db.Prepare("INSERT INTO t VALUES (?)").Bind(1, "abc").Execute();

    EXPECT_THROW(db.Prepare("INSERT INTO t VALUES (?)").Bind(1, "abc").Execute(), DuplicateKey);
    try {
        db.Prepare("INSERT INTO t VALUES (?)").Bind(1, "abcd").Execute();
        FAIL() << "a too long value was stored";
    } catch (const DuplicateKey&) {
        FAIL() << "a CHECK failure surfaced as duplicate key";
    } catch (const StorageError&) {
    }
    try {
        db.Prepare("INSERT INTO t VALUES (NULL)").Execute();
        FAIL() << "NULL key was stored";
    } catch (const DuplicateKey&) {
        FAIL() << "a NOT NULL failure surfaced as duplicate key";
    } catch (const StorageError&) {
    }
    EXPECT_THROW(db.Prepare("SELECT * FROM missing"), StorageError);
}

TEST_F(DatabaseTest, TransactionRollsBackUnlessCommitted)
{
    Database db(file, OpenMode::CreateNew);
    db.Execute("CREATE TABLE t (v INTEGER)");
    {
        Transaction transaction(db);
        db.Prepare("INSERT INTO t VALUES (?)").Bind(1, 1).Execute();
    }
    {
        Transaction transaction(db);
        db.Prepare("INSERT INTO t VALUES (?)").Bind(1, 2).Execute();
        transaction.Commit();
    }
    auto rows = db.Prepare("SELECT group_concat(v) FROM t");
    ASSERT_TRUE(rows.Step());
    EXPECT_EQ(rows.Text(0), "2");
}

TEST_F(DatabaseTest, BoundTextIsNeverReadAsSql)
{
    Database db(file, OpenMode::CreateNew);
    db.Execute("CREATE TABLE t (v TEXT)");
    const std::string hostile = "x'); DROP TABLE t; --";
    db.Prepare("INSERT INTO t VALUES (?)").Bind(1, hostile).Execute();
    auto rows = db.Prepare("SELECT v FROM t");
    ASSERT_TRUE(rows.Step());
    EXPECT_EQ(rows.Text("v"), hostile);
}

TEST_F(DatabaseTest, SqlValReadsExactlyAsTheProgramsVal)
{
    Database db(file, OpenMode::CreateNew);
    db.Execute("CREATE TABLE samples (text TEXT)");
    auto insert = db.Prepare("INSERT INTO samples VALUES (?)");
    for (const auto& valCase : test::kValCases) {
        insert.Bind(1, valCase.Text).Execute();
        insert.Reset();
    }
    auto rows = db.Prepare("SELECT text, Val(text), VAL(text) FROM samples ORDER BY rowid");
    std::size_t index = 0;
    while (rows.Step()) {
        const auto& valCase = test::kValCases.at(index++);
        SCOPED_TRACE(std::string("Val(\"") + std::string(valCase.Text) + "\")");
        EXPECT_EQ(rows.Text(0), valCase.Text);
        EXPECT_EQ(rows.Double(1), Val(valCase.Text));
        EXPECT_EQ(rows.Double(1), valCase.Expected);
        EXPECT_EQ(rows.Double(2), rows.Double(1));
    }
    EXPECT_EQ(index, test::kValCases.size());

    auto nullRow = db.Prepare("SELECT Val(NULL) IS NULL");
    ASSERT_TRUE(nullRow.Step());
    EXPECT_EQ(nullRow.Int(0), 1);
}

}  // namespace
}  // namespace kalmora
