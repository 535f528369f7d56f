#pragma once

#include <optional>
#include <string>
#include <string_view>

// Numbers as the windows show and accept them: German form (decimal ",", grouping ".") whatever
// the machine's locale is.
namespace kalmora {

// Formats a value with one of the display patterns "0.0", "0.00", "0.##", "#,##0", "#,##0.0",
// "#,##0.00", "###0.0", "###0.00", "####", "#,###". "," in the integer part asks for grouping,
// "0" and "#" after "." for fixed and optional decimals; an integer part of "#" only shows nothing
// for a value that rounds to zero. A half rounds away from zero on the decimal value (2.675 with
// two decimals gives "2,68"). A value that rounds to zero has no sign. Infinite and NaN values
// give an empty text. Throws std::invalid_argument for a pattern with other characters.
std::string FormatNumber(double value, std::string_view pattern);

// Reads a number typed in German form: optional sign, digits with optional "." grouping in
// threes, optional "," with decimals; blanks around it are allowed. A "." that is not valid
// grouping ("1234.5", "1.5") makes the text no number, since it cannot be told from grouping.
std::optional<double> ParseGermanNumber(std::string_view text);

// What leaving a numeric text box does to it. `NewText` replaces the field's text when set;
// `ErrorText` is shown as a general error, and the focus goes back to the field, when set.
struct NumberInputDecision {
    std::optional<std::string> NewText;
    std::optional<std::string> ErrorText;
};

// Checks and reformats the text of a numeric field with 0, 1 or 2 `decimals` and at most
// `maxDigits` characters (separator and decimals included) in its plain form. A valid number
// comes back in its display form ("#,###", "#,##0.0" or "#,##0.00"); reading that form again
// yields the same value, so leaving the field twice changes nothing.
NumberInputDecision ValidateNumberInput(std::string_view text, int decimals, int maxDigits, bool rejectNegative);

}  // namespace kalmora
