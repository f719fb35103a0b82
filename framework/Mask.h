// Edit masks and the masked edit box.
//
// An edit mask has up to three fields separated by ';', as in "!>L0;1;_":
//   1. the mask proper: one character per position of the edit text (directives take none);
//   2. the save-literals flag: '0' leaves the literals out of Text, anything else (and a missing
//      field) keeps them;
//   3. the blank: the character shown in positions not yet filled ('_' when missing).
//
// Mask characters:
//   L l   a letter, required / optional          0   a digit, required
//   A a   a letter or digit                      9   a digit, optional
//   C c   any character                          #   a digit, '+' or '-', optional
//   >     letters that follow to upper case      <   to lower case      <>  neither
//   !     Text drops leading blanks instead of trailing ones
//   \     the next character is a literal
//   :  /  the time and date separators of FormatSettings (literals)
//   _     a literal space
//   anything else is a literal shown as it is.
//
// Decisions:
// - The edit text always holds one character per mask position: literals, typed characters and
//   the blank for unfilled positions. Typing overwrites; deleting blanks a position, nothing
//   shifts. Text is derived from it: unfilled positions become spaces, literals stay or go by the
//   save-literals flag, and blanks are trimmed at the end (at the start with '!').
// - Only ASCII characters can be typed into a masked position: the control layer hands characters
//   over as bytes, and a byte of a multi-byte character would not be a character.
// - A typed character that equals a literal between the caret and the next input position moves
//   the caret past that literal, so "12:30" can be typed into "00:00" with its colon.
// - A masked edit checks its required positions when it loses the focus after the user changed
//   it (EDBEditError, the focus returns to it); Escape gives back the text it had on entry.
#pragma once

#include "framework/StdCtrls.h"
#include "framework/SysUtils.h"

#include <vector>

RQ_DECLARE_EXCEPTION(EDBEditError, Exception)

// A parsed edit mask: what each position of the edit text accepts.
class TEditMask {
public:
    enum TKind : uint8_t { Literal, Letter, LetterOrDigit, AnyChar, Digit, DigitOrSign };
    enum TCase : uint8_t { NoCase, Upper, Lower };
    struct TPosition {
        TKind Kind = Literal;
        bool Required = false;
        TCase Case = NoCase;
        QChar Char;  // the literal's character
    };

    TEditMask() = default;
    // Parses EditMask with the separators of Settings; an empty mask is no mask.
    explicit TEditMask(const String& EditMask, const TFormatSettings& Settings = FormatSettings);

    bool IsMasked() const { return !FPositions.empty(); }
    int Length() const { return int(FPositions.size()); }
    const TPosition& Position(int Pos) const { return FPositions.at(size_t(Pos)); }
    bool IsLiteral(int Pos) const { return Pos >= 0 && Pos < Length() && FPositions[size_t(Pos)].Kind == Literal; }
    QChar Blank() const { return FBlank; }
    bool SaveLiterals() const { return FSaveLiterals; }
    bool TrimLeading() const { return FTrimLeading; }

    // The character stored at Pos when Ch is typed there (case applied), or a null QChar when the
    // position does not take it. Literal positions and positions outside the mask take nothing.
    QChar Accept(int Pos, QChar Ch) const;
    // The first input position at or after Pos, or Length() when there is none.
    int NextInput(int Pos) const;
    // The last input position before Pos, or -1 when there is none.
    int PrevInput(int Pos) const;

    // The edit text of an empty box: literals, blanks elsewhere.
    String EmptyEditText() const;
    // EditText when it is a valid edit text (the mask's length, literals in place, every other
    // position blank or holding a character its position takes); otherwise FormatText of it.
    String Normalize(const String& EditText) const;
    // The edit text that shows Text: its characters fill the input positions in order (a character
    // equal to the literal in hand is taken as that literal); characters a position refuses and
    // spaces leave it blank; what does not fit is dropped.
    String FormatText(const String& Text) const;
    // Text of an edit text: unfilled positions as spaces, literals kept when SaveLiterals, blanks
    // trimmed at the end (at the start with '!').
    String TextOf(const String& EditText) const;
    // True when every required position of EditText is filled; otherwise FirstMissing (when given)
    // receives the first required position that is blank.
    bool IsComplete(const String& EditText, int* FirstMissing = nullptr) const;

private:
    bool IsFilled(const String& EditText, int Pos) const;

    std::vector<TPosition> FPositions;
    QChar FBlank = QLatin1Char('_');
    bool FSaveLiterals = true;
    bool FTrimLeading = false;
};

// An edit box whose text follows an edit mask. Without a mask it is a plain edit box.
class TCustomMaskEdit : public TCustomEdit {
    Q_OBJECT
    Q_PROPERTY(QString EditMask READ EditMask WRITE SetEditMask)
    Q_PROPERTY(QString EditText READ EditText WRITE SetEditText STORED false)

public:
    explicit TCustomMaskEdit(TComponent* AOwner);

    String EditMask() const { return FEditMask; }
    // Parses the mask and shows the current Text through it.
    void SetEditMask(const String& Value);
    const TEditMask& Mask() const { return FMask; }
    bool IsMasked() const { return FMask.IsMasked(); }
    // The text as shown, literals and blanks included.
    String EditText() const;
    // Shows Value as it is, cut or padded with blanks to the mask's length.
    void SetEditText(const String& Value);
    // Raises EDBEditError when the user changed the text and a required position is blank.
    virtual void ValidateEdit();
    // Gives back the text the box had when it got the focus, when the user changed it since.
    void Reset();

protected:
    String GetText() const override;
    void SetTextValue(const String& Value) override;
    // Backspace and Delete blank positions instead of removing characters.
    void KeyDown(WORD& Key, TShiftState Shift) override;
    // Typed characters go through the mask; Escape resets.
    void KeyPress(char& Key) override;
    // Cutting, pasting and clearing through the mask; entering and leaving (validation).
    void Dispatch(TMessage& Message) override;
    // A change that did not come through the mask (an undo, a drop) is put back into its form.
    void Change() override;

private:
    // Writes a new edit text with the caret at Caret, as the user's change.
    void PutEditText(const String& Value, int Caret);
    // Blanks the input positions from Start to End (exclusive) of S.
    void BlankRange(String& S, int Start, int End) const;
    // Types Ch into S at Caret; returns false when the mask refuses it.
    bool TypeChar(String& S, int& Caret, QChar Ch) const;
    void DeleteKeys(WORD Key);
    void PasteText(const String& Clip);
    // The selection of the edit window as [Start, End), or false when nothing is selected.
    bool Selection(int& Start, int& End) const;

    String FEditMask;
    TEditMask FMask;
    String FOldEditText;
    bool FNormalizing = false;
};

class TMaskEdit : public TCustomMaskEdit {
    Q_OBJECT
public:
    explicit TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
};
