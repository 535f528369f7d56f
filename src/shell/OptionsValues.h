#pragma once

#include "foundation/Settings.h"
#include "foundation/UserInterface.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the options dialog decides, apart from its widgets: which values it shows for the settings,
// how its date boxes are checked, how a confirmed dialog writes the settings back, and where its
// directory lists may go.
namespace kalmora {

inline constexpr int kMindestStdEntries = 25;  // "0" to "24"
inline constexpr std::string_view kInvalidDateText = "Ungültiges Datum (JJJJMMTT) oder (TT.MM.JJJJ)!";

// The contents of the dialog's controls.
struct OptionsValues {
    // Texts of the two directory labels: a directory as held, the root shown as "/".
    std::string ImportDirectory;
    std::string ExportDirectory;
    bool StrictPlausibility = false;  // "Strenge Prüfung (Error)" chosen
    int MindestStdIndex = 0;          // selected entry of the minimum hours, its text is the number
    // Texts of the two date boxes, TT.MM.JJJJ or empty.
    std::string Erhebungvon;
    std::string Erhebungbis;
    bool MehrfachTISS = false;
    bool ErsatzTISS = false;
};

// The values the dialog opens with.
OptionsValues LoadOptions(const Settings& settings);

// Takes a confirmed dialog's values into the settings and writes every key but "SystemDataPath"
// to the settings file. A failing write is reported by WriteIniValue and the others still happen.
void SaveOptions(const OptionsValues& values, Settings& settings, SettingsFile& file, UserInterface& ui);

// The text a date box shows after the user left it: unchanged when blank, the normalised date
// TT.MM.JJJJ when it is a date, nothing when it is not (the box then reports kInvalidDateText).
std::optional<std::string> ValidateDateBox(std::string_view text);

// Where the directory lists open for a label's text: that directory when it is an existing one
// given by a full path, else the home directory when it exists, else the root.
std::filesystem::path DirectoryToBrowse(std::string_view labelText, const std::filesystem::path& home);

// Whether the directory's entries can be listed.
bool DirectoryReadable(const std::filesystem::path& directory);

// The roots offered as drives: the system's root ("/", or the Windows drive "C:/") first, then the
// others in name order, each once.
std::vector<std::string> OrderVolumeRoots(std::vector<std::string> roots, std::string_view systemRoot);

// The root among `roots` on which the directory lies: the longest one that contains it, drive letters
// in either case and either separator alike; empty when none does (a network share's "\\server\share").
std::string VolumeOf(std::string_view directory, const std::vector<std::string>& roots);

}  // namespace kalmora
