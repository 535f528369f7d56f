#include "import/RecordReaders.h"

#include "foundation/Conversions.h"
#include "foundation/FixedText.h"
#include "foundation/Val.h"
#include "foundation/Windows1252.h"
#include "import/RecordLayout.h"
#include "scoring/Tiss28Items.h"
#include "scoring/Tiss28Score.h"
#include "storage/Schema.h"


#include <array>
#include <string>

namespace kalmora {

namespace {

std::string InsertStayRecordSql()
{
    return "INSERT INTO " + QuoteIdentifier(kStayRecordsTable) +
           " (\"QUALIFIER\", \"KA_ID\", \"ICU_FUN_ID\", \"ICU_FUN_SID\", \"KIS_ID\", \"DOB\", \"ADM_DATE\", "
           "\"DIS_DATE\", \"ICU_OUTCOME\", \"HOSP_DIS_DATE\", \"HOSP_MORT\") VALUES ('1', ?, ?, ?, ?, ?, ?, ?, ?, ?, "
           "?)";
}

std::string InsertTissRecordSql()
{
    std::string columns = "\"QUALIFIER\", \"KA_ID\", \"ICU_FUN_ID\", \"ICU_FUN_SID\", \"KIS_ID\", \"DOB\", "
                          "\"ADM_DATE\", \"REC_DATE\"";
    std::string values = "'3', ?, ?, ?, ?, ?, ?, ?";
    for (const auto& item : kTiss28Items) {
        columns += ", " + QuoteIdentifier(item.Column);
        values += ", ?";
    }
    return "INSERT INTO " + QuoteIdentifier(kTissTable) + " (" + columns + ", \"T28_SCORE\", \"STUNDEN\") VALUES (" +
           values + ", ?, ?)";
}

static_assert(kTissRecordFields.Items.Width == static_cast<int>(kTiss28Items.size()), "one character per item");

// A refused value is stored as one blank.
constexpr std::string_view kRefused = " ";

// A field of the import line as stored: decoded and blank-padded to its width. The refused blank
// stays a single blank, as the program has always stored it.
std::string Stored(std::string_view field, std::size_t width)
{
    if (field == kRefused) return std::string(kRefused);
    return FitToWidth(DecodeWindows1252(field), width);
}

// A date field as stored when it is a valid date; otherwise an "Error" for `parameter` and the
// refused blank.
std::string CheckedDate(ImportChecks& checks, std::string_view parameter, std::string_view line, LineField field)
{
    const std::string_view value = FieldAt(line, field);
    if (CheckDate(value, field.Width) != kDateValid16) {
        checks.ReportError(parameter, line);
        return std::string(kRefused);
    }
    return Stored(value, field.Width);
}

bool IsRowRefusal(const StorageError& error)
{
    return error.IsRowRefused();
}

}  // namespace

struct RecordReaders::KeyFields {
    std::string KaId;
    std::string IcuFunId;
    std::string IcuFunSid;
    std::string KisId;
    std::string Dob;
    std::string AdmDate;
};

RecordReaders::RecordReaders(Database& workingCopy, ImportChecks& checks)
    : m_checks(checks), m_insertStayRecord(workingCopy, InsertStayRecordSql()),
      m_insertTissRecord(workingCopy, InsertTissRecordSql())
{}

RecordReaders::KeyFields RecordReaders::ReadKeyFields(std::string_view line, std::string_view hospital,
                                                      std::string_view department)
{
    KeyFields key;
    if (FieldAt(line, kKeyFields.Hospital) != hospital) {
        m_checks.ReportError("KA", line);
        key.KaId = kRefused;
    } else {
        key.KaId = Stored(hospital, kKeyFields.Hospital.Width);
    }
    if (FieldAt(line, kKeyFields.Department) != department) {
        m_checks.ReportError("Abteilung", line);
        key.IcuFunId = kRefused;
        key.IcuFunSid = kRefused;
    } else {
        // The department code is ICU_FUN_ID, then ICU_FUN_SID.
        constexpr auto kSidWidth = kKeyFields.Department.Width - kDepartmentCodeWidth;
        key.IcuFunId = Stored(department.substr(0, kDepartmentCodeWidth), kDepartmentCodeWidth);
        key.IcuFunSid = Stored(department.substr(kDepartmentCodeWidth, kSidWidth), kSidWidth);
    }
    key.KisId = Stored(CheckAdmissionNumber(m_checks, line, kKeyFields.KisId), kKeyFields.KisId.Width);

    key.Dob = CheckedDate(m_checks, "Geburtsdatum", line, kKeyFields.Dob);
    key.AdmDate = CheckedDate(m_checks, "Aufnahmezeitpunkt", line, kKeyFields.AdmDate);
    m_storedUnmatchedKey = m_storedUnmatchedKey || key.Dob == kRefused || key.AdmDate == kRefused;
    return key;
}

void RecordReaders::ReadStayRecord(std::string_view line, std::string_view hospital, std::string_view department,
                                   std::string_view /*origin*/)
{
    const KeyFields key = ReadKeyFields(line, hospital, department);

    const std::string disDate = CheckedDate(m_checks, "Entlassungszeitpunkt", line, kStayRecordFields.DisDate);

    const std::string outcome =
        CheckRequiredNumber(m_checks, "Entlassungszustand", line, kStayRecordFields.IcuOutcome, 1, 4);
    m_checks.StayDerived.Outcome = DecodeWindows1252(outcome);

    const LineField hospDisDateField = kStayRecordFields.HospDisDate;
    const std::string_view hospitalDischarge = FieldAt(line, hospDisDateField);
    std::string hospDisDate(hospDisDateField.Width, ' ');
    if (!IsBlank(hospitalDischarge)) {
        hospDisDate = Stored(hospitalDischarge, hospDisDateField.Width);
        if (CheckDate(hospitalDischarge, hospDisDateField.Width) != kDateValid16) {
            m_checks.ReportByLevel("Spitalsentlassungsdatum", line);
        }
    }
    const LineField hospMortField = kStayRecordFields.HospMort;
    const std::string hospMort =
        m_checks.Strict ? CheckNumberError(m_checks, "Spitalsentlassungszustand", line, hospMortField, 1, 2)
                        : CheckNumberWarning(m_checks, "Spitalsentlassungszustand", line, hospMortField, 1, 2);

    // Length of stay, from the line's own dates: a refused date gives blanks, never a finding.
    const std::string_view admission = FieldAt(line, kKeyFields.AdmDate);
    const std::string_view discharge = FieldAt(line, kStayRecordFields.DisDate);
    auto& derived = m_checks.StayDerived;
    const bool datesValid = CheckDate(admission, kKeyFields.AdmDate.Width) == kDateValid16 &&
                            CheckDate(discharge, kStayRecordFields.DisDate.Width) == kDateValid16;
    if (!datesValid) {
        derived.CareDays = "";
        derived.StayHours = "";
    } else {
        const int careDays = DaysBetween(admission.substr(0, 8), discharge.substr(0, 8));
        derived.CareDays = std::to_string(careDays);
        derived.StayHours = careDays != 0
                                ? std::string()
                                : std::to_string(FullHoursBetween(admission.substr(8, 4), discharge.substr(8, 4)));
    }
    const double careDaysValue = Val(derived.CareDays.str());
    if (careDaysValue < 0 || (careDaysValue == 0 && Val(derived.StayHours.str()) < 0)) {
        m_checks.ReportError("Aufnahmezeitpunkt", line, "Entlassung vor Aufnahme");
    }
    const std::string_view birth = FieldAt(line, kKeyFields.Dob);
    if (CheckDate(birth, kKeyFields.Dob.Width) != kDateValid16 ||
        CheckDate(admission, kKeyFields.AdmDate.Width) != kDateValid16) {
        derived.AgeYears = "";
    } else {
        derived.AgeYears = std::to_string(AgeInYears(birth, admission));
    }

    m_insertStayRecord.BindAll(key.KaId, key.IcuFunId, key.IcuFunSid, key.KisId, key.Dob, key.AdmDate, disDate,
                               Stored(outcome, kStayRecordFields.IcuOutcome.Width), hospDisDate,
                               Stored(hospMort, hospMortField.Width));
    StoreRow(m_insertStayRecord, line);
}

void RecordReaders::ReadTissRecord(std::string_view line, std::string_view hospital, std::string_view department,
                                   std::string_view /*origin*/)
{
    const KeyFields key = ReadKeyFields(line, hospital, department);

    const std::string recDate = CheckedDate(m_checks, "Erhebungsdatum", line, kTissRecordFields.RecDate);

    Tiss28ItemValues items;
    for (std::size_t i = 0; i < kTiss28Items.size(); ++i) {
        const std::string_view label = kTiss28Items[i].ImportLabel;
        const LineField field = TissItemField(static_cast<int>(i));
        items[i] = m_checks.Strict ? CheckNumberError(m_checks, label, line, field, 0, 1)
                                   : CheckNumberWarning(m_checks, label, line, field, 0, 1);
    }

    // Bound without copies: every value lives until the row is stored below.
    int index = 0;
    for (const std::string* value : std::initializer_list<const std::string*>{
             &key.KaId, &key.IcuFunId, &key.IcuFunSid, &key.KisId, &key.Dob, &key.AdmDate, &recDate}) {
        m_insertTissRecord.BindStatic(++index, *value);
    }
    std::array<std::string, 28> decodedItems;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const bool plainByte = static_cast<unsigned char>(items[i].front()) < 0x80;
        if (!plainByte) decodedItems[i] = Stored(items[i], 1);
        m_insertTissRecord.BindStatic(++index, plainByte ? items[i] : decodedItems[i]);
    }

    std::string score;
    if (m_checks.CheckState != kCheckError) {
        score = ComputeTiss28Score(items);
        if (Val(score) == 0) m_checks.ReportWarning("TISS28", line, "Score beträgt 0 Punkte");
        m_insertTissRecord.BindStatic(++index, score);
    } else {
        m_insertTissRecord.BindNull(++index);  // a record with an error has no score
    }
    if (m_stayHours) {
        m_insertTissRecord.BindStatic(++index, *m_stayHours);
    } else {
        m_insertTissRecord.BindNull(++index);
    }
    StoreRow(m_insertTissRecord, line);
}

void RecordReaders::StoreRow(Statement& insert, std::string_view line)
{
    try {
        insert.Execute();
    } catch (const DuplicateKey&) {
        m_checks.DuplicateRecord = true;
        m_checks.ReportWarning("Datensatz", line, "Mehrfacheinträge");
    } catch (const StorageError& error) {
        // Only a row the table refuses is a finding about the record; a failing database (disk full,
        // locked, damaged) must stop the run instead of marking every following record.
        if (!IsRowRefusal(error)) throw;
        m_checks.ReportError("Datensatz", line, "Fehlerursache unbekannt");
    }
}

}  // namespace kalmora
