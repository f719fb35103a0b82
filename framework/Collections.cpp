#include "framework/Collections.h"

#include <QMetaProperty>
#include <algorithm>

TCollectionItem::TCollectionItem(TCollection* Collection) : FCollection(Collection) {}

TCollectionItem::~TCollectionItem()
{
    if (FCollection && !FCollection->FClearing) {
        auto& items = FCollection->FItems;
        items.erase(std::remove(items.begin(), items.end(), this), items.end());
        FCollection->Changed(nullptr);
    }
}

int TCollectionItem::Index() const
{
    if (!FCollection)
        return -1;
    auto& items = FCollection->FItems;
    auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : int(it - items.begin());
}

void TCollectionItem::SetIndex(int v)
{
    if (!FCollection)
        return;
    auto& items = FCollection->FItems;
    const int cur = Index();
    if (cur < 0 || v == cur)
        return;
    items.erase(items.begin() + cur);
    v = std::clamp(v, 0, int(items.size()));
    items.insert(items.begin() + v, this);
    FCollection->Changed(nullptr);
}

void TCollectionItem::Changed(bool AllItems)
{
    if (FCollection)
        FCollection->Changed(AllItems ? nullptr : this);
}

TCollection::TCollection(TCollectionItemFactory Factory, TPersistent* Owner)
    : FFactory(std::move(Factory)), FOwner(Owner)
{
}

TCollection::~TCollection()
{
    OnUpdate = nullptr;
    FClearing = true;
    for (TCollectionItem* i : FItems)
        delete i;
    FItems.clear();
}

TCollectionItem* TCollection::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return FItems[size_t(Index)];
}

TCollectionItem* TCollection::Add() { return Insert(Count()); }

TCollectionItem* TCollection::Insert(int Index)
{
    Index = std::clamp(Index, 0, Count());
    TCollectionItem* item = FFactory(this);
    item->FCollection = this;
    FItems.insert(FItems.begin() + Index, item);
    Changed(nullptr);
    return item;
}

void TCollection::Delete(int Index)
{
    TCollectionItem* item = Items(Index);
    delete item;  // removes itself
}

void TCollection::Clear()
{
    if (FItems.empty())
        return;
    FClearing = true;
    for (TCollectionItem* i : FItems)
        delete i;
    FItems.clear();
    FClearing = false;
    Changed(nullptr);
}

void TCollection::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        Changed(nullptr);
}

void TCollection::Changed(TCollectionItem* Item)
{
    if (FUpdateCount == 0)
        Update(Item);
}

void TCollection::Update(TCollectionItem* Item)
{
    if (OnUpdate)
        OnUpdate(Item);
}

void TCollection::Assign(const TPersistent* Source)
{
    auto* src = dynamic_cast<const TCollection*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this)
        return;
    BeginUpdate();
    Clear();
    for (TCollectionItem* s : src->FItems)
        Add()->Assign(s);
    EndUpdate();
}

void TCollectionItem::Assign(const TPersistent* Source)
{
    auto* src = dynamic_cast<const TCollectionItem*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    const QMetaObject* mo = src->metaObject();
    for (int i = QObject::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i) {
        QMetaProperty p = mo->property(i);
        if (p.isWritable())
            setProperty(p.name(), src->property(p.name()));
    }
}
