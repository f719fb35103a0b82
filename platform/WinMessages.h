// Win32-shaped window messaging on Qt: registered message numbers, window handles for
// QObjects, and PostMessageA delivering a TWinMessageEvent through the receiver's event queue.
//
// Window handles are ids, never pointers, and are not reused; a handle stays unknown once
// unregistered. Message numbers are not WM_* constants (those are in WinUser.h).
#pragma once

#include "platform/WinTypes.h"

#include <QEvent>

class QObject;

// The event PostMessageA posts; the receiver turns it into a message dispatch.
class TWinMessageEvent : public QEvent {
public:
    TWinMessageEvent(UINT msg, WPARAM wParam, LPARAM lParam);
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    static QEvent::Type EventType();
};

// The same name (compared without regard to ASCII case, as on the original system) gives the
// same number, in 0xC000..0xFFFF. Returns 0 for a null or empty name or when the range is used up.
// Any thread.
UINT RegisterWindowMessageA(LPCSTR name);

// GUI thread: gives receiver a window handle (the same one when it already has one).
HWND RegisterWindowReceiver(QObject* receiver);
// GUI thread: forgets the handle; call before the receiver is destroyed. Unknown handles are ignored.
void UnregisterWindowReceiver(HWND window);
// GUI thread: the receiver of a handle, null when unknown.
QObject* WindowReceiver(HWND window);
// GUI thread: the handle of a receiver, null when it has none.
HWND WindowHandleOf(const QObject* receiver);

// Any thread: posts (msg, wParam, lParam) to the window's receiver and returns at once.
// FALSE with ERROR_INVALID_WINDOW_HANDLE when the handle is unknown (never registered,
// unregistered, or its receiver already destroyed).
BOOL PostMessageA(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
