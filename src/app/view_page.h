#pragma once

// A view of the program: one page of the main window that runs its own modal
// loop. The compose view runs its page for the whole program; a folder view
// runs over it, and a switch from one folder view to another ends the
// current one before the next is opened (see ViewOpener), so the views never
// pile up however long the program runs. An ended view shows no more.
//
// Commands reach a view through OnCommand: SendCommand calls it at once (the
// caller waits for it), PostCommand queues it to run after the current
// handler has returned, and only while the view is the one on top.

#include <QEventLoop>
#include <QPointer>
#include <QWidget>

namespace mivex::app {

class MainWindow;

class ViewPage : public QWidget {
    Q_OBJECT

public:
    explicit ViewPage(MainWindow& window);
    ~ViewPage() override;

    // Shows the page on top of the window and runs its loop until End.
    // Returns End's result.
    int Run();
    // Ends the view: it leaves the window now, and Run returns once every
    // view run above it has returned. Ending twice keeps the first result.
    void End(int result);
    [[nodiscard]] bool Ended() const { return ended_; }

    // True when the view handled the command.
    virtual bool OnCommand(int id) = 0;
    // The window's close button while this view is on top; a view ends.
    virtual void OnWindowClose() { End(1); }
    // F1: the help page's contents.
    virtual void OnHelp();
    // Where the keyboard goes when the view first shows.
    [[nodiscard]] virtual QWidget* InitialFocus() { return nullptr; }

    bool SendCommand(int id) { return OnCommand(id); }
    // Runs after the current handler has returned, in whichever loop then
    // runs. A command for a view that has ended by then, or that another
    // view covers, is dropped: only what the user sees takes commands.
    void PostCommand(int id);

    [[nodiscard]] MainWindow& Window() const { return window_; }

private:
    MainWindow& window_;
    QEventLoop* loop_ = nullptr;
    bool ended_ = false;
    int result_ = 0;
};

}  // namespace mivex::app
