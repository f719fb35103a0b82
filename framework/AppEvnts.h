// Application events: a component whose OnMessage sees every message the application takes from
// its queue before the message reaches its window.
//
// Decisions:
// - The messages offered are the keyboard's (WM_KEYDOWN / WM_SYSKEYDOWN, WM_CHAR / WM_SYSCHAR,
//   WM_KEYUP / WM_SYSKEYUP), taken from the toolkit's key events by an application-wide event
//   filter before the focused widget sees them. Alt (without Ctrl) and F10 make the system
//   variants, as on the desktop; Alt+Space is WM_SYSKEYDOWN VK_SPACE, then WM_SYSCHAR ' '.
// - One key press is offered as the key message and then, when it types a character, as the
//   character message. Handled on the key message swallows the whole key press (no character
//   follows, as when the desktop's loop skips translating it); Handled on the character alone
//   lets the key go down without its character.
// - Every instance hears every message, the newest first, all sharing one Handled flag.
#pragma once

#include "framework/Component.h"
#include "platform/WinUser.h"

#include <functional>

// A message as the application's queue holds it.
struct TMsg {
    HWND hwnd = nullptr;  // the window it goes to (the focused control's), null when none
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;  // milliseconds, the toolkit's event time
    TPoint pt;       // the pointer on the screen
};

using TMessageEvent = std::function<void(TMsg& Msg, bool& Handled)>;

class TApplicationEvents : public TComponent {
    Q_OBJECT
public:
    explicit TApplicationEvents(TComponent* AOwner);
    ~TApplicationEvents() override;

    // Offers the message to every instance's OnMessage (newest first); true when handled.
    static bool DoMessage(TMsg& Msg);

    TEvent<TMessageEvent> OnMessage{this, "OnMessage"};
};
