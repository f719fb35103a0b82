// Win32-shaped process services: last error, handles, time, sleep and bounded formatting.
#pragma once

#include "platform/WinTypes.h"

// Per-thread last error, as set by every stand-in that fails.
DWORD GetLastError();
void SetLastError(DWORD code);

// Closes an event, thread or port handle. Closing a thread handle does not stop the thread.
// Closing a port cancels its pending operations and releases its exclusive lock at once.
BOOL CloseHandle(HANDLE h);

// Milliseconds since an arbitrary start (monotonic clock), wrapping at 2^32 like the real call.
DWORD GetTickCount();

// Suspends the calling thread; INFINITE is refused (returns at once) rather than hanging forever.
void Sleep(DWORD milliseconds);

// Formats like the real call: output is limited to 1024 bytes including the terminating zero,
// the result is the length written. Unlike the real call, floating-point conversions work
// (the underlying formatter is vsnprintf). Prefer wnsprintfA, which takes the buffer size.
int wsprintfA(LPSTR buffer, LPCSTR format, ...) __attribute__((format(printf, 2, 3)));

// Bounded formatting: never writes more than size bytes and always terminates (size > 0).
// Returns the length written, or -1 when the text was cut to fit.
int wnsprintfA(LPSTR buffer, int size, LPCSTR format, ...) __attribute__((format(printf, 3, 4)));
