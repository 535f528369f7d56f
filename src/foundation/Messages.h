#pragma once

#include "foundation/UserInterface.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace kalmora {

inline constexpr std::string_view kNoticeTitle = " Programmhinweis ";
inline constexpr std::string_view kErrorTitle = " Dorvan - Error ";

inline constexpr std::int16_t kAnswerYes = 6;
inline constexpr std::int16_t kAnswerNo = 7;

// Texts of the numbered questions and notices; nothing for a number without text.
std::optional<std::string_view> QuestionText(std::int16_t number);
std::optional<std::string_view> NoticeText(std::int16_t number);

// Asks numbered question `number` (Yes/No). Returns 6 for Yes, 7 for No, and 0 without a box for
// a number that has no text. Callers treat everything but 6 as a refusal.
std::int16_t AskConfirmation(UserInterface& ui, std::int16_t number);

// Shows numbered notice `number`; a number without text shows nothing.
void ShowNotice(UserInterface& ui, std::int16_t number);

// Shows a text composed by the caller as an error.
void ShowGeneralError(UserInterface& ui, std::string_view text);

}  // namespace kalmora
