// CXSerial and RQSerial on real pseudo-terminals linked as COM ports.
#include "../platform/PortFixture.h"

#include "platform/WinBase.h"
#include "platform/WinMessages.h"
#include "platform/WinThreads.h"
#include "serial/RQSerial.h"
#include "tests/testsupport/TestSupport.h"

#include <QCoreApplication>
#include <QObject>

#include <fcntl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Collects every byte the reader delivers.
class TCollector : public CXSerial {
public:
    ~TCollector() override { Close(); }
    void Reset()
    {
        std::lock_guard<std::mutex> g(FLock);
        FBytes.clear();
    }
    std::vector<uint8_t> Bytes()
    {
        std::lock_guard<std::mutex> g(FLock);
        return FBytes;
    }
    size_t Count()
    {
        std::lock_guard<std::mutex> g(FLock);
        return FBytes.size();
    }

protected:
    void OnByte(uint8_t b) override
    {
        std::lock_guard<std::mutex> g(FLock);
        FBytes.push_back(b);
    }

private:
    std::mutex FLock;
    std::vector<uint8_t> FBytes;
};

std::vector<DWORD> gChunks;
std::mutex gChunksLock;
void RecordChunk(HANDLE, DWORD len)
{
    std::lock_guard<std::mutex> g(gChunksLock);
    gChunks.push_back(len);
}

DWORD ReaderExitCode(const CXSerial& s)
{
    DWORD code = 0;
    GetExitCodeThread(s.ReaderThreadHandle(), &code);
    return code;
}

double ProcessCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

termios LineOf(const std::string& path)
{
    termios t{};
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    tcgetattr(fd, &t);
    close(fd);
    return t;
}

class TCounter : public QObject {
public:
    int Posts = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != TWinMessageEvent::EventType())
            return QObject::event(e);
        ++Posts;
        return true;
    }
};

}  // namespace

using Serial = TPortDirFixture;

TEST_F(Serial, OpenCloseAndTheClosedState)
{
    AddPort(1);
    TCollector s;
    EXPECT_EQ(s.IsOpen(), 0);
    EXPECT_EQ(s.PortNumber(), 1u);
    EXPECT_EQ(s.BaudRate(), 9600);
    EXPECT_EQ(s.Parity(), 0);
    EXPECT_EQ(s.Close(), 1);  // closing a closed object changes nothing
    EXPECT_EQ(s.Write("x", 1), 0);
    EXPECT_EQ(s.SetLineState(9600, 0), 0);

    ASSERT_EQ(s.Open(1, 19200, 2), 1);
    EXPECT_EQ(s.IsOpen(), 1);
    EXPECT_EQ(s.BaudRate(), 19200);
    EXPECT_EQ(s.Parity(), 2);
    EXPECT_NE(s.ReaderThreadHandle(), nullptr);
    EXPECT_EQ(s.Close(), 1);
    EXPECT_EQ(s.IsOpen(), 0);
    EXPECT_EQ(s.ReaderThreadHandle(), nullptr);
    EXPECT_EQ(s.Close(), 1);
}

TEST_F(Serial, OpenFailuresLeaveTheObjectClosed)
{
    TCollector s;
    EXPECT_EQ(s.Open(0, 9600, 0), 0);  // the window's "no port" case
    EXPECT_EQ(s.IsOpen(), 0);
    EXPECT_EQ(s.Open(250, 9600, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(s.IsOpen(), 0);
}

TEST_F(Serial, FailedConfigurationClosesThePortAgain)
{
    AddPort(3);
    TCollector s;
    EXPECT_EQ(s.Open(3, 12345, 0), 0);  // no such baud rate
    EXPECT_EQ(s.IsOpen(), 0);           // not left half-open
    EXPECT_EQ(s.ReaderThreadHandle(), nullptr);
    EXPECT_EQ(ProbePort(3), 1);  // and released
    EXPECT_EQ(s.Open(3, 9600, 7), 0);  // no such parity
    EXPECT_EQ(s.IsOpen(), 0);
}

TEST_F(Serial, PortNamesSwitchFormAtTen)
{
    char name[20];
    CXSerial::FormatPortName(9, name, sizeof name);
    EXPECT_STREQ(name, "COM9");
    CXSerial::FormatPortName(10, name, sizeof name);
    EXPECT_STREQ(name, "\\\\.\\COM10");
    CXSerial::FormatPortName(4294967295u, name, sizeof name);
    EXPECT_STREQ(name, "\\\\.\\COM4294967295");  // fits the 20-byte buffer

    AddPort(9);
    AddPort(10);
    TCollector a, b;
    EXPECT_EQ(a.Open(9, 9600, 0), 1);
    EXPECT_EQ(b.Open(10, 9600, 0), 1);
}

TEST_F(Serial, LineConfigurationIsTheFixedOne)
{
    DCB dcb;
    CXSerial::BuildLineState(dcb, 57600, 1);
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.BaudRate, 57600u);
    EXPECT_EQ(dcb.fBinary, 1u);
    EXPECT_EQ(dcb.fParity, 1u);
    EXPECT_EQ(dcb.fOutxCtsFlow | dcb.fOutxDsrFlow | dcb.fDsrSensitivity | dcb.fTXContinueOnXoff, 0u);
    EXPECT_EQ(dcb.fOutX | dcb.fInX | dcb.fErrorChar | dcb.fNull | dcb.fAbortOnError, 0u);
    EXPECT_EQ(dcb.fDtrControl, unsigned(DTR_CONTROL_DISABLE));
    EXPECT_EQ(dcb.fRtsControl, unsigned(RTS_CONTROL_DISABLE));
    EXPECT_EQ(dcb.XonLim, 2);
    EXPECT_EQ(dcb.XoffLim, 4);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, ODDPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(dcb.XonChar, 0x13);
    EXPECT_EQ(dcb.XoffChar, 0x19);
    EXPECT_EQ(dcb.ErrorChar | dcb.EofChar | dcb.EvtChar, 0);
}

TEST_F(Serial, WriteGoesOutInChunksOf1024)
{
    TPseudoTerminal& pty = AddPort(1);
    TCollector s;
    ASSERT_EQ(s.Open(1, 115200, 0), 1);
    std::vector<uint8_t> data(2500);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 7);
    {
        std::lock_guard<std::mutex> g(gChunksLock);
        gChunks.clear();
    }
    SetWriteFileObserver(RecordChunk);
    std::vector<uint8_t> received(data.size());
    std::thread drain([&] { EXPECT_TRUE(pty.ReadExactly(received.data(), received.size(), 5000)); });
    EXPECT_EQ(s.Write(data.data(), uint32_t(data.size())), 1);
    drain.join();
    SetWriteFileObserver(nullptr);
    EXPECT_EQ(gChunks, (std::vector<DWORD>{1024, 1024, 452}));
    EXPECT_EQ(received, data);

    gChunks.clear();
    SetWriteFileObserver(RecordChunk);
    EXPECT_EQ(s.Write(data.data(), 0), 1);  // one pass, nothing written
    SetWriteFileObserver(nullptr);
    EXPECT_EQ(gChunks, (std::vector<DWORD>{0}));
}

// The other side reads slowly, so chunks have to wait for room (the pending-write path).
TEST_F(Serial, WritesWaitForRoomWhenTheOtherSideIsSlow)
{
    TPseudoTerminal& pty = AddPort(1);
    TCollector s;
    ASSERT_EQ(s.Open(1, 115200, 0), 1);
    std::vector<uint8_t> data(256 * 1024);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i ^ (i >> 8));
    std::vector<uint8_t> received;
    std::thread drain([&] {
        uint8_t buf[4096];
        while (received.size() < data.size()) {
            const ssize_t n = pty.Read(buf, sizeof buf, 3000);
            if (n <= 0)
                break;
            received.insert(received.end(), buf, buf + n);
            Sleep(1);
        }
    });
    EXPECT_EQ(s.Write(data.data(), uint32_t(data.size())), 1);
    drain.join();
    EXPECT_TRUE(received == data);
}

// A write never reports bytes as sent that it threw away, and it never holds the caller longer
// than its deadline: neither against a peer that reads nothing (a chunk times out) nor against
// one that reads so slowly that every chunk gets room just in time.
TEST_F(Serial, AStalledWriteFailsWithinItsDeadline)
{
    struct Case {
        const char* what;
        int readEveryMs;  // 0: the peer never reads
        size_t readBytes;
    };
    const Case cases[] = {
        {"peer reads nothing", 0, 0},
        {"peer reads a little, often enough for every chunk", 300, 4096},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TPseudoTerminal& pty = AddPort(1);
        TCollector s;
        ASSERT_EQ(s.Open(1, 115200, 0), 1);
        std::vector<uint8_t> data(512 * 1024, 0x5A);
        std::atomic<bool> stop{false};
        std::thread peer([&] {
            std::vector<uint8_t> buf(c.readBytes);
            while (!stop && c.readEveryMs > 0) {
                Sleep(DWORD(c.readEveryMs));
                pty.Read(buf.data(), buf.size(), 0);
            }
        });
        const DWORD start = GetTickCount();
        const int result = s.Write(data.data(), uint32_t(data.size()));
        const DWORD took = GetTickCount() - start;
        stop = true;
        peer.join();
        EXPECT_EQ(result, 0) << "most of the data never reached the peer";
        EXPECT_LE(took, CXSerial::kWriteDeadlineMs + 1000) << "ms the caller was held";
        // The port is still usable for the next write once the peer reads again.
        pty.Drain();
        EXPECT_EQ(s.Write("ok", 2), 1);
        s.Close();
    }
}

TEST_F(Serial, EveryReceivedByteArrivesInOrder)
{
    TPseudoTerminal& pty = AddPort(1);
    TCollector s;
    ASSERT_EQ(s.Open(1, 115200, 0), 1);
    const size_t total = 1536 * 1024;  // 1.5 MB
    std::vector<uint8_t> data(total);
    uint32_t x = 2463534242u;
    for (uint8_t& b : data) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = uint8_t(x);
    }
    size_t pos = 0;
    while (pos < total) {  // uneven pieces, as a device delivers them
        const size_t n = std::min<size_t>(total - pos, 1 + (pos * 31) % 5000);
        ASSERT_TRUE(pty.Write(data.data() + pos, n, 10000));
        pos += n;
    }
    ASSERT_TRUE(testsupport::WaitFor([&] { return s.Count() >= total; }, std::chrono::seconds(20)));
    EXPECT_TRUE(s.Bytes() == data);
}

// The reader's start-up purge is over when Open returns: nothing sent either way right
// after Open is discarded by it.
TEST_F(Serial, NothingSentRightAfterOpenIsLost)
{
    TPseudoTerminal& pty = AddPort(1);
    for (int round = 0; round < 30; ++round) {
        TCollector s;
        ASSERT_EQ(s.Open(1, 115200, 0), 1);
        ASSERT_TRUE(pty.Write("in", 2));
        ASSERT_EQ(s.Write("out", 3), 1);
        char got[3];
        ASSERT_TRUE(pty.ReadExactly(got, 3, 2000)) << round;
        EXPECT_EQ(std::string(got, 3), "out");
        ASSERT_TRUE(testsupport::WaitFor([&] { return s.Count() == 2; })) << round;
        s.Close();
        pty.Drain();
    }
}

TEST_F(Serial, ConfigureTheOpenPortKeepsTheReader)
{
    TPseudoTerminal& pty = AddPort(1);
    AddPort(2);
    TCollector s;
    ASSERT_EQ(s.Configure(1, 9600, 0), 1);  // not open yet: opens
    const HANDLE port = s.PortHandle();
    const HANDLE reader = s.ReaderThreadHandle();
    ASSERT_EQ(s.Configure(1, 57600, 2), 1);
    EXPECT_EQ(s.PortHandle(), port);  // no close, no reopen
    EXPECT_EQ(s.ReaderThreadHandle(), reader);
    EXPECT_EQ(ReaderExitCode(s), STILL_ACTIVE);
    EXPECT_EQ(s.Parity(), 2);
    EXPECT_EQ(s.BaudRate(), 9600);  // the stored rate is left as it was
    EXPECT_EQ(cfgetospeed(&static_cast<const termios&>(LineOf(pty.SlavePath()))), speed_t(B57600));
    ASSERT_TRUE(pty.Write("ok", 2));
    ASSERT_TRUE(testsupport::WaitFor([&] { return s.Count() == 2; }));  // the reader still reads

    ASSERT_EQ(s.Configure(2, 9600, 0), 1);  // another port: closes and reopens
    EXPECT_NE(s.PortHandle(), port);
    EXPECT_EQ(s.PortNumber(), 2u);
    EXPECT_EQ(ProbePort(1), 1);  // the first port is free again
    EXPECT_EQ(ProbePort(2), 0);
}

TEST_F(Serial, AHeldPortCannotBeOpenedAndProbesAbsent)
{
    AddPort(4);
    EXPECT_EQ(ProbePort(4), 1);
    TCollector holder, other;
    ASSERT_EQ(holder.Open(4, 9600, 0), 1);
    EXPECT_EQ(ProbePort(4), 0);
    EXPECT_EQ(other.Open(4, 9600, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(other.IsOpen(), 0);
    holder.Close();
    EXPECT_EQ(ProbePort(4), 1);
    EXPECT_EQ(other.Open(4, 9600, 0), 1);
}

TEST_F(Serial, ProbePortListsOnlyOpenablePorts)
{
    AddPort(2);
    AddPort(7);
    ASSERT_TRUE(LinkComPort(5, Dir() + "/gone"));
    ASSERT_TRUE(LinkComPort(9, "/dev/ptmx"));  // the multiplexer would open as a fresh terminal
    EXPECT_EQ(ProbePort(9), 0);
    std::vector<uint32_t> found;
    for (uint32_t n = 1; n <= 12; ++n)
        if (ProbePort(n) && ResolveComPort(n).rfind("/dev/pts/", 0) == 0)
            found.push_back(n);
    EXPECT_EQ(found, (std::vector<uint32_t>{2, 7}));
}

TEST_F(Serial, AnIdleOpenPortDoesNotSpin)
{
    AddPort(1);
    TCollector s;
    ASSERT_EQ(s.Open(1, 9600, 0), 1);
    Sleep(50);
    const double before = ProcessCpuMs();
    Sleep(300);
    const double used = ProcessCpuMs() - before;
    EXPECT_LT(used, 30.0) << "CPU ms used in 300 ms of idling";
    EXPECT_EQ(ReaderExitCode(s), STILL_ACTIVE);
}

TEST_F(Serial, PeerHangUpEndsTheReaderCleanly)
{
    TPseudoTerminal& pty = AddPort(1);
    TCollector s;
    ASSERT_EQ(s.Open(1, 9600, 0), 1);
    ASSERT_TRUE(pty.Write("ab", 2));
    ASSERT_TRUE(testsupport::WaitFor([&] { return s.Count() == 2; }));
    pty.CloseMaster();
    ASSERT_TRUE(testsupport::WaitFor([&] { return ReaderExitCode(s) != STILL_ACTIVE; }, std::chrono::seconds(3)));
    EXPECT_EQ(ReaderExitCode(s), CXSerial::kReaderWaitFailed);
    EXPECT_EQ(s.IsOpen(), 1);  // the port stays open without a reader

    const double before = ProcessCpuMs();
    const DWORD start = GetTickCount();
    EXPECT_EQ(s.Write("x", 1), 0);  // the line is gone: bounded retries, then 0
    EXPECT_LT(GetTickCount() - start, 1000u);
    Sleep(100);
    EXPECT_LT(ProcessCpuMs() - before, 50.0);
    EXPECT_EQ(s.Close(), 1);
    EXPECT_EQ(s.IsOpen(), 0);
}

TEST_F(Serial, CloseWhileDataFlows)
{
    TPseudoTerminal& pty = AddPort(1);
    TCollector s;
    ASSERT_EQ(s.Open(1, 115200, 0), 1);
    std::atomic<bool> stop{false};
    std::thread feeder([&] {
        std::vector<uint8_t> chunk(4096, 0x55);
        while (!stop)
            pty.Write(chunk.data(), chunk.size(), 50);
    });
    ASSERT_TRUE(testsupport::WaitFor([&] { return s.Count() > 100000; }, std::chrono::seconds(10)));
    const DWORD start = GetTickCount();
    EXPECT_EQ(s.Close(), 1);
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_EQ(s.IsOpen(), 0);
    const size_t after = s.Count();
    Sleep(50);
    EXPECT_EQ(s.Count(), after);  // nothing delivered after Close
    EXPECT_EQ(s.Open(1, 115200, 0), 1);  // and the port opens again
    stop = true;
    feeder.join();
}

TEST_F(Serial, RQSerialTalksToAModuleOnThePort)
{
    TPseudoTerminal& pty = AddPort(6);
    TCounter window;
    HWND h = RegisterWindowReceiver(&window);
    const UINT msg = RegisterWindowMessageA("RQ27MSerial_MSG_RECV_1");
    RQSerial serial;
    serial.SetNotify(h, msg);
    ASSERT_EQ(serial.Open(6, 9600, 0), 1);

    EXPECT_EQ(serial.SendRead(), 1);
    uint8_t cmd[14];
    ASSERT_TRUE(pty.ReadExactly(cmd, sizeof cmd, 2000));
    EXPECT_EQ(std::vector<uint8_t>(cmd, cmd + 14), std::vector<uint8_t>(kReadCommand, kReadCommand + 14));

    // The response arrives in three pieces.
    const uint8_t response[14] = {0xAF, 0xF2, 1, 2, 3, 4, 0x26, 0x48, 0x00, 5, 6, 1, 0x00, 0x0A};
    ASSERT_TRUE(pty.Write(response, 5));
    Sleep(20);
    ASSERT_TRUE(pty.Write(response + 5, 5));
    Sleep(20);
    ASSERT_TRUE(pty.Write(response + 10, 4));
    ASSERT_TRUE(testsupport::WaitFor([&] { return window.Posts == 1; }));
    const ModuleParams p = serial.Params();
    EXPECT_EQ(p.frequencyMHz, 490.0);
    EXPECT_EQ(p.dataRateCode, 5);
    EXPECT_EQ(p.baudCode, 6);
    EXPECT_EQ(p.parityCode, 1);
    testsupport::Pump(std::chrono::milliseconds(30));
    EXPECT_EQ(window.Posts, 1);

    serial.Close();
    EXPECT_EQ(serial.SendRead(), 0);
    UnregisterWindowReceiver(h);
}
