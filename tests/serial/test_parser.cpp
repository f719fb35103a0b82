// The response parser (OnByte), the receive buffer and the send operations, without a port.
#include "serial/RQSerial.h"

#include "platform/WinMessages.h"
#include "tests/testsupport/TestSupport.h"

#include <QCoreApplication>
#include <QObject>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

class TParser : public RQSerial {
public:
    using RQSerial::OnByte;
    void Feed(const std::vector<uint8_t>& bytes)
    {
        for (uint8_t b : bytes)
            OnByte(b);
    }
};

class THost : public IRQSerialHost {
public:
    void StoreLastFrame(const uint8_t* data, uint32_t len) override { Frames.emplace_back(data, data + len); }
    void TerminalByteArrived() override { ++TerminalBytes; }
    std::vector<std::vector<uint8_t>> Frames;
    std::atomic<int> TerminalBytes{0};
};

class TCounter : public QObject {
public:
    int Posts = 0;
    UINT LastMsg = 0;
    WPARAM LastW = 1;
    LPARAM LastL = 1;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != TWinMessageEvent::EventType())
            return QObject::event(e);
        auto* m = static_cast<TWinMessageEvent*>(e);
        ++Posts;
        LastMsg = m->Msg;
        LastW = m->WParam;
        LastL = m->LParam;
        return true;
    }
};

const std::vector<uint8_t> kResponse = {0xAF, 0xF2, 1, 2, 3, 4, 0x21, 0xE6, 0x66, 3, 4, 0, 0xA1, 0x0A};

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

class ParserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FWindow = RegisterWindowReceiver(&FCounter);
        FMsg = RegisterWindowMessageA("RQ27MSerial_MSG_RECV_1");
        FParser.SetNotify(FWindow, FMsg);
        FParser.SetHost(&FHost);
    }
    void TearDown() override { UnregisterWindowReceiver(FWindow); }
    int Posts()
    {
        QCoreApplication::sendPostedEvents(&FCounter);
        return FCounter.Posts;
    }
    std::vector<uint8_t> Buffer()
    {
        std::vector<uint8_t> b(RQSerial::kRxBufferSize);
        FParser.ReceiveBufferSnapshot(b.data());
        return b;
    }

    TParser FParser;
    THost FHost;
    TCounter FCounter;
    HWND FWindow = nullptr;
    UINT FMsg = 0;
};

}  // namespace

// One row per situation of the parser's state table: the bytes fed (after an optional
// drain of the receive buffer), the posts, the count left and the terminal bytes reported.
TEST_F(ParserTest, StateTable)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> before;  // fed, then taken out and cleared as the window does
        std::vector<uint8_t> bytes;
        int posts;
        int32_t count;
        int terminal;  // terminal bytes reported for 'bytes'
    };
    std::vector<uint8_t> early = kResponse;
    early[2] = 0x0A;  // ID:1 is 0x0A
    std::vector<uint8_t> anyByte1And12 = kResponse;
    anyByte1And12[1] = 0x00;
    anyByte1And12[12] = 0x55;
    const std::vector<uint8_t> twenty(20, 'x');
    const Case cases[] = {
        {"response completes after 14 bytes", {}, kResponse, 1, 0, 0},
        {"13 bytes of a response wait", {}, std::vector<uint8_t>(kResponse.begin(), kResponse.end() - 1), 0, 13, 0},
        {"inner 0x0A completes early; next byte is terminal", {}, Concat({std::vector<uint8_t>(early.begin(), early.begin() + 3), {0x41}}), 1, 1, 1},
        {"0x0A first is terminal", {}, {0x0A, 0xAF}, 0, 2, 2},
        {"terminal data", {}, {'H', 'i'}, 0, 2, 2},
        {"response after unread terminal data is terminal", {}, Concat({{'x'}, kResponse}), 0, 15, 15},
        {"15 bytes without a completing 0x0A reset", {}, std::vector<uint8_t>{0xAF, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E}, 0, 0, 0},
        {"bytes 1 and 12 are not examined", {}, anyByte1And12, 1, 0, 0},
        {"two responses in a row", {}, Concat({kResponse, kResponse}), 2, 0, 0},
        {"after 20 terminal bytes a response stays incomplete", twenty, kResponse, 0, 14, 0},
        {"... and the next byte resets it", twenty, Concat({kResponse, {0x0A}}), 0, 0, 0},
        {"after 14 terminal bytes cell 14 is still 0", std::vector<uint8_t>(14, 'x'), kResponse, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TParser parser;
        TCounter counter;
        HWND w = RegisterWindowReceiver(&counter);
        THost host;
        parser.SetNotify(w, FMsg);
        parser.SetHost(&host);
        parser.Feed(c.before);
        uint8_t sink[RQSerial::kRxBufferSize];
        parser.TakeReceived(sink, sizeof sink);
        host.TerminalBytes = 0;
        parser.Feed(c.bytes);
        QCoreApplication::sendPostedEvents(&counter);
        EXPECT_EQ(counter.Posts, c.posts);
        EXPECT_EQ(parser.ReceivedCount(), c.count);
        EXPECT_EQ(host.TerminalBytes.load(), c.terminal);
        UnregisterWindowReceiver(w);
    }
}

TEST_F(ParserTest, ResponsePostsOnceAfterTheFourteenthByteWithZeroParameters)
{
    for (size_t i = 0; i + 1 < kResponse.size(); ++i) {
        FParser.OnByte(kResponse[i]);
        ASSERT_EQ(Posts(), 0) << "after byte " << i;
    }
    FParser.OnByte(kResponse.back());
    EXPECT_EQ(Posts(), 1);
    EXPECT_EQ(FCounter.LastMsg, FMsg);
    EXPECT_EQ(FCounter.LastW, 0u);
    EXPECT_EQ(FCounter.LastL, 0);
    EXPECT_EQ(FParser.ReceivedCount(), 0);
    const ModuleParams p = FParser.Params();
    EXPECT_EQ(p.frequencyMHz, 433.919921875);
    EXPECT_EQ(std::vector<uint8_t>(p.productId, p.productId + 4), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(p.dataRateCode, 3);
    EXPECT_EQ(p.baudCode, 4);
    EXPECT_EQ(p.parityCode, 0);
    EXPECT_EQ(FHost.TerminalBytes.load(), 0);  // a response never touches the terminal pane
}

TEST_F(ParserTest, EarlyCompletionDecodesWhatTheCellsHold)
{
    FParser.Feed({0xAF, 0x00, 0x0A});
    EXPECT_EQ(Posts(), 1);
    const ModuleParams p = FParser.Params();
    EXPECT_EQ(p.productId[0], 0x0A);
    EXPECT_EQ(p.productId[1], 0);
    EXPECT_EQ(p.frequencyMHz, 0.0);
}

TEST_F(ParserTest, FifteenBytesZeroTheWholeBuffer)
{
    FParser.Feed({'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o', 'p', 'q'});
    uint8_t sink[64];
    FParser.TakeReceived(sink, sizeof sink);
    FParser.Feed({0xAF, 0x0B, 2, 3, 4, 5, 6, 7, 8, 9, 0x0B, 11, 12, 13, 14});  // no 0x0A
    EXPECT_EQ(FParser.ReceivedCount(), 0);
    EXPECT_EQ(Buffer(), std::vector<uint8_t>(RQSerial::kRxBufferSize, 0));
}

TEST_F(ParserTest, NoNotifyWindowMeansNoPost)
{
    FParser.SetNotify(nullptr, FMsg);
    FParser.Feed(kResponse);
    EXPECT_EQ(Posts(), 0);
    EXPECT_EQ(FParser.Params().frequencyMHz, 433.919921875);  // decoded all the same
}

TEST_F(ParserTest, WorksWithoutAHost)
{
    TParser bare;
    bare.Feed({'a', 'b'});
    bare.Feed(kResponse);  // terminal: after unread bytes
    EXPECT_EQ(bare.ReceivedCount(), 16);
}

TEST_F(ParserTest, FullBufferDropsFurtherTerminalBytes)
{
    std::vector<uint8_t> data(1100);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t('A' + i % 26);
    FParser.Feed(data);
    EXPECT_EQ(FParser.ReceivedCount(), int32_t(RQSerial::kRxBufferSize));
    EXPECT_EQ(FHost.TerminalBytes.load(), 1100);  // the window hears of every byte
    std::vector<uint8_t> out(2000, 0xEE);
    EXPECT_EQ(FParser.CopyReceived(out.data(), uint32_t(out.size())), RQSerial::kRxBufferSize);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 1024, out.begin()));
    EXPECT_EQ(out[1024], 0xEE);
}

TEST_F(ParserTest, CopyReceivedRespectsTheCapacity)
{
    FParser.Feed(std::vector<uint8_t>(300, 'z'));
    uint8_t window[200] = {};
    EXPECT_EQ(FParser.CopyReceived(window, sizeof window - 1), 199u);  // as the window calls it
    EXPECT_EQ(window[199], 0);
    EXPECT_EQ(FParser.ReceivedCount(), 300);  // copying alone does not clear
    FParser.ClearReceived();
    EXPECT_EQ(FParser.ReceivedCount(), 0);
    EXPECT_EQ(FParser.CopyReceived(window, 0), 0u);
    EXPECT_EQ(FParser.CopyReceived(nullptr, 100), 0u);
    const uint8_t hello[] = {0x48, 0x65, 0x6C, 0x6C, 0x6F};
    FParser.Feed(std::vector<uint8_t>(hello, hello + 5));
    uint8_t box[200] = {};
    EXPECT_EQ(FParser.TakeReceived(box, sizeof box - 1), 5u);
    EXPECT_STREQ(reinterpret_cast<char*>(box), "Hello");
    EXPECT_EQ(FParser.ReceivedCount(), 0);
}

// Bytes arriving on another thread while the window takes them out: each byte is taken
// exactly once and in order.
TEST_F(ParserTest, TakeAndClearIsOneStepAgainstTheParser)
{
    const int total = 100000;
    std::atomic<bool> done{false};
    std::thread reader([&] {
        for (int i = 0; i < total; ++i) {
            while (FParser.ReceivedCount() >= 512)  // never overflow: this test is about loss
                std::this_thread::yield();
            FParser.OnByte(uint8_t(0x41 + i % 26));  // letters: never 0xAF, so always terminal data
        }
        done = true;
    });
    std::vector<uint8_t> taken;
    taken.reserve(total);
    uint8_t chunk[RQSerial::kRxBufferSize];
    while (!done || FParser.ReceivedCount() > 0) {
        const uint32_t n = FParser.TakeReceived(chunk, sizeof chunk);
        taken.insert(taken.end(), chunk, chunk + n);
        if (n == 0)
            std::this_thread::yield();
    }
    reader.join();
    ASSERT_EQ(taken.size(), size_t(total));
    for (int i = 0; i < total; ++i)
        ASSERT_EQ(taken[size_t(i)], uint8_t(0x41 + i % 26)) << i;
}

TEST_F(ParserTest, SendOperationsStoreTheFrameFirstEvenWhenTheWriteFails)
{
    EXPECT_EQ(FParser.SendRead(), 0);  // not open
    ASSERT_EQ(FHost.Frames.size(), 1u);
    EXPECT_EQ(FHost.Frames[0], std::vector<uint8_t>(kReadCommand, kReadCommand + kModuleFrameSize));

    ModuleParams p;
    p.frequencyMHz = 490;
    const uint8_t id[4] = {52, 117, 197, 140};
    std::memcpy(p.productId, id, 4);
    p.dataRateCode = 3;
    p.baudCode = 4;
    FParser.SetParams(p);
    EXPECT_EQ(FParser.SendWrite(), 0);
    ASSERT_EQ(FHost.Frames.size(), 2u);
    EXPECT_EQ(FHost.Frames[1], (std::vector<uint8_t>{0xAF, 0xF1, 0x34, 0x75, 0xC5, 0x8C, 0x26, 0x48, 0x00, 0x03, 0x04,
                                                     0x00, 0x0F, 0x0A}));
}
