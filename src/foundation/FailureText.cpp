#include "foundation/FailureText.h"

#include "foundation/Messages.h"
#include "foundation/UserInterface.h"

#include <array>
#include <filesystem>
#include <new>
#include <utility>

namespace kalmora {

namespace {

constexpr std::array kCauses{
    std::pair{std::errc::no_space_on_device, "kein Speicherplatz mehr auf dem Datenträger"},
    std::pair{std::errc::permission_denied, "Zugriff verweigert"},
    std::pair{std::errc::operation_not_permitted, "Vorgang nicht erlaubt"},
    std::pair{std::errc::read_only_file_system, "der Datenträger ist schreibgeschützt"},
    std::pair{std::errc::no_such_file_or_directory, "Datei oder Verzeichnis nicht vorhanden"},
    std::pair{std::errc::file_exists, "die Datei besteht bereits"},
    std::pair{std::errc::is_a_directory, "unter diesem Namen besteht ein Verzeichnis"},
    std::pair{std::errc::invalid_argument, "unter diesem Namen besteht keine gewöhnliche Datei"},
    std::pair{std::errc::not_a_directory, "ein Teil des Pfads ist kein Verzeichnis"},
    std::pair{std::errc::directory_not_empty, "das Verzeichnis ist nicht leer"},
    std::pair{std::errc::io_error, "Ein-/Ausgabefehler beim Zugriff auf den Datenträger"},
    std::pair{std::errc::filename_too_long, "der Dateiname ist zu lang"},
    std::pair{std::errc::too_many_symbolic_link_levels, "unter diesem Namen besteht eine symbolische Verknüpfung"},
    std::pair{std::errc::too_many_files_open, "zu viele offene Dateien"},
    std::pair{std::errc::device_or_resource_busy, "die Datei ist in Gebrauch"},
    std::pair{std::errc::resource_unavailable_try_again, "die Datei ist in Gebrauch"},
    std::pair{std::errc::cross_device_link, "Quelle und Ziel liegen auf verschiedenen Datenträgern"},
    std::pair{std::errc::file_too_large, "die Datei ist zu groß"},
    std::pair{std::errc::not_supported, "vom Dateisystem nicht unterstützt"},
    std::pair{std::errc::timed_out, "Zeitüberschreitung"},
    std::pair{std::errc::not_enough_memory, "nicht genug Arbeitsspeicher"},
};

}  // namespace

std::string GermanErrorText(const std::error_code& code)
{
    for (const auto& [cause, text] : kCauses) {
        if (code == cause) return text;
    }
    return "Systemfehler " + std::to_string(code.value());
}

std::string FolderNotSyncedText(const std::error_code& code)
{
    return "Das Verzeichnis konnte nicht gesichert werden: " + GermanErrorText(code);
}

std::string GermanReason(const std::exception& failure)
{
    if (const auto* fileError = dynamic_cast<const std::filesystem::filesystem_error*>(&failure)) {
        std::string reason = "Datei " + fileError->path1().string();
        if (!fileError->path2().empty()) reason += " (" + fileError->path2().string() + ")";
        return reason + ": " + GermanErrorText(fileError->code());
    }
    if (const auto* systemError = dynamic_cast<const std::system_error*>(&failure)) {
        return GermanErrorText(systemError->code());
    }
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) return "nicht genug Arbeitsspeicher";
    return failure.what();
}

void ShowFailure(UserInterface& ui, const std::exception& failure, std::string_view lead)
{
    if (dynamic_cast<const NoticeError*>(&failure) != nullptr) {
        ui.ShowMessage(std::string(" ") + failure.what(), kNoticeTitle, MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    ShowGeneralError(ui, std::string(lead) + GermanReason(failure));
}

}  // namespace kalmora
