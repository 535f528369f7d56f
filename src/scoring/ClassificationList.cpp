#include "scoring/ClassificationList.h"

#include "foundation/Messages.h"
#include "foundation/NumberFormat.h"
#include "foundation/Settings.h"
#include "foundation/UserInterface.h"
#include "foundation/Val.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/ReferenceData.h"
#include "storage/Schema.h"
#include "storage/StayFlags.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace kalmora {

namespace {

constexpr std::size_t kHospitalNameWidth = 20;
constexpr std::size_t kDepartmentNameWidth = 100;

// Right-aligned in `width` characters. A number too wide for its column shows as "#" signs rather
// than shifting the columns behind it or losing its leading digits.
std::string RightAligned(std::string_view text, std::size_t width)
{
    const std::size_t length = CharacterCount(text);
    if (length > width) return std::string(width, '#');
    return std::string(width - length, ' ') + std::string(text);
}

}  // namespace

std::string PlainNumberText(double value)
{
    if (value == 0.0 || std::isnan(value)) value = 0.0;  // no "-0"
    std::array<char, 400> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
    std::string text(buffer.data(), written.ptr);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string DepartmentEntry::Key() const
{
    return std::string(TrimBlanks(Kanr)) + "/" + std::string(TrimBlanks(Abteilung));
}

std::string ClassificationEntryText(const DepartmentEntry& entry, NoBedsPlaceholder placeholder)
{
    // The beds column shows the stored number as text; Val of that text decides about the quotient.
    const std::string bedsText = PlainNumberText(entry.SystemisedBeds);
    const double beds = Val(bedsText);
    std::string perBed;
    if (beds > 0) {
        perBed = RightAligned(FormatNumber(entry.Dgkp / entry.SystemisedBeds, "0.00"), 5);
    } else {
        perBed = placeholder == NoBedsPlaceholder::AsListed ? " 0.00" : " 0,00";
    }

    std::string text;
    text += FitToWidth(entry.Kanr, 4);
    text += " - ";
    text += FitToWidth(entry.HospitalName, kHospitalNameWidth);
    text += "  ";
    text += RightAligned(FormatNumber(entry.Dgkp, "0.00"), 6);
    text += "    ";
    text += RightAligned(bedsText, 3);
    text += "     ";
    text += perBed;
    text += "        ";
    text += entry.PreClassification.str();
    text += "      ";
    text += FitToWidth(entry.Abteilung, 8);
    text += " - ";
    text += FitToWidth(entry.DepartmentName, kDepartmentNameWidth);
    text += entry.DatabaseFile.str();
    return text;
}

std::optional<DepartmentEntry> ReadDepartmentEntry(Database& admin, std::string_view kanr, std::string_view abteilung)
{
    auto row =
        admin.Prepare("SELECT \"KANR\", \"ABTEILUNG\", \"MDB_DATEI\", \"SBETT\", \"DGKP\", \"VOREINSTUFUNG\" FROM " +
                      QuoteIdentifier(kDepartmentsTable) + " WHERE \"KANR\" = ? AND \"ABTEILUNG\" = ?");
    row.BindAll(kanr, abteilung);
    if (!row.Step()) return std::nullopt;
    DepartmentEntry entry;
    entry.Kanr = row.Text(0);
    entry.Abteilung = row.Text(1);
    entry.DatabaseFile = row.Text(2);
    entry.SystemisedBeds = row.Double(3);
    entry.Dgkp = row.Double(4);
    entry.PreClassification = row.Text(5);
    entry.HospitalName = HospitalName(admin, entry.Kanr).value_or("");
    entry.DepartmentName = DepartmentName(admin, LeftCharacters(entry.Abteilung, kDepartmentCodeWidth)).value_or("");
    entry.Text = ClassificationEntryText(entry, NoBedsPlaceholder::AsListed);
    return entry;
}

bool HasClassifiableStays(Database& department)
{
    // A plain query: nothing is stored in the department database, so an interrupted run leaves
    // nothing behind that could make the next one fail.
    auto query = department.Prepare("SELECT 1 FROM " + QuoteIdentifier(kStaysTable) +
                                    " WHERE \"TYP\" = 'INT' AND \"FLAG\" <> ? LIMIT 1");
    query.BindAll(kStayInProgress);
    return query.Step();
}

std::vector<DepartmentEntry> ClassifiableDepartments(const Settings& settings, UserInterface& ui,
                                                     std::vector<std::string>* unreadable)
{
    const ReadyAtEnd ready(ui);
    const BusyPointer busy(ui);
    ui.SetStatusText(1, " Intensivberichte vorbereiten...");
    RequireFullPath("SystemDataPath", settings.SystemDataPath);
    // Plays back what a killed writer left, which a read-only connection cannot do.
    Database admin = OpenForReading(settings, DataFilePath(settings.SystemDataPath, kAdminDatabaseFile));
    std::vector<std::pair<std::string, std::string>> keys;
    {
        auto rows = admin.Prepare("SELECT \"KANR\", \"ABTEILUNG\" FROM " + QuoteIdentifier(kDepartmentsTable) +
                                  " ORDER BY 1, 2");
        while (rows.Step())
            keys.emplace_back(rows.Text(0), rows.Text(1));
    }

    std::vector<DepartmentEntry> entries;
    for (const auto& [kanr, abteilung] : keys) {
        auto entry = ReadDepartmentEntry(admin, kanr, abteilung);
        if (!entry) continue;
        try {
            const auto file = std::string(entry->DatabaseFile.Trimmed());
            if (file.empty()) throw StorageError("Keine Datenbankdatei eingetragen.");
            Database department = OpenForReading(settings, DataFilePath(settings.SystemDataPath, file));
            if (HasClassifiableStays(department)) entries.push_back(std::move(*entry));
        } catch (const std::runtime_error& error) {
            // A damaged file, or one a crashed writer left while another run holds the data.
            ShowGeneralError(ui, " Abteilung " + entry->Key() + " (" + std::string(entry->DatabaseFile.Trimmed()) +
                                     ") kann nicht gelesen werden: " + error.what());
            if (unreadable) unreadable->push_back(entry->Key());
        }
    }
    return entries;
}

}  // namespace kalmora
