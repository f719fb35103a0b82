// Helpers for tests of menus shown in the framework's menu windows (header only: the tests that
// include it link the framework).
#pragma once

#include "framework/Menus.h"

#include <QCoreApplication>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace testsupport {

// Pops the menu up at (x, y) and runs steps from the menu's own event loop once it is open; a
// watchdog fails the test and closes a menu the steps left open. Returns once Popup has returned
// (before the chosen item, which runs from the event queue).
inline void PopupMenuWith(TPopupMenu* menu, int x, int y, const std::function<void()>& steps)
{
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [menu] {
        ADD_FAILURE() << "the menu was still open";
        menu->CloseMenu();
    });
    watchdog.start(5000);
    QTimer::singleShot(0, [steps] { steps(); });
    menu->Popup(x, y);
}

}  // namespace testsupport
