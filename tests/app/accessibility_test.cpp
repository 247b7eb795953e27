// Screen readers and automation tools find every control by its name: a walk
// of each window's accessible tree finds no control without one.

#include <gtest/gtest.h>

#include <QAccessible>
#include <set>

#include "app/about_dialog.h"
#include "app/compose_view.h"
#include "app/inbox_view.h"
#include "app/outbox_view.h"
#include "app/pin_dialog.h"
#include "app/sent_view.h"
#include "app_fixture.h"

namespace mivex::app {
namespace {

// Roles a person acts on or reads; panes, scroll bars and layout holders are
// structure and need no name of their own.
const std::set<QAccessible::Role> kControlRoles = {
    QAccessible::PushButton, QAccessible::CheckBox,     QAccessible::RadioButton,
    QAccessible::ComboBox,   QAccessible::EditableText, QAccessible::List,
    QAccessible::ListItem,   QAccessible::ButtonMenu,   QAccessible::ButtonDropDown,
    QAccessible::StaticText, QAccessible::Graphic,      QAccessible::SpinBox,
    QAccessible::ToolBar,    QAccessible::MenuItem,     QAccessible::StatusBar,
};

struct Controls {
    QStringList named;
    QStringList unnamed;  // role and class of each
};

void Collect(QAccessibleInterface* node, Controls& controls) {
    if (node == nullptr || node->state().invisible)
        return;
    const QString name = node->text(QAccessible::Name);
    if (kControlRoles.count(node->role()) != 0 && !name.isEmpty())
        controls.named << name;
    else if (kControlRoles.count(node->role()) != 0)
        controls.unnamed << QString::number(node->role(), 16) + QLatin1Char(' ') +
                                QString::fromLatin1(node->object()->metaObject()->className());
    for (int child = 0; child < node->childCount(); ++child)
        Collect(node->child(child), controls);
}

Controls Walk(QWidget& top) {
    Controls controls;
    Collect(QAccessible::queryAccessibleInterface(&top), controls);
    return controls;
}

class AccessibilityTest : public ::testing::Test, public testing::AppFixture {};

TEST_F(AccessibilityTest, EveryControlOfEachWindowHasAName) {
    ComposeView compose(window, context);
    InboxView inbox(window, context);
    OutboxView outbox(window, context);
    SentView sent(window, context);
    window.show();
    // What each view offers, its toolbar first: a name the walk misses is a
    // control hidden or gone.
    const QStringList toolbar = {"View",   "Actions", "New",           "Inbox",
                                 "Outbox", "Sent",    "Send + Receive"};
    const std::pair<ViewPage*, QStringList> views[] = {
        {&compose,
         {"Message", "Contacts", "Number or contact", "To", "Delete", "Delete all", "Add",
          "Add all", "160/1", "0"}},
        {&inbox, {"Message", "Messages", "0"}},
        {&outbox, {"Message", "Messages", "0"}},
        {&sent, {"Message", "Messages", "0"}},
    };
    for (const auto& [page, names] : views) {
        SCOPED_TRACE(page->metaObject()->className());
        window.PushPage(page);
        const Controls view = Walk(window);
        EXPECT_EQ(view.unnamed, QStringList());
        for (const QString& name : toolbar + names)
            EXPECT_TRUE(view.named.contains(name)) << name.toStdString();
        window.RemovePage(page);
    }
    AboutDialog about(&window);
    about.show();
    const Controls dialog = Walk(about);
    EXPECT_EQ(dialog.unnamed, QStringList());
    EXPECT_TRUE(dialog.named.contains(QStringLiteral("OK")));

    PinDialog pin({1}, &window);
    pin.show();
    const Controls pinControls = Walk(pin);
    EXPECT_EQ(pinControls.unnamed, QStringList());
    for (const char* name : {"PIN", "Remember until Mivex ends", "OK", "Cancel"})
        EXPECT_TRUE(pinControls.named.contains(QString::fromLatin1(name))) << name;
}

}  // namespace
}  // namespace mivex::app
