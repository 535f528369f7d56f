#include "foundation/Messages.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kalmora {

namespace {

using MessageEntry = std::pair<std::int16_t, std::string_view>;

constexpr std::array kQuestions{
    MessageEntry{2, " Ausgewählte Intensivberichte entfernen ?"},
    MessageEntry{3, " Änderungen speichern ?"},
    MessageEntry{7, " Bestehende Protokolldatei überschreiben ?"},
    MessageEntry{8, " Alle zu den ausgewählten Abteilungen im Kalmora vorhandenen Daten vor dem Import löschen? ?"},
};

// Questions whose "Ja" deletes a department's stored data.
constexpr std::array<std::int16_t, 2> kDeletingQuestions{2, 8};

constexpr std::array kNotices{
    MessageEntry{1, " Ungültiger Dateiname!"},
    MessageEntry{6, " Wählen Sie mindestens eine Datei aus!"},
    MessageEntry{7, " Wählen Sie höchstens 1000 Dateien aus!"},
    MessageEntry{11, " Das Laufwerk oder Verzeichnis kann nicht gelesen werden!"},
    MessageEntry{17, " Wählen Sie mindestens ein Element aus!"},
    MessageEntry{18, " Es wurden noch keine Daten importiert!"},
    MessageEntry{21, " Nur einen Intensivbericht auswählen!"},
    MessageEntry{26, " Geben Sie mindestens einen Suchbegriff ein!"},
    MessageEntry{27, " Keinen entsprechenden Patienten gefunden!"},
    MessageEntry{28, " Entsprechenden Patienten gefunden, Suchergebnis markiert!"},
    MessageEntry{33, " Ungültiges Geburtsdatum!"},
    MessageEntry{37, " Intensivberichte enthalten keine entlassenen TISS-Patienten!"},
};

template <std::size_t N>
std::optional<std::string_view> Lookup(const std::array<MessageEntry, N>& table, std::int16_t number)
{
    for (const auto& [entryNumber, text] : table) {
        if (entryNumber == number) return text;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string_view> QuestionText(std::int16_t number)
{
    return Lookup(kQuestions, number);
}

std::optional<std::string_view> NoticeText(std::int16_t number)
{
    return Lookup(kNotices, number);
}

std::int16_t AskConfirmation(UserInterface& ui, std::int16_t number)
{
    const auto text = QuestionText(number);
    if (!text) return 0;
    const bool deletes =
        std::find(kDeletingQuestions.begin(), kDeletingQuestions.end(), number) != kDeletingQuestions.end();
    const auto answer = ui.ShowMessage(*text, kNoticeTitle, MessageIcon::Exclamation,
                                       deletes ? MessageButtons::YesNoDefaultNo : MessageButtons::YesNo);
    return answer == MessageAnswer::Yes ? kAnswerYes : kAnswerNo;
}

void ShowNotice(UserInterface& ui, std::int16_t number)
{
    if (const auto text = NoticeText(number)) {
        ui.ShowMessage(*text, kNoticeTitle, MessageIcon::Exclamation, MessageButtons::Ok);
    }
}

void ShowGeneralError(UserInterface& ui, std::string_view text)
{
    ui.ShowMessage(text, kErrorTitle, MessageIcon::Critical, MessageButtons::Ok);
}

}  // namespace kalmora
