// Messages as the controls see them: the record passed through WindowProc and Dispatch, helpers to
// read mouse coordinates, and the framework's own control notifications (CM_...).
#pragma once

#include "platform/WinTypes.h"
#include "platform/WinUser.h"

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// Coordinates packed into LParam of mouse messages (signed 16 bits each).
inline int GET_X_LPARAM(LPARAM lp) { return int(int16_t(uint16_t(uintptr_t(lp) & 0xFFFF))); }
inline int GET_Y_LPARAM(LPARAM lp) { return int(int16_t(uint16_t((uintptr_t(lp) >> 16) & 0xFFFF))); }
inline LPARAM MAKELPARAM(int lo, int hi) { return LPARAM(uint32_t((uint16_t(lo)) | (uint32_t(uint16_t(hi)) << 16))); }
inline WORD LOWORD(uintptr_t v) { return WORD(v & 0xFFFF); }
inline WORD HIWORD(uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }

// Notifications the framework sends between controls.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0, CM_DEACTIVATE = CM_BASE + 1, CM_GOTFOCUS = CM_BASE + 2,
               CM_LOSTFOCUS = CM_BASE + 3, CM_CANCELMODE = CM_BASE + 4, CM_DIALOGKEY = CM_BASE + 5,
               CM_DIALOGCHAR = CM_BASE + 6, CM_FOCUSCHANGED = CM_BASE + 7, CM_PARENTFONTCHANGED = CM_BASE + 8,
               CM_PARENTCOLORCHANGED = CM_BASE + 9, CM_HITTEST = CM_BASE + 10, CM_VISIBLECHANGED = CM_BASE + 11,
               CM_ENABLEDCHANGED = CM_BASE + 12, CM_COLORCHANGED = CM_BASE + 13, CM_FONTCHANGED = CM_BASE + 14,
               CM_CURSORCHANGED = CM_BASE + 15, CM_CTL3DCHANGED = CM_BASE + 16, CM_PARENTCTL3DCHANGED = CM_BASE + 17,
               CM_TEXTCHANGED = CM_BASE + 18, CM_MOUSEENTER = CM_BASE + 19, CM_MOUSELEAVE = CM_BASE + 20,
               CM_MENUCHANGED = CM_BASE + 21, CM_APPKEYDOWN = CM_BASE + 22, CM_APPSYSCOMMAND = CM_BASE + 23,
               CM_BUTTONPRESSED = CM_BASE + 24, CM_SHOWINGCHANGED = CM_BASE + 25, CM_ENTER = CM_BASE + 26,
               CM_EXIT = CM_BASE + 27, CM_DESIGNHITTEST = CM_BASE + 28, CM_ICONCHANGED = CM_BASE + 29,
               CM_WANTSPECIALKEY = CM_BASE + 30, CM_INVOKEHELP = CM_BASE + 31, CM_WINDOWHOOK = CM_BASE + 32,
               CM_RELEASE = CM_BASE + 33, CM_SHOWHINTCHANGED = CM_BASE + 34, CM_PARENTSHOWHINTCHANGED = CM_BASE + 35,
               CM_SYSCOLORCHANGE = CM_BASE + 36, CM_WININICHANGE = CM_BASE + 37, CM_FONTCHANGE = CM_BASE + 38,
               CM_TIMECHANGE = CM_BASE + 39, CM_TABSTOPCHANGED = CM_BASE + 40, CM_UIACTIVATE = CM_BASE + 41,
               CM_UIDEACTIVATE = CM_BASE + 42, CM_DOCWINDOWACTIVATE = CM_BASE + 43, CM_CONTROLLISTCHANGE = CM_BASE + 44,
               CM_GETDATALINK = CM_BASE + 45, CM_CHILDKEY = CM_BASE + 46, CM_DRAG = CM_BASE + 47,
               CM_HINTSHOW = CM_BASE + 48, CM_DIALOGHANDLE = CM_BASE + 49, CM_ISTOOLCONTROL = CM_BASE + 50,
               CM_RECREATEWND = CM_BASE + 51, CM_INVALIDATE = CM_BASE + 52, CM_SYSFONTCHANGED = CM_BASE + 53,
               CM_CONTROLCHANGE = CM_BASE + 54, CM_CHANGED = CM_BASE + 55, CM_DOCKCLIENT = CM_BASE + 56,
               CM_BIDIMODECHANGED = CM_BASE + 60, CM_PARENTBIDIMODECHANGED = CM_BASE + 61,
               CM_ALLCHILDRENFLIPPED = CM_BASE + 62, CM_ACTIONUPDATE = CM_BASE + 63, CM_ACTIONEXECUTE = CM_BASE + 64,
               CM_HINTSHOWPAUSE = CM_BASE + 65, CM_DOCKNOTIFICATION = CM_BASE + 66, CM_MOUSEWHEEL = CM_BASE + 67,
               CM_ISSHORTCUT = CM_BASE + 68, CM_INVALIDATEDOCKHOST = CM_BASE + 69, CM_SETACTIVECONTROL = CM_BASE + 70,
               CM_POPUPHWNDDESTROY = CM_BASE + 71, CM_CREATEPOPUP = CM_BASE + 72, CM_DESTROYHANDLE = CM_BASE + 73,
               CM_MOUSEACTIVATE = CM_BASE + 74, CM_CONTROLLISTCHANGING = CM_BASE + 75, CM_BUFFEREDPRINTCLIENT = CM_BASE + 76,
               CM_UNTHEMECONTROL = CM_BASE + 77;

// Notifications reflected from a parent to its control (CN_ = CN_BASE + WM_ number).
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND, CN_KEYDOWN = CN_BASE + WM_KEYDOWN, CN_CHAR = CN_BASE + WM_CHAR;
