#pragma once

// Runs a transfer (or a wait that belongs to one) on a worker thread while
// the interface thread goes on turning its event loop: the window paints,
// the status strip shows each text the moment it is given, and the desktop
// never sees a program that stopped answering. The user cannot start
// anything else meanwhile: input to the program is held back, apart from a
// click on a status strip, which only pauses its scrolling.
//
// Closing the window during a run waits for the run: the port is closed and
// every message is where the run put it before the program ends.
//
// While the live connection keeps the phone's port open, a run is handed to
// its thread and uses that port; everything else stays as it is.

#include <QObject>
#include <functional>

namespace mivex::app {

class LiveConnection;
class MainWindow;

// A dialog the run itself opens (the SIM card's PIN) sets this property; it
// takes input while it is the modal window, which keeps input from the rest.
inline constexpr char kTakesInputDuringRun[] = "mivexTakesInputDuringRun";

class TransferRunner final : public QObject {
    Q_OBJECT

public:
    // With `live`, the work runs on the live connection's thread when one
    // runs, else on a thread of its own.
    explicit TransferRunner(MainWindow& window, LiveConnection* live = nullptr)
        : window_(window), live_(live) {}

    // Runs `work` on a worker thread and returns its result once it is done.
    int Run(const std::function<int()>& work);

    // True while a run of any view is going on.
    [[nodiscard]] static bool Busy();
    // Calls `then` once no run is going on: at once when none is, else
    // after the last one has ended, unless `receiver` has gone by then.
    static void WhenIdle(QObject* receiver, std::function<void()> then);

    // How many times the interface thread's loop turned during the last run
    // (for the test that shows the window stays alive).
    [[nodiscard]] static int LastRunTurns();

signals:
    // From the worker thread, when the work has returned.
    void finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MainWindow& window_;
    LiveConnection* live_;
    bool closeRequested_ = false;
};

}  // namespace mivex::app
