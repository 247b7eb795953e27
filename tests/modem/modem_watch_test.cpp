// Watching a modem ModemManager owns: messages it adds are stored as they
// arrive, and a modem that goes and comes back is found again.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "modem_run_fixture.h"
#include "transfer/report_intake.h"
#include "transfer/watch_run.h"

namespace mivex::modem::test {
namespace {

using namespace std::chrono_literals;

// The watch runs on a thread of its own, as in the programs, and is ended
// through its stop pipe. What it shows, and each new message it tells as
// "new: <text>", is heard as it comes.
class ModemWatch : public ModemRun, public transfer::NewMessageSink {
protected:
    void SetUp() override {
        log.onShow = [this](std::u16string_view text) { Hear(std::u16string(text)); };
    }
    void TearDown() override { StopWatch(); }
    void OnNewMessage(const store::InboxRecord& message) override { Hear(u"new: " + message.Text); }

    void StartWatch(bool keepWatching) {
        heard_.clear();  // the last watch has ended: nothing else touches it
        ASSERT_EQ(pipe(stop_), 0);
        settings_ = {};
        settings_.stopDescriptor = stop_[0];
        settings_.firstRetryMs = 100;
        settings_.lastRetryMs = 400;
        inbox_ = Open(store::kInboxName);
        sent_ = Open(store::kSentName);
        reports_ = std::make_unique<transfer::ReportIntake>(*sent_);
        watch_ = std::thread([this, keepWatching] {
            if (keepWatching)
                transfer::KeepWatching(context, *inbox_, {}, reports_.get(), settings_, this);
            else
                (void)transfer::WatchForMessages(context, *inbox_, {}, reports_.get(), settings_,
                                                 this);
        });
    }
    void StopWatch() {
        if (!watch_.joinable())
            return;
        EXPECT_EQ(write(stop_[1], "x", 1), 1);
        watch_.join();
        close(stop_[0]);
        close(stop_[1]);
    }
    // Whether `text` was heard `times` times by `limit`.
    bool Heard(std::u16string_view text, long times, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(
            lock, limit, [&] { return std::count(heard_.begin(), heard_.end(), text) >= times; });
    }
    std::string Control(const std::string& method, const std::string& argument = "") {
        std::string answer;
        EXPECT_TRUE(bus.Control(method, argument, answer)) << method << ": " << answer;
        return answer;
    }

private:
    void Hear(std::u16string text) {
        const std::lock_guard lock(mutex_);
        heard_.push_back(std::move(text));
        changed_.notify_all();
    }

    int stop_[2] = {-1, -1};
    transfer::WatchSettings settings_;
    store::FolderHandle inbox_;
    store::FolderHandle sent_;
    std::unique_ptr<transfer::ReportIntake> reports_;
    std::thread watch_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::u16string> heard_;
};

constexpr std::u16string_view kNew = u"new: Are you there?";
const std::string kArriving = Message(1, 3, "+447700900123", "Are you there?");

// A message ModemManager adds while the watch waits is on disk within 2 s;
// one whose parts are still coming waits for its last part. Stored once. A
// delivery report that matches nothing goes to the report intake, and leaves
// the modem only with delete after receive.
TEST_F(ModemWatch, AMessageAddedWhileWatchingIsStoredOnceItIsWhole) {
    struct Row {
        int pduType;  // 3: a delivery report
        int state;    // 2: receiving, its last part to come
        int deleteAfterReceive;
    };
    for (const Row row : {Row{1, 3, 0}, Row{1, 3, 1}, Row{1, 2, 1}, Row{3, 3, 1}}) {
        SCOPED_TRACE(::testing::Message()
                     << row.pduType << " " << row.state << " delete " << row.deleteAfterReceive);
        Start(Modem(""));
        FreshStore();
        options.integers[options::Option::DeleteAfterReceive] = row.deleteAfterReceive;
        StartWatch(false);
        ASSERT_TRUE(Heard(transfer::kWatchingText, 1, 5s));
        const std::string path =
            Control("Arrive", Message(row.pduType, row.state, "+447700900123", "Are you there?",
                                      ", \"MessageReference\": 7, \"DeliveryState\": 0"));
        if (row.state == 2) {
            EXPECT_FALSE(Heard(kNew, 1, 300ms)) << "taken before its last part";
            Control("Complete", path);
        }
        EXPECT_TRUE(Heard(transfer::kWatchingText, 2, 2s));  // taken, and back to waiting
        StopWatch();
        const bool message = row.pduType == 1;
        EXPECT_EQ(Heard(kNew, 1, 0ms), message);
        EXPECT_FALSE(Heard(kNew, 2, 0ms));
        EXPECT_EQ(ReadAll(*Open(store::kInboxName)).size(), message ? 1u : 0u);
        EXPECT_EQ(CallsOf("Delete").size(), static_cast<std::size_t>(row.deleteAfterReceive));
        EXPECT_EQ(CallsOf("List").size(), 1u) << "read by a full receive, not as announced";
    }
}

// Unplugged and plugged back, or ModemManager restarted: the watch says the
// phone went away, connects again by itself and takes the next message.
TEST_F(ModemWatch, AModemThatGoesAndComesBackIsWatchedAgain) {
    const std::string modem = Modem("");
    struct Row {
        std::string name;
        std::function<void()> goAway, comeBack;
    };
    const std::vector<Row> rows = {
        {"unplugged", [&] { Control("Unplug"); }, [&] { Control("Plug"); }},
        {"ModemManager restarted", [&] { bus.StopMock(); },
         [&] {
             std::string error;
             EXPECT_TRUE(bus.StartMock(modem, error)) << error;
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Start(modem);
        FreshStore();
        StartWatch(true);
        ASSERT_TRUE(Heard(transfer::kWatchingText, 1, 5s));
        row.goAway();
        EXPECT_TRUE(Heard(transfer::kPhoneAwayText, 1, 5s));
        row.comeBack();
        ASSERT_TRUE(Heard(transfer::kWatchingText, 2, 5s));
        Control("Arrive", kArriving);
        EXPECT_TRUE(Heard(kNew, 1, 2s));
        StopWatch();
    }
}

}  // namespace
}  // namespace mivex::modem::test
