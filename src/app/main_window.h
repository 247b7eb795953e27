#pragma once

// The program's one window. Every view is a page of it: the page of the view
// on top shows, and the window keeps its place and size as views change, on
// X11 and Wayland alike.

#include <QMainWindow>
#include <QStackedWidget>
#include <vector>

namespace mivex::app {

class ViewPage;

class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    MainWindow();

    void PushPage(ViewPage* page);
    // The page no longer shows; the one below it that still runs does.
    void PageEnded(ViewPage* page);
    void RemovePage(ViewPage* page);

    // The page on top that has not ended; null when none runs.
    [[nodiscard]] ViewPage* TopPage() const;

    // A switch between views: nothing is painted until the next page comes
    // (or ReleasePaint), so the page below does not flash up between them.
    void HoldPaintUntilNextPage();
    void ReleasePaint();

    // Brings the program to the user: the topmost window of it, which is a
    // dialog or message box when one is open over the views.
    void RaiseTopWindow();

protected:
    // The window's close button ends every view, the compose view last, as
    // if each were closed in turn: the program ends, nothing is saved.
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowTop();

    QStackedWidget* stack_;
    std::vector<ViewPage*> pages_;
};

}  // namespace mivex::app
