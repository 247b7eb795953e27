// mivex-cli watch against a simulated phone that receives messages while it
// runs: they are stored as announced, handed to --on-receive intact, and a
// stop signal in the middle of a read loses none. It sends what others queue,
// outlives an unplugged phone, and keeps every other run off the phone.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "cli_fixture.h"
#include "sms/hex_text.h"

namespace mivex::tools {
namespace {

namespace fs = std::filesystem;

const phonesim::LocalTime kArrival{{2024, 3, 9, 12, 0, 0, 0}, 60};

class CliWatch : public CliFixture {
protected:
    ~CliWatch() override {
        if (watcher_ > 0) {
            kill(watcher_, SIGKILL);
            waitpid(watcher_, nullptr, 0);
        }
    }

    void StartWatchedPhone(phonesim::PhoneStores stores, int baudRate = 0) {
        ASSERT_EQ(mkfifo(fifo_.c_str(), 0600), 0);
        phonesim::PhoneSetup setup;
        // Named by a link, so that a replugged phone is found again.
        setup.deviceLink = (temp.path() / "phone").string();
        setup.stores = std::move(stores);
        setup.incomingFifo = fifo_;
        setup.baudRate = baudRate;
        StartPhone(std::move(setup));
        SetOption("UsePhoneServiceCentre", "1");
    }

    // `before` goes before the command, `extra` after it.
    void StartWatch(const Arguments& extra = {}, const Arguments& before = {}) {
        Arguments line = CliArguments({"watch"});
        line.insert(line.end() - 1, before.begin(), before.end());
        line.insert(line.end(), extra.begin(), extra.end());
        line.insert(line.begin(), MIVEX_CLI_PATH);
        std::vector<char*> argv;
        for (std::string& argument : line)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, output_.c_str(), O_WRONLY | O_CREAT, 0600);
        posix_spawn_file_actions_addopen(&files, 2, errors_.c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_EQ(posix_spawn(&watcher_, argv[0], &files, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&files);
    }

    // SIGTERM, then the exit status.
    int StopWatch() {
        kill(watcher_, SIGTERM);
        int status = 0;
        waitpid(std::exchange(watcher_, 0), &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Each PDU of `text` from `sender` arrives as from the network, one line at a time.
    void Arrive(std::u16string_view text, std::uint8_t reference = 0) {
        for (const auto& pdu : phonesim::BuildDeliverPdus(text, "+447700900123", "+447700900000",
                                                          kArrival, reference)) {
            std::ofstream(fifo_) << sms::BytesToHex(pdu) << '\n';
        }
    }

    // A bounded wait, never a timed assertion: true once `holds` does.
    template <typename Condition>
    static bool WaitFor(Condition holds) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!holds()) {
            if (std::chrono::steady_clock::now() > limit)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }

    [[nodiscard]] bool Watching() const { return Contains(Slurp(output_), "Waiting for new"); }

    [[nodiscard]] std::string Slurp(const fs::path& file) const {
        std::ifstream in(file);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path fifo_ = temp.path() / "incoming";
    fs::path output_ = temp.path() / "watch.out";
    fs::path errors_ = temp.path() / "watch.err";
    pid_t watcher_ = 0;
};

// What a program finds in its environment, one record per message.
constexpr std::string_view kHook =
    "#!/bin/sh\n"
    "printf '%s|%s|%s|%s\\036' \"$MIVEX_SENDER\" \"$MIVEX_NAME\" \"$MIVEX_TIME\" \"$MIVEX_TEXT\" "
    ">> \"$0.log\"\n";

TEST_F(CliWatch, StoresAnnouncedMessagesAndHandsThemOnIntact) {
    ASSERT_NO_FATAL_FAILURE(
        StartWatchedPhone({phonesim::MessageStore(10), phonesim::MessageStore(10)}));
    const fs::path hook = temp.path() / "hook";
    std::ofstream(hook) << kHook;
    fs::permissions(hook, fs::perms::owner_all);
    StartWatch({"--on-receive", hook.string()});

    const std::u16string longText(400, u'x');
    const std::u16string texts[] = {
        u"plain",
        u"$(touch pwned) `touch pwned`",
        u"a \"quoted\" 'text'; echo pwned > pwned",
        u"line one\r\nline two",
        longText,  // three parts, arriving one by one
    };
    std::string expected;
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        SCOPED_TRACE(i);
        Arrive(texts[i], static_cast<std::uint8_t>(i + 1));
        expected += "+447700900123|+447700900123|2024-03-09 12:00:00|" +
                    text::Utf16ToUtf8(texts[i]) + "\036";
        ASSERT_TRUE(WaitFor([&] { return Slurp(hook.string() + ".log") == expected; }))
            << Slurp(hook.string() + ".log") << Slurp(errors_);
    }
    EXPECT_EQ(StopWatch(), 0) << Slurp(errors_);
    EXPECT_EQ(Listed("inbox").size(), std::size(texts));
    EXPECT_FALSE(fs::exists(fs::current_path() / "pwned"));
    EXPECT_FALSE(fs::exists(temp.path() / "pwned"));
}

// The phone reads slowly; the stop comes while the first receive reads.
TEST_F(CliWatch, StopInTheMiddleOfAReadLosesNothing) {
    phonesim::PhoneStores stores{phonesim::MessageStore(10), phonesim::MessageStore(10)};
    const int count = 8;
    for (int i = 1; i <= count; ++i) {
        const auto pdus = phonesim::BuildDeliverPdus(u"message " + std::u16string(1, u'0' + i),
                                                     "+447700900123", "+447700900000", kArrival);
        ASSERT_TRUE(stores.phone.Put(i, {pdus[0], phonesim::MessageStatus::ReceivedUnread}));
    }
    ASSERT_NO_FATAL_FAILURE(StartWatchedPhone(std::move(stores), 2400));
    SetOption("DeleteAfterReceive", "1");
    StartWatch();
    ASSERT_TRUE(WaitFor([&] { return Contains(Slurp(output_), "Receiving message 3"); }));
    EXPECT_EQ(StopWatch(), 0) << Slurp(errors_);
    const std::size_t stored = Listed("inbox").size();
    const int onPhone = phone->Stores().phone.Used();
    EXPECT_EQ(static_cast<int>(stored) + onPhone, count) << stored << " + " << onPhone;
    EXPECT_GT(onPhone, 0);  // it did stop before the end
}

std::string InUseBy(pid_t watcher) {
    return "The phone is in use by mivex-cli watch (process " + std::to_string(watcher) +
           ") - it sends and receives for you.";
}

// While the watch holds the phone another run is refused, naming it, and
// leaves the phone alone; queueing still works; once the watch ends the
// phone is free again. A file left by a holder that died holds nothing.
TEST_F(CliWatch, OneProcessHoldsThePhone) {
    ASSERT_NO_FATAL_FAILURE(
        StartWatchedPhone({phonesim::MessageStore(10), phonesim::MessageStore(10)}));
    StartWatch();
    ASSERT_TRUE(WaitFor([&] { return Watching(); })) << Slurp(errors_);
    const std::size_t bytesBefore = phone->Stats().bytesRead;
    const ToolRun refused = Run({"receive"});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_TRUE(Contains(refused.err, InUseBy(watcher_))) << refused.err;
    EXPECT_EQ(phone->Stats().bytesRead, bytesBefore);
    EXPECT_EQ(Run({"queue", "--to", "+447700900555", "held"}).exitStatus, 0);
    EXPECT_EQ(StopWatch(), 0) << Slurp(errors_);

    std::ofstream(data / "phone.lock") << "999999\nmivex-cli watch\nkeeps\n";
    const ToolRun free = Run({"receive"});
    EXPECT_EQ(free.exitStatus, 0) << free.err;
}

// Queued by another process before the watch starts or while it watches,
// a message goes out within seconds without a poll of the phone. The trace
// keeps the whole watch, sends and all.
TEST_F(CliWatch, SendsWhatOthersQueue) {
    ASSERT_NO_FATAL_FAILURE(
        StartWatchedPhone({phonesim::MessageStore(10), phonesim::MessageStore(10)}));
    ASSERT_EQ(Run({"queue", "--to", "+447700900555", "before"}).exitStatus, 0);
    StartWatch({}, {"--trace"});
    ASSERT_TRUE(WaitFor([&] { return Submitted().size() == 1; })) << Slurp(errors_);
    ASSERT_TRUE(WaitFor([&] { return Watching(); }));
    ASSERT_EQ(Run({"queue", "--to", "+447700900555", "while"}).exitStatus, 0);
    ASSERT_TRUE(WaitFor([&] { return Submitted().size() == 2; })) << Slurp(errors_);
    EXPECT_EQ(Submitted(), (Arguments{"+447700900555 before", "+447700900555 while"}));
    EXPECT_EQ(StopWatch(), 0) << Slurp(errors_);
    EXPECT_TRUE(Listed("outbox").empty());
    EXPECT_EQ(Listed("sent").size(), 2u);
    const std::string trace = Slurp(data / "MXdebug.txt");
    EXPECT_TRUE(Contains(trace, "AT+CNMI=")) << trace;
    EXPECT_NE(trace.find("AT+CMGS="), trace.rfind("AT+CMGS=")) << trace;  // both sends
}

// The phone unplugged: the watch says so and carries on; what arrived and
// what was queued meanwhile is received and sent once it is back.
TEST_F(CliWatch, ReconnectsWhenThePhoneIsBack) {
    ASSERT_NO_FATAL_FAILURE(
        StartWatchedPhone({phonesim::MessageStore(10), phonesim::MessageStore(10)}));
    StartWatch();
    ASSERT_TRUE(WaitFor([&] { return Watching(); })) << Slurp(errors_);
    phone->Unplug();
    ASSERT_TRUE(WaitFor([&] { return Contains(Slurp(errors_), "The phone went away"); }));
    Arrive(u"while away");
    ASSERT_EQ(Run({"queue", "--to", "+447700900555", "queued away"}).exitStatus, 0);
    phone->Replug();
    ASSERT_TRUE(WaitFor([&] { return Listed("inbox") == Arguments{"while away"}; }))
        << Slurp(errors_);
    ASSERT_TRUE(WaitFor([&] { return Submitted().size() == 1; })) << Slurp(errors_);
    Arrive(u"after");
    EXPECT_TRUE(WaitFor([&] { return Listed("inbox").size() == 2; })) << Slurp(errors_);
    EXPECT_EQ(StopWatch(), 0) << Slurp(errors_);
}

}  // namespace
}  // namespace mivex::tools
