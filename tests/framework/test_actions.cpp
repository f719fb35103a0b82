// Actions and their links: a linked client learns of every change and of the action's end, runs
// the action, and stored forms name actions and their lists.
#include "framework/ActnList.h"
#include "framework/FormReader.h"
#include "framework/Forms.h"

#include <gtest/gtest.h>

namespace {

class Actions : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Application) {
            new TApplication;
            Application->Initialize();
        }
        RegisterActionClasses();
    }
};

struct TClient {
    TActionLink link;
    std::vector<std::pair<TBasicAction*, bool>> changes;
    int freed = 0;
    TClient()
    {
        link.OnChange = [this](TBasicAction* a, bool checkDefaults) { changes.push_back({a, checkDefaults}); };
        link.OnFreed = [this] { ++freed; };
    }
};

}  // namespace

TEST_F(Actions, ALinkedClientLearnsOfEveryChangeAndOfTheEnd)
{
    auto* action = new TAction(nullptr);
    TClient client;
    client.link.SetAction(action);
    ASSERT_EQ(client.changes.size(), 1u);
    EXPECT_TRUE(client.changes[0].second) << "linking reports the action with CheckDefaults";

    // Each property change once; setting a value it already has is no change.
    action->SetCaption(QStringLiteral("Go"));
    action->SetEnabled(false);
    action->SetEnabled(false);
    action->SetHint(QStringLiteral("hint"));
    action->SetVisible(false);
    action->SetChecked(true);
    action->SetImageIndex(3);
    action->SetImageIndex(-7);  // below -1 means none
    EXPECT_EQ(action->ImageIndex(), -1);
    EXPECT_EQ(client.changes.size(), 8u);
    for (size_t i = 1; i < client.changes.size(); ++i)
        EXPECT_FALSE(client.changes[i].second);

    delete action;
    EXPECT_EQ(client.freed, 1);
    EXPECT_EQ(client.link.Action(), nullptr);
    EXPECT_FALSE(client.link.Execute());
}

TEST_F(Actions, ExecutionRunsTheHandlerOnlyWhenEnabled)
{
    TAction action(nullptr);
    TClient client;
    client.link.SetAction(&action);
    EXPECT_FALSE(client.link.Execute()) << "no handler";
    int runs = 0;
    TObject* sender = nullptr;
    action.OnExecute = [&](TObject* s) {
        ++runs;
        sender = s;
    };
    EXPECT_TRUE(client.link.Execute());
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(sender, &action);
    action.SetEnabled(false);
    EXPECT_FALSE(client.link.Execute());
    EXPECT_EQ(runs, 1);
    // A client that unlinks stops hearing of changes.
    client.link.SetAction(nullptr);
    const size_t seen = client.changes.size();
    action.SetCaption(QStringLiteral("x"));
    EXPECT_EQ(client.changes.size(), seen);
}

TEST_F(Actions, TheListKnowsItsActionsAndTellsThemOfItsImages)
{
    auto* list = new TActionList(nullptr);
    TAction a(nullptr), b(nullptr);
    a.SetActionList(list);
    b.SetActionList(list);
    ASSERT_EQ(list->ActionCount(), 2);
    TClient client;
    client.link.SetAction(&a);
    TImageList images(16, 16);
    list->SetImages(&images);
    EXPECT_EQ(client.changes.size(), 2u) << "a new image list reaches the clients";
    b.SetActionList(nullptr);
    EXPECT_EQ(list->ActionCount(), 1);
    delete list;
    EXPECT_EQ(a.ActionList(), nullptr);
}

TEST_F(Actions, StoredFormsNameActionsAndTheirLists)
{
    auto* form = NewForm<TForm>(Application);
    ReadComponentText(form, QByteArray(R"(object F: TForm
  object ActionList1: TActionList
  end
  object Action1: TAction
    Caption = 'Read &All'
    Enabled = False
    Hint = 'Reads every parameter'
    ImageIndex = 2
    ActionList = ActionList1
  end
end
)"),
                      QStringLiteral("actions.dfm"));
    auto* action = dynamic_cast<TAction*>(form->FindComponent(QStringLiteral("Action1")));
    auto* list = dynamic_cast<TActionList*>(form->FindComponent(QStringLiteral("ActionList1")));
    ASSERT_NE(action, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(action->Caption(), QStringLiteral("Read &All"));
    EXPECT_FALSE(action->Enabled());
    EXPECT_EQ(action->Hint(), QStringLiteral("Reads every parameter"));
    EXPECT_EQ(action->ImageIndex(), 2);
    EXPECT_EQ(action->ActionList(), list);
    EXPECT_EQ(list->ActionCount(), 1);
    delete form;
}
