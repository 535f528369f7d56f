#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace kalmora {

// Any failure of the database engine: opening, preparing, running. The engine's codes stay inside
// the database layer; callers ask what kind of failure it was.
class StorageError : public std::runtime_error {
public:
    // A failure found by the program itself: a file or a table that is not there.
    explicit StorageError(const std::string& message);
    // The engine's failure with its extended result code.
    StorageError(const std::string& message, int engineCode) : std::runtime_error(message), m_engineCode(engineCode) {}
    // The same failure told in other words.
    StorageError(const std::string& message, const StorageError& cause)
        : std::runtime_error(message), m_engineCode(cause.m_engineCode)
    {
    }

    // A row the table's rules refuse (a check, a unique key, a value that is not allowed).
    bool IsRowRefused() const;
    // A journal left by a crashed writer must be played back, which a read-only connection cannot.
    bool IsUnfinishedWrite() const;
    // Another connection holds the lock the engine waited for in vain.
    bool IsBusy() const;
    // The engine could not give up a lock on the file.
    bool IsUnlockFailure() const;

private:
    int m_engineCode;
};

// A row whose unique key is already present. Record readers turn it into a finding, so it must be
// told apart from every other failure.
class DuplicateKey : public StorageError {
public:
    using StorageError::StorageError;
};

enum class OpenMode {
    ReadWrite,
    ReadOnly,
    CreateNew,
    Memory,  // a database of its own in memory; the path names nothing
};

// A database is never a symbolic link: replacing one would leave the link's target with the old
// data. The refusal of `file`, when it is a link.
std::optional<StorageError> RefusalOfLink(const std::filesystem::path& file);

// The first bytes of a database file, its header (100 bytes; fewer for a shorter file, none for one
// that cannot be read): the engine's marks, the journal mode, the change counter.
std::string DatabaseHeaderOf(const std::filesystem::path& file);

class Statement;

// One open database file. Every connection knows the SQL function Val, which reads a text exactly
// as the program's Val does.
class Database {
public:
    explicit Database(const std::filesystem::path& file, OpenMode mode = OpenMode::ReadWrite);
    ~Database();
    Database(Database&&) noexcept;
    Database& operator=(Database&&) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs SQL without values (schema, pragmas, transaction control); several statements allowed.
    void Execute(std::string_view sql);
    Statement Prepare(std::string_view sql);

    // Runs SQL where a failure can only be passed over (in a destructor); false when it failed.
    bool ExecuteIfPossible(std::string_view sql) noexcept;

    const std::filesystem::path& Path() const { return m_path; }
    std::int64_t Changes() const;
    // Whether no transaction is open.
    bool InAutocommitMode() const;
    std::int64_t LastInsertRowId() const;

    // Throws the error of the engine's last call on this connection, typed.
    [[noreturn]] void ThrowLastError(int resultCode, std::string_view context) const;

private:
    friend class Statement;
    void UseRollbackJournal();
    sqlite3* Handle() const { return m_handle.get(); }

    struct Closer {
        void operator()(sqlite3* handle) const;
    };
    std::filesystem::path m_path;
    std::unique_ptr<sqlite3, Closer> m_handle;
};

// A prepared statement. Values are bound by position (from 1); columns read by position (from 0) or
// by name.
class Statement {
public:
    Statement(Database& database, std::string_view sql);
    ~Statement();
    Statement(Statement&&) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, std::string_view text);
    Statement& Bind(int index, const char* text) { return Bind(index, std::string_view(text)); }
    Statement& Bind(int index, const std::string& text) { return Bind(index, std::string_view(text)); }
    Statement& Bind(int index, double value);
    Statement& Bind(int index, std::int64_t value);
    Statement& Bind(int index, int value) { return Bind(index, static_cast<std::int64_t>(value)); }
    Statement& BindNull(int index);
    // Binds text without copying it: the text must stay unchanged until the statement has run.
    Statement& BindStatic(int index, std::string_view text);

    // Binds the values to positions 1, 2, ... in order.
    template <typename... Values>
    Statement& BindAll(const Values&... values)
    {
        int index = 0;
        (Bind(++index, values), ...);
        return *this;
    }

    // Advances to the next row; false when there is none.
    bool Step();
    // Runs the statement to its end and returns the number of rows it changed. Afterwards, and after
    // a failed step, the statement is reset and can run again with its bound values.
    std::int64_t Execute();
    // Makes the statement ready to run again; bound values stay.
    void Reset();

    int ColumnCount() const;
    int ColumnIndex(std::string_view name) const;
    bool IsNull(int column) const;
    std::string Text(int column) const;
    double Double(int column) const;
    std::int64_t Int(int column) const;
    std::string Text(std::string_view name) const { return Text(ColumnIndex(name)); }
    double Double(std::string_view name) const { return Double(ColumnIndex(name)); }
    std::int64_t Int(std::string_view name) const { return Int(ColumnIndex(name)); }

private:
    Database& m_database;
    sqlite3_stmt* m_handle = nullptr;
};

// A transaction that rolls back unless committed. Writes take the lock at the start, so a second
// writer waits instead of failing half-way.
class Transaction {
public:
    explicit Transaction(Database& database);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Commits. The engine gives up its lock on the file after the commit point; should that fail,
    // the changes are stored all the same: the failure is kept in LateFailure() for the caller to
    // tell, not thrown.
    void Commit();

    // What failed after the commit point; empty when nothing did.
    const std::string& LateFailure() const { return m_lateFailure; }

private:
    Database& m_database;
    bool m_open = true;
    std::string m_lateFailure;
};

// Quotes a name of the program's own schema for use in SQL ("a""b" for a"b). Values are never
// quoted: they are bound.
std::string QuoteIdentifier(std::string_view name);

}  // namespace kalmora
