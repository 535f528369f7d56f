#include "foundation/Messages.h"

#include "foundation/ScriptedUserInterface.h"

#include <gtest/gtest.h>

namespace kalmora {
namespace {

TEST(MessagesTest, QuestionsShowTheirTextAndReturnYesOnlyForYes)
{
    struct Case {
        Question Asked;
        MessageAnswer Answer;
        std::string_view Text;
        MessageAnswer Expected;
        MessageButtons Buttons;  // questions that delete stored data default to "Nein"
    };
    const Case cases[] = {
        {Question::RemoveReports, MessageAnswer::Yes, " Ausgewählte Intensivberichte entfernen ?", MessageAnswer::Yes,
         MessageButtons::YesNoDefaultNo},
        {Question::SaveChanges, MessageAnswer::No, " Änderungen speichern ?", MessageAnswer::No, MessageButtons::YesNo},
        {Question::OverwriteProtocol, MessageAnswer::Yes, " Bestehende Protokolldatei überschreiben ?",
         MessageAnswer::Yes, MessageButtons::YesNo},
        {Question::InitialiseDepartments, MessageAnswer::No,
         " Alle zu den ausgewählten Abteilungen im Kalmora vorhandenen Daten vor dem Import löschen? ?",
         MessageAnswer::No, MessageButtons::YesNoDefaultNo},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        ScriptedUserInterface ui;
        ui.ScriptAnswer(c.Answer);
        EXPECT_EQ(AskConfirmation(ui, c.Asked), c.Expected);
        ASSERT_EQ(ui.Messages().size(), 1u);
        const auto& box = ui.Messages().front();
        EXPECT_EQ(box.Text, c.Text);
        EXPECT_EQ(box.Title, " Programmhinweis ");
        EXPECT_EQ(box.Icon, MessageIcon::Exclamation);
        EXPECT_EQ(box.Buttons, c.Buttons);
    }
}

TEST(MessagesTest, NoticesAreOkBoxesWithTheirText)
{
    const std::pair<Notice, std::string_view> cases[] = {
        {Notice::InvalidFileName, " Ungültiger Dateiname!"},
        {Notice::NothingSelected, " Wählen Sie mindestens ein Element aus!"},
        {Notice::NoDataImported, " Es wurden noch keine Daten importiert!"},
        {Notice::OnlyOneReport, " Nur einen Intensivbericht auswählen!"},
        {Notice::NoSearchTerm, " Geben Sie mindestens einen Suchbegriff ein!"},
        {Notice::PatientNotFound, " Keinen entsprechenden Patienten gefunden!"},
        {Notice::PatientFound, " Entsprechenden Patienten gefunden, Suchergebnis markiert!"},
        {Notice::NoDischargedPatients, " Intensivberichte enthalten keine entlassenen TISS-Patienten!"},
    };
    for (const auto& [notice, text] : cases) {
        SCOPED_TRACE(text);
        ScriptedUserInterface ui;
        ShowNotice(ui, notice);
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Messages().front().Text, text);
        EXPECT_EQ(ui.Messages().front().Title, " Programmhinweis ");
        EXPECT_EQ(ui.Messages().front().Buttons, MessageButtons::Ok);
    }
    // The notices the program had left without text now tell the user something, in its style.
    for (Notice notice :
         {Notice::NoFileSelected, Notice::TooManyFiles, Notice::UnreadableDirectory, Notice::InvalidBirthDate}) {
        const auto text = NoticeText(notice);
        EXPECT_TRUE(text.starts_with(' ') && text.ends_with('!')) << text;
    }
}

TEST(MessagesTest, GeneralErrorIsACriticalBoxWithTheCallersText)
{
    ScriptedUserInterface ui;
    ShowGeneralError(ui, "Die Eingabe ist ungültig!");
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages().front().Text, "Die Eingabe ist ungültig!");
    EXPECT_EQ(ui.Messages().front().Title, " Dorvan - Error ");
    EXPECT_EQ(ui.Messages().front().Icon, MessageIcon::Critical);
    EXPECT_EQ(ui.Messages().front().Buttons, MessageButtons::Ok);
}

}  // namespace
}  // namespace kalmora
