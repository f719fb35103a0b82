// Unit Kivpublic, system half: the structures and flags of the lazily resolved system functions
// (scroll-bar and combo-box information, window animation) and the resolver they share. The
// combo-box structure and its geometry on Qt live in the framework (framework/ComboBoxInfo.h).
#pragma once

#include "framework/ComboBoxInfo.h"
#include "framework/System.h"
#include "platform/WinTypes.h"
#include "platform/WinUser.h"

// Object ids of KIVGetScrollBarInfo.
constexpr LONG OBJID_HSCROLL = LONG(0xFFFFFFFA);
constexpr LONG OBJID_VSCROLL = LONG(0xFFFFFFFB);
constexpr LONG OBJID_CLIENT = LONG(0xFFFFFFFC);

constexpr int CCHILDREN_SCROLLBAR = 5;

// Scroll-bar geometry. rcScrollBar is in screen coordinates; the thumb positions are offsets from
// the bar's top (vertical) or left (horizontal) edge. rgstate: [0] the bar, [1] the up/left arrow,
// [2] the page-up/left area, [3] the thumb, [4] the page-down/right area, [5] the down/right arrow.
struct tagSCROLLBARINFO {
    DWORD cbSize = sizeof(tagSCROLLBARINFO);
    TRect rcScrollBar;
    int dxyLineButton = 0;
    int xyThumbTop = 0;
    int xyThumbBottom = 0;
    int reserved = 0;
    DWORD rgstate[CCHILDREN_SCROLLBAR + 1] = {};
};

// KIVAnimateWindow flags.
constexpr DWORD AW_HOR_POSITIVE = 0x00000001;
constexpr DWORD AW_HOR_NEGATIVE = 0x00000002;
constexpr DWORD AW_VER_POSITIVE = 0x00000004;
constexpr DWORD AW_VER_NEGATIVE = 0x00000008;
constexpr DWORD AW_CENTER = 0x00000010;
constexpr DWORD AW_HIDE = 0x00010000;
constexpr DWORD AW_ACTIVATE = 0x00020000;
constexpr DWORD AW_SLIDE = 0x00040000;
constexpr DWORD AW_BLEND = 0x00080000;

// The system library the three functions are looked up in: its exported functions by name, or
// null for a name it does not export. Loaded on first use and shared by the three.
void* KivSystemProcAddress(const char* Name);

// A system function resolved by name on its first call. A function that is missing is marked so,
// and the wrapper answers false from then on without looking again.
template <class Fn>
class TkivLazyProc {
public:
    using TResolver = void* (*)(const char* Name);
    constexpr TkivLazyProc(const char* Name, TResolver Resolver) : FName(Name), FResolver(Resolver) {}

    // The entry point, or null when missing; resolves on the first call only.
    Fn* Get()
    {
        if (!FResolved) {
            FResolved = true;
            FProc = reinterpret_cast<Fn*>(FResolver ? FResolver(FName) : nullptr);
            FMissing = FProc == nullptr;
        }
        return FProc;
    }
    bool Missing() const { return FMissing; }

private:
    const char* FName;
    TResolver FResolver;
    Fn* FProc = nullptr;
    bool FResolved = false;
    bool FMissing = false;
};
