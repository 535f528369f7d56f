#pragma once

#include "foundation/UserInterface.h"

#include <cstdint>
#include <string_view>

namespace kalmora {

inline constexpr std::string_view kNoticeTitle = " Programmhinweis ";
inline constexpr std::string_view kErrorTitle = " Dorvan - Error ";

// The numbered questions and notices keep the numbers they have always had, each kind counted on its
// own: Question::OverwriteProtocol and Notice::TooManyFiles are both 7.
enum class Question : std::int16_t {
    RemoveReports = 2,          // deletes the selected departments' data
    SaveChanges = 3,            // the options
    OverwriteProtocol = 7,      // an import protocol that is not empty
    InitialiseDepartments = 8,  // deletes the departments' data before an import
};

// The numbered notices, each shown with an OK button.
enum class Notice : std::int16_t {
    InvalidFileName = 1,
    NoFileSelected = 6,
    TooManyFiles = 7,
    UnreadableDirectory = 11,
    NothingSelected = 17,
    NoDataImported = 18,
    OnlyOneReport = 21,
    NoSearchTerm = 26,
    PatientNotFound = 27,
    PatientFound = 28,
    InvalidBirthDate = 33,
    NoDischargedPatients = 37,
};

std::string_view QuestionText(Question question);
std::string_view NoticeText(Notice notice);

// Asks `question` with Yes and No; "Nein" is the default of the questions whose "Ja" deletes stored
// data. Returns MessageAnswer::Yes or MessageAnswer::No.
MessageAnswer AskConfirmation(UserInterface& ui, Question question);

void ShowNotice(UserInterface& ui, Notice notice);

// Asks a program started without a settings file whether to set up an installation whose settings
// file would be `settingsFile`. Returns MessageAnswer::Yes or MessageAnswer::No.
MessageAnswer AskFirstInstallation(UserInterface& ui, std::string_view settingsFile);

// Shows a text composed by the caller as an error.
void ShowGeneralError(UserInterface& ui, std::string_view text);

}  // namespace kalmora
