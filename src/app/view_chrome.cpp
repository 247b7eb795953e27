#include "app/view_chrome.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QPalette>
#include <QPushButton>
#include <QSizePolicy>
#include <initializer_list>

#include "app/artwork_icon.h"
#include "app/artwork_sizes.h"
#include "app/view_page.h"
#include "platform/clock.h"

namespace mivex::app {

namespace {

struct MenuEntry {
    const char* caption = nullptr;  // null: a separator
    int id = 0;
    QKeySequence shortcut = {};
    bool checkable = false;
};

const QColor kYellow(255, 255, 0);
const QColor kNavy(0, 0, 160);
const QColor kBlue(0, 0, 255);

constexpr int kPressMs = 100;

std::vector<MenuEntry> ActionsEntries(MenuBarId id) {
    using namespace cmd;
    const QKeySequence sendAndReceive(Qt::Key_F5);
    switch (id) {
        case MenuBarId::Compose:
            return {{"Move to Outbox", MoveToOutbox, QKeySequence(Qt::CTRL | Qt::Key_M)},
                    {"Move to Outbox and Send", MoveToOutboxAndSend,
                     QKeySequence(Qt::CTRL | Qt::Key_Return)},
                    {"Send and Receive", SendAndReceive, sendAndReceive}};
        case MenuBarId::Inbox:
            return {{"Delete", Delete, QKeySequence::Delete},
                    {"Reply", Reply, QKeySequence(Qt::CTRL | Qt::Key_R)},
                    {"Forward", Forward, QKeySequence(Qt::CTRL | Qt::Key_F)},
                    {"Receive", Receive},
                    {"Send and Receive", SendAndReceive, sendAndReceive}};
        case MenuBarId::Outbox:
            return {{"Delete", Delete, QKeySequence::Delete},
                    {"Edit", Edit},
                    {"Send All", SendAll},
                    {"Send Selected", SendSelected},
                    {"Send and Receive", SendAndReceive, sendAndReceive}};
        case MenuBarId::Sent:
            return {{"Delete", Delete, QKeySequence::Delete},
                    {"Copy to New", CopyToNew},
                    {"Copy to Outbox", CopyToOutbox},
                    {"Copy to Outbox and Send", CopyToOutboxAndSend},
                    {"Send and Receive", SendAndReceive, sendAndReceive}};
    }
    return {};
}

// The "Sort by" submenu of the Inbox and Sent views; empty elsewhere.
std::vector<MenuEntry> SortEntries(MenuBarId id) {
    if (id == MenuBarId::Inbox)
        return {{"Date", cmd::SortByDate, {}, true}, {"Sender", cmd::SortByName, {}, true}};
    if (id == MenuBarId::Sent)
        return {{"Date", cmd::SortByDate, {}, true}, {"Recipient", cmd::SortByName, {}, true}};
    return {};
}

QAction* AddItem(ViewPage& page, ViewMenuBar& bar, QMenu& menu, const MenuEntry& entry) {
    if (entry.caption == nullptr) {
        menu.addSeparator();
        return nullptr;
    }
    QAction* action = menu.addAction(QString::fromUtf8(entry.caption));
    action->setCheckable(entry.checkable);
    if (!entry.shortcut.isEmpty()) {
        action->setShortcut(entry.shortcut);
        // The shortcut works while this view shows, with no menu open.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        page.addAction(action);
    }
    const int id = entry.id;
    QObject::connect(action, &QAction::triggered, &page, [&page, id] { page.PostCommand(id); });
    bar.items[id] = action;
    return action;
}

void AddItems(ViewPage& page, ViewMenuBar& bar, QMenu& menu,
              const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& entry : entries)
        AddItem(page, bar, menu, entry);
}

void FillViewMenu(ViewPage& page, ViewMenuBar& bar, MenuBarId id) {
    using namespace cmd;
    QMenu& menu = *bar.viewMenu;
    const int inbox = id == MenuBarId::Inbox ? InboxInInbox : Inbox;
    AddItems(page, bar, menu,
             {{"Inbox", inbox, QKeySequence(Qt::CTRL | Qt::Key_1)},
              {"New", New, QKeySequence(Qt::CTRL | Qt::Key_N)},
              {"Outbox", Outbox, QKeySequence(Qt::CTRL | Qt::Key_2)},
              {"Sent", Sent, QKeySequence(Qt::CTRL | Qt::Key_3)},
              {},
              {"Export", Export, QKeySequence(Qt::CTRL | Qt::Key_E)}});
    QMenu* options = menu.addMenu(QStringLiteral("Options"));
    AddItems(page, bar, *options,
             {{"General", GeneralOptions}, {"SMS", SmsOptions}, {"Clear Database", ClearDatabase}});
    AddItems(page, bar, menu,
             {{"About", About}, {"Quit", Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)}});
}

QToolButton* AddMenuButton(QToolBar& bar, const QString& caption, QMenu* menu) {
    auto* button = new QToolButton(&bar);
    button->setText(caption);
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar.addWidget(button);
    return button;
}

void AddCommandButton(ViewPage& page, QToolBar& bar, const char* icon, const char* tip, int id) {
    const QString tooltip = QString::fromUtf8(tip);
    QAction* action = bar.addAction(
        ArtworkIcon(QStringLiteral(":/artwork/%1").arg(QLatin1String(icon))), tooltip);
    action->setToolTip(tooltip);
    QObject::connect(action, &QAction::triggered, &page, [&page, id] { page.PostCommand(id); });
}

QToolBar* NewBottomBar(QWidget& owner) {
    auto* bar = new QToolBar(&owner);
    bar->setObjectName(QStringLiteral("MenuBar"));
    bar->setAccessibleName(QStringLiteral("Menu bar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(kToolbarIconSize);
    return bar;
}

}  // namespace

QAction* ViewMenuBar::Item(int id) const {
    const auto found = items.find(id);
    return found == items.end() ? nullptr : found->second;
}

ViewMenuBar CreateViewMenuBar(ViewPage& page, MenuBarId id) {
    ViewMenuBar result;
    result.bar = NewBottomBar(page);
    result.viewMenu = new QMenu(QStringLiteral("View"), &page);
    result.actionsMenu = new QMenu(QStringLiteral("Actions"), &page);
    FillViewMenu(page, result, id);
    AddItems(page, result, *result.actionsMenu, ActionsEntries(id));
    if (const std::vector<MenuEntry> sort = SortEntries(id); !sort.empty()) {
        QMenu* sortMenu = result.actionsMenu->addMenu(QStringLiteral("Sort by"));
        AddItems(page, result, *sortMenu, sort);
    }

    QToolBar& bar = *result.bar;
    AddMenuButton(bar, QStringLiteral("&View"), result.viewMenu);
    AddMenuButton(bar, QStringLiteral("&Actions"), result.actionsMenu);
    AddCommandButton(page, bar, "toolbar-new.svg", "New", cmd::New);
    AddCommandButton(page, bar, "toolbar-inbox.svg", "Inbox", cmd::Inbox);
    AddCommandButton(page, bar, "toolbar-outbox.svg", "Outbox", cmd::Outbox);
    AddCommandButton(page, bar, "toolbar-sent.svg", "Sent", cmd::Sent);
    auto* spacer = new QWidget(&bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    spacer->setFocusPolicy(Qt::NoFocus);
    bar.addWidget(spacer);
    AddCommandButton(page, bar, "toolbar-send-receive.svg", "Send + Receive", cmd::SendAndReceive);

    // Help has no menu item; F1 asks the view for it.
    auto* help = new QAction(QStringLiteral("Help"), &page);
    help->setShortcut(QKeySequence::HelpContents);
    help->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(help, &QAction::triggered, &page, [&page] { page.OnHelp(); });
    page.addAction(help);
    return result;
}

void ApplyViewColours(QWidget& view, ButtonScheme scheme) {
    QPalette palette = view.palette();
    QPalette buttons = palette;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, kYellow);
        palette.setColor(group, QPalette::WindowText, Qt::black);
        palette.setColor(group, QPalette::Base, Qt::white);
        palette.setColor(group, QPalette::Text, kBlue);
        buttons.setColor(group, QPalette::Button, scheme == ButtonScheme::Navy ? kNavy : Qt::white);
        buttons.setColor(group, QPalette::ButtonText,
                         scheme == ButtonScheme::Navy ? QColor(Qt::white) : kBlue);
    }
    view.setPalette(palette);
    view.setAutoFillBackground(true);
    // Only push buttons wear the scheme: scroll bars, drop-down arrows and
    // picture buttons keep the desktop's look.
    for (QPushButton* button : view.findChildren<QPushButton*>()) {
        QPalette own = buttons;
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            own.setColor(group, QPalette::Window, kYellow);
        button->setPalette(own);
    }
}

void PressEffect(QWidget& button, platform::Clock& clock) {
    const QRect normal = button.geometry();
    button.setGeometry(normal.x() + 1, normal.y() + 1, normal.width() - 1, normal.height() - 1);
    if (QWidget* parent = button.parentWidget())
        parent->repaint();
    clock.SleepMs(kPressMs);
    button.setGeometry(normal);
    if (QWidget* parent = button.parentWidget())
        parent->repaint();
}

QToolButton* CreatePictureButton(QWidget& parent, const QString& iconPath, const QString& name) {
    auto* button = new QToolButton(&parent);
    button->setIcon(ArtworkIcon(iconPath));
    button->setIconSize(kPictureButtonIconSize);
    button->setAutoRaise(true);
    button->setToolTip(name);
    button->setAccessibleName(name);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

void InputPanelUp() {
    QGuiApplication::inputMethod()->show();
}

void InputPanelDown() {
    QGuiApplication::inputMethod()->hide();
}

}  // namespace mivex::app
