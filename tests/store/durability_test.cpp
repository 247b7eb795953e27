// What was written stays written when the writing process is killed at an
// arbitrary moment.

#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "store/inbox_maintenance.h"
#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

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

std::u16string TextOf(std::uint64_t i) {
    return std::u16string(i % 300 + 1, static_cast<char16_t>(u'a' + i % 26));
}

// A child writes records as fast as it can and reports each id once the
// write has returned; it is killed without warning. Every reported record
// must be there afterwards, whole, in an intact file.
TEST_F(StoreTest, KilledWriterLosesNothingItReported) {
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Store writer(dir.path(), sounds);
        FolderHandle inbox = writer.OpenFolder(kInboxName, kInboxByDate);
        for (std::uint32_t i = 1; inbox && i < 1'000'000; ++i) {
            const ObjectId id = WriteInbox(*inbox, u"n", i, TextOf(i));
            if (id == 0 || ::write(channel[1], &id, sizeof id) != sizeof id)
                break;
        }
        ::_exit(1);
    }
    ::close(channel[1]);
    std::set<ObjectId> reported;
    ObjectId id = 0;
    while (reported.size() < 60 && ::read(channel[0], &id, sizeof id) == sizeof id)
        reported.insert(id);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(channel[0]);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(reported.size(), 60u);

    FolderHandle inbox = Open(kInboxName, kInboxByDate);
    ASSERT_TRUE(inbox);
    PropArray props;
    for (ObjectId written : reported) {
        SCOPED_TRACE(written);
        ASSERT_EQ(inbox->SeekToId(written), written);
        ASSERT_TRUE(inbox->ReadRecord(props).Read(written));
        const std::optional<InboxRecord> record = AsInboxRecord(props);
        ASSERT_TRUE(record);
        EXPECT_EQ(record->Text, TextOf(record->TimeStamp));
    }
    EXPECT_NE(WriteInbox(*inbox, u"after", 0), 0u);
    store.CloseFolder(inbox);
    EXPECT_EQ(IntegrityOf(store.VolumePath()), "ok");
}

// The process dies at some moment of a join; whatever the moment, every
// part's text is afterwards in a part or in a joined message.
TEST(Durability, KilledJoinLosesNoText) {
    for (const int delayMicroseconds : {0, 2000, 8000, 30000}) {
        SCOPED_TRACE(delayMicroseconds);
        TempDir dir;
        platform::SilentSounds sounds;
        Store store(dir.path(), sounds);
        std::vector<std::u16string> partTexts;
        {
            FolderHandle inbox = store.OpenFolder(kInboxName, kInboxByDate);
            ASSERT_TRUE(inbox->Atomically([&] {
                for (int part = 0; part < 600; ++part) {
                    const std::string sender = "+" + std::to_string(part / 2);
                    const std::string text = "p" + std::to_string(part) + ";";
                    partTexts.emplace_back(text.begin(), text.end());
                    Write(*inbox, ToProps(Part({sender.begin(), sender.end()}, 4, 2, part % 2 + 1,
                                               partTexts.back(), 1)));
                }
                return true;
            }));
        }
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Store joiner(dir.path(), sounds);
            FolderHandle inbox = joiner.OpenFolder(kInboxName, kInboxByDate);
            (void)!::write(ready[1], "go", 1);
            JoinParts(*inbox);
            ::_exit(0);
        }
        char go = 0;
        ASSERT_EQ(::read(ready[0], &go, 1), 1);
        ::usleep(static_cast<useconds_t>(delayMicroseconds));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(ready[0]);
        ::close(ready[1]);

        FolderHandle inbox = store.OpenFolder(kInboxName, kInboxByDate);
        std::u16string everything;
        for (const InboxRecord& record : ReadInbox(*inbox))
            everything += record.Text + u"|";
        for (const std::u16string& text : partTexts)
            ASSERT_NE(everything.find(text), std::u16string::npos);
    }
}

}  // namespace
}  // namespace mivex::store::tests
