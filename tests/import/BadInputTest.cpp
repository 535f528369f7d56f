// Whatever an import is fed (garbage, odd names, files that change under it, a directory it cannot
// write to, a full disk, a broken settings file), it ends with a clear result or message, and the
// stored data come through intact. A missing import file and a directory in its place are in
// ImportFailuresTest.
#include "cli/ImportFileGenerator.h"
#include "foundation/FixedText.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "foundation/Utf8Path.h"
#include "foundation/Windows1252.h"
#include "import/ImportRun.h"
#include "support/CliRunner.h"
#include "support/Files.h"
#include "support/FileSizeCap.h"
#include "support/ImportInstallation.h"
#include "support/Posix.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
// psapi.h after windows.h, which it builds on.
#include <psapi.h>
#else
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <random>

namespace kalmora {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::Changes;
using test::Installation;
using test::Snapshot;

const fs::path kCases = fs::path(KALMORA_TEST_DATA_DIR) / "import";
// Department K002 / 12100101: two stays, then a second delivery of one of them and a new one.
const fs::path kFirstDelivery = kCases / "append" / "A2100101X002.txt";
const fs::path kSecondDelivery = kCases / "append" / "B2100101X002.txt";

const std::string kFirstStays = "1000000001|19600101|202401101200|O|1|3|3\n"
                                "1000000002|19700505|202401150800|O|1|1|1\n";
const std::string kBothStays = "1000000001|19600101|202401101200|O|1|2|2\n"
                               "1000000002|19700505|202401150800|O|1|1|1\n"
                               "1000000003|19800808|202402010700|O|1|2|2\n";
constexpr std::string_view kTwoOfTwo = " 2     2    ";
constexpr std::string_view kNothingNew = " 0     0    ";
constexpr std::string_view kOtherRecordKind = "            nur gültige Satzarten verarbeitbar";
constexpr std::string_view kUnknownCause = " Fehlerursache unbekannt!\n";

std::string Bytes(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// Every line of `text` with `change` applied to each of its characters after the record kind.
std::string EveryField(std::string text, const std::function<char(char)>& change)
{
    bool first = true;
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            first = true;
        } else if (first) {
            first = false;
        } else {
            c = change(c);
        }
    }
    return text;
}

// The protocol lines after the header, each checked to name the file and end with CR LF.
int ProtocolLines(const std::string& protocol, const std::string& fileName)
{
    int lines = 0;
    for (auto start = protocol.find("\r\n") + 2; start < protocol.size(); ++lines) {
        const auto end = protocol.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "protocol line without CR LF";
        if (end == std::string::npos) break;
        EXPECT_EQ(protocol.substr(start, fileName.size() + 1), EncodeWindows1252(fileName) + ";");
        start = end + 2;
    }
    return lines;
}

// A file of the stored department whose content is bad in one way each. The stored stays may only
// change by stays the file delivers in full.
TEST(BadInputTest, ContentEndsWithAClearResultAndKeepsTheStoredStays)
{
    const std::string second = test::ReadText(kSecondDelivery);
    struct Case {
        const char* Name;
        std::string Content;
        std::string_view Result;
        const std::string& Stays;
    };
    const Case cases[] = {
        // Nothing delivered: none of the department's stays is new.
        {"empty file", "", kNothingNew, kFirstStays},
        {"binary data", Bytes(100000, 1), kOtherRecordKind, kFirstStays},
        {"binary data after the records", second + Bytes(5000, 2), kOtherRecordKind, kFirstStays},
        {"only NUL bytes", std::string(5000, '\0'), kOtherRecordKind, kFirstStays},
        {"NUL bytes in every field", EveryField(second, [](char) { return '\0'; }), "", kFirstStays},
        {"only CR", std::string(100000, '\r'), kNothingNew, kFirstStays},
        {"only LF", std::string(100000, '\n'), kNothingNew, kFirstStays},
        {"bytes above 127 in every field", EveryField(second, [](char c) { return static_cast<char>(c | 0x80); }), "",
         kFirstStays},
        {"a line of 10 MB", second + "1" + std::string(10 << 20, '7') + "\r\n", "", kBothStays},
        {"a record of 10 MB", "1" + std::string(10 << 20, ' '), "", kFirstStays},
        // Only the start of a long line is kept: what lies beyond still decides whether it is empty.
        {"blanks beyond the kept part", second + std::string(10000, ' ') + "\r\n", kTwoOfTwo, kBothStays},
        {"blanks, then a character beyond the kept part", second + std::string(10000, ' ') + "x\r\n", kOtherRecordKind,
         kFirstStays},
        {"lines without their end", second.substr(0, second.size() - 1), kTwoOfTwo, kBothStays},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Installation installation;
        ASSERT_TRUE(installation.Import({kFirstDelivery}));
        const auto file = installation.Scratch() / "A2100101X002.txt";
        test::WriteText(file, c.Content);

        ASSERT_TRUE(installation.Import({file}));
        if (!c.Result.empty()) {
            EXPECT_EQ(installation.Run.FileResult, c.Result);
        } else {
            EXPECT_TRUE(installation.Run.FileResult.ends_with("Detailinformation siehe Protokolldatei"))
                << installation.Run.FileResult;
            EXPECT_GT(ProtocolLines(installation.Protocol(), "A2100101X002.txt"), 0);
        }
        EXPECT_TRUE(installation.Ui.Messages().empty());
        EXPECT_EQ(installation.StoredStays(), c.Stays);
    }
}

std::int64_t PeakMemoryKilobytes()
{
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<std::int64_t>(counters.PeakWorkingSetSize / 1024);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#endif
}

// A file of one huge line is read in a few kilobytes, and its line gets exactly the findings of
// the same record with a short tail: nothing beyond the record is ever read.
TEST(BadInputTest, LineOfFiftyMegabytesTakesLittleMemory)
{
    const std::string second = test::ReadText(kSecondDelivery);
    const std::string record = second.substr(0, second.find('\r'));
    ASSERT_EQ(record.front(), '1');
    const std::string tail(1 << 20, '7');

    Installation shortLine("short");
    Installation longLine("long");
    ASSERT_TRUE(shortLine.Import({kFirstDelivery}));
    ASSERT_TRUE(longLine.Import({kFirstDelivery}));
    test::WriteText(shortLine.Scratch() / "A2100101X002.txt", record + tail.substr(0, 200) + "\r\n");
    ASSERT_TRUE(shortLine.Import({shortLine.Scratch() / "A2100101X002.txt"}));

    const auto file = longLine.Scratch() / "A2100101X002.txt";
    fs::create_directories(file.parent_path());
    {
        std::ofstream out(file, std::ios::binary);
        out << record;
        for (int i = 0; i < 50; ++i)
            out << tail;
        out << "\r\n";
    }
    ASSERT_EQ(fs::file_size(file), record.size() + (50u << 20) + 2);
    const std::int64_t before = PeakMemoryKilobytes();
    ASSERT_TRUE(longLine.Import({file}));
    const std::int64_t growth = PeakMemoryKilobytes() - before;
    fs::remove(file);

    EXPECT_LT(growth, 16 * 1024) << "peak memory grew by " << growth << " kB";
    EXPECT_EQ(longLine.Run.FileResult, shortLine.Run.FileResult);
    EXPECT_EQ(longLine.Protocol(), shortLine.Protocol());
    EXPECT_EQ(longLine.StoredStays(), shortLine.StoredStays());
}

// Names the file system allows: the name's first twelve characters decide the department. A name
// that would carry a control character or ";" into the protocol, or a character Linux or Windows
// refuses into the database file name (characters 3-12), is refused like any invalid name: no
// protocol line, no database, no admin row.
TEST(BadInputTest, FileNamesWithBlanksUmlautsQuotesAndControlCharacters)
{
    constexpr std::string_view kInvalidName = "            Periode, Jahr, Abteilung oder KA ungültig";
    struct Case {
        std::string Name;
        std::string_view Result;
        std::string_view DatabaseFile;
    };
    const Case cases[] = {
        {"A2100101X002 Kopie (2).txt", kTwoOfTwo, "12100101X002"},
        {"A2100101X002 - Kopie.txt", kTwoOfTwo, "12100101X002"},
        {"A2100101X002 'ä\".txt", kTwoOfTwo, "12100101X002"},
        {"A2100101X002 [1] {2} ü.txt", kTwoOfTwo, "12100101X002"},
        {"A2100101 002.txt", kTwoOfTwo, "12100101 002"},
        {"A2100101ä002.txt", kTwoOfTwo, "12100101ä002"},
        {"Ä2100101X002.txt", kInvalidName, ""},
        {" 2100101X002.txt", kInvalidName, ""},
        {"A2", kInvalidName, ""},
        // A line feed made a database of that name and forged protocol lines.
        {"A2100101\n002.txt", kInvalidName, ""},
        {"A2100101X002\n;K002;12100101;1;x;y;z;Error;p;c.txt", kInvalidName, ""},
        {"A2100101X002;.txt", kInvalidName, ""},
        {"A2100101;002.txt", kInvalidName, ""},
        {"A2100101\t002.txt", kInvalidName, ""},
        {"A2100101X002\r.txt", kInvalidName, ""},
        {"A2100101X002 Kopie\x7f.txt", kInvalidName, ""},
        {"A2100101X002\x01", kInvalidName, ""},
        // Characters Windows refuses in file names, at the one free character of the database name.
        {"A2100101\"002.txt", kInvalidName, ""},
        {"A2100101\\002.txt", kInvalidName, ""},
        {"A2100101:002.txt", kInvalidName, ""},
        {"A2100101*002.txt", kInvalidName, ""},
        {"A2100101?002.txt", kInvalidName, ""},
        {"A2100101<002.txt", kInvalidName, ""},
        {"A2100101>002.txt", kInvalidName, ""},
        {"A2100101|002.txt", kInvalidName, ""},
    };
    for (const auto& c : cases) {
#ifdef _WIN32
        // No file of such a name can exist there.
        if (c.Name.find_first_of("\"\\:*?<>|") != std::string::npos ||
            std::any_of(c.Name.begin(), c.Name.end(), [](char ch) { return ch > 0 && ch < ' '; }))
            continue;
#endif
        SCOPED_TRACE(c.Name);
        Installation installation;
        const auto file = installation.Scratch() / PathFromUtf8(c.Name);
        test::WriteText(file, test::ReadText(kSecondDelivery));

        ASSERT_TRUE(installation.Import({file}));
        EXPECT_EQ(installation.Run.FileResult, c.Result);
        EXPECT_TRUE(installation.Run.ResultRows.Entries[0].starts_with(LeftCharacters(c.Name, 12)))
            << installation.Run.ResultRows.Entries[0];
        const int protocolLines = ProtocolLines(installation.Protocol(), c.Name);
        if (!c.DatabaseFile.empty()) {
            EXPECT_EQ(installation.StoredStays(c.DatabaseFile), "1000000001|19600101|202401101200|O|1|2|2\n"
                                                                "1000000003|19800808|202402010700|O|1|2|2\n");
        } else {
            EXPECT_EQ(protocolLines, 0);
            EXPECT_EQ(Snapshot(installation.System()).size(), 2u) << "a department was stored";
            Database admin(installation.System() / "iadmin.mdb", OpenMode::ReadOnly);
            auto rows = admin.Prepare("SELECT count(*) FROM \"Dateiverwaltung\"");
            ASSERT_TRUE(rows.Step());
            EXPECT_EQ(rows.Int(0), 0) << "a department was registered";
        }
    }
}

// Acts on the import file once its first lines have been read.
class ActingUserInterface : public ScriptedUserInterface {
public:
    explicit ActingUserInterface(std::function<void()> action) : m_action(std::move(action)) {}
    void SetStatusText(int panel, std::string_view text) override
    {
        ScriptedUserInterface::SetStatusText(panel, text);
        if (m_action && text.starts_with(" Überprüfe Datensatz")) std::exchange(m_action, nullptr)();
    }

private:
    std::function<void()> m_action;
};

// Does what another program does to a file; on Windows, that may be refused while the file is read.
void UnlessRefused(const std::function<void()>& change)
{
#ifdef _WIN32
    try {
        change();
    } catch (const fs::filesystem_error&) {
    }
#else
    change();
#endif
}

TEST(BadInputTest, FileThatChangesWhileItIsRead)
{
    struct Case {
        const char* Name;
        std::function<void(const fs::path&)> Change;
        bool Stops;
    };
    const Case cases[] = {
        {"truncated", [](const fs::path& file) { fs::resize_file(file, 100); }, true},
        {"emptied", [](const fs::path& file) { fs::resize_file(file, 0); }, true},
        {"grown", [](const fs::path& file) { std::ofstream(file, std::ios::app) << std::string(70000, '\r'); }, true},
        // The open file is read to its end: the run has all of it. (Windows refuses the other program
        // to remove or replace a file that is being read.)
        {"removed", [](const fs::path& file) { UnlessRefused([&] { fs::remove(file); }); }, false},
        {"replaced",
         [](const fs::path& file) {
             test::WriteText(file.string() + ".neu", "");
             UnlessRefused([&] { fs::rename(file.string() + ".neu", file); });
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Installation installation;
        ASSERT_TRUE(installation.Import({kFirstDelivery}));
        const auto before = Snapshot(installation.System());
        // Longer than one read of the file, so that its end is read after the change.
        const auto file = installation.Scratch() / "A2100101X002.txt";
        test::WriteText(file, test::ReadText(kSecondDelivery) + std::string(200000, '\n'));

        ActingUserInterface ui([&] { c.Change(file); });
        ImportRun run;
        const bool completed =
            RunImport(run, {file}, "protocol.dat", false, ImportEnvironment{installation.Config, ui});
        EXPECT_EQ(completed, !c.Stops);
        if (c.Stops) {
            ASSERT_EQ(ui.Messages().size(), 1u);
            EXPECT_EQ(ui.Messages()[0].Text, std::string(kUnknownCause) + "Die Importdatei " + file.string() +
                                                 " wurde während des Lesens verändert.");
            EXPECT_EQ(Changes(before, Snapshot(installation.System())), std::vector<std::string>{});
        } else {
            EXPECT_TRUE(ui.Messages().empty());
            EXPECT_EQ(run.FileResult, kTwoOfTwo);
            EXPECT_EQ(installation.StoredStays(), kBothStays);
        }
    }
}

#ifdef _WIN32
KALMORA_SKIPPED_ON_WINDOWS(BadInputTest, DataDirectoryThatIsReadOnlyOrFull,
                           "read-only folders by permission bits, a full disk by RLIMIT_FSIZE")
#else
// Without the right to override file permissions, as a user other than root runs. Permissions are
// per thread, and the tests run on one.
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride()
    {
        syscall(SYS_capget, &m_header, m_saved);
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        syscall(SYS_capset, &m_header, lowered);
    }
    ~WithoutPermissionOverride() { syscall(SYS_capset, &m_header, m_saved); }
    WithoutPermissionOverride(const WithoutPermissionOverride&) = delete;
    WithoutPermissionOverride& operator=(const WithoutPermissionOverride&) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
};

// The data directories the run writes to cannot take what it writes. The run stops with a message
// or reports the file as not stored; either way the stored data stay as they were, and once there
// is room again the same program imports the file.
TEST(BadInputTest, DataDirectoryThatIsReadOnlyOrFull)
{
    struct Case {
        const char* Name;
        std::function<void(Installation&)> Import;
        // A failure while the working copy grows is the file's own: it is told as not stored, with
        // its reason in the protocol, and the run goes on.
        bool StoppedOnlyTheFile = false;
    };
    const auto readOnly = [](const fs::path& directory) {
        return [directory](Installation& installation) {
            const auto folder = installation.Root() / directory;
            const auto write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
            for (const auto& entry : fs::directory_iterator(folder)) {
                fs::permissions(entry.path(), write, fs::perm_options::remove);
            }
            fs::permissions(folder, write, fs::perm_options::remove);
            {
                const WithoutPermissionOverride user;
                installation.Import({kSecondDelivery});
            }
            fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
            for (const auto& entry : fs::directory_iterator(folder)) {
                fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
            }
        };
    };
    const auto full = [](rlim_t bytes) {
        return [bytes](Installation& installation) {
            const test::FileSizeCap cap(bytes);
            installation.Import({kSecondDelivery});
        };
    };
    // A new department of many stays needs more room than the empty template has.
    const auto fullWhileGrowing = [](Installation& installation) {
        const auto file = cli::GenerateImportFile(installation.Scratch(), {.Hospital = "K002", .Stays = 300}).Path;
        const test::FileSizeCap cap(fs::file_size(installation.System() / "ibds.mdb"));
        installation.Import({file});
    };
    const Case cases[] = {
        {"system directory read-only", readOnly("system")},
        {"export directory read-only", readOnly("export")},
        {"full: nothing can be written", full(0)},
        {"full: room for the protocol only", full(20000)},
        {"full: no database can grow", fullWhileGrowing, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Installation installation;
        ASSERT_TRUE(installation.Import({kFirstDelivery}));
        const auto before = Snapshot(installation.System());
        installation.Ui = ScriptedUserInterface();

        c.Import(installation);
        const auto& messages = installation.Ui.Messages();
        if (c.StoppedOnlyTheFile) {
            EXPECT_TRUE(messages.empty());
            EXPECT_EQ(installation.Run.FileResult, "            schwerwiegende Dateninkonsistenz");
            const std::string protocol = DecodeWindows1252(installation.Protocol());
            EXPECT_NE(protocol.find(";Error; ;schwerwiegende Dateninkonsistenz: "), std::string::npos) << protocol;
        }
        if (messages.empty()) {
            EXPECT_EQ(installation.Run.FileResult, "            schwerwiegende Dateninkonsistenz");
        } else {
            // A protocol that cannot be written, and a lock file that cannot be opened, stop the run
            // with a message of their own.
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(messages[0].Text.starts_with(kUnknownCause) ||
                        messages[0].Text.starts_with(" Das Protokoll konnte nicht geschrieben werden: ") ||
                        messages[0].Text.starts_with(" Die Sperrdatei "))
                << messages[0].Text;
        }
        EXPECT_EQ(Changes(before, Snapshot(installation.System())), std::vector<std::string>{});
        EXPECT_EQ(installation.StoredStays(), kFirstStays);
        EXPECT_EQ(test::ScratchDatabasesIn(installation.System()), std::vector<std::string>{});

        ASSERT_TRUE(installation.Import({kSecondDelivery}));
        EXPECT_EQ(installation.Run.FileResult, kTwoOfTwo);
        EXPECT_EQ(installation.StoredStays(), kBothStays);
    }
}
#endif

// A settings file that is no text: the batch tool says what is wrong and imports nothing.
TEST(BadInputTest, SettingsFileWithBinaryContent)
{
    struct Case {
        const char* Name;
        std::string Content;
    };
    const Case cases[] = {
        {"binary data", Bytes(20000, 3)},
        {"NUL bytes", std::string(1000, '\0')},
        {"only CR", std::string(1000, '\r')},
        {"binary values", "[Path]\r\nSystemDataPath=\xff\xfe\x01\r\nImportDataPath=\x80\r\nExportDataPath=\0\r\n"s},
        {"a line of 1 MB", "[Path]\r\nSystemDataPath=" + std::string(1 << 20, 'x') + "\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Installation installation;
        ASSERT_TRUE(installation.Import({kFirstDelivery}));
        const auto before = Snapshot(installation.Root());
        const auto settings = installation.Root() / "binary.ini";
        test::WriteText(settings, c.Content);

        const auto shown = test::RunCliInProcess({"--ini", settings.string(), "settings"}, installation.Root(), 2024);
        EXPECT_EQ(shown.Status, 0) << shown.Err;
        const auto imported = test::RunCliInProcess(
            {"--ini", settings.string(), "import", "--yes", kSecondDelivery.string()}, installation.Root(), 2024);
        EXPECT_EQ(imported.Status, 2);
        // None of these yields a full path; a relative one would be taken in the current directory.
        EXPECT_NE(imported.Err.find("Der Pfad SystemDataPath="), std::string::npos) << imported.Err;
        EXPECT_EQ(imported.Out, "");
        auto after = Snapshot(installation.Root());
        after.erase("binary.ini");
        EXPECT_EQ(Changes(before, after), std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace kalmora
