#include "transfer/watch_run.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <vector>

#include "phone/wake_poll.h"
#include "transfer/open_link.h"
#include "transfer/receive_run.h"
#include "transfer/status_text.h"

namespace mivex::transfer {
namespace {

bool StopAsked(int descriptor) {
    pollfd stop{descriptor, POLLIN, 0};
    return descriptor >= 0 && poll(&stop, 1, 0) > 0;
}

std::vector<int> WakeDescriptors(const WatchSettings& settings) {
    std::vector<int> wake{settings.stopDescriptor};
    if (settings.jobs != nullptr) {
        wake.push_back(settings.jobs->WakeDescriptor());
    }
    return wake;
}

// While connected the store's changes wake the watch too; not in the pause,
// where nothing is sent and a change left unread would wake it at once.
std::vector<int> ConnectedWakeDescriptors(const WatchSettings& settings) {
    std::vector<int> wake = WakeDescriptors(settings);
    if (settings.sendQueued && settings.storeChanges != nullptr) {
        wake.push_back(settings.storeChanges->Descriptor());
    }
    return wake;
}

void SendQueued(const WatchSettings& settings, phone::MessageLink& link) {
    if (!settings.sendQueued || link.Lost()) {
        return;
    }
    const LendLink lent(link);
    settings.sendQueued();
}

// Keeps track of the Inbox's whole messages so that each new one is told
// once, whichever step (read, join, drop of a copy) made it.
class NewMessages {
public:
    NewMessages(store::Folder& inbox, NewMessageSink* sink) : inbox_(inbox), sink_(sink) {
        Scan(false);
    }

    void Tell() { Scan(true); }
    // Takes in what is there without telling it.
    void Acknowledge() { Scan(false); }

private:
    void Scan(bool tell) {
        store::PropArray props;
        (void)store::ScanRecords(
            inbox_, props, [&](store::ObjectId id, const store::PropArray& read) {
                const std::optional<store::InboxRecord> record = store::AsInboxRecord(read);
                if (!record || record->IsPart != 0 || !known_.insert(id).second) {
                    return;
                }
                if (tell && sink_ != nullptr) {
                    sink_->OnNewMessage(*record);
                }
            });
    }

    store::Folder& inbox_;
    NewMessageSink* sink_;
    std::set<store::ObjectId> known_;
};

class Watch {
public:
    Watch(TransferContext& context, store::Folder& inbox, const store::ContactNameLookup& lookup,
          ReportIntake* reports, NewMessageSink* sink, int stopDescriptor)
        : context_(context),
          inbox_(inbox),
          lookup_(lookup),
          reports_(reports),
          news_(inbox, sink),
          stop_([stopDescriptor] { return StopAsked(stopDescriptor); }) {}

    // A full receive; at a backstop, parts still incomplete since the last
    // one are joined with their gaps.
    void FullReceive(phone::MessageLink& link, bool backstop) {
        (void)ReceiveOverLink(context_, link, inbox_, reports_, stop_);
        const bool joinGaps = backstop && incompleteAtBackstop_;
        Tidy(joinGaps);
        if (backstop) {
            incompleteAtBackstop_ = incompleteLeft_;
        }
    }

    // The announced slots; a full receive after them when one could not be
    // read or left the phone, as an announcement may have been lost with it.
    void ReceiveAnnounced(phone::MessageLink& link, const std::vector<phone::Announcement>& all) {
        ReceiveTally run;
        for (const phone::Announcement& announced : all) {
            if (announced.report && reports_ == nullptr) {
                continue;
            }
            // Named as it is written: the message is on disk, ready to
            // show, after one write.
            transfer::ReceiveAnnounced(context_, link, inbox_, announced, reports_, run, &lookup_);
            if (link.Lost()) {
                break;
            }
        }
        if ((!run.complete || run.leftOnPhone) && !link.Lost()) {
            (void)ReceiveOverLink(context_, link, inbox_, reports_, stop_);
            Tidy(false);
            return;
        }
        // Nothing to join and no one to name when every message read was
        // whole and written named; skipping both saves two passes over a
        // large Inbox for every message that comes.
        Tidy(false, run.received == run.whole ? Arrivals::WholeAndNamed : Arrivals::Any);
    }

    void Refresh() { news_.Acknowledge(); }

private:
    enum class Arrivals { Any, WholeAndNamed };

    void Tidy(bool joinGaps, Arrivals arrivals = Arrivals::Any) {
        if (joinGaps) {
            (void)store::JoinParts(inbox_);
            incompleteLeft_ = false;
        } else if (arrivals == Arrivals::Any) {
            (void)store::JoinCompleteParts(inbox_, incompleteLeft_);
        }
        (void)store::RemoveDuplicates(inbox_);
        if (arrivals == Arrivals::Any) {
            store::FillSenderNames(inbox_, lookup_);
        }
        news_.Tell();
        ShowProgress(context_.status, kWatchingText);
    }

    TransferContext& context_;
    store::Folder& inbox_;
    const store::ContactNameLookup& lookup_;
    ReportIntake* reports_;
    NewMessages news_;
    StopCheck stop_;
    bool incompleteLeft_ = false;
    bool incompleteAtBackstop_ = false;
};

}  // namespace

WatchResult WatchForMessages(TransferContext& context, store::Folder& inbox,
                             const store::ContactNameLookup& lookup, ReportIntake* reports,
                             const WatchSettings& settings, NewMessageSink* sink) {
    const std::unique_ptr<phone::MessageLink> link = OpenMessageLink(context);
    if (!link) {
        return WatchResult::NoConnection;
    }
    Watch watch(context, inbox, lookup, reports, sink, settings.stopDescriptor);
    // Announcements first, so that nothing landing during the first receive
    // goes unannounced; what it already read is announced in vain and found
    // empty or a copy.
    (void)link->RequestAnnouncements();
    watch.FullReceive(*link, false);
    // What was queued while the phone was away; changes seen so far are in it.
    if (settings.storeChanges != nullptr) {
        (void)settings.storeChanges->TakeChanges(std::chrono::milliseconds(0));
    }
    SendQueued(settings, *link);
    watch.Refresh();

    platform::Clock& clock = context.link.clock;
    std::uint64_t nextFull = clock.NowMs() + settings.backstopMs;
    const std::vector<int> wake = ConnectedWakeDescriptors(settings);
    WatchResult result = WatchResult::Stopped;
    while (!StopAsked(settings.stopDescriptor)) {
        if (link->Lost()) {
            result = WatchResult::LinkLost;
            break;
        }
        const std::uint64_t now = clock.NowMs();
        if (now >= nextFull) {
            (void)link->RequestAnnouncements();
            watch.FullReceive(*link, true);
            nextFull = clock.NowMs() + settings.backstopMs;
            continue;
        }
        std::vector<phone::Announcement> announced;
        const phone::WaitEnding ending =
            link->WaitForAnnouncements(static_cast<int>(nextFull - now), wake, announced);
        if (ending == phone::WaitEnding::Lost) {
            result = WatchResult::LinkLost;
            break;
        }
        if (!announced.empty()) {
            watch.ReceiveAnnounced(*link, announced);
        }
        if (settings.storeChanges != nullptr && settings.storeChanges->TakeChanges()) {
            SendQueued(settings, *link);
            watch.Refresh();
        }
        // A run the user started may have received or sent; what it stored
        // is not new to the watch's listeners, it was seen. The Inbox is
        // scanned only after such a run, not after every wait.
        if (settings.jobs != nullptr && settings.jobs->RunPending(link.get())) {
            watch.Refresh();
        }
    }
    link->Close();
    return result;
}

void KeepWatching(TransferContext& context, store::Folder& inbox,
                  const store::ContactNameLookup& lookup, ReportIntake* reports,
                  const WatchSettings& settings, NewMessageSink* sink) {
    const std::vector<int> wake = WakeDescriptors(settings);
    std::uint32_t pause = settings.firstRetryMs;
    for (;;) {
        const WatchResult result =
            WatchForMessages(context, inbox, lookup, reports, settings, sink);
        if (result == WatchResult::Stopped) {
            return;
        }
        if (result == WatchResult::LinkLost) {
            // It was there a moment ago: try again soon.
            pause = settings.firstRetryMs;
            context.status.ShowStatus(kPhoneAwayText, platform::StatusBeep::None,
                                      platform::StatusColour::Red);
        }
        // Why it could not be opened stays on show through the pause. The
        // pause is real time, as the sleep in poll() is.
        using Steady = std::chrono::steady_clock;
        const Steady::time_point until = Steady::now() + std::chrono::milliseconds(pause);
        for (Steady::time_point now = Steady::now(); now < until; now = Steady::now()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
            (void)phone::PollWithWake(-1, wake, static_cast<int>(left));
            if (StopAsked(settings.stopDescriptor)) {
                return;
            }
            if (settings.jobs != nullptr) {
                (void)settings.jobs->RunPending(nullptr);
            }
        }
        pause = std::min(pause * 2, settings.lastRetryMs);
    }
}

}  // namespace mivex::transfer
