// F1 finds the handbook installed beside the program or in the build folder and asks the screen to
// show it at the window's section; without a handbook or a viewer the user learns why.
#include "shell/Handbook.h"

#include "foundation/Messages.h"
#include "foundation/ScriptedUserInterface.h"
#include "support/Files.h"
#include "support/Posix.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kalmora {
namespace {

namespace fs = std::filesystem;

struct Layout {
    test::TempDir Dir;
    fs::path Program = Dir / "bin";
    fs::path Installed = Dir / "share" / "doc" / "kalmora" / "handbuch.html";
    fs::path Built = Dir / "docs" / "handbuch.html";

    Layout() { fs::create_directories(Program); }
    static void Put(const fs::path& file)
    {
        fs::create_directories(file.parent_path());
        test::WriteText(file, "<html></html>");
    }
};

TEST(HandbookLocation, PrefersTheInstalledHandbookToTheBuiltOne)
{
    Layout layout;
    EXPECT_EQ(FindHandbook(layout.Program), std::nullopt);
    Layout::Put(layout.Built);
    EXPECT_EQ(FindHandbook(layout.Program), layout.Built);
    Layout::Put(layout.Installed);
    EXPECT_EQ(FindHandbook(layout.Program), layout.Installed);
}

TEST(HandbookLocation, AFolderOfThatNameIsNoHandbook)
{
    Layout layout;
    fs::create_directories(layout.Installed);
    EXPECT_EQ(FindHandbook(layout.Program), std::nullopt);
    EXPECT_EQ(FindHandbook(fs::path()), std::nullopt);
}

TEST(HandbookLocation, TheAddressEscapesWhatAnAddressReserves)
{
    // On every system: an absolute address with forward slashes, whatever the system's separator.
    const std::string here = HandbookAddress("handbuch.html", "");
    EXPECT_TRUE(here.starts_with("file:///")) << here;
    EXPECT_TRUE(here.ends_with("/handbuch.html")) << here;
    EXPECT_EQ(here.find('\\'), std::string::npos) << here;
    EXPECT_EQ(here.find("%5C"), std::string::npos) << here;

    KALMORA_POSIX_ONLY("the cases are paths of a POSIX file system");
    struct Case {
        fs::path File;
        std::string Section;
        std::string Address;
    };
    const Case cases[] = {
        {"/usr/share/doc/kalmora/handbuch.html", "import-dialog",
         "file:///usr/share/doc/kalmora/handbuch.html#import-dialog"},
        {"/opt/Mein Ordner/handbuch.html", "", "file:///opt/Mein%20Ordner/handbuch.html"},
        {"/home/jörg/#1?/h.html", "export", "file:///home/j%C3%B6rg/%231%3F/h.html#export"},
        {"/a/./b/../handbuch.html", "x", "file:///a/handbuch.html#x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HandbookAddress(c.File, c.Section), c.Address) << c.File;
}

TEST(HandbookLocation, OpensTheSectionOrSaysWhyNot)
{
    Layout layout;
    {
        ScriptedUserInterface ui;
        OpenHandbook(ui, layout.Program, "export");
        EXPECT_TRUE(ui.Addresses().empty());
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Messages()[0].Title, kNoticeTitle);
        EXPECT_NE(ui.Messages()[0].Text.find(std::string(kHandbookMissingText)), std::string::npos);
        EXPECT_NE(ui.Messages()[0].Text.find(layout.Built.string()), std::string::npos);
    }
    Layout::Put(layout.Built);
    {
        ScriptedUserInterface ui;
        OpenHandbook(ui, layout.Program, "export");
        EXPECT_TRUE(ui.Messages().empty());
        EXPECT_EQ(ui.Addresses(), std::vector<std::string>{HandbookAddress(layout.Built, "export")});
    }
    {
        ScriptedUserInterface ui;
        ui.SetViewerPresent(false);
        OpenHandbook(ui, layout.Program, "export");
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_NE(ui.Messages()[0].Text.find(std::string(kHandbookNotShownText)), std::string::npos);
        EXPECT_NE(ui.Messages()[0].Text.find(layout.Built.string()), std::string::npos);
    }
}

}  // namespace
}  // namespace kalmora
