// The main window, headless, against real pseudo-terminals published as COM ports.
#include "app/FormMain.h"
#include "framework/SysUtils.h"
#include "platform/ComPorts.h"
#include "platform/PseudoTerminal.h"
#include "platform/WinBase.h"
#include "skin/theme/Kivmgr.h"
#include "skin/theme/Kivthemes.h"
#include "testsupport/TestSupport.h"

#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::WaitFor;

namespace {

QByteArray Hex(const char* spaced) { return QByteArray::fromHex(QByteArray(spaced).replace(' ', "")); }

class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        portDir = new QTemporaryDir;
        qputenv("RQ27M_PORTS", portDir->path().toLocal8Bit());
        // Every COM number is a link; only COM3 and COM12 lead to a device.
        for (unsigned n = 1; n <= 255; ++n)
            ASSERT_TRUE(LinkComPort(n, "/nonexistent/rq27m-absent-port"));
        pty3 = new TPseudoTerminal;
        pty12 = new TPseudoTerminal;
        ASSERT_TRUE(pty3->Open());
        ASSERT_TRUE(pty12->Open());
        ASSERT_TRUE(LinkComPort(3, pty3->SlavePath()));
        ASSERT_TRUE(LinkComPort(12, pty12->SlavePath()));
        if (!Application) {
            new TApplication;
            Application->Initialize();
        }
    }
    static void TearDownTestSuite()
    {
        delete pty3;
        delete pty12;
        delete portDir;
    }
    void SetUp() override
    {
        Application->MessageBoxHook = [this](const String& text, const String&, UINT) {
            boxes << text;
            return IDOK;
        };
        form = NewForm<TForm1>(Application);
        // The tests drive the timer themselves.
        form->Timer1->SetEnabled(false);
        form->Show();
        pty3->Drain();
        pty12->Drain();
    }
    void TearDown() override
    {
        delete form;
        Application->MessageBoxHook = nullptr;
    }
    String Panel(int i) const { return form->kivStatusBar1->Panels()->Items(i)->Text(); }
    void OpenPort(const char* name)
    {
        const int idx = form->kivComboBox_PcPort->Items()->IndexOf(QLatin1String(name));
        ASSERT_GE(idx, 0);
        form->kivComboBox_PcPort->SetItemIndex(idx);
        form->kivButton_OpenPort->Click();
        ASSERT_TRUE(form->Serial()->IsOpen());
    }
    QByteArray ReadFrom(TPseudoTerminal* pty, int n)
    {
        QByteArray b(n, 0);
        if (!pty->ReadExactly(b.data(), size_t(n), 3000))
            return QByteArray();
        return b;
    }
    void Tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            form->Timer1Timer(form->Timer1);
    }

    static QTemporaryDir* portDir;
    static TPseudoTerminal* pty3;
    static TPseudoTerminal* pty12;
    TForm1* form = nullptr;
    QStringList boxes;
};
QTemporaryDir* MainWindow::portDir = nullptr;
TPseudoTerminal* MainWindow::pty3 = nullptr;
TPseudoTerminal* MainWindow::pty12 = nullptr;

}  // namespace

TEST_F(MainWindow, StartUpListsTheOpenablePortsAndStartsClosed)
{
    QStringList items;
    for (int i = 0; i < form->kivComboBox_PcPort->Items()->Count(); ++i)
        items << form->kivComboBox_PcPort->Items()->Get(i);
    EXPECT_EQ(items, (QStringList{QStringLiteral("COM3"), QStringLiteral("COM12")}));
    EXPECT_EQ(form->kivComboBox_PcPort->ItemIndex(), 0);
    EXPECT_EQ(Panel(0), QStringLiteral("Closed"));
    // The clock in the locale's short time form: one of the last few minutes as "t" writes them.
    bool clock = false;
    for (int m = 0; m < 5 && !clock; ++m)
        clock = Panel(2) == FormatDateTime(QStringLiteral("t"), Now() - m / double(MinsPerDay));
    EXPECT_TRUE(clock) << Panel(2).toStdString();
    EXPECT_EQ(form->kivButton_OpenPort->Caption(), QStringLiteral("Open"));
    for (TControl* c : std::initializer_list<TControl*>{form->kivComboBox_PcPort, form->kivComboBox_PcBaudRate,
                                                         form->kivComboBox_PcParity})
        EXPECT_TRUE(c->Enabled()) << c->Name().toStdString();
    for (TControl* c : std::initializer_list<TControl*>{form->btn_WriteAll, form->btn_ReadAll, form->kivButton1,
                                                         form->kivCheckBox1})
        EXPECT_FALSE(c->Enabled()) << c->Name().toStdString();
    // The stored initial values.
    EXPECT_EQ(form->kivNumberEdit_RfFrequency->Text(), QStringLiteral("490.00"));
    EXPECT_EQ(form->kivComboBox_PcBaudRate->Text(), QStringLiteral("9600"));
    EXPECT_EQ(form->kivComboBox_PcParity->Text(), QStringLiteral("NO"));
    EXPECT_EQ(form->kivComboBox_RfFactor->ItemIndex(), 3);
    EXPECT_EQ(form->kivNumberEdit2->Text(), QStringLiteral("140"));
}

TEST_F(MainWindow, OpenAndCloseSwitchTheControls)
{
    struct State {
        bool open;
        const char* panel0;
        const char* caption;
    };
    for (const State& s : {State{true, "Opened", "Close"}, State{false, "Closed", "Open"},
                           State{true, "Opened", "Close"}, State{false, "Closed", "Open"}}) {
        form->kivButton_OpenPort->Click();
        EXPECT_EQ(bool(form->Serial()->IsOpen()), s.open);
        EXPECT_EQ(Panel(0), QLatin1String(s.panel0));
        EXPECT_EQ(form->kivButton_OpenPort->Caption(), QLatin1String(s.caption));
        EXPECT_EQ(form->kivComboBox_PcPort->Enabled(), !s.open);
        EXPECT_EQ(form->kivComboBox_PcBaudRate->Enabled(), !s.open);
        EXPECT_EQ(form->kivComboBox_PcParity->Enabled(), !s.open);
        EXPECT_EQ(form->btn_ReadAll->Enabled(), s.open);
        EXPECT_EQ(form->btn_WriteAll->Enabled(), s.open);
        EXPECT_EQ(form->kivButton1->Enabled(), s.open);
        EXPECT_EQ(form->kivCheckBox1->Enabled(), s.open);
        EXPECT_TRUE(form->kivEdit1->Enabled() && form->kivEdit2->Enabled());
        if (!s.open) {
            EXPECT_EQ(Panel(1), QStringLiteral(" "));
        }
    }
}

TEST_F(MainWindow, APortThatDoesNotOpenLeavesTheWindowClosed)
{
    form->kivComboBox_PcPort->Items()->Add(QStringLiteral("COM250"));
    form->kivComboBox_PcPort->SetItemIndex(2);
    form->kivButton_OpenPort->Click();
    EXPECT_FALSE(form->Serial()->IsOpen());
    EXPECT_EQ(Panel(0), QStringLiteral("Closed"));
    EXPECT_EQ(Panel(1), QStringLiteral(" "));
    EXPECT_EQ(form->kivButton_OpenPort->Caption(), QStringLiteral("Open"));
}

TEST_F(MainWindow, ReadAllSendsTheCommandAndShowsTheDecodedResponse)
{
    OpenPort("COM12");
    form->btn_ReadAll->Click();
    EXPECT_EQ(ReadFrom(pty12, 14), Hex("AF F2 00 00 00 00 00 00 00 00 00 00 A1 0A"));
    EXPECT_EQ(form->kivEdit2->Text(), QStringLiteral("AF F2 00 00 00 00 00 00 00 00 00 00 A1 0A "));
    EXPECT_EQ(Panel(1), QStringLiteral("......"));
    EXPECT_EQ(form->PendingTicks(), 0);

    // Bytes 1 and 12 of a response are not examined.
    const QByteArray response = Hex("AF 55 01 02 03 04 21 E6 66 05 07 02 99 0A");
    ASSERT_TRUE(pty12->Write(response.constData(), size_t(response.size())));
    ASSERT_TRUE(WaitFor([&] { return Panel(1) == QStringLiteral("Successful"); }));
    EXPECT_EQ(form->PendingTicks(), -1);
    EXPECT_EQ(form->kivNumberEdit_RfFrequency->Text(), QStringLiteral("433.919921875"));
    EXPECT_DOUBLE_EQ(form->kivNumberEdit_RfFrequency->Value(), 433.919921875);
    EXPECT_EQ(form->kivComboBox_RfFactor->ItemIndex(), 5);
    EXPECT_EQ(form->kivNumberEdit_CustID_H->Text(), QStringLiteral("1"));
    EXPECT_EQ(form->kivNumberEdit_CustID_L->Text(), QStringLiteral("2"));
    EXPECT_EQ(form->kivNumberEdit1->Text(), QStringLiteral("3"));
    EXPECT_EQ(form->kivNumberEdit2->Text(), QStringLiteral("4"));
    EXPECT_EQ(form->kivComboBox1->ItemIndex(), 6);
    EXPECT_EQ(form->kivComboBox2->ItemIndex(), 2);
}

TEST_F(MainWindow, WriteAllBuildsTheCommandFromTheControls)
{
    OpenPort("COM3");
    form->btn_WriteAll->Click();
    const QByteArray expected = Hex("AF F1 34 75 C5 8C 26 48 00 03 04 00 0F 0A");
    EXPECT_EQ(ReadFrom(pty3, 14), expected);
    EXPECT_EQ(form->kivEdit1->Text(), QStringLiteral("AF F1 34 75 C5 8C 26 48 00 03 04 00 0F 0A "));
    EXPECT_EQ(Panel(1), QStringLiteral("......"));

    // Codes outside the lists and a product-ID byte above 255.
    const QByteArray response = Hex("AF F1 01 02 03 04 26 48 00 09 00 00 00 0A");
    ASSERT_TRUE(pty3->Write(response.constData(), size_t(response.size())));
    ASSERT_TRUE(WaitFor([&] { return Panel(1) == QStringLiteral("Successful"); }));
    EXPECT_EQ(form->kivComboBox_RfFactor->ItemIndex(), -1);
    EXPECT_EQ(form->kivComboBox1->ItemIndex(), -1);
    EXPECT_EQ(form->kivNumberEdit_RfFrequency->Text(), QStringLiteral("490"));
    form->kivNumberEdit_CustID_H->SetValue(300);
    form->btn_WriteAll->Click();
    const QByteArray sent = ReadFrom(pty3, 14);
    ASSERT_EQ(sent.size(), 14);
    EXPECT_EQ(uint8_t(sent[2]), 44);     // 300 sends its low 8 bits
    EXPECT_EQ(uint8_t(sent[9]), 0xFF);   // no data-rate selection
    EXPECT_EQ(uint8_t(sent[10]), 0x00);  // no baud selection: -1 + 1
}

TEST_F(MainWindow, NoResponseTimesOutAtTheFifteenthTick)
{
    OpenPort("COM3");
    form->btn_ReadAll->Click();
    Tick(14);
    EXPECT_EQ(Panel(1), QStringLiteral("......"));
    Tick();
    EXPECT_EQ(Panel(1), QStringLiteral("Error:TimeOut!"));
    EXPECT_EQ(form->PendingTicks(), -1);
    // A second command restarts the count.
    form->btn_ReadAll->Click();
    Tick(10);
    form->btn_ReadAll->Click();
    Tick(14);
    EXPECT_EQ(Panel(1), QStringLiteral("......"));
}

TEST_F(MainWindow, TransmitSendsTextOrHexBytes)
{
    OpenPort("COM3");
    struct Case {
        bool hex;
        const char* text;
        const char* expected;  // hex of the bytes on the line
    };
    const Case cases[] = {
        {false, "AT", "41 54"},
        {true, "01 2 3", "01 23"},
        {true, "a1b", "A1"},
        {true, "0G", "20"},
        {true, "G0", "00"},
    };
    for (const Case& c : cases) {
        form->kivCheckBox1->SetChecked(c.hex);
        form->kivEdit2->SetText(QString::fromLatin1(c.text));
        form->kivButton1->Click();
        const QByteArray want = Hex(c.expected);
        EXPECT_EQ(ReadFrom(pty3, int(want.size())), want) << c.text;
        EXPECT_EQ(form->kivEdit2->Text(), QString::fromLatin1(c.text));  // the box keeps its text
    }
    // A single hexadecimal digit sends nothing.
    form->kivCheckBox1->SetChecked(true);
    form->kivEdit2->SetText(QStringLiteral("a"));
    form->kivButton1->Click();
    char byte = 0;
    EXPECT_EQ(pty3->Read(&byte, 1, 150), 0);
    // An empty box asks for input.
    form->kivEdit2->SetText(QString());
    form->kivButton1->Click();
    EXPECT_EQ(boxes, QStringList{QStringLiteral("请输入有效字符")});
}

TEST_F(MainWindow, HexSendFiltersTypedKeys)
{
    OpenPort("COM3");
    form->kivEdit2->SetText(QStringLiteral("abc"));
    form->kivCheckBox1->SetChecked(true);
    EXPECT_EQ(form->kivEdit2->Text(), QString());  // switching modes empties the TX box
    auto* w = qobject_cast<QLineEdit*>(form->kivEdit2->Widget());
    ASSERT_NE(w, nullptr);
    w->setFocus();
    QTest::keyClicks(w, QStringLiteral("0a F"));
    EXPECT_EQ(form->kivEdit2->Text(), QStringLiteral("0a F"));
    EXPECT_TRUE(boxes.isEmpty());
    QTest::keyClick(w, Qt::Key_G);
    EXPECT_EQ(form->kivEdit2->Text(), QStringLiteral("0a F"));
    EXPECT_EQ(boxes, QStringList{QStringLiteral("请输入有效HEX字符组合(0-9,a-f,A-F)")});
    QTest::keyClick(w, Qt::Key_Backspace);
    EXPECT_EQ(form->kivEdit2->Text(), QStringLiteral("0a "));
    // Without HexSend every key passes.
    form->kivCheckBox1->SetChecked(false);
    EXPECT_EQ(form->kivEdit2->Text(), QString());
    QTest::keyClicks(w, QStringLiteral("g!"));
    EXPECT_EQ(form->kivEdit2->Text(), QStringLiteral("g!"));
    EXPECT_EQ(boxes.size(), 1);
}

TEST_F(MainWindow, ReceivedTerminalDataShowsAtTheNextTick)
{
    OpenPort("COM3");
    form->kivEdit1->SetText(QStringLiteral("old"));
    ASSERT_TRUE(pty3->Write("Hello", 5));
    ASSERT_TRUE(WaitFor([&] { return form->IdleTicks() == 0 && form->kivEdit1->Text().isEmpty(); }));
    Tick();
    EXPECT_EQ(form->kivEdit1->Text(), QStringLiteral("Hello"));
    EXPECT_EQ(form->IdleTicks(), -1);

    // Text after a zero byte is not shown.
    ASSERT_TRUE(pty3->Write("A\0B", 3));
    ASSERT_TRUE(WaitFor([&] { return form->IdleTicks() == 0; }));
    Tick();
    EXPECT_EQ(form->kivEdit1->Text(), QStringLiteral("A"));

    // A tick taken by the terminal does not count towards a command's time-out.
    form->btn_ReadAll->Click();
    ASSERT_GT(ReadFrom(pty3, 14).size(), 0);
    Tick(10);
    ASSERT_TRUE(pty3->Write("x", 1));
    ASSERT_TRUE(WaitFor([&] { return form->IdleTicks() == 0; }));
    Tick();  // terminal tick
    Tick(4);
    EXPECT_EQ(Panel(1), QStringLiteral("......"));
    Tick();
    EXPECT_EQ(Panel(1), QStringLiteral("Error:TimeOut!"));
}

// A byte that arrives while the timer takes the received data (after it has decided to show
// them, before it has taken them) is shown, and stays shown: neither its own clear request nor
// the next tick erases it.
TEST_F(MainWindow, AByteArrivingWhileTheTimerTakesTheDataStaysShown)
{
    OpenPort("COM3");
    ASSERT_TRUE(pty3->Write("Hi", 2));
    ASSERT_TRUE(WaitFor([&] { return form->IdleTicks() == 0 && form->kivEdit1->Text().isEmpty(); }));
    testsupport::Pump(std::chrono::milliseconds(20));  // the clear request of "Hi" is handled

    RQSerial* serial = form->Serial();
    bool delivered = false;
    serial->SetTakeObserver([&] {
        if (delivered)
            return;
        delivered = true;
        // The reader thread delivers "X" now; wait until the parser holds it.
        ASSERT_TRUE(pty3->Write("X", 1));
        const DWORD start = GetTickCount();
        while (serial->ReceivedCount() < 3 && GetTickCount() - start < 3000)
            Sleep(1);
    });
    Tick();
    serial->SetTakeObserver({});
    ASSERT_TRUE(delivered);
    EXPECT_EQ(form->kivEdit1->Text(), QStringLiteral("HiX"));
    testsupport::Pump(std::chrono::milliseconds(50));  // any clear request posted meanwhile
    EXPECT_EQ(form->kivEdit1->Text(), QStringLiteral("HiX")) << "erased by its own clear request";
    Tick();
    EXPECT_EQ(form->kivEdit1->Text(), QStringLiteral("HiX")) << "replaced by an empty batch";
    EXPECT_EQ(form->IdleTicks(), -1);
}

TEST(MainWindowHex, BytesToHexAndHexToBytes)
{
    const uint8_t frame[3] = {0xAF, 0x0A, 0x00};
    EXPECT_EQ(TForm1::BytesToHex(frame, 3), QStringLiteral("AF 0A 00 "));
    EXPECT_EQ(TForm1::BytesToHex(frame, 0), QString());
    struct Case {
        const char* text;
        const char* bytes;
    };
    for (const Case& c : {Case{"01 2 3", "0123"}, Case{"a1b", "a1"}, Case{"a", ""}, Case{"", ""},
                          Case{"  ff  FF ", "ffff"}, Case{"0G", "20"}, Case{"G0", "00"}}) {
        EXPECT_EQ(TForm1::HexToBytes(QString::fromLatin1(c.text)).toHex(), QByteArray(c.bytes)) << c.text;
    }
    // At most 1023 characters are converted (the work buffers hold 1024 bytes).
    const QString longText(3000, QLatin1Char('1'));
    EXPECT_EQ(TForm1::HexToBytes(longText).size(), 1023 / 2);
}

// A theme manager listing the window's top-level skinned controls gives every look to the whole
// window: group boxes pass it on to the controls they hold, every skinned control takes it, and
// the window looks different in each.
TEST_F(MainWindow, ThemeManagerGivesEveryLookToEverySkinnedControl)
{
    TkivFileTheme* skin = new TkivFileTheme(form);
    skin->SetName(QStringLiteral("SampleSkin"));
    skin->SetThemeFile(
        QFileInfo(testsupport::DataDir() + QStringLiteral("/../../resources/skins/Verdigris.kvt")).absoluteFilePath());
    ASSERT_TRUE(skin->Ready());

    // Every component that publishes a look, and the manager's list: those not inside a group box.
    std::vector<TControl*> skinned;
    auto* manager = new TkivThemeManager(form);
    auto list = std::make_unique<TkivThemeMgrCompList>();
    for (int i = 0; i < form->ComponentCount(); ++i) {
        auto* c = dynamic_cast<TControl*>(form->Components(i));
        if (!c || c->metaObject()->indexOfProperty("UIStyle") < 0)
            continue;
        skinned.push_back(c);
        if (!c->Parent() || !c->Parent()->InheritsFrom("TkivCustomGroupBox"))
            list->Add(c->Name());
    }
    ASSERT_GE(skinned.size(), 20u);
    manager->SetCompList(list.get());

    struct Look {
        TkivUIStyle style;
        TkivFileTheme* theme;
    };
    const std::vector<Look> looks = {{MacOS, nullptr},   {WinXP, nullptr},     {DeepBlue, nullptr},
                                     {BlueGlass, nullptr}, {FromThemeFile, skin}, {Protein, nullptr}};
    std::vector<QImage> shots;
    for (const Look& look : looks) {
        manager->SetFileTheme(look.theme);
        manager->SetUIStyle(look.style);
        manager->UpdateAll();
        for (TControl* c : skinned) {
            EXPECT_EQ(c->property("UIStyle").toInt(), int(look.style)) << c->Name().toStdString();
            EXPECT_EQ(c->property("FileTheme").value<TkivFileTheme*>(), look.theme) << c->Name().toStdString();
        }
        // The group boxes' frames take the look's border colour.
        const TColor border = look.theme ? look.theme->GetColor(SKIN2_CONTROLBORDERCOLOR)
                                         : GetInsideThemeColor(look.style, KIV_THEME_CONTROL_BORDER_COLOR);
        const QImage box = form->kivGroupBox1->Widget()->grab().toImage();
        EXPECT_EQ(QRgbToColor(box.pixel(0, 40)), border) << int(look.style);
        shots.push_back(form->Widget()->grab().toImage());
    }
    for (size_t i = 0; i < shots.size(); ++i)
        for (size_t j = i + 1; j < shots.size(); ++j)
            EXPECT_NE(shots[i], shots[j]) << "looks " << i << " and " << j << " draw the same window";
}
