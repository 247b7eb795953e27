#include "transfer_commands.h"

#include <optional>
#include <string>

#include "console_output.h"
#include "contacts/contacts_directory.h"
#include "contacts/name_lookup.h"
#include "modem/mm_modem_directory.h"
#include "options/options_record.h"
#include "phone/posix_serial_device.h"
#include "phone/trace.h"
#include "pin_entry.h"
#include "platform/clock.h"
#include "platform/memory_controls.h"
#include "platform/sounds.h"
#include "port_override.h"
#include "receive_hook.h"
#include "sms/submit_encoder.h"
#include "stop_signals.h"
#include "store/discarding_compose_target.h"
#include "store/folder_listing.h"
#include "store/store.h"
#include "store_failure.h"
#include "text/utf8.h"
#include "transfer/receive_run.h"
#include "transfer/send_run.h"
#include "transfer/watch_run.h"

namespace mivex::tools {

namespace {

constexpr std::string_view kWatchCommand = "watch";
constexpr std::u16string_view kNothingToSendText = u"No messages to send...  ";

// Everything one transfer is handed, for one run of the program. Trace mode
// starts only once a folder is open: opening it makes the data directory the
// trace file goes into.
class TransferSetup {
public:
    TransferSetup(const SessionArguments& session, std::string_view command,
                  std::optional<std::u16string> port, std::optional<std::string> pin,
                  std::ostream& out, std::ostream& err)
        : session_(session),
          err_(err),
          pins_(std::move(pin), err),
          store_(session.dataDirectory, sounds_),
          storedOptions_(store_),
          options_(storedOptions_, std::move(port)),
          status_(out, err) {
        // Others told that the phone is in use learn which command holds it.
        context_.owner = {session.dataDirectory, "mivex-cli " + std::string(command),
                          command == kWatchCommand};
    }

    ~TransferSetup() {
        if (trace_)
            trace_->TraceWrite(phone::TraceKind::Close);
    }

    TransferSetup(const TransferSetup&) = delete;
    TransferSetup& operator=(const TransferSetup&) = delete;

    store::Store& store() { return store_; }
    ConsoleStatus& status() { return status_; }
    transfer::TransferContext& context() { return context_; }

    // Trace mode, when asked for, from here to the end of the run. A trace
    // file that cannot be created does not stop the transfer. Once only: an
    // open link writes to the trace it started with (a watch's sends).
    void StartTrace() {
        if (!session_.trace || trace_)
            return;
        trace_.emplace(clock_, session_.dataDirectory);
        if (!trace_->TraceWrite(phone::TraceKind::Open)) {
            err_ << kMessagePrefix << "cannot create the trace file " << trace_->FilePath().string()
                 << '\n';
        }
        link_.trace = &*trace_;
    }

private:
    const SessionArguments& session_;
    std::ostream& err_;
    platform::SystemClock clock_;
    phone::PosixSerialOpener opener_;
    platform::SilentSounds sounds_;
    std::optional<phone::Trace> trace_;
    ConsolePinPrompter pins_;
    // Names the ModemManager modem that holds a busy port.
    modem::MmModemDirectory modems_;
    phone::LinkContext link_{clock_, opener_, sounds_, nullptr, &pins_, &modems_};
    store::Store store_;
    options::StoreOptions storedOptions_;
    PortOverride options_;
    ConsoleStatus status_;
    transfer::TransferContext context_{link_, options_, status_};
};

// The PIN of --pin-file, read before anything is sent. False after telling
// the user when the file is refused.
bool PinArgument(const SessionArguments& session, std::optional<std::string>& pin,
                 std::ostream& err) {
    if (!session.pinFile)
        return true;
    std::string error;
    pin = ReadPinFile(*session.pinFile, error);
    if (!pin)
        err << kMessagePrefix << error << '\n';
    return pin.has_value();
}

// The port named on the command line, as the Port setting would hold it.
// False after telling the user when it is no usable name.
bool PortArgument(const SessionArguments& session, std::optional<std::u16string>& port,
                  std::ostream& err) {
    if (!session.port)
        return true;
    port = text::Utf8ToUtf16(*session.port);
    if (!port || port->empty()) {
        UsageError(err, "--port needs a device name in UTF-8, e.g. /dev/ttyUSB0");
        return false;
    }
    return true;
}

// Delivery reports are recorded in Sent; without it they stay on the phone.
// The intake goes before the folder it writes to, as members end in reverse.
class SentReports {
public:
    explicit SentReports(store::Store& store)
        : sent_(store.OpenFolder(store::kSentName, store::kSentByDate)) {
        if (sent_)
            intake_.emplace(*sent_);
    }

    [[nodiscard]] transfer::ReportIntake* Intake() { return intake_ ? &*intake_ : nullptr; }

    // Reports that stayed on the phone for a reason the user can act on.
    void TellProblems(std::ostream& err) const {
        if (!intake_)
            return;
        const transfer::ReportTally& tally = intake_->Tally();
        if (tally.unreadable != 0) {
            err << kMessagePrefix << tally.unreadable
                << " delivery reports could not be read and were left on the phone\n";
        }
        if (tally.unstored != 0) {
            err << kMessagePrefix << tally.unstored
                << " delivery reports could not be recorded in Sent and were left on the phone\n";
        }
    }

private:
    store::FolderHandle sent_;
    std::optional<transfer::ReportIntake> intake_;
};

// Senders are named from the address book; files it could not read are
// told once, not per message.
void RefreshContacts(contacts::ContactsDirectory& directory, std::ostream& err) {
    (void)directory.Refresh();
    if (const std::size_t problems = directory.Problems().size(); problems != 0) {
        err << kMessagePrefix << problems
            << " contacts files or cards could not be read; mivex-contacts check lists them\n";
    }
}

// What a receive files with besides the Inbox: the address book that names
// the senders, and the Sent folder that takes the delivery reports.
class ReceiveFiling {
public:
    ReceiveFiling(store::Store& store, const SessionArguments& session, std::ostream& err)
        : directory_(contacts::ContactsFolderIn(session.dataDirectory),
                     contacts::ContactsCacheIn(session.dataDirectory)),
          reports_(store) {
        RefreshContacts(directory_, err);
    }

    [[nodiscard]] store::ContactNameLookup Names() {
        return contacts::ContactNameLookupFor(directory_.NameIndex());
    }
    [[nodiscard]] transfer::ReportIntake* Reports() { return reports_.Intake(); }
    void TellProblems(std::ostream& err) const { reports_.TellProblems(err); }

private:
    contacts::ContactsDirectory directory_;
    SentReports reports_;
};

ExitStatus Receive(TransferSetup& setup, const SessionArguments& session, std::ostream& err) {
    store::FolderHandle inbox = setup.store().OpenFolder(store::kInboxName, store::kInboxByDate);
    if (!inbox)
        return StoreUnavailable(err, setup.store());
    ReceiveFiling filing(setup.store(), session, err);
    setup.StartTrace();
    const transfer::ReceiveResult result =
        transfer::ReceiveMessages(setup.context(), *inbox, filing.Names(), filing.Reports());
    filing.TellProblems(err);
    return result == transfer::ReceiveResult::Complete ? ExitStatus::Success : ExitStatus::Failed;
}

// Runs "Send All" on the Outbox as the window's Outbox view would: every
// row selected. `counters` are the program's, so ConcatRef moves on from one
// run to the next. Nothing is said or done when the Outbox is empty and
// `quietWhenEmpty`.
ExitStatus SendAll(TransferSetup& setup, sms::SubmitCounters& counters, bool quietWhenEmpty,
                   std::ostream& out, std::ostream& err) {
    store::Store& store = setup.store();
    store::FolderHandle outbox = store.OpenFolder(store::kOutboxName, store::kOutboxByDate);
    if (!outbox)
        return StoreUnavailable(err, store);
    store::PropArray props;
    if (quietWhenEmpty && outbox->SeekBeginning() == 0)
        return ExitStatus::Success;
    store::FolderHandle sent = store.OpenFolder(store::kSentName, store::kSentByDate);
    if (!sent)
        return StoreUnavailable(err, store);

    platform::MemoryList list;
    platform::MemoryText messageText;
    platform::MemoryText counter;
    ConsolePrompter prompter(out, err);
    store::DiscardingComposeTarget compose;
    const store::FolderViewControls view{list, messageText, counter, setup.status(), prompter};
    (void)store::OutboxListOp(view, compose, store::ListOperation::Fill, *outbox);
    list.SelectAll();
    // The fill passes over records it cannot read; they cannot be sent, and
    // a script must not take the run for one that sent everything.
    const std::size_t unreadable =
        store::ScanRecords(*outbox, props, [](store::ObjectId, const store::PropArray&) {});
    if (unreadable != 0) {
        err << kMessagePrefix << unreadable
            << " Outbox messages could not be read and will not be sent\n";
    }
    if (list.SelectedCount() == 0) {
        if (!quietWhenEmpty) {
            setup.status().ShowStatus(kNothingToSendText, platform::StatusBeep::Asterisk,
                                      platform::StatusColour::Blue);
        }
        return unreadable == 0 ? ExitStatus::Success : ExitStatus::Failed;
    }

    setup.StartTrace();
    const int sentCount = transfer::SendOutbox(list, setup.context(), *outbox, *sent, counters);
    store.CloseFolder(sent);
    store.CloseFolder(outbox);
    return sentCount > 0 && unreadable == 0 ? ExitStatus::Success : ExitStatus::Failed;
}

ExitStatus Send(TransferSetup& setup, std::ostream& out, std::ostream& err) {
    // ConcatRef starts at 0 with every run of the program.
    sms::SubmitCounters counters;
    return SendAll(setup, counters, false, out, err);
}

// Until a stop signal: receives as the phone announces, sends what is queued
// in the Outbox as it is queued, and connects again when the phone comes back.
ExitStatus Watch(TransferSetup& setup, const SessionArguments& session,
                 const std::string& onReceive, std::ostream& out, std::ostream& err) {
    store::FolderHandle inbox = setup.store().OpenFolder(store::kInboxName, store::kInboxByDate);
    if (!inbox)
        return StoreUnavailable(err, setup.store());
    ReceiveFiling filing(setup.store(), session, err);
    std::optional<ReceiveHook> hook;
    if (!onReceive.empty())
        hook.emplace(onReceive, err);

    const StopSignals stop;
    transfer::StoreChanges changes(setup.store());
    sms::SubmitCounters counters;
    transfer::WatchSettings settings;
    settings.stopDescriptor = stop.Descriptor();
    settings.storeChanges = &changes;
    settings.sendQueued = [&] { (void)SendAll(setup, counters, true, out, err); };
    setup.StartTrace();
    transfer::KeepWatching(setup.context(), *inbox, filing.Names(), filing.Reports(), settings,
                           hook ? &*hook : nullptr);
    filing.TellProblems(err);
    return ExitStatus::Success;
}

}  // namespace

ExitStatus RunReceive(const SessionArguments& session, std::ostream& out, std::ostream& err) {
    std::optional<std::u16string> port;
    if (!PortArgument(session, port, err))
        return ExitStatus::UsageError;
    std::optional<std::string> pin;
    if (!PinArgument(session, pin, err))
        return ExitStatus::Failed;
    TransferSetup setup(session, "receive", std::move(port), std::move(pin), out, err);
    return Receive(setup, session, err);
}

ExitStatus RunWatch(const SessionArguments& session, const std::string& onReceive,
                    std::ostream& out, std::ostream& err) {
    std::optional<std::u16string> port;
    if (!PortArgument(session, port, err))
        return ExitStatus::UsageError;
    std::optional<std::string> pin;
    if (!PinArgument(session, pin, err))
        return ExitStatus::Failed;
    TransferSetup setup(session, kWatchCommand, std::move(port), std::move(pin), out, err);
    return Watch(setup, session, onReceive, out, err);
}

ExitStatus RunSend(const SessionArguments& session, std::ostream& out, std::ostream& err) {
    std::optional<std::u16string> port;
    if (!PortArgument(session, port, err))
        return ExitStatus::UsageError;
    std::optional<std::string> pin;
    if (!PinArgument(session, pin, err))
        return ExitStatus::Failed;
    TransferSetup setup(session, "send", std::move(port), std::move(pin), out, err);
    return Send(setup, out, err);
}

}  // namespace mivex::tools
