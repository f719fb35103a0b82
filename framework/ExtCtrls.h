// Timer, bevel and panel.
#pragma once

#include "framework/Controls.h"
#include "framework/PersistentTypes.h"

#include <QTimer>

class TTimer : public TComponent {
    Q_OBJECT
    Q_PROPERTY(int Interval READ Interval WRITE SetInterval)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)

public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    // Milliseconds between ticks; 0 stops the timer.
    int Interval() const { return FInterval; }
    void SetInterval(int v);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);

    TEvent<TNotifyEvent> OnTimer{this, "OnTimer"};

protected:
    virtual void Timer();

private:
    void UpdateTimer();
    QTimer FTimer;
    int FInterval = 1000;
    bool FEnabled = true;
};

class TBevel : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(Vcl::TBevelShape Shape READ Shape WRITE SetShape)
    Q_PROPERTY(Vcl::TBevelStyle Style READ Style WRITE SetStyle)

public:
    explicit TBevel(TComponent* AOwner);
    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape v);
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle v);

protected:
    void Paint() override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

class TCustomPanel : public TCustomControl {
    Q_OBJECT
    Q_PROPERTY(Vcl::TPanelBevel BevelOuter READ BevelOuter WRITE SetBevelOuter)
    Q_PROPERTY(Vcl::TPanelBevel BevelInner READ BevelInner WRITE SetBevelInner)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE SetBevelWidth)
    Q_PROPERTY(Vcl::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool FullRepaint READ FullRepaint WRITE SetFullRepaint)

public:
    explicit TCustomPanel(TComponent* AOwner);
    TPanelBevel BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel v);
    TPanelBevel BevelInner() const { return FBevelInner; }
    void SetBevelInner(TPanelBevel v);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    bool FullRepaint() const { return FFullRepaint; }
    void SetFullRepaint(bool v) { FFullRepaint = v; }

protected:
    void Paint() override;

private:
    TPanelBevel FBevelOuter = bvRaised;
    TPanelBevel FBevelInner = bvNone;
    int FBevelWidth = 1;
    TAlignment FAlignment = taCenter;
    bool FFullRepaint = true;
};

class TPanel : public TCustomPanel {
    Q_OBJECT
public:
    explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

// Draws a 3-D frame of the given width inside Rect (shrinking it), top-left in TopColor.
class TCanvas;
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

class TPicture;

// Shows a picture, at its own size, centred or stretched.
class TImage : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(TPicture* Picture READ Picture)
    Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)
    Q_PROPERTY(bool Center READ Center WRITE SetCenter)
    Q_PROPERTY(bool Proportional READ Proportional WRITE SetProportional)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)

public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;
    TPicture* Picture() const { return FPicture; }
    void SetPicture(const TPicture* v);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool v);
    bool Center() const { return FCenter; }
    void SetCenter(bool v);
    bool Proportional() const { return FProportional; }
    void SetProportional(bool v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    // Where the picture is drawn, in client coordinates.
    TRect DestRect() const;

protected:
    void Paint() override;

private:
    void PictureChanged();
    TPicture* FPicture;
    bool FStretch = false;
    bool FCenter = false;
    bool FProportional = false;
    bool FTransparent = false;
    bool FAutoSize = false;
};
