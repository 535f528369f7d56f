#include "import/ImportResults.h"

#include "foundation/FixedText.h"

#include <algorithm>

namespace kalmora {

namespace {

constexpr std::size_t kFileNameWidth = 12;
constexpr std::size_t kNumberWidth = 6;
constexpr std::string_view kSeeProtocol = "Detailinformation siehe Protokolldatei";

struct Column {
    std::size_t First;  // 1-based character
    std::size_t Width;
};
constexpr std::array<Column, 6> kColumns{{{1, 12}, {13, 27}, {40, 49}, {89, 6}, {95, 6}, {101, 50}}};

// The number as the result row shows it: a blank or "-" before the digits, in a field of six. A
// count of six digits drops its blank rather than its last digit, so 100000 never shows as 10000.
std::string NumberField(int number)
{
    const std::string digits = std::to_string(number < 0 ? -static_cast<long long>(number) : number);
    const std::string sign = number < 0 ? "-" : (digits.size() >= kNumberWidth ? "" : " ");
    return FitToWidth(sign + digits, kNumberWidth);
}

int ShownFiles(const ImportResultRows& rows, int fileCount)
{
    return std::clamp(fileCount, 0, static_cast<int>(rows.Entries.size()));
}

}  // namespace

std::string BeginResultRow(std::string_view fileName)
{
    return FitToWidth(fileName, kFileNameWidth);
}

std::string FormatFileResult(int patients, int imported, bool hasMessages)
{
    std::string result = NumberField(patients) + NumberField(imported);
    if (hasMessages) result += kSeeProtocol;
    return result;
}

std::string FileResultWithoutNumbers(std::string_view comment)
{
    return std::string(2 * kNumberWidth, ' ') + std::string(comment);
}

std::vector<std::array<std::string, 6>> ResultGridRows(const ImportResultRows& rows, int fileCount)
{
    std::vector<std::array<std::string, 6>> grid(static_cast<std::size_t>(ShownFiles(rows, fileCount)));
    for (std::size_t i = 0; i < grid.size(); ++i) {
        for (std::size_t column = 0; column < kColumns.size(); ++column) {
            grid[i][column] = MidCharacters(rows.Entries[i], kColumns[column].First, kColumns[column].Width);
        }
    }
    return grid;
}

std::string ResultClipboardText(const ImportResultRows& rows, int fileCount)
{
    std::string text;
    for (std::size_t column = 0; column < kResultTitles.size(); ++column) {
        if (column > 0) text += '\t';
        text += TrimBlanks(kResultTitles[column]);
    }
    text += '\r';

    const auto grid = ResultGridRows(rows, fileCount);
    for (std::size_t i = 0; i < grid.size(); ++i) {
        if (i > 0) text += '\r';
        for (std::size_t column = 0; column < grid[i].size(); ++column) {
            if (column > 0) text += '\t';
            text += grid[i][column];
        }
    }
    return text;
}

}  // namespace kalmora
