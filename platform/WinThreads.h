// Win32-shaped threads: CreateThread and the exit code; a thread handle is waitable and is
// signalled once the thread procedure has returned.
//
// There is no TerminateThread: a thread cannot be killed safely on POSIX (its locks and
// stack objects would be left behind). Threads here are written to be stoppable instead:
// signal them (for example with an event) and wait on their handle.
// CREATE_SUSPENDED and stack sizes are not supported; the stack size argument is ignored.
#pragma once

#include "platform/WinTypes.h"

#include <cstddef>

typedef DWORD (*LPTHREAD_START_ROUTINE)(LPVOID parameter);

#define CREATE_SUSPENDED 0x00000004u

// Starts proc(parameter) at once. Returns 0 on failure (ERROR_NOT_ENOUGH_MEMORY, or
// ERROR_NOT_SUPPORTED for CREATE_SUSPENDED). threadId (may be null) receives a
// process-unique number.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, size_t stackSize, LPTHREAD_START_ROUTINE proc,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId);

// STILL_ACTIVE while the thread runs, then the value its procedure returned.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
