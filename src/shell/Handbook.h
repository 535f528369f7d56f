#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

class UserInterface;

inline constexpr std::string_view kHandbookMissingText = "Das Handbuch wurde nicht gefunden.";
inline constexpr std::string_view kHandbookNotShownText = "Das Handbuch kann nicht angezeigt werden.";

// Where the handbook may lie, relative to the program's directory: installed beside the program
// (<prefix>/bin and <prefix>/share/doc/kalmora), then in the build folder (build/src and build/docs).
std::vector<std::filesystem::path> HandbookCandidates(const std::filesystem::path& programDirectory);

// The first candidate that is a file, or nothing.
std::optional<std::filesystem::path> FindHandbook(const std::filesystem::path& programDirectory);

// The file:// address of `file` at `section` (empty: its start), with every byte that is not plain
// ASCII, or that an address reserves, written as %XX.
std::string HandbookAddress(const std::filesystem::path& file, std::string_view section);

// Shows the handbook at `section`; a notice when there is none or nothing can show it.
void OpenHandbook(UserInterface& ui, const std::filesystem::path& programDirectory, std::string_view section);

}  // namespace kalmora
