#include "platform/WinSync.h"

#include "platform/WinBase.h"
#include "platform/WinHandles.h"

#include <poll.h>
#include <time.h>

#include <cerrno>
#include <climits>

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    if (name && *name) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    auto ev = std::make_shared<TEventObject>(manualReset != FALSE, initialState != FALSE);
    if (!ev->Valid()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HANDLE h = TKernelObjects::Add(ev);
    if (!h)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return h;
}

BOOL SetEvent(HANDLE event)
{
    auto ev = TKernelObjects::GetAs<TEventObject>(event);
    if (!ev) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ev->Set();
    return TRUE;
}

BOOL ResetEvent(HANDLE event)
{
    auto ev = TKernelObjects::GetAs<TEventObject>(event);
    if (!ev) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ev->Reset();
    return TRUE;
}

namespace {

int64_t NowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    if (waitAll) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return WAIT_FAILED;
    }
    std::shared_ptr<TKernelObject> objects[MAXIMUM_WAIT_OBJECTS];
    for (DWORD i = 0; i < count; ++i) {
        objects[i] = TKernelObjects::Get(handles[i]);
        if (!objects[i] || !objects[i]->IsWaitable()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }
    const int64_t deadline = milliseconds == INFINITE ? 0 : NowMs() + int64_t(milliseconds);
    std::vector<pollfd> fds;
    for (;;) {
        for (DWORD i = 0; i < count; ++i) {
            if (objects[i]->IsClosed()) {
                SetLastError(ERROR_INVALID_HANDLE);
                return WAIT_FAILED;
            }
            if (objects[i]->TryAcquire())
                return WAIT_OBJECT_0 + i;
        }
        int timeout = -1;
        if (milliseconds != INFINITE) {
            const int64_t left = deadline - NowMs();
            if (left <= 0)
                return WAIT_TIMEOUT;
            timeout = left > INT_MAX ? INT_MAX : int(left);
        }
        fds.clear();
        for (DWORD i = 0; i < count; ++i)
            objects[i]->AddPollFds(fds);
        if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) {
            SetLastError(ERROR_GEN_FAILURE);
            return WAIT_FAILED;
        }
    }
}

DWORD WaitForSingleObject(HANDLE h, DWORD milliseconds)
{
    return WaitForMultipleObjects(1, &h, FALSE, milliseconds);
}

void InitializeCriticalSection(LPCRITICAL_SECTION cs)
{
    if (cs)
        cs->Lock = new std::recursive_mutex;
}

void EnterCriticalSection(LPCRITICAL_SECTION cs)
{
    if (cs && cs->Lock)
        cs->Lock->lock();
}

void LeaveCriticalSection(LPCRITICAL_SECTION cs)
{
    if (cs && cs->Lock)
        cs->Lock->unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION cs)
{
    if (cs) {
        delete cs->Lock;
        cs->Lock = nullptr;
    }
}
