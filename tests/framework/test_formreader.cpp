// The form reader: stored definitions become components with their properties, events and
// references, loaded in the framework's order; malformed definitions fail with a clear message.
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/FormReader.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <gtest/gtest.h>

namespace {

// A form that records what happens while its definition is read.
class TReaderForm : public TForm {
    Q_OBJECT
public:
    explicit TReaderForm(TComponent* owner) : TForm(owner)
    {
        RegisterMethod("ButtonClick", &TReaderForm::ButtonClick);
        RegisterMethod("EditKeyPress", &TReaderForm::EditKeyPress);
    }
    void ButtonClick(TObject*) { ++clicks; }
    void EditKeyPress(TObject*, char& key) { key = 0; }
    int clicks = 0;
};

// Remembers whether csLoading was set while its properties were read and when Loaded ran.
class TProbe : public TComponent {
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE SetValue)
    Q_PROPERTY(TComponent* Buddy READ Buddy WRITE SetBuddy)
public:
    using TComponent::TComponent;
    int Value() const { return FValue; }
    void SetValue(int v)
    {
        FValue = v;
        loadingWhenSet = ComponentState() & csLoading;
    }
    TComponent* Buddy() const { return FBuddy; }
    void SetBuddy(TComponent* b) { FBuddy = b; }
    void Loaded() override
    {
        TComponent::Loaded();
        loadedOrder.push_back(Name());
    }
    bool loadingWhenSet = false;
    static QStringList loadedOrder;

private:
    int FValue = 0;
    TComponent* FBuddy = nullptr;
};
QStringList TProbe::loadedOrder;

class FormReader : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Application) {
            new TApplication;
            Application->Initialize();
        }
        RegisterClass<TProbe>("TProbe");
    }
    void TearDown() override { delete form; }
    void Read(const char* text)
    {
        form = new TReaderForm(Application);
        ReadComponentText(form, QByteArray(text), QStringLiteral("test.dfm"));
    }
    TReaderForm* form = nullptr;
};

}  // namespace

TEST_F(FormReader, BuildsTheComponentTreeWithPropertiesInStoredOrder)
{
    Read(R"(object Main: TReaderForm
  Caption = 'Reader ' + 'test' + #33
  ClientWidth = 300
  ClientHeight = 200
  Font.Name = 'Tahoma'
  Font.Style = [fsBold]
  Font.Color = clRed
  object Panel1: TPanel
    Left = 10
    Top = 20
    Width = 200
    Height = 100
    Color = $00FBFBFB
    BevelOuter = bvNone
    object Combo: TComboBox
      ItemIndex = 2
      Style = csDropDownList
      Items.Strings = (
        'one'
        'two'
        'three')
    end
    object Lbl: TLabel
      Caption = 'It''s'
    end
  end
  object Bar: TStatusBar
    Panels = <
      item
        Width = 120
      end
      item
        Alignment = taCenter
        Width = 160
        Text = 'mid'
      end>
  end
end
)");
    EXPECT_EQ(form->Name(), QStringLiteral("Main"));
    EXPECT_EQ(form->Caption(), QStringLiteral("Reader test!"));
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(form->Font()->Name(), QStringLiteral("Tahoma"));
    EXPECT_EQ(form->Font()->Style(), fsBold);
    EXPECT_EQ(form->Font()->Color(), clRed);

    auto* panel = dynamic_cast<TPanel*>(form->FindComponent(QStringLiteral("Panel1")));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Parent(), form);
    EXPECT_EQ(panel->Owner(), form);
    EXPECT_EQ(panel->BoundsRect(), Bounds(10, 20, 200, 100));
    EXPECT_EQ(panel->Color(), 0xFBFBFB);
    EXPECT_EQ(panel->BevelOuter(), bvNone);
    // Children inherit the parent's font until they set their own.
    EXPECT_EQ(panel->Font()->Name(), QStringLiteral("Tahoma"));

    auto* combo = dynamic_cast<TComboBox*>(form->FindComponent(QStringLiteral("Combo")));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->Parent(), panel);
    // The stored index precedes the stored items and still selects "three".
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), QStringLiteral("three"));

    auto* lbl = dynamic_cast<TLabel*>(form->FindComponent(QStringLiteral("Lbl")));
    ASSERT_NE(lbl, nullptr);
    EXPECT_EQ(lbl->Caption(), QStringLiteral("It's"));

    auto* bar = dynamic_cast<TStatusBar*>(form->FindComponent(QStringLiteral("Bar")));
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->Panels()->Count(), 2);
    EXPECT_EQ(bar->Panels()->Items(0)->Width(), 120);
    EXPECT_EQ(bar->Panels()->Items(1)->Alignment(), taCenter);
    EXPECT_EQ(bar->Panels()->Items(1)->Text(), QStringLiteral("mid"));
}

TEST_F(FormReader, BindsEventsToTheRootsMethodsAndResolvesReferencesAtTheEnd)
{
    TProbe::loadedOrder.clear();
    Read(R"(object Main: TReaderForm
  object First: TProbe
    Value = 7
    Buddy = Second
  end
  object Second: TProbe
    Buddy = Main
  end
  object Btn: TButton
    OnClick = ButtonClick
  end
  object Ed: TEdit
    OnKeyPress = EditKeyPress
  end
end
)");
    auto* first = dynamic_cast<TProbe*>(form->FindComponent(QStringLiteral("First")));
    auto* second = dynamic_cast<TProbe*>(form->FindComponent(QStringLiteral("Second")));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->Value(), 7);
    EXPECT_TRUE(first->loadingWhenSet);
    // A reference to a component stored later is resolved once everything exists.
    EXPECT_EQ(first->Buddy(), second);
    EXPECT_EQ(second->Buddy(), form);
    // Loaded runs for every component in creation order, after all were read.
    EXPECT_EQ(TProbe::loadedOrder, (QStringList{QStringLiteral("First"), QStringLiteral("Second")}));
    EXPECT_FALSE(first->ComponentState() & csLoading);

    auto* btn = dynamic_cast<TButton*>(form->FindComponent(QStringLiteral("Btn")));
    ASSERT_NE(btn, nullptr);
    btn->Click();
    EXPECT_EQ(form->clicks, 1);
    auto* ed = dynamic_cast<TEdit*>(form->FindComponent(QStringLiteral("Ed")));
    ASSERT_NE(ed, nullptr);
    char key = 'x';
    ed->OnKeyPress(ed, key);
    EXPECT_EQ(key, 0);
}

TEST_F(FormReader, TabOrderFollowsTheStoredValuesNotTheCreationOrder)
{
    Read(R"(object Main: TReaderForm
  object C: TEdit
    TabOrder = 2
  end
  object A: TEdit
    TabOrder = 0
  end
  object B: TEdit
    TabOrder = 1
  end
end
)");
    for (const char* n : {"A", "B", "C"}) {
        auto* e = dynamic_cast<TWinControl*>(form->FindComponent(QString::fromLatin1(n)));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->TabOrder(), n[0] - 'A') << n;
    }
}

TEST_F(FormReader, MalformedDefinitionsFailWithTheirLineAndReason)
{
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"object Main: TReaderForm\n  object X: TNoSuchClass\n  end\nend\n", "Class TNoSuchClass not found"},
        {"object Main: TReaderForm\n  NoSuchProperty = 1\nend\n", "Property does not exist"},
        {"object Main: TReaderForm\n  object B: TButton\n    OnClick = Missing\n  end\nend\n", "Method Missing not found"},
        {"object Main: TReaderForm\n  object B: TButton\n    OnClick = EditKeyPress\n  end\nend\n",
         "does not fit the event"},
        {"object Main: TReaderForm\n  object P: TProbe\n    Buddy = Nobody\n  end\nend\n", "Component Nobody not found"},
        {"object Main: TReaderForm\n  Caption = 'unterminated\nend\n", "Unterminated string"},
        {"object Main: TReaderForm\n  ClientWidth = 'text'\nend\n", "Invalid property value"},
        {"object Main: TReaderForm\n  object P: TPanel\n", "'end' expected"},
        {"object Main: TReaderForm\n  BorderStyle = bsNoSuchStyle\nend\n", "Invalid property value"},
    };
    for (const Case& c : cases) {
        auto* f = new TReaderForm(Application);
        try {
            ReadComponentText(f, QByteArray(c.text), QStringLiteral("bad.dfm"));
            ADD_FAILURE() << "no error for: " << c.text;
        } catch (const EReadError& e) {
            EXPECT_TRUE(e.Message().contains(QLatin1String(c.expected))) << e.Message().toStdString();
            EXPECT_TRUE(e.Message().contains(QLatin1String("bad.dfm (line"))) << e.Message().toStdString();
        }
        delete f;
    }
}

TEST_F(FormReader, MissingResourceRaisesResourceNotFound)
{
    form = new TReaderForm(Application);
    EXPECT_THROW(ReadComponentResource(form, QStringLiteral(":/forms/NoSuchForm.dfm")), EResNotFound);
}

#include "test_formreader.moc"
