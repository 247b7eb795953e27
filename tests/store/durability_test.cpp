// What was written stays written: across closing and reopening, and when the
// writing process is killed at an arbitrary moment.

#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

using DurabilityTest = StoreTest;

std::string IntegrityOf(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr);
        result = sqlite3_step(statement) == SQLITE_ROW
                     ? reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))
                     : sqlite3_errmsg(db);
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return result;
}

TEST_F(DurabilityTest, RecordsAndIdsOutliveTheStoreThatWroteThem) {
    ObjectId last = 0;
    {
        Store writer(dir.path(), sounds);
        FolderHandle inbox = writer.OpenFolder(kInboxName, kInboxByDate);
        for (int i = 0; i < 3; ++i)
            last = WriteInbox(*inbox, u"n", 10 + i, u"kept");
    }
    FolderHandle inbox = Open(kInboxName, kInboxBySender);
    EXPECT_EQ(ReadAllTexts(*inbox, inbox::kText), (std::vector<std::u16string>(3, u"kept")));
    EXPECT_GT(WriteInbox(*inbox, u"n", 1), last);
}

// A child writes records as fast as it can and reports each id once the
// write has returned; it is killed without warning. Every reported record
// must be there afterwards, whole, in an intact file.
TEST_F(DurabilityTest, KilledWriterLosesNothingItReported) {
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(channel[0]);
        Store writer(dir.path(), sounds);
        FolderHandle inbox = writer.OpenFolder(kInboxName, kInboxByDate);
        for (std::uint32_t i = 1; inbox && i < 1'000'000; ++i) {
            const std::u16string text(i % 300 + 1, static_cast<char16_t>(u'a' + i % 26));
            const ObjectId id = WriteInbox(*inbox, u"n", i, text);
            if (id == 0 || ::write(channel[1], &id, sizeof id) != sizeof id)
                break;
        }
        ::_exit(1);
    }
    ::close(channel[1]);
    std::set<ObjectId> reported;
    ObjectId id = 0;
    while (reported.size() < 60 && ::read(channel[0], &id, sizeof id) == sizeof id) {
        reported.insert(id);
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(channel[0]);
    ASSERT_EQ(reported.size(), 60u);
    ASSERT_TRUE(WIFSIGNALED(status));

    FolderHandle inbox = Open(kInboxName, kInboxByDate);
    ASSERT_TRUE(inbox);
    PropArray props;
    for (ObjectId written : reported) {
        SCOPED_TRACE(written);
        ASSERT_EQ(inbox->SeekToId(written), written);
        ASSERT_EQ(inbox->ReadRecord(props), written);
        const std::optional<InboxRecord> record = AsInboxRecord(props);
        ASSERT_TRUE(record);
        const sms::FileTime i = record->TimeStamp;
        EXPECT_EQ(record->Text, std::u16string(i % 300 + 1, static_cast<char16_t>(u'a' + i % 26)));
    }
    EXPECT_NE(WriteInbox(*inbox, u"after", 0), 0u);
    store.CloseFolder(inbox);
    EXPECT_EQ(IntegrityOf(store.VolumePath()), "ok");
}

}  // namespace
}  // namespace mivex::store::tests
