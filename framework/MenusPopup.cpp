// The framework's menu windows. Each open (sub)menu is a top-level popup window that measures
// and draws its items (through the owner-draw events, or in the plain look) and hands the mouse
// and the keys to the tracker, which runs the menu in its own event loop until it closes.
#include "framework/MenusPopup.h"

#include "framework/Controls.h"
#include "framework/ExtCtrls.h"
#include "framework/Graphics.h"
#include "platform/WinMessages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <map>

namespace {

class TMenuTracker;

// Canvases bound to menu windows while their items are measured or drawn.
std::map<const TCanvas*, QPointer<QWidget>>& CanvasWindows()
{
    static std::map<const TCanvas*, QPointer<QWidget>> map;
    return map;
}

// Registers a canvas as drawing on a window for as long as the object lives.
struct TCanvasBinding {
    const TCanvas* Canvas;
    TCanvasBinding(const TCanvas* c, QWidget* w) : Canvas(c) { CanvasWindows()[c] = w; }
    ~TCanvasBinding() { CanvasWindows().erase(Canvas); }
    TCanvasBinding(const TCanvasBinding&) = delete;
    TCanvasBinding& operator=(const TCanvasBinding&) = delete;
};

// Runs a callback coming from user code inside a Qt event: exceptions go to the application.
template <class F>
void Guarded(F&& f)
{
    try {
        f();
    } catch (...) {
        HandleCallbackException();
    }
}

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

// Left part of an item that holds the check mark or the image.
int Gutter(const TCustomImageList* images) { return images ? std::max(20, images->Width() + 8) : 20; }

bool HasImage(const TMenuItem* item, const TCustomImageList* images)
{
    return images && item->ImageIndex() >= 0 && item->ImageIndex() < images->Count();
}

// One visible item of an open menu level.
struct TEntry {
    QPointer<TMenuItem> Item;
    TRect Rect;        // client coordinates of the window
    QChar Accel;       // upper-case accelerator, or null
    QString Display;   // caption as the plain look shows it (automatic accelerator marked)
};

// Works out the accelerators of one level (see the Decisions in Menus.h).
void AssignAccelerators(std::vector<TEntry>& entries, TMenuAutoFlag flag)
{
    QSet<QChar> used;
    for (TEntry& e : entries) {
        e.Display = e.Item->Caption();
        const String hot = GetHotkey(e.Display);
        if (!hot.isEmpty() && !e.Item->IsLine()) {
            e.Accel = hot.at(0).toUpper();
            used.insert(e.Accel);
        }
    }
    if (flag == maManual)
        return;
    for (TEntry& e : entries) {
        if (!e.Accel.isNull() || e.Item->IsLine())
            continue;
        const QString raw = e.Display;
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw.at(i) == QLatin1Char('&')) {
                ++i;  // "&&", a plain "&"
                continue;
            }
            const QChar up = raw.at(i).toUpper();
            if (raw.at(i).isLetterOrNumber() && !used.contains(up)) {
                e.Accel = up;
                used.insert(up);
                e.Display = raw.left(i) + QLatin1Char('&') + raw.mid(i);
                break;
            }
        }
    }
}

// The size of an item in the plain look.
void PlainMeasure(TCanvas& c, const TMenuItem* item, const TCustomImageList* images, int& width, int& height)
{
    if (item->IsLine()) {
        width = 0;
        height = 8;
        return;
    }
    height = c.TextHeight(QStringLiteral("Wg")) + 6;
    if (images)
        height = std::max(height, images->Height() + 4);
    width = Gutter(images) + c.TextWidth(StripHotkey(item->Caption())) + 20;
    const String sc = ShortCutToText(item->ShortCut());
    if (!sc.isEmpty())
        width += 16 + c.TextWidth(sc);
}

void Line(TCanvas& c, TColor color, int x1, int y1, int x2, int y2)
{
    c.Pen()->SetColor(color);
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
}

// The plain look of an item: background, separator, check mark or image, caption, shortcut and
// sub-menu arrow.
void PlainDraw(TCanvas& c, const TEntry& e, bool selected, bool cues, TCustomImageList* images)
{
    TMenuItem* item = e.Item;
    const TRect R = e.Rect;
    const int h = R.Height();
    const bool enabled = item->Enabled();
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(selected && !item->IsLine() ? clHighlight : clMenu);
    c.FillRect(R);
    c.Pen()->SetStyle(psSolid);
    c.Pen()->SetWidth(1);
    if (item->IsLine()) {
        const int y = R.Top + h / 2 - 1;
        Line(c, clBtnShadow, R.Left + 1, y, R.Right - 1, y);
        Line(c, clBtnHighlight, R.Left + 1, y + 1, R.Right - 1, y + 1);
        return;
    }
    const TColor fg = !enabled ? clGrayText : selected ? clHighlightText : clMenuText;
    const int gutter = Gutter(images);
    const int cy = R.Top + h / 2;
    if (HasImage(item, images)) {
        const int ix = R.Left + (gutter - images->Width()) / 2;
        const int iy = R.Top + (h - images->Height()) / 2;
        if (item->Checked()) {
            TRect box = Rect(ix - 2, iy - 2, ix + images->Width() + 2, iy + images->Height() + 2);
            Frame3D(&c, box, clBtnShadow, clBtnHighlight, 1);
        }
        images->Draw(&c, ix, iy, item->ImageIndex(), enabled);
    } else if (item->Checked()) {
        const int cx = R.Left + gutter / 2;
        c.Pen()->SetColor(fg);
        c.Brush()->SetColor(fg);
        if (item->RadioItem()) {
            c.Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
        } else {
            for (int d = 0; d < 3; ++d) {
                c.MoveTo(cx - 3, cy - 1 + d);
                c.LineTo(cx - 1, cy + 1 + d);
                c.LineTo(cx + 4, cy - 4 + d);
            }
        }
    }
    c.Font()->SetStyle(item->Default() ? TFontStyles(fsBold) : TFontStyles(0));
    c.Brush()->SetStyle(bsClear);
    const UINT prefix = cues ? 0 : DT_HIDEPREFIX;
    auto text = [&](TColor color, int dx, int dy) {
        c.Font()->SetColor(color);
        TRect tr = Rect(R.Left + gutter + dx, R.Top + dy, R.Right - 4 + dx, R.Bottom + dy);
        c.DrawText(e.Display, tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT | prefix);
        const String sc = ShortCutToText(item->ShortCut());
        if (!sc.isEmpty()) {
            TRect sr = Rect(R.Left + gutter + dx, R.Top + dy, R.Right - 20 + dx, R.Bottom + dy);
            c.DrawText(sc, sr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
        }
    };
    if (!enabled && !selected)
        text(clBtnHighlight, 1, 1);  // the engraved look of disabled text
    text(fg, 0, 0);
    if (item->HasVisibleItems()) {
        const int x0 = R.Right - 12;
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(fg);
        c.Pen()->SetColor(fg);
        c.Polygon({{x0, cy - 4}, {x0 + 4, cy}, {x0, cy + 4}});
    }
}

// The frame of a menu window (always drawn; owner-drawn items may paint over it through the
// window's canvas).
void DrawFrame(TCanvas& c, int w, int h)
{
    TRect r = Rect(0, 0, w, h);
    Frame3D(&c, r, clBtnFace, cl3DDkShadow, 1);
    Frame3D(&c, r, clBtnHighlight, clBtnShadow, 1);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(clMenu);
    c.FrameRect(r);
}

// Keeps focus events away from the focused control while a menu is open: the control keeps the
// focus, as under the desktop's menus, and does not see the menu's popup windows take and give
// back the keyboard.
class TPopupFocusFilter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut)
            if (static_cast<QFocusEvent*>(e)->reason() == Qt::PopupFocusReason)
                return true;
        return QObject::eventFilter(watched, e);
    }
};

class TMenuWindow : public QWidget {
public:
    TMenuWindow(TMenuTracker* tracker, TMenuItem* parentItem);
    ~TMenuWindow() override;

    TMenuItem* ParentItem() const { return FParentItem; }
    bool ParentGone() const { return FParentItem.isNull(); }
    void Rebuild();
    const std::vector<TEntry>& Entries() const { return FEntries; }
    int Selected() const { return FSelected; }
    void SetSelected(int index);
    TMenuItem* SelectedItem() const;
    // The entry under a point of the window, -1 for none or a separator.
    int EntryAt(const QPoint& local) const;
    // An entry's rectangle on the screen.
    QRect EntryScreenRect(int index) const;
    // The next entry that can be chosen from the keyboard (enabled, not a line), from `from` in
    // direction step (+1 / -1), wrapping; -1 when none.
    int NextSelectable(int from, int step) const;
    HWND Handle() const { return FHandle; }
    QPainter* ActivePainter() const { return FPainter; }
    void Detach() { FTracker = nullptr; }
    void CloseQuietly();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    TMenuTracker* FTracker;
    QPointer<TMenuItem> FParentItem;
    std::vector<TEntry> FEntries;
    int FSelected = -1;
    int FClientWidth = 0;
    int FClientHeight = 0;
    HWND FHandle = nullptr;
    QPainter* FPainter = nullptr;
    bool FClosing = false;
};

class TMenuTracker {
public:
    TMenuTracker(TPopupMenu* menu, const TMenuTrackParams& params);
    ~TMenuTracker();
    TMenuTracker(const TMenuTracker&) = delete;
    TMenuTracker& operator=(const TMenuTracker&) = delete;

    TMenuTrackResult Run();
    void End(TMenuTrackEnd reason, TMenuItem* item = nullptr);
    const TMenu* Menu() const { return FMenu; }
    void MenuGone();
    void ScheduleSync();
    std::vector<QWidget*> Windows() const { return {FLevels.begin(), FLevels.end()}; }

    // Measuring and drawing for the windows.
    void Measure(TMenuWindow* window, TMenuItem* item, int& width, int& height);
    void Draw(TCanvas& canvas, const TEntry& entry, bool selected);
    TMenuAutoFlag AutoHotkeys() const { return FMenu ? FMenu->AutoHotkeys() : maAutomatic; }

    // Input from the windows (screen coordinates).
    void MouseMove(const QPoint& global, Qt::MouseButtons buttons);
    void MousePress(const QPoint& global);
    void MouseRelease(const QPoint& global, Qt::MouseButton button);
    void Key(QKeyEvent* e);
    void WindowClosed(TMenuWindow* window);

private:
    TMenuWindow* NewWindow(TMenuItem* parentItem);
    void ShowRoot();
    void OpenSubmenu(int level, bool selectFirst);
    void CloseLevelsAbove(int level);
    void CloseWindow(TMenuWindow* w);
    void SyncSubmenus(int level);
    void Sync();
    int LevelAt(const QPoint& global) const;
    TMenuWindow* Deepest() const { return FLevels.empty() ? nullptr : FLevels.back(); }
    void Choose(TMenuItem* item);
    void ShowCues();
    void CloseAll();

    QPointer<TPopupMenu> FMenu;
    TMenuTrackParams FParams;
    std::vector<TMenuWindow*> FLevels;
    std::vector<TMenuWindow*> FClosing;       // the levels open when the tracking ended
    std::vector<QPointer<TMenuWindow>> FAll;  // every window made, for the final clean-up
    QEventLoop FLoop;
    bool FEnded = false;
    TMenuTrackEnd FEnd = TMenuTrackEnd::Cancelled;
    QPointer<TMenuItem> FChosen;
    QTimer FHoverTimer;
    int FHoverLevel = -1;
    bool FSyncPending = false;
    bool FArmed = false;       // a press in a menu window, or a drag over an item, happened
    bool FCues = false;        // accelerators shown
    TFont FMenuFont;
    TBitmap FMeasureBitmap{1, 1};
    TPopupFocusFilter FFocusFilter;
};

TMenuTracker* gTracker = nullptr;

// ----- TMenuWindow ---------------------------------------------------------------------------

TMenuWindow::TMenuWindow(TMenuTracker* tracker, TMenuItem* parentItem)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint), FTracker(tracker), FParentItem(parentItem)
{
    setAttribute(Qt::WA_NoMouseReplay);  // a click that closes the menu does nothing else
    setAttribute(Qt::WA_DeleteOnClose, false);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    FHandle = RegisterWindowReceiver(this);
}

TMenuWindow::~TMenuWindow() { UnregisterWindowReceiver(FHandle); }

void TMenuWindow::Rebuild()
{
    TMenuItem* keep = SelectedItem();
    FEntries.clear();
    FSelected = -1;
    int y = 0;
    int width = 0;
    if (FParentItem && FTracker) {
        for (int i = 0; i < FParentItem->Count(); ++i) {
            TMenuItem* item = FParentItem->Items(i);
            if (!item->Visible())
                continue;
            int w = 0, h = 0;
            FTracker->Measure(this, item, w, h);
            if (!FParentItem)  // a measuring handler freed the menu
                break;
            w = std::max(0, w);
            h = std::max(0, h);
            FEntries.push_back({item, Rect(0, y, 0, y + h), QChar(), QString()});
            y += h;
            width = std::max(width, w);
        }
    }
    // Items a measuring handler freed are left out.
    FEntries.erase(std::remove_if(FEntries.begin(), FEntries.end(), [](const TEntry& e) { return e.Item.isNull(); }),
                   FEntries.end());
    for (TEntry& e : FEntries)
        e.Rect.Right = width;
    AssignAccelerators(FEntries, FTracker ? FTracker->AutoHotkeys() : maAutomatic);
    for (size_t i = 0; i < FEntries.size(); ++i)
        if (FEntries[i].Item == keep)
            FSelected = int(i);
    FClientWidth = width;
    FClientHeight = y;
    resize(width + 2 * MenuWindowBorder, y + 2 * MenuWindowBorder);
    update();
}

void TMenuWindow::SetSelected(int index)
{
    if (index < -1 || index >= int(FEntries.size()))
        index = -1;
    if (FSelected == index)
        return;
    FSelected = index;
    update();
}

TMenuItem* TMenuWindow::SelectedItem() const
{
    return FSelected >= 0 && FSelected < int(FEntries.size()) ? FEntries[size_t(FSelected)].Item.data() : nullptr;
}

int TMenuWindow::EntryAt(const QPoint& local) const
{
    const QPoint p = local - QPoint(MenuWindowBorder, MenuWindowBorder);
    for (size_t i = 0; i < FEntries.size(); ++i) {
        const TEntry& e = FEntries[i];
        if (e.Item && ToQRect(e.Rect).contains(p))
            return e.Item->IsLine() ? -1 : int(i);
    }
    return -1;
}

QRect TMenuWindow::EntryScreenRect(int index) const
{
    const QRect r = ToQRect(FEntries.at(size_t(index)).Rect).translated(MenuWindowBorder, MenuWindowBorder);
    return QRect(mapToGlobal(r.topLeft()), r.size());
}

int TMenuWindow::NextSelectable(int from, int step) const
{
    const int n = int(FEntries.size());
    if (n == 0)
        return -1;
    int i = from;
    for (int k = 0; k < n; ++k) {
        i = from < 0 && k == 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
        const TEntry& e = FEntries[size_t(i)];
        if (e.Item && !e.Item->IsLine() && e.Item->Enabled())
            return i;
    }
    return -1;
}

void TMenuWindow::CloseQuietly()
{
    FClosing = true;
    hide();
}

void TMenuWindow::paintEvent(QPaintEvent*)
{
    if (!FTracker)
        return;
    QPainter painter(this);
    FPainter = &painter;
    Guarded([&] {
        {
            TCanvas frame(&painter, rect());
            DrawFrame(frame, width(), height());
        }
        struct Saved {
            QPainter& p;
            explicit Saved(QPainter& painter) : p(painter) { p.save(); }
            ~Saved() { p.restore(); }
        } saved(painter);
        painter.translate(MenuWindowBorder, MenuWindowBorder);
        {
            TCanvas canvas(&painter, QRect(0, 0, FClientWidth, FClientHeight));
            TCanvasBinding binding(&canvas, this);
            canvas.Brush()->SetColor(clMenu);
            canvas.FillRect(Rect(0, 0, FClientWidth, FClientHeight));
            // A copy: a drawing handler may change the menu, which rebuilds the entries later.
            const std::vector<TEntry> entries = FEntries;
            for (size_t i = 0; i < entries.size() && FTracker; ++i)
                if (entries[i].Item)
                    FTracker->Draw(canvas, entries[i], int(i) == FSelected);
        }
    });
    FPainter = nullptr;
}

void TMenuWindow::mousePressEvent(QMouseEvent* e)
{
    e->accept();
    if (FTracker)
        Guarded([&] { FTracker->MousePress(e->globalPosition().toPoint()); });
}

void TMenuWindow::mouseDoubleClickEvent(QMouseEvent* e) { mousePressEvent(e); }

void TMenuWindow::mouseReleaseEvent(QMouseEvent* e)
{
    e->accept();
    if (FTracker)
        Guarded([&] { FTracker->MouseRelease(e->globalPosition().toPoint(), e->button()); });
}

void TMenuWindow::mouseMoveEvent(QMouseEvent* e)
{
    e->accept();
    if (FTracker)
        Guarded([&] { FTracker->MouseMove(e->globalPosition().toPoint(), e->buttons()); });
}

void TMenuWindow::keyPressEvent(QKeyEvent* e)
{
    e->accept();
    if (FTracker)
        Guarded([&] { FTracker->Key(e); });
}

void TMenuWindow::closeEvent(QCloseEvent* e)
{
    // Closed by someone else (the application losing the screen, a window manager): the menu ends.
    e->accept();
    if (!FClosing && FTracker)
        FTracker->WindowClosed(this);
}

void TMenuWindow::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    if (!FClosing && FTracker)
        FTracker->WindowClosed(this);
}

// ----- TMenuTracker --------------------------------------------------------------------------

TMenuTracker::TMenuTracker(TPopupMenu* menu, const TMenuTrackParams& params) : FMenu(menu), FParams(params)
{
    FHoverTimer.setSingleShot(true);
    QObject::connect(&FHoverTimer, &QTimer::timeout, [this] { Guarded([this] { SyncSubmenus(FHoverLevel); }); });
    FCues = params.SelectFirst;
}

TMenuTracker::~TMenuTracker()
{
    for (const QPointer<TMenuWindow>& w : FAll) {
        if (!w)
            continue;
        w->Detach();
        w->CloseQuietly();
        delete w.data();
    }
}

TMenuWindow* TMenuTracker::NewWindow(TMenuItem* parentItem)
{
    auto* w = new TMenuWindow(this, parentItem);
    FAll.emplace_back(w);
    w->Rebuild();
    return w;
}

TMenuTrackResult TMenuTracker::Run()
{
    if (FMenu && FMenu->Items()->HasVisibleItems()) {
        qApp->installEventFilter(&FFocusFilter);
        ShowRoot();
        if (!FEnded)
            FLoop.exec();
        CloseAll();
        qApp->removeEventFilter(&FFocusFilter);
    }
    TMenuTrackResult result;
    result.End = FEnded ? FEnd : TMenuTrackEnd::Cancelled;
    result.Item = result.End == TMenuTrackEnd::Chosen ? FChosen.data() : nullptr;
    if (result.End == TMenuTrackEnd::Chosen && !result.Item)
        result.End = TMenuTrackEnd::Cancelled;
    return result;
}

void TMenuTracker::ShowRoot()
{
    TMenuWindow* w = NewWindow(FMenu->Items());
    if (!FMenu || FEnded) {
        w->Detach();
        return;  // a measuring handler freed the menu or closed it
    }
    FLevels.push_back(w);
    const QSize size = w->size();
    int x = FParams.X;
    int y = FParams.Y;
    if (FMenu->Alignment() == paRight)
        x -= size.width();
    else if (FMenu->Alignment() == paCenter)
        x -= size.width() / 2;
    QScreen* screen = QGuiApplication::screenAt(QPoint(FParams.X, FParams.Y));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    // A menu that does not fit opens to the other side of its point (or of the excluded rectangle).
    const int areaRight = area.x() + area.width();
    if (x + size.width() > areaRight)
        x = FMenu->Alignment() == paLeft ? FParams.X - size.width() : areaRight - size.width();
    x = std::clamp(x, area.x(), std::max(area.x(), areaRight - size.width()));
    if (y + size.height() > area.y() + area.height()) {
        const bool exclude = FParams.Exclude.Width() > 0 || FParams.Exclude.Height() > 0;
        y = (exclude ? FParams.Exclude.Top : FParams.Y) - size.height();
    }
    y = std::max(y, area.y());
    w->move(x, y);
    w->show();
    if (FParams.SelectFirst)
        w->SetSelected(w->NextSelectable(-1, 1));
}

void TMenuTracker::End(TMenuTrackEnd reason, TMenuItem* item)
{
    if (FEnded)
        return;
    FEnded = true;
    FEnd = reason;
    FChosen = item;
    FHoverTimer.stop();
    // The windows close once the loop has returned: events the window system queued for them
    // while they opened (an activation) are still handled while they are the toolkit's popups.
    FClosing = std::move(FLevels);
    FLevels.clear();
    FLoop.exit();
}

void TMenuTracker::CloseAll()
{
    // Deepest first, so the popups leave the toolkit's popup stack in order.
    for (auto it = FClosing.rbegin(); it != FClosing.rend(); ++it)
        (*it)->CloseQuietly();
    FClosing.clear();
}

void TMenuTracker::MenuGone()
{
    FMenu = nullptr;
    End(TMenuTrackEnd::Cancelled);
}

void TMenuTracker::WindowClosed(TMenuWindow* window)
{
    (void)window;
    End(TMenuTrackEnd::Cancelled);
}

void TMenuTracker::ScheduleSync()
{
    if (FEnded)
        return;
    for (TMenuWindow* w : FLevels)
        w->update();
    if (FSyncPending)
        return;
    FSyncPending = true;
    // Later, not inside the change: items may be in the middle of being added or freed.
    QTimer::singleShot(0, &FFocusFilter, [this] {
        FSyncPending = false;
        Guarded([this] { Sync(); });
    });
}

void TMenuTracker::Sync()
{
    if (FEnded)
        return;
    if (!FMenu) {
        End(TMenuTrackEnd::Cancelled);
        return;
    }
    // A level whose item went away, was hidden or disabled, or left its parent level closes.
    for (size_t i = 1; i < FLevels.size(); ++i) {
        TMenuItem* item = FLevels[i]->ParentItem();
        if (!item || !item->Visible() || !item->Enabled() || item->Parent() != FLevels[i - 1]->ParentItem() ||
            !item->HasVisibleItems()) {
            CloseLevelsAbove(int(i) - 1);
            break;
        }
    }
    for (TMenuWindow* w : std::vector<TMenuWindow*>(FLevels)) {
        if (FEnded)
            return;
        w->Rebuild();
    }
    if (!FEnded && !FLevels.empty() && FLevels.front()->Entries().empty())
        End(TMenuTrackEnd::Cancelled);
}

void TMenuTracker::Measure(TMenuWindow* window, TMenuItem* item, int& width, int& height)
{
    TCanvas* c = FMeasureBitmap.Canvas();
    TCanvasBinding binding(c, window);
    c->SetFont(&FMenuFont);
    if (item->Default())
        c->Font()->SetStyle(fsBold);
    const TMenu* menu = FMenu;
    TCustomImageList* images = menu ? menu->Images() : nullptr;
    PlainMeasure(*c, item, images, width, height);
    if (menu && menu->IsOwnerDraw())
        Guarded([&] { item->MeasureItem(c, width, height); });
}

void TMenuTracker::Draw(TCanvas& canvas, const TEntry& entry, bool selected)
{
    TMenuItem* item = entry.Item;
    const TMenu* menu = FMenu;
    if (!item || !menu)
        return;
    // Every item starts from the same canvas state.
    canvas.SetViewportOrigin(0, 0);
    canvas.ResetClip();
    canvas.SetFont(&FMenuFont);
    canvas.Font()->SetColor(selected ? clHighlightText : clMenuText);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(selected ? clHighlight : clMenu);
    canvas.Pen()->SetColor(clMenuText);
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetMode(pmCopy);
    if (menu->IsOwnerDraw() && item->HasDrawHandler()) {
        TOwnerDrawState state = 0;
        if (selected)
            state |= odSelected;
        if (!item->Enabled())
            state |= odDisabled | odGrayed;
        if (item->Checked())
            state |= odChecked;
        if (item->Default())
            state |= odDefault;
        if (!FCues)
            state |= odNoAccel;
        item->AdvancedDrawItem(&canvas, entry.Rect, state, false);
        return;
    }
    PlainDraw(canvas, entry, selected, FCues, menu->Images());
}

int TMenuTracker::LevelAt(const QPoint& global) const
{
    // Deepest first: sub-menus lie on top of their parents.
    for (int i = int(FLevels.size()) - 1; i >= 0; --i)
        if (FLevels[size_t(i)]->geometry().contains(global))
            return i;
    return -1;
}

void TMenuTracker::MouseMove(const QPoint& global, Qt::MouseButtons buttons)
{
    if (FEnded)
        return;
    const int level = LevelAt(global);
    if (level < 0) {
        if (FParams.OnMouseOutside && FParams.OnMouseOutside({global.x(), global.y()})) {
            End(TMenuTrackEnd::Outside);
            return;
        }
        // Leaving the menus unselects the item of the deepest level (the items whose sub-menus
        // are open stay selected).
        if (TMenuWindow* d = Deepest())
            d->SetSelected(-1);
        FHoverTimer.stop();
        FHoverLevel = -1;
        return;
    }
    TMenuWindow* w = FLevels[size_t(level)];
    const int index = w->EntryAt(w->mapFromGlobal(global));
    if (index >= 0 && buttons != Qt::NoButton)
        FArmed = true;  // dragging onto an item: releasing there chooses it
    if (index != w->Selected() || level != FHoverLevel) {
        w->SetSelected(index);
        FHoverLevel = level;
        FHoverTimer.start(SubMenuDelay);
    }
}

void TMenuTracker::MousePress(const QPoint& global)
{
    if (FEnded)
        return;
    const int level = LevelAt(global);
    if (level < 0) {
        End(TMenuTrackEnd::Cancelled);
        return;
    }
    FArmed = true;
    TMenuWindow* w = FLevels[size_t(level)];
    const int index = w->EntryAt(w->mapFromGlobal(global));
    w->SetSelected(index);
    TMenuItem* item = w->SelectedItem();
    if (item && item->Enabled() && item->HasVisibleItems()) {
        FHoverTimer.stop();
        const bool open = size_t(level) + 1 < FLevels.size() && FLevels[size_t(level) + 1]->ParentItem() == item;
        if (!open)
            OpenSubmenu(level, false);
    }
}

void TMenuTracker::MouseRelease(const QPoint& global, Qt::MouseButton button)
{
    if (FEnded || !FArmed)
        return;  // the release of the press that opened the menu
    if (button == Qt::RightButton && FMenu && FMenu->TrackButton() == tbLeftButton)
        return;
    if (button != Qt::LeftButton && button != Qt::RightButton)
        return;
    const int level = LevelAt(global);
    if (level < 0)
        return;
    TMenuWindow* w = FLevels[size_t(level)];
    const int index = w->EntryAt(w->mapFromGlobal(global));
    if (index < 0)
        return;
    TMenuItem* item = w->Entries()[size_t(index)].Item;
    if (!item || !item->Enabled())
        return;
    if (item->HasVisibleItems()) {
        const bool open = size_t(level) + 1 < FLevels.size() && FLevels[size_t(level) + 1]->ParentItem() == item;
        if (!open) {
            w->SetSelected(index);
            OpenSubmenu(level, false);
        }
        return;
    }
    Choose(item);
}

void TMenuTracker::ShowCues()
{
    if (FCues)
        return;
    FCues = true;
    for (TMenuWindow* w : FLevels)
        w->update();
}

void TMenuTracker::Key(QKeyEvent* e)
{
    if (FEnded)
        return;
    ShowCues();
    TMenuWindow* d = Deepest();
    if (!d)
        return;
    const int level = int(FLevels.size()) - 1;
    FHoverTimer.stop();
    auto openOrChoose = [&](TMenuItem* item) {
        if (!item || !item->Enabled())
            return;
        if (item->HasVisibleItems())
            OpenSubmenu(level, true);
        else
            Choose(item);
    };
    switch (e->key()) {
    case Qt::Key_Down:
        d->SetSelected(d->NextSelectable(d->Selected(), 1));
        return;
    case Qt::Key_Up:
        d->SetSelected(d->NextSelectable(d->Selected(), -1));
        return;
    case Qt::Key_Home:
        d->SetSelected(d->NextSelectable(-1, 1));
        return;
    case Qt::Key_End:
        d->SetSelected(d->NextSelectable(-1, -1));
        return;
    case Qt::Key_Right: {
        TMenuItem* item = d->SelectedItem();
        if (item && item->Enabled() && item->HasVisibleItems())
            OpenSubmenu(level, true);
        else if (FParams.ArrowsLeaveRoot)
            End(TMenuTrackEnd::Right);
        return;
    }
    case Qt::Key_Left:
        if (level > 0)
            CloseLevelsAbove(level - 1);
        else if (FParams.ArrowsLeaveRoot)
            End(TMenuTrackEnd::Left);
        return;
    case Qt::Key_Escape:
        if (level > 0)
            CloseLevelsAbove(level - 1);
        else
            End(TMenuTrackEnd::Cancelled);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        openOrChoose(d->SelectedItem());
        return;
    default:
        break;
    }
    const QString text = e->text();
    if (text.isEmpty() || text.at(0).unicode() <= 32 || text.at(0).unicode() == 127)
        return;
    const QChar ch = text.at(0).toUpper();
    std::vector<int> matches;
    const auto& entries = d->Entries();
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].Item && entries[i].Accel == ch && entries[i].Item->Enabled())
            matches.push_back(int(i));
    if (matches.empty())
        return;
    if (matches.size() == 1) {
        d->SetSelected(matches.front());
        openOrChoose(d->SelectedItem());
        return;
    }
    // Several items share the letter: select the next one.
    auto next = std::upper_bound(matches.begin(), matches.end(), d->Selected());
    d->SetSelected(next == matches.end() ? matches.front() : *next);
}

void TMenuTracker::Choose(TMenuItem* item) { End(TMenuTrackEnd::Chosen, item); }

void TMenuTracker::OpenSubmenu(int level, bool selectFirst)
{
    if (FEnded || level < 0 || level >= int(FLevels.size()))
        return;
    TMenuWindow* parent = FLevels[size_t(level)];
    QPointer<TMenuItem> item = parent->SelectedItem();
    const int index = parent->Selected();
    CloseLevelsAbove(level);
    if (!item || !item->Enabled() || !item->HasVisibleItems())
        return;
    // The item's OnClick runs as its sub-menu opens, so handlers can fill it.
    item->Click();
    if (FEnded || !item || !item->HasVisibleItems() || FLevels.size() != size_t(level) + 1)
        return;
    TMenuWindow* w = NewWindow(item);
    if (FEnded || w->Entries().empty()) {
        w->Detach();
        return;
    }
    const QRect pr = parent->geometry();
    const QRect ir = parent->EntryScreenRect(index);
    QScreen* screen = parent->screen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const QSize size = w->size();
    int x = pr.right() + 1 - MenuWindowBorder;
    if (x + size.width() > area.x() + area.width())
        x = pr.left() - size.width() + MenuWindowBorder;
    x = std::max(x, area.x());
    int y = ir.top() - MenuWindowBorder;
    if (y + size.height() > area.y() + area.height())
        y = area.y() + area.height() - size.height();
    y = std::max(y, area.y());
    w->move(x, y);
    FLevels.push_back(w);
    w->show();
    if (selectFirst)
        w->SetSelected(w->NextSelectable(-1, 1));
}

void TMenuTracker::CloseWindow(TMenuWindow* w)
{
    w->CloseQuietly();
    w->Detach();
    w->deleteLater();
}

void TMenuTracker::CloseLevelsAbove(int level)
{
    while (int(FLevels.size()) > level + 1) {
        TMenuWindow* w = FLevels.back();
        FLevels.pop_back();
        CloseWindow(w);
    }
    if (FHoverLevel > level)
        FHoverLevel = level;
}

void TMenuTracker::SyncSubmenus(int level)
{
    if (FEnded || level < 0 || level >= int(FLevels.size()))
        return;
    TMenuItem* selected = FLevels[size_t(level)]->SelectedItem();
    const bool childOpen = size_t(level) + 1 < FLevels.size();
    if (childOpen && FLevels[size_t(level) + 1]->ParentItem() == selected) {
        CloseLevelsAbove(level + 1);  // back on the item of the open sub-menu: deeper ones close
        return;
    }
    if (childOpen)
        CloseLevelsAbove(level);
    if (selected && selected->Enabled() && selected->HasVisibleItems())
        OpenSubmenu(level, false);
}

}  // namespace

// ----- the unit's interface ------------------------------------------------------------------

namespace MenusPopup {

TMenuTrackResult Track(TPopupMenu* Menu, const TMenuTrackParams& Params)
{
    if (gTracker || !Menu)
        return {};
    TMenuTracker tracker(Menu, Params);
    gTracker = &tracker;
    struct Reset {
        ~Reset() { gTracker = nullptr; }
    } reset;
    return tracker.Run();
}

bool IsTracking(const TMenu* Menu) { return gTracker && Menu && gTracker->Menu() == Menu; }

bool IsTrackingAny() { return gTracker != nullptr; }

void Close(const TMenu* Menu)
{
    if (IsTracking(Menu))
        gTracker->End(TMenuTrackEnd::Cancelled);
}

void MenuChanged(const TMenu* Menu)
{
    if (IsTracking(Menu))
        gTracker->ScheduleSync();
}

void MenuDestroyed(const TMenu* Menu)
{
    if (IsTracking(Menu))
        gTracker->MenuGone();
}

}  // namespace MenusPopup

std::vector<QWidget*> OpenMenuWindows() { return gTracker ? gTracker->Windows() : std::vector<QWidget*>(); }

HWND WindowFromDC(TCanvas* DC)
{
    if (!DC)
        return nullptr;
    auto it = CanvasWindows().find(DC);
    if (it != CanvasWindows().end())
        return it->second ? WindowHandleOf(it->second) : nullptr;
    if (DC->TargetImage())
        return nullptr;  // a bitmap, or a painter on an image
    QPainter* p = DC->HandleAllocated() ? DC->Painter() : nullptr;
    if (!p || !p->device() || p->device()->devType() != QInternal::Widget)
        return nullptr;
    auto* w = static_cast<QWidget*>(p->device());
    if (HWND h = WindowHandleOf(w))
        return h;
    TWinControl* c = FindControlOfWidget(w);
    return c ? c->Handle() : nullptr;
}

bool GetWindowRect(HWND Window, TRect& Rect)
{
    auto* w = qobject_cast<QWidget*>(WindowReceiver(Window));
    if (!w)
        return false;
    const QRect g = w->isWindow() ? w->frameGeometry() : QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    Rect = Bounds(g.x(), g.y(), g.width(), g.height());
    return true;
}

void WithWindowDC(HWND Window, const std::function<void(TCanvas&)>& draw)
{
    QObject* receiver = WindowReceiver(Window);
    if (auto* menu = dynamic_cast<TMenuWindow*>(receiver)) {
        QPainter* p = menu->ActivePainter();
        if (!p) {
            menu->update();
            return;
        }
        p->save();
        p->resetTransform();
        p->setClipping(false);
        {
            TCanvas canvas(p, menu->rect());
            draw(canvas);
        }
        p->restore();
        return;
    }
    if (TWinControl* c = FindControl(Window))
        WithWindowCanvas(c, draw);
}
