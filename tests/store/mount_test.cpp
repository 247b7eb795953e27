// Mounting the volume, opening and closing folders, the files and
// permissions they leave on disk, and "Clear Database".

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

using platform::PromptAnswer;
using platform::PromptIcon;
using MountTest = StoreTest;

TEST_F(MountTest, FirstOpenCreatesOwnerOnlyFoldersAndFileWhateverTheUmask) {
    const mode_t saved = ::umask(0);
    Store nested(dir.path() / "new" / "data", sounds);
    FolderHandle inbox = nested.OpenFolder(kInboxName, kInboxBySender);
    ::umask(saved);
    ASSERT_TRUE(inbox);
    EXPECT_EQ(ModeOf(dir.path() / "new"), 0700u);
    EXPECT_EQ(ModeOf(dir.path() / "new" / "data" / "Database"), 0700u);
    EXPECT_EQ(ModeOf(nested.VolumePath()), 0600u);
    EXPECT_EQ(nested.VolumePath(), dir.path() / "new" / "data" / "Database" / "smsdata.cdb");

    // The write-ahead log and its index hold messages too, and must not be
    // readable by others either.
    ASSERT_NE(WriteInbox(*inbox, u"a", 1), 0u);
    EXPECT_EQ(ModeOf(nested.VolumePath().string() + "-wal"), 0600u);
    EXPECT_EQ(ModeOf(nested.VolumePath().string() + "-shm"), 0600u);
}

TEST_F(MountTest, EveryMountIsMatchedByOneUnmount) {
    EXPECT_FALSE(store.UnmountStore());
    EXPECT_EQ(sounds.beeps, 1);
    EXPECT_EQ(store.MountCount(), 0u);

    ASSERT_TRUE(store.MountStore());
    FolderHandle outbox = Open(kOutboxName);
    FolderHandle sent = Open(kSentName);
    EXPECT_EQ(store.MountCount(), 3u);
    EXPECT_TRUE(store.CloseFolder(outbox));
    EXPECT_TRUE(!outbox.valid() && !store.CloseFolder(outbox));
    {
        FolderHandle moved = std::move(sent);
        EXPECT_EQ(store.MountCount(), 2u);
    }  // a handle going out of scope closes its folder
    EXPECT_EQ(store.MountCount(), 1u);
    EXPECT_TRUE(store.UnmountStore());
    EXPECT_EQ(store.MountCount(), 0u);
    EXPECT_EQ(sounds.beeps, 1);
}

TEST_F(MountTest, UnknownFolderOrSortOrderFailsWithNothingLeftMounted) {
    const struct {
        std::u16string_view name;
        PropId sort;
    } cases[] = {
        {u"inbox", kInboxByDate},       {u"Inbox ", kInboxByDate}, {u"", 0},
        {kInboxName, kSentByRecipient}, {kSentName, 0x00090040},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()) + " " + std::to_string(c.sort));
        EXPECT_FALSE(store.OpenFolder(c.name, c.sort));
        EXPECT_EQ(store.MountCount(), 0u);
    }
    EXPECT_EQ(sounds.beeps, 0);
    // Sort property 0 reads a folder in its first order.
    EXPECT_EQ(Open(kSentName, 0)->SortProperty(), kSentByDate);
}

TEST_F(MountTest, FilesThatAreNotOurVolumeAreLeftExactlyAsTheyWere) {
    ASSERT_TRUE(store.GetDatabaseFolder());
    const std::filesystem::path file = store.VolumePath();
    std::string garbage(3000, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>(i * 7 + 3);

    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(kind);
        std::filesystem::remove(file);
        if (kind == 0)
            WriteFileBytes(file, garbage);
        if (kind == 1)
            RunSql(file, "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine');");
        if (kind == 2) {  // ours, but from a newer program
            ASSERT_TRUE(Open(kInboxName));
            RunSql(file, "PRAGMA user_version = 2");
        }
        const std::string before = ReadFileBytes(file);
        EXPECT_FALSE(Open(kInboxName));
        EXPECT_FALSE(Open(kOptionsName));
        EXPECT_EQ(store.MountCount(), 0u);
        EXPECT_EQ(ReadFileBytes(file), before);
        for (const char* side : {"-journal", "-wal"})
            EXPECT_FALSE(std::filesystem::exists(file.string() + side)) << side;
    }
}

class ClearDatabaseTest : public StoreTest {
protected:
    using Box = std::pair<std::u16string, PromptIcon>;

    void SetUp() override { ASSERT_NE(WriteInbox(*Open(kInboxName), u"kept", 1), 0u); }
    std::size_t InboxCount() {
        FolderHandle inbox = Open(kInboxName);
        return inbox ? ReadAllIds(*inbox).size() : 0;
    }
    // Clears, answering the question with `answer`; `told` are the boxes shown after it.
    bool Clear(Store& target, std::vector<Box> told, PromptAnswer answer = PromptAnswer::Yes) {
        prompter.answers = {answer};
        prompter.seen.clear();
        const bool done = target.ClearDatabase(prompter);
        told.insert(told.begin(),
                    {u"Clear all messages and Option settings?", PromptIcon::Exclamation});
        std::vector<Box> shown;
        for (const auto& box : prompter.seen)
            shown.emplace_back(box.text, box.icon);
        EXPECT_EQ(shown, told);
        return done;
    }

    const Box cleared{u"Database cleared, please check Option settings", PromptIcon::Information};
    const Box failed{u"Error - Failed to clear the database!", PromptIcon::Stop};
    ScriptedPrompter prompter;
};

TEST_F(ClearDatabaseTest, YesDeletesTheVolumeWithItsSideFiles) {
    EXPECT_TRUE(Clear(store, {}, PromptAnswer::No));
    EXPECT_EQ(InboxCount(), 1u);

    const std::string file = store.VolumePath().string();
    WriteFileBytes(file + "-wal", "stale");
    WriteFileBytes(file + "-shm", "stale");
    EXPECT_TRUE(Clear(store, {cleared}));
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        EXPECT_FALSE(std::filesystem::exists(file + suffix)) << suffix;
    // With nothing left to delete, clearing succeeds all the same.
    EXPECT_TRUE(Clear(store, {cleared}));
    // The next open starts a new, empty volume.
    EXPECT_EQ(InboxCount(), 0u);
    FolderHandle inbox = Open(kInboxName);
    EXPECT_EQ(WriteInbox(*inbox, u"new", 1), 1u);
}

TEST_F(ClearDatabaseTest, AVolumeInUseOrOutOfReachIsNotDeleted) {
    FolderHandle open = Open(kOutboxName);
    const std::string before = ReadFileBytes(store.VolumePath());
    EXPECT_FALSE(Clear(store, {failed}));
    EXPECT_EQ(ReadFileBytes(store.VolumePath()), before);
    EXPECT_EQ(open->SeekBeginning(0), 0u);  // still usable
    store.CloseFolder(open);
    EXPECT_EQ(InboxCount(), 1u);

    // A data directory that is a file gives no "Database" folder.
    WriteFileBytes(dir.path() / "file", "x");
    Store blocked(dir.path() / "file", sounds);
    EXPECT_FALSE(blocked.GetDatabaseFolder());
    EXPECT_FALSE(blocked.OpenFolder(kInboxName, 0));
    EXPECT_EQ(blocked.MountCount(), 0u);
    EXPECT_FALSE(Clear(blocked, {failed}));
}

}  // namespace
}  // namespace mivex::store::tests
