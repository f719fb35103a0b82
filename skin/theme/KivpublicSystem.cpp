// Kivpublic: captions, fonts, operating-system answers and the lazily resolved system functions.
#include "skin/theme/Kivpublic.h"

#include "framework/Font.h"
#include "framework/Graphics.h"
#include "platform/WinBase.h"
#include "platform/WinMessages.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cstring>

bool g_KivkitConverting = false;

namespace {

QWidget* WidgetOf(HWND Window) { return qobject_cast<QWidget*>(WindowReceiver(Window)); }

// Longest an animation may block.
constexpr DWORD MaxAnimationMs = 10000;
// Pause between the steps of an animation.
constexpr unsigned long AnimationStepMs = 10;

// ---- the implementations the system functions resolve to ----

bool QtGetScrollBarInfo(HWND Window, LONG IdObject, tagSCROLLBARINFO* Info)
{
    QWidget* w = WidgetOf(Window);
    if (!w || !Info || Info->cbSize != sizeof(tagSCROLLBARINFO))
        return false;
    QScrollBar* bar = nullptr;
    if (IdObject == OBJID_CLIENT) {
        bar = qobject_cast<QScrollBar*>(w);
    } else if (IdObject == OBJID_VSCROLL || IdObject == OBJID_HSCROLL) {
        if (auto* area = qobject_cast<QAbstractScrollArea*>(w))
            bar = IdObject == OBJID_VSCROLL ? area->verticalScrollBar() : area->horizontalScrollBar();
    }
    if (!bar) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const bool horizontal = bar->orientation() == Qt::Horizontal;
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.subControls = QStyle::SC_None;
    opt.activeSubControls = QStyle::SC_None;
    opt.orientation = bar->orientation();
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    opt.upsideDown = bar->invertedAppearance();
    if (horizontal)
        opt.state |= QStyle::State_Horizontal;
    QStyle* style = bar->style();
    const QRect line = style->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarAddLine, bar);
    const QRect thumb = style->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, bar);

    const QPoint origin = bar->mapToGlobal(QPoint(0, 0));
    Info->rcScrollBar = Bounds(origin.x(), origin.y(), bar->width(), bar->height());
    Info->dxyLineButton = horizontal ? line.width() : line.height();
    Info->xyThumbTop = horizontal ? thumb.left() : thumb.top();
    Info->xyThumbBottom = horizontal ? thumb.left() + thumb.width() : thumb.top() + thumb.height();
    Info->reserved = 0;
    std::fill(std::begin(Info->rgstate), std::end(Info->rgstate), 0u);
    if (!bar->isVisible())
        Info->rgstate[0] |= STATE_SYSTEM_INVISIBLE;
    if (!bar->isEnabled() || bar->maximum() <= bar->minimum())
        Info->rgstate[0] |= STATE_SYSTEM_UNAVAILABLE;
    if (bar->isSliderDown())
        Info->rgstate[3] |= STATE_SYSTEM_PRESSED;
    return true;
}

// The visible part of a w x h window at animation position t (0 hidden, 1 whole).
QRect RevealRect(int w, int h, double t, DWORD Flags)
{
    const int rw = int(w * t + 0.5), rh = int(h * t + 0.5);
    if (Flags & AW_CENTER)
        return QRect((w - rw) / 2, (h - rh) / 2, rw, rh);
    QRect r(0, 0, w, h);
    if (Flags & AW_HOR_POSITIVE)
        r.setWidth(rw);
    else if (Flags & AW_HOR_NEGATIVE)
        r = QRect(w - rw, r.top(), rw, r.height());
    if (Flags & AW_VER_POSITIVE)
        r.setHeight(rh);
    else if (Flags & AW_VER_NEGATIVE)
        r = QRect(r.left(), h - rh, r.width(), rh);
    return r;
}

bool QtAnimateWindow(HWND Window, DWORD Time, DWORD Flags)
{
    QWidget* w = WidgetOf(Window);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    const bool hide = (Flags & AW_HIDE) != 0;
    // Showing a shown window or hiding a hidden one fails, as on the desktop. The window's own
    // visibility counts, not its parents'.
    if (hide == w->isHidden())
        return false;
    const bool blend = (Flags & AW_BLEND) && w->isWindow();
    const DWORD directions = AW_HOR_POSITIVE | AW_HOR_NEGATIVE | AW_VER_POSITIVE | AW_VER_NEGATIVE | AW_CENTER;
    const bool reveal = !blend && (Flags & directions) != 0;
    const QRegion original = w->mask();
    const bool hadMask = !original.isEmpty();

    auto apply = [&](double t) {
        if (blend) {
            w->setWindowOpacity(t);
        } else if (reveal) {
            QRegion r(RevealRect(w->width(), w->height(), t, Flags));
            if (hadMask)
                r &= original;
            w->setMask(r.isEmpty() ? QRegion(-2, -2, 1, 1) : r);
        }
    };

    const DWORD duration = std::min(Time, MaxAnimationMs);
    if (!hide) {
        apply(duration > 0 ? 0.0 : 1.0);
        const bool quiet = w->testAttribute(Qt::WA_ShowWithoutActivating);
        if (!(Flags & AW_ACTIVATE))
            w->setAttribute(Qt::WA_ShowWithoutActivating, true);
        w->show();
        w->setAttribute(Qt::WA_ShowWithoutActivating, quiet);
        if (Flags & AW_ACTIVATE) {
            w->raise();
            w->activateWindow();
        }
    }
    if (duration > 0 && (blend || reveal)) {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            const qint64 elapsed = clock.elapsed();
            if (elapsed >= qint64(duration))
                break;
            const double f = double(elapsed) / double(duration);
            apply(hide ? 1.0 - f : f);
            w->repaint();
            QThread::msleep(AnimationStepMs);
        }
    }
    if (hide)
        w->hide();
    if (blend)
        w->setWindowOpacity(1.0);
    if (reveal) {
        if (hadMask)
            w->setMask(original);
        else
            w->clearMask();
    }
    return true;
}

}  // namespace

void* KivSystemProcAddress(const char* Name)
{
    struct TExport {
        const char* Name;
        void* Proc;
    };
    // The library's export table: the implementations on Qt, by the system's names (the combo-box
    // geometry is the framework's).
    static const TExport exports[] = {
        {"GetScrollBarInfo", reinterpret_cast<void*>(&QtGetScrollBarInfo)},
        {"GetComboBoxInfo", reinterpret_cast<void*>(&GetComboBoxInfo)},
        {"AnimateWindow", reinterpret_cast<void*>(&QtAnimateWindow)},
    };
    if (!Name)
        return nullptr;
    for (const TExport& e : exports)
        if (std::strcmp(e.Name, Name) == 0)
            return e.Proc;
    return nullptr;
}

bool KIVGetScrollBarInfo(HWND Window, LONG IdObject, tagSCROLLBARINFO* Info)
{
    static TkivLazyProc<bool(HWND, LONG, tagSCROLLBARINFO*)> proc("GetScrollBarInfo", &KivSystemProcAddress);
    auto* f = proc.Get();
    return f ? f(Window, IdObject, Info) : false;
}

bool KIVGetComboBoxInfo(HWND Window, tagCOMBOBOXINFO* Info)
{
    static TkivLazyProc<bool(HWND, tagCOMBOBOXINFO*)> proc("GetComboBoxInfo", &KivSystemProcAddress);
    auto* f = proc.Get();
    return f ? f(Window, Info) : false;
}

bool KIVAnimateWindow(HWND Window, DWORD Time, DWORD Flags)
{
    static TkivLazyProc<bool(HWND, DWORD, DWORD)> proc("AnimateWindow", &KivSystemProcAddress);
    auto* f = proc.Get();
    return f ? f(Window, Time, Flags) : false;
}

// ---- text and system information ----

String FormatStringWithWidth(TCanvas* Canvas, const String& Text, int MaxWidth)
{
    if (!Canvas || Canvas->TextWidth(Text) <= MaxWidth)
        return Text;
    for (int i = 1; i < Text.length(); ++i) {
        // Never cut a character made of two UTF-16 units in half.
        if (Text.at(i - 1).isHighSurrogate())
            continue;
        const String candidate = Text.left(i) + QStringLiteral("...");
        if (Canvas->TextWidth(candidate) >= MaxWidth)
            return candidate;
    }
    return Text;
}

String GetLocaleButtonCaption(TMsgDlgBtn Button)
{
    switch (Button) {
    case mbYes: return QStringLiteral("&Yes");
    case mbNo: return QStringLiteral("&No");
    case mbOK: return QStringLiteral("OK");
    case mbCancel: return QStringLiteral("Cancel");
    case mbAbort: return QStringLiteral("&Abort");
    case mbRetry: return QStringLiteral("&Retry");
    case mbIgnore: return QStringLiteral("&Ignore");
    case mbAll: return QStringLiteral("All");
    case mbNoToAll: return QStringLiteral("No to All");
    case mbYesToAll: return QStringLiteral("Yes to All");
    case mbHelp: return QStringLiteral("Help");
    }
    return String();
}

void GetCaptionFont(TFont* Font)
{
    if (!Font)
        return;
    Font->SetName(QStringLiteral("Tahoma"));
    Font->SetHeight(-11);
    Font->SetStyle(fsBold);
    Font->SetCharset(DEFAULT_CHARSET);
}

String PCharToStr(const char* Text)
{
    if (!Text || !*Text)
        return String();
    return QString::fromLocal8Bit(Text);
}

bool IsWinXP() { return true; }

bool IsWinVista() { return false; }
