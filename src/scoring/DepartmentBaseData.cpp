#include "scoring/DepartmentBaseData.h"

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

BaseDataOutcome SaveDepartmentBaseData(const Settings& settings, const DepartmentEntry& entry,
                                       const BaseDataInput& input)
{
    BaseDataOutcome outcome;
    outcome.Entry = entry;
    // The window lets "OK" through with a field it has just refused; such a text is not saved
    // rather than read as some other number.
    const NumberInputDecision dgkp = ValidateDgkpInput(input.DgkpText);
    const NumberInputDecision beds = ValidateBedsInput(input.BedsText);
    const std::string_view pre = TrimBlanks(input.PreClassification);
    if (dgkp.ErrorText) {
        outcome.ErrorText = " DGKP: " + *dgkp.ErrorText;
    } else if (beds.ErrorText) {
        outcome.ErrorText = " Systemisierte Betten: " + *beds.ErrorText;
    } else if (!(pre.empty() || (pre.size() == 2 && pre[0] == 'E' && pre[1] >= '0' && pre[1] <= '3'))) {
        outcome.ErrorText = " Voreinstufung: nur E0, E1, E2, E3 oder leer zulässig!";
    }
    if (outcome.ErrorText) return outcome;

    const double dgkpValue = FieldValue(dgkp);
    const double bedsValue = FieldValue(beds);
    {
        const ExclusiveLock lock(SystemDataLockFile(settings));
        Database admin(DataFilePath(settings.SystemDataPath, kAdminDatabaseFile));
        auto update = admin.Prepare("UPDATE " + QuoteIdentifier(kDepartmentsTable) +
                                    " SET \"SBETT\" = ?, \"DGKP\" = ?, \"VOREINSTUFUNG\" = ? "
                                    "WHERE \"KANR\" = ? AND \"ABTEILUNG\" = ?");
        update.BindAll(bedsValue, dgkpValue, pre, entry.Kanr, entry.Abteilung);
        outcome.Saved = update.Execute() > 0;
    }

    // The list shows the new figures even for a department that has gone from "Dateiverwaltung", so
    // that the next classification uses what the user typed.
    outcome.Entry.Dgkp = dgkpValue;
    outcome.Entry.SystemisedBeds = bedsValue;
    outcome.Entry.PreClassification = pre;
    outcome.Entry.Text = ClassificationEntryText(outcome.Entry, NoBedsPlaceholder::AsSaved);
    return outcome;
}

}  // namespace kalmora
