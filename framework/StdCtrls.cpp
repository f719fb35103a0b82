#include "framework/StdCtrls.h"

#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/SysLocale.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <algorithm>
#include <memory>

// ---------------------------------------------------------------------------------------------
// TCustomLabel

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    FControlStyle = FControlStyle | csReplicatable;
    SetBounds(0, 0, 65, 17);
    SetParentColor(true);
}

void TCustomLabel::SetAutoSize(bool v)
{
    if (FAutoSize == v)
        return;
    FAutoSize = v;
    AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment v)
{
    if (FAlignment == v)
        return;
    FAlignment = v;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout v)
{
    if (FLayout == v)
        return;
    FLayout = v;
    Invalidate();
}

void TCustomLabel::SetTransparent(bool v)
{
    if (FTransparent == v)
        return;
    FTransparent = v;
    if (v)
        FControlStyle &= ~csOpaque;
    else
        FControlStyle |= csOpaque;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool v)
{
    if (FWordWrap == v)
        return;
    FWordWrap = v;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool v)
{
    if (FShowAccelChar == v)
        return;
    FShowAccelChar = v;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* v)
{
    FFocusControl = v;
    if (v)
        v->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl)
        FFocusControl = nullptr;
}

unsigned TCustomLabel::DrawTextFlags() const
{
    unsigned flags = DT_EXPANDTABS;
    if (FWordWrap)
        flags |= DT_WORDBREAK;
    if (!FShowAccelChar)
        flags |= DT_NOPREFIX;
    switch (FAlignment) {
    case taRightJustify: flags |= DT_RIGHT; break;
    case taCenter: flags |= DT_CENTER; break;
    default: break;
    }
    return flags;
}

void TCustomLabel::Paint()
{
    TCanvas* c = Canvas();
    const TRect client = ClientRect();
    if (!FTransparent) {
        c->Brush()->SetColor(Color());
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(client);
    }
    c->Brush()->SetStyle(bsClear);
    c->SetFont(Font());
    String text = Caption();
    if (text.isEmpty())
        return;
    TRect r = client;
    const unsigned flags = DrawTextFlags();
    if (FLayout != tlTop) {
        TRect calc = client;
        c->DrawText(text, calc, flags | DT_CALCRECT);
        const int h = calc.Height();
        const int offset = FLayout == tlBottom ? client.Height() - h : (client.Height() - h) / 2;
        r.Top += offset;
        r.Bottom = r.Top + h;
    }
    if (!Enabled()) {
        TRect shadow = r;
        shadow.Left += 1;
        shadow.Top += 1;
        shadow.Right += 1;
        shadow.Bottom += 1;
        c->Font()->SetColor(clBtnHighlight);
        c->DrawText(text, shadow, flags);
        c->Font()->SetColor(clBtnShadow);
        c->DrawText(text, r, flags);
    } else {
        c->DrawText(text, r, flags);
    }
}

void TCustomLabel::AdjustBounds()
{
    if (!FAutoSize || (ComponentState() & csLoading))
        return;
    TCanvas measure;
    measure.SetFont(Font());
    TRect r = ClientRect();
    if (!FWordWrap)
        r.Right = r.Left + 32767;
    String text = Caption();
    if (text.isEmpty())
        text = QStringLiteral(" ");
    measure.DrawText(text, r, DrawTextFlags() | DT_CALCRECT);
    int x = Left();
    if (FAlignment == taRightJustify)
        x += Width() - r.Width();
    SetBounds(x, Top(), r.Width(), r.Height());
}

void TCustomLabel::TextChanged()
{
    TGraphicControl::TextChanged();
    AdjustBounds();
}

void TCustomLabel::FontChanged()
{
    TGraphicControl::FontChanged();
    AdjustBounds();
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

// ---------------------------------------------------------------------------------------------
// TButton

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner)
{
    FControlStyle = csSetCaption | csDoubleClicks;
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

TPeerBase* TButton::CreatePeer()
{
    auto* peer = new TPeer<QPushButton>(this);
    QObject::connect(peer, &QPushButton::clicked, this, [this] {
        try {
            Click();
        } catch (...) {
            HandleCallbackException();
        }
    });
    return peer;
}

QPushButton* TButton::Button() const { return qobject_cast<QPushButton*>(Widget()); }

void TButton::InitPeer()
{
    TWinControl::InitPeer();
    if (auto* b = Button()) {
        b->setText(Caption());
        b->setDefault(FDefault);
        b->setAutoDefault(false);
    }
}

void TButton::SetDefault(bool v)
{
    FDefault = v;
    if (auto* b = Button())
        b->setDefault(v);
}

void TButton::TextChanged()
{
    if (auto* b = Button())
        b->setText(Caption());
}

void TButton::Click()
{
    if (FModalResult != mrNone)
        if (TCustomForm* f = GetParentForm(this))
            f->SetModalResult(FModalResult);
    TWinControl::Click();
}

// ---------------------------------------------------------------------------------------------
// TCheckBox

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner)
{
    FControlStyle = csSetCaption | csDoubleClicks;
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
}

TPeerBase* TCheckBox::CreatePeer()
{
    auto* peer = new TPeer<QCheckBox>(this);
    QObject::connect(peer, &QCheckBox::clicked, this, [this] {
        if (FSyncing)
            return;
        try {
            QCheckBox* b = Box();
            const Qt::CheckState s = b->checkState();
            FState = s == Qt::Checked ? cbChecked : s == Qt::PartiallyChecked ? cbGrayed : cbUnchecked;
            Click();
        } catch (...) {
            HandleCallbackException();
        }
    });
    return peer;
}

QCheckBox* TCheckBox::Box() const { return qobject_cast<QCheckBox*>(Widget()); }

void TCheckBox::InitPeer()
{
    TWinControl::InitPeer();
    if (auto* b = Box()) {
        FSyncing = true;
        b->setText(Caption());
        b->setTristate(FAllowGrayed);
        b->setCheckState(FState == cbChecked ? Qt::Checked : FState == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
        FSyncing = false;
    }
}

void TCheckBox::SetState(TCheckBoxState v)
{
    if (FState == v)
        return;
    FState = v;
    if (auto* b = Box()) {
        FSyncing = true;
        b->setCheckState(v == cbChecked ? Qt::Checked : v == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
        FSyncing = false;
    }
    if (!(ComponentState() & csLoading))
        Click();
}

void TCheckBox::SetAllowGrayed(bool v)
{
    FAllowGrayed = v;
    if (auto* b = Box())
        b->setTristate(v);
}

void TCheckBox::TextChanged()
{
    if (auto* b = Box())
        b->setText(Caption());
}

// ---------------------------------------------------------------------------------------------
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner)
{
    FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

namespace {

// The edit window. Cutting and pasting with the keyboard or the context menu go through WM_CUT
// and WM_PASTE, so that a control can refuse them; the messages' default handling does the edit's
// own cut and paste.
class TEditPeer : public TPeer<QLineEdit> {
public:
    using TPeer<QLineEdit>::TPeer;

    bool BaseEvent(QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress && Control) {
            auto* ke = static_cast<QKeyEvent*>(e);
            if (ke->matches(QKeySequence::Cut)) {
                Control->Perform(WM_CUT);
                return true;
            }
            if (ke->matches(QKeySequence::Paste)) {
                Control->Perform(WM_PASTE);
                return true;
            }
        }
        return QLineEdit::event(e);
    }

protected:
    void contextMenuEvent(QContextMenuEvent* e) override
    {
        std::unique_ptr<QMenu> menu(createStandardContextMenu());
        QPointer<QLineEdit> self(this);
        for (QAction* a : menu->actions()) {
            const UINT msg = a->objectName() == QLatin1String("edit-cut")     ? WM_CUT
                             : a->objectName() == QLatin1String("edit-paste") ? WM_PASTE
                                                                              : 0;
            if (!msg)
                continue;
            QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
            QObject::connect(a, &QAction::triggered, a, [self, msg] {
                auto* peer = dynamic_cast<TPeerBase*>(self.data());
                if (peer && peer->Control)
                    peer->Control->Perform(msg);
            });
        }
        menu->exec(e->globalPos());
    }
};

}  // namespace

void TCustomEdit::Dispatch(TMessage& Message)
{
    QLineEdit* e = Edit();
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
        break;
    case WM_CUT:
        if (e)
            e->cut();
        break;
    case WM_COPY:
        if (e)
            e->copy();
        break;
    case WM_PASTE:
        if (e)
            e->paste();
        break;
    case WM_CLEAR:
        if (e)
            e->del();
        break;
    case WM_UNDO:
        if (e)
            e->undo();
        break;
    case EM_SETRECT:
    case EM_SETRECTNP:
        if (auto* r = reinterpret_cast<const TRect*>(Message.LParam)) {
            FHasFormatRect = true;
            FFormatRect = *r;
            FFormatInsets = Rect(std::max(0, r->Left), std::max(0, r->Top), std::max(0, ClientWidth() - r->Right),
                                 std::max(0, ClientHeight() - r->Bottom));
        } else {
            FHasFormatRect = false;
        }
        ApplyTextMargins(NonClientInsets());
        break;
    case EM_GETRECT:
        if (auto* r = reinterpret_cast<TRect*>(Message.LParam))
            *r = FHasFormatRect ? FFormatRect : ClientRect();
        break;
    case WM_SIZE:
        // A new size gives the edit its whole client area again, as the edit window does.
        if (FHasFormatRect) {
            FHasFormatRect = false;
            ApplyTextMargins(NonClientInsets());
        }
        TWinControl::Dispatch(Message);
        break;
    default:
        TWinControl::Dispatch(Message);
        break;
    }
}

void TCustomEdit::WMNCCalcSize(TMessage& Message)
{
    TWinControl::WMNCCalcSize(Message);
    // The band the frame keeps becomes the text margins at once.
    if (auto* r = reinterpret_cast<const TRect*>(Message.LParam))
        ApplyTextMargins(Rect(r->Left, r->Top, Width() - r->Right, Height() - r->Bottom));
}

void TCustomEdit::ColorChanged()
{
    ApplyEditState();
    TWinControl::ColorChanged();
}

void TCustomEdit::FontChanged()
{
    TWinControl::FontChanged();
    ApplyEditState();
}

void TCustomEdit::ApplyTextMargins(const TRect& In)
{
    QLineEdit* e = Edit();
    if (!e)
        return;
    TRect m = In;
    if (FHasFormatRect) {
        m.Left += FFormatInsets.Left;
        m.Top += FFormatInsets.Top;
        m.Right += FFormatInsets.Right;
        m.Bottom += FFormatInsets.Bottom;
    }
    e->setTextMargins(m.Left, m.Top, m.Right, m.Bottom);
}

TPeerBase* TCustomEdit::CreatePeer()
{
    auto* peer = new TEditPeer(this);
    QObject::connect(peer, &QLineEdit::textChanged, this, [this](const QString&) {
        FModified = true;
        try {
            Change();
        } catch (...) {
            HandleCallbackException();
        }
    });
    return peer;
}

QLineEdit* TCustomEdit::Edit() const { return qobject_cast<QLineEdit*>(Widget()); }

void TCustomEdit::InitPeer()
{
    TWinControl::InitPeer();
    QLineEdit* e = Edit();
    if (!e)
        return;
    {
        const QSignalBlocker block(e);
        e->setText(TControl::GetText());
    }
    ApplyEditState();
    e->setSelection(FPendingSelStart, FPendingSelLength);
}

void TCustomEdit::ApplyEditState()
{
    QLineEdit* e = Edit();
    if (!e)
        return;
    e->setReadOnly(FReadOnly);
    e->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
    e->setFrame(FBorderStyle != bsNone);
    e->setEchoMode(FPasswordChar.isEmpty() || FPasswordChar == QStringLiteral("#0") ? QLineEdit::Normal
                                                                                    : QLineEdit::Password);
    const DWORD style = GetCreateParams().Style;
    Qt::Alignment align = Qt::AlignVCenter;
    if (style & ES_RIGHT)
        align |= Qt::AlignRight;
    else if (style & ES_CENTER)
        align |= Qt::AlignHCenter;
    else
        align |= Qt::AlignLeft;
    e->setAlignment(align);
    QPalette pal = e->palette();
    pal.setColor(QPalette::Base, ToQColor(Color()));
    pal.setColor(QPalette::Disabled, QPalette::Text, ToQColor(clGrayText));
    e->setPalette(pal);
    ApplyTextMargins(NonClientInsets());
}

String TCustomEdit::GetText() const
{
    if (QLineEdit* e = Edit())
        return e->text();
    return TControl::GetText();
}

void TCustomEdit::SetTextValue(const String& v)
{
    String text = v;
    if (FCharCase == ecUpperCase)
        text = text.toUpper();
    else if (FCharCase == ecLowerCase)
        text = text.toLower();
    TControl::SetTextValue(text);
    if (QLineEdit* e = Edit())
        e->setText(text);  // fires Change through textChanged
    else if (!(ComponentState() & csLoading))
        Change();
}

void TCustomEdit::Change() { OnChange(this); }

void TCustomEdit::SetReadOnly(bool v)
{
    FReadOnly = v;
    ApplyEditState();
}

void TCustomEdit::SetMaxLength(int v)
{
    FMaxLength = std::max(0, v);
    ApplyEditState();
}

void TCustomEdit::SetBorderStyle(TBorderStyle v)
{
    FBorderStyle = v;
    ApplyEditState();
}

void TCustomEdit::SetCharCase(TEditCharCase v)
{
    FCharCase = v;
    if (v != ecNormal)
        SetTextValue(Text());
}

void TCustomEdit::SetPasswordChar(const String& v)
{
    FPasswordChar = v;
    ApplyEditState();
}

int TCustomEdit::SelStart() const
{
    if (QLineEdit* e = Edit())
        return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
    return FPendingSelStart;
}

void TCustomEdit::SetSelStart(int v)
{
    FPendingSelStart = std::max(0, v);
    FPendingSelLength = 0;
    if (QLineEdit* e = Edit())
        e->setCursorPosition(std::min(FPendingSelStart, int(e->text().size())));
}

int TCustomEdit::SelLength() const
{
    if (QLineEdit* e = Edit())
        return int(e->selectedText().size());
    return FPendingSelLength;
}

void TCustomEdit::SetSelLength(int v)
{
    FPendingSelLength = std::max(0, v);
    if (QLineEdit* e = Edit()) {
        const int start = SelStart();
        e->setSelection(start, std::min(FPendingSelLength, int(e->text().size()) - start));
    }
}

String TCustomEdit::SelText() const
{
    if (QLineEdit* e = Edit())
        return e->selectedText();
    return String();
}

void TCustomEdit::SelectAll()
{
    if (QLineEdit* e = Edit())
        e->selectAll();
    else {
        FPendingSelStart = 0;
        FPendingSelLength = int(TControl::GetText().size());
    }
}

void TCustomEdit::ClearSelection()
{
    if (QLineEdit* e = Edit())
        e->del();
}

int TCustomEdit::CaretPos() const
{
    if (QLineEdit* e = Edit())
        return e->cursorPosition();
    return FPendingSelStart;
}

// ---------------------------------------------------------------------------------------------
// TComboBoxStrings and TCustomComboBox

String TComboBoxStrings::Get(int Index) const
{
    if (Index < 0 || Index >= Count())
        IndexError(Index);
    return FLines.at(Index);
}

void TComboBoxStrings::Put(int Index, const String& S)
{
    if (Index < 0 || Index >= Count())
        IndexError(Index);
    FLines[Index] = S;
    FOwner->ItemsChanged();
}

TObject* TComboBoxStrings::GetObject(int Index) const
{
    if (Index < 0 || Index >= Count())
        IndexError(Index);
    return FObjects[size_t(Index)];
}

void TComboBoxStrings::PutObject(int Index, TObject* AObject)
{
    if (Index < 0 || Index >= Count())
        IndexError(Index);
    FObjects[size_t(Index)] = AObject;
}

void TComboBoxStrings::Insert(int Index, const String& S)
{
    if (Index < 0 || Index > Count())
        IndexError(Index);
    FLines.insert(Index, S);
    FObjects.insert(FObjects.begin() + Index, nullptr);
    if (FOwner->FItemIndex >= Index && FOwner->FItemIndex >= 0)
        ++FOwner->FItemIndex;
    FOwner->ItemsChanged();
}

int TComboBoxStrings::Add(const String& S)
{
    int index = Count();
    if (FOwner->Sorted()) {
        index = 0;
        while (index < Count() && CompareStrings(FLines.at(index), S) <= 0)
            ++index;
    }
    Insert(index, S);
    return index;
}

void TComboBoxStrings::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        IndexError(Index);
    FLines.removeAt(Index);
    FObjects.erase(FObjects.begin() + Index);
    if (FOwner->FItemIndex == Index)
        FOwner->FItemIndex = -1;
    else if (FOwner->FItemIndex > Index)
        --FOwner->FItemIndex;
    FOwner->ItemsChanged();
}

void TComboBoxStrings::Clear()
{
    FLines.clear();
    FObjects.clear();
    FOwner->FItemIndex = -1;
    FOwner->ItemsChanged();
}

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TWinControl(AOwner), FItems(new TComboBoxStrings(this))
{
    FControlStyle = csCaptureMouse | csSetCaption | csDoubleClicks;
    SetBounds(0, 0, 145, 21);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

TCustomComboBox::~TCustomComboBox()
{
    Destroying();
    DestroyPeer();
    delete FItems;
    FItems = nullptr;
}

QComboBox* TCustomComboBox::Combo() const { return qobject_cast<QComboBox*>(Widget()); }

void TCustomComboBox::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS;
        break;
    case CB_GETDROPPEDSTATE:
        Message.Result = DroppedDown() ? 1 : 0;
        break;
    case CB_SHOWDROPDOWN:
        SetDroppedDown(Message.WParam != 0);
        Message.Result = 1;
        break;
    case CM_BIDIMODECHANGED:
        ApplyPalette();
        TWinControl::Dispatch(Message);
        break;
    default:
        TWinControl::Dispatch(Message);
        break;
    }
}

bool TCustomComboBox::eventFilter(QObject* Watched, QEvent* Event)
{
    // However the list closes (an item picked, Escape, a click elsewhere), its window hides.
    QComboBox* c = Combo();
    if (c && c->view() && Watched == c->view()->window()) {
        if (Event->type() == QEvent::Show) {
            FListOpen = true;
        } else if (Event->type() == QEvent::Hide && FListOpen) {
            // Closed from here on, also for what CloseUp does.
            FListOpen = false;
            if (!(ComponentState() & csDestroying)) {
                try {
                    CloseUp();
                } catch (...) {
                    HandleCallbackException();
                }
            }
        }
    }
    return TWinControl::eventFilter(Watched, Event);
}

// The toolkit's style caches each drawn combo box under a name that carries its palette's serial
// number, and the toolkit keeps every name it was given for the life of the program (clearing the
// pixmap cache does not drop them). A palette set anew at every change of colours (a skinned
// window switching looks) would grow that table without end; the box is therefore painted with
// one shared palette per distinct set of colours, so the names recur. The set of palettes is
// bounded: it starts over past 256 distinct ones.
static QPalette SharedPalette(const QPalette& p)
{
    static QHash<QByteArray, QPalette> shared;
    QByteArray key;
    key.reserve(int(QPalette::NColorGroups) * int(QPalette::NColorRoles) * int(sizeof(QRgb)));
    for (int g = 0; g < int(QPalette::NColorGroups); ++g)
        for (int r = 0; r < int(QPalette::NColorRoles); ++r) {
            const QRgb rgb = p.color(QPalette::ColorGroup(g), QPalette::ColorRole(r)).rgba();
            key.append(reinterpret_cast<const char*>(&rgb), sizeof rgb);
        }
    auto it = shared.constFind(key);
    if (it == shared.constEnd()) {
        if (shared.size() >= 256)
            shared.clear();
        it = shared.insert(key, p);
    }
    // The colour group in use (a disabled box draws from the disabled colours) is the palette
    // object's own, not part of its shared colours.
    QPalette r = *it;
    r.setCurrentColorGroup(p.currentColorGroup());
    return r;
}

// The combo box's widget: every way of opening the list (click, Alt+Down, F4, CB_SHOWDROPDOWN)
// goes through showPopup, where the control hears of it before the list is laid out and shown.
class TComboBoxPeer : public TPeer<QComboBox> {
public:
    explicit TComboBoxPeer(TCustomComboBox* control) : TPeer<QComboBox>(control), FControl(control) {}
    void showPopup() override
    {
        if (!(FControl->ComponentState() & csDestroying)) {
            try {
                FControl->DropDown();
            } catch (...) {
                HandleCallbackException();
            }
        }
        QComboBox::showPopup();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        painter.setPen(palette().color(QPalette::Text));
        QStyleOptionComboBox opt;
        initStyleOption(&opt);
        opt.palette = SharedPalette(opt.palette);
        painter.drawComplexControl(QStyle::CC_ComboBox, opt);
        if (!isEditable() && hasFocus() && !(view() && view()->isVisible())) {
            // A focused list-only box shows its text selected, as on the desktop: the edit field
            // on the highlight colour, the text in the highlighted-text colour.
            const QRect field =
                style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
            painter.fillRect(field, opt.palette.brush(QPalette::Highlight));
            opt.palette.setColor(QPalette::ButtonText, opt.palette.color(QPalette::HighlightedText));
            opt.palette.setColor(QPalette::Text, opt.palette.color(QPalette::HighlightedText));
        } else if (currentIndex() < 0 && !placeholderText().isEmpty()) {
            opt.palette.setBrush(QPalette::ButtonText, opt.palette.placeholderText());
            opt.currentText = placeholderText();
        }
        painter.drawControl(QStyle::CE_ComboBoxLabel, opt);
    }

private:
    TCustomComboBox* FControl;
};

TPeerBase* TCustomComboBox::CreatePeer()
{
    auto* peer = new TComboBoxPeer(this);
    QObject::connect(peer, &QComboBox::activated, this, [this](int index) {
        if (FSyncing)
            return;
        try {
            FItemIndex = index;
            if (FStyle != csDropDownList && index >= 0 && index < FItems->Count())
                FEditText = FItems->Get(index);
            Click();
            Select();
            Change();
        } catch (...) {
            HandleCallbackException();
        }
    });
    QObject::connect(peer, &QComboBox::editTextChanged, this, [this](const QString& t) {
        if (FSyncing || FStyle == csDropDownList)
            return;
        FEditText = t;
        try {
            Change();
        } catch (...) {
            HandleCallbackException();
        }
    });
    // The list window (created here) tells the control when it hides.
    peer->view()->window()->installEventFilter(this);
    return peer;
}

void TCustomComboBox::InitPeer()
{
    TWinControl::InitPeer();
    SyncWidget();
}

void TCustomComboBox::SyncWidget()
{
    QComboBox* c = Combo();
    if (!c)
        return;
    FSyncing = true;
    c->setEditable(FStyle == csDropDown || FStyle == csSimple);
    if (c->count() != FItems->Count() || QStringList(FItems->FLines) != [c] {
            QStringList l;
            for (int i = 0; i < c->count(); ++i)
                l << c->itemText(i);
            return l;
        }()) {
        c->clear();
        c->addItems(FItems->FLines);
    }
    c->setMaxVisibleItems(std::max(1, FDropDownCount));
    c->setCurrentIndex(FItemIndex);
    if (c->isEditable() && c->lineEdit())
        c->lineEdit()->setText(FItemIndex >= 0 ? FItems->Get(FItemIndex) : FEditText);
    ApplyPalette();
    FSyncing = false;
}

void TCustomComboBox::ApplyPalette()
{
    QComboBox* c = Combo();
    if (!c)
        return;
    QPalette pal = c->palette();
    pal.setColor(QPalette::Base, ToQColor(Color()));
    pal.setColor(QPalette::Button, ToQColor(Color()));
    pal.setColor(QPalette::Highlight, ToQColor(clHighlight));
    pal.setColor(QPalette::HighlightedText, ToQColor(clHighlightText));
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
        pal.setColor(QPalette::Disabled, role, ToQColor(clGrayText));
    c->setPalette(pal);
    // Right to left only where the language is written so: the button moves to the left.
    c->setLayoutDirection(BiDiMode() == bdRightToLeft && SysLocale.MiddleEast ? Qt::RightToLeft : Qt::LeftToRight);
}

void TCustomComboBox::FontChanged()
{
    TWinControl::FontChanged();
    ApplyPalette();
}

void TCustomComboBox::ColorChanged()
{
    ApplyPalette();
    TWinControl::ColorChanged();
}

void TCustomComboBox::ItemsChanged()
{
    if (FItemIndex >= FItems->Count())
        FItemIndex = -1;
    SyncWidget();
}

void TCustomComboBox::SetStyle(TComboBoxStyle v)
{
    FStyle = v;
    SyncWidget();
}

void TCustomComboBox::SetItemIndex(int v)
{
    // A stored index comes before the stored items; it is applied once loading is done.
    if (ComponentState() & csLoading) {
        FStoredItemIndex = v;
        return;
    }
    // An index outside the list clears the selection.
    if (v < 0 || v >= FItems->Count())
        v = -1;
    FItemIndex = v;
    if (v >= 0)
        FEditText = FItems->Get(v);
    SyncWidget();
}

void TCustomComboBox::SetDropDownCount(int v)
{
    FDropDownCount = v;
    SyncWidget();
}

void TCustomComboBox::SetSorted(bool v)
{
    if (FSorted == v)
        return;
    FSorted = v;
    if (v) {
        const String selected = FItemIndex >= 0 ? FItems->Get(FItemIndex) : String();
        std::vector<std::pair<QString, TObject*>> rows;
        for (int i = 0; i < FItems->Count(); ++i)
            rows.emplace_back(FItems->FLines.at(i), FItems->FObjects[size_t(i)]);
        std::stable_sort(rows.begin(), rows.end(),
                         [](const auto& a, const auto& b) { return a.first.compare(b.first, Qt::CaseInsensitive) < 0; });
        FItems->FLines.clear();
        FItems->FObjects.clear();
        for (auto& [s, o] : rows) {
            FItems->FLines << s;
            FItems->FObjects.push_back(o);
        }
        FItemIndex = selected.isEmpty() ? -1 : int(FItems->FLines.indexOf(selected));
        SyncWidget();
    }
}

void TCustomComboBox::Loaded()
{
    TWinControl::Loaded();
    if (FStoredItemIndex != -2) {
        const int v = FStoredItemIndex;
        FStoredItemIndex = -2;
        SetItemIndex(v);
    }
}

String TCustomComboBox::GetText() const
{
    if (FStyle == csDropDownList)
        return FItemIndex >= 0 && FItemIndex < FItems->Count() ? FItems->Get(FItemIndex) : String();
    return FEditText;
}

void TCustomComboBox::SetTextValue(const String& v)
{
    if (FStyle == csDropDownList) {
        // A list-only box selects the item with that text, if any.
        SetItemIndex(FItems->IndexOf(v));
        return;
    }
    FEditText = v;
    FItemIndex = FItems->IndexOf(v);
    SyncWidget();
}

bool TCustomComboBox::DroppedDown() const
{
    QComboBox* c = Combo();
    return FListOpen && c && c->view() && c->view()->isVisible();
}

void TCustomComboBox::SetDroppedDown(bool v)
{
    QComboBox* c = Combo();
    if (!c || v == DroppedDown())
        return;
    if (v)
        c->showPopup();
    else
        c->hidePopup();
}

void TCustomComboBox::Change() { OnChange(this); }
void TCustomComboBox::Select() { OnSelect(this); }
void TCustomComboBox::DropDown() { OnDropDown(this); }
void TCustomComboBox::CloseUp() { OnCloseUp(this); }

// ---------------------------------------------------------------------------------------------
// TCustomGroupBox

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks |
                    csReplicatable | csOpaque;
    SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::TextChanged() { Invalidate(); }

void TCustomGroupBox::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(ClientRect());
    c->SetFont(Font());
    const int th = c->TextHeight(QStringLiteral("0"));
    TRect r = Rect(0, th / 2 - 1, Width(), Height());
    // Etched frame: shadow line, then highlight one pixel inside.
    TRect outer = Rect(r.Left, r.Top, r.Right - 1, r.Bottom - 1);
    c->Brush()->SetColor(clBtnShadow);
    c->FrameRect(outer);
    TRect inner = Rect(r.Left + 1, r.Top + 1, r.Right, r.Bottom);
    c->Brush()->SetColor(clBtnHighlight);
    c->FrameRect(inner);
    c->Pen()->SetColor(clBtnShadow);
    c->MoveTo(r.Left, r.Bottom - 2);
    c->LineTo(r.Right - 1, r.Bottom - 2);
    c->MoveTo(r.Right - 2, r.Top);
    c->LineTo(r.Right - 2, r.Bottom - 1);
    const String text = Caption();
    if (!text.isEmpty()) {
        TRect tr = Rect(8, 0, 8, th);
        c->DrawText(text, tr, DT_SINGLELINE | DT_CALCRECT);
        c->Brush()->SetColor(Color());
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(Rect(tr.Left - 1, 0, tr.Right + 1, th));
        c->Brush()->SetStyle(bsClear);
        c->DrawText(text, tr, DT_SINGLELINE);
    }
}
