#include "foundation/Messages.h"

#include <string>

namespace kalmora {

namespace {

// Whether "Ja" deletes a department's stored data.
bool Deletes(Question question)
{
    switch (question) {
    case Question::RemoveReports:
    case Question::InitialiseDepartments:
        return true;
    case Question::SaveChanges:
    case Question::OverwriteProtocol:
        return false;
    }
    return true;  // only a value cast from outside the enumerators: the safer default
}

}  // namespace

// Switches without a default, so that the compiler names an enumerator that has no text.
std::string_view QuestionText(Question question)
{
    switch (question) {
    case Question::RemoveReports:
        return " Ausgewählte Intensivberichte entfernen ?";
    case Question::SaveChanges:
        return " Änderungen speichern ?";
    case Question::OverwriteProtocol:
        return " Bestehende Protokolldatei überschreiben ?";
    case Question::InitialiseDepartments:
        return " Alle zu den ausgewählten Abteilungen im Kalmora vorhandenen Daten vor dem Import löschen? ?";
    }
    return {};
}

std::string_view NoticeText(Notice notice)
{
    switch (notice) {
    case Notice::InvalidFileName:
        return " Ungültiger Dateiname!";
    case Notice::NoFileSelected:
        return " Wählen Sie mindestens eine Datei aus!";
    case Notice::TooManyFiles:
        return " Wählen Sie höchstens 1000 Dateien aus!";
    case Notice::UnreadableDirectory:
        return " Das Laufwerk oder Verzeichnis kann nicht gelesen werden!";
    case Notice::NothingSelected:
        return " Wählen Sie mindestens ein Element aus!";
    case Notice::NoDataImported:
        return " Es wurden noch keine Daten importiert!";
    case Notice::OnlyOneReport:
        return " Nur einen Intensivbericht auswählen!";
    case Notice::NoSearchTerm:
        return " Geben Sie mindestens einen Suchbegriff ein!";
    case Notice::PatientNotFound:
        return " Keinen entsprechenden Patienten gefunden!";
    case Notice::PatientFound:
        return " Entsprechenden Patienten gefunden, Suchergebnis markiert!";
    case Notice::InvalidBirthDate:
        return " Ungültiges Geburtsdatum!";
    case Notice::NoDischargedPatients:
        return " Intensivberichte enthalten keine entlassenen TISS-Patienten!";
    }
    return {};
}

MessageAnswer AskConfirmation(UserInterface& ui, Question question)
{
    const auto answer = ui.ShowMessage(QuestionText(question), kNoticeTitle, MessageIcon::Exclamation,
                                       Deletes(question) ? MessageButtons::YesNoDefaultNo : MessageButtons::YesNo);
    // A box closed some other way is a refusal.
    return answer == MessageAnswer::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

MessageAnswer AskFirstInstallation(UserInterface& ui, std::string_view settingsFile)
{
    const std::string text = " Es wurde keine Einstellungsdatei gefunden.\n\n"
                             " Soll Kalmora jetzt eingerichtet werden? Die Datenordner werden in einem Ordner "
                             "Ihrer Wahl angelegt, die Einstellungsdatei als\n " +
                             std::string(settingsFile) + "\n\n Mit \"Nein\" startet Kalmora ohne Einstellungen.";
    const auto answer = ui.ShowMessage(text, kNoticeTitle, MessageIcon::Question, MessageButtons::YesNo);
    return answer == MessageAnswer::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void ShowNotice(UserInterface& ui, Notice notice)
{
    ui.ShowMessage(NoticeText(notice), kNoticeTitle, MessageIcon::Exclamation, MessageButtons::Ok);
}

void ShowGeneralError(UserInterface& ui, std::string_view text)
{
    ui.ShowMessage(text, kErrorTitle, MessageIcon::Critical, MessageButtons::Ok);
}

}  // namespace kalmora
