#pragma once

#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace kalmora {

class UserInterface;

// A failure that is a notice rather than an error: the work cannot be done now (another run holds
// the data) and can be tried again later.
class NoticeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A system error in German, for the causes a user or the hospital IT can act on; any other by its
// number.
std::string GermanErrorText(const std::error_code& code);

// A folder whose entries could not be made durable after a file was put in place there: the file is
// in place, and this is told beside the success.
std::string FolderNotSyncedText(const std::error_code& code);

// The reason of a failure as the user reads it, in German: the program's own texts as they stand, a
// file system error as its file and a German cause.
std::string GermanReason(const std::exception& failure);

// Shows a failure as the user sees it: a NoticeError as a notice with its own text, anything else as
// the error box, `lead` followed by the German reason.
void ShowFailure(UserInterface& ui, const std::exception& failure, std::string_view lead);

}  // namespace kalmora
