// TForm1: the configurator's main window. It lists the serial ports, opens and closes the chosen
// one, sends the module's read and write commands, shows a decoded response in its controls,
// reports progress and time-outs in the status bar, and works as a small serial terminal.
#pragma once

#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "serial/RQSerial.h"
#include "skin/controls/Kivbutton.h"
#include "skin/controls/Kivcombobox.h"
#include "skin/controls/Kivedit.h"
#include "skin/controls/Kivgroupbox.h"
#include "skin/controls/Kivimagepanel.h"
#include "skin/controls/Kivstatusbar.h"
#include "skin/frame/Kivform.h"

#include <QByteArray>
#include <atomic>
#include <cstdint>

class TForm1 : public TForm, public IRQSerialHost {
    Q_OBJECT

public:
    explicit TForm1(TComponent* AOwner);
    ~TForm1() override;

    // Components of the stored definition.
    TkivForm* kivForm1 = nullptr;
    TkivGroupBox* kivGroupBox1 = nullptr;
    TkivButton* kivButton_OpenPort = nullptr;
    TCustomComboBox* kivComboBox_PcPort = nullptr;
    TLabel* Label1 = nullptr;
    TCustomComboBox* kivComboBox_PcBaudRate = nullptr;
    TLabel* Label2 = nullptr;
    TCustomComboBox* kivComboBox_PcParity = nullptr;
    TkivGroupBox* kivGroupBox2 = nullptr;
    TkivNumberEdit* kivNumberEdit_RfFrequency = nullptr;
    TLabel* Label3 = nullptr;
    TkivGroupBox* kivGroupBox3 = nullptr;
    TCustomComboBox* kivComboBox_RfFactor = nullptr;
    TLabel* Label4 = nullptr;
    TkivGroupBox* kivGroupBox8 = nullptr;
    TkivNumberEdit* kivNumberEdit_CustID_H = nullptr;
    TkivNumberEdit* kivNumberEdit_CustID_L = nullptr;
    TkivNumberEdit* kivNumberEdit1 = nullptr;
    TkivNumberEdit* kivNumberEdit2 = nullptr;
    TkivImagePanel* img2 = nullptr;
    TkivGroupBox* kivGroupBox4 = nullptr;
    TLabel* Label5 = nullptr;
    TCustomComboBox* kivComboBox1 = nullptr;
    TLabel* Label6 = nullptr;
    TCustomComboBox* kivComboBox2 = nullptr;
    TkivButton* btn_WriteAll = nullptr;
    TkivButton* btn_ReadAll = nullptr;
    TBevel* Bevel1 = nullptr;
    TLabel* Label7 = nullptr;
    TLabel* Label8 = nullptr;
    TCustomEdit* kivEdit1 = nullptr;
    TCustomEdit* kivEdit2 = nullptr;
    TkivCheckBox* kivCheckBox1 = nullptr;
    TkivButton* kivButton1 = nullptr;
    TCustomStatusBar* kivStatusBar1 = nullptr;
    TTimer* Timer1 = nullptr;

    // Handlers named in the stored definition.
    void FormCreate(TObject* Sender);
    void kivButton_OpenPortClick(TObject* Sender);
    void btn_ReadAllClick(TObject* Sender);
    void btn_WriteAllClick(TObject* Sender);
    void Timer1Timer(TObject* Sender);
    void kivEdit2KeyPress(TObject* Sender, char& Key);
    void kivCheckBox1Click(TObject* Sender);
    void kivButton1Click(TObject* Sender);

    // Sets Panels[index].Text of the status bar; indexes from 3 on are ignored.
    void SetStatusText(const String& text, int index);
    void OnParamsReceived(TMessage& message);

    // Two hexadecimal digits and a space per byte, upper case ("AF F2 ... 0A ").
    static String BytesToHex(const uint8_t* data, uint32_t len);
    // The bytes a hexadecimal text stands for (blanks skipped, other characters count as 32,
    // an odd last digit dropped).
    static QByteArray HexToBytes(const String& text);
    static uint8_t HexNibble(char c);

    // IRQSerialHost
    void StoreLastFrame(const uint8_t* data, uint32_t len) override;
    void TerminalByteArrived() override;

    RQSerial* Serial() const { return serial; }
    const uint8_t* LastFrame() const { return lastFrame; }
    int32_t PendingTicks() const { return pendingTicks; }
    int32_t IdleTicks() const { return idleTicks.load(); }
    UINT RecvMessage() const { return recvMessage; }

    // The longest TX text the hexadecimal conversion takes (its work buffer holds 1024 bytes).
    static constexpr int kMaxTxText = 1023;

protected:
    void Dispatch(TMessage& Message) override;

private:
    void ShowPortState();
    void ClearRxBoxRequested();

    int32_t pendingTicks = -1;
    RQSerial* serial = nullptr;
    UINT recvMessage = 0;
    std::atomic<int32_t> idleTicks{-1};
    uint8_t lastFrame[1024] = {};
    // The reader thread asks for the RX box to be cleared through a posted message, at most one
    // outstanding at a time. The timer withdraws the request (and resets idleTicks) inside the
    // serial object's locked step that takes the received bytes.
    UINT clearRxMessage = 0;
    HWND windowHandle = nullptr;
    std::atomic<bool> rxClearPending{false};
};

extern TForm1* Form1;

// Registers the classes of the main window's definition with the form reader.
void RegisterMainWindowClasses();
