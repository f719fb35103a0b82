#include "framework/ToolBar.h"

#include "framework/ExtCtrls.h"
#include "framework/Graphics.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace {

bool IsSpacer(const TToolButton* b) { return b->Style() == tbsSeparator || b->Style() == tbsDivider; }

// Padding on each side of an AutoSize button's caption, and the width of a drop-down arrow part.
constexpr int CaptionPadding = 7;
constexpr int DropDownArrowWidth = 14;

// Runs the chosen item from the event queue, as a popup menu does.
void PostClick(TMenuItem* item)
{
    QPointer<TMenuItem> guard(item);
    QTimer::singleShot(0, QCoreApplication::instance(), [guard] {
        if (!guard)
            return;
        try {
            guard->Click();
        } catch (...) {
            HandleCallbackException();
        }
    });
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TToolButton

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner)
{
    TGraphicControl::SetBounds(0, 0, 23, 22);
}

TToolButton::~TToolButton()
{
    Destroying();
    if (FToolBar)
        FToolBar->RemoveButton(this);
    FToolBar = nullptr;
    if (FMenuItem)
        RemoveFreeNotification(FMenuItem);
    if (FDropdownMenu)
        RemoveFreeNotification(FDropdownMenu);
}

int TToolButton::Index() const
{
    if (!FToolBar)
        return -1;
    const auto& list = FToolBar->FButtons;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

void TToolButton::UpdateButton(bool Layout)
{
    if (!FToolBar)
        return;
    if (Layout)
        FToolBar->LayoutButtons();
    FToolBar->Invalidate();
}

void TToolButton::SetAutoSize(bool v)
{
    if (FAutoSize == v)
        return;
    FAutoSize = v;
    UpdateButton(true);
}

void TToolButton::SetDown(bool v)
{
    if (FDown == v)
        return;
    FDown = v;
    // A grouped check button going down releases the others of its group (the grouped check
    // buttons next to it).
    if (v && FGrouped && FStyle == tbsCheck && FToolBar) {
        const auto& list = FToolBar->FButtons;
        const int me = Index();
        auto release = [&](int from, int step) {
            for (int i = from; i >= 0 && i < int(list.size()); i += step) {
                TToolButton* b = list[size_t(i)];
                if (!b->FGrouped || b->FStyle != tbsCheck)
                    break;
                b->FDown = false;
            }
        };
        release(me - 1, -1);
        release(me + 1, 1);
    }
    UpdateButton(false);
}

void TToolButton::SetGrouped(bool v)
{
    FGrouped = v;
    UpdateButton(false);
}

void TToolButton::SetImageIndex(int v)
{
    v = std::max(-1, v);
    if (FImageIndex == v)
        return;
    FImageIndex = v;
    UpdateButton(true);
}

void TToolButton::SetStyle(TToolButtonStyle v)
{
    if (FStyle == v)
        return;
    FStyle = v;
    UpdateButton(true);
}

void TToolButton::SetWrap(bool v)
{
    if (FWrap == v)
        return;
    FWrap = v;
    UpdateButton(true);
}

void TToolButton::SetMenuItem(TMenuItem* Value)
{
    if (FMenuItem && FMenuItem != Value)
        RemoveFreeNotification(FMenuItem);
    FMenuItem = Value;
    if (Value) {
        FreeNotification(Value);
        SetCaption(Value->Caption());
        SetEnabled(Value->Enabled());
        SetHint(Value->Hint());
        SetImageIndex(Value->ImageIndex());
        SetVisible(Value->Visible());
        SetDown(Value->Checked());
    }
    UpdateButton(true);
}

void TToolButton::SetDropdownMenu(TPopupMenu* Value)
{
    if (FDropdownMenu == Value)
        return;
    if (FDropdownMenu)
        RemoveFreeNotification(FDropdownMenu);
    FDropdownMenu = Value;
    if (Value)
        FreeNotification(Value);
    UpdateButton(true);
}

bool TToolButton::HasMenu() const
{
    return (FMenuItem && FMenuItem->HasVisibleItems()) || FDropdownMenu;
}

void TToolButton::Click()
{
    if (FStyle == tbsCheck)
        SetDown(FGrouped ? true : !FDown);
    if (FMenuItem && !FMenuItem->HasVisibleItems()) {
        QPointer<TToolButton> self(this);
        FMenuItem->Click();
        if (!self)
            return;
    }
    TGraphicControl::Click();
}

bool TToolButton::CheckMenuDropdown() { return FToolBar && FToolBar->TrackMenu(this); }

void TToolButton::SetParent(TWinControl* AParent)
{
    TToolBar* old = FToolBar;
    TGraphicControl::SetParent(AParent);
    TToolBar* bar = dynamic_cast<TToolBar*>(AParent);
    if (old == bar)
        return;
    if (old)
        old->RemoveButton(this);
    FToolBar = bar;
    if (bar)
        bar->InsertButton(this);
}

void TToolButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (FToolBar && !FToolBar->FLayingOut && !(ComponentState() & csLoading)) {
        // The bar places its buttons: sizes given here become the bar's button size.
        if (IsSpacer(this))
            FSeparatorWidth = std::max(0, AWidth);
        else if (AWidth != Width() && !FAutoSize)
            FToolBar->SetButtonWidth(AWidth);
        if (AHeight != Height())
            FToolBar->SetButtonHeight(AHeight);
        FToolBar->LayoutButtons();
        return;
    }
    if (ComponentState() & csLoading)
        FStoredWidth = AWidth;  // a separator's own width, known once the style is read
    TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TToolButton::Loaded()
{
    TGraphicControl::Loaded();
    if (IsSpacer(this) && FStoredWidth >= 0) {
        FSeparatorWidth = FStoredWidth;
        UpdateButton(true);
    }
    FStoredWidth = -1;
}

void TToolButton::InitPeer()
{
    TGraphicControl::InitPeer();
    // The bar takes the mouse and draws the button.
    Widget()->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TToolButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FMenuItem)
        FMenuItem = nullptr;
    if (AComponent == FDropdownMenu)
        FDropdownMenu = nullptr;
}

void TToolButton::TextChanged() { UpdateButton(true); }
void TToolButton::EnabledChanged()
{
    if (!Enabled() && FToolBar && FToolBar->FHot == this)
        FToolBar->FHot = nullptr;
    UpdateButton(false);
}
void TToolButton::VisibleChanged() { UpdateButton(true); }

// ---------------------------------------------------------------------------------------------
// TToolBar

TToolBar::TToolBar(TComponent* AOwner) : TCustomControl(AOwner)
{
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks | csMenuEvents | csSetCaption;
    SetColor(clBtnFace);
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
}

TToolBar::~TToolBar()
{
    Destroying();
    // A menu dropped down while the bar goes: its items return to their item first.
    if (FDropMenu)
        FDropMenu->CloseMenu();
    RestoreDropItems();
    // The buttons go with the bar (as its children) after this body: they must not reach back.
    for (TToolButton* b : FButtons)
        b->FToolBar = nullptr;
    FButtons.clear();
    FHot = FPressed = FDropped = FSwitchTo = nullptr;
}

void TToolBar::SetFlat(bool v)
{
    if (FFlat == v)
        return;
    FFlat = v;
    if (!v)
        FHot = nullptr;
    Invalidate();
}

void TToolBar::SetEdgeBorders(int v)
{
    v &= int(ebLeft | ebTop | ebRight | ebBottom);
    if (int(FEdgeBorders) == v)
        return;
    FEdgeBorders = TEdgeBorders(v);
    FrameChanged();
    LayoutButtons();
}

void TToolBar::SetEdgeInner(TEdgeStyle v)
{
    if (FEdgeInner == v)
        return;
    FEdgeInner = v;
    FrameChanged();
    LayoutButtons();
}

void TToolBar::SetEdgeOuter(TEdgeStyle v)
{
    if (FEdgeOuter == v)
        return;
    FEdgeOuter = v;
    FrameChanged();
    LayoutButtons();
}

void TToolBar::SetShowCaptions(bool v)
{
    if (FShowCaptions == v)
        return;
    FShowCaptions = v;
    LayoutButtons();
}

void TToolBar::SetWrapable(bool v)
{
    if (FWrapable == v)
        return;
    FWrapable = v;
    LayoutButtons();
}

void TToolBar::SetAutoSize(bool v)
{
    if (FAutoSize == v)
        return;
    FAutoSize = v;
    LayoutButtons();
}

void TToolBar::SetList(bool v)
{
    if (FList == v)
        return;
    FList = v;
    LayoutButtons();
}

void TToolBar::SetButtonHeight(int v)
{
    v = std::max(0, v);
    if (FButtonHeight == v)
        return;
    FButtonHeight = v;
    LayoutButtons();
}

void TToolBar::SetButtonWidth(int v)
{
    v = std::max(0, v);
    if (FButtonWidth == v)
        return;
    FButtonWidth = v;
    LayoutButtons();
}

void TToolBar::SetImages(TCustomImageList* v)
{
    if (FImages == v)
        return;
    FImages = v;
    LayoutButtons();
}

void TToolBar::SetHotImages(TCustomImageList* v)
{
    FHotImages = v;
    Invalidate();
}

void TToolBar::InsertButton(TToolButton* Button)
{
    if (std::find(FButtons.begin(), FButtons.end(), Button) != FButtons.end())
        return;
    size_t pos = FButtons.size();
    if (!(Button->ComponentState() & csLoading) && !(ComponentState() & csLoading)) {
        // Reading order: before the first button on a lower row, or on its row and not left of it.
        const int l = Button->Left(), t = Button->Top();
        for (size_t i = 0; i < FButtons.size(); ++i) {
            const TToolButton* o = FButtons[i];
            if (o->Top() > t || (t < o->Top() + o->Height() && o->Left() >= l)) {
                pos = i;
                break;
            }
        }
    }
    FButtons.insert(FButtons.begin() + long(pos), Button);
    LayoutButtons();
}

void TToolBar::RemoveButton(TToolButton* Button)
{
    auto it = std::find(FButtons.begin(), FButtons.end(), Button);
    if (it == FButtons.end())
        return;
    FButtons.erase(it);
    if (FHot == Button)
        FHot = nullptr;
    if (FPressed == Button)
        FPressed = nullptr;
    if (FDropped == Button)
        FDropped = nullptr;
    if (FSwitchTo == Button)
        FSwitchTo = nullptr;
    if (!(ComponentState() & csDestroying))
        LayoutButtons();
}

int TToolBar::ButtonWidthOf(TToolButton* Button)
{
    if (IsSpacer(Button))
        return Button->FSeparatorWidth;
    int w = FButtonWidth;
    if (Button->FAutoSize) {
        TCanvas* c = Canvas();
        c->SetFont(Font());
        w = FShowCaptions && !Button->Caption().isEmpty() ? c->TextWidth(StripHotkey(Button->Caption())) + 2 * CaptionPadding
                                                         : 0;
        if (FImages)
            w = FList ? w + FImages->Width() + 4 : std::max(w, FImages->Width() + 7);
        if (w == 0)
            w = FButtonWidth;
    }
    if (Button->FStyle == tbsDropDown)
        w += DropDownArrowWidth;
    return w;
}

void TToolBar::LayoutButtons()
{
    if (FLayingOut || (ComponentState() & (csLoading | csDestroying)))
        return;
    FLayingOut = true;
    struct Done {
        bool& f;
        ~Done() { f = false; }
    } done{FLayingOut};
    const int clientWidth = ClientWidth();
    int x = 0, y = 0, rows = 0;
    bool wrapNext = false;
    for (TToolButton* b : FButtons) {
        if (!b->Visible())
            continue;
        const int w = ButtonWidthOf(b);
        if (rows == 0) {
            rows = 1;
        } else if (wrapNext || (FWrapable && x > 0 && x + w > clientWidth && !IsSpacer(b))) {
            x = 0;
            y += FButtonHeight;
            ++rows;
        }
        b->TGraphicControl::SetBounds(x, y, w, FButtonHeight);
        x += w;
        wrapNext = b->FWrap;
    }
    if (FAutoSize) {
        const TRect nc = NonClientInsets();
        const int h = std::max(rows, 1) * FButtonHeight + nc.Top + nc.Bottom;
        if (h != Height()) {
            FLayingOut = false;
            SetHeight(h);
        }
    }
    Invalidate();
}

void TToolBar::Loaded()
{
    TCustomControl::Loaded();
    // Stored buttons take their places by position.
    std::stable_sort(FButtons.begin(), FButtons.end(), [](const TToolButton* a, const TToolButton* b) {
        return a->Top() != b->Top() ? a->Top() < b->Top() : a->Left() < b->Left();
    });
    LayoutButtons();
}

void TToolBar::Resize()
{
    TCustomControl::Resize();
    if (!FLayingOut)
        LayoutButtons();
}

void TToolBar::FontChanged()
{
    TCustomControl::FontChanged();
    LayoutButtons();
}

TToolButton* TToolBar::ButtonAt(int X, int Y) const
{
    for (TToolButton* b : FButtons)
        if (b->Visible() && X >= b->Left() && X < b->Left() + b->Width() && Y >= b->Top() && Y < b->Top() + b->Height())
            return b;
    return nullptr;
}

TCustomDrawState TToolBar::ButtonState(const TToolButton* Button) const
{
    TCustomDrawState s = 0;
    if (!Button->Enabled())
        s |= cdsDisabled;
    if (Button->Down())
        s |= cdsChecked;
    if (Button == FDropped || (Button == FPressed && FPressedInside))
        s |= cdsSelected;
    if (FFlat && Button == FHot && Button->Enabled())
        s |= cdsHot;
    return s;
}

// ----- painting ------------------------------------------------------------------------------

void TToolBar::Paint()
{
    TCanvas* c = Canvas();
    auto reset = [&] {
        c->SetFont(Font());
        c->Brush()->SetColor(Color());
        c->Brush()->SetStyle(bsSolid);
        c->Pen()->SetColor(clBtnText);
        c->Pen()->SetStyle(psSolid);
        c->Pen()->SetWidth(1);
        c->Pen()->SetMode(pmCopy);
    };
    reset();
    bool defaultDraw = true;
    if (OnCustomDraw) {
        OnCustomDraw(this, ClientRect(), defaultDraw);
        if (!defaultDraw)
            return;
    }
    for (TToolButton* b : std::vector<TToolButton*>(FButtons)) {
        if (!b->Visible() || std::find(FButtons.begin(), FButtons.end(), b) == FButtons.end())
            continue;
        const TCustomDrawState state = ButtonState(b);
        bool drawButton = true;
        if (OnCustomDrawButton) {
            reset();
            OnCustomDrawButton(this, b, state, drawButton);
        }
        if (drawButton) {
            reset();
            DrawButton(b, state);
        }
    }
}

void TToolBar::DrawButton(TToolButton* Button, TCustomDrawState State)
{
    TCanvas* c = Canvas();
    TRect r = Button->BoundsRect();
    if (Button->Style() == tbsSeparator)
        return;
    if (Button->Style() == tbsDivider) {
        const int x = r.Left + r.Width() / 2 - 1;
        c->Pen()->SetColor(clBtnShadow);
        c->MoveTo(x, r.Top + 1);
        c->LineTo(x, r.Bottom - 1);
        c->Pen()->SetColor(clBtnHighlight);
        c->MoveTo(x + 1, r.Top + 1);
        c->LineTo(x + 1, r.Bottom - 1);
        return;
    }
    const bool down = State & (cdsSelected | cdsChecked);
    TRect frame = r;
    if (down)
        Frame3D(c, frame, clBtnShadow, clBtnHighlight, 1);
    else if (!FFlat || (State & cdsHot))
        Frame3D(c, frame, clBtnHighlight, clBtnShadow, 1);
    const int shift = down ? 1 : 0;
    const bool dropDown = Button->Style() == tbsDropDown;
    const int right = dropDown ? r.Right - DropDownArrowWidth : r.Right;
    TCustomImageList* images = (State & cdsHot) && FHotImages ? FHotImages : FImages;
    const bool hasImage = images && Button->ImageIndex() >= 0 && Button->ImageIndex() < images->Count();
    TRect text = Rect(r.Left + shift, r.Top + shift, right + shift, r.Bottom + shift);
    if (hasImage) {
        const int ix = FList ? r.Left + 4 : r.Left + (right - r.Left - images->Width()) / 2;
        const int iy = FList ? r.Top + (r.Height() - images->Height()) / 2 : r.Top + 3;
        images->Draw(c, ix + shift, iy + shift, Button->ImageIndex(), Button->Enabled());
        if (FList)
            text.Left = ix + images->Width() + 4 + shift;
        else
            text.Top = iy + images->Height() + 1 + shift;
    }
    if (FShowCaptions && !Button->Caption().isEmpty()) {
        c->Brush()->SetStyle(bsClear);
        const UINT flags = DT_SINGLELINE | (FList ? DT_LEFT : DT_CENTER) | (hasImage && !FList ? DT_TOP : DT_VCENTER);
        if (!Button->Enabled()) {
            TRect engraved = Rect(text.Left + 1, text.Top + 1, text.Right + 1, text.Bottom + 1);
            c->Font()->SetColor(clBtnHighlight);
            c->DrawText(Button->Caption(), engraved, flags);
            c->Font()->SetColor(clGrayText);
        }
        c->DrawText(Button->Caption(), text, flags);
    }
    if (dropDown) {
        const int cx = right + DropDownArrowWidth / 2 - 1 + shift;
        const int cy = r.Top + r.Height() / 2 + shift;
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Button->Enabled() ? clBtnText : clGrayText);
        c->Pen()->SetColor(Button->Enabled() ? clBtnText : clGrayText);
        c->Polygon({{cx - 2, cy - 1}, {cx + 2, cy - 1}, {cx, cy + 1}});
    }
}

void TToolBar::WMPaint(TMessage& Message)
{
    TCustomControl::WMPaint(Message);
    if (!Message.WParam && FEdgeBorders)
        WithWindowCanvas(this, [this](TCanvas& c) { DrawEdges(c); });
}

void TToolBar::DrawEdges(TCanvas& c)
{
    // Outer ring at the window's edge, inner ring inside it; raised: light above and left.
    const int w = Width(), h = Height();
    int offset = 0;
    for (TEdgeStyle style : {FEdgeOuter, FEdgeInner}) {
        if (style == esNone)
            continue;
        const TColor topLeft = style == esRaised ? clBtnHighlight : clBtnShadow;
        const TColor bottomRight = style == esRaised ? clBtnShadow : clBtnHighlight;
        auto line = [&](TColor color, int x1, int y1, int x2, int y2) {
            c.Pen()->SetColor(color);
            c.MoveTo(x1, y1);
            c.LineTo(x2, y2);
        };
        if (FEdgeBorders & ebTop)
            line(topLeft, 0, offset, w, offset);
        if (FEdgeBorders & ebLeft)
            line(topLeft, offset, 0, offset, h);
        if (FEdgeBorders & ebBottom)
            line(bottomRight, 0, h - 1 - offset, w, h - 1 - offset);
        if (FEdgeBorders & ebRight)
            line(bottomRight, w - 1 - offset, 0, w - 1 - offset, h);
        ++offset;
    }
}

void TToolBar::WMNCCalcSize(TMessage& Message)
{
    TCustomControl::WMNCCalcSize(Message);
    auto* r = reinterpret_cast<TRect*>(Message.LParam);
    if (!r)
        return;
    const int edge = (FEdgeInner != esNone ? 1 : 0) + (FEdgeOuter != esNone ? 1 : 0);
    if (FEdgeBorders & ebLeft)
        r->Left += edge;
    if (FEdgeBorders & ebTop)
        r->Top += edge;
    if (FEdgeBorders & ebRight)
        r->Right -= edge;
    if (FEdgeBorders & ebBottom)
        r->Bottom -= edge;
    r->Right = std::max(r->Right, r->Left);
    r->Bottom = std::max(r->Bottom, r->Top);
}

// ----- mouse and keys ------------------------------------------------------------------------

void TToolBar::SetHot(TToolButton* Button)
{
    if (Button && (!FFlat || !Button->Enabled() || IsSpacer(Button)))
        Button = nullptr;
    if (FHot == Button)
        return;
    FHot = Button;
    Invalidate();
}

void TToolBar::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    if (FDropped) {
        // The pointer reached the bar itself while a menu is down.
        OfferSwitch({X, Y});
        return;
    }
    TToolButton* b = ButtonAt(X, Y);
    SetHot(b);
    if (FPressed) {
        const bool inside = b == FPressed;
        if (inside != FPressedInside) {
            FPressedInside = inside;
            Invalidate();
        }
    }
}

void TToolBar::CMMouseLeave(TMessage& Message)
{
    TCustomControl::CMMouseLeave(Message);
    if (!FDropped)
        SetHot(nullptr);
    if (FPressed && FPressedInside) {
        FPressedInside = false;
        Invalidate();
    }
}

void TToolBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    if (FDropped) {
        // A click beside the open menu closes it.
        if (FDropMenu)
            FDropMenu->CloseMenu();
        return;
    }
    TToolButton* b = ButtonAt(X, Y);
    if (!b || !b->Enabled() || IsSpacer(b))
        return;
    if (b->HasMenu()) {
        RunMenus(b, false);
        return;
    }
    FPressed = b;
    FPressedInside = true;
    Invalidate();
}

void TToolBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !FPressed)
        return;
    TToolButton* b = FPressed;
    const bool inside = ButtonAt(X, Y) == b;
    FPressed = nullptr;
    FPressedInside = false;
    Invalidate();
    if (inside && b->Enabled())
        b->Click();
}

void TToolBar::Dispatch(TMessage& Message)
{
    if (Message.Msg == CM_DIALOGCHAR) {
        CMDialogChar(Message);
        return;
    }
    TCustomControl::Dispatch(Message);
}

void TToolBar::CMDialogChar(TMessage& Message)
{
    if (!Enabled() || !Showing() || !FShowCaptions || FDropped)
        return;
    const WORD key = WORD(uint8_t(Message.WParam));
    for (TToolButton* b : FButtons) {
        if (!b->Visible() || !b->Enabled() || !IsAccel(key, b->Caption()))
            continue;
        Message.Result = 1;
        if (b->HasMenu())
            RunMenus(b, true);
        else
            b->Click();
        return;
    }
}

// ----- menus ---------------------------------------------------------------------------------

bool TToolBar::TrackMenu(TToolButton* Button)
{
    if (!Button || Button->FToolBar != this || !Button->Enabled() || !Button->HasMenu())
        return false;
    return RunMenus(Button, false);
}

TToolButton* TToolBar::NeighbourMenuButton(TToolButton* From, int Step) const
{
    auto it = std::find(FButtons.begin(), FButtons.end(), From);
    if (it == FButtons.end() || !From->Grouped())
        return nullptr;
    const int n = int(FButtons.size());
    int i = int(it - FButtons.begin());
    for (int k = 0; k < n; ++k) {
        i = (i + Step + n) % n;
        TToolButton* b = FButtons[size_t(i)];
        if (b->Visible() && b->Enabled() && b->Grouped() && b->HasMenu())
            return b;
    }
    return nullptr;
}

bool TToolBar::OfferSwitch(const TPoint& ClientPoint)
{
    TToolButton* b = ButtonAt(ClientPoint.X, ClientPoint.Y);
    if (b && b->Enabled() && !IsSpacer(b))
        SetHot(b);
    if (!FDropped || !b || b == FDropped || !b->Enabled() || !b->HasMenu() || !b->Grouped() || !FDropped->Grouped())
        return false;
    FSwitchTo = b;
    if (FDropMenu)
        FDropMenu->CloseMenu();
    return true;
}

bool TToolBar::RunMenus(TToolButton* First, bool ByKeyboard)
{
    if (!First || !First->HasMenu() || FDropped)
        return false;
    QPointer<TToolBar> self(this);
    QPointer<TToolButton> next(First);
    bool keyboard = ByKeyboard;
    while (next && self) {
        QPointer<TToolButton> button = next;
        next = nullptr;
        FSwitchTo = nullptr;
        const TMenuTrackResult result = DropDown(button, keyboard);
        if (!self)
            return true;
        if (result.End == TMenuTrackEnd::Chosen) {
            PostClick(result.Item);
            break;
        }
        if (FSwitchTo) {
            next = FSwitchTo;
            keyboard = false;
        } else if (button && (result.End == TMenuTrackEnd::Left || result.End == TMenuTrackEnd::Right)) {
            next = NeighbourMenuButton(button, result.End == TMenuTrackEnd::Left ? -1 : 1);
            keyboard = true;
        }
        FSwitchTo = nullptr;
    }
    if (self)
        Invalidate();
    return true;
}

TMenuTrackResult TToolBar::DropDown(TToolButton* Button, bool ByKeyboard)
{
    QPointer<TToolBar> self(this);
    QPointer<TToolButton> button(Button);
    TMenuTrackParams params;
    const TPoint topLeft = ClientToScreen({Button->Left(), Button->Top()});
    params.X = topLeft.X;
    params.Y = topLeft.Y + Button->Height();
    params.Exclude = Bounds(topLeft.X, topLeft.Y, Button->Width(), Button->Height());
    params.SelectFirst = ByKeyboard;
    params.ArrowsLeaveRoot = Button->Grouped();
    params.OnMouseOutside = [this, self](const TPoint& screen) { return self && OfferSwitch(ScreenToClient(screen)); };

    FDropped = Button;
    SetHot(Button);
    Repaint();
    struct Undrop {
        QPointer<TToolBar> bar;
        ~Undrop()
        {
            if (bar) {
                bar->FDropped = nullptr;
                bar->FDropMenu = nullptr;
                bar->Invalidate();
            }
        }
    } undrop{self};

    if (TPopupMenu* menu = Button->DropdownMenu(); menu && !Button->MenuItem()) {
        FDropMenu = menu;
        return menu->TrackPopup(params);
    }
    QPointer<TMenuItem> item(Button->MenuItem());
    if (!item)
        return {};
    // The item's OnClick runs as its menu drops, as a main menu's top item's does.
    item->Click();
    if (!self || !button || !item || !item->HasVisibleItems())
        return {};
    // The sub-items move into a popup menu owned by the bar while they are shown.
    auto* popup = new TPopupMenu(this);
    if (TMenu* menu = item->GetParentMenu()) {
        popup->SetImages(menu->Images());
        popup->SetOwnerDraw(menu->OwnerDraw());
        popup->SetBiDiMode(menu->BiDiMode());
        popup->SetAutoHotkeys(menu->AutoHotkeys());
    }
    FDropItem = item;
    FDropMenu = popup;
    struct Restore {
        QPointer<TToolBar> bar;
        ~Restore()
        {
            if (bar)
                bar->RestoreDropItems();
        }
    } restore{self};
    while (item->Count() > 0) {
        TMenuItem* sub = item->Items(0);
        item->Delete(0);
        FMoved.emplace_back(sub);
        popup->Items()->Add(sub);
    }
    return popup->TrackPopup(params);
}

void TToolBar::RestoreDropItems()
{
    // Items still in the popup go back to their item, in their order; then the popup goes.
    TPopupMenu* popup = FDropMenu;
    const std::vector<QPointer<TMenuItem>> moved = std::move(FMoved);
    FMoved.clear();
    for (const QPointer<TMenuItem>& sub : moved) {
        if (!sub || !popup || sub->Parent() != popup->Items())
            continue;
        popup->Items()->Remove(sub);
        if (FDropItem)
            FDropItem->Add(sub);
    }
    FDropItem = nullptr;
    FDropMenu = nullptr;
    if (popup && popup->Owner() == this)
        delete popup;
}
