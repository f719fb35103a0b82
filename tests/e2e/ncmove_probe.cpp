// rq-ncmove-probe: a frameless form for the end-to-end tests of the emulated non-client frame.
// Its caption bits are cleared, so the framework draws and handles its frame: a strip across the
// top moves the window as a skinned title bar does (ReleaseCapture, then WM_NCLBUTTONDOWN with
// HTCAPTION to the form), and the sizing band around the window resizes it. The window is titled
// "ncmove-probe" and starts at (200, 150), 300 x 200.
#include "framework/Forms.h"
#include "framework/Graphics.h"

#include <QApplication>

namespace {

class TMoveStrip : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override
    {
        TCustomControl::MouseDown(Button, Shift, X, Y);
        TCustomForm* form = GetParentForm(this);
        if (Button != mbLeft || !form)
            return;
        const TPoint p = ClientToScreen(Point(X, Y));
        ReleaseCapture();
        SendMessageA(form->Handle(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.X, p.Y));
    }
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clNavy);
        Canvas()->FillRect(ClientRect());
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    auto* app = new TApplication;
    app->Initialize();
    TForm* form = nullptr;
    app->CreateForm(form);
    form->SetCaption(QStringLiteral("ncmove-probe"));
    form->SetBorderStyle(bsSizeable);
    form->SetBounds(200, 150, 300, 200);
    auto* strip = new TMoveStrip(form);
    strip->SetParent(form);
    strip->SetHeight(24);
    strip->SetAlign(alTop);
    const HWND h = form->Handle();
    SetWindowLong(h, GWL_STYLE, GetWindowLong(h, GWL_STYLE) & ~LONG(WS_CAPTION));
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    app->Run();
    delete app;
    return 0;
}
