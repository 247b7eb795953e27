#pragma once

// What every view wears: the bottom bar with the "View" and "Actions" menus
// and the six toolbar buttons, the colours, the pressed look of picture
// buttons, and the on-screen keyboard calls.

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <map>

#include "app/command_ids.h"

namespace mivex::platform {
class Clock;
}

namespace mivex::app {

class ViewPage;

struct ViewMenuBar {
    QToolBar* bar = nullptr;
    QMenu* viewMenu = nullptr;
    QMenu* actionsMenu = nullptr;
    // The menu item of each command id, for check marks.
    std::map<int, QAction*> items;

    [[nodiscard]] QAction* Item(int id) const;
};

// Builds the view's bar and its menus and puts the keyboard shortcuts on the
// page. Every item and button posts its command id to the page.
ViewMenuBar CreateViewMenuBar(ViewPage& page, MenuBarId id);

enum class ButtonScheme {
    Navy,   // white text on navy: the compose view and the option dialogs
    White,  // blue text on white: the folder views
};

// Yellow behind the view's body and its labels (black text), blue text on
// white in edits and lists, push buttons in the scheme given. Call it once the
// body's buttons exist. The bottom bar is not part of the body: it keeps the
// desktop's own look.
void ApplyViewColours(QWidget& view, ButtonScheme scheme);

// The picture button sinks by a pixel for 100 ms, so a tap is seen.
void PressEffect(QWidget& button, platform::Clock& clock);

// A picture button: an SVG icon, its accessible name and tooltip saying what
// it does, reachable with the keyboard.
QToolButton* CreatePictureButton(QWidget& parent, const QString& iconPath, const QString& name);

// The on-screen keyboard, where the desktop has one; harmless where not.
void InputPanelUp();
void InputPanelDown();

}  // namespace mivex::app
