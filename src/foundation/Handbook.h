#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace kalmora {

inline constexpr std::string_view kHandbookMissingNotice =
    "Das Handbuch wurde nicht gefunden. Es liegt nach der Installation in share/doc/kalmora/handbuch.html "
    "neben dem Programmordner; im Build-Ordner entsteht es mit \"make docs\".";

// The handbook's one HTML page: installed beside the program (`../share/doc/kalmora`), or made in
// the build folder (`../docs` beside the program's folder there). Nothing when neither is there.
std::optional<std::filesystem::path> FindHandbook(const std::filesystem::path& programDirectory);

}  // namespace kalmora
