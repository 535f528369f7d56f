#include "foundation/DiagnosticLog.h"
#include "foundation/FailureText.h"
#include "foundation/FixedText.h"
#include "foundation/Platform.h"
#include "foundation/Rounding.h"
#include "foundation/SafeFile.h"
#include "foundation/Settings.h"
#include "foundation/UserInterface.h"
#include "foundation/Utf8Path.h"
#include "foundation/Val.h"
#include "foundation/Windows1252.h"
#include "import/CrossRecordChecks.h"
#include "import/FieldChecks.h"
#include "import/ImportErrors.h"
#include "import/ImportFileName.h"
#include "import/ImportLineReader.h"
#include "import/ImportProtocol.h"
#include "import/ImportRun.h"
#include "import/RecordLayout.h"
#include "import/RecordReaders.h"
#include "scoring/TissDayPreparation.h"
#include "storage/CopyTables.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/DepartmentTemplate.h"
#include "storage/Integrity.h"
#include "storage/Schema.h"
#include "storage/StayFlags.h"
#include "storage/VerifiedFiles.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace kalmora {

namespace {

constexpr std::string_view kInvalidFileName = "Periode, Jahr, Abteilung oder KA ungültig";
constexpr std::string_view kOtherRecordKind = "nur gültige Satzarten verarbeitbar";
constexpr std::string_view kNoRecords = "kein Datensatz der Satzarten 1 oder 3";
constexpr std::string_view kStoringFailed = kStoringFailedComment;
constexpr std::string_view kMissingStay = "Satzart 1 des Aufenthalts fehlt oder folgt erst später";

// The progress text is repainted at most this often; the per-line cost stays a clock read.
constexpr auto kProgressInterval = std::chrono::milliseconds(200);

// The scratch database of a run, under a name no other run uses: removed, with any journal, when the
// run leaves, whatever the path.
class ScratchDatabase {
public:
    explicit ScratchDatabase(const std::filesystem::path& directory)
    {
        std::random_device random;
        for (int attempt = 0; attempt < kScratchNameAttempts; ++attempt) {
            m_file = directory / (std::string(kScratchDatabasePrefix) + std::to_string(random()) +
                                  std::string(kScratchDatabaseSuffix));
            if (platform::CreateFileExclusively(m_file)) return;
        }
        throw std::filesystem::filesystem_error("create", m_file, std::make_error_code(std::errc::file_exists));
    }
    ~ScratchDatabase()
    {
        try {
            RemoveDatabaseFiles(m_file);
        } catch (...) {
            // Removing it at the next run is enough.
        }
    }
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;
    const std::filesystem::path& Path() const { return m_file; }

private:
    static constexpr int kScratchNameAttempts = 100;
    std::filesystem::path m_file;
};

// Record key fields cut from an import line, as the stay table holds them.
struct StayKey {
    std::string KisId;
    std::string Dob;
    std::string AdmDate;

    bool operator==(const StayKey&) const = default;
};

// DIS_YEARMONTH: JJJJMM of the discharge.
constexpr int kYearMonthWidth = 6;

// A field of the line as the tables hold it: decoded and blank-padded to its width.
std::string StoredField(std::string_view line, LineField field)
{
    return FitToWidth(DecodeWindows1252(FieldAt(line, field)), static_cast<std::size_t>(field.Width));
}

StayKey KeyOfLine(std::string_view line)
{
    return {StoredField(line, kKeyFields.KisId), StoredField(line, kKeyFields.Dob),
            StoredField(line, kKeyFields.AdmDate)};
}

// The sum record's total: (count 1 + count 2) rounded, plus count 3 plus count 4, rounded again,
// a half to even.
std::int32_t SumRecordTotal(std::string_view line)
{
    auto count = [&line](std::size_t index) { return Val(FieldAt(line, kSumRecordCounts.at(index))); };
    const double firstTwo = RoundHalfToEven(count(0) + count(1));
    const double total = RoundHalfToEven(firstTwo + count(2) + count(3));
    // Counts written with an exponent ("9D99") can leave the range; such a total matches no count
    // of records, and is held at the range's end, where it still does not.
    constexpr auto kLowest = std::numeric_limits<std::int32_t>::min();
    constexpr auto kHighest = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(total)) return kLowest;
    return static_cast<std::int32_t>(std::clamp(total, double{kLowest}, double{kHighest}));
}

// The stay table of the working copy, reached by key as the reading of the lines needs it.
class StayTable {
public:
    explicit StayTable(Database& workingCopy)
        : m_find(workingCopy, "SELECT rowid, \"FLAG\", \"STUNDEN\" FROM " + QuoteIdentifier(kStaysTable) +
                                  " WHERE \"KIS_ID\" = ? AND \"DOB\" = ? AND \"ADM_DATE\" = ?"),
          m_delete(workingCopy, "DELETE FROM " + QuoteIdentifier(kStaysTable) + " WHERE rowid = ?"),
          m_add(workingCopy, "INSERT INTO " + QuoteIdentifier(kStaysTable) +
                                 " (\"KA_ID\", \"ICU_FUN_ID\", \"ICU_FUN_SID\", \"KIS_ID\", \"DOB\", \"ADM_DATE\", "
                                 "\"Satzart_1\", \"Satzart_3\", \"FLAG\") VALUES (?, ?, ?, ?, ?, ?, 0, 0, ?)"),
          m_countStayRecord(workingCopy, "UPDATE " + QuoteIdentifier(kStaysTable) +
                                             " SET \"Satzart_1\" = \"Satzart_1\" + 1, \"DIS_YEARMONTH\" = ?, "
                                             "\"DIS_DATE\" = ?, \"BD\" = ?, \"Alter\" = ?, \"TYP\" = 'INT', "
                                             "\"ICU_OUTCOME\" = ?, \"STUNDEN\" = ? WHERE rowid = ?"),
          m_countTissRecords(workingCopy, "UPDATE " + QuoteIdentifier(kStaysTable) +
                                              " SET \"Satzart_3\" = \"Satzart_3\" + ? WHERE rowid = ?"),
          m_setFlag(workingCopy, "UPDATE " + QuoteIdentifier(kStaysTable) + " SET \"FLAG\" = ? WHERE rowid = ?"),
          m_replaceFilledDay(workingCopy, "DELETE FROM " + QuoteIdentifier(kTissTable) +
                                              " WHERE \"KIS_ID\" = ? AND \"DOB\" = ? AND \"ADM_DATE\" = ? "
                                              "AND \"REC_DATE\" = ? AND \"QUALIFIER\" IN (?, ?, ?)"),
          m_database(workingCopy)
    {
        auto last = workingCopy.Prepare("SELECT coalesce(max(rowid), 0) FROM " + QuoteIdentifier(kStaysTable));
        last.Step();
        m_lastEarlierRowId = last.Int(0);
    }

    struct Row {
        std::int64_t RowId;
        std::string Flag;
        std::optional<std::string> Stunden;
    };

    // The stay of the key, or null. The survey days of a stay follow it in the file, so the last stay
    // found is kept and its survey day count is written once when the next stay comes.
    Row* Find(const StayKey& key)
    {
        if (m_current && m_currentKey == key) return &*m_current;
        Flush();
        m_current.reset();
        m_find.BindAll(key.KisId, key.Dob, key.AdmDate);
        if (m_find.Step()) {
            m_current = Row{m_find.Int(0), m_find.Text(1), std::nullopt};
            if (!m_find.IsNull(2)) m_current->Stunden = m_find.Text(2);
            m_currentKey = key;
        }
        m_find.Reset();
        return m_current ? &*m_current : nullptr;
    }

    // Creates the stay anew, without the records of an earlier row of the same key.
    Row& Recreate(const Row* existing, const StayKey& key, const ImportFileNameCodes& codes)
    {
        if (existing) {
            m_pendingSurveyDays = 0;  // they went with the old row
            m_delete.BindAll(existing->RowId).Execute();
        } else {
            Flush();
        }
        m_add
            .BindAll(codes.Hospital, codes.Department.substr(0, 6), codes.Department.substr(6, 2), key.KisId, key.Dob,
                     key.AdmDate, kStayCorrect)
            .Execute();
        m_current = Row{m_database.LastInsertRowId(), std::string(kStayCorrect), std::nullopt};
        m_currentKey = key;
        return *m_current;
    }

    // Writes the survey day count still held for the current stay.
    void Flush()
    {
        if (m_pendingSurveyDays == 0 || !m_current) return;
        m_countTissRecords.BindAll(m_pendingSurveyDays, m_current->RowId).Execute();
        m_pendingSurveyDays = 0;
    }

    void CountStayRecord(Row& row, std::string_view line, const StayDerivedValues& derived)
    {
        const bool sameDayStay = Val(derived.CareDays.str()) == 0;
        const bool alive = derived.Outcome == "1" || derived.Outcome == "2";
        row.Stunden = sameDayStay && alive ? derived.StayHours.str() : std::string("99");
        m_countStayRecord
            .BindAll(StoredField(line, kStayRecordFields.DisDate.Leading(kYearMonthWidth)),
                     StoredField(line, kStayRecordFields.DisDate), derived.CareDays.str(), derived.AgeYears.str(),
                     derived.Outcome.str(), *row.Stunden, row.RowId)
            .Execute();
    }

    void CountTissRecord() { ++m_pendingSurveyDays; }

    void SetFlag(Row& row, std::string_view flag)
    {
        if (row.Flag == flag) return;
        row.Flag = flag;
        m_setFlag.BindAll(row.Flag, row.RowId).Execute();
    }

    // A survey day delivered for a day that holds only a filled-in row replaces that row. Only stays
    // stored before this run can have such rows; new rows get higher row ids.
    void MakeRoomForSurveyDay(const Row& row, const StayKey& key, std::string_view line)
    {
        if (row.RowId > m_lastEarlierRowId) return;
        m_replaceFilledDay
            .BindAll(key.KisId, key.Dob, key.AdmDate, StoredField(line, kTissRecordFields.RecDate), kFilledAdmissionDay,
                     kFilledMiddleDay, kFilledDischargeDay)
            .Execute();
    }

private:
    Statement m_find;
    Statement m_delete;
    Statement m_add;
    Statement m_countStayRecord;
    Statement m_countTissRecords;
    Statement m_setFlag;
    Statement m_replaceFilledDay;
    Database& m_database;
    std::int64_t m_lastEarlierRowId = 0;
    std::optional<Row> m_current;
    StayKey m_currentKey;
    int m_pendingSurveyDays = 0;
};

// A program that crashed while writing a database leaves a journal beside it; opening the database
// through the engine rolls that back, so a plain copy of the file is consistent.
void MakeConsistent(const std::filesystem::path& database)
{
    Database opened(database);
    opened.Execute("SELECT count(*) FROM sqlite_schema");
}

// The department as the admin database knows it.
struct Department {
    bool IsNew = true;
    std::string DatabaseFile;
};

Department FindDepartment(Database& admin, const ImportFileNameCodes& codes)
{
    auto seek = admin.Prepare("SELECT \"MDB_DATEI\" FROM " + QuoteIdentifier(kDepartmentsTable) +
                              " WHERE \"KANR\" = ? AND \"ABTEILUNG\" = ?");
    seek.BindAll(codes.Hospital, codes.Department);
    if (!seek.Step()) return {true, std::string(TrimBlanks(codes.DatabaseFile))};
    return {false, std::string(TrimBlanks(seek.Text(0)))};
}

void RegisterDepartment(Database& admin, const ImportFileNameCodes& codes, const Department& department)
{
    if (department.IsNew) {
        admin
            .Prepare("INSERT INTO " + QuoteIdentifier(kDepartmentsTable) +
                     " (\"KANR\", \"ABTEILUNG\", \"MDB_DATEI\", \"SBETT\", \"DGKP\", \"Status\", \"VOREINSTUFUNG\") "
                     "VALUES (?, ?, ?, 0, 0, 'EXTERN', ' ')")
            .BindAll(codes.Hospital, codes.Department, FitToWidth(department.DatabaseFile, 12))
            .Execute();
    } else {
        admin
            .Prepare("UPDATE " + QuoteIdentifier(kDepartmentsTable) +
                     " SET \"Status\" = 'EXTERN' WHERE \"KANR\" = ? AND \"ABTEILUNG\" = ?")
            .BindAll(codes.Hospital, codes.Department)
            .Execute();
    }
}

std::int64_t CountStays(Database& workingCopy)
{
    auto count = workingCopy.Prepare("SELECT count(*) FROM " + QuoteIdentifier(kStaysTable));
    count.Step();
    return count.Int(0);
}

// Shows the line progress, repainting at most a few times per second.
class ProgressText {
public:
    ProgressText(UserInterface& ui, const ImportRun& run) : m_ui(ui), m_run(run) {}

    void Line(long lineNumber)
    {
        if ((lineNumber & 0xFF) != 1 && lineNumber != 1) return;
        const auto now = std::chrono::steady_clock::now();
        if (lineNumber != 1 && now - m_shown < kProgressInterval) return;
        Show(lineNumber);
        m_shown = now;
    }

    void Show(long lineNumber)
    {
        m_ui.SetStatusText(1, " Überprüfe Datensatz " + std::to_string(lineNumber) + " ... (" +
                                  std::to_string(m_run.CurrentFileIndex) + "/" +
                                  std::to_string(m_run.SelectedFileCount) + ")");
        m_ui.ProcessPendingEvents();
    }

private:
    UserInterface& m_ui;
    const ImportRun& m_run;
    std::chrono::steady_clock::time_point m_shown;
};

struct ReadingOutcome {
    bool OtherRecordKind = false;
    bool UnmatchedRecords = false;  // records stored under a refused key field
    bool MissingStays = false;      // a survey day without its stay was refused
    SumRecord Sum;
};

ReadingOutcome ReadLines(const ImportRun& run, Database& workingCopy, ImportChecks& checks,
                         const ImportFileNameCodes& codes, UserInterface& ui)
{
    ReadingOutcome outcome;
    StayTable stays(workingCopy);
    RecordReaders readers(workingCopy, checks);
    ProgressText progress(ui, run);
    ImportLineReader reader(run.ImportFilePath);
    std::string line;
    long lineNumber = 0;
    while (reader.Next(line)) {
        checks.CheckState = kCheckOk;
        checks.DuplicateRecord = false;
        progress.Line(++lineNumber);

        if (IsBlank(line) && reader.SkippedOnlyBlanks()) continue;
        const char kind = line.front();
        if (kind == '$') {
            outcome.Sum = {true, SumRecordTotal(line)};
            continue;
        }
        if (kind == '2' || kind == '4') continue;
        if (kind != '1' && kind != '3') {
            checks.CheckState = kCheckOtherRecordKind;
            outcome.OtherRecordKind = true;
            break;
        }

        const StayKey key = KeyOfLine(line);
        StayTable::Row* stay = stays.Find(key);
        if (kind == '1') {
            stay = &stays.Recreate(stay, key, codes);
            readers.ReadStayRecord(line, codes.Hospital, codes.Department, kExternalImportOrigin);
            if (!checks.DuplicateRecord) stays.CountStayRecord(*stay, line, checks.StayDerived);
        } else {
            if (!stay) {
                // A survey day can only join a stay that exists; refuse it and go on.
                checks.ReportError("Datensatz", line, kMissingStay);
                outcome.MissingStays = true;
                continue;
            }
            stays.MakeRoomForSurveyDay(*stay, key, line);
            readers.SetStayHours(stay->Stunden);
            readers.ReadTissRecord(line, codes.Hospital, codes.Department, kExternalImportOrigin);
            if (!checks.DuplicateRecord) stays.CountTissRecord();
        }
        if (checks.CheckState == kCheckError) {
            stays.SetFlag(*stay, kStayRejected);
        } else if (checks.CheckState == kCheckWarning && stay->Flag != kStayRejected) {
            stays.SetFlag(*stay, kStayWithWarnings);
        }
    }
    stays.Flush();
    outcome.UnmatchedRecords = readers.StoredUnmatchedKey();
    progress.Show(lineNumber);
    return outcome;
}

void ChangeStayFlags(Database& workingCopy, std::string_view from, std::string_view to)
{
    workingCopy.Prepare("UPDATE " + QuoteIdentifier(kStaysTable) + " SET \"FLAG\" = ? WHERE \"FLAG\" = ?")
        .BindAll(to, from)
        .Execute();
}

// Removes the rejected stays with their records, and records whose stay is gone (a refused key
// field stored as a blank no longer matches its stay). Returns the number of stays left.
std::int64_t RemoveRejectedStays(Database& workingCopy, bool unmatchedRecords)
{
    // The stays take their records with them (the schema's trigger).
    workingCopy.Prepare("DELETE FROM " + QuoteIdentifier(kStaysTable) + " WHERE \"FLAG\" = ?")
        .BindAll(kStayRejected)
        .Execute();
    if (!unmatchedRecords) return CountStays(workingCopy);
    for (const std::string_view table : {kStayRecordsTable, kTissTable}) {
        workingCopy.Execute("DELETE FROM " + QuoteIdentifier(table) + " AS r WHERE NOT EXISTS (SELECT 1 FROM " +
                            QuoteIdentifier(kStaysTable) +
                            " AS g WHERE g.\"KIS_ID\" = r.\"KIS_ID\" AND g.\"DOB\" = r.\"DOB\" AND "
                            "g.\"ADM_DATE\" = r.\"ADM_DATE\")");
    }
    return CountStays(workingCopy);
}

// Survey days read from the file got their stay's hours when they were stored; the days filled in
// afterwards get them here.
void PrepareStaysForStoring(Database& workingCopy)
{
    workingCopy.Execute(
        "UPDATE " + QuoteIdentifier(kTissTable) + " AS t SET \"STUNDEN\" = g.\"STUNDEN\" FROM " +
        QuoteIdentifier(kStaysTable) +
        " AS g WHERE g.\"ADM_DATE\" = t.\"ADM_DATE\" AND g.\"DOB\" = t.\"DOB\" AND g.\"KIS_ID\" = t.\"KIS_ID\" "
        "AND t.\"STUNDEN\" IS NULL");
    for (const auto& flag : kEarlierStayFlags)
        ChangeStayFlags(workingCopy, flag.DuringImport, flag.Stored);
}

// A department's new database starts as a fresh copy of the template, checked (or remembered as
// sound) just before. Only a run that holds the system data lock builds one, so its name beside the
// old one is fixed, and the next run clears what a crashed one left.
void CopyTemplate(Database& admin, const std::filesystem::path& systemDirectory, const SafeFile& building)
{
    platform::CopyFileReplacing(SoundTemplate(admin, systemDirectory), building.Path());
}

// A registered department whose file is gone is refused rather than begun afresh: its stored stays
// would be lost without a word. A previous file that a killed run left is put back when the lock is
// taken, so what is missing here is missing for good.
void RequireDepartmentFile(const std::filesystem::path& file)
{
    if (EntryExists(file)) return;
    throw StorageError("Die Datenbank " + Utf8Of(file) +
                       " der Abteilung wurde nicht gefunden; es wird nichts "
                       "gespeichert. Bitte die Datenbank aus der Sicherung zurückspielen.");
}

// What the department's database was when its working copy was made, so that storing can tell
// whether another program wrote it meanwhile (a run on a share whose locks do not reach this
// workstation, a tool of the hospital's IT).
struct StoredState {
    std::filesystem::path File;
    std::optional<platform::FileIdentity> Seen;
};

// Nothing may replace the department's database but the run that holds the lock and read it last,
// and no other program may be writing it: its open transaction is waited for up to the engine's busy
// timeout, and its journal is never removed while it is in use.
void RequireSoleWriter(const ExclusiveLock& lock, const StoredState& stored)
{
    lock.RequireStillHeld();
    std::optional<DatabaseWriteExclusion> exclusion;
    if (stored.Seen) exclusion.emplace(stored.File);
    RequireUnchanged(stored.File, stored.Seen);
    // No journal of the old file may stay beside the new one: it would be played back into it. Under
    // the exclusion none is in use.
    RemoveDatabaseSideFiles(stored.File);
}

// The version of the database built at `file`, after its own full check: a file the disk spoiled
// while it was written is never put in place.
FileVersion CheckedVersion(const std::filesystem::path& file)
{
    {
        Database built(file, OpenMode::ReadOnly);
        CheckDatabase(built, DatabaseKind::Department);
    }
    const auto version = VersionOf(file);
    if (!version) throw StorageError("Die neu erstellte Datenbank " + Utf8Of(file) + " ist verschwunden.");
    return *version;
}

// What went wrong after the new file was in place: the stays are stored; the failure is told.
std::vector<std::string> LateFailures(std::error_code syncFailure, const std::filesystem::path& previous)
{
    std::vector<std::string> failures;
    if (syncFailure) failures.push_back(FolderNotSyncedText(syncFailure));
    try {
        RemoveDatabaseFiles(previous);
    } catch (const std::filesystem::filesystem_error& error) {
        failures.push_back("Die vorige Datenbank " + Utf8Of(previous.filename()) +
                           " konnte nicht entfernt werden: " + GermanErrorText(error.code()));
    }
    return failures;
}

// Builds the department's new database beside the old one, registers the department and puts the
// new file in place. The old file stays until the new one is complete, and comes back when
// registering fails, so the department always has either its old or its new database. Returns what
// failed after the new file was in place, which does not undo the storing.
std::vector<std::string> StoreDepartment(Database& workingCopy, Database& admin,
                                         const std::filesystem::path& systemDirectory, const ImportFileNameCodes& codes,
                                         const Department& department, const StoredState& stored,
                                         const ExclusiveLock& lock)
{
    const auto& target = stored.File;
    const auto previous = PreviousDatabaseOf(target);
    RequireNoUnsettledPrevious(target);
    std::error_code syncFailure;
    std::string commitFailure;
    try {
        SafeFile building(target, SafeFile::Sibling::Fixed);
        CopyTemplate(admin, systemDirectory, building);
        CopyTablesToDatabase(workingCopy, building.Path(), CopyTarget::Fresh);
        const FileVersion built = CheckedVersion(building.Path());
        // The version about to be put in place of the previous file tells a later run that the
        // previous file may go, should this run be killed before it removes it. It is stored before
        // the previous file is kept: until the new file is in place, the version does not match, and
        // the previous file is then a second name of the database or put back.
        {
            Transaction placing(admin);
            VerifiedFiles(admin).Remember(Utf8Of(target.filename()), built, PlacedVersion::OverPrevious);
            placing.Commit();
        }

        Transaction registration(admin);
        RegisterDepartment(admin, codes, department);
        RequireSoleWriter(lock, stored);
        const bool hadPrevious = stored.Seen.has_value();
        if (hadPrevious) KeepPreviousDatabase(target, previous);
        syncFailure = building.Commit();
        try {
            registration.Commit();
        } catch (...) {
            if (hadPrevious) {
                RemoveDatabaseSideFiles(target);
                ReplaceFileDurably(previous, target);
            } else {
                RemoveDatabaseFiles(target);
            }
            throw;
        }
        commitFailure = registration.LateFailure();
    } catch (...) {
        UndoKeepingPrevious(target);
        throw;
    }
    auto failures = LateFailures(syncFailure, previous);
    if (!commitFailure.empty()) {
        failures.insert(failures.begin(), "Die Verwaltungsdatenbank ist gespeichert, ihre Sperre wurde danach "
                                          "nicht aufgehoben: " +
                                              commitFailure);
    }
    return failures;
}

// Puts a fresh copy of the template in place of the department's database, in one step: every stay
// the department held was rejected, and an empty department keeps its admin row as it was.
std::vector<std::string> EmptyDepartment(Database& admin, const std::filesystem::path& systemDirectory,
                                         const StoredState& stored, const ExclusiveLock& lock)
{
    RequireNoUnsettledPrevious(stored.File);
    SafeFile building(stored.File, SafeFile::Sibling::Fixed);
    CopyTemplate(admin, systemDirectory, building);
    const FileVersion built = CheckedVersion(building.Path());
    RequireSoleWriter(lock, stored);
    const std::error_code syncFailure = building.Commit();
    std::vector<std::string> failures;
    try {
        VerifiedFiles(admin).Remember(Utf8Of(stored.File.filename()), built);
    } catch (const StorageError& error) {
        // Only the check is done once more next time.
        failures.push_back(error.what());
    }
    if (syncFailure) failures.push_back(FolderNotSyncedText(syncFailure));
    return failures;
}

// The fixed text tells the user that the file was not stored; the reason (a full disk, a file
// system without hard links, ...) goes into the protocol and the diagnostic log.
// A finding about the file as a whole, in the diagnostic log and in a protocol line of the file.
void ReportAboutFile(const ImportRun& run, ImportProtocol& protocol, const Settings& settings,
                     const ImportFileNameCodes& codes, std::string_view severity, const std::string& reason)
{
    WriteDiagnostic(HeldDirectoryPath(settings.SystemDataPath).value_or(""), "Import " + run.ImportFileName, reason);
    protocol.WriteProtocolLine(severity, " ", EncodeWindows1252("0" + codes.Hospital + codes.Department), reason);
}

void ReportStoringFailure(ImportRun& run, ImportProtocol& protocol, const Settings& settings,
                          const ImportFileNameCodes& codes, const std::exception& error)
{
    run.FileResult = FileResultWithoutNumbers(kStoringFailed);
    ReportAboutFile(run, protocol, settings, codes, kSeverityError,
                    std::string(kStoringFailed) + ": " + GermanReason(error));
}

// The stays are stored; what failed afterwards goes into the log and a warning line of the protocol.
void ReportLateFailures(const ImportRun& run, ImportProtocol& protocol, const Settings& settings,
                        const ImportFileNameCodes& codes, const std::vector<std::string>& failures)
{
    for (const auto& failure : failures)
        ReportAboutFile(run, protocol, settings, codes, kSeverityWarning, "Daten gespeichert, danach: " + failure);
}

// The part of the import after the file name is known to be valid. Failures of the databases and
// the disk (a department file missing, damaged or of another layout, a full disk) throw; the caller
// reports them for this file, and the run goes on with the next.
void ImportValidFile(ImportRun& run, ImportProtocol& protocol, const ImportEnvironment& environment,
                     const ExclusiveLock& lock, Database& admin, const ImportFileNameCodes& codes)
{
    const Settings& settings = environment.Config;
    UserInterface& ui = environment.Ui;
    const Department department = FindDepartment(admin, codes);
    const auto systemDirectory = DataFilePath(settings.SystemDataPath, "");
    const auto departmentFile = DataFilePath(settings.SystemDataPath, department.DatabaseFile);
    if (auto refusal = RefusalOfLink(departmentFile)) throw *refusal;
    const bool fromTemplate = department.IsNew || run.InitialiseDepartment;
    // A damaged department database, or a file of another layout, is left as it is: storing would
    // carry its damage into the new file.
    std::filesystem::path source = departmentFile;
    if (fromTemplate) {
        source = SoundTemplate(admin, systemDirectory);
    } else {
        RequireDepartmentFile(departmentFile);
        MakeConsistent(source);
        Database stored(source, OpenMode::ReadOnly);
        VerifyDatabase(admin, stored, DatabaseKind::Department);
    }
    const StoredState stored{departmentFile, platform::IdentityOf(departmentFile)};
    ScratchDatabase scratch(systemDirectory);
    platform::CopyFileReplacing(source, scratch.Path());
    platform::ShareWithGroup(scratch.Path());
    Database workingCopy(scratch.Path());
    // The working copy is disposable: no durability, but statement rollback for refused rows.
    // Width checks are left to the copy into the department database, which fails loudly.
    workingCopy.Execute("PRAGMA journal_mode = MEMORY; PRAGMA synchronous = OFF; "
                        "PRAGMA ignore_check_constraints = ON; PRAGMA cache_size = -32768");
    std::optional<Transaction> scratchWork;
    scratchWork.emplace(workingCopy);
    // The stays stored before this run keep their state under a flag of their own while it lasts.
    for (const auto& flag : kEarlierStayFlags)
        ChangeStayFlags(workingCopy, flag.Stored, flag.DuringImport);

    ImportChecks checks{protocol};
    checks.Strict = StrictChecks(settings);
    const ReadingOutcome reading = ReadLines(run, workingCopy, checks, codes, ui);
    if (reading.OtherRecordKind) {
        run.FileResult = FileResultWithoutNumbers(kOtherRecordKind);
        return;
    }

    const std::int64_t stayCount = CountStays(workingCopy);
    if (stayCount < 1) {
        run.FileResult = FileResultWithoutNumbers(kNoRecords);
        return;
    }
    CrossRecordTotals totals = CheckStays(workingCopy, protocol, codes.Hospital, codes.Department, reading.Sum);
    totals.HasMessages = totals.HasMessages || reading.MissingStays;

    if (RemoveRejectedStays(workingCopy, reading.UnmatchedRecords) == 0) {
        // No stay is left, of this file or stored before: the department is emptied, as storing
        // would leave it. A department not registered yet gets no database.
        run.FileResult = FileResultWithoutNumbers(kNoRecords);
        if (department.IsNew) return;
        scratchWork.reset();
        const auto lateFailures = EmptyDepartment(admin, systemDirectory, stored, lock);
        ++run.FilesStored;
        ReportLateFailures(run, protocol, settings, codes, lateFailures);
        return;
    }
    PrepareStaysForStoring(workingCopy);
    scratchWork->Commit();
    scratchWork.reset();

    ui.SetStatusText(1, " Importiere gültige Datensätze ");
    ui.ProcessPendingEvents();
    const auto lateFailures = StoreDepartment(workingCopy, admin, systemDirectory, codes, department, stored, lock);
    ++run.FilesStored;
    const auto patients = static_cast<int>(stayCount - totals.EarlierCount);
    // A stay delivered again later in the file starts afresh, but the findings about its earlier
    // records stay in the protocol, and the result row must point to them.
    run.FileResult = FormatFileResult(patients, patients - totals.RejectedCount,
                                      totals.HasMessages || protocol.HasLinesOfFile() || !lateFailures.empty());
    ReportLateFailures(run, protocol, settings, codes, lateFailures);
}

}  // namespace

void ImportFile(ImportRun& run, ImportProtocol& protocol, const ImportEnvironment& environment,
                const ExclusiveLock& lock)
{
    protocol.SetImportFileName(run.ImportFileName);
    Database admin(DataFilePath(environment.Config.SystemDataPath, kAdminDatabaseFile));
    // A refused name touches no database: its codes may not even make a file name.
    std::string& resultRow = run.ResultRows.Entries.at(static_cast<std::size_t>(run.CurrentFileIndex - 1));
    if (CheckImportFileName(run.ImportFileName, admin, resultRow, environment.Ui) != kCheckOk) {
        run.FileResult = FileResultWithoutNumbers(kInvalidFileName);
        return;
    }
    const ImportFileNameCodes codes = DeriveImportFileNameCodes(run.ImportFileName);
    try {
        ImportValidFile(run, protocol, environment, lock, admin, codes);
    } catch (const StorageError& error) {
        ReportStoringFailure(run, protocol, environment.Config, codes, error);
    } catch (const std::filesystem::filesystem_error& error) {
        ReportStoringFailure(run, protocol, environment.Config, codes, error);
    }
}

}  // namespace kalmora
