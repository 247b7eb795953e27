// What a write reported as done survives the writing process dying at once,
// without closing anything.

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

std::string IntegrityOf(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

std::u16string TextOf(std::uint64_t i) {
    return std::u16string(i % 300 + 1, static_cast<char16_t>(u'a' + i % 26));
}

// The child leaves with _exit: no destructor runs, so whatever the store
// still held in memory is gone, as after a kill.
TEST_F(StoreTest, WriterThatDiesLosesNothingItReported) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Store writer(dir.path(), sounds);
        FolderHandle inbox = writer.OpenFolder(kInboxName, kInboxByDate);
        for (std::uint32_t i = 1; i <= 60; ++i) {
            if (!inbox || WriteInbox(*inbox, u"n", i, TextOf(i)) == 0)
                ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    FolderHandle inbox = Open(kInboxName, kInboxByDate);
    const std::vector<InboxRecord> records = ReadInbox(*inbox);
    ASSERT_EQ(records.size(), 60u);
    for (const InboxRecord& record : records)
        EXPECT_EQ(record.Text, TextOf(record.TimeStamp));
    EXPECT_NE(WriteInbox(*inbox, u"after", 0), 0u);
    store.CloseFolder(inbox);
    EXPECT_EQ(IntegrityOf(store.VolumePath()), "ok");
}

}  // namespace
}  // namespace mivex::store::tests
