#include "store/sqlite_db.h"

#include <sqlite3.h>

#include <utility>

namespace mivex::store {

Statement::Statement(Statement&& other) noexcept
    : statement_(std::exchange(other.statement_, nullptr)), run_(other.run_) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        Finalize();
        statement_ = std::exchange(other.statement_, nullptr);
        run_ = other.run_;
    }
    return *this;
}

Statement::~Statement() {
    Finalize();
}

void Statement::Finalize() {
    if (statement_ != nullptr)
        sqlite3_finalize(statement_);
    statement_ = nullptr;
    run_ = false;
}

void Statement::ResetIfRun() {
    if (run_) {
        sqlite3_reset(statement_);
        run_ = false;
    }
}

void Statement::BindInt(int index, std::int64_t value) {
    ResetIfRun();
    sqlite3_bind_int64(statement_, index, value);
}

void Statement::BindBlob(int index, std::span<const std::uint8_t> bytes) {
    ResetIfRun();
    // A null pointer would bind NULL; the keys and records are never NULL.
    static constexpr std::uint8_t kNothing = 0;
    const void* data = bytes.empty() ? &kNothing : bytes.data();
    sqlite3_bind_blob64(statement_, index, data, bytes.size(), SQLITE_TRANSIENT);
}

void Statement::BindText(int index, std::string_view text) {
    ResetIfRun();
    sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

int Statement::Step() {
    if (statement_ == nullptr)
        return SQLITE_MISUSE;
    run_ = true;
    return sqlite3_step(statement_);
}

void Statement::Reset() {
    if (statement_ != nullptr)
        sqlite3_reset(statement_);
    run_ = false;
}

std::int64_t Statement::ColumnInt(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::span<const std::uint8_t> Statement::ColumnBlob(int column) const {
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    if (data == nullptr || size <= 0)
        return {};
    return {static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size)};
}

Database::~Database() {
    Close();
}

int Database::Open(const std::string& path, bool readOnly) {
    Close();
    const int flags =
        (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        Close();
        return rc;
    }
    sqlite3_extended_result_codes(db_, 1);
    return SQLITE_OK;
}

void Database::Close() {
    if (db_ != nullptr)
        sqlite3_close_v2(db_);
    db_ = nullptr;
}

Statement Database::Prepare(std::string_view sql) {
    sqlite3_stmt* statement = nullptr;
    if (db_ == nullptr ||
        sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                           &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return {};
    }
    return Statement(statement);
}

int Database::Execute(const char* sql) {
    if (db_ == nullptr)
        return SQLITE_MISUSE;
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
}

std::int64_t Database::QueryInt(const char* sql, std::int64_t fallback, int* rc) {
    Statement statement = Prepare(sql);
    int result = statement.valid() ? statement.Step() : sqlite3_errcode(db_);
    std::int64_t value = fallback;
    if (result == SQLITE_ROW) {
        value = statement.ColumnInt(0);
        result = SQLITE_OK;
    } else if (result == SQLITE_DONE) {
        result = SQLITE_OK;
    }
    if (rc != nullptr)
        *rc = result;
    return value;
}

bool Database::InTransaction() const {
    return db_ != nullptr && sqlite3_get_autocommit(db_) == 0;
}

bool Database::IsReadOnly() const {
    return db_ != nullptr && sqlite3_db_readonly(db_, "main") == 1;
}

std::string Database::LastError() const {
    return db_ != nullptr ? sqlite3_errmsg(db_) : "closed";
}

}  // namespace mivex::store
