// The module simulator: its protocol logic, and bin/rq27m-sim driven through RQSerial.
#include "../platform/PortFixture.h"

#include "ModuleSimulator.h"
#include "platform/WinBase.h"
#include "platform/WinMessages.h"
#include "serial/RQSerial.h"
#include "tests/testsupport/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QProcess>
#include <QStringList>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>

namespace {

std::vector<uint8_t> Hex(const char* text)
{
    std::vector<uint8_t> out;
    EXPECT_TRUE(ParseHexBytes(text, out)) << text;
    return out;
}

std::vector<uint8_t> Joined(const std::vector<TSimSend>& sends)
{
    std::vector<uint8_t> out;
    for (const TSimSend& s : sends)
        out.insert(out.end(), s.Bytes.begin(), s.Bytes.end());
    return out;
}

// How many bytes a pseudo-terminal takes in one direction before a writer has to wait.
size_t PtyCapacity()
{
    TPseudoTerminal pty;
    EXPECT_TRUE(pty.Open());
    const std::vector<uint8_t> block(1024, 0x55);
    size_t total = 0;
    ssize_t n;
    while ((n = write(pty.MasterFd(), block.data(), block.size())) > 0)
        total += size_t(n);
    return total;
}

const char kRead[] = "AF F2 00 00 00 00 00 00 00 00 00 00 A1 0A";
const char kWrite490[] = "AF F1 34 75 C5 8C 26 48 00 03 04 00 0F 0A";
const char kDefaultReadResponse[] = "AF F2 01 02 03 04 21 E6 66 03 04 00 1F 0A";

}  // namespace

TEST(ModuleSimulator, AnswersCommandsAndStoresValidWrites)
{
    struct Case {
        const char* what;
        TSimOptions options;
        const char* input;
        const char* output;
        unsigned writes;
    };
    TSimOptions echo;
    echo.Other = TSimOptions::otherEcho;
    TSimOptions reply;
    reply.Other = TSimOptions::otherReply;
    reply.CannedReply = Hex("4F 4B");
    TSimOptions noAnswer;
    noAnswer.NoAnswer = true;
    TSimOptions inner;
    inner.Inner0AOffset = 2;
    TSimOptions garbage;
    garbage.Garbage = Hex("31 32");
    const Case cases[] = {
        {"read", {}, kRead, kDefaultReadResponse, 0},
        {"write stores and answers", {}, kWrite490, "AF F1 34 75 C5 8C 26 48 00 03 04 00 0F 0A", 1},
        {"bad checksum is ignored", {}, "AF F1 34 75 C5 8C 26 48 00 03 04 00 10 0A", "", 0},
        {"other bytes: silence", {}, "41 54", "", 0},
        {"other bytes: echo", echo, "41 54", "41 54", 0},
        {"other bytes: canned reply", reply, "41 54", "4F 4B", 0},
        {"14 bytes that are no command are other bytes", echo, "AF 00 00 00 00 00 00 00 00 00 00 00 AF 0A",
         "AF 00 00 00 00 00 00 00 00 00 00 00 AF 0A", 0},
        {"text then a command", echo, "41 AF F2 00 00 00 00 00 00 00 00 00 00 A1 0A",
         "41 AF F2 01 02 03 04 21 E6 66 03 04 00 1F 0A", 0},
        {"no answer, but the write is stored", noAnswer, kWrite490, "", 1},
        {"inner 0x0A", inner, kRead, "AF F2 0A 02 03 04 21 E6 66 03 04 00 28 0A", 0},
        {"garbage first", garbage, kRead, "31 32 AF F2 01 02 03 04 21 E6 66 03 04 00 1F 0A", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TModuleSimulator sim(c.options);
        const std::vector<uint8_t> in = Hex(c.input);
        EXPECT_EQ(Joined(sim.Feed(in.data(), in.size(), 0)), Hex(c.output));
        EXPECT_EQ(sim.Writes(), c.writes);
        EXPECT_EQ(sim.TakeParamsChanged(), c.writes > 0);
    }
}

TEST(ModuleSimulator, WriteThenReadReturnsTheStoredBytes)
{
    TModuleSimulator sim({});
    const std::vector<uint8_t> w = Hex(kWrite490), r = Hex(kRead);
    sim.Feed(w.data(), w.size(), 0);
    EXPECT_EQ(Joined(sim.Feed(r.data(), r.size(), 1)), Hex("AF F2 34 75 C5 8C 26 48 00 03 04 00 10 0A"));
    EXPECT_EQ(sim.DescribeParams(), "freq=490 freqbytes=264800 id=52,117,197,140 rate=3 baud=4 parity=0");
}

TEST(ModuleSimulator, CommandsSplitAcrossReadsAndStaleFragments)
{
    TSimOptions echo;
    echo.Other = TSimOptions::otherEcho;
    echo.FrameTimeoutMs = 100;
    TModuleSimulator sim(echo);
    const std::vector<uint8_t> r = Hex(kRead);
    EXPECT_TRUE(sim.Feed(r.data(), 5, 0).empty());
    EXPECT_EQ(Joined(sim.Feed(r.data() + 5, 9, 50)), Hex(kDefaultReadResponse));

    EXPECT_TRUE(sim.Feed(r.data(), 3, 1000).empty());
    EXPECT_EQ(sim.NextDeadline(), 1100);
    EXPECT_TRUE(sim.Tick(1099).empty());
    EXPECT_EQ(Joined(sim.Tick(1100)), Hex("AF F2 00"));  // given up: other bytes (echoed)
    EXPECT_EQ(sim.NextDeadline(), -1);
}

TEST(ModuleSimulator, SplitAndDelayedResponses)
{
    TSimOptions o;
    o.SplitSize = 5;
    o.SplitDelayMs = 7;
    o.DelayMs = 30;
    TModuleSimulator sim(o);
    const std::vector<uint8_t> r = Hex(kRead);
    const std::vector<TSimSend> sends = sim.Feed(r.data(), r.size(), 0);
    ASSERT_EQ(sends.size(), 3u);
    EXPECT_EQ(sends[0].DelayMs, 30);
    EXPECT_EQ(sends[1].DelayMs, 7);
    EXPECT_EQ(sends[0].Bytes.size(), 5u);
    EXPECT_EQ(sends[2].Bytes.size(), 4u);
    EXPECT_EQ(Joined(sends), Hex(kDefaultReadResponse));
}

TEST(ModuleSimulator, HexParsing)
{
    std::vector<uint8_t> out;
    EXPECT_TRUE(ParseHexBytes("af,F2:0a", out));
    EXPECT_EQ(out, (std::vector<uint8_t>{0xAF, 0xF2, 0x0A}));
    EXPECT_FALSE(ParseHexBytes("A", out));
    EXPECT_FALSE(ParseHexBytes("A F", out));
    EXPECT_FALSE(ParseHexBytes("GG", out));
    EXPECT_TRUE(ParseHexBytes("", out));
    EXPECT_TRUE(out.empty());
}

namespace {

class TWindow : public QObject {
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

// bin/rq27m-sim on a COM port in the fixture's port directory.
class SimulatorProcess : public TPortDirFixture {
protected:
    void TearDown() override
    {
        Stop();
        TPortDirFixture::TearDown();
    }
    bool Start(unsigned port, const QStringList& extra = {})
    {
        FStateFile = QString::fromStdString(Dir()) + "/state.txt";
        QStringList args = {"--port", QString::number(port), "--state-file", FStateFile};
        args += extra;
        FProcess.setProgram(testsupport::BinDir() + "/rq27m-sim");
        FProcess.setArguments(args);
        FProcess.setProcessChannelMode(QProcess::SeparateChannels);
        FProcess.start();
        if (!FProcess.waitForStarted(5000))
            return false;
        return testsupport::WaitFor([&] { return Stdout().contains("READY"); });
    }
    QString Stdout()
    {
        FOut += QString::fromUtf8(FProcess.readAllStandardOutput());
        return FOut;
    }
    QString State()
    {
        QFile f(FStateFile);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    void Stop()
    {
        if (FProcess.state() != QProcess::NotRunning) {
            kill(pid_t(FProcess.processId()), SIGTERM);
            FProcess.waitForFinished(5000);
        }
    }
    QProcess FProcess;
    QString FOut;
    QString FStateFile;
};

}  // namespace

TEST_F(SimulatorProcess, ReadAndWriteThroughTheConfigurator)
{
    ASSERT_TRUE(Start(5)) << FProcess.readAllStandardError().toStdString();
    EXPECT_TRUE(Stdout().contains("PARAMS freq=433.919921875 freqbytes=21E666 id=1,2,3,4 rate=3 baud=4 parity=0"));

    TWindow window;
    HWND h = RegisterWindowReceiver(&window);
    RQSerial serial;
    serial.SetNotify(h, RegisterWindowMessageA("RQ27MSerial_MSG_RECV_1"));
    ASSERT_EQ(serial.Open(5, 9600, 0), 1);

    ASSERT_EQ(serial.SendRead(), 1);
    ASSERT_TRUE(testsupport::WaitFor([&] { return window.Posts == 1; }));
    ModuleParams p = serial.Params();
    EXPECT_EQ(p.frequencyMHz, 433.919921875);
    EXPECT_EQ(std::vector<uint8_t>(p.productId, p.productId + 4), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(p.dataRateCode, 3);
    EXPECT_EQ(p.baudCode, 4);
    EXPECT_EQ(p.parityCode, 0);

    p.frequencyMHz = 490;
    const uint8_t id[4] = {52, 117, 197, 140};
    std::memcpy(p.productId, id, 4);
    p.dataRateCode = 5;
    p.baudCode = 7;
    p.parityCode = 2;
    serial.SetParams(p);
    ASSERT_EQ(serial.SendWrite(), 1);
    ASSERT_TRUE(testsupport::WaitFor([&] { return window.Posts == 2; }));  // the write is answered too
    ASSERT_TRUE(testsupport::WaitFor(
        [&] { return Stdout().contains("PARAMS freq=490 freqbytes=264800 id=52,117,197,140 rate=5 baud=7 parity=2"); }));
    EXPECT_TRUE(State().contains("frequency_bytes=26 48 00"));
    EXPECT_TRUE(State().contains("writes=1"));

    // The configurator closes and reopens the port; the simulator keeps answering.
    for (int round = 0; round < 3; ++round) {
        serial.Close();
        ASSERT_EQ(serial.Open(5, 115200, 1), 1) << "error " << GetLastError();
            ASSERT_EQ(serial.SendRead(), 1);
        ASSERT_TRUE(testsupport::WaitFor([&] { return window.Posts == 3 + round; })) << round;
        EXPECT_EQ(serial.Params().frequencyMHz, 490.0);
    }
    serial.Close();
    UnregisterWindowReceiver(h);

    const std::string link = ComPortLinkPath(5);
    struct stat st{};
    EXPECT_EQ(lstat(link.c_str(), &st), 0);
    Stop();
    EXPECT_EQ(FProcess.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(FProcess.exitCode(), 0);
    EXPECT_NE(lstat(link.c_str(), &st), 0);  // the link is gone
}

TEST_F(SimulatorProcess, FaultsAsTheConfiguratorSeesThem)
{
    struct Case {
        const char* what;
        QStringList options;
        int posts;      // responses decoded
        int terminal;   // terminal bytes left in the receive buffer
    };
    const Case cases[] = {
        {"split response", {"--split", "3", "--split-delay", "15"}, 1, 0},
        {"delayed response", {"--delay", "150"}, 1, 0},
        {"no answer", {"--no-answer"}, 0, 0},
        {"garbage first makes the response terminal data", {"--garbage", "31 32"}, 0, 16},
        {"inner 0x0A completes early, the rest is terminal", {"--inner-0a"}, 1, 11},
    };
    unsigned port = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FOut.clear();
        ASSERT_TRUE(Start(port, c.options));
        TWindow window;
        HWND h = RegisterWindowReceiver(&window);
        RQSerial serial;
        serial.SetNotify(h, RegisterWindowMessageA("RQ27MSerial_MSG_RECV_1"));
        ASSERT_EQ(serial.Open(port, 9600, 0), 1);
            ASSERT_EQ(serial.SendRead(), 1);
        testsupport::Pump(std::chrono::milliseconds(400));
        EXPECT_EQ(window.Posts, c.posts);
        EXPECT_EQ(serial.ReceivedCount(), c.terminal);
        serial.Close();
        UnregisterWindowReceiver(h);
        Stop();
        ++port;
    }
}

// After kill -9 the simulator's COM link must lead nowhere, even once the system has handed its
// pseudo-terminal number to another program: the configurator would otherwise open that
// program's terminal, change its line settings and flush its input.
TEST_F(SimulatorProcess, AKilledSimulatorLeavesNoReachablePort)
{
    ASSERT_TRUE(Start(4)) << FProcess.readAllStandardError().toStdString();
    const QString ready = Stdout();
    const qsizetype at = ready.indexOf("slave=");
    ASSERT_GE(at, 0);
    const std::string slave = ready.mid(at + 6).section('\n', 0, 0).trimmed().toStdString();
    EXPECT_EQ(ProbePort(4), 1);

    kill(pid_t(FProcess.processId()), SIGKILL);
    ASSERT_TRUE(FProcess.waitForFinished(5000));
    EXPECT_EQ(ProbePort(4), 0);

    // Take pseudo-terminals until one gets the dead simulator's number (the lowest free one is
    // handed out, so this normally happens at once).
    std::vector<std::unique_ptr<TPseudoTerminal>> others;
    bool reused = false;
    for (int i = 0; i < 64 && !reused; ++i) {
        others.push_back(std::make_unique<TPseudoTerminal>());
        ASSERT_TRUE(others.back()->Open());
        reused = others.back()->SlavePath() == slave;
    }
    EXPECT_EQ(ProbePort(4), 0) << (reused ? "the new terminal was reached" : "");
    HANDLE h = CreateFileA("COM4", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                           nullptr);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);

    // The stale link does not keep the number: a new simulator takes it.
    FOut.clear();
    ASSERT_TRUE(Start(4)) << FProcess.readAllStandardError().toStdString();
    EXPECT_EQ(ComPortPublisher(4), pid_t(FProcess.processId()));
    EXPECT_EQ(ProbePort(4), 1);
}

// A second simulator on a number a running one has published refuses, with a clear message,
// and leaves the first one's link alone. (255, the highest number the configurator lists, is
// a number the simulator accepts.)
TEST_F(SimulatorProcess, ASecondSimulatorDoesNotTakeALivePort)
{
    ASSERT_TRUE(Start(255)) << FProcess.readAllStandardError().toStdString();
    const std::string link = ComPortLinkPath(255);
    char before[512] = {};
    ASSERT_GT(readlink(link.c_str(), before, sizeof before - 1), 0);

    QProcess second;
    second.start(testsupport::BinDir() + "/rq27m-sim", {"--port", "255"});
    const bool ended = second.waitForFinished(5000);
    if (!ended)
        second.kill();
    ASSERT_TRUE(ended) << "the second simulator took the port";
    EXPECT_EQ(second.exitCode(), 1);
    const QString error = QString::fromUtf8(second.readAllStandardError());
    EXPECT_TRUE(error.contains("COM255")) << error.toStdString();
    EXPECT_TRUE(error.contains(QString::number(FProcess.processId()))) << error.toStdString();

    char after[512] = {};
    ASSERT_GT(readlink(link.c_str(), after, sizeof after - 1), 0);
    EXPECT_STREQ(after, before);
    EXPECT_EQ(ProbePort(255), 1);
}

// SIGTERM ends the simulator promptly (and removes its link) while its answers pile up for a
// peer that sends commands but never reads.
TEST_F(SimulatorProcess, SigtermIsHonouredWhileThePeerDoesNotRead)
{
    ASSERT_TRUE(Start(9)) << FProcess.readAllStandardError().toStdString();
    const int peer = open(ResolveComPort(9).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(peer, 0);
    std::vector<uint8_t> commands;
    const std::vector<uint8_t> read = Hex(kRead);
    for (int i = 0; i < 300; ++i)
        commands.insert(commands.end(), read.begin(), read.end());
    size_t written = 0;
    const DWORD start = GetTickCount();
    while (written < 512 * 1024 && GetTickCount() - start < 1500) {
        const ssize_t n = write(peer, commands.data(), commands.size());
        if (n > 0)
            written += size_t(n);
        else
            Sleep(5);
    }
    ASSERT_GT(written, PtyCapacity() + 4096) << "more answers than the terminal can hold";

    kill(pid_t(FProcess.processId()), SIGTERM);
    const bool ended = FProcess.waitForFinished(2500);
    if (!ended)
        kill(pid_t(FProcess.processId()), SIGKILL);
    close(peer);
    ASSERT_TRUE(ended) << "SIGTERM was ignored";
    EXPECT_EQ(FProcess.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(FProcess.exitCode(), 0);
    struct stat st{};
    EXPECT_NE(lstat(ComPortLinkPath(9).c_str(), &st), 0);
}

// The state file is written through a new temporary file of its own: a link planted where a
// temporary name could be guessed is never written through, and the state file ends up a
// regular file.
TEST_F(SimulatorProcess, StateFileIsNeverWrittenThroughALink)
{
    const std::string victim = Dir() + "/victim.txt";
    FILE* f = std::fopen(victim.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("precious\n", f);
    std::fclose(f);
    const std::string state = Dir() + "/state.txt";
    ASSERT_EQ(symlink(victim.c_str(), (state + ".tmp").c_str()), 0);

    ASSERT_TRUE(Start(10)) << FProcess.readAllStandardError().toStdString();
    ASSERT_TRUE(testsupport::WaitFor([&] { return State().contains("frequency_bytes=21 E6 66"); }));
    QFile v(QString::fromStdString(victim));
    ASSERT_TRUE(v.open(QIODevice::ReadOnly));
    EXPECT_EQ(v.readAll(), QByteArray("precious\n"));
    struct stat st{};
    ASSERT_EQ(lstat(state.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));

    Stop();  // no temporary file is left behind
    const QStringList left = QDir(QString::fromStdString(Dir())).entryList({"state.txt.*"}, QDir::Files | QDir::System);
    EXPECT_EQ(left, QStringList{"state.txt.tmp"});
}

TEST(SimulatorProgram, HelpAndBadOptions)
{
    QProcess p;
    p.start(testsupport::BinDir() + "/rq27m-sim", {"--help"});
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardOutput().contains("--state-file"));
    for (const QStringList& args : {QStringList{"--port", "0"}, QStringList{"--port", "x"},
                                    QStringList{"--frequency", "abc"}, QStringList{"--product-id", "1,2,3"},
                                    QStringList{"--inner-0a=13"}, QStringList{"--bogus"},
                                    QStringList{"--port", "256"}}) {
        p.start(testsupport::BinDir() + "/rq27m-sim", args);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitCode(), 2) << args.join(' ').toStdString();
    }
}
