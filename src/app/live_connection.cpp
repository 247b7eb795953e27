#include "app/live_connection.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QMetaObject>
#include <QTimer>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <utility>

#include "app/app_context.h"
#include "app/transfer_runner.h"
#include "app/ui_thread.h"
#include "contacts/name_lookup.h"
#include "options/option_defaults.h"
#include "phone/serial_line.h"
#include "store/store.h"
#include "transfer/report_intake.h"
#include "transfer/watch_run.h"

namespace mivex::app {

// The watch's texts, queued to the interface thread without waiting: the
// watch never blocks on a busy window.
class LiveConnection::StatusRelay final : public platform::StatusSink {
public:
    explicit StatusRelay(LiveConnection& owner) : owner_(owner) {}
    void ShowStatus(std::u16string_view text, platform::StatusBeep,
                    platform::StatusColour colour) override {
        // No beep: a phone that stays away would beep at every try.
        owner_.QueueStatus(text, colour);
    }

private:
    LiveConnection& owner_;
};

class LiveConnection::ArrivalRelay final : public transfer::NewMessageSink {
public:
    explicit ArrivalRelay(LiveConnection& owner) : owner_(owner) {}
    void OnNewMessage(const store::InboxRecord& message) override { owner_.QueueArrival(message); }

private:
    LiveConnection& owner_;
};

LiveConnection::LiveConnection(MainWindow& window, AppContext& context, LiveListener& listener)
    : window_(window), context_(context), listener_(listener) {}

LiveConnection::~LiveConnection() {
    Stop();
}

void LiveConnection::FollowOptions() {
    std::u16string port;
    (void)context_.Options().ReadOption(options::Option::Port, port);
    // With no port chosen there is no phone yet, and nothing to say so
    // every few seconds.
    const bool wanted = options::ReceivesAsTheyArrive(context_.Options()) && !port.empty();
    if (Running() && (!wanted || port != port_))
        Stop();
    if (wanted && !Running())
        Start(std::move(port));
}

void LiveConnection::Start(std::u16string port) {
    stop_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stop_ < 0)
        return;  // the runs open the port themselves, as without the option
    port_ = std::move(port);
    thread_ = std::thread([this] { Watch(); });
}

void LiveConnection::Stop() {
    if (!Running())
        return;
    // The window stays alive meanwhile (a receive under way finishes its
    // message and closes the port), and the user's input waits for it.
    TransferRunner runner(window_);
    (void)runner.Run([this] {
        const std::uint64_t one = 1;
        (void)write(stop_, &one, sizeof one);
        thread_.join();
        // A run handed over as the watch ended runs here, opening the port
        // itself, so its caller is not left waiting.
        (void)jobs_.RunPending(nullptr);
        return 0;
    });
    close(stop_);
    stop_ = -1;
    // What the watch stored last is told before the connection is gone.
    DeliverArrivals();
}

bool LiveConnection::Post(transfer::LinkJobs::Job job) {
    return Running() && jobs_.Post(std::move(job));
}

void LiveConnection::Watch() {
    // A store connection of the thread's own: the interface thread goes on
    // opening and closing folders on its own one meanwhile.
    store::Store store(context_.DataDirectory(), context_.Sounds());
    options::StoreOptions options(store);
    phone::LinkContext link{context_.Clock(), context_.SerialOpener(), context_.Sounds(),
                            nullptr,          &context_.Pins(),        &context_.Modems()};
    StatusRelay status(*this);
    // The window holds the phone while it watches: another process's run is
    // told so rather than fighting it for the port.
    transfer::TransferContext transferContext{
        link, options, status, {context_.DataDirectory(), "the Mivex window", true}};
    store::FolderHandle inbox = store.OpenFolder(store::kInboxName, store::kInboxByDate);
    if (!inbox) {
        // Nothing can be stored: the runs the user starts open the port
        // themselves and say what is wrong with the store.
        pollfd stop{stop_, POLLIN, 0};
        while (poll(&stop, 1, -1) < 0 && errno == EINTR) {
        }
        return;
    }
    // Delivery reports are recorded in Sent; without it they stay on the phone.
    store::FolderHandle sent = store.OpenFolder(store::kSentName, store::kSentByDate);
    std::optional<transfer::ReportIntake> reports;
    if (sent)
        reports.emplace(*sent);
    // Names come from the interface thread's address book.
    const store::ContactNameLookup lookup =
        [this](std::u16string_view number) -> std::optional<std::u16string> {
        return OnThreadOf(*this, [this, number] { return NameOf(number); });
    };
    ArrivalRelay arrivals(*this);
    transfer::WatchSettings settings;
    settings.stopDescriptor = stop_;
    settings.jobs = &jobs_;
    transfer::KeepWatching(transferContext, *inbox, lookup, reports ? &*reports : nullptr, settings,
                           &arrivals);
}

std::optional<std::u16string> LiveConnection::NameOf(std::u16string_view number) {
    // Brought up to date as a receive the user starts does, but once for a
    // batch of messages: reading it again walks the contacts folder.
    contacts::ContactsDirectory& directory = context_.Contacts();
    const auto now = std::chrono::steady_clock::now();
    if (now - contactsRead_ >= std::chrono::seconds(1)) {
        (void)directory.Refresh();
        contactsRead_ = now;
    }
    return contacts::ContactNameLookupFor(directory.NameIndex())(number);
}

void LiveConnection::QueueStatus(std::u16string_view text, platform::StatusColour colour) {
    QMetaObject::invokeMethod(
        this,
        [this, shown = std::u16string(text), colour] { listener_.OnLiveStatus(shown, colour); },
        Qt::QueuedConnection);
}

void LiveConnection::QueueArrival(const store::InboxRecord& message) {
    bool first = false;
    {
        const std::lock_guard lock(arrivalsMutex_);
        first = arrivals_.empty();
        arrivals_.push_back(message);
    }
    if (first) {
        QMetaObject::invokeMethod(
            this, [this] { QTimer::singleShot(kGatherMs, this, [this] { DeliverArrivals(); }); },
            Qt::QueuedConnection);
    }
}

void LiveConnection::DeliverArrivals() {
    std::vector<store::InboxRecord> messages;
    {
        const std::lock_guard lock(arrivalsMutex_);
        messages.swap(arrivals_);
    }
    if (!messages.empty())
        listener_.OnArrivals(messages);
}

}  // namespace mivex::app
