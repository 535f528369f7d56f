#include "shell/OptionsValues.h"

#include "foundation/Conversions.h"
#include "foundation/FixedText.h"
#include "foundation/Rounding.h"
#include "foundation/Utf8Path.h"
#include "foundation/Val.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace kalmora {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kRoot = "/";

// A path as it is compared with a drive: forward slashes, the drive letter in upper case, no trailing
// separator (a lone "/" stays).
std::string ComparableLocation(std::string_view path)
{
    std::string text(path);
    std::replace(text.begin(), text.end(), '\\', '/');
    if (text.size() >= 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0])) != 0) {
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    }
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

bool IsCompactDateText(std::string_view value)
{
    return value.size() == 8 && std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A stored value that is no date at all, such as "unknown" of a missing key, would come out as
// letters and dots in the box and be refused as soon as the user leaves it untouched.
std::string DateBoxText(std::string_view compactDate)
{
    return IsCompactDateText(compactDate) ? FormatCompactDate(compactDate, 8) : std::string();
}

// The stored minimum hours has no entry outside "0" to "24"; the dialog then starts at "0".
int MindestStdIndexOf(std::string_view mindestStd)
{
    const double index = RoundHalfToEven(Val(mindestStd));
    return index >= 0 && index < kMindestStdEntries ? static_cast<int>(index) : 0;
}

void SaveDirectory(std::string_view labelText, std::string& heldDirectory, SettingsFile& file, UserInterface& ui,
                   std::string_view key)
{
    heldDirectory = WithoutTrailingSeparator(labelText);
    // The file keeps the separator of a root, so that it reads back as a directory.
    WriteIniValue(file, ui, kPathSection, key, TrimBlanks(labelText));
}

}  // namespace

OptionsValues LoadOptions(const Settings& settings)
{
    OptionsValues values;
    // Shown as held: the root is held as "/", and an empty value, one that could not be read, names
    // no folder at all.
    values.ImportDirectory = settings.ImportDataPath;
    values.ExportDirectory = settings.ExportDataPath;
    values.StrictPlausibility = StrictChecks(settings);
    values.MindestStdIndex = MindestStdIndexOf(settings.MindestStd);
    values.Erhebungvon = DateBoxText(settings.Erhebungvon);
    values.Erhebungbis = DateBoxText(settings.Erhebungbis);
    values.MehrfachTISS = IsSet(settings.MehrfachTISS);
    values.ErsatzTISS = IsSet(settings.ErsatzTISS);
    return values;
}

void SaveOptions(const OptionsValues& values, Settings& settings, SettingsFile& file, UserInterface& ui)
{
    SaveDirectory(values.ImportDirectory, settings.ImportDataPath, file, ui, "ImportDataPath");
    SaveDirectory(values.ExportDirectory, settings.ExportDataPath, file, ui, "ExportDataPath");

    // Written at its full width: "Error" goes to the file with two blanks.
    settings.PlausLevel = values.StrictPlausibility ? "Error" : "Warning";
    WriteIniValue(file, ui, kPlausibilitySection, "PlausLevel", settings.PlausLevel.str());

    // An empty date box stores, and writes, eight blanks.
    settings.Erhebungvon = ParseDisplayDate(values.Erhebungvon, 8);
    WriteIniValue(file, ui, kClassificationSection, "Erhebungvon", settings.Erhebungvon.str());
    settings.Erhebungbis = ParseDisplayDate(values.Erhebungbis, 8);
    WriteIniValue(file, ui, kClassificationSection, "Erhebungbis", settings.Erhebungbis.str());

    const std::string mindestStd = std::to_string(std::clamp(values.MindestStdIndex, 0, kMindestStdEntries - 1));
    settings.MindestStd = mindestStd;
    WriteIniValue(file, ui, kClassificationSection, "MindestStd", mindestStd);

    settings.MehrfachTISS = values.MehrfachTISS ? "J" : "N";
    WriteIniValue(file, ui, kClassificationSection, "MehrfachTISS", settings.MehrfachTISS.str());
    settings.ErsatzTISS = values.ErsatzTISS ? "J" : "N";
    WriteIniValue(file, ui, kClassificationSection, "ErsatzTISS", settings.ErsatzTISS.str());
}

std::optional<std::string> ValidateDateBox(std::string_view text)
{
    if (TrimBlanks(text).empty()) return std::string(text);
    std::string normalised = NormalizeDateInput(text, "2000");
    if (TrimBlanks(normalised).empty()) return std::nullopt;
    return normalised;
}

fs::path DirectoryToBrowse(std::string_view labelText, const fs::path& home)
{
    std::error_code error;
    // A relative text such as "unknown" would be looked up in whatever the working directory is.
    const fs::path labelled = PathFromUtf8(TrimBlanks(labelText));
    if (IsFullPath(labelled) && fs::is_directory(labelled, error)) return labelled;
    if (IsFullPath(home) && fs::is_directory(home, error)) return home;
    return fs::path(kRoot);
}

bool DirectoryReadable(const fs::path& directory)
{
    std::error_code error;
    fs::directory_iterator entries(directory, error);
    return !error;
}

std::vector<std::string> OrderVolumeRoots(std::vector<std::string> roots, std::string_view systemRoot)
{
    const std::string first = ComparableLocation(systemRoot);
    std::erase_if(roots, [&first](const std::string& root) { return root.empty() || ComparableLocation(root) == first; });
    std::sort(roots.begin(), roots.end());
    roots.erase(std::unique(roots.begin(), roots.end()), roots.end());
    roots.insert(roots.begin(), std::string(systemRoot));
    return roots;
}

std::string VolumeOf(std::string_view directory, const std::vector<std::string>& roots)
{
    const std::string place = ComparableLocation(directory);
    std::string best;
    std::size_t bestLength = 0;
    for (const auto& root : roots) {
        const std::string location = ComparableLocation(root);
        if (location.empty()) continue;
        // Only the lone "/" ends in a separator.
        const bool contains = place == location || (place.starts_with(location) && (location.ends_with('/') ||
                                                                                     place[location.size()] == '/'));
        if (contains && location.size() > bestLength) {
            best = root;
            bestLength = location.size();
        }
    }
    return best;
}

}  // namespace kalmora
