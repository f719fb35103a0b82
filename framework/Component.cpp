#include "framework/Component.h"

#include <QMetaObject>
#include <algorithm>

namespace {

std::map<QString, TComponentFactory>& ClassRegistry()
{
    static std::map<QString, TComponentFactory> registry;
    return registry;
}

}  // namespace

void NotifyComponent(TComponent* target, TComponent* AComponent, TOperation Operation)
{
    if (target)
        target->Notification(AComponent, Operation);
}

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner)
        AOwner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    // Tell everyone who asked to be told, then free what we own, then leave our owner.
    while (!FFreeNotifies.empty()) {
        TComponent* c = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        auto& back = c->FFreeNotifies;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        c->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner)
        FOwner->RemoveComponent(this);
}

String TComponent::ClassName() const { return QString::fromLatin1(metaObject()->className()); }

bool TComponent::InheritsFrom(const char* className) const { return inherits(className); }

void TComponent::ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName)
{
    if (NewName.isEmpty() || CurName.compare(NewName, Qt::CaseInsensitive) == 0)
        return;
    TComponent* other = FindComponent(NewName);
    if (other && other != AComponent)
        throw EInvalidOperation(QStringLiteral("A component named %1 already exists").arg(NewName));
}

void TComponent::SetName(const String& NewName)
{
    if (FName == NewName)
        return;
    if (!NewName.isEmpty()) {
        bool valid = NewName.at(0).isLetter() || NewName.at(0) == QLatin1Char('_');
        for (QChar ch : NewName)
            valid = valid && (ch.isLetterOrNumber() || ch == QLatin1Char('_')) && ch.unicode() < 128;
        if (!valid)
            throw EInvalidOperation(QStringLiteral("'%1' is not a valid component name").arg(NewName));
    }
    if (FOwner)
        FOwner->ValidateRename(this, FName, NewName);
    FName = NewName;
    setObjectName(NewName);
}

int TComponent::ComponentIndex() const
{
    if (!FOwner)
        return -1;
    auto& list = FOwner->FComponents;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

TComponent* TComponent::FindComponent(const String& AName) const
{
    if (AName.isEmpty())
        return nullptr;
    for (TComponent* c : FComponents)
        if (c->FName.compare(AName, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

void TComponent::Insert(TComponent* AComponent)
{
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent)
{
    AComponent->FOwner = nullptr;
    FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), AComponent), FComponents.end());
}

void TComponent::InsertComponent(TComponent* AComponent)
{
    if (!AComponent || AComponent->FOwner == this)
        return;
    ValidateRename(AComponent, QString(), AComponent->FName);
    if (AComponent->FOwner)
        AComponent->FOwner->RemoveComponent(AComponent);
    Insert(AComponent);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent)
{
    if (!AComponent || AComponent->FOwner != this)
        return;
    Notification(AComponent, opRemove);
    Remove(AComponent);
}

void TComponent::DestroyComponents()
{
    // Newest first; each one removes itself from the list while it is destroyed.
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        Remove(c);
        delete c;
    }
}

void TComponent::Destroying()
{
    if (FComponentState & csDestroying)
        return;
    FComponentState |= csDestroying;
    for (TComponent* c : FComponents)
        c->Destroying();
}

void TComponent::FreeNotification(TComponent* AComponent)
{
    if (!AComponent || AComponent == this)
        return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(AComponent);
        AComponent->FFreeNotifies.push_back(this);
    }
    FComponentState |= csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
    if (!AComponent)
        return;
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent), FFreeNotifies.end());
    auto& back = AComponent->FFreeNotifies;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent)
        RemoveFreeNotification(AComponent);
    // Owned components hear about insertions and removals too, so references between siblings
    // are dropped when one of them goes away.
    for (TComponent* c : std::vector<TComponent*>(FComponents))
        if (c != AComponent)
            c->Notification(AComponent, Operation);
}

void TComponent::Loaded() { FComponentState &= ~csLoading; }

bool TComponent::HasProperty(const String& PropName) const
{
    return metaObject()->indexOfProperty(PropName.toLatin1().constData()) >= 0;
}

QVariant TComponent::GetPropValue(const String& PropName) const
{
    return property(PropName.toLatin1().constData());
}

bool TComponent::SetPropValue(const String& PropName, const QVariant& Value)
{
    const int idx = metaObject()->indexOfProperty(PropName.toLatin1().constData());
    if (idx < 0)
        return false;
    return metaObject()->property(idx).write(this, Value);
}

TComponent* TComponent::GetComponentProp(const String& PropName) const
{
    const int idx = metaObject()->indexOfProperty(PropName.toLatin1().constData());
    if (idx < 0)
        return nullptr;
    const QMetaProperty p = metaObject()->property(idx);
    if (!(p.metaType().flags() & QMetaType::PointerToQObject))
        return nullptr;
    QVariant v = p.read(this);
    QObject* o = v.value<QObject*>();
    return dynamic_cast<TComponent*>(o);
}

bool TComponent::SetComponentProp(const String& PropName, TComponent* Value)
{
    const int idx = metaObject()->indexOfProperty(PropName.toLatin1().constData());
    if (idx < 0)
        return false;
    const QMetaProperty p = metaObject()->property(idx);
    if (!(p.metaType().flags() & QMetaType::PointerToQObject))
        return false;
    const QMetaObject* target = p.metaType().metaObject();
    QObject* o = static_cast<QObject*>(Value);
    if (o && target && !o->metaObject()->inherits(target))
        return false;
    // Build a variant of the property's own pointer type so write() needs no conversion.
    QVariant v(p.metaType(), &o);
    return p.write(this, v);
}

bool TComponent::HasEvent(const String& EventName) const { return FEventSetters.count(EventName) != 0; }

bool TComponent::SetEventByName(const String& EventName, const std::any& Handler)
{
    auto it = FEventSetters.find(EventName);
    if (it == FEventSetters.end())
        return false;
    return it->second(Handler);
}

const std::any* TComponent::FindMethod(const String& name) const
{
    auto it = FMethods.find(name);
    return it == FMethods.end() ? nullptr : &it->second;
}

bool TComponent::ReadBinaryProperty(const String&, const QByteArray&) { return false; }

void TComponent::RegisterEventSetter(const char* name, std::function<bool(const std::any&)> setter)
{
    FEventSetters[QString::fromLatin1(name)] = std::move(setter);
}

void RegisterComponentClass(const String& className, TComponentFactory factory)
{
    ClassRegistry()[className.toLower()] = std::move(factory);
}

TComponentFactory FindComponentClass(const String& className)
{
    auto it = ClassRegistry().find(className.toLower());
    return it == ClassRegistry().end() ? TComponentFactory() : it->second;
}
