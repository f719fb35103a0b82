// Edit masks: what each mask position takes, how Text and the shown edit text map onto each other,
// and the masked edit box driven by real keys: overwrite typing, literals skipped, Backspace and
// Delete blanking, pastes through the mask, the required-position check on leaving, Escape.
#include "framework/Forms.h"
#include "framework/Mask.h"
#include "testsupport/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::WaitFor;

// Failures show texts as texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

// ---------------------------------------------------------------------------------------------
// The mask alone

TEST(EditMask, ParsesFieldsDirectivesAndLiterals)
{
    const TEditMask none(QString{});
    EXPECT_FALSE(none.IsMasked());
    EXPECT_EQ(none.FormatText(QStringLiteral("abc")), "abc");
    EXPECT_EQ(none.TextOf(QStringLiteral("abc")), "abc");

    const TEditMask m(QStringLiteral("!>L0;1;_"));
    ASSERT_TRUE(m.IsMasked());
    EXPECT_EQ(m.Length(), 2);  // '!' and '>' take no position
    EXPECT_TRUE(m.SaveLiterals());
    EXPECT_TRUE(m.TrimLeading());
    EXPECT_EQ(m.Blank(), QLatin1Char('_'));
    EXPECT_EQ(m.EmptyEditText(), "__");

    // Literal kinds: escaped mask characters, separators from the settings, '_' as a space, and
    // an escaped ';' that does not end the mask field.
    TFormatSettings fs;
    fs.TimeSeparator = QLatin1Char('.');
    fs.DateSeparator = QLatin1Char('-');
    const TEditMask lit(QStringLiteral("\\0\\;00:00/_x;0;*"), fs);
    EXPECT_EQ(lit.EmptyEditText(), "0;**.**- x");
    EXPECT_FALSE(lit.SaveLiterals());
    EXPECT_EQ(lit.Blank(), QLatin1Char('*'));
    EXPECT_TRUE(lit.IsLiteral(0));
    EXPECT_FALSE(lit.IsLiteral(2));
    EXPECT_EQ(lit.NextInput(0), 2);
    EXPECT_EQ(lit.NextInput(4), 5);
    EXPECT_EQ(lit.NextInput(7), lit.Length());
    EXPECT_EQ(lit.PrevInput(5), 3);
    EXPECT_EQ(lit.PrevInput(2), -1);

    // Missing fields: literals saved, '_' as blank.
    const TEditMask plain(QStringLiteral("00"));
    EXPECT_TRUE(plain.SaveLiterals());
    EXPECT_EQ(plain.Blank(), QLatin1Char('_'));
}

TEST(EditMask, EachPositionTakesItsCharacters)
{
    struct Case {
        const char* mask;
        char key;
        char stored;  // 0: refused
    };
    const Case cases[] = {
        {"L", 'a', 'a'},  {"L", 'Z', 'Z'},  {"L", '5', 0},   {"L", ' ', 0},   {"l", 'q', 'q'},  {"l", '-', 0},
        {"A", 'x', 'x'},  {"A", '7', '7'},  {"A", '_', 0},   {"a", '!', 0},   {"C", '!', '!'},  {"C", ' ', ' '},
        {"c", '~', '~'},  {"0", '0', '0'},  {"0", '9', '9'}, {"0", 'a', 0},   {"0", '+', 0},    {"9", '4', '4'},
        {"9", '-', 0},    {"#", '+', '+'},  {"#", '-', '-'}, {"#", '3', '3'}, {"#", 'e', 0},    {">L", 'b', 'B'},
        {"<L", 'Q', 'q'}, {"><L", 'q', 'q'}, {"<>L", 'Q', 'Q'}, {">0", '5', '5'}, {"C", '\x7f', 0}, {"C", '\x01', 0},
        {"x", 'x', 0},    {"\\L", 'L', 0},
    };
    for (const Case& c : cases) {
        const TEditMask m(QString::fromLatin1(c.mask));
        const QChar got = m.Accept(0, QLatin1Char(c.key));
        if (c.stored)
            EXPECT_EQ(got, QLatin1Char(c.stored)) << c.mask << " key " << c.key;
        else
            EXPECT_TRUE(got.isNull()) << c.mask << " key " << c.key;
    }
    // Non-ASCII characters are refused everywhere; positions outside the mask take nothing.
    EXPECT_TRUE(TEditMask(QStringLiteral("C")).Accept(0, QChar(0x00E9)).isNull());
    EXPECT_TRUE(TEditMask(QStringLiteral("C")).Accept(1, QLatin1Char('a')).isNull());
    EXPECT_TRUE(TEditMask(QStringLiteral("C")).Accept(-1, QLatin1Char('a')).isNull());
}

TEST(EditMask, TextAndEditTextMapOntoEachOther)
{
    struct Case {
        const char* mask;
        const char* text;       // assigned Text
        const char* editText;   // what the box shows
        const char* readBack;   // Text read back
    };
    const Case cases[] = {
        // literals saved: Text carries them; a matching literal in the input is taken as it
        {"(000) 000;1;_", "(123) 456", "(123) 456", "(123) 456"},
        {"(000) 000;1;_", "123456", "(123) 456", "(123) 456"},
        // literals not saved: Text is the data alone
        {"(000) 000;0;_", "123456", "(123) 456", "123456"},
        {"(000) 000;0;_", "12", "(12_) ___", "12"},
        // refused characters leave their position blank; too long input is cut
        {"000;0;_", "1x3", "1_3", "1 3"},
        {"000;0;_", "12345", "123", "123"},
        // trailing blanks trimmed, or leading ones with '!'
        {"9999;0;_", "12", "12__", "12"},
        {"!9999;0;_", " 12", "_12_", "12 "},
        // case directives
        {">LL<LL;0;_", "abCD", "ABcd", "ABcd"},
        {"!>L0;1;_", "a5", "A5", "A5"},
        // a space literal ('_' in the mask) and another blank character
        {"00_00;1;*", "12 34", "12 34", "12 34"},
        {"00_00;1;*", "", "** **", ""},
    };
    for (const Case& c : cases) {
        const TEditMask m(QString::fromLatin1(c.mask));
        const QString shown = m.FormatText(QString::fromLatin1(c.text));
        EXPECT_EQ(shown, QString::fromLatin1(c.editText)) << c.mask << " <- '" << c.text << "'";
        EXPECT_EQ(m.TextOf(shown), QString::fromLatin1(c.readBack)) << c.mask << " <- '" << c.text << "'";
    }
}

TEST(EditMask, CompletenessAndNormalizing)
{
    const TEditMask m(QStringLiteral("00-99;1;_"));
    int missing = -1;
    EXPECT_TRUE(m.IsComplete(QStringLiteral("12-__")));
    EXPECT_FALSE(m.IsComplete(QStringLiteral("1_-34"), &missing));
    EXPECT_EQ(missing, 1);
    EXPECT_FALSE(m.IsComplete(QStringLiteral("1"), &missing));
    EXPECT_EQ(missing, 1);

    // A valid edit text stays as it is; a damaged one (shifted by a native delete, or holding a
    // character its position refuses) is put back into the mask's form.
    EXPECT_EQ(m.Normalize(QStringLiteral("12-3_")), "12-3_");
    EXPECT_EQ(m.Normalize(QStringLiteral("1-3_")), "1_-3_");
    EXPECT_EQ(m.Normalize(QStringLiteral("1a-34")), "1_-34");
    EXPECT_EQ(m.Normalize(QStringLiteral("12+34")), "12-_3");
}

// ---------------------------------------------------------------------------------------------
// The masked edit box with real keys

namespace {

class MaskEditTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Application) {
            new TApplication;
            Application->Initialize();
        }
    }
    void SetUp() override
    {
        form = NewForm<TForm>(Application);
        form->SetBounds(0, 0, 300, 120);
        edit = new TMaskEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 120, 22);
        other = new TEdit(form);
        other->SetParent(form);
        other->SetBounds(10, 50, 120, 22);
        form->Show();
        form->Widget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form->Widget()));
        SetBeepHandler([this] { ++beeps; });
        Application->MessageBoxHook = [this](const String& text, const String&, UINT) {
            messages.push_back(text);
            return IDOK;
        };
    }
    void TearDown() override
    {
        Application->MessageBoxHook = nullptr;
        SetBeepHandler(nullptr);
        delete form;
    }
    QLineEdit* Line() const { return qobject_cast<QLineEdit*>(edit->Widget()); }
    void Focus(TWinControl* c)
    {
        c->SetFocus();
        ASSERT_TRUE(WaitFor([c] { return c->Focused(); }));
    }
    void Type(const char* keys) { QTest::keyClicks(edit->Widget(), QString::fromLatin1(keys)); }

    TForm* form = nullptr;
    TMaskEdit* edit = nullptr;
    TEdit* other = nullptr;
    int beeps = 0;
    std::vector<String> messages;
};

}  // namespace

TEST_F(MaskEditTest, TypedKeysGoThroughTheMask)
{
    struct Case {
        const char* mask;
        const char* keys;
        const char* shown;
        const char* text;
        int beeps;
    };
    const Case cases[] = {
        // overwrite typing, literals stepped over
        {"(000) 000;1;_", "123456", "(123) 456", "(123) 456", 0},
        {"(000) 000;0;_", "12345678", "(123) 456", "123456", 2},   // no room: beeps
        // refused characters beep and change nothing
        {"000;1;_", "1a2", "12_", "12", 1},
        {"LL;1;_", "a1b", "ab", "ab", 1},
        // a typed literal moves past it
        {"00:00;1;_", "1:2", "1_:2_", "1 :2", 0},
        {"00:00;1;_", "12:30", "12:30", "12:30", 0},
        // case directives apply to typed letters; a space blanks an optional position
        {">LL;1;_", "ab", "AB", "AB", 0},
        {"9 9;1;_", " 5", "_ 5", "  5", 0},
        {"0 0;1;_", "x5", "5 _", "5", 1},
        // the brief's "!>L0;1;_"
        {"!>L0;1;_", "q7", "Q7", "Q7", 0},
    };
    for (const Case& c : cases) {
        edit->SetEditMask(QString::fromLatin1(c.mask));
        edit->SetText(QString());
        Focus(edit);
        Line()->setCursorPosition(0);
        beeps = 0;
        Type(c.keys);
        EXPECT_EQ(edit->EditText(), QString::fromLatin1(c.shown)) << c.mask << " keys " << c.keys;
        EXPECT_EQ(edit->Text(), QString::fromLatin1(c.text)) << c.mask << " keys " << c.keys;
        EXPECT_EQ(beeps, c.beeps) << c.mask << " keys " << c.keys;
    }
}

TEST_F(MaskEditTest, BackspaceDeleteAndSelectionBlankPositions)
{
    edit->SetEditMask(QStringLiteral("00-00;0;_"));
    edit->SetText(QStringLiteral("1234"));
    EXPECT_EQ(edit->EditText(), "12-34");
    Focus(edit);

    // Backspace after the literal blanks the digit before it; nothing shifts.
    Line()->setCursorPosition(3);
    QTest::keyClick(edit->Widget(), Qt::Key_Backspace);
    EXPECT_EQ(edit->EditText(), "1_-34");
    EXPECT_EQ(Line()->cursorPosition(), 1);

    // Delete blanks the next input position, past the literal.
    Line()->setCursorPosition(2);
    QTest::keyClick(edit->Widget(), Qt::Key_Delete);
    EXPECT_EQ(edit->EditText(), "1_-_4");

    // A selection is blanked and typing starts at its beginning.
    Line()->setSelection(0, 5);
    QTest::keyClick(edit->Widget(), Qt::Key_9);
    EXPECT_EQ(edit->EditText(), "9_-__");
    EXPECT_EQ(edit->Text(), "9");

    // A read-only box takes no typing and no deleting.
    edit->SetReadOnly(true);
    Line()->setCursorPosition(1);
    QTest::keyClick(edit->Widget(), Qt::Key_5);
    QTest::keyClick(edit->Widget(), Qt::Key_Backspace);
    EXPECT_EQ(edit->EditText(), "9_-__");
}

TEST_F(MaskEditTest, PasteAndCutGoThroughTheMask)
{
    edit->SetEditMask(QStringLiteral("000-000;1;_"));
    Focus(edit);
    Line()->setCursorPosition(0);
    QApplication::clipboard()->setText(QStringLiteral("12x3-456789"));
    QTest::keyClick(edit->Widget(), Qt::Key_V, Qt::ControlModifier);
    // 'x' is refused, the '-' is the literal, what does not fit is dropped.
    EXPECT_EQ(edit->EditText(), "123-456");

    Line()->setSelection(1, 3);
    QTest::keyClick(edit->Widget(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "23-");
    EXPECT_EQ(edit->EditText(), "1__-456");
    EXPECT_EQ(edit->Text(), "1  -456");
}

TEST_F(MaskEditTest, LeavingWithARequiredPositionBlankIsRefused)
{
    edit->SetEditMask(QStringLiteral("00-99;1;_"));
    edit->SetText(QStringLiteral("1"));  // set by the program: not checked
    Focus(edit);
    Focus(other);
    EXPECT_TRUE(messages.empty());

    // Changed by the user and still missing a required digit: the message, and the focus returns.
    Focus(edit);
    Line()->setCursorPosition(3);
    Type("5");
    Focus(other);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Invalid input value.  Use escape key to abandon changes.");
    EXPECT_TRUE(WaitFor([this] { return edit->Focused(); }));
    EXPECT_EQ(Line()->cursorPosition(), 1);

    // Complete: leaving is fine.
    Type("2");
    EXPECT_EQ(edit->EditText(), "12-5_");
    Focus(other);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(other->Focused());
}

TEST_F(MaskEditTest, EscapeGivesBackTheTextOfEntering)
{
    edit->SetEditMask(QStringLiteral("0000;1;_"));
    edit->SetText(QStringLiteral("2024"));
    Focus(edit);
    Line()->setCursorPosition(0);
    Type("19");
    EXPECT_EQ(edit->Text(), "1924");
    EXPECT_TRUE(edit->Modified());
    QTest::keyClick(edit->Widget(), Qt::Key_Escape);
    EXPECT_EQ(edit->Text(), "2024");
    EXPECT_FALSE(edit->Modified());
    Focus(other);
    EXPECT_TRUE(messages.empty());
}

TEST_F(MaskEditTest, ChangesBesideTheMaskAreFormedAgain)
{
    edit->SetEditMask(QStringLiteral("00-00;1;_"));
    edit->SetText(QStringLiteral("12-34"));
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    // An edit the mask did not see (the window's own delete, as its context menu does).
    Line()->setCursorPosition(1);
    Line()->del();
    EXPECT_EQ(edit->EditText(), "1_-34");
    EXPECT_EQ(changes, 1);

    // A new mask shows the current Text ("1 -34") through it; no mask makes it a plain box.
    edit->SetEditMask(QStringLiteral("0000;0;_"));
    EXPECT_EQ(edit->EditText(), "1__3");
    edit->SetEditMask(QString());
    EXPECT_EQ(edit->Text(), "1  3");
    Focus(edit);
    Line()->setCursorPosition(1);
    Type("ab");
    EXPECT_EQ(edit->Text(), "1ab  3");
}
