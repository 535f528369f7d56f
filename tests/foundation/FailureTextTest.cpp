// What the user reads of a failure: German, with the file it concerns, and a held lock as a notice.
#include "foundation/FailureText.h"

#include "foundation/Messages.h"
#include "foundation/ScriptedUserInterface.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <new>

namespace kalmora {
namespace {

TEST(FailureTextTest, ReasonsAreGerman)
{
    namespace fs = std::filesystem;
    const auto code = [](std::errc value) { return std::make_error_code(value); };
    struct Case {
        const char* Name;
        std::exception_ptr Failure;
        std::string Expected;
    };
    const Case cases[] = {
        {"disk full",
         std::make_exception_ptr(fs::filesystem_error("write", "/daten/x.mdb", code(std::errc::no_space_on_device))),
         "Datei /daten/x.mdb: kein Speicherplatz mehr auf dem Datenträger"},
        {"rename refused",
         std::make_exception_ptr(fs::filesystem_error("rename", "/a/.tmp", "/a/b", code(std::errc::permission_denied))),
         "Datei /a/.tmp (/a/b): Zugriff verweigert"},
        {"system error", std::make_exception_ptr(std::system_error(code(std::errc::read_only_file_system))),
         "der Datenträger ist schreibgeschützt"},
        {"unknown cause", std::make_exception_ptr(std::system_error(std::error_code(4242, std::generic_category()))),
         "Systemfehler 4242"},
        {"own text", std::make_exception_ptr(std::runtime_error("Die Importdatei x kann nicht gelesen werden.")),
         "Die Importdatei x kann nicht gelesen werden."},
        {"memory", std::make_exception_ptr(std::bad_alloc()), "nicht genug Arbeitsspeicher"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            std::rethrow_exception(c.Failure);
        } catch (const std::exception& failure) {
            EXPECT_EQ(GermanReason(failure), c.Expected);
        }
    }
}

TEST(FailureTextTest, AHeldLockIsANoticeAnythingElseTheErrorBox)
{
    ScriptedUserInterface ui;
    ShowFailure(ui, NoticeError("Ein anderer Import arbeitet gerade mit den Daten."), " Export nicht möglich: ");
    ShowFailure(ui,
                std::filesystem::filesystem_error("write", "/e/gesamt.mdb", std::make_error_code(std::errc::io_error)),
                " Export nicht möglich: ");
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].Title, kNoticeTitle);
    EXPECT_EQ(ui.Messages()[0].Text, " Ein anderer Import arbeitet gerade mit den Daten.");
    EXPECT_EQ(ui.Messages()[1].Title, kErrorTitle);
    EXPECT_EQ(ui.Messages()[1].Text,
              " Export nicht möglich: Datei /e/gesamt.mdb: Ein-/Ausgabefehler beim Zugriff auf den Datenträger");
}

}  // namespace
}  // namespace kalmora
