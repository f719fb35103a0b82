// Internal to the Menus unit: the tracking of a menu in the framework's menu windows.
#pragma once

#include "framework/Menus.h"

namespace MenusPopup {

// Tracks the menu's items until the menu closes (see TPopupMenu::TrackPopup); the popup's
// Alignment places the menu and its TrackButton says which buttons choose items. Returns at once,
// with Cancelled, while another menu is tracked.
TMenuTrackResult Track(TPopupMenu* Menu, const TMenuTrackParams& Params);
// True while the menu is tracked.
bool IsTracking(const TMenu* Menu);
// True while any menu is tracked.
bool IsTrackingAny();
// Ends the tracking of the menu, if it is tracked.
void Close(const TMenu* Menu);
// The menu's items changed: open menu windows measure and draw again, and close the levels whose
// item went away.
void MenuChanged(const TMenu* Menu);
// The menu is going away: its tracking ends and the windows forget it.
void MenuDestroyed(const TMenu* Menu);

}  // namespace MenusPopup
