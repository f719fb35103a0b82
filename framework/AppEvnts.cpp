#include "framework/AppEvnts.h"

#include "framework/Controls.h"
#include "framework/KeyMap.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QPointer>
#include <algorithm>
#include <cctype>
#include <vector>

namespace {

std::vector<TApplicationEvents*>& Instances()
{
    static std::vector<TApplicationEvents*> list;
    return list;
}

// The character a key press types, 0 for none: ASCII as itself, anything else as its first UTF-8
// byte; Ctrl with a letter its control character.
char TypedChar(const QKeyEvent* ke)
{
    const QString text = ke->text();
    if (text.isEmpty() || ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab || ke->key() == Qt::Key_Delete)
        return 0;
    const QByteArray utf8 = text.left(1).toUtf8();
    char ch = utf8.isEmpty() ? 0 : utf8.at(0);
    if (uint8_t(ch) == 0x7F)
        return 0;
    if ((ke->modifiers() & Qt::ControlModifier) && !(ke->modifiers() & Qt::AltModifier) &&
        std::isalpha(static_cast<unsigned char>(ch)))
        ch = char(ch & 0x1F);
    return ch;
}

// Turns the focused widget's key events into queue messages for the application events.
class TKeyMessageFilter : public QObject {
public:
    static TKeyMessageFilter& Get()
    {
        static TKeyMessageFilter* f = new TKeyMessageFilter(qApp);
        return *f;
    }
    void Watch(bool on)
    {
        if (on)
            qApp->installEventFilter(this);
        else
            qApp->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if ((e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease) || FResending || !o->isWidgetType())
            return false;
        // The first delivery only: an ignored key travels on to the parents.
        auto* w = static_cast<QWidget*>(o);
        QWidget* focus = QApplication::focusWidget();
        if (focus ? w != focus : !w->isWindow())
            return false;
        auto* ke = static_cast<QKeyEvent*>(e);
        const WORD vk = QtKeyToVirtualKey(ke->key());
        const bool alt = (ke->modifiers() & Qt::AltModifier) && !(ke->modifiers() & Qt::ControlModifier);
        const bool sys = alt || vk == VK_MENU || vk == VK_F10;
        LPARAM data = 1;
        if (alt)
            data |= KEYDATA_ALTDOWN;
        if (ke->isAutoRepeat())
            data |= LPARAM(1) << 30;
        TMsg m;
        if (TWinControl* c = FindControlOfWidget(w))
            m.hwnd = c->Handle();
        m.time = DWORD(ke->timestamp());
        const QPoint p = QCursor::pos();
        m.pt = {p.x(), p.y()};
        m.wParam = vk;
        if (e->type() == QEvent::KeyRelease) {
            m.message = sys ? WM_SYSKEYUP : WM_KEYUP;
            m.lParam = data | (LPARAM(3) << 30);
            return TApplicationEvents::DoMessage(m);
        }
        m.message = sys ? WM_SYSKEYDOWN : WM_KEYDOWN;
        m.lParam = data;
        if (TApplicationEvents::DoMessage(m))
            return true;
        const char ch = TypedChar(ke);
        if (!ch)
            return false;
        m.message = alt ? WM_SYSCHAR : WM_CHAR;
        m.wParam = WPARAM(uint8_t(ch));
        m.lParam = data;
        if (!TApplicationEvents::DoMessage(m))
            return false;
        // The key goes down without its character.
        QKeyEvent bare(ke->type(), ke->key(), ke->modifiers(), QString(), ke->isAutoRepeat(), ushort(ke->count()));
        FResending = true;
        QCoreApplication::sendEvent(o, &bare);
        FResending = false;
        return true;
    }

private:
    explicit TKeyMessageFilter(QObject* parent) : QObject(parent) {}
    bool FResending = false;
};

}  // namespace

TApplicationEvents::TApplicationEvents(TComponent* AOwner) : TComponent(AOwner)
{
    if (Instances().empty())
        TKeyMessageFilter::Get().Watch(true);
    Instances().push_back(this);
}

TApplicationEvents::~TApplicationEvents()
{
    auto& list = Instances();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (list.empty() && qApp)
        TKeyMessageFilter::Get().Watch(false);
}

bool TApplicationEvents::DoMessage(TMsg& Msg)
{
    bool handled = false;
    // A handler may free instances (its own included): walk a guarded copy.
    std::vector<QPointer<TApplicationEvents>> list;
    for (auto it = Instances().rbegin(); it != Instances().rend(); ++it)
        list.emplace_back(*it);
    for (const QPointer<TApplicationEvents>& p : list) {
        if (!p || std::find(Instances().begin(), Instances().end(), p.data()) == Instances().end())
            continue;
        try {
            p->OnMessage(Msg, handled);
        } catch (...) {
            HandleCallbackException();
        }
    }
    return handled;
}
