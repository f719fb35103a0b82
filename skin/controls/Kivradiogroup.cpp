#include "skin/controls/Kivradiogroup.h"

#include "framework/Font.h"
#include "framework/Strings.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Items

TkivCheckGroupButton::TkivCheckGroupButton(TComponent* AOwner, TkivCheckGroup* Group)
    : TkivCheckBox(AOwner), FGroup(Group)
{
}

bool TkivCheckGroupButton::NeedDrawFocus() { return Focused(); }

TkivRadioGroupButton::TkivRadioGroupButton(TComponent* AOwner, TkivRadioGroup* Group)
    : TkivRadioButton(AOwner), FGroup(Group)
{
}

bool TkivRadioGroupButton::NeedDrawFocus() { return Checked() && (Focused() || (FGroup && FGroup->Focused())); }

void TkivRadioGroupButton::DoClick()
{
    if (!FGroup || FGroup->CanModify())
        TkivRadioButton::DoClick();
}

// ---------------------------------------------------------------------------------------------
// TkivCheckGroup

TkivCheckGroup::TkivCheckGroup(TComponent* AOwner) : TkivCustomGroupBox(AOwner), FItems(std::make_unique<TStringList>())
{
    FItems->OnChange = [this](TObject* Sender) { ItemChanged(Sender); };
    SetUIStyle(GetKIVFormStyle(AOwner));
    SetTransparent(false);
    SetParentColor(true);
    SetTabStop(true);
}

TkivCheckGroup::~TkivCheckGroup()
{
    Destroying();
    FItems->OnChange = nullptr;
    // The items go first, while the group is still whole (their destruction notifies it).
    std::vector<TkivCheckBox*> buttons;
    buttons.swap(FButtons);
    for (auto it = buttons.rbegin(); it != buttons.rend(); ++it)
        delete *it;
}

TStrings* TkivCheckGroup::Items() const { return FItems.get(); }

void TkivCheckGroup::SetItems(const TStrings* Value) { FItems->Assign(Value); }

TkivCheckBox* TkivCheckGroup::Buttons(int Index) const
{
    CheckItemIndex(Index);
    return FButtons[size_t(Index)];
}

void TkivCheckGroup::CheckItemIndex(int Index) const
{
    if (Index < 0 || Index >= int(FButtons.size()))
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
}

void TkivCheckGroup::SetColumns(int Value)
{
    if (Value < 1)
        return;
    FColumns = Value;
    ArrangeButtons();
}

void TkivCheckGroup::SetTopMargin(int Value)
{
    if (Value < 0)
        return;
    FTopMargin = Value;
    ArrangeButtons();
}

TColor TkivCheckGroup::FontColor() const { return Font()->Color(); }

void TkivCheckGroup::SetFontColor(TColor Value) { Font()->SetColor(Value); }

void TkivCheckGroup::SetCursor2(TCursor Value)
{
    for (TkivCheckBox* b : FButtons)
        b->SetCursor(Value);
    FItemCursor = Value;
}

bool TkivCheckGroup::GetChecked(int Index) const
{
    if (Index < 0 || Index >= int(FButtons.size()))
        return false;
    return FButtons[size_t(Index)]->Checked();
}

void TkivCheckGroup::SetChecked(int Index, bool Value)
{
    CheckItemIndex(Index);
    FButtons[size_t(Index)]->SetChecked(Value);
}

bool TkivCheckGroup::GetItemEnabled(int Index) const
{
    if (Index < 0 || Index >= int(FButtons.size()))
        return false;
    return FButtons[size_t(Index)]->Enabled();
}

void TkivCheckGroup::SetItemEnabled(int Index, bool Value)
{
    CheckItemIndex(Index);
    FButtons[size_t(Index)]->SetEnabled(Value);
}

void TkivCheckGroup::SetTransparent(bool Value)
{
    TkivCustomGroupBox::SetTransparent(Value);
    for (TkivCheckBox* b : FButtons)
        b->SetTransparent(Value);
}

void TkivCheckGroup::Click() { DoClick(this); }

void TkivCheckGroup::DoClick(TObject*)
{
    NewClick();
    if (!(ComponentState() & csLoading))
        OnClick(this);
}

TkivCheckBox* TkivCheckGroup::CreateAButton() { return new TkivCheckGroupButton(this, this); }

void TkivCheckGroup::FocusUpdate()
{
    if (!FButtons.empty() && FButtons.front()->CanFocus())
        FButtons.front()->SetFocus();
}

void TkivCheckGroup::ItemChanged(TObject*)
{
    const bool created = UpdateButtons();
    ArrangeButtons();
    if (created) {
        // Every item, old and new, ends with the group's transparency and repaints.
        const bool t = Transparent();
        SetTransparent(!t);
        SetTransparent(t);
    }
}

bool TkivCheckGroup::UpdateButtons()
{
    const int d = FItems->Count() - int(FButtons.size());
    for (int i = d; i < 0; ++i) {
        TkivCheckBox* last = FButtons.back();
        FButtons.pop_back();
        delete last;
    }
    for (int i = 0; i < d; ++i) {
        TkivCheckBox* b = CreateAButton();
        b->SetParent(this);
        b->Font()->Assign(Font());
        b->SetAutoSize2(true);
        b->SetFileTheme(FileTheme());
        b->SetUIStyle(UIStyle());
        b->SetTransparent(Transparent());
        b->SetParentColor(true);
        b->SetTabStop(false);
        b->OnClick = [this](TObject* Sender) { DoClick(Sender); };
        b->SetCursor(FItemCursor);
        FButtons.push_back(b);
    }
    for (size_t i = 0; i < FButtons.size(); ++i) {
        FButtons[i]->SetText(FItems->Get(int(i)));
        FButtons[i]->SetAutoSize2(true);
    }
    return d > 0;
}

void TkivCheckGroup::ArrangeButtons()
{
    const int count = int(FButtons.size());
    if (count == 0)
        return;
    const TRect g = GetClient();
    const int top = g.Top + FTopMargin;
    const int h = g.Bottom - top;
    const int rows = (count + FColumns - 1) / FColumns;
    const int colWidth = (Width() - 10) / FColumns;
    const int rowHeight = h / rows;
    const int firstTop = (h % rows) / 2 + top;
    const bool rightToLeft = BiDiMode() == bdRightToLeft;
    for (int i = 0; i < count; ++i) {
        TkivCheckBox* b = FButtons[size_t(i)];
        const int column = i / rows;
        const int left = rightToLeft ? Width() - column * colWidth - 8 - b->Width() : column * colWidth + 8;
        b->SetBounds(left, (i % rows) * rowHeight + firstTop, b->Width(), b->Height());
    }
}

void TkivCheckGroup::Resize()
{
    TkivCustomGroupBox::Resize();
    ArrangeButtons();
}

void TkivCheckGroup::UpdateUIStyle(TkivUIStyle Style, TkivFileTheme* Theme)
{
    TkivCustomGroupBox::UpdateUIStyle(Style, Theme);
    for (TkivCheckBox* b : FButtons) {
        b->SetFileTheme(Theme);
        b->SetUIStyle(Style);
        // The group's colour, and the item goes on following it (see the decisions).
        b->SetColor(Color());
        b->SetParentColor(true);
    }
}

void TkivCheckGroup::Notification(TComponent* AComponent, TOperation Operation)
{
    TkivCustomGroupBox::Notification(AComponent, Operation);
    if (Operation == opRemove) {
        auto it = std::find(FButtons.begin(), FButtons.end(), AComponent);
        if (it != FButtons.end())
            FButtons.erase(it);
    }
}

void TkivCheckGroup::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_SETFOCUS:
        TkivCustomGroupBox::Dispatch(Message);
        FocusUpdate();
        return;
    case CM_FONTCHANGED:
        TkivCustomGroupBox::Dispatch(Message);
        for (TkivCheckBox* b : FButtons)
            b->Font()->Assign(Font());
        return;
    default:
        TkivCustomGroupBox::Dispatch(Message);
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// TkivRadioGroup

TkivCheckBox* TkivRadioGroup::CreateAButton() { return new TkivRadioGroupButton(this, this); }

int TkivRadioGroup::ItemIndex() const
{
    for (size_t i = 0; i < FButtons.size(); ++i)
        if (FButtons[i]->Checked())
            return int(i);
    return -1;
}

void TkivRadioGroup::SetItemIndex(int Value)
{
    if (Value > Items()->Count() - 1 || Value < -1)
        return;
    if (Value == -1) {
        for (TkivCheckBox* b : FButtons)
            b->SetChecked(false);
        return;
    }
    if (Value < int(FButtons.size()))
        FButtons[size_t(Value)]->SetChecked(true);
}

void TkivRadioGroup::FocusUpdate()
{
    const int i = ItemIndex();
    if (i >= 0 && i < Items()->Count() && i < int(FButtons.size()) && FButtons[size_t(i)]->CanFocus())
        FButtons[size_t(i)]->SetFocus();
}

// ---------------------------------------------------------------------------------------------

void RegisterKivradiogroupClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClass<TkivCheckGroup>("TkivCheckGroup");
    RegisterClass<TkivRadioGroup>("TkivRadioGroup");
}
