// The status bar with its panels.
#pragma once

#include "framework/Collections.h"
#include "framework/Controls.h"

class TCustomStatusBar;

class TStatusPanel : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(QString Text READ Text WRITE SetText)
    Q_PROPERTY(Vcl::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(Vcl::TStatusPanelBevel Bevel READ Bevel WRITE SetBevel)
    Q_PROPERTY(Vcl::TStatusPanelStyle Style READ Style WRITE SetStyle)

public:
    explicit TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}
    int Width() const { return FWidth; }
    void SetWidth(int v);
    String Text() const { return FText; }
    void SetText(const String& v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TStatusPanelBevel Bevel() const { return FBevel; }
    void SetBevel(TStatusPanelBevel v);
    TStatusPanelStyle Style() const { return FStyle; }
    void SetStyle(TStatusPanelStyle v);

private:
    int FWidth = 50;
    String FText;
    TAlignment FAlignment = taLeftJustify;
    TStatusPanelBevel FBevel = pbLowered;
    TStatusPanelStyle FStyle = psText;
};

class TStatusPanels : public TCollection {
public:
    explicit TStatusPanels(TCustomStatusBar* StatusBar);
    TStatusPanel* operator[](int Index) const { return Items(Index); }
    TStatusPanel* Items(int Index) const { return static_cast<TStatusPanel*>(TCollection::Items(Index)); }
    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    String ClassName() const override { return QStringLiteral("TStatusPanels"); }
};

class TCanvas;
using TDrawPanelEvent = std::function<void(TCustomStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

// A bar of text panels along the bottom of a form. With SizeGrip it shows a size grip in its
// bottom-right corner while it sits on a sizeable form that is not maximised: the grip answers
// WM_NCHITTEST with HTBOTTOMRIGHT, shows the diagonal sizing cursor, and dragging it resizes the
// form (through the window manager when it offers that, else by following the mouse).
class TCustomStatusBar : public TCustomControl {
    Q_OBJECT
    Q_PROPERTY(TCollection* Panels READ PanelsCollection)
    Q_PROPERTY(bool SimplePanel READ SimplePanel WRITE SetSimplePanel)
    Q_PROPERTY(QString SimpleText READ SimpleText WRITE SetSimpleText)
    Q_PROPERTY(bool SizeGrip READ SizeGrip WRITE SetSizeGrip)
    Q_PROPERTY(bool UseSystemFont READ UseSystemFont WRITE SetUseSystemFont)

public:
    explicit TCustomStatusBar(TComponent* AOwner);
    ~TCustomStatusBar() override;

    TStatusPanels* Panels() const { return FPanels; }
    TCollection* PanelsCollection() const { return FPanels; }
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool v);
    String SimpleText() const { return FSimpleText; }
    void SetSimpleText(const String& v);
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool v);
    bool UseSystemFont() const { return FUseSystemFont; }
    void SetUseSystemFont(bool v) { FUseSystemFont = v; }

    // The rectangle of panel Index in client coordinates (the last panel reaches the right edge).
    TRect PanelRect(int Index) const;

    // The size of the grip's square in the bottom-right corner.
    static constexpr int SizeGripSize = 16;
    // True when the grip shows: SizeGrip is set and the bar's form has a sizeable border
    // (bsSizeable, bsSizeToolWin) and is not maximised.
    bool SizeGripShown() const;
    // The grip's square in client coordinates.
    TRect SizeGripRect() const;

    TEvent<TDrawPanelEvent> OnDrawPanel{this, "OnDrawPanel"};

protected:
    void Paint() override;
    // Draws one panel (background, bevel, text); owner-drawn panels go to OnDrawPanel.
    virtual void DrawPanel(TStatusPanel* Panel, const TRect& Rect);
    // Draws the size grip (when it shows) in the bottom-right corner.
    virtual void DrawSizeGrip();
    // Answers WM_NCHITTEST (HTBOTTOMRIGHT on a shown grip, HTCLIENT elsewhere on the bar); asks
    // it on mouse moves and presses to show the sizing cursor and to start resizing the form.
    void Dispatch(TMessage& Message) override;
    // The form the bar sits on is maximised.
    bool ParentFormMaximized() const;

private:
    TStatusPanels* FPanels;
    bool FGripDragging = false;
    TPoint FGripStart;     // screen position where the drag began
    TPoint FGripStartSize; // the form's width and height then
    bool FSimplePanel = false;
    String FSimpleText;
    bool FSizeGrip = true;
    bool FUseSystemFont = true;
};

class TStatusBar : public TCustomStatusBar {
    Q_OBJECT
public:
    explicit TStatusBar(TComponent* AOwner) : TCustomStatusBar(AOwner) {}
};
