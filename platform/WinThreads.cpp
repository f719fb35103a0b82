#include "platform/WinThreads.h"

#include "platform/WinBase.h"
#include "platform/WinHandles.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

namespace {

class TThreadObject : public TKernelObject {
public:
    TThreadObject() { FDoneFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC); }
    ~TThreadObject() override
    {
        if (FThread.joinable())
            FThread.detach();  // the last reference went away on the thread itself
        if (FDoneFd >= 0)
            close(FDoneFd);
    }
    bool Valid() const { return FDoneFd >= 0; }

    void Finish(DWORD code)
    {
        std::lock_guard<std::mutex> g(FLock);
        FExitCode = code;
        FFinished = true;
        const uint64_t one = 1;
        while (write(FDoneFd, &one, sizeof one) < 0 && errno == EINTR) {
        }
    }
    DWORD ExitCode()
    {
        std::lock_guard<std::mutex> g(FLock);
        return FFinished ? FExitCode : STILL_ACTIVE;
    }

    bool IsWaitable() const override { return true; }
    bool TryAcquire() override
    {
        std::lock_guard<std::mutex> g(FLock);
        return FFinished;
    }
    void AddPollFds(std::vector<pollfd>& fds) override { fds.push_back(pollfd{FDoneFd, POLLIN, 0}); }
    void OnClose() override
    {
        std::lock_guard<std::mutex> g(FLock);
        if (!FThread.joinable())
            return;
        if (FFinished)
            FThread.join();  // only its last few instructions are left
        else
            FThread.detach();
    }

    std::thread FThread;

private:
    std::mutex FLock;
    bool FFinished = false;
    DWORD FExitCode = STILL_ACTIVE;
    int FDoneFd = -1;
};

std::atomic<DWORD> gNextThreadId{1};

}  // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, size_t, LPTHREAD_START_ROUTINE proc, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId)
{
    if (!proc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (creationFlags & CREATE_SUSPENDED) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    auto obj = std::make_shared<TThreadObject>();
    if (!obj->Valid()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HANDLE h = TKernelObjects::Add(obj);
    if (!h) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const DWORD id = gNextThreadId++;
    try {
        // The thread keeps its object alive, so the handle may be closed while it runs.
        obj->FThread = std::thread([obj, proc, parameter]() { obj->Finish(proc(parameter)); });
    } catch (...) {
        TKernelObjects::Remove(h);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId)
        *threadId = id;
    return h;
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode)
{
    auto obj = TKernelObjects::GetAs<TThreadObject>(thread);
    if (!obj || !exitCode) {
        SetLastError(obj ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exitCode = obj->ExitCode();
    return TRUE;
}
