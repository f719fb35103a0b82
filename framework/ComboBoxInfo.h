// Combo-box geometry as the desktop's GetComboBoxInfo reports it, answered from a Qt combo box:
// its edit field and drop-down arrow as its style lays them out, and the windows of its parts.
#pragma once

#include "framework/System.h"
#include "platform/WinTypes.h"

// Combo-box geometry, in the combo box's client coordinates. hwndItem is the edit field's window
// (the combo box itself when it has none), hwndList the drop-down list's window.
struct tagCOMBOBOXINFO {
    DWORD cbSize = sizeof(tagCOMBOBOXINFO);
    TRect rcItem;
    TRect rcButton;
    DWORD stateButton = 0;
    HWND hwndCombo = nullptr;
    HWND hwndItem = nullptr;
    HWND hwndList = nullptr;
};

// The size of the structure on the 32-bit desktop, which callers written for it put in cbSize.
constexpr DWORD COMBOBOXINFO_SIZE_DESKTOP = 52;

// Fills Info for the combo box behind Window (a QComboBox given a handle by
// RegisterWindowReceiver, such as a TCustomComboBox's Handle()):
// - rcItem and rcButton: the style's edit-field and arrow sub-control rectangles
//   (QStyle::SC_ComboBoxEditField, SC_ComboBoxArrow), laid out as the combo box paints itself now;
//   the arrow's rectangle cut to the inside of the box's frame (SC_ComboBoxFrame less
//   PM_ComboBoxFrameWidth), where the desktop's button lies (an empty rectangle when none is left);
// - stateButton: STATE_SYSTEM_PRESSED while the list is down;
// - hwndCombo: Window; hwndItem: the line edit's window when the box is editable, else Window;
//   hwndList: the top-level window that holds the drop-down list.
// Decisions: cbSize may be the desktop's 52 or this structure's own size; the whole structure is
// filled either way (the caller holds a tagCOMBOBOXINFO) and cbSize is left as it was. False, with
// ERROR_INVALID_PARAMETER, for a null Info, another size, or a window that is not a combo box.
bool GetComboBoxInfo(HWND Window, tagCOMBOBOXINFO* Info);
