#include "foundation/Messages.h"

#include "foundation/ScriptedUserInterface.h"

#include <gtest/gtest.h>

namespace kalmora {
namespace {

TEST(MessagesTest, QuestionsShowTheirTextAndReturnSixOnlyForYes)
{
    struct Case {
        std::int16_t Number;
        MessageAnswer Answer;
        std::string_view Text;
        std::int16_t Expected;
        MessageButtons Buttons;  // questions that delete stored data default to "Nein"
    };
    const Case cases[] = {
        {2, MessageAnswer::Yes, " Ausgewählte Intensivberichte entfernen ?", 6, MessageButtons::YesNoDefaultNo},
        {3, MessageAnswer::No, " Änderungen speichern ?", 7, MessageButtons::YesNo},
        {7, MessageAnswer::Yes, " Bestehende Protokolldatei überschreiben ?", 6, MessageButtons::YesNo},
        {8, MessageAnswer::No,
         " Alle zu den ausgewählten Abteilungen im Kalmora vorhandenen Daten vor dem Import löschen? ?", 7,
         MessageButtons::YesNoDefaultNo},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Number);
        ScriptedUserInterface ui;
        ui.ScriptAnswer(c.Answer);
        EXPECT_EQ(AskConfirmation(ui, c.Number), c.Expected);
        ASSERT_EQ(ui.Messages().size(), 1u);
        const auto& box = ui.Messages().front();
        EXPECT_EQ(box.Text, c.Text);
        EXPECT_EQ(box.Title, " Programmhinweis ");
        EXPECT_EQ(box.Icon, MessageIcon::Exclamation);
        EXPECT_EQ(box.Buttons, c.Buttons);
    }
}

TEST(MessagesTest, NumbersWithoutTextShowNothing)
{
    ScriptedUserInterface ui;
    for (std::int16_t number : {0, 1, 4, 6, 18, -1}) {
        EXPECT_EQ(AskConfirmation(ui, number), 0) << number;
    }
    for (std::int16_t number : {0, 2, 3, 8, 99})
        ShowNotice(ui, number);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST(MessagesTest, NoticesAreOkBoxesWithTheirText)
{
    const std::pair<std::int16_t, std::string_view> cases[] = {
        {1, " Ungültiger Dateiname!"},
        {17, " Wählen Sie mindestens ein Element aus!"},
        {18, " Es wurden noch keine Daten importiert!"},
        {21, " Nur einen Intensivbericht auswählen!"},
        {26, " Geben Sie mindestens einen Suchbegriff ein!"},
        {27, " Keinen entsprechenden Patienten gefunden!"},
        {28, " Entsprechenden Patienten gefunden, Suchergebnis markiert!"},
        {37, " Intensivberichte enthalten keine entlassenen TISS-Patienten!"},
    };
    for (const auto& [number, text] : cases) {
        ScriptedUserInterface ui;
        ShowNotice(ui, number);
        ASSERT_EQ(ui.Messages().size(), 1u) << number;
        EXPECT_EQ(ui.Messages().front().Text, text);
        EXPECT_EQ(ui.Messages().front().Title, " Programmhinweis ");
        EXPECT_EQ(ui.Messages().front().Buttons, MessageButtons::Ok);
    }
    // The notices the program had left without text now tell the user something, in its style.
    for (std::int16_t number : {6, 7, 11, 33}) {
        const auto text = NoticeText(number);
        ASSERT_TRUE(text) << number;
        EXPECT_TRUE(text->starts_with(' ') && text->ends_with('!')) << *text;
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
