// Unit Kivedit: the skinned single-line edit boxes. TkivEdit and TkivMaskEdit are the framework's
// edit and masked edit with a themed border; TkivNumberEdit holds a floating-point Value shown
// through a FormatFloat mask; TkivSpinEdit holds an integer with two skinned arrow buttons
// (TkivSpinButtons) inside its right edge.
//
// The border: the edit keeps a two-pixel non-client band (BorderWidth 2, BorderStyle bsNone).
// After the edit window has painted itself, DrawControlBorder frames the whole window one pixel
// wide in BorderColor and one pixel inside that in the control's Color.
//
// Decisions:
// - The window's background erase and its paint come in one paint event here, the erase first;
//   the border is drawn once, after the edit window's own painting, where nothing covers it. The
//   erase itself is answered without erasing (csOpaque).
// - The spin buttons, an opaque window their arrow buttons cover, still fill with their Color
//   when asked to erase into another canvas: that is what a transparent arrow button (MacOS,
//   BlueGlass) shows behind its picture, as the window's erase does on the desktop.
// - The spin edit's formatting rectangle (EM_SETRECTNP) becomes text margins of the edit window
//   (framework TCustomEdit); the window stays single-line, so ES_MULTILINE, which the desktop
//   edit needs for a formatting rectangle, only marks the window style.
// - The spin edit's step is taken in 64 bits and clamped to the integer range before MinValue
//   and MaxValue apply, so stepping past the end of the range stops there instead of wrapping.
// - The spin buttons take the edit's look as soon as they exist: the edit's constructor chooses
//   its style before the buttons are made, so it passes the style on once more afterwards.
// - "Left mouse button down" on entering a spin edit is the mouse's real state: the focus
//   arrives before the press is delivered to the edit.
// - BorderStyle is not published by TkivEdit: its published property is shadowed by one without
//   a setter, so stored forms cannot set it; TkivNumberEdit and TkivMaskEdit publish it.
// - Published properties that need framework pieces absent here (PopupMenu, drag and dock, the
//   input-method properties ImeMode and ImeName) are not published; the spin edit's report of no
//   children to the form writer has nothing to act on (the framework writes no forms).
#pragma once

#include "framework/Mask.h"
#include "framework/StdCtrls.h"
#include "skin/controls/Kivbutton.h"
#include "skin/theme/Kivmgr.h"
#include "skin/theme/Kivthemelink.h"
#include "skin/theme/Kivthemes.h"

// A framework edit box with the themed one-pixel border.
class TkivEdit : public TCustomEdit {
    Q_OBJECT
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    // Not published: readable, not settable by name.
    Q_PROPERTY(Vcl::TFormBorderStyle BorderStyle READ BorderStyle STORED false)

public:
    explicit TkivEdit(TComponent* AOwner);

    TColor BorderColor() const { return FBorderColor; }
    // Stores and repaints.
    void SetBorderColor(TColor Value);
    TkivUIStyle UIStyle() const { return FTheme.Style(); }
    // Stores; BorderColor := the look's control border colour; UIStyleChanged; repaint.
    void SetUIStyle(TkivUIStyle Value);
    TkivFileTheme* FileTheme() const { return FTheme.File(); }
    // Stores, then SetUIStyle(UIStyle).
    void SetFileTheme(TkivFileTheme* Value);
    const TkivThemeLink& Theme() const { return FTheme; }

protected:
    // Does nothing here; the spin edit passes the look on to its buttons.
    virtual void UIStyleChanged() {}
    void WMPaint(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TkivThemeLink FTheme{this};

private:
    TColor FBorderColor = clBlack;
};

// A framework masked edit box with the themed one-pixel border.
class TkivMaskEdit : public TCustomMaskEdit {
    Q_OBJECT
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)

public:
    explicit TkivMaskEdit(TComponent* AOwner);

    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor Value);
    TkivUIStyle UIStyle() const { return FTheme.Style(); }
    // Stores; BorderColor := the look's control border colour; repaint.
    void SetUIStyle(TkivUIStyle Value);
    TkivFileTheme* FileTheme() const { return FTheme.File(); }
    void SetFileTheme(TkivFileTheme* Value);
    const TkivThemeLink& Theme() const { return FTheme; }

protected:
    void WMPaint(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TkivThemeLink FTheme{this};

private:
    TColor FBorderColor = clBlack;
};

// An edit box for a floating-point number: Value shown through the FormatFloat mask Mask,
// right-aligned; only digits, one decimal separator, a leading '-' (when the mask has one) and
// Backspace can be typed.
class TkivNumberEdit : public TkivEdit {
    Q_OBJECT
    Q_PROPERTY(QString Mask READ Mask WRITE SetMask)
    Q_PROPERTY(double Value READ Value WRITE SetValue)
    Q_PROPERTY(int AutoSelectSigns READ AutoSelectSigns WRITE SetAutoSelectSigns)
    Q_PROPERTY(Vcl::TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)

public:
    explicit TkivNumberEdit(TComponent* AOwner);

    String Mask() const { return FMask; }
    void SetMask(const String& Value) { FMask = Value; }
    // The number last parsed from or written to the text.
    double Value() const { return FValue; }
    // Value := v; Text := FormatFloat(Mask, v).
    void SetValue(double v);
    int AutoSelectSigns() const { return FAutoSelectSigns; }
    void SetAutoSelectSigns(int Value) { FAutoSelectSigns = Value; }

protected:
    void CreateParams(TCreateParams& Params) override;
    // Value follows the text; a text that is no number puts the last good value back and raises
    // the conversion error. Ends with OnChange.
    void Change() override;
    void Dispatch(TMessage& Message) override;
    void KeyPress(char& Key) override;
    // Selects the last AutoSelectSigns characters (with AutoSelect).
    void DoEnter() override;
    // An empty box (or "-") becomes 0; the text is formatted through Mask.
    void DoExit() override;
    void Click() override;

private:
    String FMask = QStringLiteral("0.00");
    double FValue = 0;
    int FAutoSelectSigns = 2;
};

// Two skinned arrow buttons stacked (up over down, overlapping by one pixel).
class TkivSpinButtons : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)

public:
    explicit TkivSpinButtons(TComponent* AOwner);

    // Read from the up button (none and DeepBlue without it), written to both buttons.
    TkivFileTheme* FileTheme() const;
    void SetFileTheme(TkivFileTheme* Value);
    TkivUIStyle UIStyle() const;
    void SetUIStyle(TkivUIStyle Value);

    TkivArrowButton* UpButton() const { return FUpButton; }
    TkivArrowButton* DownButton() const { return FDownButton; }

    // The size is kept to at least 15 pixels wide and shared by the two buttons.
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Loaded() override;

    TEvent<TNotifyEvent> OnUpClick{this, "OnUpClick"};
    TEvent<TNotifyEvent> OnDownClick{this, "OnDownClick"};

protected:
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void Dispatch(TMessage& Message) override;
    // Fills with Color: what a transparent arrow button shows of its parent.
    void WMEraseBkgnd(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TkivArrowButton* CreateButton(TkivArrowButtonType Arrow);
    void BtnClick(TObject* Sender);
    // W := max(W, 15); places the buttons in W x H.
    void AdjustSize(int& W, int& H);

    TkivArrowButton* FUpButton = nullptr;
    TkivArrowButton* FDownButton = nullptr;
};

// An edit box for an integer between MinValue and MaxValue, stepped by Increment with the arrow
// buttons inside its right edge or the Up and Down keys.
class TkivSpinEdit : public TkivEdit {
    Q_OBJECT
    Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(int Increment READ Increment WRITE SetIncrement)
    Q_PROPERTY(bool EditorEnabled READ EditorEnabled WRITE SetEditorEnabled)
    Q_PROPERTY(int Value READ Value WRITE SetValue STORED false)

public:
    explicit TkivSpinEdit(TComponent* AOwner);

    int MinValue() const { return FMinValue; }
    void SetMinValue(int v) { FMinValue = v; }
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int v) { FMaxValue = v; }
    int Increment() const { return FIncrement; }
    void SetIncrement(int v) { FIncrement = v; }
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool v) { FEditorEnabled = v; }
    // The text as an integer; MinValue when it is none.
    int Value() const;
    // Text := CheckValue(v).
    void SetValue(int v);
    // v clamped to [MinValue, MaxValue] when they differ; v itself when they are equal.
    int CheckValue(int v) const;
    TkivSpinButtons* Button() const { return FButton; }

protected:
    virtual bool IsValidChar(char Key) const;
    virtual void UpClick(TObject* Sender);
    virtual void DownClick(TObject* Sender);
    void UIStyleChanged() override;

    void CreateParams(TCreateParams& Params) override;
    void InitPeer() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void Dispatch(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // The formatting rectangle: the client area left of the buttons.
    void SetEditRect();
    // Value + Delta, clamped to the integer range.
    int Stepped(int64_t Delta) const;

    int FMinValue = 0;
    int FMaxValue = 0;
    int FIncrement = 1;
    TkivSpinButtons* FButton = nullptr;
    bool FEditorEnabled = true;
};

// Registers the classes of this unit for stored form definitions.
void RegisterKiveditClasses();
