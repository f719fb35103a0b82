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

    TEvent<TDrawPanelEvent> OnDrawPanel{this, "OnDrawPanel"};

protected:
    void Paint() override;
    // Draws one panel (background, bevel, text); owner-drawn panels go to OnDrawPanel.
    virtual void DrawPanel(TStatusPanel* Panel, const TRect& Rect);

private:
    TStatusPanels* FPanels;
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
