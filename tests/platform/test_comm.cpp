// Serial calls on real pseudo-terminals: exclusive open, line settings, overlapped I/O,
// the input wait, purging and hang-up.
#include "PortFixture.h"

#include "platform/WinBase.h"
#include "platform/WinComm.h"
#include "platform/WinSync.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace {

HANDLE OpenPort(const char* name)
{
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
}

DCB LineState(DWORD baud, BYTE parity)
{
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = baud;
    dcb.fBinary = 1;
    dcb.fParity = 1;
    dcb.ByteSize = 8;
    dcb.Parity = parity;
    dcb.StopBits = ONESTOPBIT;
    dcb.XonChar = 0x13;
    dcb.XoffChar = 0x19;
    return dcb;
}

// Reads the line settings through a second descriptor of the same terminal.
class TLineProbe {
public:
    explicit TLineProbe(const std::string& path) : FFd(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~TLineProbe()
    {
        if (FFd >= 0)
            close(FFd);
    }
    termios Get() const
    {
        termios t{};
        tcgetattr(FFd, &t);
        return t;
    }
    bool Valid() const { return FFd >= 0; }

private:
    int FFd;
};

}  // namespace

using Comm = TPortDirFixture;

TEST_F(Comm, OpenIsExclusiveUntilClosed)
{
    AddPort(1);
    HANDLE a = OpenPort("COM1");
    ASSERT_NE(a, INVALID_HANDLE_VALUE);
    HANDLE b = OpenPort("COM1");
    EXPECT_EQ(b, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(CloseHandle(a));
    b = OpenPort("COM1");
    EXPECT_NE(b, INVALID_HANDLE_VALUE);
    CloseHandle(b);
}

TEST_F(Comm, BothNameFormsOpenTheirPorts)
{
    AddPort(9);
    AddPort(10);
    HANDLE h9 = OpenPort("COM9");
    EXPECT_NE(h9, INVALID_HANDLE_VALUE);
    HANDLE h10 = OpenPort("COM10");  // only the device form reaches ports above 9
    EXPECT_EQ(h10, INVALID_HANDLE_VALUE);
    h10 = OpenPort("\\\\.\\COM10");
    EXPECT_NE(h10, INVALID_HANDLE_VALUE);
    CloseHandle(h9);
    CloseHandle(h10);
}

TEST_F(Comm, PermissionErrorsAreReportedAsAccessDenied)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root bypasses file permissions";
    TPseudoTerminal& pty = AddPort(1);
    ASSERT_EQ(chmod(pty.SlavePath().c_str(), 0), 0);
    EXPECT_EQ(OpenPort("COM1"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

namespace {
const struct {
    DWORD baud;
    speed_t speed;
} kRates[] = {{1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
              {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};
const struct {
    BYTE parity;
    tcflag_t bits;
} kParities[] = {{NOPARITY, 0}, {ODDPARITY, PARENB | PARODD}, {EVENPARITY, PARENB}};
}  // namespace

TEST(LineSettings, EveryBaudRateAndParityMapsExactly)
{
    for (const auto& r : kRates) {
        for (const auto& p : kParities) {
            termios t{};
            t.c_cflag = CRTSCTS | HUPCL | CSTOPB;  // whatever the line had before
            t.c_iflag = IXON | IXOFF | ICRNL | INPCK;
            t.c_lflag = ICANON | ECHO | ISIG;
            t.c_oflag = OPOST;
            DWORD error = 0;
            ASSERT_TRUE(DcbToTermios(LineState(r.baud, p.parity), t, &error)) << r.baud;
            EXPECT_EQ(cfgetospeed(&t), r.speed) << r.baud;
            EXPECT_EQ(cfgetispeed(&t), r.speed) << r.baud;
            EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
            EXPECT_EQ(t.c_cflag & (PARENB | PARODD), p.bits) << int(p.parity);
            EXPECT_EQ(t.c_cflag & (CSTOPB | CRTSCTS | HUPCL), 0u);
            EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
            EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INPCK), 0u);
            EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
            EXPECT_EQ(t.c_oflag & OPOST, 0u);
            EXPECT_EQ(t.c_cc[VMIN], 1);
            EXPECT_EQ(t.c_cc[VTIME], 0);
        }
    }
}

TEST_F(Comm, LineStateReachesThePseudoTerminal)
{
    TPseudoTerminal& pty = AddPort(1);
    TLineProbe probe(pty.SlavePath());
    ASSERT_TRUE(probe.Valid());
    HANDLE h = OpenPort("COM1");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    for (const auto& r : kRates) {
        for (const auto& p : kParities) {
            DCB dcb = LineState(r.baud, p.parity);
            ASSERT_TRUE(SetCommState(h, &dcb)) << r.baud;  // a pty takes any parity (and keeps none)
            const termios t = probe.Get();
            EXPECT_EQ(cfgetospeed(&t), r.speed) << r.baud;
            EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
            EXPECT_EQ(t.c_cflag & (CSTOPB | CRTSCTS), 0u);
            EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
            EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
            DCB back;
            ASSERT_TRUE(GetCommState(h, &back));
            EXPECT_EQ(back.BaudRate, r.baud);
            EXPECT_EQ(back.Parity, p.parity);
        }
    }
    CloseHandle(h);
}

TEST_F(Comm, RepeatedParityRequestsOnAPseudoTerminalSucceed)
{
    AddPort(1);
    HANDLE h = OpenPort("COM1");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    // The driver drops the parity bit each time; asking again for the same must still work.
    for (int i = 0; i < 3; ++i) {
        for (BYTE parity : {BYTE(ODDPARITY), BYTE(EVENPARITY)}) {
            DCB dcb = LineState(115200, parity);
            EXPECT_TRUE(SetCommState(h, &dcb)) << i << " " << int(parity) << " error " << GetLastError();
            EXPECT_TRUE(SetCommState(h, &dcb)) << i << " " << int(parity) << " error " << GetLastError();
        }
    }
    CloseHandle(h);
}

TEST_F(Comm, UnsupportedLineStatesFail)
{
    AddPort(1);
    HANDLE h = OpenPort("COM1");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DCB good = LineState(9600, NOPARITY);
    ASSERT_TRUE(SetCommState(h, &good));
    struct Case {
        const char* what;
        DCB dcb;
        DWORD error;
    };
    std::vector<Case> cases;
    for (DWORD baud : {0u, 12345u, 14400u, 0xFFFFFFFFu})
        cases.push_back({"baud", LineState(baud, NOPARITY), ERROR_INVALID_PARAMETER});
    cases.push_back({"mark parity", LineState(9600, MARKPARITY), ERROR_INVALID_PARAMETER});
    cases.push_back({"parity 255", LineState(9600, 255), ERROR_INVALID_PARAMETER});
    DCB d = LineState(9600, NOPARITY);
    d.StopBits = ONE5STOPBITS;
    cases.push_back({"1.5 stop bits", d, ERROR_INVALID_PARAMETER});
    d = LineState(9600, NOPARITY);
    d.ByteSize = 9;
    cases.push_back({"9 data bits", d, ERROR_INVALID_PARAMETER});
    d = LineState(9600, NOPARITY);
    d.fOutxDsrFlow = 1;
    cases.push_back({"DSR flow", d, ERROR_NOT_SUPPORTED});
    for (const Case& c : cases) {
        EXPECT_FALSE(SetCommState(h, &c.dcb)) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
    DCB back;
    ASSERT_TRUE(GetCommState(h, &back));
    EXPECT_EQ(back.BaudRate, 9600u);  // the failures changed nothing
    CloseHandle(h);
}

TEST_F(Comm, WriteCompletesAtOnceAndReachesTheOtherSide)
{
    TPseudoTerminal& pty = AddPort(1);
    HANDLE h = OpenPort("COM1");
    DCB dcb = LineState(9600, NOPARITY);
    ASSERT_TRUE(SetCommState(h, &dcb));
    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const uint8_t data[] = {0xAF, 0xF2, 0x00, 0x0A, 0x0D, 0xFF};
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, data, sizeof data, &written, &ov));
    EXPECT_EQ(written, sizeof data);
    EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), WAIT_OBJECT_0);  // completion sets the event
    uint8_t got[sizeof data];
    ASSERT_TRUE(pty.ReadExactly(got, sizeof got, 2000));
    EXPECT_EQ(std::memcmp(got, data, sizeof data), 0);  // raw: no CR/LF translation
    CloseHandle(ov.hEvent);
    CloseHandle(h);
}

TEST_F(Comm, InputCountReadAndPurge)
{
    TPseudoTerminal& pty = AddPort(1);
    HANDLE h = OpenPort("COM1");
    DCB dcb = LineState(115200, NOPARITY);
    ASSERT_TRUE(SetCommState(h, &dcb));
    const char text[] = "hello\r\n";
    ASSERT_TRUE(pty.Write(text, 7));
    COMSTAT st{};
    DWORD errors = 1;
    for (int i = 0; i < 200 && st.cbInQue < 7; ++i) {
        ASSERT_TRUE(ClearCommError(h, &errors, &st));
        Sleep(1);
    }
    EXPECT_EQ(st.cbInQue, 7u);
    EXPECT_EQ(errors, 0u);

    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    char buf[16] = {};
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(h, buf, 5, &got, &ov));
    EXPECT_EQ(got, 5u);
    EXPECT_EQ(std::string(buf, 5), "hello");

    ASSERT_TRUE(PurgeComm(h, PURGE_RXCLEAR));
    ASSERT_TRUE(ClearCommError(h, &errors, &st));
    EXPECT_EQ(st.cbInQue, 0u);
    CloseHandle(ov.hEvent);
    CloseHandle(h);
}

TEST_F(Comm, PendingReadCompletesWhileWaitingOnItsEvent)
{
    TPseudoTerminal& pty = AddPort(1);
    HANDLE h = OpenPort("COM1");
    DCB dcb = LineState(9600, NOPARITY);
    ASSERT_TRUE(SetCommState(h, &dcb));
    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    uint8_t buf[4] = {};
    DWORD got = 99;
    EXPECT_FALSE(ReadFile(h, buf, 4, &got, &ov));
    EXPECT_EQ(GetLastError(), ERROR_IO_PENDING);
    EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), WAIT_TIMEOUT);  // reset by the call
    EXPECT_FALSE(GetOverlappedResult(h, &ov, &got, FALSE));
    EXPECT_EQ(GetLastError(), ERROR_IO_INCOMPLETE);

    ASSERT_TRUE(pty.Write("ab", 2));
    EXPECT_EQ(WaitForSingleObject(ov.hEvent, 50), WAIT_TIMEOUT);  // two of four bytes
    ASSERT_TRUE(pty.Write("cd", 2));
    EXPECT_EQ(WaitForSingleObject(ov.hEvent, 2000), WAIT_OBJECT_0);
    ASSERT_TRUE(GetOverlappedResult(h, &ov, &got, FALSE));
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(std::memcmp(buf, "abcd", 4), 0);
    CloseHandle(ov.hEvent);
    CloseHandle(h);
}

TEST_F(Comm, InputWaitSleepsUntilInputArrives)
{
    TPseudoTerminal& pty = AddPort(1);
    HANDLE h = OpenPort("COM1");
    DCB dcb = LineState(9600, NOPARITY);
    ASSERT_TRUE(SetCommState(h, &dcb));
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR | EV_CTS | EV_RLSD | EV_BREAK));
    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD mask = 123;
    EXPECT_FALSE(WaitCommEvent(h, &mask, &ov));
    EXPECT_EQ(GetLastError(), ERROR_IO_PENDING);
    EXPECT_EQ(WaitForSingleObject(ov.hEvent, 30), WAIT_TIMEOUT);
    ASSERT_TRUE(pty.Write("x", 1));
    EXPECT_EQ(WaitForSingleObject(ov.hEvent, 2000), WAIT_OBJECT_0);
    DWORD unused = 0;
    EXPECT_TRUE(GetOverlappedResult(h, &ov, &unused, FALSE));
    EXPECT_EQ(mask, EV_RXCHAR);

    // With input queued the wait completes at once.
    mask = 0;
    EXPECT_TRUE(WaitCommEvent(h, &mask, &ov));
    EXPECT_EQ(mask, EV_RXCHAR);
    EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), WAIT_OBJECT_0);
    CloseHandle(ov.hEvent);
    CloseHandle(h);
}

TEST_F(Comm, SetCommMaskEndsAPendingWaitWithNoEvent)
{
    AddPort(1);
    HANDLE h = OpenPort("COM1");
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR));
    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD mask = 5;
    EXPECT_FALSE(WaitCommEvent(h, &mask, &ov));
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR));
    EXPECT_EQ(WaitForSingleObject(ov.hEvent, 1000), WAIT_OBJECT_0);
    EXPECT_EQ(mask, 0u);
    CloseHandle(ov.hEvent);
    CloseHandle(h);
}

TEST_F(Comm, HangUpFailsTheInputWaitAndWrites)
{
    TPseudoTerminal& pty = AddPort(1);
    HANDLE h = OpenPort("COM1");
    DCB dcb = LineState(9600, NOPARITY);
    ASSERT_TRUE(SetCommState(h, &dcb));
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR));
    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD mask = 0;
    EXPECT_FALSE(WaitCommEvent(h, &mask, &ov));
    ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);

    pty.CloseMaster();
    EXPECT_EQ(WaitForSingleObject(ov.hEvent, 2000), WAIT_OBJECT_0);
    DWORD unused = 0;
    EXPECT_FALSE(GetOverlappedResult(h, &ov, &unused, FALSE));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);

    EXPECT_FALSE(WaitCommEvent(h, &mask, &ov));  // at once now
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);

    OVERLAPPED wov{};
    wov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(h, "x", 1, &written, &wov));
    EXPECT_NE(GetLastError(), ERROR_IO_PENDING);
    EXPECT_TRUE(CloseHandle(h));
    CloseHandle(ov.hEvent);
    CloseHandle(wov.hEvent);
}

TEST_F(Comm, ClosingThePortAbortsPendingOperations)
{
    AddPort(1);
    HANDLE h = OpenPort("COM1");
    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    uint8_t buf[8];
    DWORD got = 0;
    EXPECT_FALSE(ReadFile(h, buf, sizeof buf, &got, &ov));
    ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
    CloseHandle(h);
    EXPECT_EQ(WaitForSingleObject(ov.hEvent, 1000), WAIT_OBJECT_0);
    EXPECT_EQ(ov.Internal, ULONG_PTR(ERROR_OPERATION_ABORTED));
    CloseHandle(ov.hEvent);
}

TEST_F(Comm, CallsOnClosedOrForeignHandlesFail)
{
    HANDLE ev = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DCB dcb = LineState(9600, NOPARITY);
    COMSTAT st{};
    DWORD n = 0;
    EXPECT_FALSE(SetCommState(ev, &dcb));
    EXPECT_FALSE(ClearCommError(ev, nullptr, &st));
    EXPECT_FALSE(PurgeComm(nullptr, PURGE_RXCLEAR));
    EXPECT_FALSE(WriteFile(INVALID_HANDLE_VALUE, "x", 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    CloseHandle(ev);
}

namespace {
std::vector<DWORD> gObserved;
void Observe(HANDLE, DWORD len) { gObserved.push_back(len); }
}  // namespace

TEST_F(Comm, WriteObserverSeesEveryRequestedLength)
{
    TPseudoTerminal& pty = AddPort(1);
    HANDLE h = OpenPort("COM1");
    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    gObserved.clear();
    SetWriteFileObserver(Observe);
    DWORD n = 0;
    WriteFile(h, "abc", 3, &n, &ov);
    WriteFile(h, "", 0, &n, &ov);
    SetWriteFileObserver(nullptr);
    WriteFile(h, "z", 1, &n, &ov);
    EXPECT_EQ(gObserved, (std::vector<DWORD>{3, 0}));
    pty.Drain();
    CloseHandle(ov.hEvent);
    CloseHandle(h);
}
