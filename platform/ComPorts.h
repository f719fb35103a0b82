// The COM port namespace: how "COMn" and "\\.\COMn" become a device path on Linux.
//
// 1. A link named comN (lower case) in the port directory, pointing at any character device
//    (a USB adapter, /dev/ttyS0, a pseudo-terminal). The directory is $RQ27M_PORTS when set,
//    else $XDG_CONFIG_HOME/rq27m/ports, else ~/.config/rq27m/ports. When the link exists it
//    decides alone: a link whose target is missing makes the port absent.
// 2. Otherwise a fixed numbering that does not depend on what is plugged in:
//    COM1-COM32 = /dev/ttyS0-31, COM33-COM64 = /dev/ttyUSB0-31, COM65-COM96 = /dev/ttyACM0-31.
//    Higher numbers exist only as links.
//
// A running program that offers a port of its own (the module simulator, with a pseudo-terminal)
// publishes it with PublishComPort: comN then points at /proc/<pid>/fd/<fd>, the publisher's own
// open descriptor of the device. Decisions:
// - The link leads nowhere as soon as the publisher has gone, however it ended (kill -9 too):
//   its descriptors vanish with it. A link straight to /dev/pts/N would outlive it, and the
//   system hands that number to the next program that asks for a pseudo-terminal; the
//   configurator would then open, reconfigure and flush that program's terminal.
// - Opening the link reopens the very device the publisher holds (a new open file description),
//   so opening stays exclusive (flock) as for any port.
// - What remains after a publisher's death is a dangling link, which reads as an absent port
//   and which the next publisher may replace. A live publisher's link is never replaced.
// - Should the system reuse the dead publisher's process id, the link would lead to a descriptor
//   of that unrelated process; the simulator publishes a high descriptor number, and opening
//   refuses anything that is not a terminal or that is a pseudo-terminal master (WinComm.h),
//   which leaves a terminal held at that very number by that very process as the only case.
#pragma once

#include <sys/types.h>

#include <string>

// The highest COM number the configurator lists (it probes COM1 ... COM255).
constexpr unsigned kMaxListedComPort = 255;

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

// "/proc/<this process>/fd/<fd>".
std::string ProcessDescriptorPath(int fd);

// The process whose open descriptor comN leads to (/proc/<pid>/fd/<fd>), when that descriptor
// still exists, else 0 (no link, another kind of link, or its publisher has gone).
pid_t ComPortPublisher(unsigned n);

// Makes comN lead to this process's open descriptor fd (see above). Refuses, with a message in
// *error, when another running process has published comN, when comN exists and is not a link,
// or when the descriptor cannot be reached through the link. Publishers are serialised by a lock
// on the port directory, so two of them cannot both take the same number.
bool PublishComPort(unsigned n, int fd, std::string* error = nullptr);
