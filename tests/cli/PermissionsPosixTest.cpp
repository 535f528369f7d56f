// Patient data is never open to users outside the owner and the group, whatever the umask: what
// set-up, import, classification and export make; an existing installation is only told about.
#include "foundation/Platform.h"
#include "support/CliRunner.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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

TEST(PermissionsTest, SetupTellsWhatAnExistingInstallationOpensToOthersAndChangesNothing)
{
    test::TempDir dir;
    const auto root = dir / "inst";
    ASSERT_EQ(Cli({"setup", root.string()}).Status, 0);
    fs::permissions(root / "export", fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    test::WriteText(root / "export" / "protocol.dat", "Befunde");
    fs::permissions(root / "export" / "protocol.dat", fs::perms::others_read, fs::perm_options::add);

    const auto outcome = Cli({"setup", root.string()});
    EXPECT_EQ(outcome.Status, 0);
    for (const auto& open : {root / "export", root / "export" / "protocol.dat"}) {
        EXPECT_NE(
            outcome.Out.find("für alle Benutzer zugänglich (mit chmod o-rwx einschränken): " + open.string() + "\n"),
            std::string::npos)
            << outcome.Out;
        EXPECT_TRUE(platform::OpenToOthers(open));
    }
}

}  // namespace
}  // namespace kalmora
