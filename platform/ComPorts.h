// The COM port namespace: how "COMn" and "\\.\COMn" become a device path on Linux.
//
// 1. A link named comN (lower case) in the port directory, pointing at any character device
//    (a USB adapter, /dev/ttyS0, a pseudo-terminal). The directory is $RQ27M_PORTS when set,
//    else $XDG_CONFIG_HOME/rq27m/ports, else ~/.config/rq27m/ports. When the link exists it
//    decides alone: a link whose target is missing makes the port absent.
// 2. Otherwise a fixed numbering that does not depend on what is plugged in:
//    COM1-COM32 = /dev/ttyS0-31, COM33-COM64 = /dev/ttyUSB0-31, COM65-COM96 = /dev/ttyACM0-31.
//    Higher numbers exist only as links.
#pragma once

#include <string>

// The port directory ("" when neither variable nor HOME is set).
std::string ComPortDirectory();

// Path of the link comN in the port directory ("" when there is no directory or n is 0).
std::string ComPortLinkPath(unsigned n);

// The fixed default device of port n ("" outside 1..96).
std::string DefaultComDevice(unsigned n);

// The device path opened for port n: the link's target (made absolute) when the link exists,
// else the default device; "" when the port has no mapping.
std::string ResolveComPort(unsigned n);

// The port number a CreateFileA name stands for, 0 when it names no port. "COMn" is accepted
// for n = 1..9 only and "\\.\COMn" for any n >= 1, as on the original system; "COM" may be in
// any case, the number has no sign, no leading zero and at most 6 digits.
unsigned ParseComPortName(const char* name);

// Makes comN in the port directory point at target, creating the directory when needed and
// replacing an existing link in one step. On failure returns false with a message in *error.
bool LinkComPort(unsigned n, const std::string& target, std::string* error = nullptr);

// Removes comN when it is a link pointing at target (or any link when target is empty).
bool UnlinkComPort(unsigned n, const std::string& target = std::string());
