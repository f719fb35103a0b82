#include "framework/CheckLst.h"

#include <QListWidget>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

// Gives every row the list's item height.
class TItemHeightDelegate : public QStyledItemDelegate {
public:
    TItemHeightDelegate(QObject* parent, const int* height) : QStyledItemDelegate(parent), FHeight(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(*FHeight);
        return s;
    }

private:
    const int* FHeight;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// TCheckListStrings

void TCheckListStrings::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= Count())
        IndexError(Index);
}

String TCheckListStrings::Get(int Index) const
{
    CheckIndex(Index);
    return FLines.at(Index);
}

void TCheckListStrings::Put(int Index, const String& S)
{
    CheckIndex(Index);
    FLines[Index] = S;
    FOwner->ItemsChanged();
}

TObject* TCheckListStrings::GetObject(int Index) const
{
    CheckIndex(Index);
    return FObjects[size_t(Index)];
}

void TCheckListStrings::PutObject(int Index, TObject* AObject)
{
    CheckIndex(Index);
    FObjects[size_t(Index)] = AObject;
}

void TCheckListStrings::Insert(int Index, const String& S)
{
    if (Index < 0 || Index > Count())
        IndexError(Index);
    FLines.insert(Index, S);
    FObjects.insert(FObjects.begin() + Index, nullptr);
    FChecked.insert(FChecked.begin() + Index, false);
    if (FOwner->FItemIndex >= Index)
        ++FOwner->FItemIndex;
    FOwner->ItemsChanged();
}

void TCheckListStrings::Delete(int Index)
{
    CheckIndex(Index);
    FLines.removeAt(Index);
    FObjects.erase(FObjects.begin() + Index);
    FChecked.erase(FChecked.begin() + Index);
    if (FOwner->FItemIndex == Index)
        FOwner->FItemIndex = -1;
    else if (FOwner->FItemIndex > Index)
        --FOwner->FItemIndex;
    FOwner->ItemsChanged();
}

void TCheckListStrings::Clear()
{
    FLines.clear();
    FObjects.clear();
    FChecked.clear();
    FOwner->FItemIndex = -1;
    FOwner->ItemsChanged();
}

void TCheckListStrings::SetUpdateState(bool Updating)
{
    // The widget is rebuilt once at the end of an update instead of after every line.
    if (!Updating)
        FOwner->ItemsChanged();
}

// ---------------------------------------------------------------------------------------------
// TCheckListBox

TCheckListBox::TCheckListBox(TComponent* AOwner) : TWinControl(AOwner), FItems(new TCheckListStrings(this))
{
    FControlStyle = csSetCaption | csDoubleClicks;
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
}

TCheckListBox::~TCheckListBox()
{
    Destroying();
    DestroyPeer();
    delete FItems;
    FItems = nullptr;
}

QListWidget* TCheckListBox::List() const { return qobject_cast<QListWidget*>(Widget()); }

TPeerBase* TCheckListBox::CreatePeer()
{
    auto* peer = new TPeer<QListWidget>(this);
    peer->setItemDelegate(new TItemHeightDelegate(peer, &FItemHeight));
    peer->setSelectionMode(QAbstractItemView::SingleSelection);
    peer->setUniformItemSizes(true);
    QObject::connect(peer, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        QListWidget* l = List();
        if (FSyncing || !l)
            return;
        const int row = l->row(item);
        if (row < 0 || row >= FItems->Count())
            return;
        const bool on = item->checkState() == Qt::Checked;
        if (FItems->FChecked[size_t(row)] == on)
            return;
        FItems->FChecked[size_t(row)] = on;
        try {
            ClickCheck();
        } catch (...) {
            HandleCallbackException();
        }
    });
    QObject::connect(peer, &QListWidget::currentRowChanged, this, [this](int row) {
        if (FSyncing)
            return;
        FItemIndex = row >= 0 && row < FItems->Count() ? row : -1;
        try {
            Click();
        } catch (...) {
            HandleCallbackException();
        }
    });
    return peer;
}

void TCheckListBox::Dispatch(TMessage& Message)
{
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    }
    TWinControl::Dispatch(Message);
}

void TCheckListBox::InitPeer()
{
    TWinControl::InitPeer();
    SyncWidget();
}

void TCheckListBox::SyncWidget()
{
    QListWidget* l = List();
    if (!l || FItems->UpdateCount() > 0)
        return;
    FSyncing = true;
    l->clear();
    for (int i = 0; i < FItems->Count(); ++i) {
        auto* item = new QListWidgetItem(FItems->FLines.at(i));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(FItems->FChecked[size_t(i)] ? Qt::Checked : Qt::Unchecked);
        l->addItem(item);
    }
    l->setCurrentRow(FItemIndex);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Base, ToQColor(Color()));
    l->setPalette(pal);
    FSyncing = false;
}

void TCheckListBox::ItemsChanged()
{
    if (FItemIndex >= FItems->Count())
        FItemIndex = -1;
    SyncWidget();
}

bool TCheckListBox::Checked(int Index) const
{
    FItems->CheckIndex(Index);
    return FItems->FChecked[size_t(Index)];
}

void TCheckListBox::SetChecked(int Index, bool Value)
{
    FItems->CheckIndex(Index);
    if (FItems->FChecked[size_t(Index)] == Value)
        return;
    FItems->FChecked[size_t(Index)] = Value;
    if (QListWidget* l = List()) {
        if (QListWidgetItem* item = l->item(Index)) {
            FSyncing = true;
            item->setCheckState(Value ? Qt::Checked : Qt::Unchecked);
            FSyncing = false;
        }
    }
}

void TCheckListBox::SetItemHeight(int v)
{
    v = std::max(1, v);
    if (v == FItemHeight)
        return;
    FItemHeight = v;
    if (QListWidget* l = List())
        l->doItemsLayout();
}

void TCheckListBox::SetItemIndex(int v)
{
    if (v < 0 || v >= FItems->Count())
        v = -1;
    FItemIndex = v;
    if (QListWidget* l = List()) {
        FSyncing = true;
        l->setCurrentRow(v);
        FSyncing = false;
    }
}

void TCheckListBox::ClickCheck() { OnClickCheck(this); }

void RegisterCheckListClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClass<TCheckListBox>("TCheckListBox");
}
