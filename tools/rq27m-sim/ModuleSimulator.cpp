#include "ModuleSimulator.h"

#include "serial/ModuleParams.h"

#include <cstdio>
#include <cstring>

TModuleSimulator::TModuleSimulator(const TSimOptions& options) : FOptions(options) { DefaultParams(FParams); }

void TModuleSimulator::DefaultParams(uint8_t params[kParamBytes])
{
    static const uint8_t kDefault[kParamBytes] = {1, 2, 3, 4, 0x21, 0xE6, 0x66, 3, 4, 0};
    std::memcpy(params, kDefault, kParamBytes);
}

void TModuleSimulator::SetParams(const uint8_t params[kParamBytes]) { std::memcpy(FParams, params, kParamBytes); }

bool TModuleSimulator::TakeParamsChanged()
{
    const bool changed = FChanged;
    FChanged = false;
    return changed;
}

void TModuleSimulator::BuildResponse(uint8_t command, uint8_t frame[14]) const
{
    frame[0] = kFrameStart;
    frame[1] = command;
    std::memcpy(frame + 2, FParams, kParamBytes);
    frame[12] = FrameChecksum(frame);
    frame[13] = kFrameEnd;
}

std::string TModuleSimulator::DescribeParams() const
{
    const double mhz = DecodeFrequency(FParams[4], FParams[5], FParams[6]);
    char text[200];
    std::snprintf(text, sizeof text, "freq=%.17g freqbytes=%02X%02X%02X id=%u,%u,%u,%u rate=%u baud=%u parity=%u", mhz,
                  FParams[4], FParams[5], FParams[6], FParams[0], FParams[1], FParams[2], FParams[3], FParams[7],
                  FParams[8], FParams[9]);
    return text;
}

std::vector<TSimSend> TModuleSimulator::Feed(const uint8_t* data, size_t len, int64_t nowMs,
                                             std::vector<std::string>* log)
{
    std::vector<TSimSend> out = Tick(nowMs, log);
    std::vector<uint8_t> other;
    for (size_t i = 0; i < len; ++i) {
        const uint8_t b = data[i];
        if (FFrame.empty() && b != kFrameStart) {
            other.push_back(b);
            continue;
        }
        if (!other.empty()) {
            HandleOther(other.data(), other.size(), out);
            other.clear();
        }
        if (FFrame.empty())
            FFrameStart = nowMs;
        FFrame.push_back(b);
        if (FFrame.size() == kModuleFrameSize)
            HandleFrame(out, log);
    }
    if (!other.empty())
        HandleOther(other.data(), other.size(), out);
    return out;
}

std::vector<TSimSend> TModuleSimulator::Tick(int64_t nowMs, std::vector<std::string>* log)
{
    std::vector<TSimSend> out;
    if (!FFrame.empty() && nowMs - FFrameStart >= FOptions.FrameTimeoutMs) {
        if (log)
            log->push_back("incomplete frame taken as other bytes: " + HexBytes(FFrame.data(), FFrame.size()));
        std::vector<uint8_t> stale;
        stale.swap(FFrame);
        HandleOther(stale.data(), stale.size(), out);
    }
    return out;
}

int64_t TModuleSimulator::NextDeadline() const { return FFrame.empty() ? -1 : FFrameStart + FOptions.FrameTimeoutMs; }

void TModuleSimulator::HandleOther(const uint8_t* data, size_t len, std::vector<TSimSend>& out)
{
    switch (FOptions.Other) {
    case TSimOptions::otherSilence:
        break;
    case TSimOptions::otherEcho:
        out.push_back({0, std::vector<uint8_t>(data, data + len)});
        break;
    case TSimOptions::otherReply:
        if (!FOptions.CannedReply.empty())
            out.push_back({0, FOptions.CannedReply});
        break;
    }
}

void TModuleSimulator::HandleFrame(std::vector<TSimSend>& out, std::vector<std::string>* log)
{
    std::vector<uint8_t> frame;
    frame.swap(FFrame);
    const bool shaped = frame[13] == kFrameEnd && (frame[1] == 0xF1 || frame[1] == 0xF2);
    if (!shaped) {
        HandleOther(frame.data(), frame.size(), out);
        return;
    }
    if (frame[12] != FrameChecksum(frame.data())) {
        ++FIgnored;
        if (log)
            log->push_back("bad checksum, ignored: " + HexBytes(frame.data(), frame.size()));
        return;
    }
    if (frame[1] == 0xF1) {
        std::memcpy(FParams, frame.data() + 2, kParamBytes);
        FChanged = true;
        ++FWrites;
        if (log)
            log->push_back("write command, stored " + DescribeParams());
    } else {
        ++FReads;
        if (log)
            log->push_back("read command");
    }
    if (FOptions.NoAnswer) {
        if (log)
            log->push_back("not answering (--no-answer)");
        return;
    }
    Answer(frame[1], out);
}

void TModuleSimulator::Answer(uint8_t command, std::vector<TSimSend>& out)
{
    uint8_t frame[kModuleFrameSize];
    BuildResponse(command, frame);
    if (FOptions.Inner0AOffset >= 1 && FOptions.Inner0AOffset <= 12) {
        frame[FOptions.Inner0AOffset] = kFrameEnd;
        if (FOptions.Inner0AOffset != 12)
            frame[12] = FrameChecksum(frame);
    }
    std::vector<uint8_t> bytes = FOptions.Garbage;
    bytes.insert(bytes.end(), frame, frame + kModuleFrameSize);
    int delay = FOptions.DelayMs;
    if (FOptions.SplitSize == 0) {
        out.push_back({delay, bytes});
        return;
    }
    for (size_t pos = 0; pos < bytes.size(); pos += FOptions.SplitSize) {
        const size_t end = std::min(bytes.size(), pos + FOptions.SplitSize);
        out.push_back({delay, std::vector<uint8_t>(bytes.begin() + long(pos), bytes.begin() + long(end))});
        delay = FOptions.SplitDelayMs;
    }
}

std::string HexBytes(const uint8_t* data, size_t len)
{
    std::string s;
    char buf[4];
    for (size_t i = 0; i < len; ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", data[i]);
        s += buf;
    }
    return s;
}

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>& out)
{
    out.clear();
    int high = -1;
    for (char c : text) {
        int v;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'a' && c <= 'f')
            v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        else if (c == ' ' || c == ',' || c == ':') {
            if (high >= 0)
                return false;  // a lone digit
            continue;
        } else
            return false;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(uint8_t(high * 16 + v));
            high = -1;
        }
    }
    return high < 0;
}
