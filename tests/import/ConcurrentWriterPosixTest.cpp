// Another program writing a department database while an import wants to replace it: the import
// waits for that program's transaction up to the engine's busy timeout, then stores nothing for the
// department, and never removes the journal the other program is writing.
#include "import/ImportRun.h"

#include "foundation/Windows1252.h"
#include "storage/Database.h"
#include "support/DepartmentRows.h"
#include "support/ImportInstallation.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/wait.h>
#include <unistd.h>

namespace kalmora {
namespace {

const std::filesystem::path kCases = std::filesystem::path(KALMORA_TEST_DATA_DIR) / "import";

// A program in a process of its own that holds an open write transaction on `database` (a stay
// inserted, not committed) until it is told to commit; its exit status tells whether the commit
// worked.
class OtherWriter {
public:
    explicit OtherWriter(const std::filesystem::path& database)
    {
        if (::pipe(m_ready) != 0 || ::pipe(m_commit) != 0) return;
        m_pid = ::fork();
        if (m_pid != 0) return;
        int status = 1;
        try {
            Database writer(database);
            writer.Execute("BEGIN IMMEDIATE");
            test::AddStay(writer, {.KisId = "ANDERES001"});
            char signal = 'r';
            static_cast<void>(::write(m_ready[1], &signal, 1));
            static_cast<void>(::read(m_commit[0], &signal, 1));
            writer.Execute("COMMIT");
            status = 0;
        } catch (...) {
        }
        ::_exit(status);
    }
    ~OtherWriter()
    {
        if (m_pid > 0) static_cast<void>(Commit());
    }
    OtherWriter(const OtherWriter&) = delete;
    OtherWriter& operator=(const OtherWriter&) = delete;

    bool Ready()
    {
        char signal = 0;
        return m_pid > 0 && ::read(m_ready[0], &signal, 1) == 1;
    }

    // Tells it to commit; whether the commit worked.
    bool Commit()
    {
        char signal = 'c';
        static_cast<void>(::write(m_commit[1], &signal, 1));
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    int m_ready[2]{-1, -1};
    int m_commit[2]{-1, -1};
    pid_t m_pid = -1;
};

TEST(ConcurrentWriterTest, AnOpenWriteTransactionOfAnotherProgramIsWaitedForAndKept)
{
    test::Installation installation;
    ASSERT_TRUE(installation.Import({kCases / "append" / "A2100101X002.txt"}));
    const auto department = installation.System() / test::kDepartmentFile;
    auto journal = department;
    journal += "-journal";
    const std::string before = installation.StoredStays();

    OtherWriter other(department);
    ASSERT_TRUE(other.Ready());
    ASSERT_TRUE(std::filesystem::exists(journal));
    ASSERT_TRUE(installation.Import({kCases / "append" / "B2100101X002.txt"}));
    EXPECT_EQ(installation.Run.FileResult, "            schwerwiegende Dateninkonsistenz");
    const std::string protocol = DecodeWindows1252(installation.Protocol());
    EXPECT_NE(protocol.find("wird gerade von einem anderen Programm geschrieben"), std::string::npos) << protocol;
    EXPECT_TRUE(std::filesystem::exists(journal));

    // The other program's commit goes through, into the department's file.
    EXPECT_TRUE(other.Commit());
    EXPECT_FALSE(std::filesystem::exists(journal));
    EXPECT_NE(installation.StoredStays().find("ANDERES001"), std::string::npos);
    EXPECT_NE(installation.StoredStays(), before);
}

}  // namespace
}  // namespace kalmora
