// Collections: ordered lists of items with published properties (status-bar panels, title-bar
// buttons, ...). Items are Qt objects so the form reader sets their properties by name.
#pragma once

#include "framework/System.h"

#include <QObject>
#include <functional>
#include <vector>

class TCollection;

class TCollectionItem : public QObject, public TPersistent {
    Q_OBJECT
public:
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;
    TCollection* Collection() const { return FCollection; }
    int Index() const;
    void SetIndex(int v);
    String ClassName() const override { return QString::fromLatin1(metaObject()->className()); }
    // Copies another item's published properties one by one; item classes with state beyond
    // their properties (pictures held by value) override it.
    void Assign(const TPersistent* Source) override;

protected:
    // Tells the collection that this item changed (AllItems: the whole collection).
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
};

using TCollectionItemFactory = std::function<TCollectionItem*(TCollection*)>;

class TCollection : public TPersistent {
public:
    // Factory makes one item of the collection's item class.
    explicit TCollection(TCollectionItemFactory Factory, TPersistent* Owner = nullptr);
    ~TCollection() override;

    int Count() const { return int(FItems.size()); }
    TCollectionItem* Items(int Index) const;
    TCollectionItem* Add();
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    TPersistent* Owner() const { return FOwner; }
    void Assign(const TPersistent* Source) override;
    String ClassName() const override { return QStringLiteral("TCollection"); }

    // Fired after a change: the item changed, or null when the whole collection changed.
    std::function<void(TCollectionItem*)> OnUpdate;

protected:
    virtual void Update(TCollectionItem* Item);

private:
    friend class TCollectionItem;
    void Changed(TCollectionItem* Item);

    TCollectionItemFactory FFactory;
    TPersistent* FOwner;
    std::vector<TCollectionItem*> FItems;
    int FUpdateCount = 0;
    bool FClearing = false;
};

Q_DECLARE_METATYPE(TCollection*)
