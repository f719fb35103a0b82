#include "platform/WinMessages.h"

#include "platform/WinBase.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QPointer>

namespace {

struct TRegistry {
    QMutex Lock;
    QHash<QByteArray, UINT> Messages;
    UINT NextMessage = 0xC000;
    QHash<quintptr, QPointer<QObject>> Receivers;
    quintptr NextWindow = 1;
};

TRegistry& Registry()
{
    static TRegistry* registry = new TRegistry;  // never destroyed: other threads may post late
    return *registry;
}

quintptr Key(HWND h) { return reinterpret_cast<quintptr>(h); }

}  // namespace

TWinMessageEvent::TWinMessageEvent(UINT msg, WPARAM wParam, LPARAM lParam)
    : QEvent(EventType()), Msg(msg), WParam(wParam), LParam(lParam)
{
}

QEvent::Type TWinMessageEvent::EventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

UINT RegisterWindowMessageA(LPCSTR name)
{
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const QByteArray key = QByteArray(name).toLower();
    TRegistry& r = Registry();
    QMutexLocker g(&r.Lock);
    auto it = r.Messages.constFind(key);
    if (it != r.Messages.constEnd())
        return it.value();
    if (r.NextMessage > 0xFFFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    const UINT msg = r.NextMessage++;
    r.Messages.insert(key, msg);
    return msg;
}

HWND RegisterWindowReceiver(QObject* receiver)
{
    if (!receiver)
        return nullptr;
    TRegistry& r = Registry();
    QMutexLocker g(&r.Lock);
    for (auto it = r.Receivers.cbegin(); it != r.Receivers.cend(); ++it)
        if (it.value() == receiver)
            return reinterpret_cast<HWND>(it.key());
    const quintptr id = r.NextWindow++ * 4;
    r.Receivers.insert(id, QPointer<QObject>(receiver));
    return reinterpret_cast<HWND>(id);
}

void UnregisterWindowReceiver(HWND window)
{
    TRegistry& r = Registry();
    QMutexLocker g(&r.Lock);
    r.Receivers.remove(Key(window));
}

QObject* WindowReceiver(HWND window)
{
    TRegistry& r = Registry();
    QMutexLocker g(&r.Lock);
    auto it = r.Receivers.constFind(Key(window));
    return it == r.Receivers.constEnd() ? nullptr : it.value().data();
}

HWND WindowHandleOf(const QObject* receiver)
{
    if (!receiver)
        return nullptr;
    TRegistry& r = Registry();
    QMutexLocker g(&r.Lock);
    for (auto it = r.Receivers.cbegin(); it != r.Receivers.cend(); ++it)
        if (it.value() == receiver)
            return reinterpret_cast<HWND>(it.key());
    return nullptr;
}

BOOL PostMessageA(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TRegistry& r = Registry();
    // Held while posting, so the receiver cannot be unregistered (and then destroyed) meanwhile.
    QMutexLocker g(&r.Lock);
    auto it = r.Receivers.constFind(Key(window));
    if (window == nullptr || it == r.Receivers.constEnd() || it.value().isNull()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    QCoreApplication::postEvent(it.value().data(), new TWinMessageEvent(msg, wParam, lParam));
    return TRUE;
}
