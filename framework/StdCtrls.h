// Standard controls: labels, push buttons, check boxes, edit boxes and combo boxes. Labels paint
// themselves; the others are native Qt widgets driven by the control's state.
#pragma once

#include "framework/Controls.h"
#include "framework/Strings.h"

#include <QStringList>

class QLineEdit;
class QComboBox;
class QPushButton;
class QCheckBox;

class TCustomLabel : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(Vcl::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(Vcl::TTextLayout Layout READ Layout WRITE SetLayout)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(bool ShowAccelChar READ ShowAccelChar WRITE SetShowAccelChar)
    Q_PROPERTY(TWinControl* FocusControl READ FocusControl WRITE SetFocusControl)

public:
    explicit TCustomLabel(TComponent* AOwner);

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool v);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* v);

    void Loaded() override;

protected:
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Resizes to the caption when AutoSize is set.
    void AdjustBounds();
    unsigned DrawTextFlags() const;

private:
    bool FAutoSize = true;
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FTransparent = false;
    bool FWordWrap = false;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
    Q_OBJECT
public:
    explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};

class TButton : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(bool Default READ Default WRITE SetDefault)
    Q_PROPERTY(bool Cancel READ Cancel WRITE SetCancel)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE SetModalResult)

public:
    explicit TButton(TComponent* AOwner);
    bool Default() const { return FDefault; }
    void SetDefault(bool v);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool v) { FCancel = v; }
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(int v) { FModalResult = v; }
    // Clicks the button as if the user had.
    void Click() override;

protected:
    TPeerBase* CreatePeer() override;
    void InitPeer() override;
    void TextChanged() override;

private:
    QPushButton* Button() const;
    bool FDefault = false;
    bool FCancel = false;
    TModalResult FModalResult = mrNone;
};

class TCheckBox : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(Vcl::TCheckBoxState State READ State WRITE SetState)
    Q_PROPERTY(bool AllowGrayed READ AllowGrayed WRITE SetAllowGrayed)
    Q_PROPERTY(Vcl::TAlignment Alignment READ Alignment WRITE SetAlignment)

public:
    explicit TCheckBox(TComponent* AOwner);
    bool Checked() const { return FState == cbChecked; }
    // Setting the state also fires OnClick, as a click would.
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState v);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v) { FAlignment = v; }

protected:
    TPeerBase* CreatePeer() override;
    void InitPeer() override;
    void TextChanged() override;

private:
    QCheckBox* Box() const;
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TAlignment FAlignment = taRightJustify;
    bool FSyncing = false;
};

class TCustomEdit : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE SetAutoSelect)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(Vcl::TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(Vcl::TEditCharCase CharCase READ CharCase WRITE SetCharCase)
    Q_PROPERTY(bool HideSelection READ HideSelection WRITE SetHideSelection)
    Q_PROPERTY(QString PasswordChar READ PasswordChar WRITE SetPasswordChar)
    Q_PROPERTY(bool OEMConvert READ OEMConvert WRITE SetOEMConvert)

public:
    explicit TCustomEdit(TComponent* AOwner);

    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v);
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool v) { FAutoSelect = v; }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v) { FAutoSize = v; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase v);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool v) { FHideSelection = v; }
    String PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(const String& v);
    bool OEMConvert() const { return FOEMConvert; }
    void SetOEMConvert(bool v) { FOEMConvert = v; }

    int SelStart() const;
    void SetSelStart(int v);
    int SelLength() const;
    void SetSelLength(int v);
    String SelText() const;
    void SelectAll();
    void ClearSelection();
    bool Modified() const { return FModified; }
    void SetModified(bool v) { FModified = v; }
    // Caret position (0-based characters).
    int CaretPos() const;

    TEvent<TNotifyEvent> OnChange{this, "OnChange"};

protected:
    TPeerBase* CreatePeer() override;
    void InitPeer() override;
    String GetText() const override;
    void SetTextValue(const String& v) override;
    // Called on every change of the text (typed or set); fires OnChange.
    virtual void Change();
    // Answers WM_GETDLGCODE (the edit wants characters and arrows) and does the clipboard
    // messages WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR and WM_UNDO. EM_SETRECT and EM_SETRECTNP set
    // the formatting rectangle (LParam: a TRect* in client coordinates; the text keeps inside it,
    // as text margins of the edit window), EM_GETRECT reads it; WM_SIZE drops it again.
    void Dispatch(TMessage& Message) override;
    // The edit window's text keeps out of the non-client band (BorderWidth).
    void WMNCCalcSize(TMessage& Message) override;
    void ColorChanged() override;
    // The font's colour is the text's; a disabled edit shows its text grey whatever the font says.
    void FontChanged() override;
    QLineEdit* Edit() const;

private:
    void ApplyEditState();
    // Text margins: the non-client band In plus the formatting rectangle's insets.
    void ApplyTextMargins(const TRect& In);

    bool FReadOnly = false;
    int FMaxLength = 0;
    bool FAutoSelect = true;
    bool FAutoSize = true;
    TBorderStyle FBorderStyle = bsSingle;
    TEditCharCase FCharCase = ecNormal;
    bool FHideSelection = true;
    String FPasswordChar;
    bool FOEMConvert = false;
    bool FModified = false;
    int FPendingSelStart = 0;
    int FPendingSelLength = 0;
    bool FHasFormatRect = false;
    TRect FFormatRect;     // client coordinates
    TRect FFormatInsets;   // how far it lies inside the client area on each side
};

class TEdit : public TCustomEdit {
    Q_OBJECT
public:
    explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

class TCustomComboBox;

// The items of a combo box: kept by the control and mirrored into its widget.
class TComboBoxStrings : public TStrings {
public:
    explicit TComboBoxStrings(TCustomComboBox* owner) : FOwner(owner) {}
    int Count() const override { return int(FLines.size()); }
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    void Insert(int Index, const String& S) override;
    void Delete(int Index) override;
    void Clear() override;
    int Add(const String& S) override;
    String ClassName() const override { return QStringLiteral("TComboBoxStrings"); }

private:
    friend class TCustomComboBox;
    TCustomComboBox* FOwner;
    QStringList FLines;
    std::vector<TObject*> FObjects;
};

class TCustomComboBox : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(Vcl::TComboBoxStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(TStrings* Items READ Items)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)
    Q_PROPERTY(int ItemHeight READ ItemHeight WRITE SetItemHeight)
    Q_PROPERTY(int DropDownCount READ DropDownCount WRITE SetDropDownCount)
    Q_PROPERTY(bool Sorted READ Sorted WRITE SetSorted)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(bool AutoComplete READ AutoComplete WRITE SetAutoComplete)
    Q_PROPERTY(bool AutoDropDown READ AutoDropDown WRITE SetAutoDropDown)
    Q_PROPERTY(Vcl::TEditCharCase CharCase READ CharCase WRITE SetCharCase)

public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle v);
    TStrings* Items() const { return FItems; }
    void SetItems(const TStrings* v) { FItems->Assign(v); }
    // The selected item, or -1. Setting an index outside the list leaves no selection.
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int v);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int v) { FItemHeight = v; }
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int v);
    bool Sorted() const { return FSorted; }
    void SetSorted(bool v);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v) { FMaxLength = v; }
    bool AutoComplete() const { return FAutoComplete; }
    void SetAutoComplete(bool v) { FAutoComplete = v; }
    bool AutoDropDown() const { return FAutoDropDown; }
    void SetAutoDropDown(bool v) { FAutoDropDown = v; }
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase v) { FCharCase = v; }

    // The list is open. Setting it opens or closes the list as the user would; DropDown runs as
    // the list opens and CloseUp when its window hides, whoever opened or closed it.
    bool DroppedDown() const;
    void SetDroppedDown(bool v);

    void Loaded() override;

    TEvent<TNotifyEvent> OnChange{this, "OnChange"};
    TEvent<TNotifyEvent> OnSelect{this, "OnSelect"};
    TEvent<TNotifyEvent> OnDropDown{this, "OnDropDown"};
    TEvent<TNotifyEvent> OnCloseUp{this, "OnCloseUp"};

protected:
    TPeerBase* CreatePeer() override;
    void InitPeer() override;
    String GetText() const override;
    void SetTextValue(const String& v) override;
    virtual void Change();
    virtual void Select();
    // The list is about to open (fires OnDropDown; items added here are listed) / the list
    // window has hidden (fires OnCloseUp).
    virtual void DropDown();
    virtual void CloseUp();
    // Answers WM_GETDLGCODE: the combo box wants characters (to pick items) and arrows.
    // CB_GETDROPPEDSTATE answers DroppedDown; CB_SHOWDROPDOWN (WParam non-zero: open) sets it.
    void Dispatch(TMessage& Message) override;
    // The widget's colours follow the control's Color and Font; disabled text stays grey. A
    // right-to-left box (BiDiMode bdRightToLeft on a system whose language is written right to
    // left, SysLocale.MiddleEast) is mirrored: its button on the left.
    void FontChanged() override;
    void ColorChanged() override;
    QComboBox* Combo() const;

private:
    friend class TComboBoxStrings;
    friend class TComboBoxPeer;
    // Colours and layout direction of the widget.
    void ApplyPalette();
    // Watches the list window's hiding.
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void ItemsChanged();
    void SyncWidget();

    TComboBoxStyle FStyle = csDropDown;
    bool FListOpen = false;  // from the list window's showing until it hides
    TComboBoxStrings* FItems;
    int FItemIndex = -1;
    int FStoredItemIndex = -2;  // ItemIndex read while loading (-2: none)
    String FEditText;
    int FItemHeight = 13;
    int FDropDownCount = 8;
    bool FSorted = false;
    int FMaxLength = 0;
    bool FAutoComplete = true;
    bool FAutoDropDown = false;
    TEditCharCase FCharCase = ecNormal;
    bool FSyncing = false;
};

class TComboBox : public TCustomComboBox {
    Q_OBJECT
public:
    explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};

Q_DECLARE_METATYPE(TStrings*)

// A frame with a caption around a group of controls.
class TCustomGroupBox : public TCustomControl {
    Q_OBJECT
public:
    explicit TCustomGroupBox(TComponent* AOwner);

protected:
    void Paint() override;
    void TextChanged() override;
};

class TGroupBox : public TCustomGroupBox {
    Q_OBJECT
public:
    explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
};
