#include "platform/WinBase.h"

#include "platform/WinHandles.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace {
thread_local DWORD tLastError = ERROR_SUCCESS;
}

DWORD GetLastError() { return tLastError; }

void SetLastError(DWORD code) { tLastError = code; }

BOOL CloseHandle(HANDLE h)
{
    std::shared_ptr<TKernelObject> obj = TKernelObjects::Remove(h);
    if (!obj) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    obj->OnClose();
    return TRUE;
}

DWORD GetTickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms = uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
    return DWORD(ms);
}

void Sleep(DWORD milliseconds)
{
    if (milliseconds == INFINITE)
        return;
    timespec ts{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

int wsprintfA(LPSTR buffer, LPCSTR format, ...)
{
    if (!buffer || !format)
        return 0;
    char text[1024];
    va_list ap;
    va_start(ap, format);
    int n = vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    if (n < 0)
        n = 0;
    if (n > int(sizeof text) - 1)
        n = int(sizeof text) - 1;
    for (int i = 0; i < n; ++i)
        buffer[i] = text[i];
    buffer[n] = '\0';
    return n;
}

int wnsprintfA(LPSTR buffer, int size, LPCSTR format, ...)
{
    if (!buffer || size <= 0 || !format)
        return -1;
    va_list ap;
    va_start(ap, format);
    const int n = vsnprintf(buffer, size_t(size), format, ap);
    va_end(ap);
    if (n < 0) {
        buffer[0] = '\0';
        return -1;
    }
    return n < size ? n : -1;
}
