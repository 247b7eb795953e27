#include "write_failure_injection.h"

#include <sqlite3.h>

#include <stdexcept>
#include <string>

namespace mivex::testing {

void FailInsertsAfter(const std::filesystem::path& volumeFile, int allowed) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(volumeFile.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("volume does not open");
    }
    // A failed insert is undone with its trigger's counting, so the count
    // stays at the limit and every later insert fails too.
    const std::string sql =
        "CREATE TABLE injected_inserts(allowed INTEGER);"
        "INSERT INTO injected_inserts VALUES(" +
        std::to_string(allowed) +
        ");"
        "CREATE TRIGGER injected_failure BEFORE INSERT ON records BEGIN "
        "  SELECT RAISE(ABORT, 'injected write failure') "
        "    WHERE (SELECT allowed FROM injected_inserts) <= 0;"
        "  UPDATE injected_inserts SET allowed = allowed - 1;"
        "END;";
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("trigger not installed: " + message);
}

}  // namespace mivex::testing
