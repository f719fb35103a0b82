// The serial benchmarks' setup: a pseudo-terminal published as COM1 in a private port directory,
// and a port object opened on it.
#pragma once

#include "platform/ComPorts.h"
#include "platform/PseudoTerminal.h"
#include "platform/WinBase.h"
#include "serial/CXSerial.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace bench {

// Creates the pseudo-terminal and links it as com1 in a fresh port directory; false (with a
// message on standard error) when that fails.
inline bool PublishPtyAsCom1(TPseudoTerminal& pty)
{
    char dir[] = "/tmp/rq27m-bench-XXXXXX";
    if (!mkdtemp(dir)) {
        std::perror("mkdtemp");
        return false;
    }
    setenv("RQ27M_PORTS", dir, 1);
    std::string error;
    if (!pty.Open(&error) || !LinkComPort(1, pty.SlavePath(), &error)) {
        std::fprintf(stderr, "setup failed: %s\n", error.c_str());
        return false;
    }
    return true;
}

// Removes the com1 link and the private port directory again.
inline void UnpublishCom1(const TPseudoTerminal& pty)
{
    UnlinkComPort(1, pty.SlavePath());
    rmdir(ComPortDirectory().c_str());
}

// Opens COM1 at 115200 baud, no parity; false (with a message) when it does not open.
inline bool OpenCom1(CXSerial& port)
{
    if (!port.Open(1, 115200, 0)) {
        std::fprintf(stderr, "cannot open the port (error %u)\n", GetLastError());
        return false;
    }
    return true;
}

}  // namespace bench
