// What a watch costs: how soon an announced message is on disk, and how
// much CPU a watch uses while nothing happens.
//
// AnnouncedToDisk: the simulated phone, paced at 115,200 baud, takes a
// message from the network and announces it; a watch (KeepWatching) on a
// thread of this process reads and stores it. For each message:
//
//   stored_s     from the message reaching the phone to the watch telling
//                its listener that it is in the Inbox, joined and named
//   line_s       line time of every byte the phone and the watch exchanged
//                for it (the announcement, the read, its answer), 10 bits a
//                byte
//   write_s      one durable write of an Inbox record (SQLite,
//                synchronous=FULL) in a store of its own, measured here too
//   ratio        stored_s / (line_s + write_s): the target is 1.1 at most
//
// The Inbox already holds `inbox` messages, as a user's does.
//
// IdleWatch: mivex-cli watch on a simulated phone that stays quiet. The CPU
// time (user + system, from wait4's rusage) of a watch that idles for 60 s
// after its start-up (total_cpu_s), less that of one stopped at once after
// the same start-up (start_cpu_s, the median of three): idle_cpu_s, whose
// target is under 0.05 s.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "phone/posix_serial_device.h"
#include "phone_fill.h"
#include "phonesim/deliver_builder.h"
#include "phonesim/simulated_phone.h"
#include "run_seams.h"
#include "sms/hex_text.h"
#include "store/message_records.h"
#include "transfer/watch_run.h"

extern char** environ;

namespace {

namespace bench = mivex::bench;
namespace phone = mivex::phone;
namespace phonesim = mivex::phonesim;
namespace platform = mivex::platform;
namespace store = mivex::store;
namespace transfer = mivex::transfer;

using SteadyClock = std::chrono::steady_clock;
constexpr int kBaudRate = 115200;
constexpr double kBitsPerByte = 10.0;
constexpr std::string_view kSender = "+447700900123";

double Seconds(SteadyClock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

// Told by the watch's thread; waited on by the benchmark's.
class ArrivalSink final : public transfer::NewMessageSink, public platform::StatusSink {
public:
    void OnNewMessage(const store::InboxRecord&) override {
        const std::lock_guard lock(mutex_);
        ++told_;
        changed_.notify_all();
    }
    void ShowStatus(std::u16string_view text, platform::StatusBeep,
                    platform::StatusColour) override {
        const std::lock_guard lock(mutex_);
        watching_ = text == transfer::kWatchingText;
        changed_.notify_all();
    }
    // False when it did not come within a minute.
    bool WaitForTold(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::minutes(1), [&] { return told_ >= count; });
    }
    bool WaitForWatching() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::minutes(1), [&] { return watching_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int told_ = 0;
    bool watching_ = false;
};

// The time of one durable Inbox write, as the watch's store makes it.
double DurableWriteSeconds() {
    const std::filesystem::path directory = bench::MakeScratchDirectory();
    platform::SilentSounds sounds;
    double seconds = 0;
    {
        store::Store scratch(directory, sounds);
        store::FolderHandle inbox = scratch.OpenFolder(store::kInboxName, store::kInboxByDate);
        constexpr int kWrites = 20;
        const SteadyClock::time_point start = SteadyClock::now();
        for (int i = 0; i < kWrites && inbox; ++i) {
            store::InboxRecord record;
            record.SenderNumber = u"+447700900123";
            record.Text = u"a message of an ordinary length";
            (void)inbox->WriteRecord(0, store::ToProps(record));
        }
        seconds = Seconds(SteadyClock::now() - start) / kWrites;
    }
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
    return seconds;
}

void FillInbox(store::Store& data, int messages) {
    store::FolderHandle inbox = data.OpenFolder(store::kInboxName, store::kInboxByDate);
    for (int i = 0; i < messages && inbox; ++i) {
        store::InboxRecord record;
        record.SenderNumber = bench::PersonNumber(i);
        record.Text = u"an earlier message, number " +
                      std::u16string(1, static_cast<char16_t>(u'0' + i % 10));
        record.TimeStamp = static_cast<std::uint64_t>(i) * 10'000'000;
        (void)inbox->WriteRecord(0, store::ToProps(record));
    }
}

void AnnouncedToDisk(benchmark::State& state) {
    const std::filesystem::path directory = bench::MakeScratchDirectory();
    const std::string fifo = (directory / "incoming").string();
    if (directory.empty() || mkfifo(fifo.c_str(), 0600) != 0) {
        state.SkipWithError("failed: no FIFO");
        return;
    }
    phonesim::PhoneSetup setup;
    setup.stores = {phonesim::MessageStore(200), phonesim::MessageStore(10)};
    setup.baudRate = kBaudRate;
    setup.incomingFifo = fifo;
    phonesim::SimulatedPhone simulated(std::move(setup));
    std::string error;
    if (!simulated.Start(error)) {
        state.SkipWithError(("failed: " + error).c_str());
        return;
    }
    bench::ScratchStore data(simulated.DevicePath(), kBaudRate);
    if (!data.Ready()) {
        state.SkipWithError("failed: no store");
        return;
    }
    FillInbox(data.Store(), static_cast<int>(state.range(0)));
    const double writeSeconds = DurableWriteSeconds();

    bench::PauseCountingClock clock;
    phone::PosixSerialOpener opener;
    platform::SilentSounds sounds;
    ArrivalSink sink;
    phone::LinkContext link{clock, opener, sounds, nullptr};
    transfer::TransferContext context{link, data.Options(), sink};
    store::FolderHandle inbox = data.Store().OpenFolder(store::kInboxName, store::kInboxByDate);
    std::array<int, 2> stop{-1, -1};
    if (!inbox || pipe(stop.data()) != 0) {
        state.SkipWithError("failed: no Inbox");
        return;
    }
    transfer::WatchSettings settings;
    settings.stopDescriptor = stop[0];
    const store::ContactNameLookup lookup = [](std::u16string_view) {
        return std::optional<std::u16string>();
    };
    std::thread watch(
        [&] { transfer::KeepWatching(context, *inbox, lookup, nullptr, settings, &sink); });
    if (!sink.WaitForWatching()) {
        state.SkipWithError("failed: the watch did not start");
    }

    std::ofstream network(fifo);
    double storedSeconds = 0;
    double lineSeconds = 0;
    int count = 0;
    for (auto _ : state) {
        const std::u16string text = u"new message " + std::u16string(1, u'a' + count % 26) +
                                    std::u16string(static_cast<std::size_t>(count / 26), u'!');
        const std::string line =
            mivex::sms::BytesToHex(phonesim::BuildDeliverPdus(text, kSender, bench::kServiceCentre,
                                                              phonesim::SystemLocalTime())[0]) +
            '\n';
        const phonesim::RunnerStats before = simulated.Stats();
        const SteadyClock::time_point start = SteadyClock::now();
        network << line << std::flush;
        if (!sink.WaitForTold(++count)) {
            state.SkipWithError("failed: the message was not stored");
            break;
        }
        const double stored = Seconds(SteadyClock::now() - start);
        const phonesim::RunnerStats after = simulated.Stats();
        const double bytes = static_cast<double>(after.bytesRead - before.bytesRead +
                                                 after.bytesWritten - before.bytesWritten);
        storedSeconds += stored;
        lineSeconds += bytes * kBitsPerByte / kBaudRate;
        state.SetIterationTime(stored);
    }
    (void)write(stop[1], "x", 1);
    watch.join();
    close(stop[0]);
    close(stop[1]);
    if (count > 0) {
        state.counters["stored_s"] = storedSeconds / count;
        state.counters["line_s"] = lineSeconds / count;
        state.counters["write_s"] = writeSeconds;
        state.counters["ratio"] = storedSeconds / (lineSeconds + writeSeconds * count);
    }
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}
BENCHMARK(AnnouncedToDisk)
    ->Arg(0)
    ->Arg(2000)
    ->Iterations(40)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// mivex-cli watch on its own data directory until "Waiting for new
// messages" is on its standard output, then `idle` more; its CPU seconds.
std::optional<double> WatchCpuSeconds(const std::string& device, std::chrono::seconds idle) {
    const std::filesystem::path directory = bench::MakeScratchDirectory();
    const std::string output = (directory / "watch.out").string();
    std::vector<std::string> line{MIVEX_CLI_PATH, "--data-dir", (directory / "data").string(),
                                  "--port",       device,       "watch"};
    std::vector<char*> argv;
    for (std::string& argument : line) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, output.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    pid_t watcher = 0;
    const int spawned = posix_spawn(&watcher, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0) {
        return std::nullopt;
    }
    const SteadyClock::time_point limit = SteadyClock::now() + std::chrono::minutes(1);
    for (;;) {
        std::ifstream in(output);
        const std::string said{std::istreambuf_iterator<char>(in), {}};
        if (said.find("Waiting for new") != std::string::npos || SteadyClock::now() > limit) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::this_thread::sleep_for(idle);
    kill(watcher, SIGTERM);
    int status = 0;
    rusage used{};
    if (wait4(watcher, &status, 0, &used) != watcher || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return seconds(used.ru_utime) + seconds(used.ru_stime);
}

void IdleWatch(benchmark::State& state) {
    phonesim::PhoneSetup setup;
    setup.stores = {phonesim::MessageStore(30), phonesim::MessageStore(10)};
    phonesim::SimulatedPhone simulated(std::move(setup));
    std::string error;
    if (!simulated.Start(error)) {
        state.SkipWithError(("failed: " + error).c_str());
        return;
    }
    const auto idle = std::chrono::seconds(state.range(0));
    for (auto _ : state) {
        // The start-up varies by more than a minute's idling costs: the
        // reference is the median of three.
        std::vector<double> starts;
        for (int i = 0; i < 3; ++i) {
            if (const auto start = WatchCpuSeconds(simulated.DevicePath(), std::chrono::seconds(0)))
                starts.push_back(*start);
        }
        const std::optional<double> idled = WatchCpuSeconds(simulated.DevicePath(), idle);
        if (starts.size() != 3 || !idled) {
            state.SkipWithError("failed: the watch did not run or end cleanly");
            break;
        }
        std::sort(starts.begin(), starts.end());
        state.counters["start_cpu_s"] = starts[1];
        state.counters["total_cpu_s"] = *idled;
        state.counters["idle_cpu_s"] = *idled - starts[1];
        state.SetIterationTime(static_cast<double>(idle.count()));
    }
}
BENCHMARK(IdleWatch)->Arg(60)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
