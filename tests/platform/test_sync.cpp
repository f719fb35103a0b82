// Events, waits, threads and critical sections.
#include "platform/WinBase.h"
#include "platform/WinSync.h"
#include "platform/WinThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

TEST(Events, ManualResetStaysSignalledAutoResetReleasesOneWait)
{
    HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE autoReset = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    ASSERT_NE(manual, nullptr);
    ASSERT_NE(autoReset, nullptr);

    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    SetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);

    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_OBJECT_0);  // created signalled
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_TIMEOUT);   // the wait reset it

    EXPECT_TRUE(CloseHandle(manual));
    EXPECT_TRUE(CloseHandle(autoReset));
    EXPECT_FALSE(CloseHandle(manual));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Events, NamedEventsAreRefused)
{
    EXPECT_EQ(CreateEventA(nullptr, TRUE, FALSE, "Global\\x"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

TEST(Waits, LowestSignalledIndexWinsAndTimeoutsAreKept)
{
    HANDLE h[3];
    for (HANDLE& e : h)
        e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetEvent(h[2]);
    EXPECT_EQ(WaitForMultipleObjects(3, h, FALSE, INFINITE), WAIT_OBJECT_0 + 2);
    SetEvent(h[0]);
    EXPECT_EQ(WaitForMultipleObjects(3, h, FALSE, INFINITE), WAIT_OBJECT_0 + 0);

    ResetEvent(h[0]);
    ResetEvent(h[2]);
    const DWORD start = GetTickCount();
    EXPECT_EQ(WaitForMultipleObjects(3, h, FALSE, 50), WAIT_TIMEOUT);
    EXPECT_GE(GetTickCount() - start, 45u);
    for (HANDLE e : h)
        CloseHandle(e);
}

TEST(Waits, InvalidArgumentsFail)
{
    HANDLE e = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    HANDLE bad[2] = {e, reinterpret_cast<HANDLE>(intptr_t(0x7ffff0))};
    EXPECT_EQ(WaitForMultipleObjects(2, bad, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(WaitForMultipleObjects(0, bad, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(65, bad, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(1, bad, TRUE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForSingleObject(INVALID_HANDLE_VALUE, 0), WAIT_FAILED);
    CloseHandle(e);
}

TEST(Waits, SetFromAnotherThreadWakesTheWaiter)
{
    HANDLE e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::thread t([e] {
        Sleep(20);
        SetEvent(e);
    });
    EXPECT_EQ(WaitForSingleObject(e, 5000), WAIT_OBJECT_0);
    t.join();
    CloseHandle(e);
}

TEST(Waits, ClosingAnEventEndsAWaitOnIt)
{
    HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> result{0};
    std::thread t([&] { result = WaitForSingleObject(e, 5000); });
    Sleep(30);
    CloseHandle(e);
    t.join();
    EXPECT_EQ(result.load(), WAIT_FAILED);
}

namespace {
DWORD ReturnParameter(LPVOID p) { return DWORD(reinterpret_cast<uintptr_t>(p)); }

DWORD WaitThenReturn(LPVOID p)
{
    WaitForSingleObject(static_cast<HANDLE>(p), INFINITE);
    return 77;
}
}  // namespace

TEST(Threads, HandleIsSignalledAtExitWithTheExitCode)
{
    DWORD id = 0;
    HANDLE t = CreateThread(nullptr, 0, ReturnParameter, reinterpret_cast<LPVOID>(uintptr_t(0xFFFFFFFFu)), 0, &id);
    ASSERT_NE(t, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(WaitForSingleObject(t, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(t, &code));
    EXPECT_EQ(code, 0xFFFFFFFFu);  // -1 as the reader returns it
    EXPECT_TRUE(CloseHandle(t));
}

TEST(Threads, StillActiveUntilItEnds)
{
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE t = CreateThread(nullptr, 0, WaitThenReturn, go, 0, nullptr);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(t, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(t, 20), WAIT_TIMEOUT);
    SetEvent(go);
    EXPECT_EQ(WaitForSingleObject(t, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(t, &code));
    EXPECT_EQ(code, 77u);
    CloseHandle(t);
    CloseHandle(go);
}

TEST(Threads, HandleMayBeClosedWhileTheThreadRuns)
{
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE t = CreateThread(nullptr, 0, WaitThenReturn, go, 0, nullptr);
    EXPECT_TRUE(CloseHandle(t));
    SetEvent(go);
    Sleep(20);  // the detached thread ends on its own
    CloseHandle(go);
}

TEST(Threads, SuspendedCreationIsRefused)
{
    EXPECT_EQ(CreateThread(nullptr, 0, ReturnParameter, nullptr, CREATE_SUSPENDED, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

TEST(CriticalSections, RecursiveForTheOwnerExclusiveForOthers)
{
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EnterCriticalSection(&cs);  // the owner may enter again
    std::atomic<bool> entered{false};
    std::thread t([&] {
        EnterCriticalSection(&cs);
        entered = true;
        LeaveCriticalSection(&cs);
    });
    Sleep(30);
    EXPECT_FALSE(entered.load());
    LeaveCriticalSection(&cs);
    Sleep(10);
    EXPECT_FALSE(entered.load());
    LeaveCriticalSection(&cs);
    t.join();
    EXPECT_TRUE(entered.load());
    DeleteCriticalSection(&cs);
    DeleteCriticalSection(&cs);  // harmless
}

TEST(Formatting, BoundedFormatting)
{
    char small[8];
    EXPECT_EQ(wnsprintfA(small, sizeof small, "COM%u", 5u), 4);
    EXPECT_STREQ(small, "COM5");
    EXPECT_EQ(wnsprintfA(small, sizeof small, "\\\\.\\COM%u", 12345u), -1);  // cut to fit
    EXPECT_EQ(small[7], '\0');
    char big[2048];
    std::string longText(3000, 'x');
    EXPECT_EQ(wsprintfA(big, "%s", longText.c_str()), 1023);  // the real call's 1024-byte limit
    EXPECT_EQ(std::strlen(big), 1023u);
}
