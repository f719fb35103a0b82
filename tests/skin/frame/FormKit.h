// Helpers of the skinned-form tests: hosts with a skinned frame, the main window's stored frame,
// whole-window renders (frame included), the window's shape, and steps run from inside a modal
// menu.
#pragma once

#include "../controls/SkinControlKit.h"
#include "framework/FormReader.h"
#include "framework/Menus.h"
#include "framework/Resources.h"
#include "skin/frame/Kivform.h"
#include "skin/theme/Kivpublic.h"
#include "testsupport/TestSupport.h"

#include <QCoreApplication>
#include <QCursor>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace formtest {

using namespace skintest;
using testsupport::WaitFor;

// The main window's frame as its stored definition gives it (a 410 x 313 dialog).
inline const char* MainWindowDefinition()
{
    return R"(object Form1: TForm
  Left = 120
  Top = 90
  BorderStyle = bsDialog
  Caption = 'RQ_27M'
  ClientHeight = 313
  ClientWidth = 410
  Color = clBtnFace
  Constraints.MinHeight = 23
  Constraints.MinWidth = 130
  Scaled = False
  object kivForm1: TkivForm
    Left = 0
    Top = 0
    Width = 410
    Height = 313
    TitleBarCustom = False
    UIStyle = Protein
    UIStyleAutoUpdateSub = False
    BorderColor = clBlack
    BorderWidth = 1
    Color = 16514043
    Caption = 'RQ_27M'
    TitleBarButtons = <
      item
        UIStyle = Protein
        ButtonType = kivControlBox
        Transparent = True
        Top = 2
        Visible = True
        PicNormal.Data = file 'BtnControlBox_Normal.bmp'
        PicMouseOn.Data = file 'BtnControlBox_Over.bmp'
        PicMouseDown.Data = file 'BtnControlBox_Down.bmp'
      end
      item
        UIStyle = Protein
        ButtonType = kivClose
        Transparent = True
        Top = 2
        Visible = True
        PicNormal.Data = file 'BtnClose_Normal.bmp'
        PicMouseOn.Data = file 'BtnClose_Over.bmp'
        PicMouseDown.Data = file 'BtnClose_Down.bmp'
      end>
    TitleBarSections = <
      item
        AutoSize = True
        Width = 441
        Picture.Data = file 'TitleLeft.bmp'
      end
      item
        AutoSize = True
        Width = 1
        Align = kivRight
        Picture.Data = file 'TitleRight.bmp'
      end
      item
        Width = 10
        Align = kivClient
        Stretch = True
        Picture.Data = file 'TitleClient.bmp'
      end>
    TitleBarDrawAppIcon = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWhite
    Font.Height = -11
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    MenuBarColor = 16514043
    MenuBarToColor = 16514043
    MenuBarHeight = 0
    RoundCorner = 0
    RoundCornerBottom = 0
    Version = '1.0'
    About = 'changed'
    InactiveCaptionColor = clInactiveCaption
  end
end
)";
}

// A section picture of a frame's title bar as pixels (null image when there is none).
inline QImage TitlePicture(TkivForm* frame, int index)
{
    TBitmap* b = nullptr;
    frame->TitleBar()->GetTitleImage(index, b);
    return b ? b->Image().convertToFormat(QImage::Format_RGB32) : QImage();
}

// Whether a window pixel belongs to the window's shape (no shape: every pixel does).
inline bool InShape(TCustomForm* host, int x, int y)
{
    const QRegion mask = host->Widget()->mask();
    return mask.isEmpty() ? true : mask.contains(QPoint(x, y));
}

// Runs Step from the event loop once a menu window is open (the menu's own loop), then closes
// every open menu. Counts the openings.
class TWhenMenuOpen {
public:
    explicit TWhenMenuOpen(std::function<void()> Step = {})
    {
        QObject::connect(&FTimer, &QTimer::timeout, [this, Step] {
            if (OpenMenuWindows().empty())
                return;
            FTimer.stop();
            ++Opened;
            Windows = OpenMenuWindows();
            if (!Windows.empty())
                Place = Windows.front()->geometry();
            if (Step)
                Step();
            while (!OpenMenuWindows().empty()) {
                QTest::keyClick(OpenMenuWindows().back(), Qt::Key_Escape);
                QCoreApplication::processEvents();
            }
        });
        FTimer.start(0);
    }
    void Again() { FTimer.start(0); }
    int Opened = 0;
    QRect Place;
    std::vector<QWidget*> Windows;

private:
    QTimer FTimer;
};

class FormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Application) {
            new TApplication;
            Application->Initialize();
        }
        RegisterKivformClasses();
    }
    void SetUp() override
    {
        QCursor::setPos(QPoint(1000, 700));
        Application->MessageBoxHook = [this](const String& text, const String& caption, UINT flags) {
            messages.push_back(text);
            captions.push_back(caption);
            boxFlags.push_back(flags);
            return IDOK;
        };
    }
    void TearDown() override
    {
        Application->MessageBoxHook = nullptr;
        for (auto it = hosts.rbegin(); it != hosts.rend(); ++it) {
            if (Application->MainForm() == *it)
                Application->SetMainForm(nullptr);
            delete *it;
        }
        QCoreApplication::processEvents();
    }

    // A host of 416 x 318 at (60, 50) (so a built-in frame with the dialog frame leaves a
    // 410 x 313 client area), not shown yet.
    TForm* Host(TFormBorderStyle style = bsDialog)
    {
        auto* f = NewForm<TForm>(Application);
        f->SetBorderStyle(style);
        f->SetBounds(60, 50, 416, 318);
        f->SetCaption(QStringLiteral("Host"));
        hosts.push_back(f);
        return f;
    }
    // A skinned frame in a style on the host.
    static TkivForm* Frame(TForm* host, TkivUIStyle style = Protein, TkivFileTheme* theme = nullptr)
    {
        auto* frame = new TkivForm(host);
        frame->SetFileTheme(theme);
        frame->SetUIStyle(style);
        return frame;
    }
    // Shows the host active and lets its first paints and frame messages through.
    static void ShowActive(TCustomForm* host)
    {
        host->Show();
        host->Widget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host->Widget()));
        (void)QTest::qWaitForWindowActive(host->Widget());
        QCoreApplication::processEvents();
    }
    // The main window's stored frame read into a new host.
    TForm* MainWindow()
    {
        auto* f = NewForm<TForm>(Application);
        hosts.push_back(f);
        ReadComponentText(f, QByteArray(MainWindowDefinition()), QStringLiteral("mainwindow.dfm"));
        return f;
    }
    static TkivForm* FrameOf(TCustomForm* host)
    {
        for (int i = 0; i < host->ControlCount(); ++i)
            if (auto* f = dynamic_cast<TkivForm*>(host->Controls(i)))
                return f;
        return nullptr;
    }
    // The whole window (frame and client) as pixels, after pending paints.
    static QImage Shot(TCustomForm* host)
    {
        QCoreApplication::processEvents();
        return Render(host);
    }

    std::vector<TForm*> hosts;
    std::vector<String> messages;
    std::vector<String> captions;
    std::vector<UINT> boxFlags;
};

}  // namespace formtest
