#include "shell/Handbook.h"

#include "foundation/Messages.h"
#include "foundation/UserInterface.h"

#include <system_error>

namespace kalmora {

namespace fs = std::filesystem;

std::vector<fs::path> HandbookCandidates(const fs::path& programDirectory)
{
    const fs::path parent = programDirectory.parent_path();
    return {parent / "share" / "doc" / "kalmora" / "handbuch.html", parent / "docs" / "handbuch.html"};
}

std::optional<fs::path> FindHandbook(const fs::path& programDirectory)
{
    if (programDirectory.empty()) return std::nullopt;
    for (const auto& candidate : HandbookCandidates(programDirectory)) {
        std::error_code error;
        if (fs::is_regular_file(candidate, error)) return candidate.lexically_normal();
    }
    return std::nullopt;
}

std::string HandbookAddress(const fs::path& file, std::string_view section)
{
    constexpr std::string_view kHex = "0123456789ABCDEF";
    // Forward slashes on every system; a path that begins with a drive ("C:/...") gets the slash
    // that makes it "file:///C:/...".
    const std::u8string generic = fs::absolute(file).lexically_normal().generic_u8string();
    std::string path(generic.begin(), generic.end());
    if (!path.starts_with('/')) path.insert(0, "/");
    std::string address = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~' ||
                           byte == '/' || byte == ':';
        if (plain) {
            address += c;
        } else {
            address += '%';
            address += kHex[byte >> 4];
            address += kHex[byte & 0x0F];
        }
    }
    if (!section.empty()) address += "#" + std::string(section);
    return address;
}

void OpenHandbook(UserInterface& ui, const fs::path& programDirectory, std::string_view section)
{
    const auto file = FindHandbook(programDirectory);
    if (!file) {
        std::string text = " " + std::string(kHandbookMissingText) + " Gesucht wurde:";
        for (const auto& candidate : HandbookCandidates(programDirectory))
            text += "\n" + candidate.lexically_normal().string();
        ui.ShowMessage(text, kNoticeTitle, MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    if (!ui.OpenAddress(HandbookAddress(*file, section))) {
        ui.ShowMessage(" " + std::string(kHandbookNotShownText) + " Es liegt in " + file->string() +
                           "; bitte dort mit einem Web-Browser öffnen.",
                       kNoticeTitle, MessageIcon::Exclamation, MessageButtons::Ok);
    }
}

}  // namespace kalmora
