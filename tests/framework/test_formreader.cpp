// The form reader: stored definitions become components with their properties, events and
// references, loaded in the framework's order; malformed definitions fail with a clear message.
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/FormReader.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
    Q_PROPERTY(quint8 Level MEMBER level)
    Q_PROPERTY(qint16 Offset MEMBER offset)
    Q_PROPERTY(quint32 Mask MEMBER mask)
    Q_PROPERTY(qint64 Big MEMBER big)
    Q_PROPERTY(float Ratio MEMBER ratio)
public:
    using TComponent::TComponent;
    quint8 level = 0;
    qint16 offset = 0;
    quint32 mask = 0;
    qint64 big = 0;
    float ratio = 0;
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

// Reads Text into a fresh form; the error message, or "" when it read without one.
QString ReadError(const QByteArray& text)
{
    auto* f = new TReaderForm(Application);
    QString message;
    try {
        ReadComponentText(f, text, QStringLiteral("bad.dfm"));
    } catch (const EReadError& e) {
        message = e.Message();
    }
    delete f;
    return message;
}

TEST_F(FormReader, NestingBeyondTheLimitFailsWithTheLineInsteadOfExhaustingTheStack)
{
    // Far deeper than any stack holds when every level recurses.
    const int deep = 200000;
    struct Case {
        const char* what;
        QByteArray text;
    };
    QByteArray lists = "object Main: TReaderForm\n  Caption =\n" + QByteArray(deep, '(');
    QByteArray objects = "object Main: TReaderForm\n";
    for (int i = 0; i < deep; ++i)
        objects += "object P: TPanel\n";
    QByteArray items = "object Main: TReaderForm\n  object Bar: TStatusBar\n    Panels = ";
    for (int i = 0; i < deep; ++i)
        items += "<item X = ";
    const Case cases[] = {{"lists", lists}, {"objects", objects}, {"collection items", items}};
    for (const Case& c : cases) {
        const QString m = ReadError(c.text);
        EXPECT_TRUE(m.contains(QStringLiteral("nested deeper than %1 levels").arg(FormReaderMaxNesting))) << c.what << ": " << m.toStdString();
        EXPECT_TRUE(m.contains(QLatin1String("bad.dfm (line "))) << c.what << ": " << m.toStdString();
    }
    // The line named is the one that opens the level too many.
    QByteArray named = "object Main: TReaderForm\n  Caption =\n";
    for (int i = 0; i < FormReaderMaxNesting + 5; ++i)
        named += "(\n";
    const QString m = ReadError(named);
    EXPECT_TRUE(m.contains(QStringLiteral("(line %1)").arg(2 + FormReaderMaxNesting))) << m.toStdString();
}

TEST_F(FormReader, NestingUpToTheLimitReads)
{
    // Objects nested to the limit: the root and FormReaderMaxNesting - 1 panels inside each other.
    QByteArray text = "object Main: TReaderForm\n";
    for (int i = 1; i < FormReaderMaxNesting; ++i)
        text += "object P" + QByteArray::number(i) + ": TPanel\n";
    for (int i = 0; i < FormReaderMaxNesting; ++i)
        text += "end\n";
    Read(text.constData());
    auto* deepest = dynamic_cast<TPanel*>(form->FindComponent(QStringLiteral("P%1").arg(FormReaderMaxNesting - 1)));
    ASSERT_NE(deepest, nullptr);
    int depth = 0;
    for (TControl* c = deepest; c; c = c->Parent())
        ++depth;
    EXPECT_EQ(depth, FormReaderMaxNesting);
}

TEST_F(FormReader, FileReferencesReadOnlyTheProgramsResources)
{
    // The picture of the main window is a resource.
    Read("object Main: TReaderForm\n  object Img: TImage\n    Picture.Data = file 'img2.jpg'\n  end\nend\n");
    auto* img = dynamic_cast<TImage*>(form->FindComponent(QStringLiteral("Img")));
    ASSERT_NE(img, nullptr);
    EXPECT_GT(img->Picture()->Width(), 0);
    delete form;
    form = nullptr;

    // Nothing outside them: real files by absolute and relative path, devices, FIFOs, and names
    // that climb out of the pictures folder.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile src(QStringLiteral(":/pictures/img2.jpg"));
    ASSERT_TRUE(src.open(QIODevice::ReadOnly));
    const QByteArray jpeg = src.readAll();
    QFile outside(dir.filePath(QStringLiteral("outside.jpg")));
    ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
    outside.write(jpeg);
    outside.close();
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const QString names[] = {outside.fileName(), QStringLiteral("outside.jpg"), QStringLiteral("./outside.jpg"),
                             QStringLiteral("/dev/null"), fifo, QStringLiteral("../forms/FormMain.dfm"),
                             QStringLiteral(".."), QStringLiteral(""), QStringLiteral("no-such.jpg")};
    for (const QString& name : names) {
        const QString m = ReadError("object Main: TReaderForm\n  object Img: TImage\n    Picture.Data = file '" +
                                    name.toUtf8() + "'\n  end\nend\n");
        EXPECT_TRUE(m.contains(QStringLiteral("File '%1' not found in the program's resources").arg(name)))
            << name.toStdString() << ": " << m.toStdString();
        EXPECT_TRUE(m.contains(QLatin1String("(line 3)"))) << m.toStdString();
    }
    QDir::setCurrent(cwd);
}

TEST_F(FormReader, IntegersMustFitTheirProperty)
{
    struct Case {
        const char* prop;
        const char* value;
        bool fits;
    };
    const Case cases[] = {
        {"Value", "2147483647", true},
        {"Value", "-2147483648", true},
        {"Value", "2147483648", false},
        {"Value", "-2147483649", false},
        {"Value", "1099511627776", false},   // 2^40
        {"Value", "4294967301", false},      // 2^32 + 5 would wrap to 5
        {"Value", "$FFFFFFFF", true},        // hexadecimal: the 32 bits as two's complement
        {"Value", "$100000000", false},
        {"Level", "255", true},
        {"Level", "256", false},
        {"Level", "-1", false},
        {"Level", "$FF", true},
        {"Level", "$1FF", false},
        {"Offset", "-32768", true},
        {"Offset", "32768", false},
        {"Offset", "$FFFF", true},
        {"Mask", "4294967295", true},
        {"Mask", "-1", false},
        {"Mask", "4294967296", false},
        {"Big", "-9223372036854775808", true},
        {"Big", "$FFFFFFFFFFFFFFFF", true},
        {"Ratio", "1.5", true},
        {"Ratio", "1e300", false},
    };
    for (const Case& c : cases) {
        const QByteArray text = QByteArray("object Main: TReaderForm\n  object P: TProbe\n    ") + c.prop + " = " +
                                c.value + "\n  end\nend\n";
        const QString m = ReadError(text);
        if (c.fits) {
            EXPECT_TRUE(m.isEmpty()) << c.prop << " = " << c.value << ": " << m.toStdString();
        } else {
            EXPECT_TRUE(m.contains(QLatin1String("out of range"))) << c.prop << " = " << c.value << ": " << m.toStdString();
            EXPECT_TRUE(m.contains(QLatin1String("(line 3)"))) << m.toStdString();
        }
    }
    // The values that fit arrive unchanged.
    Read("object Main: TReaderForm\n  object P: TProbe\n    Value = $FFFFFFFF\n    Level = 255\n    Offset = $FFFF\n"
         "    Big = $FFFFFFFFFFFFFFFF\n  end\nend\n");
    auto* probe = dynamic_cast<TProbe*>(form->FindComponent(QStringLiteral("P")));
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(probe->Value(), -1);
    EXPECT_EQ(probe->level, 255);
    EXPECT_EQ(probe->offset, -1);
    EXPECT_EQ(probe->big, -1);
}

TEST_F(FormReader, IntegersMustFitTheFrameworksOwnProperties)
{
    struct Case {
        const char* line;
        bool fits;
    };
    const Case cases[] = {
        {"ClientWidth = 1099511627776", false},
        {"Font.Height = 4294967285", false},       // -11 after wrapping
        {"Font.Size = -2147483649", false},
        {"Font.Color = $FF00000F", true},          // clBtnFace written in hexadecimal
        {"Font.Color = $1FF00000F", false},
        {"Font.Charset = 255", true},
        {"Font.Charset = 256", false},
        {"Font.Pitch = 3", false},
        {"Constraints.MinWidth = 4294967306", false},
        {"BorderStyle = 1", true},
        {"BorderStyle = 4294967297", false},
        {"BorderStyle = 99", false},
        {"Color = $FF00000F", true},
        {"Color = -16777201", true},
        {"Color = 4278190095", false},              // decimals keep to the signed range
        {"Color = 8589934591", false},
    };
    for (const Case& c : cases) {
        const QString m = ReadError(QByteArray("object Main: TReaderForm\n  ") + c.line + "\nend\n");
        if (c.fits) {
            EXPECT_TRUE(m.isEmpty()) << c.line << ": " << m.toStdString();
        } else {
            EXPECT_TRUE(m.contains(QLatin1String("out of range"))) << c.line << ": " << m.toStdString();
            EXPECT_TRUE(m.contains(QLatin1String("(line 2)"))) << m.toStdString();
        }
    }
}

TEST_F(FormReader, MissingResourceRaisesResourceNotFound)
{
    form = new TReaderForm(Application);
    EXPECT_THROW(ReadComponentResource(form, QStringLiteral(":/forms/NoSuchForm.dfm")), EResNotFound);
}

#include "test_formreader.moc"
