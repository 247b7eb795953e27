#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <algorithm>

#include "app/artwork_icon.h"
#include "app/view_page.h"

namespace mivex::app {

namespace {

// A comfortable size for writing a message and reading a list on a desktop;
// the user may make it any size.
constexpr QSize kDefaultSize(560, 640);

}  // namespace

MainWindow::MainWindow() : stack_(new QStackedWidget(this)) {
    setWindowTitle(QStringLiteral("Mivex"));
    setWindowIcon(ArtworkIcon(QStringLiteral(":/icons/mivex.svg")));
    setObjectName(QStringLiteral("Mivex"));
    setCentralWidget(stack_);
    resize(kDefaultSize);
}

void MainWindow::PushPage(ViewPage* page) {
    RemovePage(page);
    pages_.push_back(page);
    stack_->addWidget(page);
    ShowTop();
    ReleasePaint();
}

void MainWindow::HoldPaintUntilNextPage() {
    stack_->setUpdatesEnabled(false);
}

void MainWindow::ReleasePaint() {
    stack_->setUpdatesEnabled(true);
}

void MainWindow::PageEnded(ViewPage*) {
    ShowTop();
}

void MainWindow::RemovePage(ViewPage* page) {
    const auto found = std::find(pages_.begin(), pages_.end(), page);
    if (found == pages_.end())
        return;
    pages_.erase(found);
    stack_->removeWidget(page);
    ShowTop();
}

ViewPage* MainWindow::TopPage() const {
    for (auto page = pages_.rbegin(); page != pages_.rend(); ++page) {
        if (!(*page)->Ended())
            return *page;
    }
    return nullptr;
}

void MainWindow::ShowTop() {
    if (ViewPage* top = TopPage()) {
        stack_->setCurrentWidget(top);
        // Keyboard users land in the view on top, where they were in it or
        // where it wants them first, never on a hidden one.
        if (QWidget* focus = top->focusWidget())
            focus->setFocus();
        else if (QWidget* initial = top->InitialFocus())
            initial->setFocus();
        else
            top->setFocus();
    }
}

void MainWindow::RaiseTopWindow() {
    QWidget* top = QApplication::activeModalWidget();
    if (top == nullptr)
        top = this;
    top->setWindowState(top->windowState() & ~Qt::WindowMinimized);
    top->show();
    top->raise();
    top->activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The views end themselves, top first, and the program ends when the
    // compose view's loop returns; the window itself goes with it.
    event->ignore();
    std::vector<ViewPage*> running = pages_;
    for (auto page = running.rbegin(); page != running.rend(); ++page) {
        if (!(*page)->Ended())
            (*page)->OnWindowClose();
    }
}

}  // namespace mivex::app
