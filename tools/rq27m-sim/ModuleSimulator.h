// The behaviour of an RQ_27M module as the simulator plays it, without any I/O: bytes in,
// bytes to send out (each piece with a delay), and the parameter bytes the module holds.
//
// Commands: a frame starts with 0xAF when no frame is being collected and is complete after
// 14 bytes. A read command (AF F2 ..., checksum and end byte right) is answered with a response
// holding the current parameters. A write command (AF F1 ..., checksum and end byte right)
// stores its bytes 2..11 as the new parameters and is answered with a response holding them,
// so the configurator sees "Successful" after Write All too. A 14-byte frame with a wrong
// checksum is ignored (no answer). A frame still incomplete FrameTimeoutMs after its first
// byte, and 14 bytes that are no command at all, count as other bytes.
// Other bytes: silence (default), echo, or a canned reply per chunk received.
// The response is AF, the command byte, the ten parameter bytes, the checksum and 0A.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TSimOptions {
    enum TOther { otherSilence, otherEcho, otherReply };
    TOther Other = otherSilence;
    std::vector<uint8_t> CannedReply;  // for otherReply
    bool NoAnswer = false;             // commands are taken (writes stored) but never answered
    size_t SplitSize = 0;              // >0: responses go out in pieces of this many bytes
    int SplitDelayMs = 20;             // between pieces
    int DelayMs = 0;                   // before answering a command
    int Inner0AOffset = -1;            // 1..12: that byte of every response is 0x0A
    std::vector<uint8_t> Garbage;      // sent before every response
    int FrameTimeoutMs = 500;
};

struct TSimSend {
    int DelayMs;  // after the previous piece (the first: after the byte that caused it)
    std::vector<uint8_t> Bytes;
};

class TModuleSimulator {
public:
    static constexpr size_t kParamBytes = 10;  // frame bytes 2..11

    explicit TModuleSimulator(const TSimOptions& options);

    // The initial parameters: 433.92 MHz (21 E6 66), product ID 1 2 3 4, rate 3, baud 4, parity 0.
    static void DefaultParams(uint8_t params[kParamBytes]);

    // Takes received bytes at time nowMs and returns what to send. Log lines go to *log when given.
    std::vector<TSimSend> Feed(const uint8_t* data, size_t len, int64_t nowMs, std::vector<std::string>* log = nullptr);
    // Flushes a frame that has waited too long; call when nowMs reaches NextDeadline().
    std::vector<TSimSend> Tick(int64_t nowMs, std::vector<std::string>* log = nullptr);
    // When Tick has something to do, or -1.
    int64_t NextDeadline() const;

    const uint8_t* Params() const { return FParams; }
    void SetParams(const uint8_t params[kParamBytes]);
    // Set when a write command changed (or re-stored) the parameters; cleared by the call.
    bool TakeParamsChanged();

    // The response frame for the current parameters.
    void BuildResponse(uint8_t command, uint8_t frame[14]) const;

    // "freq=433.919921875 freqbytes=21E666 id=1,2,3,4 rate=3 baud=4 parity=0"
    std::string DescribeParams() const;

    unsigned Reads() const { return FReads; }
    unsigned Writes() const { return FWrites; }
    unsigned Ignored() const { return FIgnored; }

private:
    void HandleOther(const uint8_t* data, size_t len, std::vector<TSimSend>& out);
    void HandleFrame(std::vector<TSimSend>& out, std::vector<std::string>* log);
    void Answer(uint8_t command, std::vector<TSimSend>& out);

    TSimOptions FOptions;
    uint8_t FParams[kParamBytes];
    std::vector<uint8_t> FFrame;
    int64_t FFrameStart = 0;
    bool FChanged = false;
    unsigned FReads = 0, FWrites = 0, FIgnored = 0;
};

std::string HexBytes(const uint8_t* data, size_t len);
// Parses "AF F2 0A", "aff20a" or "AF,F2"; false on a stray character or an odd digit count.
bool ParseHexBytes(const std::string& text, std::vector<uint8_t>& out);
