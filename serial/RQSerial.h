// RQSerial: the RQ_27M protocol on a CXSerial. It sends the read and write commands and
// parses every received byte: a response (first byte 0xAF) is decoded into the parameter
// record and announced with a posted message; anything else is terminal data, collected in
// the receive buffer for the window's terminal pane.
//
// Decisions of this implementation:
// - The receive buffer holds 1024 bytes; terminal bytes that find it full are dropped (the
//   window is still told that terminal data arrived). rxCount never passes the end.
// - The parser, CopyReceived, ClearReceived and TakeReceived share one lock, so a byte
//   arriving while the window takes the data is either in what it takes or kept for the
//   next time, never lost between copy and clear nor counted twice. TakeReceived is copy and
//   clear in one step; use it from the window's timer.
// - CopyReceived / TakeReceived copy at most 'capacity' bytes. The window's 200-byte
//   zero-filled buffer must stay zero-terminated, so it passes 199. Held bytes beyond the
//   capacity are discarded by the clear (the RX box shows at most 199 per tick).
// - The parameter record is written by the parser on the reader thread; read and fill it
//   through Params() / SetParams(), which take the same lock.
// - The window is reached only through IRQSerialHost (the window implements it), so this
//   layer does not depend on the window. Without a host the frames are still sent and the
//   terminal bytes still collected.
#pragma once

#include "serial/CXSerial.h"
#include "serial/ModuleParams.h"

#include <cstdint>
#include <functional>
#include <mutex>

class IRQSerialHost {
public:
    // GUI thread, before each command is written: the window keeps the frame (lastFrame).
    virtual void StoreLastFrame(const uint8_t* data, uint32_t len) = 0;
    // Reader thread, for every terminal byte, under the receive lock: the window sets its idle
    // counter to 0 (one 32-bit store) and has its RX box cleared on the GUI thread. Must return
    // at once and must not call back into RQSerial.
    virtual void TerminalByteArrived() = 0;

protected:
    ~IRQSerialHost() = default;
};

class RQSerial : public CXSerial {
public:
    static constexpr uint32_t kRxBufferSize = 1024;

    RQSerial();
    ~RQSerial() override;

    // The window and message number posted (both parameters 0) when a response is complete.
    void SetNotify(HWND window, UINT message);
    void SetHost(IRQSerialHost* host);

    int SendRead();
    int SendWrite();

    // Copies min(rxCount, capacity) bytes of the receive buffer to dst; returns the count.
    uint32_t CopyReceived(uint8_t* dst, uint32_t capacity);
    // Sets rxCount to 0; the buffer keeps its content.
    void ClearReceived();
    // CopyReceived and ClearReceived as one step. whileLocked, when given, runs inside that step,
    // under the lock the parser holds while it calls IRQSerialHost::TerminalByteArrived: the
    // window withdraws there the requests that the bytes taken have made (see FormMain).
    uint32_t TakeReceived(uint8_t* dst, uint32_t capacity, const std::function<void()>& whileLocked = nullptr);

    // Test hook: called at the start of TakeReceived, before the lock is taken (a test delivers
    // a byte at that moment). Pass an empty function to remove it.
    void SetTakeObserver(std::function<void()> observer);

    ModuleParams Params() const;
    void SetParams(const ModuleParams& p);

    // For tests and diagnostics.
    int32_t ReceivedCount() const;
    void ReceiveBufferSnapshot(uint8_t out[kRxBufferSize]) const;

protected:
    void OnByte(uint8_t b) override;

private:
    ModuleParams params;
    HWND notifyWindow;
    UINT notifyMessage;
    uint8_t rxBuffer[kRxBufferSize];
    int32_t rxCount;
    IRQSerialHost* host;
    mutable std::mutex rxLock;  // guards params, rxBuffer, rxCount, notifyWindow/Message, host
    std::function<void()> takeObserver;  // GUI thread only
};
