#include "serial/RQSerial.h"

#include "platform/WinMessages.h"

#include <algorithm>
#include <cstring>

RQSerial::RQSerial() : notifyWindow(nullptr), notifyMessage(0), rxCount(0), host(nullptr)
{
    std::memset(rxBuffer, 0, sizeof rxBuffer);
}

RQSerial::~RQSerial()
{
    Close();  // the reader must end before the members OnByte uses go away
}

void RQSerial::SetNotify(HWND window, UINT message)
{
    std::lock_guard<std::mutex> g(rxLock);
    notifyWindow = window;
    notifyMessage = message;
}

void RQSerial::SetHost(IRQSerialHost* h)
{
    std::lock_guard<std::mutex> g(rxLock);
    host = h;
}

int RQSerial::SendRead()
{
    {
        std::lock_guard<std::mutex> g(rxLock);
        if (host)
            host->StoreLastFrame(kReadCommand, kModuleFrameSize);
    }
    return Write(kReadCommand, kModuleFrameSize);
}

int RQSerial::SendWrite()
{
    uint8_t frame[kModuleFrameSize];
    {
        std::lock_guard<std::mutex> g(rxLock);
        BuildWriteCommand(params, frame);
        if (host)
            host->StoreLastFrame(frame, kModuleFrameSize);
    }
    return Write(frame, kModuleFrameSize);
}

void RQSerial::OnByte(uint8_t b)
{
    HWND postTo = nullptr;
    UINT message = 0;
    {
        std::lock_guard<std::mutex> g(rxLock);
        if (rxCount >= int32_t(kRxBufferSize)) {
            // Only terminal data can fill the buffer (a response resets at 15 bytes): drop the byte.
            if (host)
                host->TerminalByteArrived();
            return;
        }
        rxBuffer[rxCount] = b;
        if (rxBuffer[0] != kFrameStart) {
            ++rxCount;
            if (host)
                host->TerminalByteArrived();
            return;
        }
        ++rxCount;  // at most 15 here, so the cell after it is inside the buffer
        if (rxBuffer[rxCount] == 0 && rxBuffer[rxCount - 1] == kFrameEnd) {
            rxCount = 0;
            DecodeResponse(rxBuffer, params);
            if (notifyWindow) {
                postTo = notifyWindow;
                message = notifyMessage;
            }
        } else if (rxCount > int32_t(kModuleFrameSize)) {
            rxCount = 0;
            std::memset(rxBuffer, 0, sizeof rxBuffer);
        }
    }
    if (postTo)
        PostMessageA(postTo, message, 0, 0);
}

uint32_t RQSerial::CopyReceived(uint8_t* dst, uint32_t capacity)
{
    if (!dst)
        return 0;
    std::lock_guard<std::mutex> g(rxLock);
    const uint32_t n = std::min<uint32_t>(uint32_t(std::max<int32_t>(rxCount, 0)), capacity);
    std::memcpy(dst, rxBuffer, n);
    return n;
}

void RQSerial::ClearReceived()
{
    std::lock_guard<std::mutex> g(rxLock);
    rxCount = 0;
}

void RQSerial::SetTakeObserver(std::function<void()> observer) { takeObserver = std::move(observer); }

uint32_t RQSerial::TakeReceived(uint8_t* dst, uint32_t capacity, const std::function<void()>& whileLocked)
{
    if (takeObserver)
        takeObserver();
    std::lock_guard<std::mutex> g(rxLock);
    if (whileLocked)
        whileLocked();
    uint32_t n = 0;
    if (dst) {
        n = std::min<uint32_t>(uint32_t(std::max<int32_t>(rxCount, 0)), capacity);
        std::memcpy(dst, rxBuffer, n);
    }
    rxCount = 0;
    return n;
}

ModuleParams RQSerial::Params() const
{
    std::lock_guard<std::mutex> g(rxLock);
    return params;
}

void RQSerial::SetParams(const ModuleParams& p)
{
    std::lock_guard<std::mutex> g(rxLock);
    params = p;
}

int32_t RQSerial::ReceivedCount() const
{
    std::lock_guard<std::mutex> g(rxLock);
    return rxCount;
}

void RQSerial::ReceiveBufferSnapshot(uint8_t out[kRxBufferSize]) const
{
    std::lock_guard<std::mutex> g(rxLock);
    std::memcpy(out, rxBuffer, kRxBufferSize);
}
