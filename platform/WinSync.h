// Win32-shaped synchronisation: events, waits and critical sections.
//
// Differences from the real calls:
// - Events are unnamed; a name passed to CreateEventA is refused (ERROR_NOT_SUPPORTED).
// - WaitForMultipleObjects waits for any one object; bWaitAll = TRUE is refused (ERROR_NOT_SUPPORTED).
// - Closing an event while another thread waits on it makes that wait return WAIT_FAILED
//   (ERROR_INVALID_HANDLE) instead of leaving it blocked.
// - A wait on the event of a pending overlapped operation also advances that operation
//   (see WinComm.h); this is how such operations complete.
#pragma once

#include "platform/WinTypes.h"

#include <mutex>

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// Waitable: events and threads (signalled once the thread has ended).
DWORD WaitForSingleObject(HANDLE h, DWORD milliseconds);
// Returns WAIT_OBJECT_0 + the lowest index of a signalled object, WAIT_TIMEOUT or WAIT_FAILED.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

// A critical section is recursive for its owning thread, as the real one is.
struct CRITICAL_SECTION {
    std::recursive_mutex* Lock = nullptr;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

void InitializeCriticalSection(LPCRITICAL_SECTION cs);
void EnterCriticalSection(LPCRITICAL_SECTION cs);
void LeaveCriticalSection(LPCRITICAL_SECTION cs);
// Frees the section; it must not be held. A later Delete of the same section does nothing.
void DeleteCriticalSection(LPCRITICAL_SECTION cs);
