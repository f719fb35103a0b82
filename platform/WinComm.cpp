#include "platform/WinComm.h"

#include "platform/ComPorts.h"
#include "platform/WinBase.h"
#include "platform/WinHandles.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

std::atomic<TWriteFileObserver> gWriteObserver{nullptr};

DWORD ErrorFromErrno(int e)
{
    switch (e) {
    case EIO:
    case ENXIO:
    case ENODEV:
    case EPIPE:
        return ERROR_DEVICE_NOT_CONNECTED;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    default:
        return ERROR_GEN_FAILURE;
    }
}

struct TSpeed {
    DWORD Rate;
    speed_t Code;
};

const TSpeed kSpeeds[] = {
    {50, B50},         {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},       {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},     {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},   {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000}, {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

bool SpeedCode(DWORD rate, speed_t& code)
{
    for (const TSpeed& s : kSpeeds)
        if (s.Rate == rate) {
            code = s.Code;
            return true;
        }
    return false;
}

DWORD SpeedRate(speed_t code)
{
    for (const TSpeed& s : kSpeeds)
        if (s.Code == code)
            return s.Rate;
    return 0;
}

class TCommIo;

class TCommPort : public TKernelObject {
public:
    explicit TCommPort(int fd) : Fd(fd) {}
    ~TCommPort() override { CloseFd(); }

    void OnClose() override;
    void AddOp(const std::shared_ptr<TCommIo>& op);
    // Every pending operation of the given kinds (bit mask of 1 << kind).
    std::vector<std::shared_ptr<TCommIo>> Ops(unsigned kinds);

    void CloseFd()
    {
        std::lock_guard<std::mutex> g(Lock);
        if (Fd >= 0) {
            ioctl(Fd, TIOCNXCL);
            flock(Fd, LOCK_UN);
            close(Fd);
            Fd = -1;
        }
    }

    std::mutex Lock;  // guards everything below; taken after an operation's own lock
    int Fd = -1;
    DCB Dcb{};
    bool HasDcb = false;
    COMMTIMEOUTS Timeouts{};
    DWORD Mask = 0;
    DWORD InQueue = 0, OutQueue = 0;
    std::vector<std::weak_ptr<TCommIo>> PendingOps;
};

enum TIoKind { ioRead = 0, ioWrite = 1, ioWait = 2 };

class TCommIo : public TPendingIo {
public:
    TCommIo(TIoKind kind, std::shared_ptr<TCommPort> port, std::shared_ptr<TEventObject> event, OVERLAPPED* ov,
            BYTE* buffer, DWORD total, DWORD* mask, DWORD waitMask, bool atOnce)
        : Kind(kind), FPort(port), FEvent(event), FOv(ov), FBuffer(buffer), FTotal(total), FMask(mask),
          FWaitMask(waitMask), FAtOnce(atOnce)
    {
    }

    void PollTarget(int& fd, short& events) override
    {
        std::lock_guard<std::mutex> g(FLock);
        fd = -1;
        events = 0;
        std::shared_ptr<TCommPort> port = FPort.lock();
        if (FFinished || !port)
            return;
        std::lock_guard<std::mutex> pg(port->Lock);
        fd = port->Fd;
        if (Kind == ioRead)
            events = POLLIN;
        else if (Kind == ioWrite)
            events = POLLOUT;
        else
            events = (FWaitMask & EV_RXCHAR) ? POLLIN : 0;  // hang-up is reported whatever is asked
    }

    bool Progress() override
    {
        std::lock_guard<std::mutex> g(FLock);
        if (FFinished)
            return true;
        std::shared_ptr<TCommPort> port = FPort.lock();
        if (!port) {
            FinishLocked(ERROR_OPERATION_ABORTED, 0);
            return true;
        }
        std::lock_guard<std::mutex> pg(port->Lock);
        const int fd = port->Fd;
        if (fd < 0) {
            FinishLocked(ERROR_OPERATION_ABORTED, 0);
            return true;
        }
        switch (Kind) {
        case ioRead:
            ProgressRead(fd);
            break;
        case ioWrite:
            ProgressWrite(fd);
            break;
        case ioWait:
            ProgressWait(fd);
            break;
        }
        return FFinished;
    }

    void Abort(DWORD error) override
    {
        std::lock_guard<std::mutex> g(FLock);
        if (!FFinished)
            FinishLocked(error, 0);
    }

    void Orphan() override
    {
        std::lock_guard<std::mutex> g(FLock);
        FOv = nullptr;
        FMask = nullptr;
        FFinished = true;
    }

    const void* Overlapped() const override
    {
        std::lock_guard<std::mutex> g(FLock);
        return FOv;
    }
    DWORD Transferred() const override
    {
        std::lock_guard<std::mutex> g(FLock);
        return FDone;
    }
    DWORD Status() const
    {
        std::lock_guard<std::mutex> g(FLock);
        return FStatus;
    }
    bool Finished() const
    {
        std::lock_guard<std::mutex> g(FLock);
        return FFinished;
    }

    const TIoKind Kind;

private:
    void ProgressRead(int fd)
    {
        while (FDone < FTotal) {
            const ssize_t n = read(fd, FBuffer + FDone, FTotal - FDone);
            if (n > 0) {
                FDone += DWORD(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
            if (n == 0) {
                // End of input: a hang-up, unless another program set VMIN 0 on the line.
                pollfd p{fd, POLLIN, 0};
                if (poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0)
                    break;
                FinishLocked(ERROR_DEVICE_NOT_CONNECTED, 0);
                return;
            }
            FinishLocked(ErrorFromErrno(errno), 0);
            return;
        }
        if (FDone == FTotal || FAtOnce)
            FinishLocked(ERROR_SUCCESS, 0);
    }

    void ProgressWrite(int fd)
    {
        while (FDone < FTotal) {
            const ssize_t n = write(fd, FBuffer + FDone, FTotal - FDone);
            if (n > 0) {
                FDone += DWORD(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            FinishLocked(n < 0 ? ErrorFromErrno(errno) : ERROR_GEN_FAILURE, 0);
            return;
        }
        FinishLocked(ERROR_SUCCESS, 0);
    }

    void ProgressWait(int fd)
    {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 0) <= 0)
            return;
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL))
            FinishLocked(ERROR_DEVICE_NOT_CONNECTED, 0);
        else if ((p.revents & POLLIN) && (FWaitMask & EV_RXCHAR))
            FinishLocked(ERROR_SUCCESS, EV_RXCHAR);
    }

    void FinishLocked(DWORD status, DWORD events)
    {
        FStatus = status;
        FFinished = true;
        if (FOv) {
            FOv->Internal = status;
            FOv->InternalHigh = FDone;
        }
        if (FMask)
            *FMask = events;
        if (std::shared_ptr<TEventObject> ev = FEvent.lock())
            ev->Completed(this);
    }

    mutable std::mutex FLock;
    std::weak_ptr<TCommPort> FPort;
    std::weak_ptr<TEventObject> FEvent;
    OVERLAPPED* FOv;
    BYTE* FBuffer;
    DWORD FTotal;
    DWORD FDone = 0;
    DWORD* FMask;
    DWORD FWaitMask;
    bool FAtOnce;
    bool FFinished = false;
    DWORD FStatus = STATUS_PENDING;

    friend class TCommPort;
};

void TCommPort::OnClose()
{
    for (const std::shared_ptr<TCommIo>& op : Ops(7))
        op->Abort(ERROR_OPERATION_ABORTED);
    CloseFd();
}

void TCommPort::AddOp(const std::shared_ptr<TCommIo>& op)
{
    std::lock_guard<std::mutex> g(Lock);
    std::erase_if(PendingOps, [](const std::weak_ptr<TCommIo>& w) { return w.expired(); });
    PendingOps.push_back(op);
}

std::vector<std::shared_ptr<TCommIo>> TCommPort::Ops(unsigned kinds)
{
    std::vector<std::shared_ptr<TCommIo>> out;
    std::lock_guard<std::mutex> g(Lock);
    for (const std::weak_ptr<TCommIo>& w : PendingOps)
        if (std::shared_ptr<TCommIo> op = w.lock())
            if (kinds & (1u << op->Kind))
                out.push_back(op);
    return out;
}

// Unix98 pseudo-terminal slaves (majors 136-143). Their driver always keeps 8 data bits and
// no parity, whatever is asked.
bool IsPseudoTerminal(int fd)
{
    struct stat st{};
    return fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

// The pseudo-terminal multiplexer (/dev/ptmx, /dev/pts/ptmx: character device 5, 2). Opening it
// creates a new pseudo-terminal pair, and a descriptor of a master side reports it too; neither
// is a port.
bool IsPtyMultiplexer(const struct stat& st)
{
    return S_ISCHR(st.st_mode) && major(st.st_rdev) == 5 && minor(st.st_rdev) == 2;
}

// True when 'now' is 'asked' up to the bits a pseudo-terminal driver forces.
bool AppliedButForcedBits(const termios& now, const termios& asked)
{
    const tcflag_t forced = CSIZE | PARENB;
    return cfgetospeed(&now) == cfgetospeed(&asked) && cfgetispeed(&now) == cfgetispeed(&asked) &&
           now.c_iflag == asked.c_iflag && now.c_oflag == asked.c_oflag && now.c_lflag == asked.c_lflag &&
           (now.c_cflag & ~forced) == (asked.c_cflag & ~forced) && now.c_cc[VMIN] == asked.c_cc[VMIN] &&
           now.c_cc[VTIME] == asked.c_cc[VTIME];
}

std::shared_ptr<TCommPort> PortOf(HANDLE h)
{
    std::shared_ptr<TCommPort> port = TKernelObjects::GetAs<TCommPort>(h);
    if (!port)
        SetLastError(ERROR_INVALID_HANDLE);
    return port;
}

// Runs op to completion without an event: blocks on its descriptor.
void RunToCompletion(const std::shared_ptr<TCommIo>& op)
{
    while (!op->Progress()) {
        int fd = -1;
        short events = 0;
        op->PollTarget(fd, events);
        if (fd < 0)
            continue;  // the next Progress finishes it
        pollfd p{fd, events, 0};
        poll(&p, 1, -1);
    }
}

// Starts an operation: finished at once, pending on the OVERLAPPED's event, or (without an
// OVERLAPPED) run to completion.
BOOL StartIo(const std::shared_ptr<TCommPort>& port, TIoKind kind, BYTE* buffer, DWORD count, LPDWORD done,
             LPOVERLAPPED ov, DWORD* mask, DWORD waitMask, bool atOnce)
{
    std::shared_ptr<TEventObject> ev;
    if (ov && ov->hEvent) {
        ev = TKernelObjects::GetAs<TEventObject>(ov->hEvent);
        if (!ev) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    auto op = std::make_shared<TCommIo>(kind, port, ev, ov, buffer, count, mask, waitMask, atOnce);
    if (ov) {
        ov->Internal = STATUS_PENDING;
        ov->InternalHigh = 0;
    }
    if (ev) {
        ev->AttachPending(op);  // aborts a pending predecessor without signalling
        ev->Reset();
    }
    port->AddOp(op);
    if (!ov)
        RunToCompletion(op);
    if (op->Progress()) {
        if (done)
            *done = op->Transferred();
        if (op->Status() == ERROR_SUCCESS)
            return TRUE;
        SetLastError(op->Status());
        return FALSE;
    }
    if (done)
        *done = 0;
    if (!ev) {
        op->Abort(ERROR_INVALID_PARAMETER);
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SetLastError(ERROR_IO_PENDING);
    return FALSE;
}

}  // namespace

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD creationDisposition,
                   DWORD, HANDLE)
{
    const unsigned n = ParseComPortName(name);
    if (n == 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (creationDisposition != OPEN_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string path = ResolveComPort(n);
    if (path.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    struct stat target{};
    if (stat(path.c_str(), &target) == 0 && IsPtyMultiplexer(target)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    int mode = O_RDWR;
    if ((access & (GENERIC_READ | GENERIC_WRITE)) == GENERIC_READ)
        mode = O_RDONLY;
    else if ((access & (GENERIC_READ | GENERIC_WRITE)) == GENERIC_WRITE)
        mode = O_WRONLY;
    const int fd = open(path.c_str(), mode | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        SetLastError(e == EACCES || e == EPERM || e == EROFS ? ERROR_ACCESS_DENIED
                     : e == EBUSY                            ? ERROR_SHARING_VIOLATION
                                                             : ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    struct stat st{};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode) || IsPtyMultiplexer(st) || !isatty(fd)) {
        close(fd);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        close(fd);
        SetLastError(e == EWOULDBLOCK ? ERROR_SHARING_VIOLATION : ERROR_GEN_FAILURE);
        return INVALID_HANDLE_VALUE;
    }
    // TIOCEXCL keeps programs that do not use flock out as well (root excepted). It is a flag on
    // the terminal that only the last close clears, so on a pseudo-terminal, whose other side
    // (the simulator) keeps the terminal open, a crash would leave it set for good: flock only there.
    if (!IsPseudoTerminal(fd))
        ioctl(fd, TIOCEXCL);
    auto port = std::make_shared<TCommPort>(fd);
    HANDLE h = TKernelObjects::Add(port);
    if (!h) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;  // the port object closes the descriptor
    }
    return h;
}

bool DcbToTermios(const DCB& dcb, termios& t, DWORD* error)
{
    speed_t speed = 0;
    if (!SpeedCode(dcb.BaudRate, speed) || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > EVENPARITY ||
        (dcb.StopBits != ONESTOPBIT && dcb.StopBits != TWOSTOPBITS)) {
        if (error)
            *error = ERROR_INVALID_PARAMETER;
        return false;
    }
    if (dcb.fOutxDsrFlow || dcb.fDtrControl == DTR_CONTROL_HANDSHAKE) {
        if (error)
            *error = ERROR_NOT_SUPPORTED;
        return false;
    }
    cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL);
    static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= kSizes[dcb.ByteSize - 5] | CLOCAL | CREAD;
    if (dcb.Parity == ODDPARITY)
        t.c_cflag |= PARENB | PARODD;
    else if (dcb.Parity == EVENPARITY)
        t.c_cflag |= PARENB;
    if (dcb.StopBits == TWOSTOPBITS)
        t.c_cflag |= CSTOPB;
    if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE)
        t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    if (dcb.fOutX)
        t.c_iflag |= IXON;
    if (dcb.fInX)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = cc_t(dcb.XonChar);
    t.c_cc[VSTOP] = cc_t(dcb.XoffChar);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    return true;
}

BOOL SetCommState(HANDLE h, const DCB* dcb)
{
    std::shared_ptr<TCommPort> port = PortOf(h);
    if (!port)
        return FALSE;
    if (!dcb) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> g(port->Lock);
    if (port->Fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    termios t{};
    if (tcgetattr(port->Fd, &t) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    DWORD error = 0;
    if (!DcbToTermios(*dcb, t, &error)) {
        SetLastError(error);
        return FALSE;
    }
    if (tcsetattr(port->Fd, TCSANOW, &t) != 0) {
        // glibc re-reads the line and reports EINVAL when the driver changed the parity or size
        // bits, which a pseudo-terminal always does; everything else was applied then.
        const int e = errno;
        termios now{};
        if (!(e == EINVAL && IsPseudoTerminal(port->Fd) && tcgetattr(port->Fd, &now) == 0 &&
              AppliedButForcedBits(now, t))) {
            SetLastError(ErrorFromErrno(e));
            return FALSE;
        }
    }
    // A driver that cannot run at the speed asked for fails, as the real call does. (Data bits
    // and parity are not read back: a pseudo-terminal always reports 8 bits, no parity.)
    termios check{};
    if (tcgetattr(port->Fd, &check) != 0 || cfgetospeed(&check) != cfgetospeed(&t)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Modem lines; a device without them (a pseudo-terminal) refuses, which is not an error.
    int dtr = TIOCM_DTR, rts = TIOCM_RTS;
    if (dcb->fDtrControl == DTR_CONTROL_ENABLE)
        ioctl(port->Fd, TIOCMBIS, &dtr);
    else
        ioctl(port->Fd, TIOCMBIC, &dtr);
    if (dcb->fRtsControl == RTS_CONTROL_ENABLE)
        ioctl(port->Fd, TIOCMBIS, &rts);
    else if (dcb->fRtsControl == RTS_CONTROL_DISABLE || dcb->fRtsControl == RTS_CONTROL_TOGGLE)
        ioctl(port->Fd, TIOCMBIC, &rts);
    port->Dcb = *dcb;
    port->Dcb.DCBlength = sizeof(DCB);
    port->HasDcb = true;
    return TRUE;
}

BOOL GetCommState(HANDLE h, LPDCB dcb)
{
    std::shared_ptr<TCommPort> port = PortOf(h);
    if (!port)
        return FALSE;
    if (!dcb) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> g(port->Lock);
    if (port->HasDcb) {
        *dcb = port->Dcb;
        return TRUE;
    }
    termios t{};
    if (port->Fd < 0 || tcgetattr(port->Fd, &t) != 0) {
        SetLastError(port->Fd < 0 ? ERROR_INVALID_HANDLE : ErrorFromErrno(errno));
        return FALSE;
    }
    std::memset(dcb, 0, sizeof *dcb);
    dcb->DCBlength = sizeof(DCB);
    dcb->BaudRate = SpeedRate(cfgetospeed(&t));
    dcb->fBinary = 1;
    switch (t.c_cflag & CSIZE) {
    case CS5: dcb->ByteSize = 5; break;
    case CS6: dcb->ByteSize = 6; break;
    case CS7: dcb->ByteSize = 7; break;
    default: dcb->ByteSize = 8; break;
    }
    dcb->Parity = (t.c_cflag & PARENB) ? ((t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY) : NOPARITY;
    dcb->StopBits = (t.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
    dcb->fOutxCtsFlow = (t.c_cflag & CRTSCTS) ? 1 : 0;
    dcb->fOutX = (t.c_iflag & IXON) ? 1 : 0;
    dcb->fInX = (t.c_iflag & IXOFF) ? 1 : 0;
    dcb->XonChar = char(t.c_cc[VSTART]);
    dcb->XoffChar = char(t.c_cc[VSTOP]);
    return TRUE;
}

BOOL SetCommTimeouts(HANDLE h, const COMMTIMEOUTS* timeouts)
{
    std::shared_ptr<TCommPort> port = PortOf(h);
    if (!port)
        return FALSE;
    if (!timeouts) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> g(port->Lock);
    port->Timeouts = *timeouts;
    return TRUE;
}

BOOL GetCommTimeouts(HANDLE h, LPCOMMTIMEOUTS timeouts)
{
    std::shared_ptr<TCommPort> port = PortOf(h);
    if (!port)
        return FALSE;
    if (!timeouts) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> g(port->Lock);
    *timeouts = port->Timeouts;
    return TRUE;
}

BOOL SetCommMask(HANDLE h, DWORD mask)
{
    std::shared_ptr<TCommPort> port = PortOf(h);
    if (!port)
        return FALSE;
    {
        std::lock_guard<std::mutex> g(port->Lock);
        port->Mask = mask;
    }
    for (const std::shared_ptr<TCommIo>& op : port->Ops(1u << ioWait))
        op->Abort(ERROR_SUCCESS);  // a pending wait ends reporting no event
    return TRUE;
}

BOOL GetCommMask(HANDLE h, LPDWORD mask)
{
    std::shared_ptr<TCommPort> port = PortOf(h);
    if (!port)
        return FALSE;
    if (!mask) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> g(port->Lock);
    *mask = port->Mask;
    return TRUE;
}

BOOL SetupComm(HANDLE h, DWORD inQueue, DWORD outQueue)
{
    std::shared_ptr<TCommPort> port = PortOf(h);
    if (!port)
        return FALSE;
    std::lock_guard<std::mutex> g(port->Lock);
    port->InQueue = inQueue;
    port->OutQueue = outQueue;
    return TRUE;
}

BOOL PurgeComm(HANDLE h, DWORD flags)
{
    std::shared_ptr<TCommPort> port = PortOf(h);
    if (!port)
        return FALSE;
    if (flags & ~DWORD(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    unsigned kinds = 0;
    if (flags & PURGE_TXABORT)
        kinds |= 1u << ioWrite;
    if (flags & PURGE_RXABORT)
        kinds |= 1u << ioRead;
    if (kinds)
        for (const std::shared_ptr<TCommIo>& op : port->Ops(kinds))
            op->Abort(ERROR_OPERATION_ABORTED);
    std::lock_guard<std::mutex> g(port->Lock);
    if (port->Fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    int queue = -1;
    if ((flags & PURGE_RXCLEAR) && (flags & PURGE_TXCLEAR))
        queue = TCIOFLUSH;
    else if (flags & PURGE_RXCLEAR)
        queue = TCIFLUSH;
    else if (flags & PURGE_TXCLEAR)
        queue = TCOFLUSH;
    if (queue >= 0 && tcflush(port->Fd, queue) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL ClearCommError(HANDLE h, LPDWORD errors, LPCOMSTAT status)
{
    if (errors)
        *errors = 0;
    if (status)
        std::memset(status, 0, sizeof *status);
    std::shared_ptr<TCommPort> port = PortOf(h);
    if (!port)
        return FALSE;
    std::lock_guard<std::mutex> g(port->Lock);
    int in = 0, out = 0;
    if (port->Fd < 0 || ioctl(port->Fd, FIONREAD, &in) != 0 || ioctl(port->Fd, TIOCOUTQ, &out) != 0) {
        SetLastError(port->Fd < 0 ? ERROR_INVALID_HANDLE : ErrorFromErrno(errno));
        return FALSE;
    }
    if (status) {
        status->cbInQue = in > 0 ? DWORD(in) : 0;
        status->cbOutQue = out > 0 ? DWORD(out) : 0;
    }
    return TRUE;
}

BOOL WaitCommEvent(HANDLE h, LPDWORD eventMask, LPOVERLAPPED ov)
{
    std::shared_ptr<TCommPort> port = PortOf(h);
    if (!port)
        return FALSE;
    if (eventMask)
        *eventMask = 0;
    DWORD mask = 0;
    {
        std::lock_guard<std::mutex> g(port->Lock);
        mask = port->Mask;
    }
    return StartIo(port, ioWait, nullptr, 0, nullptr, ov, eventMask, mask, false);
}

BOOL ReadFile(HANDLE h, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED ov)
{
    if (read)
        *read = 0;
    std::shared_ptr<TCommPort> port = PortOf(h);
    if (!port)
        return FALSE;
    if (!buffer && toRead > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool atOnce = false;
    {
        std::lock_guard<std::mutex> g(port->Lock);
        const COMMTIMEOUTS& t = port->Timeouts;
        atOnce = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 &&
                 t.ReadTotalTimeoutConstant == 0;
    }
    return StartIo(port, ioRead, static_cast<BYTE*>(buffer), toRead, read, ov, nullptr, 0, atOnce);
}

BOOL WriteFile(HANDLE h, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED ov)
{
    if (written)
        *written = 0;
    std::shared_ptr<TCommPort> port = PortOf(h);
    if (!port)
        return FALSE;
    if (TWriteFileObserver observer = gWriteObserver.load())
        observer(h, toWrite);
    if (!buffer && toWrite > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The operation never writes through the pointer; the cast only shares the I/O record.
    return StartIo(port, ioWrite, static_cast<BYTE*>(const_cast<void*>(buffer)), toWrite, written, ov, nullptr, 0,
                   false);
}

BOOL GetOverlappedResult(HANDLE h, LPOVERLAPPED ov, LPDWORD transferred, BOOL wait)
{
    if (!PortOf(h))
        return FALSE;
    if (!ov) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::shared_ptr<TEventObject> ev = ov->hEvent ? TKernelObjects::GetAs<TEventObject>(ov->hEvent) : nullptr;
    std::shared_ptr<TPendingIo> op = ev ? ev->Pending() : nullptr;
    if (op && op->Overlapped() == ov && !op->Progress()) {
        if (!wait) {
            if (transferred)
                *transferred = op->Transferred();
            SetLastError(ERROR_IO_INCOMPLETE);
            return FALSE;
        }
        while (!op->Progress()) {
            int fd = -1;
            short events = 0;
            op->PollTarget(fd, events);
            if (fd >= 0) {
                pollfd p{fd, events, 0};
                poll(&p, 1, -1);
            }
        }
    }
    if (ov->Internal == STATUS_PENDING) {
        if (transferred)
            *transferred = DWORD(ov->InternalHigh);
        SetLastError(ERROR_IO_INCOMPLETE);
        return FALSE;
    }
    if (transferred)
        *transferred = DWORD(ov->InternalHigh);
    if (ov->Internal == ERROR_SUCCESS)
        return TRUE;
    SetLastError(DWORD(ov->Internal));
    return FALSE;
}

BOOL CancelIo(HANDLE h)
{
    std::shared_ptr<TCommPort> port = PortOf(h);
    if (!port)
        return FALSE;
    for (const std::shared_ptr<TCommIo>& op : port->Ops(7))
        op->Abort(ERROR_OPERATION_ABORTED);
    return TRUE;
}

void SetWriteFileObserver(TWriteFileObserver observer) { gWriteObserver.store(observer); }
