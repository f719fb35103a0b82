// Internal to platform/: the table of kernel objects behind HANDLE values, and the waitable
// objects the wait functions understand. Callers use the Win32-shaped functions instead.
//
// Overlapped I/O is completed lazily: an operation that cannot finish at once is attached to
// the event of its OVERLAPPED record, and it makes progress whenever a thread waits on that
// event (the wait also polls the operation's descriptor) or asks GetOverlappedResult.
// No helper thread is involved, so an operation nobody waits for does not advance.
#pragma once

#include "platform/WinTypes.h"

#include <memory>
#include <mutex>
#include <vector>

struct pollfd;

class TKernelObject {
public:
    virtual ~TKernelObject() = default;
    // The handle was closed (the object may live on while a wait still holds it).
    virtual void OnClose() {}
    virtual bool IsWaitable() const { return false; }
    // True when signalled; an auto-reset event is reset by a successful call. Advances any
    // attached pending operation first.
    virtual bool TryAcquire() { return false; }
    // True once the handle has been closed; a wait on it then fails.
    virtual bool IsClosed() const { return false; }
    // Descriptors whose readiness may change TryAcquire's answer.
    virtual void AddPollFds(std::vector<pollfd>& fds) {}
};

class TKernelObjects {
public:
    static HANDLE Add(std::shared_ptr<TKernelObject> obj);  // 0 when the table is full
    static std::shared_ptr<TKernelObject> Get(HANDLE h);
    static std::shared_ptr<TKernelObject> Remove(HANDLE h);
    template <class T>
    static std::shared_ptr<T> GetAs(HANDLE h) { return std::dynamic_pointer_cast<T>(Get(h)); }
};

// An overlapped operation waiting for its descriptor.
class TPendingIo {
public:
    virtual ~TPendingIo() = default;
    // Descriptor and poll() events to watch while waiting (fd < 0: nothing to watch).
    virtual void PollTarget(int& fd, short& events) = 0;
    // Advances without blocking; true once the operation has completed (successfully or not).
    virtual bool Progress() = 0;
    // Ends the operation with an error code (an abort); no effect once completed.
    virtual void Abort(DWORD error) = 0;
    // Forgets the caller's OVERLAPPED record: the event was closed, nothing may be written there.
    virtual void Orphan() = 0;
    virtual const void* Overlapped() const = 0;
    virtual DWORD Transferred() const = 0;
};

class TEventObject : public TKernelObject {
public:
    TEventObject(bool manualReset, bool initialState);
    ~TEventObject() override;
    bool Valid() const { return FWakeFd >= 0; }

    void Set();
    void Reset();

    bool IsWaitable() const override { return true; }
    bool TryAcquire() override;
    bool IsClosed() const override;
    void AddPollFds(std::vector<pollfd>& fds) override;
    void OnClose() override;

    // Attaches an operation; one replaced while still pending is aborted.
    void AttachPending(std::shared_ptr<TPendingIo> op);
    std::shared_ptr<TPendingIo> Pending() const;
    // Called by op when it completes: if op is still the attached operation, it is detached and
    // the event is set. A replaced or orphaned operation signals nothing.
    void Completed(const TPendingIo* op);

private:
    void SetLocked();
    mutable std::mutex FLock;
    const bool FManualReset;
    bool FSignalled = false;
    bool FClosed = false;
    int FWakeFd = -1;  // eventfd, readable exactly while signalled or closed
    std::shared_ptr<TPendingIo> FPending;
};
