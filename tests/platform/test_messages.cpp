// Registered window messages and PostMessageA to QObject receivers.
#include "platform/WinBase.h"
#include "platform/WinMessages.h"

#include "tests/testsupport/TestSupport.h"

#include <QCoreApplication>
#include <QObject>

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <chrono>
#include <thread>
#include <vector>

namespace {

class TReceiver : public QObject {
public:
    struct Got {
        UINT msg;
        WPARAM w;
        LPARAM l;
    };
    std::vector<Got> Messages;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == TWinMessageEvent::EventType()) {
            auto* m = static_cast<TWinMessageEvent*>(e);
            Messages.push_back({m->Msg, m->WParam, m->LParam});
            return true;
        }
        return QObject::event(e);
    }
};

}  // namespace

TEST(RegisteredMessages, SameNameSameNumberInTheRegisteredRange)
{
    const UINT a = RegisterWindowMessageA("RQ27MSerial_MSG_RECV_1");
    EXPECT_GE(a, 0xC000u);
    EXPECT_LE(a, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessageA("RQ27MSerial_MSG_RECV_1"), a);
    EXPECT_EQ(RegisterWindowMessageA("rq27mserial_msg_recv_1"), a);  // case does not matter
    const UINT b = RegisterWindowMessageA("SomeOtherMessage");
    EXPECT_NE(b, a);
    EXPECT_GE(b, 0xC000u);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);
    EXPECT_EQ(RegisterWindowMessageA(nullptr), 0u);
}

TEST(RegisteredMessages, ThreadsRegisteringTheSameNameAgree)
{
    std::vector<UINT> results(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&results, i] {
            for (int k = 0; k < 200; ++k)
                results[i] = RegisterWindowMessageA(("Concurrent" + std::to_string(k)).c_str());
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(std::set<UINT>(results.begin(), results.end()).size(), 1u);
    EXPECT_EQ(results[0], RegisterWindowMessageA("Concurrent199"));
}

TEST(PostMessage, ReachesTheReceiverWithNumberAndParameters)
{
    TReceiver r;
    HWND h = RegisterWindowReceiver(&r);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(RegisterWindowReceiver(&r), h);  // one handle per receiver
    EXPECT_EQ(WindowReceiver(h), &r);
    EXPECT_EQ(WindowHandleOf(&r), h);
    const UINT msg = RegisterWindowMessageA("RQ27MSerial_MSG_RECV_1");
    EXPECT_TRUE(PostMessageA(h, msg, 0, 0));
    EXPECT_TRUE(PostMessageA(h, msg + 1, 7, -3));
    EXPECT_TRUE(r.Messages.empty());  // posted, not sent
    ASSERT_TRUE(testsupport::WaitFor([&] { return r.Messages.size() == 2; }));
    EXPECT_EQ(r.Messages[0].msg, msg);
    EXPECT_EQ(r.Messages[0].w, 0u);
    EXPECT_EQ(r.Messages[0].l, 0);
    EXPECT_EQ(r.Messages[1].w, 7u);
    EXPECT_EQ(r.Messages[1].l, -3);
    UnregisterWindowReceiver(h);
}

TEST(PostMessage, UnknownAndUnregisteredHandlesFailSafely)
{
    EXPECT_FALSE(PostMessageA(nullptr, 0xC000, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(intptr_t(0x12345670)), 0xC000, 0, 0));

    auto* r = new TReceiver;
    HWND h = RegisterWindowReceiver(r);
    UnregisterWindowReceiver(h);
    EXPECT_FALSE(PostMessageA(h, 0xC000, 0, 0));
    EXPECT_EQ(WindowReceiver(h), nullptr);
    delete r;
    EXPECT_FALSE(PostMessageA(h, 0xC000, 0, 0));
    HWND again = RegisterWindowReceiver(r = new TReceiver);
    EXPECT_NE(again, h);  // handles are not reused
    UnregisterWindowReceiver(again);
    delete r;
}

TEST(PostMessage, ReceiverDestroyedWithoutUnregisteringIsUnknown)
{
    auto* r = new TReceiver;
    HWND h = RegisterWindowReceiver(r);
    delete r;
    EXPECT_FALSE(PostMessageA(h, 0xC000, 0, 0));
    UnregisterWindowReceiver(h);
}

TEST(PostMessage, PostingFromAnotherThreadWhileTheReceiverGoesAway)
{
    for (int round = 0; round < 20; ++round) {
        auto* r = new TReceiver;
        HWND h = RegisterWindowReceiver(r);
        std::atomic<bool> stop{false};
        std::atomic<bool> gone{false};
        std::atomic<int> posted{0};
        std::atomic<int> postedAfterGone{0};
        std::thread poster([&] {
            while (!stop) {
                const bool goneBefore = gone;
                if (PostMessageA(h, 0xC001, 0, 0)) {
                    ++posted;
                    if (goneBefore)
                        ++postedAfterGone;  // a post that began after unregistering must fail
                }
            }
        });
        while (posted < 10)
            std::this_thread::yield();
        UnregisterWindowReceiver(h);  // then no post can reach it
        gone = true;
        delete r;                     // its queued events are dropped by Qt
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        stop = true;
        poster.join();
        EXPECT_EQ(postedAfterGone, 0) << "round " << round;
        EXPECT_FALSE(PostMessageA(h, 0xC001, 0, 0));
    }
}
