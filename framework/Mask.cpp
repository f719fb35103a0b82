#include "framework/Mask.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

// ---------------------------------------------------------------------------------------------
// TEditMask

namespace {

bool IsAsciiLetter(QChar c) { return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')); }
bool IsAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// The mask field ends at the first ';' that no '\' escapes; the other two fields follow.
void SplitFields(const String& EditMask, String& Mask, String& Save, String& Blank)
{
    int i = 0;
    const int n = int(EditMask.size());
    while (i < n && EditMask.at(i) != QLatin1Char(';')) {
        if (EditMask.at(i) == QLatin1Char('\\') && i + 1 < n)
            ++i;
        ++i;
    }
    Mask = EditMask.left(i);
    if (i >= n)
        return;
    const QStringList rest = EditMask.mid(i + 1).split(QLatin1Char(';'));
    Save = rest.value(0);
    Blank = rest.value(1);
}

}  // namespace

TEditMask::TEditMask(const String& EditMask, const TFormatSettings& Settings)
{
    String mask, save, blank;
    SplitFields(EditMask, mask, save, blank);
    if (!save.isEmpty())
        FSaveLiterals = save.at(0) != QLatin1Char('0');
    if (!blank.isEmpty())
        FBlank = blank.at(0);

    TCase caseMode = NoCase;
    auto literal = [this](QChar c) {
        TPosition p;
        p.Kind = Literal;
        p.Char = c;
        FPositions.push_back(p);
    };
    auto input = [this, &caseMode](TKind kind, bool required) {
        TPosition p;
        p.Kind = kind;
        p.Required = required;
        p.Case = caseMode;
        FPositions.push_back(p);
    };
    const int n = int(mask.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = mask.at(i);
        switch (c.unicode()) {
        case '!': FTrimLeading = true; break;
        case '>':
            if (i + 1 < n && mask.at(i + 1) == QLatin1Char('<')) {
                caseMode = NoCase;
                ++i;
            } else {
                caseMode = Upper;
            }
            break;
        case '<':
            if (i + 1 < n && mask.at(i + 1) == QLatin1Char('>')) {
                caseMode = NoCase;
                ++i;
            } else {
                caseMode = Lower;
            }
            break;
        case '\\':
            if (i + 1 < n)
                literal(mask.at(++i));
            break;
        case 'L': input(Letter, true); break;
        case 'l': input(Letter, false); break;
        case 'A': input(LetterOrDigit, true); break;
        case 'a': input(LetterOrDigit, false); break;
        case 'C': input(AnyChar, true); break;
        case 'c': input(AnyChar, false); break;
        case '0': input(Digit, true); break;
        case '9': input(Digit, false); break;
        case '#': input(DigitOrSign, false); break;
        case ':': literal(Settings.TimeSeparator); break;
        case '/': literal(Settings.DateSeparator); break;
        case '_': literal(QLatin1Char(' ')); break;
        default: literal(c); break;
        }
    }
}

QChar TEditMask::Accept(int Pos, QChar Ch) const
{
    if (Pos < 0 || Pos >= Length())
        return QChar();
    const TPosition& p = FPositions[size_t(Pos)];
    if (Ch.unicode() < 32 || Ch.unicode() > 126)
        return QChar();
    bool ok = false;
    switch (p.Kind) {
    case Literal: return QChar();
    case Letter: ok = IsAsciiLetter(Ch); break;
    case LetterOrDigit: ok = IsAsciiLetter(Ch) || IsAsciiDigit(Ch); break;
    case AnyChar: ok = true; break;
    case Digit: ok = IsAsciiDigit(Ch); break;
    case DigitOrSign: ok = IsAsciiDigit(Ch) || Ch == QLatin1Char('+') || Ch == QLatin1Char('-'); break;
    }
    if (!ok)
        return QChar();
    if (p.Case == Upper)
        return Ch.toUpper();
    if (p.Case == Lower)
        return Ch.toLower();
    return Ch;
}

int TEditMask::NextInput(int Pos) const
{
    for (int p = std::max(Pos, 0); p < Length(); ++p)
        if (FPositions[size_t(p)].Kind != Literal)
            return p;
    return Length();
}

int TEditMask::PrevInput(int Pos) const
{
    for (int p = std::min(Pos, Length()) - 1; p >= 0; --p)
        if (FPositions[size_t(p)].Kind != Literal)
            return p;
    return -1;
}

String TEditMask::EmptyEditText() const
{
    String s;
    s.reserve(Length());
    for (const TPosition& p : FPositions)
        s += p.Kind == Literal ? p.Char : FBlank;
    return s;
}

String TEditMask::Normalize(const String& EditText) const
{
    if (!IsMasked())
        return EditText;
    bool valid = EditText.size() == Length();
    for (int i = 0; valid && i < Length(); ++i) {
        const TPosition& p = FPositions[size_t(i)];
        const QChar c = EditText.at(i);
        valid = p.Kind == Literal ? c == p.Char : (c == FBlank || Accept(i, c) == c);
    }
    return valid ? EditText : FormatText(EditText);
}

String TEditMask::FormatText(const String& Text) const
{
    if (!IsMasked())
        return Text;
    String out = EmptyEditText();
    int j = 0;
    for (int pos = 0; pos < Length() && j < Text.size(); ++pos) {
        const TPosition& p = FPositions[size_t(pos)];
        if (p.Kind == Literal) {
            if (Text.at(j) == p.Char)
                ++j;
            continue;
        }
        const QChar a = Accept(pos, Text.at(j++));
        if (!a.isNull())
            out[pos] = a;
    }
    return out;
}

String TEditMask::TextOf(const String& EditText) const
{
    if (!IsMasked())
        return EditText;
    String r;
    r.reserve(Length());
    for (int pos = 0; pos < Length(); ++pos) {
        const TPosition& p = FPositions[size_t(pos)];
        if (p.Kind == Literal) {
            if (FSaveLiterals)
                r += p.Char;
            continue;
        }
        const QChar c = pos < EditText.size() ? EditText.at(pos) : FBlank;
        r += c == FBlank ? QLatin1Char(' ') : c;
    }
    int from = 0;
    int to = int(r.size());
    if (FTrimLeading) {
        while (from < to && r.at(from) == QLatin1Char(' '))
            ++from;
    } else {
        while (to > from && r.at(to - 1) == QLatin1Char(' '))
            --to;
    }
    return r.mid(from, to - from);
}

bool TEditMask::IsFilled(const String& EditText, int Pos) const
{
    if (Pos >= EditText.size())
        return false;
    const QChar c = EditText.at(Pos);
    return c != FBlank && c != QLatin1Char(' ');
}

bool TEditMask::IsComplete(const String& EditText, int* FirstMissing) const
{
    for (int pos = 0; pos < Length(); ++pos) {
        const TPosition& p = FPositions[size_t(pos)];
        if (p.Kind != Literal && p.Required && !IsFilled(EditText, pos)) {
            if (FirstMissing)
                *FirstMissing = pos;
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// TCustomMaskEdit

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::SetEditMask(const String& Value)
{
    const String text = Text();
    FEditMask = Value;
    FMask = TEditMask(Value);
    TCustomEdit::SetTextValue(FMask.FormatText(text));
    SetModified(false);
    FOldEditText = EditText();
    Invalidate();
}

String TCustomMaskEdit::EditText() const { return TCustomEdit::GetText(); }

void TCustomMaskEdit::SetEditText(const String& Value)
{
    if (!IsMasked()) {
        SetText(Value);
        return;
    }
    // Cut or padded to the mask's length, literals in their places.
    String s = FMask.EmptyEditText();
    for (int i = 0; i < FMask.Length() && i < Value.size(); ++i)
        if (!FMask.IsLiteral(i))
            s[i] = Value.at(i);
    if (s == EditText())
        return;
    TCustomEdit::SetTextValue(s);
    SetModified(false);
    FOldEditText = s;
    Perform(CM_TEXTCHANGED);
}

String TCustomMaskEdit::GetText() const
{
    const String raw = TCustomEdit::GetText();
    return IsMasked() ? FMask.TextOf(raw) : raw;
}

void TCustomMaskEdit::SetTextValue(const String& Value)
{
    TCustomEdit::SetTextValue(IsMasked() ? FMask.FormatText(Value) : Value);
    // A text the program sets is where Escape goes back to.
    SetModified(false);
    FOldEditText = EditText();
}

void TCustomMaskEdit::Change()
{
    if (IsMasked() && !FNormalizing) {
        const String raw = EditText();
        const String fixed = FMask.Normalize(raw);
        if (fixed != raw) {
            // Put it into the mask's form; that change reports itself.
            QLineEdit* e = Edit();
            const int caret = e ? e->cursorPosition() : 0;
            FNormalizing = true;
            struct Done {
                bool& flag;
                ~Done() { flag = false; }
            } done{FNormalizing};
            TCustomEdit::SetTextValue(fixed);
            if (e)
                e->setCursorPosition(std::min(caret, int(fixed.size())));
            return;
        }
    }
    TCustomEdit::Change();
}

bool TCustomMaskEdit::Selection(int& Start, int& End) const
{
    QLineEdit* e = Edit();
    if (!e || !e->hasSelectedText())
        return false;
    Start = e->selectionStart();
    End = Start + int(e->selectedText().size());
    return true;
}

void TCustomMaskEdit::BlankRange(String& S, int Start, int End) const
{
    for (int i = std::max(Start, 0); i < End && i < S.size(); ++i)
        if (!FMask.IsLiteral(i))
            S[i] = FMask.Blank();
}

bool TCustomMaskEdit::TypeChar(String& S, int& Caret, QChar Ch) const
{
    const int next = FMask.NextInput(Caret);
    // The literal the caret has just stepped over, typed: taken as it is.
    for (int q = std::min(Caret, FMask.Length()) - 1; q >= 0 && FMask.IsLiteral(q); --q)
        if (FMask.Position(q).Char == Ch)
            return true;
    // A literal typed between the caret and the next input position: step past it.
    for (int q = std::max(Caret, 0); q < next; ++q) {
        if (FMask.Position(q).Char == Ch) {
            Caret = q + 1;
            return true;
        }
    }
    QChar put = FMask.Accept(next, Ch);
    if (put.isNull() && next < FMask.Length() && Ch == QLatin1Char(' ') && !FMask.Position(next).Required)
        put = FMask.Blank();  // a space leaves an optional position empty
    if (put.isNull()) {
        // A literal typed ahead of its place: the caret moves past it.
        for (int q = next; q < FMask.Length(); ++q) {
            if (FMask.IsLiteral(q) && FMask.Position(q).Char == Ch) {
                Caret = q + 1;
                return true;
            }
        }
        return false;
    }
    S[next] = put;
    Caret = FMask.NextInput(next + 1);
    return true;
}

void TCustomMaskEdit::PutEditText(const String& Value, int Caret)
{
    TCustomEdit::SetTextValue(Value);
    if (QLineEdit* e = Edit())
        e->setCursorPosition(std::clamp(Caret, 0, int(Value.size())));
    SetModified(true);
}

void TCustomMaskEdit::DeleteKeys(WORD Key)
{
    QLineEdit* e = Edit();
    if (!e)
        return;
    String s = FMask.Normalize(EditText());
    int caret = e->cursorPosition();
    int a = 0, b = 0;
    if (Selection(a, b)) {
        BlankRange(s, a, b);
        caret = a;
    } else if (Key == VK_BACK) {
        const int p = FMask.PrevInput(caret);
        if (p < 0)
            return;
        s[p] = FMask.Blank();
        caret = p;
    } else {
        const int p = FMask.NextInput(caret);
        if (p >= FMask.Length())
            return;
        s[p] = FMask.Blank();
        caret = p;
    }
    PutEditText(s, caret);
}

void TCustomMaskEdit::PasteText(const String& Clip)
{
    QLineEdit* e = Edit();
    if (!e)
        return;
    String s = FMask.Normalize(EditText());
    int caret = e->cursorPosition();
    int a = 0, b = 0;
    if (Selection(a, b)) {
        BlankRange(s, a, b);
        caret = a;
    }
    for (QChar c : Clip) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            break;
        TypeChar(s, caret, c);  // characters the mask refuses are left out
    }
    PutEditText(s, caret);
}

void TCustomMaskEdit::KeyDown(WORD& Key, TShiftState Shift)
{
    TCustomEdit::KeyDown(Key, Shift);
    if (!IsMasked() || Key == 0 || (Shift & ssAlt))
        return;
    if ((Key == VK_DELETE && !(Shift & (ssShift | ssCtrl))) || Key == VK_BACK) {
        if (!ReadOnly())
            DeleteKeys(Key);
        Key = 0;
    }
}

void TCustomMaskEdit::KeyPress(char& Key)
{
    TCustomEdit::KeyPress(Key);
    // Ctrl+C, Ctrl+V and Ctrl+X go on to the edit window, which copies, or sends WM_PASTE / WM_CUT.
    if (!IsMasked() || Key == 0 || Key == 0x03 || Key == 0x16 || Key == 0x18)
        return;
    const uint8_t k = uint8_t(Key);
    Key = 0;
    if (k == 27) {
        Reset();
        return;
    }
    if (k < 32 || ReadOnly())
        return;
    QLineEdit* e = Edit();
    if (!e)
        return;
    String s = FMask.Normalize(EditText());
    int caret = e->cursorPosition();
    int a = 0, b = 0;
    if (Selection(a, b)) {
        BlankRange(s, a, b);
        caret = a;
    }
    if (!TypeChar(s, caret, QChar(k))) {
        MessageBeep(0);
        return;
    }
    PutEditText(s, caret);
}

void TCustomMaskEdit::ValidateEdit()
{
    if (!IsMasked() || !Modified())
        return;
    int missing = 0;
    if (FMask.IsComplete(EditText(), &missing))
        return;
    // Back to the box, the caret on the first position to fill. The focus moves once the focus
    // change under way is over.
    if (!(ComponentState() & csDesigning)) {
        QPointer<QWidget> w = Widget();
        QTimer::singleShot(0, w, [w, missing] {
            auto* e = qobject_cast<QLineEdit*>(w.data());
            if (!e)
                return;
            e->setFocus(Qt::OtherFocusReason);
            e->setCursorPosition(missing);
        });
    }
    if (QLineEdit* e = Edit())
        e->setCursorPosition(missing);
    MessageBeep(0);
    throw EDBEditError(QStringLiteral("Invalid input value.  Use escape key to abandon changes"));
}

void TCustomMaskEdit::Reset()
{
    if (!Modified())
        return;
    TCustomEdit::SetTextValue(FOldEditText);
    SetModified(false);
}

void TCustomMaskEdit::Dispatch(TMessage& Message)
{
    if (!IsMasked()) {
        if (Message.Msg == CM_ENTER)
            FOldEditText = EditText();
        TCustomEdit::Dispatch(Message);
        return;
    }
    QLineEdit* e = Edit();
    switch (Message.Msg) {
    case WM_CUT: {
        int a = 0, b = 0;
        if (!e || ReadOnly() || !Selection(a, b))
            return;
        e->copy();
        String s = FMask.Normalize(EditText());
        BlankRange(s, a, b);
        PutEditText(s, a);
        return;
    }
    case WM_CLEAR: {
        int a = 0, b = 0;
        if (e && !ReadOnly() && Selection(a, b))
            DeleteKeys(VK_DELETE);
        return;
    }
    case WM_PASTE:
        if (e && !ReadOnly())
            PasteText(QApplication::clipboard()->text());
        return;
    case WM_UNDO:
        Reset();
        return;
    case CM_ENTER:
        FOldEditText = EditText();
        break;
    case CM_EXIT:
        ValidateEdit();
        break;
    default:
        break;
    }
    TCustomEdit::Dispatch(Message);
}
