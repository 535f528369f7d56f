#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

inline constexpr std::size_t kMaxImportFiles = 1000;

// One fixed-column text per imported file of the last run: file name (12), hospital (27),
// department (49), patients (6), imported (6), comment. Entry CurrentFileIndex - 1 belongs to the
// file being imported; entries keep their text until the next run overwrites them.
struct ImportResultRows {
    std::vector<std::string> Entries = std::vector<std::string>(kMaxImportFiles);
};

inline constexpr std::array<std::string_view, 6> kResultTitles{"Datei", "KA", "Abteilung", "#Patienten",
                                                                "davon importiert", "Kommentar "};

// The start of a file's result row: the file name cut or padded to 12 characters.
std::string BeginResultRow(std::string_view fileName);

// FileResult of a stored file: patients and imported, each as " N" in a 6-character field, then
// "Detailinformation siehe Protokolldatei" when the protocol has lines about the file.
std::string FormatFileResult(int patients, int imported, bool hasMessages);

// FileResult of a file that was not stored: twelve blanks, then the comment.
std::string FileResultWithoutNumbers(std::string_view comment);

// The six cells of the first `fileCount` result rows, cut at characters 1-12, 13-39, 40-88, 89-94,
// 95-100 and 101-150.
std::vector<std::array<std::string, 6>> ResultGridRows(const ImportResultRows& rows, int fileCount);

// What "Kopieren" puts on the clipboard: the titles (without the trailing blank of the last) joined
// by TAB, CR, then the rows' cells joined by TAB and the rows by CR.
std::string ResultClipboardText(const ImportResultRows& rows, int fileCount);

}  // namespace kalmora
