#include "scoring/DepartmentBaseData.h"

#include "foundation/DiagnosticLog.h"
#include "foundation/Settings.h"
#include "foundation/Val.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"

namespace kalmora {

namespace {

constexpr int kDgkpDecimals = 2;
constexpr int kDgkpMaxDigits = 6;
constexpr int kBedsMaxDigits = 3;

// The value of a checked field; an empty field counts as 0.
double FieldValue(const NumberInputDecision& decision)
{
    if (!decision.NewText || TrimBlanks(*decision.NewText).empty()) return 0.0;
    return ParseGermanNumber(*decision.NewText).value_or(0.0);
}

bool ValidPreClassification(std::string_view pre)
{
    return pre.empty() || (pre.size() == 2 && pre[0] == 'E' && pre[1] >= '0' && pre[1] <= '3');
}

// True when both texts are valid and stand for the same number.
bool SameNumber(const NumberInputDecision& shown, const NumberInputDecision& typed)
{
    return !shown.ErrorText && !typed.ErrorText && FieldValue(shown) == FieldValue(typed);
}

// The figures of the department's row, read under the lock; nothing when the row is gone.
std::optional<DepartmentEntry> StoredFigures(Database& admin, const DepartmentEntry& entry)
{
    auto row = admin.Prepare("SELECT \"SBETT\", \"DGKP\", \"VOREINSTUFUNG\" FROM " +
                             QuoteIdentifier(kDepartmentsTable) + " WHERE \"KANR\" = ? AND \"ABTEILUNG\" = ?");
    row.BindAll(entry.Kanr, entry.Abteilung);
    if (!row.Step()) return std::nullopt;
    DepartmentEntry stored = entry;
    stored.SystemisedBeds = row.Double(0);
    stored.Dgkp = row.Double(1);
    stored.PreClassification = row.Text(2);
    return stored;
}

}  // namespace

NumberInputDecision ValidateDgkpInput(std::string_view text)
{
    return ValidateNumberInput(text, kDgkpDecimals, kDgkpMaxDigits, false);
}

NumberInputDecision ValidateBedsInput(std::string_view text)
{
    return ValidateNumberInput(text, 0, kBedsMaxDigits, false);
}

std::optional<std::string> DgkpPerBedText(std::string_view dgkpText, std::string_view bedsText)
{
    const std::optional<double> beds = TrimBlanks(bedsText).empty() ? 0.0 : ParseGermanNumber(bedsText);
    if (!beds || *beds == 0.0) return std::nullopt;
    const std::optional<double> dgkp = TrimBlanks(dgkpText).empty() ? 0.0 : ParseGermanNumber(dgkpText);
    if (!dgkp) return std::nullopt;
    return FormatNumber(*dgkp / *beds, "0.00");
}

BaseDataInput BaseDataInputOf(const DepartmentEntry& entry)
{
    return {FormatNumber(entry.Dgkp, "0.00"), PlainNumberText(Val(PlainNumberText(entry.SystemisedBeds))),
            std::string(entry.PreClassification.Trimmed())};
}

BaseDataInput ChangedBaseData(const BaseDataInput& shown, const BaseDataInput& typed)
{
    BaseDataInput changed;
    if (typed.DgkpText &&
        !(shown.DgkpText && SameNumber(ValidateDgkpInput(*shown.DgkpText), ValidateDgkpInput(*typed.DgkpText)))) {
        changed.DgkpText = typed.DgkpText;
    }
    if (typed.BedsText &&
        !(shown.BedsText && SameNumber(ValidateBedsInput(*shown.BedsText), ValidateBedsInput(*typed.BedsText)))) {
        changed.BedsText = typed.BedsText;
    }
    if (typed.PreClassification &&
        !(shown.PreClassification && TrimBlanks(*shown.PreClassification) == TrimBlanks(*typed.PreClassification))) {
        changed.PreClassification = typed.PreClassification;
    }
    return changed;
}

BaseDataOutcome SaveDepartmentBaseData(const Settings& settings, const DepartmentEntry& entry,
                                       const BaseDataInput& input)
{
    BaseDataOutcome outcome;
    outcome.Entry = entry;
    // The window lets "OK" through with a field it has just refused; such a text is not saved
    // rather than read as some other number.
    const std::optional<NumberInputDecision> dgkp =
        input.DgkpText ? std::optional(ValidateDgkpInput(*input.DgkpText)) : std::nullopt;
    const std::optional<NumberInputDecision> beds =
        input.BedsText ? std::optional(ValidateBedsInput(*input.BedsText)) : std::nullopt;
    const std::optional<std::string> pre =
        input.PreClassification ? std::optional(std::string(TrimBlanks(*input.PreClassification))) : std::nullopt;
    if (dgkp && dgkp->ErrorText) {
        outcome.ErrorText = " DGKP: " + *dgkp->ErrorText;
    } else if (beds && beds->ErrorText) {
        outcome.ErrorText = " Systemisierte Betten: " + *beds->ErrorText;
    } else if (pre && !ValidPreClassification(*pre)) {
        outcome.ErrorText = " Voreinstufung: nur E0, E1, E2, E3 oder leer zulässig!";
    }
    if (outcome.ErrorText) return outcome;

    DepartmentEntry saved = entry;
    {
        // Read and written under one lock: a field another caller has just stored is kept unless
        // this save names it.
        const ExclusiveLock lock(SystemDataLockFile(settings));
        Database admin(DataFilePath(settings.SystemDataPath, kAdminDatabaseFile));
        Transaction transaction(admin);
        const std::optional<DepartmentEntry> stored = StoredFigures(admin, entry);
        if (stored) saved = *stored;
        if (dgkp) saved.Dgkp = FieldValue(*dgkp);
        if (beds) saved.SystemisedBeds = FieldValue(*beds);
        if (pre) saved.PreClassification = *pre;
        // Only the given columns are written.
        auto write = [&admin, &entry](std::string_view column, const auto& value) {
            admin
                .Prepare("UPDATE " + QuoteIdentifier(kDepartmentsTable) + " SET " + QuoteIdentifier(column) +
                         " = ? WHERE \"KANR\" = ? AND \"ABTEILUNG\" = ?")
                .BindAll(value, entry.Kanr, entry.Abteilung)
                .Execute();
        };
        if (stored) {
            if (beds) write("SBETT", saved.SystemisedBeds);
            if (dgkp) write("DGKP", saved.Dgkp);
            if (pre) write("VOREINSTUFUNG", *pre);
            outcome.Saved = true;
        }
        transaction.Commit();
        // Stored: a lock the engine could not give up afterwards is for the IT to know.
        if (!transaction.LateFailure().empty()) {
            WriteDiagnostic(DataFilePath(settings.SystemDataPath, ""), "Basisdaten gespeichert, danach",
                            transaction.LateFailure());
        }
    }

    // The list shows the new figures even for a department that has gone from "Dateiverwaltung", so
    // that the next classification uses what the user typed.
    outcome.Entry = saved;
    outcome.Entry.Text = ClassificationEntryText(outcome.Entry, NoBedsPlaceholder::AsSaved);
    return outcome;
}

}  // namespace kalmora
