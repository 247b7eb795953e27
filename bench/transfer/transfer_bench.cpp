// How close the transfer runs come to the time the serial line and their own
// pauses set. The simulated phone sits on a pseudo-terminal and paces both
// directions at 115,200 baud; each run gets a fresh store in a directory of
// its own. For every run:
//
//   run_s    the run, from call to return
//   line_s   line time of every byte the client and the phone wrote,
//            10 bits a byte (start bit, 8 data bits, stop bit)
//   pause_s  the pauses the run asked its clock for (the settle time before
//            the first command, the pauses after a submit, after a sent
//            message, with the results on screen)
//   ratio    run_s / (line_s + pause_s): 1 is a run that spends no time of
//            its own
//
// ReceiveWithReports reads as many delivery reports as messages, each
// matched to a Sent message and recorded there: its ratio is to stay as
// close to 1 as a receive without reports.
//
// gammu, a widely used AT client, reads the same messages from the same kind
// of phone with "getallsms" as a second reference; receive_to_gammu is the
// receive run's time over gammu's.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "gammu_client.h"
#include "phone/posix_serial_device.h"
#include "phone_fill.h"
#include "phonesim/network_reports.h"
#include "phonesim/simulated_phone.h"
#include "platform/memory_controls.h"
#include "run_seams.h"
#include "sms/submit_encoder.h"
#include "store/message_records.h"
#include "store/sent_report.h"
#include "transfer/receive_run.h"
#include "transfer/send_run.h"

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
constexpr int kGammuLimitSeconds = 600;

// A run that went wrong; the smoke test fails on this lead, while a missing
// gammu only skips its benchmark.
constexpr std::string_view kFailedLead = "failed: ";

void Fail(benchmark::State& state, std::string_view why) {
    state.SkipWithError((std::string(kFailedLead) + std::string(why)).c_str());
}

double SecondsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

// What the runs of one benchmark added up to.
struct Totals {
    double runSeconds = 0;
    double pauseSeconds = 0;
    std::uint64_t clientBytes = 0;  // the client wrote, the phone took
    std::uint64_t phoneBytes = 0;   // the phone wrote

    void AddLine(const phonesim::RunnerStats& before, const phonesim::RunnerStats& after) {
        clientBytes += after.bytesRead - before.bytesRead;
        phoneBytes += after.bytesWritten - before.bytesWritten;
    }
    [[nodiscard]] double LineSeconds() const {
        return static_cast<double>(clientBytes + phoneBytes) * kBitsPerByte / kBaudRate;
    }
};

void ReportTotals(benchmark::State& state, const Totals& totals) {
    using benchmark::Counter;
    state.counters["run_s"] = Counter(totals.runSeconds, Counter::kAvgIterations);
    state.counters["line_s"] = Counter(totals.LineSeconds(), Counter::kAvgIterations);
    state.counters["pause_s"] = Counter(totals.pauseSeconds, Counter::kAvgIterations);
    state.counters["ratio"] = totals.runSeconds / (totals.LineSeconds() + totals.pauseSeconds);
    state.counters["client_bytes"] =
        Counter(static_cast<double>(totals.clientBytes), Counter::kAvgIterations);
    state.counters["phone_bytes"] =
        Counter(static_cast<double>(totals.phoneBytes), Counter::kAvgIterations);
}

std::unique_ptr<phonesim::SimulatedPhone> StartPhone(phonesim::PhoneStores stores,
                                                     std::string& error) {
    phonesim::PhoneSetup setup;
    setup.stores = std::move(stores);
    setup.baudRate = kBaudRate;
    auto simulated = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
    if (!simulated->Start(error)) {
        return nullptr;
    }
    return simulated;
}

// The connection pieces and the settings of one run.
struct RunSeams {
    explicit RunSeams(mivex::options::OptionReader& options)
        : link{clock, opener, sounds, nullptr}, context{link, options, status} {}

    bench::PauseCountingClock clock;
    phone::PosixSerialOpener opener;
    platform::SilentSounds sounds;
    bench::CountingStatus status;
    phone::LinkContext link;
    transfer::TransferContext context;
};

std::size_t CountRecords(store::Folder& folder) {
    std::size_t count = 0;
    for (store::ObjectId id = folder.SeekBeginning(); id != 0; id = folder.SeekForward()) {
        ++count;
    }
    return count;
}

// The receive run's mean time per message count, for the comparison with gammu.
std::map<int, double>& ReceiveSecondsByMessages() {
    static std::map<int, double> seconds;
    return seconds;
}

struct ReceiveOutcome {
    std::string error;  // empty when the run read everything
    double seconds = 0;
};

// Stops the framework's clock while a run's store is made and checked, so
// its time is the run's alone; nothing to do outside the timed loop.
class UntimedStep {
public:
    explicit UntimedStep(benchmark::State* state) : state_(state) {
        if (state_ != nullptr) {
            state_->PauseTiming();
        }
    }
    ~UntimedStep() {
        if (state_ != nullptr) {
            state_->ResumeTiming();
        }
    }
    UntimedStep(const UntimedStep&) = delete;
    UntimedStep& operator=(const UntimedStep&) = delete;

private:
    benchmark::State* state_;
};

// One receive run into a fresh store; `state` is null outside the timed loop.
ReceiveOutcome ReceiveOnce(benchmark::State* state, phonesim::SimulatedPhone& simulated, int texts,
                           Totals& totals) {
    std::optional<UntimedStep> untimed(std::in_place, state);
    ReceiveOutcome outcome;
    bench::ScratchStore scratch(simulated.DevicePath(), kBaudRate);
    store::FolderHandle inbox;
    if (scratch.Ready()) {
        inbox = scratch.Store().OpenFolder(store::kInboxName, store::kInboxByDate);
    }
    if (!inbox) {
        outcome.error = "no store could be made";
        return outcome;
    }
    RunSeams seams(scratch.Options());
    const store::ContactNameLookup noContacts = [](std::u16string_view) {
        return std::optional<std::u16string>();
    };
    const phonesim::RunnerStats before = simulated.Stats();
    untimed.reset();

    const auto start = SteadyClock::now();
    const transfer::ReceiveResult result =
        transfer::ReceiveMessages(seams.context, *inbox, noContacts);
    outcome.seconds = SecondsSince(start);

    untimed.emplace(state);
    totals.runSeconds += outcome.seconds;
    totals.pauseSeconds += static_cast<double>(seams.clock.PausedMs()) / 1000.0;
    totals.AddLine(before, simulated.Stats());
    if (result != transfer::ReceiveResult::Complete ||
        seams.status.Last() != transfer::NewMessagesText(texts) ||
        CountRecords(*inbox) != static_cast<std::size_t>(texts)) {
        outcome.error = "the receive run did not store every message";
    }
    (void)scratch.Store().CloseFolder(inbox);
    return outcome;
}

// Receives the phone's `messages` stored PDUs; nothing is deleted from the phone,
// so one phone serves every iteration.
void ReceiveRun(benchmark::State& state) {
    const int messages = static_cast<int>(state.range(0));
    bench::PhoneFill fill = bench::ReceiveStores(messages);
    std::string error;
    const std::unique_ptr<phonesim::SimulatedPhone> simulated =
        StartPhone(std::move(fill.stores), error);
    if (!simulated) {
        Fail(state, error);
        return;
    }
    Totals totals;
    for (auto _ : state) {
        const ReceiveOutcome outcome = ReceiveOnce(&state, *simulated, fill.texts, totals);
        if (!outcome.error.empty()) {
            Fail(state, outcome.error);
            return;
        }
    }
    ReportTotals(state, totals);
    ReceiveSecondsByMessages()[messages] =
        totals.runSeconds / static_cast<double>(state.iterations());
}

// The service centre took report `index`'s message at this time, and the
// message was filed in Sent a minute before by this computer's clock.
constexpr phonesim::LocalTime kReportTaken{{2026, 12, 6, 14, 3, 0, 0}, 0};
constexpr mivex::sms::CalendarTime kReportSent{2026, 12, 6, 14, 2, 0, 0};

// The phone's messages with a delivery report after each, in slots after them.
phonesim::PhoneStores WithReports(const phonesim::PhoneStores& messages, int reports) {
    phonesim::PhoneStores stores{phonesim::MessageStore(messages.phone.Capacity() + reports),
                                 messages.sim};
    for (const auto& [slot, message] : messages.phone.Messages()) {
        (void)stores.phone.Put(slot, message);
    }
    for (int index = 0; index < reports; ++index) {
        const std::u16string number = bench::PersonNumber(index);
        const auto pdu = phonesim::BuildStatusReport(
            static_cast<std::uint8_t>(index), std::string(number.begin(), number.end()),
            bench::kServiceCentre, kReportTaken, kReportTaken, phonesim::kReportDelivered);
        (void)stores.phone.Put(*stores.phone.FirstFreeSlot(),
                               {pdu, phonesim::MessageStatus::ReceivedUnread});
    }
    return stores;
}

// The Sent messages the reports are on, one reference each.
bool FillSent(store::Folder& sent, int reports) {
    const mivex::sms::FileTime sentTime = *mivex::sms::CalendarToFileTime(kReportSent);
    for (int index = 0; index < reports; ++index) {
        const std::optional<std::uint8_t> reference = static_cast<std::uint8_t>(index);
        store::SentRecord record{bench::PersonNumber(index), u"Person", sentTime, u"text", u""};
        record.ReportSegments = store::ReportToAwait(true, std::span(&reference, 1));
        if (sent.WriteRecord(0, store::ToProps(record)) == 0) {
            return false;
        }
    }
    return true;
}

// One receive of `messages` stored PDUs and as many reports, from a phone
// and a store made afresh (the reports leave the phone once recorded).
std::string ReceiveReportsOnce(benchmark::State& state, const phonesim::PhoneStores& phoneStores,
                               int texts, int reports, Totals& totals) {
    std::optional<UntimedStep> untimed(std::in_place, &state);
    std::string error;
    const std::unique_ptr<phonesim::SimulatedPhone> simulated =
        StartPhone(WithReports(phoneStores, reports), error);
    if (!simulated) {
        return error;
    }
    bench::ScratchStore scratch(simulated->DevicePath(), kBaudRate);
    store::FolderHandle inbox;
    store::FolderHandle sent;
    if (scratch.Ready()) {
        inbox = scratch.Store().OpenFolder(store::kInboxName, store::kInboxByDate);
        sent = scratch.Store().OpenFolder(store::kSentName, store::kSentByDate);
    }
    if (!inbox || !sent || !FillSent(*sent, reports)) {
        return "no store could be made";
    }
    RunSeams seams(scratch.Options());
    transfer::ReportIntake intake(*sent);
    const store::ContactNameLookup noContacts = [](std::u16string_view) {
        return std::optional<std::u16string>();
    };
    const phonesim::RunnerStats before = simulated->Stats();
    untimed.reset();

    const auto start = SteadyClock::now();
    const transfer::ReceiveResult result =
        transfer::ReceiveMessages(seams.context, *inbox, noContacts, &intake);
    const double seconds = SecondsSince(start);

    untimed.emplace(&state);
    totals.runSeconds += seconds;
    totals.pauseSeconds += static_cast<double>(seams.clock.PausedMs()) / 1000.0;
    totals.AddLine(before, simulated->Stats());
    if (result != transfer::ReceiveResult::Complete || intake.Tally().recorded != reports ||
        seams.status.Last() != transfer::NewMessagesText(texts) ||
        CountRecords(*inbox) != static_cast<std::size_t>(texts)) {
        return "the receive run did not store every message and record every report";
    }
    (void)scratch.Store().CloseFolder(sent);
    (void)scratch.Store().CloseFolder(inbox);
    return {};
}

void ReceiveWithReports(benchmark::State& state) {
    const int messages = static_cast<int>(state.range(0));
    const bench::PhoneFill fill = bench::ReceiveStores(messages);
    Totals totals;
    for (auto _ : state) {
        if (const std::string error =
                ReceiveReportsOnce(state, fill.stores, fill.texts, messages, totals);
            !error.empty()) {
            Fail(state, error);
            return;
        }
    }
    ReportTotals(state, totals);
}

// Writes one Outbox record per text and lists them all, selected, in that order.
bool FillOutbox(store::Folder& outbox, platform::ListControl& list,
                const std::vector<std::u16string>& texts) {
    for (std::size_t index = 0; index < texts.size(); ++index) {
        const int person = static_cast<int>(index);
        store::OutboxRecord record{bench::PersonNumber(person),
                                   u"Person " + bench::PersonNumber(person), 0, texts[index], 0};
        const store::ObjectId id = outbox.WriteRecord(0, store::ToProps(record));
        if (id == 0) {
            return false;
        }
        const std::size_t row = list.AddRow(record.RecipientName);
        list.SetItemData(row, id);
        list.SetSelected(row, true);
    }
    return true;
}

// One sending run of `texts` from a fresh Outbox, every row selected. True
// when every message went out and was filed in Sent.
bool SendOnce(benchmark::State& state, phonesim::SimulatedPhone& simulated,
              const std::vector<std::u16string>& texts, mivex::sms::SubmitCounters& counters,
              Totals& totals) {
    std::optional<UntimedStep> untimed(std::in_place, &state);
    bench::ScratchStore scratch(simulated.DevicePath(), kBaudRate);
    store::FolderHandle outbox;
    store::FolderHandle sent;
    if (scratch.Ready()) {
        outbox = scratch.Store().OpenFolder(store::kOutboxName, store::kOutboxByDate);
        sent = scratch.Store().OpenFolder(store::kSentName, store::kSentByDate);
    }
    platform::MemoryList list;
    if (!outbox || !sent || !FillOutbox(*outbox, list, texts)) {
        return false;
    }
    RunSeams seams(scratch.Options());
    const phonesim::RunnerStats before = simulated.Stats();
    untimed.reset();

    const auto start = SteadyClock::now();
    const int result = transfer::SendOutbox(list, seams.context, *outbox, *sent, counters);
    const double seconds = SecondsSince(start);

    untimed.emplace(&state);
    totals.runSeconds += seconds;
    totals.pauseSeconds += static_cast<double>(seams.clock.PausedMs()) / 1000.0;
    totals.AddLine(before, simulated.Stats());
    const bool sentAll = result == static_cast<int>(texts.size()) && list.Count() == 0 &&
                         CountRecords(*outbox) == 0 && CountRecords(*sent) == texts.size();
    (void)scratch.Store().CloseFolder(sent);
    (void)scratch.Store().CloseFolder(outbox);
    return sentAll;
}

// Sends `messages` Outbox messages, one in five long (two or three segments),
// through the own service centre.
void SendRun(benchmark::State& state) {
    const int messages = static_cast<int>(state.range(0));
    const std::vector<std::u16string> texts = bench::OutboxTexts(messages, messages / 5);
    std::string error;
    const std::unique_ptr<phonesim::SimulatedPhone> simulated = StartPhone(
        phonesim::PhoneStores{phonesim::MessageStore(), phonesim::MessageStore()}, error);
    if (!simulated) {
        Fail(state, error);
        return;
    }
    mivex::sms::SubmitCounters counters;
    Totals totals;
    for (auto _ : state) {
        if (!SendOnce(state, *simulated, texts, counters, totals)) {
            Fail(state, "the send run did not send every message");
            return;
        }
    }
    ReportTotals(state, totals);
}

// gammu reading the same kind of phone. Its time holds its own start-up and
// the probing of the phone it does before reading.
void GammuGetAllSms(benchmark::State& state) {
    const int messages = static_cast<int>(state.range(0));
    if (!bench::GammuInstalled()) {
        state.SkipWithError("gammu is not installed (Debian package gammu)");
        return;
    }
    bench::PhoneFill fill = bench::ReceiveStores(messages);
    std::string error;
    const std::unique_ptr<phonesim::SimulatedPhone> simulated =
        StartPhone(std::move(fill.stores), error);
    const std::filesystem::path work = bench::MakeScratchDirectory();
    if (!simulated || work.empty()) {
        Fail(state, simulated ? "no work directory" : error);
        return;
    }
    // The receive run of the same size, for the ratio; measured here when its
    // own benchmark did not run before this one.
    double receiveSeconds = 0;
    if (const auto known = ReceiveSecondsByMessages().find(messages);
        known != ReceiveSecondsByMessages().end()) {
        receiveSeconds = known->second;
    } else {
        Totals receiveTotals;
        const ReceiveOutcome outcome = ReceiveOnce(nullptr, *simulated, fill.texts, receiveTotals);
        receiveSeconds = outcome.error.empty() ? outcome.seconds : 0;
    }

    Totals totals;
    std::string failure;
    for (auto _ : state) {
        const phonesim::RunnerStats before = simulated->Stats();
        const bench::GammuRun run =
            bench::RunGammuGetAllSms(simulated->DevicePath(), work, kGammuLimitSeconds);
        totals.runSeconds += run.seconds;
        totals.AddLine(before, simulated->Stats());
        if (!run.ok || run.locations != messages) {
            failure =
                run.ok ? "gammu listed " + std::to_string(run.locations) + " messages" : run.error;
            break;
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(work, ignored);
    if (!failure.empty()) {
        Fail(state, failure);
        return;
    }

    using benchmark::Counter;
    const double gammuSeconds = totals.runSeconds / static_cast<double>(state.iterations());
    state.counters["gammu_s"] = gammuSeconds;
    state.counters["line_s"] = Counter(totals.LineSeconds(), Counter::kAvgIterations);
    state.counters["client_bytes"] =
        Counter(static_cast<double>(totals.clientBytes), Counter::kAvgIterations);
    state.counters["phone_bytes"] =
        Counter(static_cast<double>(totals.phoneBytes), Counter::kAvgIterations);
    state.counters["ratio_to_line"] = totals.runSeconds / totals.LineSeconds();

    if (receiveSeconds > 0) {
        state.counters["receive_to_gammu"] = receiveSeconds / gammuSeconds;
    }
}

// The full runs are seconds long, so a few iterations say enough; the
// three-message runs keep the benchmarks working under ctest.
BENCHMARK(ReceiveRun)
    ->ArgName("messages")
    ->Arg(250)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(ReceiveRun)
    ->ArgName("messages")
    ->Arg(100)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(ReceiveWithReports)
    ->ArgName("messages")
    ->Arg(100)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(SendRun)
    ->ArgName("messages")
    ->Arg(50)
    ->Iterations(2)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(GammuGetAllSms)
    ->ArgName("messages")
    ->Arg(250)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(ReceiveRun)
    ->ArgName("messages")
    ->Arg(3)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(ReceiveWithReports)
    ->ArgName("messages")
    ->Arg(3)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(SendRun)
    ->ArgName("messages")
    ->Arg(3)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(GammuGetAllSms)
    ->ArgName("messages")
    ->Arg(3)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace
