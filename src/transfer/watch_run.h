#pragma once

// The watch: one link kept open, a full receive when it starts, then the
// phone's announcements read and stored as they come, with a full receive
// every so often for phones that forget their announcement setting or drop
// an announcement. Each message follows the receive run's rules (on disk
// before it leaves the phone). Idle, it sleeps in poll() on the link.
//
// Long messages are joined once all their parts are in; a message whose
// parts stay incomplete through two backstop receives in a row is joined
// with its gaps marked, as a receive run would have joined it.

#include <cstdint>
#include <functional>

#include "store/folder.h"
#include "store/inbox_maintenance.h"
#include "store/message_records.h"
#include "transfer/link_jobs.h"
#include "transfer/report_intake.h"
#include "transfer/store_changes.h"
#include "transfer/transfer_context.h"

namespace mivex::transfer {

inline constexpr std::u16string_view kWatchingText = u"Waiting for new messages..";

inline constexpr std::u16string_view kPhoneAwayText =
    u"The phone went away - Mivex connects again when it is back..";

struct WatchSettings {
    // Readable: the watch ends after the step under way (a signal's self-pipe).
    int stopDescriptor = -1;
    std::uint32_t backstopMs = 10 * 60 * 1000;
    // Runs other threads post for the open link; none: nobody posts.
    LinkJobs* jobs = nullptr;
    // KeepWatching's pause before it tries the phone again doubles from the
    // first to the last.
    std::uint32_t firstRetryMs = 2000;
    std::uint32_t lastRetryMs = 60 * 1000;
    // Sends what waits in the Outbox, on the watch's thread with its link
    // lent: once each connection's first receive is done, and again whenever
    // `storeChanges` sees the store written while connected. Messages queued
    // while the phone is away so go out once it is back. None: the watch
    // does not send.
    std::function<void()> sendQueued;
    StoreChanges* storeChanges = nullptr;
};

// Told of every whole message that lands in the Inbox while watching,
// joined and named, once per message.
class NewMessageSink {
public:
    virtual ~NewMessageSink() = default;
    virtual void OnNewMessage(const store::InboxRecord& message) = 0;
};

enum class WatchResult {
    NoConnection,  // the link did not open; the user was told why
    Stopped,       // asked to stop; the link is closed
    LinkLost,      // the phone went away; the link is closed
};

// One connection: watches until asked to stop or until the link is lost.
[[nodiscard]] WatchResult WatchForMessages(TransferContext& context, store::Folder& inbox,
                                           const store::ContactNameLookup& lookup,
                                           ReportIntake* reports, const WatchSettings& settings,
                                           NewMessageSink* sink);

// Watches until asked to stop, connecting again by itself when the phone
// could not be opened or went away: after a pause that grows from
// firstRetryMs to lastRetryMs, reset once a connection has been made. Runs
// posted meanwhile run without the link and report what they find.
void KeepWatching(TransferContext& context, store::Folder& inbox,
                  const store::ContactNameLookup& lookup, ReportIntake* reports,
                  const WatchSettings& settings, NewMessageSink* sink);

}  // namespace mivex::transfer
