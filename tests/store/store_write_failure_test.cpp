#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

#include "fake_clock.h"
#include "inbox_maintenance_oracle.h"
#include "operations_support.h"
#include "store/inbox_maintenance.h"
#include "store/queueing.h"
#include "write_failure_injection.h"

namespace mivex::testing {
namespace {

using store::InboxRecord;

InboxRecord Part(std::u16string sender, int seq, std::u16string text) {
    return {std::move(sender), At(2026, 3, 5, 12, 0), std::move(text), 1, 4, 2, seq, 1, u"", u""};
}

TEST(StoreWriteFailure, JoinKeepsThePartsOfAMessageItCannotStore) {
    TempVolume volume;
    store::FolderHandle inbox = volume.Open(store::kInboxName, store::kInboxByDate);
    for (const InboxRecord& part : {Part(u"+1", 1, u"a1"), Part(u"+1", 2, u"a2"),
                                    Part(u"+2", 1, u"b1"), Part(u"+2", 2, u"b2")})
        Write(*inbox, store::ToProps(part));
    FailInsertsAfter(volume.Store().VolumePath(), 1);

    EXPECT_EQ(store::JoinParts(*inbox), 1);
    std::vector<std::u16string> texts;
    for (const InboxRecord& record : ReadInbox(*inbox))
        texts.push_back(record.Text);
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"a1a2", u"b1", u"b2"}));
}

TEST(StoreWriteFailure, QueueingWritesAllRecipientsOrNone) {
    TempVolume volume;
    store::FolderHandle outbox = volume.Open(store::kOutboxName, store::kOutboxByDate);
    FailInsertsAfter(volume.Store().VolumePath(), 2);
    FakeTextControl text;
    text.SetText(u"hello");
    FakeListControl recipients;
    for (const char16_t* entry : {u"+1", u"+2", u"+3"})
        recipients.AddRow(entry);
    ScriptedPrompter prompter;
    FakeClock clock;

    EXPECT_EQ(store::QueueMessage(text, recipients, *outbox, store::SendNow::Yes, prompter, clock),
              0);
    EXPECT_TRUE(ReadAll(*outbox).empty());
    ASSERT_EQ(prompter.seen.size(), 1u);
    EXPECT_EQ(prompter.seen[0].text, store::kOutboxWriteFailedText);
    EXPECT_EQ(prompter.seen[0].icon, platform::PromptIcon::Stop);
}

// The process dies at some moment of a join; whatever the moment, every
// part's text is afterwards in a part or in a joined message.
TEST(StoreWriteFailure, KilledJoinLosesNoText) {
    for (const int delayMicroseconds : {0, 2000, 8000, 30000}) {
        SCOPED_TRACE(delayMicroseconds);
        TempVolume volume;
        std::vector<std::u16string> partTexts;
        {
            store::FolderHandle inbox = volume.Open(store::kInboxName, store::kInboxByDate);
            ASSERT_TRUE(inbox->Atomically([&] {
                for (int message = 0; message < 300; ++message) {
                    for (int seq = 1; seq <= 2; ++seq) {
                        const std::string sender = "+" + std::to_string(message);
                        const std::string text =
                            "m" + std::to_string(message) + "p" + std::to_string(seq) + ";";
                        partTexts.emplace_back(text.begin(), text.end());
                        Write(*inbox,
                              store::ToProps(Part(std::u16string(sender.begin(), sender.end()), seq,
                                                  partTexts.back())));
                    }
                }
                return true;
            }));
        }
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            platform::SilentSounds sounds;
            store::Store store(volume.Folder(), sounds);
            store::FolderHandle inbox = store.OpenFolder(store::kInboxName, store::kInboxByDate);
            const char go = 1;
            (void)!::write(ready[1], &go, 1);
            store::JoinParts(*inbox);
            ::_exit(0);
        }
        char go = 0;
        ASSERT_EQ(::read(ready[0], &go, 1), 1);
        ::usleep(static_cast<useconds_t>(delayMicroseconds));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(ready[0]);
        ::close(ready[1]);

        store::FolderHandle inbox = volume.Open(store::kInboxName, store::kInboxByDate);
        std::u16string everything;
        for (const InboxRecord& record : ReadInbox(*inbox))
            everything += record.Text + u"|";
        for (const std::u16string& text : partTexts)
            ASSERT_NE(everything.find(text), std::u16string::npos);
    }
}

}  // namespace
}  // namespace mivex::testing
