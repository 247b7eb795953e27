// Watching a modem ModemManager owns: messages it announces are stored as
// they arrive, and a modem that goes and comes back is found again.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "modem_run_fixture.h"
#include "transfer/watch_run.h"

namespace mivex::modem::test {
namespace {

using namespace std::chrono_literals;

// The watch runs on a thread of its own, as in the programs, and is ended
// through its stop pipe; what it tells and shows is taken as it comes.
class ModemWatch : public ModemRun, public transfer::NewMessageSink {
protected:
    void SetUp() override {
        log.onShow = [this](std::u16string_view text) {
            const std::lock_guard lock(mutex_);
            shown_.emplace_back(text);
            changed_.notify_all();
        };
    }
    void TearDown() override { StopWatch(); }

    void StartWatch(bool keepWatching) {
        {
            const std::lock_guard lock(mutex_);
            shown_.clear();
            told_.clear();
        }
        ASSERT_EQ(pipe(stop_), 0);
        settings_.stopDescriptor = stop_[0];
        settings_.firstRetryMs = 100;
        settings_.lastRetryMs = 400;
        inbox_ = Open(store::kInboxName);
        watch_ = std::thread([this, keepWatching] {
            if (keepWatching)
                transfer::KeepWatching(context, *inbox_, {}, nullptr, settings_, this);
            else
                (void)transfer::WatchForMessages(context, *inbox_, {}, nullptr, settings_, this);
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

    void OnNewMessage(const store::InboxRecord& message) override {
        const std::lock_guard lock(mutex_);
        told_.push_back(message.Text);
        changed_.notify_all();
    }

    // Whether `text` was shown `times` times within `limit`.
    bool Shown(std::u16string_view text, std::size_t times, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] {
            return std::count(shown_.begin(), shown_.end(), text) >=
                   static_cast<std::ptrdiff_t>(times);
        });
    }
    // The texts of the new messages told once `count` were, or by `limit`.
    std::vector<std::u16string> Told(std::size_t count, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, limit, [&] { return told_.size() >= count; });
        return told_;
    }
    void Control(const std::string& method, const std::string& argument = "") {
        std::string answer;
        ASSERT_TRUE(bus.Control(method, argument, answer)) << method << ": " << answer;
        lastAnswer = answer;
    }

    std::string lastAnswer;

private:
    int stop_[2] = {-1, -1};
    transfer::WatchSettings settings_;
    store::FolderHandle inbox_;
    std::thread watch_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::u16string> shown_;
    std::vector<std::u16string> told_;
};

const std::string kArriving = Message(1, 3, "+447700900123", "Are you there?");
const std::string kInParts = Message(1, 2, "+447700900124", "Long story, told in three parts");

// A message ModemManager adds while the watch waits is on disk within 2 s;
// one whose parts are still coming waits for its last part, and is stored
// once.
TEST_F(ModemWatch, AMessageAddedWhileWatchingIsStoredOnceItIsWhole) {
    struct Row {
        std::string message;
        bool inParts;
        int deleteAfterReceive;
        std::u16string text;
    };
    const std::vector<Row> rows = {
        {kArriving, false, 0, u"Are you there?"},
        {kArriving, false, 1, u"Are you there?"},
        {kInParts, true, 1, u"Long story, told in three parts"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message + " delete " + std::to_string(row.deleteAfterReceive));
        Start(Modem(""));
        FreshStore();
        options.integers[options::Option::DeleteAfterReceive] = row.deleteAfterReceive;
        StartWatch(false);
        ASSERT_TRUE(Shown(transfer::kWatchingText, 1, 5s));
        Control("Arrive", row.message);
        if (row.inParts) {
            EXPECT_TRUE(Told(1, 300ms).empty()) << "taken before its last part";
            Control("Complete", lastAnswer);
        }
        EXPECT_EQ(Told(1, 2s), std::vector<std::u16string>{row.text});
        StopWatch();
        EXPECT_EQ(ReadAll(*Open(store::kInboxName)).size(), 1u);
        EXPECT_EQ(CallsOf("Delete").size(), static_cast<std::size_t>(row.deleteAfterReceive));
        EXPECT_EQ(Told(2, 0ms).size(), 1u);
    }
}

// Unplugged and plugged back, or ModemManager restarted: the watch says the
// phone went away, connects again by itself and takes the next message.
TEST_F(ModemWatch, AModemThatGoesAndComesBackIsWatchedAgain) {
    struct Row {
        std::string name;
        std::function<void()> goAway;
        std::function<void()> comeBack;
    };
    const std::vector<Row> rows = {
        {"unplugged", [&] { Control("Unplug"); }, [&] { Control("Plug"); }},
        {"ModemManager restarted", [&] { bus.StopMock(); },
         [&] {
             std::string error;
             ASSERT_TRUE(bus.StartMock(Modem(""), error)) << error;
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Start(Modem(""));
        FreshStore();
        StartWatch(true);
        ASSERT_TRUE(Shown(transfer::kWatchingText, 1, 5s));
        row.goAway();
        EXPECT_TRUE(Shown(transfer::kPhoneAwayText, 1, 5s));
        row.comeBack();
        ASSERT_TRUE(Shown(transfer::kWatchingText, 2, 5s));
        Control("Arrive", kArriving);
        EXPECT_EQ(Told(1, 2s), std::vector<std::u16string>{u"Are you there?"});
        StopWatch();
    }
}

}  // namespace
}  // namespace mivex::modem::test
