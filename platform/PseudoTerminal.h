// A pseudo-terminal for the module simulator, the tests and the benchmarks: the master side
// plays the module; the slave path is what a COM port link points at.
//
// The object keeps one descriptor of the slave side open for its whole life, so the master
// never sees a hang-up when a program opens and closes the port repeatedly. That descriptor
// is only held, never read, so it takes no data away from the program using the port.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

class TPseudoTerminal {
public:
    TPseudoTerminal() = default;
    ~TPseudoTerminal();
    TPseudoTerminal(const TPseudoTerminal&) = delete;
    TPseudoTerminal& operator=(const TPseudoTerminal&) = delete;

    // Creates the pair and sets the line raw (no echo, no translation). False with a message on failure.
    bool Open(std::string* error = nullptr);
    bool IsOpen() const { return FMaster >= 0; }

    int MasterFd() const { return FMaster; }
    // The slave descriptor the object holds open (-1 when closed).
    int HeldSlaveFd() const { return FHeldSlave; }
    const std::string& SlavePath() const { return FSlavePath; }

    // Writes all bytes to the master (they arrive at the slave), waiting up to timeoutMs for room.
    // Returns false on error, hang-up or time-out.
    bool Write(const void* data, size_t len, int timeoutMs = 5000);
    // Reads what the master has, waiting up to timeoutMs for the first byte. Returns the count,
    // 0 on time-out, -1 on error.
    ssize_t Read(void* buffer, size_t capacity, int timeoutMs);
    // Reads exactly len bytes within timeoutMs in total.
    bool ReadExactly(void* buffer, size_t len, int timeoutMs);
    // Discards whatever the master has to read now.
    void Drain();

    // Closes the master: the slave side hangs up for good (the module has gone away).
    void CloseMaster();
    void Close();

private:
    int FMaster = -1;
    int FHeldSlave = -1;
    std::string FSlavePath;
};
