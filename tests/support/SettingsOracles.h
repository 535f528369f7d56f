#pragma once

#include "foundation/FixedText.h"
#include "foundation/IniFile.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "foundation/Utf8Path.h"
#include "storage/Schema.h"
#include "support/Files.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// What must hold for any settings file, whatever its bytes: shared by the settings fuzzer and the
// test that replays its findings.
namespace kalmora::test {

namespace settings_oracles {

struct HeldValue {
    std::string_view Key;
    std::string Text;
    std::size_t Width;  // 0 for a directory
};

// The nine settings as text, by key, to check and compare them alike.
inline std::vector<HeldValue> ValuesOf(const Settings& settings)
{
    auto fixed = [](std::string_view key, const auto& value) {
        return HeldValue{key, value.str(), std::decay_t<decltype(value)>::kWidth};
    };
    return {{"ImportDataPath", settings.ImportDataPath, 0}, {"ExportDataPath", settings.ExportDataPath, 0},
            {"SystemDataPath", settings.SystemDataPath, 0}, fixed("PlausLevel", settings.PlausLevel),
            fixed("Erhebungvon", settings.Erhebungvon),     fixed("Erhebungbis", settings.Erhebungbis),
            fixed("MindestStd", settings.MindestStd),       fixed("MehrfachTISS", settings.MehrfachTISS),
            fixed("ErsatzTISS", settings.ErsatzTISS)};
}

inline bool ContainsIgnoringCase(std::string_view text, std::string_view part)
{
    return std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(a) == lower(b);
           }) != text.end();
}

// The loader drops one trailing separator, so a directory held with more ("/data//" is held as
// "/data/") reads back with one fewer each time: the same folder all the same.
inline bool SameFolder(std::string_view lhs, std::string_view rhs)
{
    auto folder = [](std::string_view text) {
        while (text.size() > 1 && (text.back() == '/' || text.back() == '\\'))
            text.remove_suffix(1);
        return text;
    };
    return folder(lhs) == folder(rhs);
}

// A value the file cannot hold so that it reads back as it is: one that would break its line, or
// one that reading would trim or cut (a fixed width is written without its padding).
inline bool CannotBeWritten(const HeldValue& value)
{
    const std::string_view written = value.Width == 0 ? std::string_view(value.Text) : TrimBlanks(value.Text);
    return written.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos ||
           written.find_first_of(" \t") == 0 ||
           (!written.empty() && written.find_last_of(" \t") == written.size() - 1) ||
           CharacterCount(written) > kMaxProfileValueLength;
}

inline Settings Load(const std::filesystem::path& file, ScriptedUserInterface& ui)
{
    SettingsFile settingsFile;
    settingsFile.SettingsFileName = Utf8Of(file);
    Settings settings;
    LoadSettings(settingsFile, ui, settings);
    return settings;
}

// A held directory is no folder, or it is a full path written in the file, and the files the
// program keeps there stay inside it.
inline void CheckDirectory(std::string_view key, const std::string& held, std::string_view input,
                           std::vector<std::string>& broken)
{
    const std::string shown = std::string(key) + "=\"" + held + "\"";
    const auto folder = HeldDirectoryPath(held);
    if (!folder) {
        if (!RelativePathText(key, held)) broken.push_back(shown + " is no folder but is not refused");
        try {
            DataFilePath(held, kAdminDatabaseFile);
            broken.push_back(shown + " is no folder but gives a data file");
        } catch (const SettingsPathError&) {
        }
        return;
    }
    if (input.find(held) == std::string_view::npos) broken.push_back(shown + " is a path that was not written");
    if (!IsFullPath(*folder)) broken.push_back(shown + " is held as a relative folder");
    if (CharacterCount(held) > kMaxProfileValueLength) broken.push_back(shown + " is longer than a value can be");
    // The program's own names, and a full path that must be taken as a name inside the folder.
    const auto base = folder->lexically_normal();
    for (std::string_view name : {kAdminDatabaseFile, std::string_view("kalmora.lock"), std::string_view("/etc/x")}) {
        const auto file = DataFilePath(held, name).lexically_normal();
        const auto inside = file.lexically_relative(base);
        if (inside.empty() || *inside.begin() == ".." || inside != PathFromUtf8(name).relative_path()) {
            broken.push_back(shown + ": " + std::string(name) + " lands outside it, at " + Utf8Of(file));
        }
    }
}

}  // namespace settings_oracles

// Loads `input` as a settings file (in `scratch`, which the check uses as it likes) and returns the
// rules it broke, in words; empty when every one held:
// - a readable file never reports a read failure;
// - a directory is refused as no folder, or is a full path whose text the file holds, and the
//   program's files in it stay inside it;
// - a fixed-width value has its width, and its text is from the file, or is "unknown" of a key the
//   file does not name;
// - written back, the settings read as they were (a directory as the same folder), unless the
//   writer refused a value the file cannot hold as it is.
inline std::vector<std::string> SettingsFindings(std::string_view input, const std::filesystem::path& scratch)
{
    using namespace settings_oracles;
    std::vector<std::string> broken;
    try {
        const auto file = scratch / "input.ini";
        WriteText(file, std::string(input));
        ScriptedUserInterface ui;
        const Settings settings = Load(file, ui);
        if (!ui.Messages().empty()) broken.push_back("readable file reported as: " + ui.Messages().front().Text);

        const auto values = ValuesOf(settings);
        for (const auto& [key, value, width] : values) {
            if (width == 0) {
                CheckDirectory(key, value, input, broken);
            } else if (CharacterCount(value) != width) {
                broken.push_back(std::string(key) + " lost its width: \"" + value + "\"");
            }
            const auto unknown = width == 0 ? std::string(kUnknownSetting) : FitToWidth(kUnknownSetting, width);
            if (value == unknown) continue;
            if (!ContainsIgnoringCase(input, key)) {
                broken.push_back(std::string(key) + " is not in the file but reads \"" + value + "\"");
            }
            if (input.find(TrimBlanks(value)) == std::string_view::npos) {
                broken.push_back(std::string(key) + "=\"" + value + "\" was not written");
            }
        }

        const auto written = scratch / "written.ini";
        try {
            WriteSettingsFile(written, settings);
        } catch (const IniFileError& refusal) {
            if (!std::any_of(values.begin(), values.end(), CannotBeWritten))
                broken.push_back(std::string("settings refused for writing: ") + refusal.what());
            return broken;
        }
        ScriptedUserInterface again;
        const auto reread = ValuesOf(Load(written, again));
        for (std::size_t i = 0; i < values.size(); ++i) {
            const bool same =
                values[i].Width == 0 ? SameFolder(reread[i].Text, values[i].Text) : reread[i].Text == values[i].Text;
            if (!same) {
                broken.push_back(std::string(values[i].Key) + " written back as \"" + values[i].Text + "\" reads \"" +
                                 reread[i].Text + "\"");
            }
        }
    } catch (const std::exception& error) {
        broken.push_back(std::string("exception: ") + error.what());
    }
    return broken;
}

}  // namespace kalmora::test
