// "Clear Database": the question, the deletion of the volume with its side
// files, and the refusals.

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;

class ClearDatabaseTest : public StoreTest {
protected:
    void SetUp() override {
        FolderHandle inbox = Open(kInboxName);
        ASSERT_TRUE(inbox);
        ASSERT_NE(WriteInbox(*inbox, u"kept", 1), 0u);
    }

    std::size_t InboxCount() {
        FolderHandle inbox = Open(kInboxName);
        return inbox ? ReadAllIds(*inbox).size() : 0;
    }

    void ExpectOnlyQuestionThen(std::u16string_view text, PromptIcon icon) {
        ASSERT_EQ(prompter.seen.size(), 2u);
        EXPECT_EQ(prompter.seen[0].text, u"Clear all messages and Option settings?");
        EXPECT_EQ(prompter.seen[0].caption, u"Mivex");
        EXPECT_EQ(prompter.seen[0].buttons, PromptButtons::YesNo);
        EXPECT_EQ(prompter.seen[0].icon, PromptIcon::Exclamation);
        EXPECT_EQ(prompter.seen[1].text, text);
        EXPECT_EQ(prompter.seen[1].caption, u"Mivex");
        EXPECT_EQ(prompter.seen[1].buttons, PromptButtons::Ok);
        EXPECT_EQ(prompter.seen[1].icon, icon);
    }

    mivex::testing::ScriptedPrompter prompter;
};

TEST_F(ClearDatabaseTest, NoLeavesEverythingAsItWas) {
    prompter.answers = {PromptAnswer::No};
    EXPECT_TRUE(store.ClearDatabase(prompter));
    EXPECT_EQ(prompter.seen.size(), 1u);
    EXPECT_EQ(InboxCount(), 1u);
}

TEST_F(ClearDatabaseTest, YesDeletesTheVolumeWithItsSideFiles) {
    const std::string file = store.VolumePath().string();
    WriteFileBytes(file + "-wal", "stale");
    WriteFileBytes(file + "-shm", "stale");
    EXPECT_TRUE(store.ClearDatabase(prompter));
    ExpectOnlyQuestionThen(u"Database cleared, please check Option settings",
                           PromptIcon::Information);
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        EXPECT_FALSE(std::filesystem::exists(file + suffix)) << suffix;
    }
    // The next open starts a new, empty volume.
    EXPECT_EQ(InboxCount(), 0u);
    FolderHandle inbox = Open(kInboxName);
    EXPECT_EQ(WriteInbox(*inbox, u"new", 1), 1u);
}

TEST_F(ClearDatabaseTest, AVolumeInUseIsNotDeleted) {
    FolderHandle open = Open(kOutboxName);
    ASSERT_TRUE(open);
    const std::string before = ReadFileBytes(store.VolumePath());
    EXPECT_FALSE(store.ClearDatabase(prompter));
    ExpectOnlyQuestionThen(u"Error - Failed to clear the database!", PromptIcon::Stop);
    EXPECT_EQ(ReadFileBytes(store.VolumePath()), before);
    EXPECT_EQ(open->SeekBeginning(0), 0u);  // still usable
    store.CloseFolder(open);
    EXPECT_EQ(InboxCount(), 1u);
}

TEST_F(ClearDatabaseTest, FolderThatCannotBeHadFails) {
    WriteFileBytes(dir.path() / "file", "x");
    Store blocked(dir.path() / "file", sounds);
    EXPECT_FALSE(blocked.ClearDatabase(prompter));
    ExpectOnlyQuestionThen(u"Error - Failed to clear the database!", PromptIcon::Stop);
}

TEST_F(ClearDatabaseTest, ClearingTwiceSucceedsBothTimes) {
    EXPECT_TRUE(store.ClearDatabase(prompter));
    EXPECT_TRUE(store.ClearDatabase(prompter));
    EXPECT_EQ(prompter.seen.back().icon, PromptIcon::Information);
}

}  // namespace
}  // namespace mivex::store::tests
