// Components: ownership, names, notifications, property and event access by name.
#include "framework/Component.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <gtest/gtest.h>

namespace {

// Records the notifications it receives.
class TWatcher : public TComponent {
    Q_OBJECT
    Q_PROPERTY(TComponent* Target READ Target WRITE SetTarget)
public:
    using TComponent::TComponent;
    TComponent* Target() const { return FTarget; }
    void SetTarget(TComponent* t)
    {
        FTarget = t;
        if (t)
            t->FreeNotification(this);
    }
    std::vector<std::pair<TComponent*, TOperation>> seen;

protected:
    void Notification(TComponent* c, TOperation op) override
    {
        TComponent::Notification(c, op);
        seen.emplace_back(c, op);
        if (op == opRemove && c == FTarget)
            FTarget = nullptr;
    }

private:
    TComponent* FTarget = nullptr;
};

}  // namespace

TEST(Component, OwnerFreesOwnedComponentsAndFindsThemByNameIgnoringCase)
{
    auto* owner = new TComponent(nullptr);
    auto* a = new TComponent(owner);
    a->SetName(QStringLiteral("Alpha"));
    auto* b = new TTimer(owner);
    b->SetName(QStringLiteral("Beta"));
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->FindComponent(QStringLiteral("alpha")), a);
    EXPECT_EQ(owner->FindComponent(QStringLiteral("BETA")), b);
    EXPECT_EQ(owner->FindComponent(QStringLiteral("gamma")), nullptr);
    EXPECT_EQ(b->ComponentIndex(), 1);

    // Deleting one component takes it out of its owner's list.
    delete a;
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->Components(0), b);
    delete owner;  // frees b; a sanitizer build would report a leak or double free here
}

TEST(Component, NamesMustBeUniqueAndValid)
{
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    a->SetName(QStringLiteral("Same"));
    auto* b = new TComponent(&owner);
    EXPECT_THROW(b->SetName(QStringLiteral("same")), EInvalidOperation);
    EXPECT_TRUE(b->Name().isEmpty());
    EXPECT_THROW(b->SetName(QStringLiteral("1abc")), EInvalidOperation);
    EXPECT_THROW(b->SetName(QStringLiteral("a b")), EInvalidOperation);
    b->SetName(QStringLiteral("Other_1"));
    EXPECT_EQ(b->Name(), QStringLiteral("Other_1"));
}

TEST(Component, FreeNotificationClearsReferencesToDeletedComponents)
{
    TComponent owner(nullptr);
    auto* watcher = new TWatcher(&owner);
    auto* outsider = new TComponent(nullptr);  // not owned by the same owner
    watcher->SetTarget(outsider);
    delete outsider;
    EXPECT_EQ(watcher->Target(), nullptr);
    ASSERT_FALSE(watcher->seen.empty());
    EXPECT_EQ(watcher->seen.back().second, opRemove);
}

TEST(Component, SiblingsHearOfInsertionAndRemoval)
{
    TComponent owner(nullptr);
    auto* watcher = new TWatcher(&owner);
    auto* sibling = new TComponent(&owner);
    ASSERT_FALSE(watcher->seen.empty());
    EXPECT_EQ(watcher->seen.back(), std::make_pair(sibling, opInsert));
    delete sibling;
    EXPECT_EQ(watcher->seen.back(), std::make_pair(sibling, opRemove));
}

TEST(Component, PropertiesByName)
{
    TComponent owner(nullptr);
    auto* timer = new TTimer(&owner);
    EXPECT_TRUE(timer->HasProperty(QStringLiteral("Interval")));
    EXPECT_FALSE(timer->HasProperty(QStringLiteral("UIStyle")));
    EXPECT_TRUE(timer->SetPropValue(QStringLiteral("Interval"), 250));
    EXPECT_EQ(timer->Interval(), 250);
    EXPECT_FALSE(timer->SetPropValue(QStringLiteral("NoSuchProperty"), 1));

    auto* watcher = new TWatcher(&owner);
    EXPECT_TRUE(watcher->SetComponentProp(QStringLiteral("Target"), timer));
    EXPECT_EQ(watcher->GetComponentProp(QStringLiteral("Target")), timer);
    EXPECT_TRUE(watcher->SetComponentProp(QStringLiteral("Target"), nullptr));
    EXPECT_EQ(watcher->Target(), nullptr);
    // A property that holds no component reference is refused.
    EXPECT_FALSE(timer->SetComponentProp(QStringLiteral("Interval"), watcher));
}

TEST(Component, EventsByNameCheckTheHandlerSignature)
{
    TComponent owner(nullptr);
    auto* timer = new TTimer(&owner);
    int fired = 0;
    EXPECT_TRUE(timer->HasEvent(QStringLiteral("OnTimer")));
    EXPECT_TRUE(timer->SetEventByName(QStringLiteral("OnTimer"), std::any(TNotifyEvent([&](TObject*) { ++fired; }))));
    timer->OnTimer(timer);
    EXPECT_EQ(fired, 1);
    // A handler of another shape does not fit.
    EXPECT_FALSE(timer->SetEventByName(QStringLiteral("OnTimer"),
                                       std::any(TKeyPressEvent([](TObject*, char&) {}))));
    EXPECT_FALSE(timer->SetEventByName(QStringLiteral("OnNothing"), std::any(TNotifyEvent())));
}

#include "test_component.moc"
