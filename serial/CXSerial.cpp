#include "serial/CXSerial.h"

#include "platform/WinBase.h"
#include "platform/WinThreads.h"

#include <algorithm>
#include <cstring>

namespace {

bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

void CloseIfOpen(HANDLE& h)
{
    if (h) {
        CloseHandle(h);
        h = nullptr;
    }
}

}  // namespace

CXSerial::CXSerial()
    : readerThread(nullptr), stopEvent(nullptr), pollEvent(nullptr), portNumber(1), baudRate(9600), parity(0),
      handle(nullptr), commEvents(0), readyEvent(nullptr)
{
    InitializeCriticalSection(&writeLock);
    std::memset(&writeOverlapped, 0, sizeof writeOverlapped);
    std::memset(&readOverlapped, 0, sizeof readOverlapped);
    std::memset(&pollOverlapped, 0, sizeof pollOverlapped);
}

CXSerial::~CXSerial()
{
    Close();
    DeleteCriticalSection(&writeLock);
}

int CXSerial::IsOpen() const { return Valid(handle) ? 1 : 0; }

int CXSerial::FormatPortName(uint32_t port, char* buffer, int size)
{
    return port <= 9 ? wnsprintfA(buffer, size, "COM%u", port) : wnsprintfA(buffer, size, "\\\\.\\COM%u", port);
}

void CXSerial::BuildLineState(DCB& dcb, int baud, int parity)
{
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = DWORD(baud);
    dcb.fBinary = 1;
    dcb.fParity = 1;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = 0;
    dcb.XonLim = 2;
    dcb.XoffLim = 4;
    dcb.ByteSize = 8;
    dcb.Parity = BYTE(parity);
    dcb.StopBits = ONESTOPBIT;
    dcb.XonChar = 0x13;
    dcb.XoffChar = 0x19;
}

int CXSerial::Open(uint32_t port, int baud, int parityIndex)
{
    Close();
    portNumber = port;
    baudRate = baud;
    parity = parityIndex;

    char name[20];
    FormatPortName(port, name, sizeof name);
    HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (!Valid(h)) {
        handle = nullptr;
        return 0;
    }
    handle = h;

    DCB dcb;
    BuildLineState(dcb, baud, parityIndex);
    PurgeComm(handle, kPurgeAll);
    COMMTIMEOUTS timeouts;
    std::memset(&timeouts, 0, sizeof timeouts);
    if (!SetCommMask(handle, kLineCommMask) || !SetCommTimeouts(handle, &timeouts) || !SetCommState(handle, &dcb) ||
        !SetupComm(handle, kChunkSize, kChunkSize)) {
        const DWORD why = GetLastError();
        CloseHandle(handle);
        handle = nullptr;
        SetLastError(why);
        return 0;
    }
    StartReader();
    return 1;
}

int CXSerial::Close()
{
    if (Valid(handle)) {
        StopReader();
        CloseIfOpen(writeOverlapped.hEvent);
        CloseHandle(handle);
    }
    handle = nullptr;
    return 1;
}

int CXSerial::Write(const void* data, uint32_t len)
{
    EnterCriticalSection(&writeLock);
    const auto* bytes = static_cast<const uint8_t*>(data);
    const DWORD start = GetTickCount();
    uint32_t sent = 0;
    unsigned failures = 0;
    int result = 0;
    for (;;) {
        if (!Valid(handle))
            break;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= kWriteDeadlineMs)
            break;
        DWORD errors = 0;
        COMSTAT status;
        ClearCommError(handle, &errors, &status);

        const DWORD chunk = std::min<uint32_t>(len - sent, kChunkSize);
        DWORD written = 0;
        bool failed = false;
        if (WriteFile(handle, bytes + sent, chunk, &written, &writeOverlapped)) {
            sent += std::min<DWORD>(written, chunk);
        } else if (GetLastError() == ERROR_IO_PENDING) {
            const DWORD wait = std::min<DWORD>(kWriteWaitMs, kWriteDeadlineMs - elapsed);
            if (WaitForSingleObject(writeOverlapped.hEvent, wait) == WAIT_TIMEOUT) {
                // The peer takes nothing: drop the chunk and what is queued of it, and fail.
                // Going on would report bytes as sent that were thrown away.
                PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR);
                break;
            }
            DWORD count = 0;
            failed = !GetOverlappedResult(handle, &writeOverlapped, &count, FALSE);
            count = std::min<DWORD>(count, chunk);
            writeOverlapped.Offset += count;
            sent += count;
        } else {
            failed = true;
        }
        if (sent >= len) {
            result = 1;
            break;
        }
        if (failed && ++failures >= kMaxWriteAttempts)
            break;
    }
    LeaveCriticalSection(&writeLock);
    return result;
}

int CXSerial::SetLineState(int baud, int parityIndex)
{
    if (!IsOpen())
        return 0;
    parity = parityIndex;
    DCB dcb;
    BuildLineState(dcb, baud, parityIndex);
    return SetCommState(handle, &dcb) ? 1 : 0;
}

int CXSerial::Configure(uint32_t port, int baud, int parityIndex)
{
    if (IsOpen() && port == portNumber) {
        parity = parityIndex;
        return SetLineState(baud, parityIndex);
    }
    parity = parityIndex;
    return Open(port, baud, parityIndex);
}

int CXSerial::StartReader()
{
    if (!Valid(handle))
        return 0;
    CloseIfOpen(stopEvent);
    CloseIfOpen(pollEvent);
    CloseIfOpen(readOverlapped.hEvent);
    CloseIfOpen(writeOverlapped.hEvent);
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // Signalled at first, so the reader's first pass looks at the input queue at once.
    pollEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    std::memset(&readOverlapped, 0, sizeof readOverlapped);
    readOverlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::memset(&writeOverlapped, 0, sizeof writeOverlapped);
    writeOverlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::memset(&pollOverlapped, 0, sizeof pollOverlapped);

    const HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    readyEvent = ready;
    readerThread = CreateThread(nullptr, 0, &CXSerial::ReaderThread, this, 0, nullptr);
    if (Valid(readerThread) && ready) {
        const HANDLE started[2] = {ready, readerThread};
        WaitForMultipleObjects(2, started, FALSE, kStartWaitMs);
    }
    // Handles are never reused, so a reader that sets it late only gets a failed SetEvent.
    readyEvent = nullptr;
    if (ready)
        CloseHandle(ready);
    return Valid(readerThread) ? 1 : 0;
}

int CXSerial::StopReader()
{
    if (stopEvent)
        SetEvent(stopEvent);
    if (readerThread) {
        if (WaitForSingleObject(readerThread, kStopWaitMs) != WAIT_OBJECT_0)
            WaitForSingleObject(readerThread, INFINITE);
        CloseHandle(readerThread);
        readerThread = nullptr;
    }
    CloseIfOpen(pollEvent);
    CloseIfOpen(readOverlapped.hEvent);
    CloseIfOpen(writeOverlapped.hEvent);
    CloseIfOpen(stopEvent);
    return 1;
}

DWORD CXSerial::ReaderThread(LPVOID object)
{
    auto* self = static_cast<CXSerial*>(object);
    const HANDLE port = self->handle;
    if (!Valid(port))
        return kReaderNoPort;
    PurgeComm(port, kPurgeAll);
    if (const HANDLE ready = self->readyEvent.load())
        SetEvent(ready);

    const HANDLE waits[2] = {self->stopEvent, self->pollEvent};
    uint8_t buffer[kChunkSize];
    bool inputWaitArmed = false;
    for (;;) {
        const DWORD r = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (r > WAIT_OBJECT_0 + 1)
            return kReaderWaitFailed;
        if (r == WAIT_OBJECT_0)
            return kReaderStopped;

        if (inputWaitArmed) {
            inputWaitArmed = false;
            DWORD unused = 0;
            if (!GetOverlappedResult(port, &self->pollOverlapped, &unused, FALSE) &&
                GetLastError() != ERROR_IO_INCOMPLETE)
                return kReaderWaitFailed;  // the line has gone
        }

        DWORD errors = 0;
        COMSTAT status;
        ClearCommError(port, &errors, &status);
        if (status.cbInQue == 0) {
            // Nothing queued: sleep until the driver has input (or the stop event is set).
            std::memset(&self->pollOverlapped, 0, sizeof self->pollOverlapped);
            self->pollOverlapped.hEvent = self->pollEvent;
            if (WaitCommEvent(port, &self->commEvents, &self->pollOverlapped))
                continue;  // input arrived meanwhile; pollEvent is set
            if (GetLastError() != ERROR_IO_PENDING)
                return kReaderWaitFailed;
            inputWaitArmed = true;
            continue;
        }

        const DWORD want = std::min<DWORD>(status.cbInQue, kChunkSize);
        DWORD got = 0;
        if (ReadFile(port, buffer, want, &got, &self->readOverlapped)) {
            // completed at once
        } else if (GetLastError() == ERROR_IO_PENDING) {
            if (WaitForSingleObject(self->readOverlapped.hEvent, kReadWaitMs) == WAIT_TIMEOUT)
                PurgeComm(port, PURGE_RXCLEAR);
            got = 0;
            GetOverlappedResult(port, &self->readOverlapped, &got, FALSE);
        } else if (GetLastError() == ERROR_DEVICE_NOT_CONNECTED) {
            return kReaderWaitFailed;  // the line has gone; retrying would only spin
        } else {
            continue;
        }
        got = std::min(got, want);
        for (DWORD i = 0; i < got; ++i)
            self->OnByte(buffer[i]);
    }
}

int ProbePort(uint32_t n)
{
    char name[32];
    CXSerial::FormatPortName(n, name, sizeof name);
    HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                           nullptr);
    if (h == nullptr || h == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(h);
    return 1;
}
