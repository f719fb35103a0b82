#include "platform/WinHandles.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <unordered_map>

namespace {

struct THandleTable {
    std::mutex Lock;
    std::unordered_map<uintptr_t, std::shared_ptr<TKernelObject>> Objects;
    uintptr_t Next = 1;
};

THandleTable& Table()
{
    static THandleTable* table = new THandleTable;  // never destroyed: threads may outlive statics
    return *table;
}

// Handles are multiples of 4 like the real ones; never 0 or INVALID_HANDLE_VALUE, never reused.
uintptr_t Key(HANDLE h) { return reinterpret_cast<uintptr_t>(h); }

void DrainWakeFd(int fd)
{
    uint64_t v = 0;
    while (read(fd, &v, sizeof v) < 0 && errno == EINTR) {
    }
}

void RaiseWakeFd(int fd)
{
    const uint64_t one = 1;
    while (write(fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

}  // namespace

HANDLE TKernelObjects::Add(std::shared_ptr<TKernelObject> obj)
{
    if (!obj)
        return nullptr;
    THandleTable& t = Table();
    std::lock_guard<std::mutex> g(t.Lock);
    if (t.Next >= (uintptr_t(1) << 40))
        return nullptr;
    const uintptr_t key = t.Next++ * 4;
    t.Objects.emplace(key, std::move(obj));
    return reinterpret_cast<HANDLE>(key);
}

std::shared_ptr<TKernelObject> TKernelObjects::Get(HANDLE h)
{
    if (h == nullptr || h == INVALID_HANDLE_VALUE)
        return nullptr;
    THandleTable& t = Table();
    std::lock_guard<std::mutex> g(t.Lock);
    auto it = t.Objects.find(Key(h));
    return it == t.Objects.end() ? nullptr : it->second;
}

std::shared_ptr<TKernelObject> TKernelObjects::Remove(HANDLE h)
{
    if (h == nullptr || h == INVALID_HANDLE_VALUE)
        return nullptr;
    THandleTable& t = Table();
    std::lock_guard<std::mutex> g(t.Lock);
    auto it = t.Objects.find(Key(h));
    if (it == t.Objects.end())
        return nullptr;
    std::shared_ptr<TKernelObject> obj = std::move(it->second);
    t.Objects.erase(it);
    return obj;
}

TEventObject::TEventObject(bool manualReset, bool initialState) : FManualReset(manualReset)
{
    FWakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (FWakeFd >= 0 && initialState)
        SetLocked();
}

TEventObject::~TEventObject()
{
    if (FWakeFd >= 0)
        close(FWakeFd);
}

void TEventObject::SetLocked()
{
    if (!FSignalled) {
        FSignalled = true;
        RaiseWakeFd(FWakeFd);
    }
}

void TEventObject::Set()
{
    std::lock_guard<std::mutex> g(FLock);
    SetLocked();
}

void TEventObject::Reset()
{
    std::lock_guard<std::mutex> g(FLock);
    if (FSignalled && !FClosed) {
        FSignalled = false;
        DrainWakeFd(FWakeFd);
    }
    FSignalled = false;
}

bool TEventObject::TryAcquire()
{
    if (std::shared_ptr<TPendingIo> op = Pending())
        op->Progress();  // a completion sets the event
    std::lock_guard<std::mutex> g(FLock);
    if (!FSignalled)
        return false;
    if (!FManualReset) {
        FSignalled = false;
        if (!FClosed)
            DrainWakeFd(FWakeFd);
    }
    return true;
}

bool TEventObject::IsClosed() const
{
    std::lock_guard<std::mutex> g(FLock);
    return FClosed;
}

void TEventObject::AddPollFds(std::vector<pollfd>& fds)
{
    fds.push_back(pollfd{FWakeFd, POLLIN, 0});
    if (std::shared_ptr<TPendingIo> op = Pending()) {
        int fd = -1;
        short events = 0;
        op->PollTarget(fd, events);
        if (fd >= 0)
            fds.push_back(pollfd{fd, events, 0});
    }
}

void TEventObject::OnClose()
{
    std::shared_ptr<TPendingIo> op;
    {
        std::lock_guard<std::mutex> g(FLock);
        FClosed = true;
        op = std::move(FPending);
        RaiseWakeFd(FWakeFd);  // wakes any thread still waiting; its wait then fails
    }
    if (op)
        op->Orphan();
}

void TEventObject::AttachPending(std::shared_ptr<TPendingIo> op)
{
    std::shared_ptr<TPendingIo> old;
    {
        std::lock_guard<std::mutex> g(FLock);
        old = std::move(FPending);
        FPending = std::move(op);
    }
    if (old)
        old->Abort(ERROR_OPERATION_ABORTED);
}

std::shared_ptr<TPendingIo> TEventObject::Pending() const
{
    std::lock_guard<std::mutex> g(FLock);
    return FPending;
}

void TEventObject::Completed(const TPendingIo* op)
{
    std::lock_guard<std::mutex> g(FLock);
    if (FPending.get() == op && !FClosed) {
        FPending.reset();
        SetLocked();
    }
}
