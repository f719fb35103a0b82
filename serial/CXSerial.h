// CXSerial: one numbered COM port with a fixed line configuration (8 data bits, one stop bit,
// no flow control, baud rate and parity as given), chunked overlapped writes under a lock,
// and one reader thread that hands every received byte, in order, to OnByte.
// Results are 1 for success and 0 for failure; nothing throws. After a failed Open,
// GetLastError() on the same thread tells why (for example ERROR_ACCESS_DENIED).
//
// Decisions of this implementation:
// - Write never reports bytes as sent that it discarded. A chunk that is still pending after
//   its 1000 ms wait is purged (PURGE_TXABORT | PURGE_TXCLEAR) and the write fails at once
//   with 0: retrying after the purge would go on as if the purged bytes had left. A write that
//   fails outright (an error, not a time-out) is tried again, at most kMaxWriteAttempts times.
// - The whole write has a deadline of kWriteDeadlineMs, however many chunks it has and however
//   slowly the peer drains them, so the caller (the GUI thread) is never held longer than that;
//   a write still unfinished then returns 0 (the chunks the driver took before still go out).
//   The window's writes (at most 1023 bytes) fit the driver's queue and finish at once on a
//   working line.
// - When a configuration step of Open fails, the port handle is closed again, so IsOpen
//   reports the truth (0) and no half-configured port is left behind.
// - The reader does not poll in a loop: when the driver's input queue is empty it waits,
//   with WaitCommEvent(EV_RXCHAR) on pollEvent, until input arrives or the stop event is
//   set. Every pass still checks the stop event first, reads at most 1024 bytes, and the
//   exit codes are kept: -1 (no port), 4 (wait failed), 5 (stopped).
// - When the line hangs up (adapter unplugged, the other side of a pseudo-terminal closed)
//   the reader ends with exit code 4, like any failed wait; the port stays open without a
//   reader, Write fails, and Close works as usual.
// - The reader purges both driver queues when it starts. StartReader waits (up to
//   kStartWaitMs) until it has done so, so Open returns only once that purge is behind it:
//   a Write right after Open, or a byte the device sends right after, is not discarded by it.
// - StopReader waits for the reader on its thread handle: normally it has ended within a
//   few milliseconds; if not within 200 ms, it waits until it has (the reader blocks only
//   where the stop event wakes it, or for at most one 1000 ms read wait). There is no
//   forced termination. OnByte must therefore return promptly and must not call Close.
// - A derived class must call Close() in its destructor, so the reader has ended before
//   the derived part that OnByte uses is destroyed.
#pragma once

#include "platform/WinComm.h"
#include "platform/WinSync.h"
#include "platform/WinTypes.h"

#include <atomic>
#include <cstdint>

class CXSerial {
public:
    static constexpr uint32_t kChunkSize = 1024;        // each way; also the driver queue size asked for
    static constexpr DWORD kWriteWaitMs = 1000;
    static constexpr DWORD kReadWaitMs = 1000;
    static constexpr DWORD kStopWaitMs = 200;
    static constexpr DWORD kStartWaitMs = 1000;
    static constexpr unsigned kMaxWriteAttempts = 3;
    static constexpr DWORD kWriteDeadlineMs = 3000;  // a whole Write
    static constexpr DWORD kLineCommMask = EV_RXCHAR | EV_CTS | EV_RLSD | EV_BREAK;  // 0x69
    static constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

    // Reader exit codes.
    static constexpr DWORD kReaderNoPort = DWORD(-1);
    static constexpr DWORD kReaderWaitFailed = 4;
    static constexpr DWORD kReaderStopped = 5;

    CXSerial();
    virtual ~CXSerial();
    CXSerial(const CXSerial&) = delete;
    CXSerial& operator=(const CXSerial&) = delete;

    int IsOpen() const;
    int Open(uint32_t port, int baud, int parity);
    int Close();
    int Write(const void* data, uint32_t len);
    int SetLineState(int baud, int parity);
    int Configure(uint32_t port, int baud, int parity);

    uint32_t PortNumber() const { return portNumber; }
    int BaudRate() const { return baudRate; }
    int Parity() const { return parity; }
    HANDLE PortHandle() const { return handle; }
    HANDLE ReaderThreadHandle() const { return readerThread; }

    // "COM9" for ports up to 9, "\\.\COM10" from 10 on; returns wnsprintfA's result.
    static int FormatPortName(uint32_t port, char* buffer, int size);
    // The line configuration Open and SetLineState apply.
    static void BuildLineState(DCB& dcb, int baud, int parity);

protected:
    // Every byte read, in order, on the reader thread.
    virtual void OnByte(uint8_t b) = 0;

    int StartReader();
    int StopReader();
    static DWORD ReaderThread(LPVOID object);

private:
    OVERLAPPED writeOverlapped;
    OVERLAPPED readOverlapped;
    HANDLE readerThread;
    HANDLE stopEvent;  // manual-reset, set to stop the reader
    HANDLE pollEvent;  // manual-reset; signalled while the driver may have input (see above)
    uint32_t portNumber;
    int baudRate;
    int parity;
    HANDLE handle;
    CRITICAL_SECTION writeLock;
    OVERLAPPED pollOverlapped;  // the reader's WaitCommEvent record; its event is pollEvent
    DWORD commEvents;
    std::atomic<HANDLE> readyEvent;  // set by the reader once its start-up purge is done; exists during StartReader
};

// 1 when COM port n can be opened now (exclusively), else 0.
int ProbePort(uint32_t n);
