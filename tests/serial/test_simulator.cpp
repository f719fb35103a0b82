// The module simulator: its protocol logic, and bin/rq27m-sim driven through RQSerial.
#include "../platform/PortFixture.h"

#include "ModuleSimulator.h"
#include "platform/WinBase.h"
#include "platform/WinMessages.h"
#include "serial/RQSerial.h"
#include "tests/testsupport/TestSupport.h"

#include <QFile>
#include <QObject>
#include <QProcess>
#include <QStringList>

#include <signal.h>
#include <sys/stat.h>

#include <cstring>

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

TEST(SimulatorProgram, HelpAndBadOptions)
{
    QProcess p;
    p.start(testsupport::BinDir() + "/rq27m-sim", {"--help"});
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardOutput().contains("--state-file"));
    for (const QStringList& args : {QStringList{"--port", "0"}, QStringList{"--port", "x"},
                                    QStringList{"--frequency", "abc"}, QStringList{"--product-id", "1,2,3"},
                                    QStringList{"--inner-0a=13"}, QStringList{"--bogus"}}) {
        p.start(testsupport::BinDir() + "/rq27m-sim", args);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitCode(), 2) << args.join(' ').toStdString();
    }
}
