#include "storage/Database.h"

#include "foundation/Utf8Path.h"
#include "foundation/Val.h"
#include "storage/SimulatedEngineFaults.h"

#include <sqlite3.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>

namespace kalmora {

namespace {

constexpr int kBusyTimeoutMs = 5000;

bool IsDuplicateKeyCode(int extendedCode)
{
    return extendedCode == SQLITE_CONSTRAINT_UNIQUE || extendedCode == SQLITE_CONSTRAINT_PRIMARYKEY;
}

void ValFunction(sqlite3_context* context, int /*argc*/, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int size = sqlite3_value_bytes(argv[0]);
    sqlite3_result_double(context, Val(std::string_view(text ? text : "", static_cast<std::size_t>(size))));
}

// Process-wide engine settings, made once before the first connection: no memory statistics,
// which cost a lock and bookkeeping on every allocation.
void ConfigureEngineOnce()
{
    static const bool configured = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        RegisterSimulatedEngineFaults();
        return true;
    }();
    (void)configured;
}

int OpenFlags(OpenMode mode)
{
    switch (mode) {
    case OpenMode::ReadOnly:
        return SQLITE_OPEN_READONLY;
    case OpenMode::CreateNew:
        return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    case OpenMode::Memory:
        return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_MEMORY;
    case OpenMode::ReadWrite:
        break;
    }
    return SQLITE_OPEN_READWRITE;
}

// The engine's own messages are English; the user reads the cause in German, and the code tells the
// rest to the hospital IT.
std::string GermanEngineText(int extendedCode, std::string_view engineMessage)
{
    // A damaged database lacks a table or column; its name is what the IT needs to know.
    for (const auto& [english, german] : {std::pair{std::string_view("no such table: "), "es fehlt die Tabelle "},
                                          std::pair{std::string_view("no such column: "), "es fehlt die Spalte "}}) {
        if (engineMessage.starts_with(english)) return german + std::string(engineMessage.substr(english.size()));
    }
    switch (extendedCode & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "die Datenbank wird gerade von einem anderen Programm verwendet";
    case SQLITE_FULL:
        return "kein Speicherplatz mehr auf dem Datenträger";
    case SQLITE_IOERR:
        return "Ein-/Ausgabefehler beim Zugriff auf den Datenträger";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return "die Datei ist beschädigt oder keine Datenbank";
    case SQLITE_CANTOPEN:
        return "die Datei kann nicht geöffnet werden";
    case SQLITE_READONLY:
        return "die Datenbank ist schreibgeschützt";
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return "Zugriff verweigert";
    case SQLITE_CONSTRAINT:
        return "ein Datensatz verletzt eine Regel der Tabelle";
    case SQLITE_NOMEM:
        return "nicht genug Arbeitsspeicher";
    case SQLITE_TOOBIG:
        return "ein Wert ist zu groß";
    case SQLITE_SCHEMA:
    case SQLITE_ERROR:
        return "die Datenbank hat nicht den erwarteten Aufbau (Fehlercode " + std::to_string(extendedCode) + ")";
    default:
        return "Datenbankfehler (Fehlercode " + std::to_string(extendedCode) + ")";
    }
}

}  // namespace

std::optional<StorageError> RefusalOfLink(const std::filesystem::path& file)
{
    std::error_code notFound;
    if (!std::filesystem::is_symlink(file, notFound)) return std::nullopt;
    return StorageError("Die Datenbank " + file.string() +
                            " ist eine symbolische Verknüpfung; Kalmora arbeitet nur mit gewöhnlichen Dateien.",
                        SQLITE_CANTOPEN);
}

void Database::Closer::operator()(sqlite3* handle) const
{
    sqlite3_close_v2(handle);
}

Database::Database(const std::filesystem::path& file, OpenMode mode) : m_path(file)
{
    if (mode == OpenMode::CreateNew && std::filesystem::exists(file)) {
        throw StorageError("Datenbank existiert bereits: " + file.string(), SQLITE_CANTOPEN);
    }
    // Refused for reading too, so that every part of the program sees the same files.
    if (mode != OpenMode::Memory) {
        if (auto refusal = RefusalOfLink(file)) throw *refusal;
    }
    ConfigureEngineOnce();
    sqlite3* handle = nullptr;
    // A connection is only ever used by the thread that opened it.
    const int result = sqlite3_open_v2(Utf8Of(file).c_str(), &handle,
                                       OpenFlags(mode) | SQLITE_OPEN_EXRESCODE | SQLITE_OPEN_NOMUTEX, nullptr);
    m_handle.reset(handle);
    if (result != SQLITE_OK) {
        ThrowLastError(result, "Datenbank kann nicht geöffnet werden");
    }
    sqlite3_busy_timeout(handle, kBusyTimeoutMs);
    // Val reads a text and nothing else, so a view or constraint of a file may use it.
    const int registered =
        sqlite3_create_function_v2(handle, "Val", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                   &ValFunction, nullptr, nullptr, nullptr);
    if (registered != SQLITE_OK) ThrowLastError(registered, "Funktion Val nicht verfügbar");
    // A file's schema may not run other functions with side effects.
    Execute("PRAGMA trusted_schema = OFF");
    if (mode == OpenMode::ReadWrite || mode == OpenMode::CreateNew) UseRollbackJournal();
}

std::string DatabaseHeaderOf(const std::filesystem::path& file)
{
    constexpr std::size_t kHeaderSize = 100;
    std::ifstream in(file, std::ios::binary);
    std::string header(kHeaderSize, '\0');
    in.read(header.data(), static_cast<std::streamsize>(header.size()));
    header.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return header;
}

namespace {

// Whether the file's header marks it as a database in write-ahead-log mode (read and write versions 2).
bool InWriteAheadLogMode(const std::filesystem::path& file)
{
    const std::string header = DatabaseHeaderOf(file);
    return header.size() >= 20 && header[18] == 2 && header[19] == 2;
}

}  // namespace

void Database::UseRollbackJournal()
{
    // Another tool may have left the file in write-ahead-log mode; leaving it takes the log's last
    // changes into the file, so that a copy of the file alone holds them all. That needs the file to
    // itself, as does anything else: what another program holds, or what is no database, is named as
    // such.
    const std::string inWalMode = "Die Datenbank " + m_path.string() +
                                  " wird von einem anderen Programm im WAL-Modus verwendet; bitte dieses Programm "
                                  "beenden und erneut versuchen.";
    std::string mode;
    try {
        auto pragma = Prepare("PRAGMA journal_mode = DELETE");
        if (pragma.Step()) mode = pragma.Text(0);
    } catch (const StorageError& error) {
        // The first statement of a connection is where the engine finds the file is no database.
        if (!error.IsBusy()) ThrowLastError(SQLITE_ERROR, "Datenbank kann nicht geöffnet werden");
        if (InWriteAheadLogMode(m_path)) throw StorageError(inWalMode, error);
        throw StorageError("Die Datenbank " + m_path.string() +
                               " wird gerade von einem anderen Programm verwendet; bitte dieses Programm beenden und "
                               "erneut versuchen.",
                           error);
    }
    if (mode != "delete") throw StorageError(inWalMode, SQLITE_BUSY);
    Execute("PRAGMA synchronous = FULL");
}

Database::~Database() = default;
Database::Database(Database&&) noexcept = default;
Database& Database::operator=(Database&&) noexcept = default;

StorageError::StorageError(const std::string& message) : std::runtime_error(message), m_engineCode(SQLITE_ERROR) {}

bool StorageError::IsRowRefused() const
{
    return (m_engineCode & 0xFF) == SQLITE_CONSTRAINT;
}

bool StorageError::IsBusy() const
{
    return (m_engineCode & 0xFF) == SQLITE_BUSY || (m_engineCode & 0xFF) == SQLITE_LOCKED;
}

bool StorageError::IsUnlockFailure() const
{
    return m_engineCode == SQLITE_IOERR_UNLOCK;
}

bool StorageError::IsUnfinishedWrite() const
{
    return m_engineCode == SQLITE_READONLY_ROLLBACK;
}

bool Database::ExecuteIfPossible(std::string_view sql) noexcept
{
    const std::string text(sql);
    return sqlite3_exec(m_handle.get(), text.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

void Database::Execute(std::string_view sql)
{
    const std::string text(sql);
    char* message = nullptr;
    const int result = sqlite3_exec(m_handle.get(), text.c_str(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (result != SQLITE_OK) ThrowLastError(result, "SQL-Anweisung fehlgeschlagen");
}

Statement Database::Prepare(std::string_view sql)
{
    return Statement(*this, sql);
}

bool Database::InAutocommitMode() const
{
    return sqlite3_get_autocommit(m_handle.get()) != 0;
}

std::int64_t Database::Changes() const
{
    return sqlite3_changes64(m_handle.get());
}

std::int64_t Database::LastInsertRowId() const
{
    return sqlite3_last_insert_rowid(m_handle.get());
}

void Database::ThrowLastError(int resultCode, std::string_view context) const
{
    sqlite3* handle = m_handle.get();
    const int extended = handle ? sqlite3_extended_errcode(handle) : resultCode;
    const std::string engineMessage = handle ? sqlite3_errmsg(handle) : "";
    const std::string message =
        std::string(context) + " (" + m_path.string() + "): " + GermanEngineText(extended, engineMessage);
    if (IsDuplicateKeyCode(extended)) throw DuplicateKey(message, extended);
    throw StorageError(message, extended);
}

Statement::Statement(Database& database, std::string_view sql) : m_database(database)
{
    const int result =
        sqlite3_prepare_v2(database.Handle(), sql.data(), static_cast<int>(sql.size()), &m_handle, nullptr);
    if (result != SQLITE_OK) m_database.ThrowLastError(result, "SQL-Anweisung ungültig");
}

Statement::~Statement()
{
    sqlite3_finalize(m_handle);
}

Statement::Statement(Statement&& other) noexcept : m_database(other.m_database), m_handle(other.m_handle)
{
    other.m_handle = nullptr;
}

Statement& Statement::Bind(int index, std::string_view text)
{
    const int result = sqlite3_bind_text64(m_handle, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    if (result != SQLITE_OK) m_database.ThrowLastError(result, "Wert kann nicht gebunden werden");
    return *this;
}

Statement& Statement::Bind(int index, double value)
{
    const int result = sqlite3_bind_double(m_handle, index, value);
    if (result != SQLITE_OK) m_database.ThrowLastError(result, "Wert kann nicht gebunden werden");
    return *this;
}

Statement& Statement::Bind(int index, std::int64_t value)
{
    const int result = sqlite3_bind_int64(m_handle, index, value);
    if (result != SQLITE_OK) m_database.ThrowLastError(result, "Wert kann nicht gebunden werden");
    return *this;
}

Statement& Statement::BindStatic(int index, std::string_view text)
{
    const int result = sqlite3_bind_text64(m_handle, index, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8);
    if (result != SQLITE_OK) m_database.ThrowLastError(result, "Wert kann nicht gebunden werden");
    return *this;
}

Statement& Statement::BindNull(int index)
{
    const int result = sqlite3_bind_null(m_handle, index);
    if (result != SQLITE_OK) m_database.ThrowLastError(result, "Wert kann nicht gebunden werden");
    return *this;
}

bool Statement::Step()
{
    const int result = sqlite3_step(m_handle);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    try {
        m_database.ThrowLastError(result, "SQL-Anweisung fehlgeschlagen");
    } catch (...) {
        // A failed statement is ready to run again, as after a finished one.
        sqlite3_reset(m_handle);
        throw;
    }
}

std::int64_t Statement::Execute()
{
    while (Step()) {
    }
    const std::int64_t changes = m_database.Changes();
    sqlite3_reset(m_handle);
    return changes;
}

void Statement::Reset()
{
    sqlite3_reset(m_handle);
}

int Statement::ColumnCount() const
{
    return sqlite3_column_count(m_handle);
}

int Statement::ColumnIndex(std::string_view name) const
{
    const int count = ColumnCount();
    for (int column = 0; column < count; ++column) {
        if (name == sqlite3_column_name(m_handle, column)) return column;
    }
    throw StorageError("Feld nicht gefunden: " + std::string(name), SQLITE_ERROR);
}

bool Statement::IsNull(int column) const
{
    return sqlite3_column_type(m_handle, column) == SQLITE_NULL;
}

std::string Statement::Text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_handle, column));
    if (!text) return {};
    return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(m_handle, column)));
}

double Statement::Double(int column) const
{
    return sqlite3_column_double(m_handle, column);
}

std::int64_t Statement::Int(int column) const
{
    return sqlite3_column_int64(m_handle, column);
}

Transaction::Transaction(Database& database) : m_database(database)
{
    m_database.Execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction()
{
    if (!m_open) return;
    // Rolling back cannot be reported from a destructor; a failed rollback leaves the journal,
    // which the engine replays on the next open.
    m_database.ExecuteIfPossible("ROLLBACK");
}

void Transaction::Commit()
{
    try {
        m_database.Execute("COMMIT");
    } catch (const StorageError& error) {
        // Past the commit point the journal is gone and the transaction over; only giving up the lock
        // afterwards can fail then.
        if (!error.IsUnlockFailure() || !m_database.InAutocommitMode()) throw;
        m_lateFailure = error.what();
    }
    m_open = false;
}

std::string QuoteIdentifier(std::string_view name)
{
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"') quoted.push_back('"');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

}  // namespace kalmora
