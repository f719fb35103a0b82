// TComponent: owned, named objects with notifications, published properties reachable by name
// (Qt properties), events assignable by name, and the class registry the form reader uses.
#pragma once

#include "framework/System.h"

#include <QMetaProperty>
#include <QObject>
#include <QVariant>
#include <any>
#include <functional>
#include <map>
#include <vector>

class TComponent;

enum TComponentStateBit : uint32_t {
    csLoading = 0x0001,
    csReading = 0x0002,
    csWriting = 0x0004,
    csDestroying = 0x0008,
    csDesigning = 0x0010,
    csAncestor = 0x0020,
    csUpdating = 0x0040,
    csFixups = 0x0080,
    csFreeNotification = 0x0100,
    csInline = 0x0200,
    csDesignInstance = 0x0400,
};
using TComponentState = uint32_t;

enum TOperation { opInsert, opRemove };

// An event slot published by a component: holds a std::function of signature F, assignable in code
// (Button->OnClick = ...) or by name from a stored form definition (the slot registers its name with
// its component). Calling an unassigned event does nothing.
template <class F>
class TEvent {
public:
    TEvent(TComponent* owner, const char* name);
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;
    TEvent& operator=(F f)
    {
        FFunc = std::move(f);
        return *this;
    }
    TEvent& operator=(std::nullptr_t)
    {
        FFunc = nullptr;
        return *this;
    }
    explicit operator bool() const { return bool(FFunc); }
    const F& Get() const { return FFunc; }
    template <class... A>
    void operator()(A&&... args) const
    {
        if (FFunc)
            FFunc(std::forward<A>(args)...);
    }

private:
    F FFunc;
};

class TComponent : public QObject, public TPersistent {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)

public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    String ClassName() const override;
    // True when the object's class is ClassName or derives from it ("TCustomForm").
    bool InheritsFrom(const char* className) const;

    TComponent* Owner() const { return FOwner; }
    String Name() const { return FName; }
    virtual void SetName(const String& NewName);
    int Tag() const { return FTag; }
    void SetTag(int v) { FTag = v; }

    int ComponentCount() const { return int(FComponents.size()); }
    TComponent* Components(int Index) const { return FComponents.at(size_t(Index)); }
    int ComponentIndex() const;
    // The owned component with that name (compared without regard to case), or null.
    TComponent* FindComponent(const String& AName) const;

    TComponentState ComponentState() const { return FComponentState; }
    void SetComponentStateBits(TComponentState bits) { FComponentState |= bits; }
    void ClearComponentStateBits(TComponentState bits) { FComponentState &= ~bits; }

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void DestroyComponents();
    // Marks the component as going away (csDestroying) and tells its owned components.
    virtual void Destroying();

    // AComponent will tell this component (Notification opRemove) when it goes away.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Called after a stored definition has been read (csLoading cleared first).
    virtual void Loaded();

    // Run-time property access by name (published = Qt property).
    bool HasProperty(const String& PropName) const;
    QVariant GetPropValue(const String& PropName) const;
    bool SetPropValue(const String& PropName, const QVariant& Value);
    // A published component reference (a property holding a TComponent pointer), or null.
    TComponent* GetComponentProp(const String& PropName) const;
    bool SetComponentProp(const String& PropName, TComponent* Value);

    // Events by name.
    bool HasEvent(const String& EventName) const;
    // Assigns a handler held in std::any (it must hold the event's exact std::function type);
    // returns false when there is no such event or the handler's type does not match.
    bool SetEventByName(const String& EventName, const std::any& Handler);

    // Handler methods a root component (a form) offers to its stored definition, by name.
    template <class C, class... A>
    void RegisterMethod(const char* name, void (C::*method)(A...))
    {
        C* self = static_cast<C*>(this);
        FMethods[QString::fromLatin1(name)] =
            std::function<void(A...)>([self, method](A... args) { (self->*method)(std::forward<A>(args)...); });
    }
    const std::any* FindMethod(const String& name) const;

    // Binary properties a class stores itself (pictures, embedded files): read from the stored
    // definition's bytes; returns false when the class has no such property.
    virtual bool ReadBinaryProperty(const String& PropName, const QByteArray& Data);

    // Internal: event slots register their setters here.
    void RegisterEventSetter(const char* name, std::function<bool(const std::any&)> setter);

protected:
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // Changes the owner link without notifications (used by InsertComponent/RemoveComponent).
    void SetReference(bool Enable) { (void)Enable; }

    friend void NotifyComponent(TComponent* target, TComponent* AComponent, TOperation Operation);

private:
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName);

    TComponent* FOwner = nullptr;
    String FName;
    int FTag = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    TComponentState FComponentState = 0;
    std::map<QString, std::function<bool(const std::any&)>> FEventSetters;
    std::map<QString, std::any> FMethods;
};

// Calls target->Notification (which is protected) from framework code outside the class tree.
void NotifyComponent(TComponent* target, TComponent* AComponent, TOperation Operation);

template <class F>
TEvent<F>::TEvent(TComponent* owner, const char* name)
{
    owner->RegisterEventSetter(name, [this](const std::any& a) {
        if (!a.has_value()) {
            FFunc = nullptr;
            return true;
        }
        if (const F* f = std::any_cast<F>(&a)) {
            FFunc = *f;
            return true;
        }
        return false;
    });
}

// Class registry: the form reader creates components by class name.
using TComponentFactory = std::function<TComponent*(TComponent* AOwner)>;
void RegisterComponentClass(const String& className, TComponentFactory factory);
template <class T>
void RegisterClass(const char* className)
{
    RegisterComponentClass(QString::fromLatin1(className), [](TComponent* owner) -> TComponent* { return new T(owner); });
}
// The factory for a class name, or an empty function.
TComponentFactory FindComponentClass(const String& className);

// Casts a component to T or returns null (dynamic_cast wrapper with a readable name).
template <class T>
T* ComponentAs(TComponent* c)
{
    return dynamic_cast<T*>(c);
}

