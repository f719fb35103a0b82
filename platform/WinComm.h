// Win32-shaped serial communications on POSIX termios: opening "COMn" / "\\.\COMn", the DCB,
// time-outs, purging, the input count, and overlapped ReadFile / WriteFile / WaitCommEvent.
//
// Behaviour and differences from the real calls:
// - CreateFileA opens only COM port names (ComPorts.h) with OPEN_EXISTING; the device must be
//   a terminal. Opening is always exclusive: TIOCEXCL plus flock(LOCK_EX | LOCK_NB), both
//   released when the handle is closed, so a port another program holds reads as absent.
//   On pseudo-terminals only flock is used: TIOCEXCL would outlive a crashed holder there.
//   A port that leads to the pseudo-terminal multiplexer (/dev/ptmx, /dev/pts/ptmx, or a
//   master descriptor reached through /proc) is refused before and after opening: it would
//   create a new pair or reach another program's master side, never a device.
//   Errors: ERROR_FILE_NOT_FOUND (no such port, not a terminal, the multiplexer),
//   ERROR_ACCESS_DENIED (no permission: on Linux, membership of the dialout group),
//   ERROR_SHARING_VIOLATION (held by another program; the real call reports
//   ERROR_ACCESS_DENIED there too).
// - SetCommState: raw mode, CLOCAL | CREAD, no HUPCL, VMIN 1 / VTIME 0. Baud rates are those
//   with an exact termios speed constant (1200 ... 115200 and the other standard ones); any
//   other rate fails with ERROR_INVALID_PARAMETER. ByteSize 5..8; parity none, odd or even
//   (mark and space fail); one or two stop bits (1.5 fails). fOutxCtsFlow or
//   RTS_CONTROL_HANDSHAKE give CRTSCTS; fOutX / fInX give IXON / IXOFF with XonChar / XoffChar;
//   DSR flow control and DTR_CONTROL_HANDSHAKE fail with ERROR_NOT_SUPPORTED. DTR and RTS are
//   raised or dropped as fDtrControl / fRtsControl say where the device has modem lines (a
//   pseudo-terminal has none; that is not an error). A pseudo-terminal also keeps 8 data bits
//   and no parity whatever is asked (its driver forces them); that is not an error either. Parity errors are not detected: with
//   fErrorChar off a byte with bad parity is delivered as received, as on the original.
// - Time-outs: all zero means a read waits for all requested bytes; ReadIntervalTimeout =
//   MAXDWORD with both read totals 0 means a read returns at once with what is queued. Other
//   time-out values are stored but treated as all zero.
// - SetupComm stores the queue sizes; the Linux tty queues keep their own sizes.
// - WaitCommEvent reports EV_RXCHAR (input queued). EV_CTS, EV_DSR, EV_RLSD, EV_BREAK and the
//   others are accepted in the mask but never reported. When the line has hung up (a USB
//   adapter unplugged, the master side of a pseudo-terminal closed) it fails with
//   ERROR_DEVICE_NOT_CONNECTED, at once or on completion.
// - Overlapped operations need an event in their OVERLAPPED record when they cannot finish at
//   once (else ERROR_INVALID_PARAMETER); they complete while a thread waits on that event or
//   calls GetOverlappedResult (WinHandles.h). A new operation started with an event that still
//   has one pending aborts the old one. Closing that event drops its pending operation without
//   writing to its OVERLAPPED record. CancelIo cancels every operation on the port, not only
//   the calling thread's.
// - ClearCommError reports cbInQue (FIONREAD) and cbOutQue (TIOCOUTQ); the error mask is 0.
#pragma once

#include "platform/WinTypes.h"

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define OPEN_EXISTING 3u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_FLAG_OVERLAPPED 0x40000000u

struct OVERLAPPED {
    ULONG_PTR Internal;      // completion status (STATUS_PENDING while pending, else an error code)
    ULONG_PTR InternalHigh;  // bytes transferred
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
};
typedef OVERLAPPED* LPOVERLAPPED;

// Baud rates.
#define CBR_110 110u
#define CBR_300 300u
#define CBR_600 600u
#define CBR_1200 1200u
#define CBR_2400 2400u
#define CBR_4800 4800u
#define CBR_9600 9600u
#define CBR_14400 14400u
#define CBR_19200 19200u
#define CBR_38400 38400u
#define CBR_57600 57600u
#define CBR_115200 115200u

#define NOPARITY 0
#define ODDPARITY 1
#define EVENPARITY 2
#define MARKPARITY 3
#define SPACEPARITY 4

#define ONESTOPBIT 0
#define ONE5STOPBITS 1
#define TWOSTOPBITS 2

#define DTR_CONTROL_DISABLE 0x00
#define DTR_CONTROL_ENABLE 0x01
#define DTR_CONTROL_HANDSHAKE 0x02
#define RTS_CONTROL_DISABLE 0x00
#define RTS_CONTROL_ENABLE 0x01
#define RTS_CONTROL_HANDSHAKE 0x02
#define RTS_CONTROL_TOGGLE 0x03

struct DCB {
    DWORD DCBlength;
    DWORD BaudRate;
    DWORD fBinary : 1;
    DWORD fParity : 1;
    DWORD fOutxCtsFlow : 1;
    DWORD fOutxDsrFlow : 1;
    DWORD fDtrControl : 2;
    DWORD fDsrSensitivity : 1;
    DWORD fTXContinueOnXoff : 1;
    DWORD fOutX : 1;
    DWORD fInX : 1;
    DWORD fErrorChar : 1;
    DWORD fNull : 1;
    DWORD fRtsControl : 2;
    DWORD fAbortOnError : 1;
    DWORD fDummy2 : 17;
    WORD wReserved;
    WORD XonLim;
    WORD XoffLim;
    BYTE ByteSize;
    BYTE Parity;
    BYTE StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    WORD wReserved1;
};
typedef DCB* LPDCB;
static_assert(sizeof(DCB) == 28, "DCB must have the Win32 layout");

struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout;
    DWORD ReadTotalTimeoutMultiplier;
    DWORD ReadTotalTimeoutConstant;
    DWORD WriteTotalTimeoutMultiplier;
    DWORD WriteTotalTimeoutConstant;
};
typedef COMMTIMEOUTS* LPCOMMTIMEOUTS;

struct COMSTAT {
    DWORD fCtsHold : 1;
    DWORD fDsrHold : 1;
    DWORD fRlsdHold : 1;
    DWORD fXoffHold : 1;
    DWORD fXoffSent : 1;
    DWORD fEof : 1;
    DWORD fTxim : 1;
    DWORD fReserved : 25;
    DWORD cbInQue;
    DWORD cbOutQue;
};
typedef COMSTAT* LPCOMSTAT;

// Comm events (SetCommMask / WaitCommEvent).
#define EV_RXCHAR 0x0001u
#define EV_RXFLAG 0x0002u
#define EV_TXEMPTY 0x0004u
#define EV_CTS 0x0008u
#define EV_DSR 0x0010u
#define EV_RLSD 0x0020u
#define EV_BREAK 0x0040u
#define EV_ERR 0x0080u
#define EV_RING 0x0100u

// PurgeComm flags.
#define PURGE_TXABORT 0x0001u
#define PURGE_RXABORT 0x0002u
#define PURGE_TXCLEAR 0x0004u
#define PURGE_RXCLEAR 0x0008u

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES attributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);

BOOL GetCommState(HANDLE port, LPDCB dcb);
BOOL SetCommState(HANDLE port, const DCB* dcb);
BOOL GetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts);
BOOL SetCommTimeouts(HANDLE port, const COMMTIMEOUTS* timeouts);
BOOL GetCommMask(HANDLE port, LPDWORD mask);
// Also ends a pending WaitCommEvent, which then reports 0 (as the real call does).
BOOL SetCommMask(HANDLE port, DWORD mask);
BOOL SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue);
// PURGE_TXABORT / PURGE_RXABORT end pending writes / reads (ERROR_OPERATION_ABORTED);
// PURGE_TXCLEAR / PURGE_RXCLEAR discard the tty's output / input queue (tcflush).
BOOL PurgeComm(HANDLE port, DWORD flags);
BOOL ClearCommError(HANDLE port, LPDWORD errors, LPCOMSTAT status);
BOOL WaitCommEvent(HANDLE port, LPDWORD eventMask, LPOVERLAPPED overlapped);

// With overlapped null the call blocks until it has finished (reads: as the time-outs say).
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped);
BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait);
BOOL CancelIo(HANDLE file);

// The termios settings SetCommState applies for dcb, on top of t (the line's current settings).
// False, with the error SetCommState would report, when the DCB asks for something unsupported.
struct termios;
bool DcbToTermios(const DCB& dcb, struct termios& t, DWORD* error);

// Test hook: when set, called at the start of every WriteFile on a port with the requested
// length. It observes only; the write proceeds unchanged. Pass null to remove it.
typedef void (*TWriteFileObserver)(HANDLE file, DWORD toWrite);
void SetWriteFileObserver(TWriteFileObserver observer);
