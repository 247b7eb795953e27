#pragma once

// A thin owner of an SQLite connection and its prepared statements: no
// exceptions, every call reports the SQLite result code.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace mivex::store {

class Statement {
public:
    Statement() = default;
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    [[nodiscard]] bool valid() const { return statement_ != nullptr; }

    // Binding resets the statement first when it has run, so a statement is
    // reused by binding and stepping again.
    void BindInt(int index, std::int64_t value);
    // The bytes are copied by SQLite; an empty span binds an empty blob, not NULL.
    void BindBlob(int index, std::span<const std::uint8_t> bytes);
    void BindText(int index, std::string_view text);

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step();
    // Ends a run early so the statement holds no read lock and no snapshot.
    void Reset();

    [[nodiscard]] std::int64_t ColumnInt(int column) const;
    // Valid until the next Step or Reset.
    [[nodiscard]] std::span<const std::uint8_t> ColumnBlob(int column) const;

    void Finalize();

private:
    friend class Database;
    explicit Statement(sqlite3_stmt* statement) : statement_(statement) {}
    void ResetIfRun();

    sqlite3_stmt* statement_ = nullptr;
    bool run_ = false;
};

class Database {
public:
    Database() = default;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    // SQLITE_OK or the error; on error nothing stays open.
    int Open(const std::string& path, bool readOnly);
    void Close();
    [[nodiscard]] bool IsOpen() const { return db_ != nullptr; }

    // A prepared statement, invalid when the SQL does not compile.
    [[nodiscard]] Statement Prepare(std::string_view sql);
    // Runs statements that return no rows; SQLITE_OK or the first error.
    int Execute(const char* sql);
    // The first column of the first row as an integer; `fallback` when there is none.
    [[nodiscard]] std::int64_t QueryInt(const char* sql, std::int64_t fallback, int* rc = nullptr);

    [[nodiscard]] bool InTransaction() const;
    [[nodiscard]] bool IsReadOnly() const;
    [[nodiscard]] std::string LastError() const;
    [[nodiscard]] sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

}  // namespace mivex::store
