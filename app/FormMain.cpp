#include "app/FormMain.h"

#include "framework/FormReader.h"
#include "skin/controls/Kivcontrols.h"
#include "framework/SysUtils.h"
#include "platform/WinMessages.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

TForm1* Form1 = nullptr;

namespace {

// Finds a component of the stored definition and checks its class.
template <class T>
void Bind(TComponent* root, T*& field, const char* name)
{
    TComponent* c = root->FindComponent(QString::fromLatin1(name));
    field = dynamic_cast<T*>(c);
    if (!field)
        throw EClassNotFound(QStringLiteral("Component %1 is missing or of the wrong class").arg(QLatin1String(name)));
}

// The low 8 bits of a number truncated toward zero (values beyond the 64-bit range give 0).
uint8_t LowByteOfTrunc(double v)
{
    const double t = std::trunc(v);
    if (!(t > -9.2e18 && t < 9.2e18))
        return 0;
    return uint8_t(int64_t(t) & 0xFF);
}

// atol: leading blanks, an optional sign, then digits; no digits gives 0.
long AtoL(const String& s) { return std::atol(s.toLocal8Bit().constData()); }

}  // namespace

void RegisterMainWindowClasses()
{
    RegisterFrameworkClasses();
    RegisterSkinControlClasses();
    RegisterKivformClasses();
}

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner)
{
    RegisterMainWindowClasses();
    RegisterMethod("FormCreate", &TForm1::FormCreate);
    RegisterMethod("kivButton_OpenPortClick", &TForm1::kivButton_OpenPortClick);
    RegisterMethod("btn_ReadAllClick", &TForm1::btn_ReadAllClick);
    RegisterMethod("btn_WriteAllClick", &TForm1::btn_WriteAllClick);
    RegisterMethod("Timer1Timer", &TForm1::Timer1Timer);
    RegisterMethod("kivEdit2KeyPress", &TForm1::kivEdit2KeyPress);
    RegisterMethod("kivCheckBox1Click", &TForm1::kivCheckBox1Click);
    RegisterMethod("kivButton1Click", &TForm1::kivButton1Click);

    ReadComponentResource(this, QStringLiteral(":/forms/FormMain.dfm"));

    Bind(this, kivForm1, "kivForm1");
    Bind(this, kivGroupBox1, "kivGroupBox1");
    Bind(this, kivButton_OpenPort, "kivButton_OpenPort");
    Bind(this, kivComboBox_PcPort, "kivComboBox_PcPort");
    Bind(this, Label1, "Label1");
    Bind(this, kivComboBox_PcBaudRate, "kivComboBox_PcBaudRate");
    Bind(this, Label2, "Label2");
    Bind(this, kivComboBox_PcParity, "kivComboBox_PcParity");
    Bind(this, kivGroupBox2, "kivGroupBox2");
    Bind(this, kivNumberEdit_RfFrequency, "kivNumberEdit_RfFrequency");
    Bind(this, Label3, "Label3");
    Bind(this, kivGroupBox3, "kivGroupBox3");
    Bind(this, kivComboBox_RfFactor, "kivComboBox_RfFactor");
    Bind(this, Label4, "Label4");
    Bind(this, kivGroupBox8, "kivGroupBox8");
    Bind(this, kivNumberEdit_CustID_H, "kivNumberEdit_CustID_H");
    Bind(this, kivNumberEdit_CustID_L, "kivNumberEdit_CustID_L");
    Bind(this, kivNumberEdit1, "kivNumberEdit1");
    Bind(this, kivNumberEdit2, "kivNumberEdit2");
    Bind(this, img2, "img2");
    Bind(this, kivGroupBox4, "kivGroupBox4");
    Bind(this, Label5, "Label5");
    Bind(this, kivComboBox1, "kivComboBox1");
    Bind(this, Label6, "Label6");
    Bind(this, kivComboBox2, "kivComboBox2");
    Bind(this, btn_WriteAll, "btn_WriteAll");
    Bind(this, btn_ReadAll, "btn_ReadAll");
    Bind(this, Bevel1, "Bevel1");
    Bind(this, Label7, "Label7");
    Bind(this, Label8, "Label8");
    Bind(this, kivEdit1, "kivEdit1");
    Bind(this, kivEdit2, "kivEdit2");
    Bind(this, kivCheckBox1, "kivCheckBox1");
    Bind(this, kivButton1, "kivButton1");
    Bind(this, kivStatusBar1, "kivStatusBar1");
    Bind(this, Timer1, "Timer1");

    // The hexadecimal conversion works on at most 1023 characters; the TX box takes no more
    // (typing or pasting beyond that is refused by the box itself).
    kivEdit2->SetMaxLength(kMaxTxText);

    recvMessage = RegisterWindowMessageA("RQ27MSerial_MSG_RECV_1");
    clearRxMessage = RegisterWindowMessageA("RQ27MSerial_MSG_CLEAR_RX");
    serial = new RQSerial;
    windowHandle = Handle();
    serial->SetNotify(windowHandle, recvMessage);
    serial->SetHost(this);
    pendingTicks = -1;
    idleTicks = -1;
}

TForm1::~TForm1()
{
    // The reader thread must have ended before anything it reaches goes away.
    if (serial) {
        serial->Close();
        serial->SetHost(nullptr);
        delete serial;
        serial = nullptr;
    }
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::Dispatch(TMessage& Message)
{
    if (Message.Msg != 0 && Message.Msg == recvMessage) {
        OnParamsReceived(Message);
        return;
    }
    if (Message.Msg != 0 && Message.Msg == clearRxMessage) {
        ClearRxBoxRequested();
        return;
    }
    TForm::Dispatch(Message);
}

void TForm1::SetStatusText(const String& text, int index)
{
    if (index < 0 || index >= 3 || index >= kivStatusBar1->Panels()->Count())
        return;
    kivStatusBar1->Panels()->Items(index)->SetText(text);
}

void TForm1::FormCreate(TObject*)
{
    for (uint32_t n = 1; n <= 255; ++n)
        if (ProbePort(n))
            kivComboBox_PcPort->Items()->Add(QStringLiteral("COM%1").arg(n));
    if (kivComboBox_PcPort->Items()->Count() > 0)
        kivComboBox_PcPort->SetItemIndex(0);
    SetStatusText(QStringLiteral("Closed"), 0);
    kivComboBox_PcPort->SetEnabled(true);
    kivComboBox_PcBaudRate->SetEnabled(true);
    kivComboBox_PcParity->SetEnabled(true);
    btn_WriteAll->SetEnabled(false);
    btn_ReadAll->SetEnabled(false);
    kivButton1->SetEnabled(false);
    kivCheckBox1->SetEnabled(false);
    kivButton_OpenPort->SetCaption(QStringLiteral("Open"));
    SetStatusText(FormatDateTime(QStringLiteral("t"), Now()), 2);
}

void TForm1::kivButton_OpenPortClick(TObject*)
{
    if (serial->IsOpen()) {
        serial->Close();
    } else {
        const String portText = kivComboBox_PcPort->Text();
        const qsizetype m = portText.indexOf(QLatin1Char('M'));
        const uint32_t port = uint32_t(AtoL(portText.mid(m + 1)));
        const int baud = int(AtoL(kivComboBox_PcBaudRate->Text()));
        const int parity = kivComboBox_PcParity->ItemIndex();
        serial->Configure(port, baud, parity);
    }
    ShowPortState();
}

void TForm1::ShowPortState()
{
    const bool open = serial->IsOpen();
    SetStatusText(open ? QStringLiteral("Opened") : QStringLiteral("Closed"), 0);
    kivComboBox_PcPort->SetEnabled(!open);
    kivComboBox_PcBaudRate->SetEnabled(!open);
    kivComboBox_PcParity->SetEnabled(!open);
    btn_WriteAll->SetEnabled(open);
    btn_ReadAll->SetEnabled(open);
    kivButton1->SetEnabled(open);
    kivCheckBox1->SetEnabled(open);
    if (!open)
        SetStatusText(QStringLiteral(" "), 1);
    kivButton_OpenPort->SetCaption(open ? QStringLiteral("Close") : QStringLiteral("Open"));
}

void TForm1::btn_ReadAllClick(TObject*)
{
    serial->SendRead();
    kivEdit2->SetText(BytesToHex(lastFrame, 14));
    SetStatusText(QStringLiteral("......"), 1);
    pendingTicks = 0;
}

void TForm1::btn_WriteAllClick(TObject*)
{
    ModuleParams p = serial->Params();
    p.frequencyMHz = kivNumberEdit_RfFrequency->Value();
    p.dataRateCode = uint8_t(kivComboBox_RfFactor->ItemIndex() & 0xFF);
    p.productId[0] = LowByteOfTrunc(kivNumberEdit_CustID_H->Value());
    p.productId[1] = LowByteOfTrunc(kivNumberEdit_CustID_L->Value());
    p.productId[2] = LowByteOfTrunc(kivNumberEdit1->Value());
    p.productId[3] = LowByteOfTrunc(kivNumberEdit2->Value());
    p.baudCode = uint8_t((kivComboBox1->ItemIndex() + 1) & 0xFF);
    p.parityCode = uint8_t(kivComboBox2->ItemIndex() & 0xFF);
    serial->SetParams(p);
    serial->SendWrite();
    kivEdit1->SetText(BytesToHex(lastFrame, 14));
    SetStatusText(QStringLiteral("......"), 1);
    pendingTicks = 0;
}

void TForm1::OnParamsReceived(TMessage&)
{
    pendingTicks = -1;
    if (!serial)
        return;
    const ModuleParams p = serial->Params();
    SetStatusText(QStringLiteral("Successful"), 1);
    kivNumberEdit_RfFrequency->SetText(FloatToStr(p.frequencyMHz));
    kivComboBox_RfFactor->SetItemIndex(p.dataRateCode);
    kivNumberEdit_CustID_H->SetValue(p.productId[0]);
    kivNumberEdit_CustID_L->SetValue(p.productId[1]);
    kivNumberEdit1->SetValue(p.productId[2]);
    kivNumberEdit2->SetValue(p.productId[3]);
    kivComboBox1->SetItemIndex(int(p.baudCode) - 1);
    kivComboBox2->SetItemIndex(p.parityCode);
}

void TForm1::Timer1Timer(TObject*)
{
    if (idleTicks.load() >= 0) {
        // Terminal data is waiting: show what arrived since the last tick.
        idleTicks.fetch_add(1);
        if (idleTicks.load() < 1)
            return;
        uint8_t buffer[200] = {};
        // The idle counter and the clear request are reset in the same locked step that takes the
        // bytes; the parser sets them under that lock. A byte that arrives before the take is in
        // what is shown, and its requests are withdrawn with it (else its clear request would
        // erase it, and the next tick would replace it with an empty batch); a byte that arrives
        // after keeps both, so the box empties and the byte shows at the next tick.
        serial->TakeReceived(buffer, sizeof buffer - 1, [this] {
            idleTicks.store(-1);
            rxClearPending.store(false);
        });
        kivEdit1->SetText(QString::fromLocal8Bit(reinterpret_cast<const char*>(buffer)));
        return;
    }
    SetStatusText(FormatDateTime(QStringLiteral("t"), Now()), 2);
    if (pendingTicks >= 0) {
        ++pendingTicks;
        if (pendingTicks >= 15) {
            pendingTicks = -1;
            SetStatusText(QStringLiteral("Error:TimeOut!"), 1);
        }
    }
}

void TForm1::kivEdit2KeyPress(TObject*, char& Key)
{
    if (!kivCheckBox1->Checked())
        return;
    const signed char c = static_cast<signed char>(Key);
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (hex || c == ' ' || c == 8)
        return;
    Key = 4;
    Application->MessageBox(QStringLiteral("请输入有效HEX字符组合(0-9,a-f,A-F)"), String(), MB_OK);
}

void TForm1::kivCheckBox1Click(TObject*) { kivEdit2->SetText(String()); }

void TForm1::kivButton1Click(TObject*)
{
    const String text = kivEdit2->Text();
    if (text.isEmpty()) {
        Application->MessageBox(QStringLiteral("请输入有效字符"), String(), MB_OK);
        return;
    }
    const QByteArray data = kivCheckBox1->Checked() ? HexToBytes(text) : text.toLocal8Bit();
    serial->Write(data.constData(), uint32_t(data.size()));
}

String TForm1::BytesToHex(const uint8_t* data, uint32_t len)
{
    QByteArray out;
    out.reserve(int(len) * 3);
    char cell[4];
    for (uint32_t i = 0; i < len; ++i) {
        std::snprintf(cell, sizeof cell, "%02x ", data[i]);
        out.append(cell, 3);
    }
    return QString::fromLatin1(out).toUpper();
}

uint8_t TForm1::HexNibble(char c)
{
    if (c >= '0' && c <= '9')
        return uint8_t(c - '0');
    if (c >= 'A' && c <= 'F')
        return uint8_t(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return uint8_t(c - 'a' + 10);
    return 32;
}

QByteArray TForm1::HexToBytes(const String& text)
{
    // Work buffers of 1024 bytes: a copy of the text (zero-terminated) and the nibble values.
    char copy[1024] = {};
    uint8_t nibbles[1024] = {};
    const QByteArray bytes = text.toLocal8Bit();
    const size_t n = std::min<size_t>(size_t(bytes.size()), sizeof copy - 1);
    std::memcpy(copy, bytes.constData(), n);
    size_t count = 0;
    for (size_t i = 0; i < n; ++i) {
        if (copy[i] == ' ')
            continue;
        nibbles[count++] = HexNibble(copy[i]);
    }
    QByteArray out;
    out.resize(qsizetype(count / 2));
    for (size_t k = 0; k < count / 2; ++k)
        out[qsizetype(k)] = char(uint8_t((nibbles[2 * k] * 16 + nibbles[2 * k + 1]) % 256));
    return out;
}

void TForm1::StoreLastFrame(const uint8_t* data, uint32_t len)
{
    std::memset(lastFrame, 0, sizeof lastFrame);
    std::memcpy(lastFrame, data, std::min<size_t>(len, sizeof lastFrame));
}

void TForm1::TerminalByteArrived()
{
    idleTicks.store(0);
    // One clear request outstanding at a time; the GUI thread empties the RX box.
    if (!rxClearPending.exchange(true))
        PostMessageA(windowHandle, clearRxMessage, 0, 0);
}

void TForm1::ClearRxBoxRequested()
{
    if (rxClearPending.exchange(false))
        kivEdit1->SetText(String());
}
