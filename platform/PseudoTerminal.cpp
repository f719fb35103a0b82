#include "platform/PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

int64_t NowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

bool Fail(std::string* error, const char* what)
{
    if (error)
        *error = std::string(what) + ": " + std::strerror(errno);
    return false;
}

}  // namespace

TPseudoTerminal::~TPseudoTerminal() { Close(); }

bool TPseudoTerminal::Open(std::string* error)
{
    Close();
    FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster < 0)
        return Fail(error, "posix_openpt");
    char name[256];
    if (grantpt(FMaster) != 0 || unlockpt(FMaster) != 0 || ptsname_r(FMaster, name, sizeof name) != 0) {
        Fail(error, "pseudo-terminal setup");
        Close();
        return false;
    }
    FSlavePath = name;
    FHeldSlave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (FHeldSlave < 0) {
        Fail(error, "open slave");
        Close();
        return false;
    }
    termios t{};
    if (tcgetattr(FHeldSlave, &t) == 0) {
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        tcsetattr(FHeldSlave, TCSANOW, &t);
    }
    const int flags = fcntl(FMaster, F_GETFL);
    fcntl(FMaster, F_SETFL, flags | O_NONBLOCK);
    return true;
}

bool TPseudoTerminal::Write(const void* data, size_t len, int timeoutMs)
{
    const auto* p = static_cast<const uint8_t*>(data);
    const int64_t deadline = NowMs() + timeoutMs;
    while (len > 0) {
        if (FMaster < 0)
            return false;
        const ssize_t n = write(FMaster, p, len);
        if (n > 0) {
            p += n;
            len -= size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return false;
        const int64_t left = deadline - NowMs();
        if (left <= 0)
            return false;
        pollfd pfd{FMaster, POLLOUT, 0};
        poll(&pfd, 1, int(left));
    }
    return true;
}

ssize_t TPseudoTerminal::Read(void* buffer, size_t capacity, int timeoutMs)
{
    if (FMaster < 0)
        return -1;
    pollfd pfd{FMaster, POLLIN, 0};
    int r;
    do {
        r = poll(&pfd, 1, timeoutMs);
    } while (r < 0 && errno == EINTR);
    if (r <= 0)
        return r < 0 ? -1 : 0;
    const ssize_t n = read(FMaster, buffer, capacity);
    if (n < 0)
        return errno == EAGAIN ? 0 : -1;
    return n;
}

bool TPseudoTerminal::ReadExactly(void* buffer, size_t len, int timeoutMs)
{
    auto* p = static_cast<uint8_t*>(buffer);
    const int64_t deadline = NowMs() + timeoutMs;
    while (len > 0) {
        const int64_t left = deadline - NowMs();
        if (left <= 0)
            return false;
        const ssize_t n = Read(p, len, int(left));
        if (n < 0)
            return false;
        p += n;
        len -= size_t(n);
    }
    return true;
}

void TPseudoTerminal::Drain()
{
    uint8_t buf[4096];
    while (FMaster >= 0 && read(FMaster, buf, sizeof buf) > 0) {
    }
}

void TPseudoTerminal::CloseMaster()
{
    if (FMaster >= 0) {
        close(FMaster);
        FMaster = -1;
    }
}

void TPseudoTerminal::Close()
{
    CloseMaster();
    if (FHeldSlave >= 0) {
        close(FHeldSlave);
        FHeldSlave = -1;
    }
    FSlavePath.clear();
}
