#pragma once

// What the Inbox, Outbox and Sent views share: the message shown above, the
// list of messages with its column header and count, the status strip, the
// bottom bar, the "Copy" context menu, and the navigation every folder view
// answers the same way. Each view adds its own actions.

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <functional>
#include <optional>

#include "app/qt_controls.h"
#include "app/shell_state.h"
#include "app/view_chrome.h"
#include "app/view_page.h"
#include "store/folder_listing.h"
#include "store/store.h"
#include "transfer/transfer_context.h"

namespace mivex::transfer {
class StatusStrip;
}

namespace mivex::app {

class AppContext;
class ComposeView;
class HoldEdit;

inline constexpr std::u16string_view kNothingToSendText = u"No messages to send...  ";

// The core's list entry of a folder: fill, show, delete and the hand-overs.
using FolderListOp = int (*)(const store::FolderViewControls&, store::ComposeTarget&,
                             store::ListOperation, store::Folder&);

// What tells the three views apart.
struct FolderViewKind {
    MenuBarId menuBar;
    QString titleSvg;
    QString titleName;
    QString columnHeader;
    int ownCommand;  // the folder's own "View" command, which does nothing here
    std::u16string_view folder;
    store::PropId byDate;
    store::PropId byName;  // the folder's sort by name; the Outbox has none
    FolderListOp listOp;
    FolderViewMemory ShellState::*memory;
};

class FolderView : public ViewPage {
    Q_OBJECT

public:
    FolderView(MainWindow& window, AppContext& context, const FolderViewKind& kind);
    ~FolderView() override;

    bool OnCommand(int id) final;
    QWidget* InitialFocus() override { return list_; }

    [[nodiscard]] QListWidget& List() { return *list_; }
    [[nodiscard]] QPlainTextEdit& MessageEdit() { return *message_; }
    [[nodiscard]] QLabel& Count() { return *count_; }
    [[nodiscard]] transfer::StatusStrip& Strip() { return *strip_; }
    [[nodiscard]] const ViewMenuBar& MenuBar() const { return menuBar_; }

protected:
    // The view's own commands; false for one it does not have. What is not
    // handled here goes to the commands every folder view shares: Delete,
    // the two sort orders where the folder has them, "Send and Receive"
    // (ends the view and has the compose view open the Outbox), navigation.
    virtual bool OnViewCommand(int id) = 0;
    // The user changed the selection: the first selected message is shown
    // and its place kept.
    virtual void OnSelectionChanged();

    // The folder, opened for one command with the given sort property and
    // closed (the volume unmounted) when the handle goes out of scope;
    // invalid when it cannot be opened.
    store::FolderHandle OpenFolder(std::u16string_view name, store::PropId sortProperty);
    // Opens the view's folder by date, runs the list operation on the view's
    // controls (the hand-overs on the compose view) and closes it. Nothing
    // happens, and the result is none, when the folder cannot be opened.
    std::optional<int> RunListOp(store::ListOperation operation);
    [[nodiscard]] store::FolderViewControls Controls();
    [[nodiscard]] ComposeView& Compose();
    [[nodiscard]] AppContext& Context() { return context_; }

    // Runs a list operation with the list's selection notifications held
    // back, as only the user's own changes count as a selection change.
    int Quietly(const std::function<int()>& operation);
    // Selects the row alone, when there is one.
    void SelectRow(std::size_t row);
    // The first selected row, or the row count.
    [[nodiscard]] std::size_t FirstSelected() const;

    // A transfer against the phone on a worker thread, with the trace file
    // around it in trace mode. `run` gets the context to hand the core.
    int RunTransfer(const std::function<int(transfer::TransferContext&)>& run);
    // A pause of the run's clock that keeps the window alive.
    void Pause(std::uint32_t milliseconds);

    // "Send and Receive" asked and confirmed: the chain starts.
    bool ConfirmSendAndReceive();
    // Sorts, keeping the place when the order stays, and checks the chosen
    // "Sort by" item.
    void Sort(SortOrder order);
    // Sorts again in the order chosen last in this run, by date the first time.
    void Resort();
    [[nodiscard]] FolderViewMemory& Memory();

private:
    bool OnSharedCommand(int id);
    bool OnNavigation(int id);
    void ShowContextMenu(QPoint globalPoint);

    AppContext& context_;
    const FolderViewKind& kind_;
    QPlainTextEdit* message_;
    QListWidget* list_;
    QLabel* count_;
    transfer::StatusStrip* strip_;
    HoldEdit* hold_ = nullptr;
    ViewMenuBar menuBar_;
    QtListControl listControl_;
    QtTextControl messageControl_;
    QtLabelText countControl_;
    int quiet_ = 0;
};

}  // namespace mivex::app
