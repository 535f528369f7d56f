// Patient data is never open to users outside the owner and the group, whatever the umask: what
// set-up, import, classification and export make; an existing installation is only told about.
#include "foundation/Platform.h"
#include "support/CliRunner.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kalmora {
namespace {

namespace fs = std::filesystem;

// Sets the process's umask for the object's lifetime.
class Umask {
public:
    explicit Umask(mode_t mask) : m_saved(umask(mask)) {}
    ~Umask() { umask(m_saved); }
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;

private:
    mode_t m_saved;
};

std::vector<std::string> OpenToOthersBelow(const fs::path& root)
{
    std::vector<std::string> open;
    if (platform::OpenToOthers(root)) open.push_back(root.string());
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (platform::OpenToOthers(entry.path())) open.push_back(entry.path().string());
    }
    return open;
}

mode_t Mode(const fs::path& path)
{
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

test::CliOutcome Cli(const std::vector<std::string>& arguments)
{
    return test::RunCliInProcess(arguments, {}, 2024);
}

TEST(PermissionsTest, NothingAnInstallationHoldsIsOpenToOthers)
{
    test::TempDir dir;
    const auto root = dir / "inst";
    const std::string ini = (root / "Kalmora11_0.ini").string();
    {
        const Umask usual(022);
        ASSERT_EQ(Cli({"setup", root.string()}).Status, 0);
        const auto generated = Cli({"generate", (root / "import").string(), "--stays", "50"});
        ASSERT_EQ(generated.Status, 0) << generated.Err;
        const std::string file = generated.Out.substr(0, generated.Out.find('\n'));
        // The department database is built from the template, copied with its permissions: those
        // of an older installation's template must not come along.
        const auto templateFile = root / "system" / "ibds.mdb";
        fs::permissions(templateFile, fs::perms::others_read, fs::perm_options::add);
        for (int run = 0; run < 2; ++run) {  // the second replaces the department database
            const auto imported = Cli({"--ini", ini, "import", "--yes", file});
            ASSERT_EQ(imported.Status, 0) << imported.Err;
        }
        fs::permissions(templateFile, fs::perms::others_read, fs::perm_options::remove);
        ASSERT_EQ(Cli({"--ini", ini, "classify"}).Status, 0);
        ASSERT_EQ(Cli({"--ini", ini, "export"}).Status, 0);
        ASSERT_TRUE(fs::exists(root / "export" / "gesamt.mdb"));
    }
    EXPECT_EQ(OpenToOthersBelow(root), std::vector<std::string>{});
}

// Set-up gives what it makes the rights of a shared installation, also where it was made before
// (by a set-up that was killed, or under another umask); other files open to others are only told.
TEST(PermissionsTest, SetupSetsTheRightsOfWhatItMakesAndTellsOfTheRest)
{
    test::TempDir dir;
    const auto root = dir / "inst";
    {
        const Umask usual(022);
        ASSERT_EQ(Cli({"setup", root.string()}).Status, 0);
    }
    for (const auto& made : {root, root / "system", root / "import", root / "export"})
        fs::permissions(made, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(root / "system" / "iadmin.mdb",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    test::WriteText(root / "export" / "protocol.dat", "Befunde");
    fs::permissions(root / "export" / "protocol.dat", fs::perms::others_read, fs::perm_options::add);

    const auto outcome = Cli({"setup", root.string()});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    for (const auto& folder : {root, root / "system", root / "import", root / "export"})
        EXPECT_EQ(Mode(folder), 0770) << folder;
    for (const auto& file : {root / "Kalmora11_0.ini", root / "system" / "iadmin.mdb", root / "system" / "ibds.mdb"})
        EXPECT_EQ(Mode(file), 0660) << file;
    EXPECT_NE(outcome.Out.find("für alle Benutzer zugänglich (mit chmod o-rwx einschränken): " +
                               (root / "export" / "protocol.dat").string() + "\n"),
              std::string::npos)
        << outcome.Out;
    EXPECT_TRUE(platform::OpenToOthers(root / "export" / "protocol.dat"));
}

// Runs the batch tool in a process of its own as the user `uid` of the group `gid`, with the umask
// 022 that users usually have.
test::CliOutcome RunAs(uid_t uid, gid_t gid, const std::vector<std::string>& arguments)
{
    int output[2];
    if (::pipe(output) != 0) return {-1, "", "pipe"};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(output[0]);
        ::umask(022);
        int status = 99;
        std::string err = "could not become the user";
        if (::setgroups(0, nullptr) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0) {
            const auto outcome = Cli(arguments);
            status = outcome.Status;
            err = outcome.Err;
        }
        static_cast<void>(::write(output[1], err.data(), err.size()));
        ::_exit(status);
    }
    ::close(output[1]);
    std::string err;
    char buffer[4096];
    for (ssize_t read; (read = ::read(output[0], buffer, sizeof buffer)) > 0;)
        err.append(buffer, static_cast<std::size_t>(read));
    ::close(output[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, "", err};
}

// Two users of one group share an installation whose folders belong to the group and pass it on
// (set-group-ID): whatever one of them makes, the other may use, whatever their umask, and a lock
// file made without the group's rights is named with what to do.
TEST(PermissionsTest, TwoUsersOfOneGroupShareAnInstallation)
{
    if (::geteuid() != 0) GTEST_SKIP() << "only the superuser can act as two users";
    constexpr gid_t kGroup = 47110;
    constexpr uid_t kFirst = 47111;
    constexpr uid_t kSecond = 47112;
    test::TempDir dir;
    fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const auto root = dir / "inst";
    const std::string ini = (root / "Kalmora11_0.ini").string();
    const auto files = dir / "files";
    const auto generate = [&files](const char* department) {
        const auto generated =
            Cli({"generate", (files / department).string(), "--department", department, "--stays", "20"});
        return generated.Out.substr(0, generated.Out.find('\n'));
    };
    const std::string first = generate("125101");
    const std::string second = generate("121001");
    // Delivered by the hospital information system, readable by the users.
    fs::permissions(files, fs::perms::all);
    for (const auto& entry : fs::recursive_directory_iterator(files))
        fs::permissions(entry.path(), entry.is_directory()
                                          ? fs::perms::all
                                          : fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    // The IT makes the installation's folder, for the group and passing it on to what is made in it,
    // and the first user sets it up.
    fs::create_directory(root);
    ASSERT_EQ(::chown(root.c_str(), kFirst, kGroup), 0);
    ASSERT_EQ(::chmod(root.c_str(), 02770), 0);
    const auto setUp = RunAs(kFirst, kGroup, {"setup", root.string()});
    ASSERT_EQ(setUp.Status, 0) << setUp.Err;

    for (const auto& [user, arguments] :
         std::vector<std::pair<uid_t, std::vector<std::string>>>{{kFirst, {"--ini", ini, "import", first}},
                                                                 {kSecond, {"--ini", ini, "import", "--yes", second}},
                                                                 {kSecond, {"--ini", ini, "classify"}},
                                                                 {kSecond, {"--ini", ini, "export"}},
                                                                 {kFirst, {"--ini", ini, "import", "--yes", first}},
                                                                 {kFirst, {"--ini", ini, "check"}}}) {
        SCOPED_TRACE(std::to_string(user) + " " + arguments[2]);
        const auto outcome = RunAs(user, kGroup, arguments);
        EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    }
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        struct stat status {};
        ::stat(entry.path().c_str(), &status);
        EXPECT_EQ(status.st_gid, kGroup) << entry.path();
        EXPECT_EQ(status.st_mode & 0777, entry.is_directory() ? 0770u : 0660u) << entry.path();
    }

    // A lock file that the group may not write is named, with what to do.
    const auto lockFile = root / "system" / "kalmora.lock";
    ASSERT_EQ(::chmod(lockFile.c_str(), 0640), 0);
    const auto refused = RunAs(kSecond, kGroup, {"--ini", ini, "import", "--yes", second});
    EXPECT_EQ(refused.Status, 2);
    EXPECT_NE(refused.Err.find("Die Sperrdatei " + lockFile.string() + " kann nicht geöffnet werden"),
              std::string::npos)
        << refused.Err;
    // Its owner uses it as it is.
    EXPECT_EQ(RunAs(kFirst, kGroup, {"--ini", ini, "import", "--yes", first}).Status, 0);
}

}  // namespace
}  // namespace kalmora
