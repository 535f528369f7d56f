#include "storage/ReferenceData.h"

#include "foundation/FixedText.h"
#include "storage/Database.h"
#include "storage/Schema.h"

#include <fstream>
#include <map>
#include <string_view>
#include <system_error>

namespace kalmora {

namespace {

struct ListFormat {
    std::string_view Header;
    std::size_t KeyWidth;
    std::string_view KeyRule;
};

ListFormat FormatOf(ReferenceKind kind)
{
    if (kind == ReferenceKind::Hospitals) {
        return {"KANR;BEZEICHNUNG", kHospitalNumberWidth, "Die Krankenhausnummer muss aus 'K' und 3 Zeichen bestehen"};
    }
    return {"ABTEILUNG;BEZEICHNUNG", kDepartmentCodeWidth, "Der Abteilungscode muss aus 6 Zeichen bestehen"};
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        if (lead < 0x80)
            length = 1;
        else if (lead >= 0xC2 && lead <= 0xDF)
            length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF)
            length = 3;
        else if (lead >= 0xF0 && lead <= 0xF4)
            length = 4;
        else
            return false;
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

std::string_view Unquoted(std::string_view text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    return text;
}

bool KeyFollowsRule(std::string_view key, ReferenceKind kind, std::size_t width)
{
    if (CharacterCount(key) != width || key.find(' ') != std::string_view::npos) return false;
    return kind != ReferenceKind::Hospitals || key.front() == 'K';
}

void InsertRows(Database& admin, std::string_view table, std::string_view keyField,
                const std::vector<ReferenceEntry>& entries)
{
    admin.Execute("DELETE FROM " + QuoteIdentifier(table));
    auto insert = admin.Prepare("INSERT INTO " + QuoteIdentifier(table) + " (" + QuoteIdentifier(keyField) +
                                ", \"BEZEICHNUNG\") VALUES (?, ?)");
    for (const auto& entry : entries) {
        insert.BindAll(entry.Key, entry.Name).Execute();
        insert.Reset();
    }
}

std::optional<std::string> NameOf(Database& admin, std::string_view table, std::string_view keyField,
                                  std::string_view key)
{
    auto query = admin.Prepare("SELECT \"BEZEICHNUNG\" FROM " + QuoteIdentifier(table) + " WHERE " +
                               QuoteIdentifier(keyField) + " = ?");
    query.Bind(1, key);
    if (!query.Step()) return std::nullopt;
    return query.Text(0);
}

}  // namespace

std::optional<std::string> HospitalName(Database& admin, std::string_view hospital)
{
    return NameOf(admin, kHospitalNamesTable, "KANR", hospital);
}

std::optional<std::string> DepartmentName(Database& admin, std::string_view departmentCode)
{
    return NameOf(admin, kDepartmentNamesTable, "ABTEILUNG", departmentCode);
}

std::string ReferenceProblem::Describe() const
{
    std::string text = File.string();
    if (Line > 0) text += ", Zeile " + std::to_string(Line);
    return text + ": " + Message;
}

ReferenceDataError::ReferenceDataError(std::vector<ReferenceProblem> problems)
    : std::runtime_error("Referenzdaten fehlerhaft"), m_problems(std::move(problems))
{}

std::vector<ReferenceEntry> ReadReferenceList(const std::filesystem::path& file, ReferenceKind kind,
                                              std::vector<ReferenceProblem>& problems)
{
    const ListFormat format = FormatOf(kind);
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        problems.push_back({file, 0, "Die Datei kann nicht gelesen werden."});
        return {};
    }

    std::vector<ReferenceEntry> entries;
    std::map<std::string, int> firstLineOfKey;
    std::string line;
    int lineNumber = 0;
    auto problem = [&](std::string message) { problems.push_back({file, lineNumber, std::move(message)}); };

    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (lineNumber == 1 && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
        if (!IsValidUtf8(line)) {
            problem("Die Zeile ist nicht UTF-8-kodiert.");
            continue;
        }
        if (lineNumber == 1) {
            if (TrimBlanks(line) != format.Header)
                problem("Die Kopfzeile muss \"" + std::string(format.Header) + "\" lauten.");
            continue;
        }
        if (TrimBlanks(line).empty()) continue;

        const auto separator = line.find(';');
        if (separator == std::string::npos) {
            problem("Es fehlt das Trennzeichen ';'.");
            continue;
        }
        const std::string key(Unquoted(TrimBlanks(std::string_view(line).substr(0, separator))));
        const std::string name(TrimBlanks(Unquoted(TrimBlanks(std::string_view(line).substr(separator + 1)))));
        if (!KeyFollowsRule(key, kind, format.KeyWidth)) {
            problem(std::string(format.KeyRule) + ": \"" + key + "\".");
            continue;
        }
        if (name.empty()) {
            problem("Die Bezeichnung fehlt.");
            continue;
        }
        const auto [previous, added] = firstLineOfKey.emplace(key, lineNumber);
        if (!added) {
            problem("\"" + key + "\" steht bereits in Zeile " + std::to_string(previous->second) + ".");
            continue;
        }
        entries.push_back({key, name});
    }
    if (in.bad()) problem("Die Datei kann nicht vollständig gelesen werden.");
    if (lineNumber == 0) problems.push_back({file, 0, "Die Datei ist leer."});
    return entries;
}

void FillReferenceTables(Database& admin, const std::vector<ReferenceEntry>& hospitals,
                         const std::vector<ReferenceEntry>& departments)
{
    InsertRows(admin, kHospitalNamesTable, "KANR", hospitals);
    InsertRows(admin, kDepartmentNamesTable, "ABTEILUNG", departments);
}

void ReplaceReferenceTables(Database& admin, const std::vector<ReferenceEntry>& hospitals,
                            const std::vector<ReferenceEntry>& departments)
{
    Transaction transaction(admin);
    FillReferenceTables(admin, hospitals, departments);
    transaction.Commit();
}

ReferenceLists ReadReferenceLists(const std::filesystem::path& hospitalsFile,
                                  const std::filesystem::path& departmentsFile)
{
    std::vector<ReferenceProblem> problems;
    ReferenceLists lists;
    lists.Hospitals = ReadReferenceList(hospitalsFile, ReferenceKind::Hospitals, problems);
    lists.Departments = ReadReferenceList(departmentsFile, ReferenceKind::Departments, problems);
    if (!problems.empty()) throw ReferenceDataError(std::move(problems));
    return lists;
}

void LoadReferenceData(const std::filesystem::path& adminDatabase, const std::filesystem::path& hospitalsFile,
                       const std::filesystem::path& departmentsFile)
{
    const ReferenceLists lists = ReadReferenceLists(hospitalsFile, departmentsFile);
    Database admin(adminDatabase);
    ReplaceReferenceTables(admin, lists.Hospitals, lists.Departments);
}

std::optional<std::filesystem::path> ShippedReferenceDirectory(const std::filesystem::path& dataDirectory)
{
    if (dataDirectory.empty()) return std::nullopt;
    const auto directory = dataDirectory / "reference";
    std::error_code error;
    if (!std::filesystem::is_directory(directory, error)) return std::nullopt;
    return directory;
}

}  // namespace kalmora
