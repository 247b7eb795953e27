#pragma once

// The live connection: while the window is open and "Receive new messages
// as they arrive" is on, a thread of its own keeps the phone's port open and
// stores new messages as the phone announces them. The runs the user starts
// ("Send and Receive", "Receive", sending) are handed to that thread and use
// the open port, so the port is never opened twice.
//
// The thread holds its own connection to the store and never waits for the
// interface thread: its texts and the messages it stored are queued to it,
// so stopping (the option turned off, the window closed) cannot deadlock
// however busy the interface is.

#include <QObject>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/status_sink.h"
#include "store/message_records.h"
#include "transfer/link_jobs.h"

namespace mivex::app {

class AppContext;
class MainWindow;

// Told on the interface thread.
class LiveListener {
public:
    virtual ~LiveListener() = default;
    // A text of the watch: connecting, waiting, the phone away.
    virtual void OnLiveStatus(const std::u16string& text, platform::StatusColour colour) = 0;
    // Whole messages stored since the last call, oldest first; messages
    // stored moments apart come together.
    virtual void OnArrivals(const std::vector<store::InboxRecord>& messages) = 0;
};

class LiveConnection final : public QObject {
    Q_OBJECT

public:
    LiveConnection(MainWindow& window, AppContext& context, LiveListener& listener);
    ~LiveConnection() override;
    LiveConnection(const LiveConnection&) = delete;
    LiveConnection& operator=(const LiveConnection&) = delete;

    // Starts, stops or restarts the connection as the options now say: on
    // while "Receive new messages as they arrive" is and a port is chosen,
    // again when the port setting changed.
    void FollowOptions();
    // Ends the watch after the step under way, the port closed, and waits
    // for it with the window alive; the runs handed to it have run.
    void Stop();
    [[nodiscard]] bool Running() const { return thread_.joinable(); }

    // Hands `job` to the watch's thread, where it runs with the open link
    // lent to it. False when no watch runs (the caller then runs it itself).
    [[nodiscard]] bool Post(transfer::LinkJobs::Job job);

    // How long messages stored one after the other are gathered into one
    // call of OnArrivals.
    static constexpr int kGatherMs = 300;

private:
    void Start(std::u16string port);
    void Watch();
    // From the watch's thread.
    void QueueStatus(std::u16string_view text, platform::StatusColour colour);
    void QueueArrival(const store::InboxRecord& message);
    void DeliverArrivals();
    // On the interface thread: the sender's name, from the address book
    // read again unless it was read within the last second.
    [[nodiscard]] std::optional<std::u16string> NameOf(std::u16string_view number);

    class StatusRelay;
    class ArrivalRelay;

    MainWindow& window_;
    AppContext& context_;
    LiveListener& listener_;
    transfer::LinkJobs jobs_;
    std::thread thread_;
    int stop_ = -1;
    std::u16string port_;

    std::chrono::steady_clock::time_point contactsRead_;

    std::mutex arrivalsMutex_;
    std::vector<store::InboxRecord> arrivals_;
};

}  // namespace mivex::app
