// Runs posted to a watch: while it is connected they go over its open link
// (the phone is lined up once), while the phone is away they still run and
// report what they find.

#include <unistd.h>

#include <algorithm>
#include <array>
#include <future>
#include <thread>

#include "transfer/link_jobs.h"
#include "transfer/receive_run.h"
#include "transfer/watch_run.h"
#include "transfer_fixture.h"

namespace mivex::transfer::test {
namespace {

class WatchJobs : public TransferOnPty {
protected:
    // Watches on a thread of its own until `job` has run, then stops it.
    ReceiveResult ReceiveWhileWatching() {
        std::array<int, 2> stop{-1, -1};
        EXPECT_EQ(pipe(stop.data()), 0);
        LinkJobs jobs;
        WatchSettings settings;
        settings.stopDescriptor = stop[0];
        settings.jobs = &jobs;
        settings.firstRetryMs = 20;
        store::FolderHandle inbox = Open(store::kInboxName);
        const store::ContactNameLookup lookup = [](std::u16string_view) {
            return std::optional<std::u16string>();
        };
        std::thread watch(
            [&] { KeepWatching(context, *inbox, lookup, nullptr, settings, nullptr); });
        std::promise<ReceiveResult> received;
        EXPECT_TRUE(
            jobs.Post([&] { received.set_value(ReceiveMessages(context, *inbox, lookup)); }));
        const ReceiveResult result = received.get_future().get();
        EXPECT_EQ(write(stop[1], "x", 1), 1);
        watch.join();
        close(stop[0]);
        close(stop[1]);
        return result;
    }

    [[nodiscard]] long LineUps() const {
        return std::count_if(log.events.begin(), log.events.end(), [](const std::u16string& event) {
            return event.starts_with(u"Initializing ") && event.ends_with(u" OK");
        });
    }
};

TEST_F(WatchJobs, RunsOverTheOpenLinkOrWithoutOne) {
    struct Case {
        const char* name;
        bool phoneThere;
        ReceiveResult result;
        long lineUps;
    };
    for (const Case& row : {
             Case{"connected: one line-up for both", true, ReceiveResult::Complete, 1},
             Case{"phone away: the run says so", false, ReceiveResult::NoConnection, 0},
         }) {
        SCOPED_TRACE(row.name);
        log.events.clear();
        FreshStore();
        if (row.phoneThere) {
            ASSERT_NO_FATAL_FAILURE(StartPhone(Stores(10, {{1, Delivered(u"hello")[0]}})));
        } else {
            options.strings[options::Option::Port] = u"/nonexistent/phone:";
        }
        EXPECT_EQ(ReceiveWhileWatching(), row.result);
        EXPECT_EQ(LineUps(), row.lineUps);
        if (row.phoneThere) {
            EXPECT_EQ(ReadAll(*Open(store::kInboxName)).size(), 1u);
        }
    }
}

}  // namespace
}  // namespace mivex::transfer::test
