// Menu items, menus, shortcuts and accelerators. The menu windows are in MenusPopup.cpp.
#include "framework/Menus.h"

#include "framework/Controls.h"
#include "framework/MenusPopup.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <algorithm>

namespace {

int NextCommand()
{
    static int last = 0;
    return ++last;
}

// Depth-first search among enabled, visible items only.
TMenuItem* FindShortCutItem(const TMenuItem* parent, TShortCut sc)
{
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (!item->Visible() || !item->Enabled())
            continue;
        if (item->ShortCut() == sc)
            return item;
        if (TMenuItem* found = FindShortCutItem(item, sc))
            return found;
    }
    return nullptr;
}

TMenuItem* FindItemIn(const TMenuItem* parent, int value, TFindItemKind kind)
{
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if ((kind == fkCommand && item->Command() == value) ||
            (kind == fkShortCut && value != 0 && item->ShortCut() == value))
            return item;
        if (TMenuItem* found = FindItemIn(item, value, kind))
            return found;
    }
    return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(nullptr), FCommand(NextCommand())
{
    // Joining the owner here, not in TComponent's constructor, lets the owner's components see a
    // complete menu item in their insertion notice.
    if (AOwner)
        AOwner->InsertComponent(this);
}

TMenuItem::~TMenuItem()
{
    Destroying();
    // Sub-items go with their parent; each takes itself out of the list.
    while (!FItems.empty())
        delete FItems.back();
    if (FParent)
        FParent->Remove(this);
}

void TMenuItem::MenuChanged(bool Rebuild)
{
    if (FParent)
        FParent->SubItemChanged(this, this, Rebuild);
}

void TMenuItem::SubItemChanged(TObject* Sender, TMenuItem* Source, bool Rebuild)
{
    for (TMenuItem* p = this; p; p = p->FParent) {
        if (p->ComponentState() & csDestroying)
            return;
        if (p->FMenu) {
            p->FMenu->MenuChanged(Sender, Source, Rebuild);
            return;
        }
    }
}

void TMenuItem::SetCaption(const String& v)
{
    if (FCaption == v)
        return;
    FCaption = v;
    MenuChanged(false);
}

void TMenuItem::SetShortCut(TShortCut v)
{
    if (FShortCut == v)
        return;
    FShortCut = v;
    MenuChanged(false);
}

void TMenuItem::TurnSiblingsOff()
{
    if (!FParent)
        return;
    for (TMenuItem* s : std::vector<TMenuItem*>(FParent->FItems)) {
        if (s != this && s->FRadioItem && s->FGroupIndex == FGroupIndex && s->FChecked) {
            s->FChecked = false;
            s->MenuChanged(false);
        }
    }
}

void TMenuItem::SetChecked(bool v)
{
    if (FChecked == v)
        return;
    FChecked = v;
    if (v && FRadioItem)
        TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::SetRadioItem(bool v)
{
    if (FRadioItem == v)
        return;
    FRadioItem = v;
    if (v && FChecked)
        TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::SetGroupIndex(uint8_t v)
{
    if (FGroupIndex == v)
        return;
    FGroupIndex = v;
    if (FRadioItem && FChecked)
        TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::SetDefault(bool v)
{
    if (FDefault == v)
        return;
    if (v && FParent) {
        for (TMenuItem* s : FParent->FItems)
            if (s != this && s->FDefault) {
                s->FDefault = false;
                s->MenuChanged(false);
            }
    }
    FDefault = v;
    MenuChanged(false);
}

void TMenuItem::SetEnabled(bool v)
{
    if (FEnabled == v)
        return;
    FEnabled = v;
    MenuChanged(false);
}

void TMenuItem::SetVisible(bool v)
{
    if (FVisible == v)
        return;
    FVisible = v;
    MenuChanged(true);
}

void TMenuItem::SetImageIndex(int v)
{
    v = std::max(-1, v);
    if (FImageIndex == v)
        return;
    FImageIndex = v;
    MenuChanged(false);
}

TMenuItem* TMenuItem::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EMenuError(QStringLiteral("Menu index out of range"));
    return FItems[size_t(Index)];
}

void TMenuItem::CheckInsertable(TMenuItem* Item) const
{
    if (Item->FParent)
        throw EMenuError(QStringLiteral("Menu inserted twice"));
    if (Item->FMenu)
        throw EMenuError(QStringLiteral("A menu's root item cannot be inserted"));
    for (const TMenuItem* p = this; p; p = p->FParent)
        if (p == Item)
            throw EMenuError(QStringLiteral("Menu inserted into itself"));
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item)
{
    if (!Item)
        return;
    CheckInsertable(Item);
    if (Index < 0 || Index > Count())
        throw EMenuError(QStringLiteral("Menu index out of range"));
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
    SubItemChanged(this, Item, true);
}

void TMenuItem::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        throw EMenuError(QStringLiteral("Menu index out of range"));
    TMenuItem* item = FItems[size_t(Index)];
    FItems.erase(FItems.begin() + Index);
    item->FParent = nullptr;
    SubItemChanged(this, item, true);
}

void TMenuItem::Remove(TMenuItem* Item)
{
    const int i = IndexOf(Item);
    if (i < 0)
        throw EMenuError(QStringLiteral("Menu item not found"));
    Delete(i);
}

int TMenuItem::IndexOf(const TMenuItem* Item) const
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : int(it - FItems.begin());
}

void TMenuItem::Clear()
{
    while (!FItems.empty())
        delete FItems.back();
}

TMenuItem* TMenuItem::Find(const String& ACaption) const
{
    const String wanted = StripHotkey(ACaption);
    for (TMenuItem* item : FItems)
        if (StripHotkey(item->FCaption).compare(wanted, Qt::CaseInsensitive) == 0)
            return item;
    return nullptr;
}

int TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int Value)
{
    if (!FParent)
        return;
    auto& list = FParent->FItems;
    Value = std::clamp(Value, 0, int(list.size()) - 1);
    const int current = MenuIndex();
    if (Value == current)
        return;
    list.erase(list.begin() + current);
    list.insert(list.begin() + Value, this);
    FParent->SubItemChanged(FParent, this, true);
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* p = this;
    while (p->FParent)
        p = p->FParent;
    return p->FMenu;
}

bool TMenuItem::HasVisibleItems() const
{
    return std::any_of(FItems.begin(), FItems.end(), [](const TMenuItem* i) { return i->FVisible; });
}

void TMenuItem::Click()
{
    if (!FEnabled)
        return;
    if (FAutoCheck)
        SetChecked(FRadioItem ? true : !FChecked);
    OnClick(this);
}

void TMenuItem::MeasureItem(TCanvas* ACanvas, int& Width, int& Height)
{
    OnMeasureItem(this, ACanvas, Width, Height);
}

void TMenuItem::DrawItem(TCanvas* ACanvas, const TRect& ARect, bool Selected)
{
    OnDrawItem(this, ACanvas, ARect, Selected);
}

void TMenuItem::AdvancedDrawItem(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel)
{
    (void)TopLevel;
    DrawItem(ACanvas, ARect, (State & odSelected) != 0);
    OnAdvancedDrawItem(this, ACanvas, ARect, State);
}

// ---------------------------------------------------------------------------------------------
// TMenu

TMenu::TMenu(TComponent* AOwner) : TComponent(nullptr), FItems(new TMenuItem(nullptr))
{
    (void)AOwner;  // joined by the concrete class's constructor
    FItems->FMenu = this;
}

TMenu::~TMenu()
{
    Destroying();
    MenusPopup::MenuDestroyed(this);
    delete FItems;
    FItems = nullptr;
}

void TMenu::SetImages(TCustomImageList* v)
{
    if (FImages == v)
        return;
    FImages = v;
    MenuChanged(this, nullptr, false);
}

void TMenu::SetOwnerDraw(bool v)
{
    if (FOwnerDraw == v)
        return;
    FOwnerDraw = v;
    MenuChanged(this, nullptr, false);
}

void TMenu::SetAutoHotkeys(TMenuAutoFlag v)
{
    if (FAutoHotkeys == v)
        return;
    FAutoHotkeys = v;
    MenuChanged(this, nullptr, false);
}

void TMenu::SetBiDiMode(TBiDiMode v)
{
    if (FBiDiMode == v)
        return;
    FBiDiMode = v;
    MenuChanged(this, nullptr, false);
}

void TMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild)
{
    (void)Sender;
    if (ComponentState() & csDestroying)
        return;
    MenusPopup::MenuChanged(this);
    if (!(ComponentState() & csLoading))
        OnChange(this, Source, Rebuild);
}

void TMenu::Loaded()
{
    TComponent::Loaded();
    MenuChanged(this, nullptr, true);
}

bool TMenu::IsShortCut(TWMKey& Message)
{
    const WORD key = WORD(Message.CharCode & 0xFF);
    if (key == 0 || !FItems)
        return false;
    const TShortCut sc = ShortCut(key, KeyDataToShiftState(Message.KeyData));
    TMenuItem* item = FindShortCutItem(FItems, sc);
    if (!item)
        return false;
    item->Click();
    return true;
}

bool TMenu::IsShortCut(TMessage& Message)
{
    if (Message.Msg != WM_KEYDOWN && Message.Msg != WM_SYSKEYDOWN)
        return false;
    TWMKey key{Message.Msg, WORD(Message.WParam), Message.LParam, 0};
    const bool ran = IsShortCut(key);
    Message.Result = ran ? 1 : 0;
    return ran;
}

TMenuItem* TMenu::FindItem(int Value, TFindItemKind Kind) const
{
    if (Kind == fkHandle || !FItems)
        return nullptr;
    return FindItemIn(FItems, Value, Kind);
}

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner)
{
    if (AOwner)
        AOwner->InsertComponent(this);
}

// ---------------------------------------------------------------------------------------------
// TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner)
{
    if (AOwner)
        AOwner->InsertComponent(this);
}

TPopupMenu::~TPopupMenu()
{
    Destroying();
    MenusPopup::MenuDestroyed(this);
    if (FPopupComponent)
        RemoveFreeNotification(FPopupComponent);
}

void TPopupMenu::SetPopupComponent(TComponent* v)
{
    if (FPopupComponent == v)
        return;
    if (FPopupComponent)
        RemoveFreeNotification(FPopupComponent);
    FPopupComponent = v;
    if (v)
        FreeNotification(v);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupComponent)
        FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup(TObject* Sender) { OnPopup(Sender); }

void TPopupMenu::DoClose() { OnClose(this); }

TMenuTrackResult TPopupMenu::TrackPopup(const TMenuTrackParams& Params)
{
    if (MenusPopup::IsTrackingAny())
        return {};  // one menu at a time
    QPointer<TPopupMenu> self(this);
    FPopupPoint = {Params.X, Params.Y};
    DoPopup(this);
    if (!self)
        return {};
    TMenuTrackResult result = MenusPopup::Track(this, Params);
    if (self)
        DoClose();
    return result;
}

void TPopupMenu::Popup(int X, int Y)
{
    TMenuTrackParams params;
    params.X = X;
    params.Y = Y;
    const TMenuTrackResult result = TrackPopup(params);
    if (result.End != TMenuTrackEnd::Chosen || !result.Item)
        return;
    // The chosen item runs from the event queue, after whatever follows Popup.
    QPointer<TMenuItem> item(result.Item);
    QTimer::singleShot(0, QCoreApplication::instance(), [item] {
        if (!item)
            return;
        try {
            item->Click();
        } catch (...) {
            HandleCallbackException();
        }
    });
}

void TPopupMenu::CloseMenu() { MenusPopup::Close(this); }

bool TPopupMenu::IsTracking() const { return MenusPopup::IsTracking(this); }

// ---------------------------------------------------------------------------------------------
// Shortcuts and accelerators

namespace {

struct KeyName {
    WORD key;
    const char* name;
};

const KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},     {VK_ESCAPE, "Esc"},  {VK_RETURN, "Enter"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"},  {VK_NEXT, "PgDn"},   {VK_END, "End"},     {VK_HOME, "Home"},    {VK_LEFT, "Left"},
    {VK_UP, "Up"},       {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},   {VK_INSERT, "Ins"},   {VK_DELETE, "Del"},
    {VK_MULTIPLY, "Num *"}, {VK_ADD, "Num +"}, {VK_SUBTRACT, "Num -"}, {VK_DECIMAL, "Num Del"},
    {VK_DIVIDE, "Num /"}, {VK_OEM_1, ";"},    {VK_OEM_PLUS, "="},  {VK_OEM_COMMA, ","},  {VK_OEM_MINUS, "-"},
    {VK_OEM_PERIOD, "."}, {VK_OEM_2, "/"},    {VK_OEM_3, "`"},     {VK_OEM_4, "["},      {VK_OEM_5, "\\"},
    {VK_OEM_6, "]"},     {VK_OEM_7, "'"},
};

String KeyToName(WORD key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return QString(QChar(key));
    if (key >= VK_F1 && key < VK_F1 + 24)
        return QStringLiteral("F%1").arg(key - VK_F1 + 1);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9)
        return QStringLiteral("Num %1").arg(key - VK_NUMPAD0);
    for (const KeyName& k : kKeyNames)
        if (k.key == key)
            return QString::fromLatin1(k.name);
    return String();
}

// Removes Front from the start of Text when Text begins with it (any case).
bool TakeFront(String& Text, const QString& Front)
{
    if (!Text.startsWith(Front, Qt::CaseInsensitive))
        return false;
    Text.remove(0, Front.size());
    return true;
}

}  // namespace

TShortCut ShortCut(WORD Key, TShiftState Shift)
{
    if (Key > 0xFF)
        return 0;
    TShortCut sc = Key;
    if (Shift & ssShift)
        sc |= scShift;
    if (Shift & ssCtrl)
        sc |= scCtrl;
    if (Shift & ssAlt)
        sc |= scAlt;
    return sc;
}

void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift)
{
    Key = WORD(ShortCut & 0xFF);
    Shift = 0;
    if (ShortCut & scShift)
        Shift |= ssShift;
    if (ShortCut & scCtrl)
        Shift |= ssCtrl;
    if (ShortCut & scAlt)
        Shift |= ssAlt;
}

String ShortCutToText(TShortCut ShortCut)
{
    const String name = KeyToName(WORD(ShortCut & 0xFF));
    if (name.isEmpty())
        return String();
    String text;
    if (ShortCut & scShift)
        text += QStringLiteral("Shift+");
    if (ShortCut & scCtrl)
        text += QStringLiteral("Ctrl+");
    if (ShortCut & scAlt)
        text += QStringLiteral("Alt+");
    return text + name;
}

TShortCut TextToShortCut(const String& Text)
{
    String rest = Text.trimmed();
    TShortCut shift = 0;
    for (;;) {
        if (TakeFront(rest, QStringLiteral("Shift+")))
            shift |= scShift;
        else if (TakeFront(rest, QStringLiteral("^")) || TakeFront(rest, QStringLiteral("Ctrl+")))
            shift |= scCtrl;
        else if (TakeFront(rest, QStringLiteral("Alt+")))
            shift |= scAlt;
        else
            break;
    }
    if (rest.isEmpty())
        return 0;
    for (WORD key = VK_BACK; key <= 0xFF; ++key) {
        const String name = KeyToName(key);
        if (!name.isEmpty() && name.compare(rest, Qt::CaseInsensitive) == 0)
            return TShortCut(key | shift);
    }
    return 0;
}

String StripHotkey(const String& Text)
{
    String out;
    out.reserve(Text.size());
    for (qsizetype i = 0; i < Text.size(); ++i) {
        if (Text.at(i) == QLatin1Char('&')) {
            // The mark goes; the character after it stays (so "&&" leaves one "&").
            if (++i < Text.size())
                out += Text.at(i);
            continue;
        }
        out += Text.at(i);
    }
    return out;
}

String GetHotkey(const String& Text)
{
    for (qsizetype i = 0; i + 1 < Text.size(); ++i) {
        if (Text.at(i) != QLatin1Char('&'))
            continue;
        if (Text.at(i + 1) == QLatin1Char('&')) {
            ++i;  // "&&" is a plain "&"
            continue;
        }
        return String(Text.at(i + 1));
    }
    return String();
}

bool IsAccel(WORD Key, const String& Text)
{
    const String hot = GetHotkey(Text);
    return !hot.isEmpty() && Key != 0 && hot.compare(QString(QChar(Key)), Qt::CaseInsensitive) == 0;
}
