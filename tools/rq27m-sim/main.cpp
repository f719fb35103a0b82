// rq27m-sim: an RQ_27M module on a pseudo-terminal, linked as a COM port for the configurator.
#include "ModuleSimulator.h"

#include "platform/ComPorts.h"
#include "platform/PseudoTerminal.h"
#include "platform/WinBase.h"
#include "platform/WinComm.h"
#include "serial/ModuleParams.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <getopt.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <deque>
#include <string>

namespace {

const char kUsage[] =
    "Usage: rq27m-sim [options]\n"
    "Simulates an RQ_27M radio module on a pseudo-terminal linked as COM port N.\n"
    "\n"
    "Port:\n"
    "  --port N              publish the pseudo-terminal as comN, N = 1..255 (default 1)\n"
    "  --ports-dir DIR       port directory (default: $RQ27M_PORTS, else\n"
    "                        $XDG_CONFIG_HOME/rq27m/ports, else ~/.config/rq27m/ports)\n"
    "Initial parameters (default 433.92 MHz, ID 1 2 3 4, data rate 3, baud 4, parity 0):\n"
    "  --frequency MHZ       --product-id A,B,C,D\n"
    "  --data-rate N         --baud-code N         --parity-code N\n"
    "Bytes that are not commands:\n"
    "  --silent              ignore them (default)\n"
    "  --echo                send them back\n"
    "  --reply HEX           answer each chunk with these bytes, e.g. --reply \"4F 4B\"\n"
    "Faults:\n"
    "  --no-answer           take commands (store writes) but never answer\n"
    "  --delay MS            wait MS before answering a command\n"
    "  --split N             send responses in pieces of N bytes\n"
    "  --split-delay MS      pause between pieces (default 20)\n"
    "  --inner-0a[=K]        byte K (1..12, default 2) of every response is 0x0A\n"
    "  --garbage HEX         send these bytes before every response\n"
    "  --frame-timeout MS    an incomplete command older than this counts as other bytes\n"
    "                        (default 500)\n"
    "Output:\n"
    "  --state-file PATH     rewrite PATH (key=value lines) after every change\n"
    "  --verbose             log commands and parameter changes on stderr\n"
    "  --trace               also log every byte received and sent on stderr\n"
    "  --list-ports          print how COM numbers map to devices here, and whether each\n"
    "                        can be opened (then exit)\n"
    "  --help                this text\n"
    "\n"
    "Standard output carries machine-readable lines: \"READY port=COMn link=PATH slave=PATH\"\n"
    "once the port is linked, and \"PARAMS freq=... freqbytes=... id=... rate=... baud=... parity=...\"\n"
    "at start and after every write command. SIGINT or SIGTERM ends the simulator and removes\n"
    "the link. A write command is answered with a response holding the stored parameters.\n"
    "comN points at the simulator's own descriptor of the pseudo-terminal (/proc/PID/fd/FD), so\n"
    "it leads nowhere once the simulator has gone; a number a running simulator holds is refused.\n";

int gSignalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char c = 1;
    const ssize_t ignored = write(gSignalPipe[1], &c, 1);
    (void)ignored;
}

int64_t NowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

bool ParseInt(const char* text, long lo, long hi, long& out)
{
    if (!text || !*text)
        return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

// Rewrites the state file in one step: the text goes to a new file of its own in the same
// directory, created exclusively and never through a link, which then replaces the state file
// (rename replaces a link there, it does not follow it). False with errno set on failure.
bool WriteStateFile(const std::string& path, const TModuleSimulator& sim)
{
    const uint8_t* p = sim.Params();
    char text[512];
    const int len = std::snprintf(
        text, sizeof text,
        "frequency=%.17g\nfrequency_bytes=%02X %02X %02X\nproduct_id=%u %u %u %u\n"
        "data_rate=%u\nbaud=%u\nparity=%u\nreads=%u\nwrites=%u\nignored=%u\n",
        DecodeFrequency(p[4], p[5], p[6]), p[4], p[5], p[6], p[0], p[1], p[2], p[3], p[7], p[8], p[9], sim.Reads(),
        sim.Writes(), sim.Ignored());
    if (len < 0 || size_t(len) >= sizeof text) {
        errno = EOVERFLOW;
        return false;
    }
    static unsigned serial = 0;
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(++serial);
        fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    bool ok = true;
    for (int done = 0; ok && done < len;) {
        const ssize_t n = write(fd, text + done, size_t(len - done));
        if (n > 0)
            done += int(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            ok = false;
    }
    ok = close(fd) == 0 && ok;
    if (ok && std::rename(tmp.c_str(), path.c_str()) == 0)
        return true;
    const int e = errno;
    unlink(tmp.c_str());
    errno = e;
    return false;
}

// Prints the port mapping: the links in the port directory and the default devices that exist.
int ListPorts()
{
    const std::string dir = ComPortDirectory();
    std::printf("Port directory: %s\n", dir.empty() ? "(none: set RQ27M_PORTS or HOME)" : dir.c_str());
    std::printf("Without a link: COM1-32 = /dev/ttyS0-31, COM33-64 = /dev/ttyUSB0-31, COM65-96 = /dev/ttyACM0-31\n");
    std::vector<unsigned> ports;
    for (unsigned n = 1; n <= 96; ++n)
        ports.push_back(n);
    if (DIR* d = dir.empty() ? nullptr : opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            long v = 0;
            if (std::strncmp(e->d_name, "com", 3) == 0 && ParseInt(e->d_name + 3, 97, kMaxListedComPort, v))
                ports.push_back(unsigned(v));
        }
        closedir(d);
    }
    std::sort(ports.begin(), ports.end());
    for (unsigned n : ports) {
        const std::string path = ResolveComPort(n);
        struct stat st{}, lst{};
        const std::string link = ComPortLinkPath(n);
        const bool linked = !link.empty() && lstat(link.c_str(), &lst) == 0;
        if (!linked && stat(path.c_str(), &st) != 0)
            continue;  // neither a link nor a device: not worth a line
        char name[32];
        std::snprintf(name, sizeof name, n <= 9 ? "COM%u" : "\\\\.\\COM%u", n);
        HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                               nullptr);
        const char* state = "can be opened";
        if (h == INVALID_HANDLE_VALUE) {
            switch (GetLastError()) {
            case ERROR_ACCESS_DENIED:
                state = "NO PERMISSION (join the dialout group, then log in again)";
                break;
            case ERROR_SHARING_VIOLATION:
                state = "in use by another program";
                break;
            default:
                state = "absent (no device, or not a terminal)";
                break;
            }
        } else {
            CloseHandle(h);
        }
        std::printf("COM%-4u %-28s %s%s\n", n, path.c_str(), state, linked ? "  [link]" : "");
    }
    return 0;
}

struct TScheduled {
    int64_t Due;
    std::vector<uint8_t> Bytes;
};

// What the simulator has to send, written without blocking from the main loop, so that the loop
// keeps reading and keeps watching for signals while the port's user does not read.
class TOutput {
public:
    static constexpr int kStallMs = 1000;             // a piece the port takes nothing of this long is dropped
    static constexpr size_t kMaxQueued = 1u << 20;    // bytes waiting; beyond that new pieces are dropped

    void Schedule(const std::vector<TSimSend>& sends, int64_t now)
    {
        int64_t t = now;
        for (const TSimSend& s : sends) {
            t += s.DelayMs;
            if (FQueued + s.Bytes.size() > kMaxQueued) {
                if (!FOverflowing)
                    std::fprintf(stderr, "rq27m-sim: the port is not reading; answers are dropped until it does\n");
                FOverflowing = true;
                continue;
            }
            const int64_t due = FQueue.empty() ? t : std::max(t, FQueue.back().Due);
            FQueue.push_back({due, s.Bytes});
            FQueued += s.Bytes.size();
        }
    }

    // True when the front piece is due and waits for room in the port.
    bool WantsToWrite(int64_t now) const { return !FQueue.empty() && FQueue.front().Due <= now; }

    // How long the main loop may sleep (-1: until something else happens).
    int64_t NextWake(int64_t now) const
    {
        if (FQueue.empty())
            return -1;
        if (!WantsToWrite(now))
            return FQueue.front().Due;
        return FSince < 0 ? now : FSince + kStallMs;
    }

    // Sends what is due and fits; drops a piece the port has taken nothing of for kStallMs.
    void Flush(int fd, int64_t now, bool trace)
    {
        while (WantsToWrite(now)) {
            TScheduled& front = FQueue.front();
            if (FSince < 0) {
                FSince = now;
                if (trace)
                    std::fprintf(stderr, "TX %s\n", HexBytes(front.Bytes.data(), front.Bytes.size()).c_str());
            }
            const ssize_t n = write(fd, front.Bytes.data() + FOffset, front.Bytes.size() - FOffset);
            if (n > 0) {
                FOffset += size_t(n);
                FSince = now;
                if (FOffset == front.Bytes.size())
                    Pop();
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN && now - FSince < kStallMs)
                return;  // wait for room (the main loop polls for it)
            std::fprintf(stderr, "rq27m-sim: %zu bytes not sent (%s)\n", front.Bytes.size() - FOffset,
                         n < 0 && errno != EAGAIN ? std::strerror(errno) : "the port is not reading");
            Pop();
        }
    }

private:
    void Pop()
    {
        FQueued -= FQueue.front().Bytes.size();
        FQueue.pop_front();
        FOffset = 0;
        FSince = -1;
        if (FQueue.empty())
            FOverflowing = false;
    }

    std::deque<TScheduled> FQueue;
    size_t FOffset = 0;   // bytes of the front piece already sent
    int64_t FSince = -1;  // when the front piece last made progress (or came to the front)
    size_t FQueued = 0;
    bool FOverflowing = false;
};

// The descriptor to publish: a duplicate of fd at a high number, which an unrelated process that
// later gets this process id is unlikely to have open (ComPorts.h); fd itself when that fails.
int PublishedDescriptor(int fd)
{
    const int high = fcntl(fd, F_DUPFD_CLOEXEC, 200);
    return high >= 0 ? high : fd;
}

}  // namespace

int main(int argc, char** argv)
{
    enum {
        optPort = 1000, optPortsDir, optFrequency, optProductId, optDataRate, optBaudCode, optParityCode, optSilent,
        optEcho, optReply, optNoAnswer, optDelay, optSplit, optSplitDelay, optInner0A, optGarbage, optFrameTimeout,
        optStateFile, optVerbose, optTrace, optListPorts, optHelp
    };
    static const option kOptions[] = {
        {"port", required_argument, nullptr, optPort},
        {"ports-dir", required_argument, nullptr, optPortsDir},
        {"frequency", required_argument, nullptr, optFrequency},
        {"product-id", required_argument, nullptr, optProductId},
        {"data-rate", required_argument, nullptr, optDataRate},
        {"baud-code", required_argument, nullptr, optBaudCode},
        {"parity-code", required_argument, nullptr, optParityCode},
        {"silent", no_argument, nullptr, optSilent},
        {"echo", no_argument, nullptr, optEcho},
        {"reply", required_argument, nullptr, optReply},
        {"no-answer", no_argument, nullptr, optNoAnswer},
        {"delay", required_argument, nullptr, optDelay},
        {"split", required_argument, nullptr, optSplit},
        {"split-delay", required_argument, nullptr, optSplitDelay},
        {"inner-0a", optional_argument, nullptr, optInner0A},
        {"garbage", required_argument, nullptr, optGarbage},
        {"frame-timeout", required_argument, nullptr, optFrameTimeout},
        {"state-file", required_argument, nullptr, optStateFile},
        {"verbose", no_argument, nullptr, optVerbose},
        {"trace", no_argument, nullptr, optTrace},
        {"list-ports", no_argument, nullptr, optListPorts},
        {"help", no_argument, nullptr, optHelp},
        {nullptr, 0, nullptr, 0},
    };

    TSimOptions options;
    uint8_t params[TModuleSimulator::kParamBytes];
    TModuleSimulator::DefaultParams(params);
    long port = 1;
    std::string stateFile;
    bool verbose = false, trace = false, listPorts = false;

    auto bad = [&](const char* what, const char* value) {
        std::fprintf(stderr, "rq27m-sim: invalid %s: %s\n(see --help)\n", what, value ? value : "(none)");
        return 2;
    };

    int c;
    while ((c = getopt_long(argc, argv, "", kOptions, nullptr)) != -1) {
        long v = 0;
        switch (c) {
        case optPort:
            if (!ParseInt(optarg, 1, long(kMaxListedComPort), v))
                return bad("port number (1..255, the numbers the configurator lists)", optarg);
            port = v;
            break;
        case optPortsDir:
            setenv("RQ27M_PORTS", optarg, 1);
            break;
        case optFrequency: {
            char* end = nullptr;
            const double mhz = std::strtod(optarg, &end);
            if (*optarg == '\0' || *end != '\0' || !std::isfinite(mhz) || mhz < 0 || mhz >= 3276.8)
                return bad("frequency", optarg);
            EncodeFrequency(mhz, params + 4);
            break;
        }
        case optProductId: {
            long ids[4];
            int n = 0;
            std::string text = optarg;
            size_t pos = 0;
            while (n < 4) {
                const size_t comma = text.find(',', pos);
                const std::string part = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
                if (!ParseInt(part.c_str(), 0, 255, ids[n]))
                    return bad("product ID", optarg);
                ++n;
                if (comma == std::string::npos)
                    break;
                pos = comma + 1;
            }
            if (n != 4 || text.find(',', pos) != std::string::npos)
                return bad("product ID (four numbers 0..255)", optarg);
            for (int i = 0; i < 4; ++i)
                params[i] = uint8_t(ids[i]);
            break;
        }
        case optDataRate:
        case optBaudCode:
        case optParityCode:
            if (!ParseInt(optarg, 0, 255, v))
                return bad("code", optarg);
            params[c == optDataRate ? 7 : c == optBaudCode ? 8 : 9] = uint8_t(v);
            break;
        case optSilent:
            options.Other = TSimOptions::otherSilence;
            break;
        case optEcho:
            options.Other = TSimOptions::otherEcho;
            break;
        case optReply:
            if (!ParseHexBytes(optarg, options.CannedReply) || options.CannedReply.empty())
                return bad("reply bytes", optarg);
            options.Other = TSimOptions::otherReply;
            break;
        case optNoAnswer:
            options.NoAnswer = true;
            break;
        case optDelay:
            if (!ParseInt(optarg, 0, 600000, v))
                return bad("delay", optarg);
            options.DelayMs = int(v);
            break;
        case optSplit:
            if (!ParseInt(optarg, 1, 1000, v))
                return bad("split size", optarg);
            options.SplitSize = size_t(v);
            break;
        case optSplitDelay:
            if (!ParseInt(optarg, 0, 600000, v))
                return bad("split delay", optarg);
            options.SplitDelayMs = int(v);
            break;
        case optInner0A:
            v = 2;
            if (optarg && !ParseInt(optarg, 1, 12, v))
                return bad("inner 0x0A offset (1..12)", optarg);
            options.Inner0AOffset = int(v);
            break;
        case optGarbage:
            if (!ParseHexBytes(optarg, options.Garbage))
                return bad("garbage bytes", optarg);
            break;
        case optFrameTimeout:
            if (!ParseInt(optarg, 1, 600000, v))
                return bad("frame time-out", optarg);
            options.FrameTimeoutMs = int(v);
            break;
        case optStateFile:
            stateFile = optarg;
            break;
        case optVerbose:
            verbose = true;
            break;
        case optTrace:
            verbose = trace = true;
            break;
        case optListPorts:
            listPorts = true;
            break;
        case optHelp:
            std::fputs(kUsage, stdout);
            return 0;
        default:
            std::fputs("(see --help)\n", stderr);
            return 2;
        }
    }
    if (optind < argc)
        return bad("argument", argv[optind]);
    if (listPorts)
        return ListPorts();

    TModuleSimulator sim(options);
    sim.SetParams(params);

    TPseudoTerminal pty;
    std::string error;
    if (!pty.Open(&error)) {
        std::fprintf(stderr, "rq27m-sim: cannot create a pseudo-terminal: %s\n", error.c_str());
        return 1;
    }
    const std::string link = ComPortLinkPath(unsigned(port));
    const int published = PublishedDescriptor(pty.HeldSlaveFd());
    const std::string target = ProcessDescriptorPath(published);
    if (!PublishComPort(unsigned(port), published, &error)) {
        std::fprintf(stderr, "rq27m-sim: cannot publish COM%ld: %s\n", port, error.c_str());
        return 1;
    }

    if (pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("rq27m-sim: pipe");
        UnlinkComPort(unsigned(port), target);
        return 1;
    }
    struct sigaction sa{};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    if (!stateFile.empty() && !WriteStateFile(stateFile, sim))
        std::fprintf(stderr, "rq27m-sim: cannot write %s: %s\n", stateFile.c_str(), std::strerror(errno));
    std::printf("READY port=COM%ld link=%s slave=%s\n", port, link.c_str(), pty.SlavePath().c_str());
    std::printf("PARAMS %s\n", sim.DescribeParams().c_str());
    std::fflush(stdout);

    TOutput output;
    std::vector<std::string> log;
    int exitCode = 0;
    for (;;) {
        int64_t now = NowMs();
        int64_t wake = output.NextWake(now);
        const int64_t deadline = sim.NextDeadline();
        if (deadline >= 0 && (wake < 0 || deadline < wake))
            wake = deadline;
        const int timeout = wake < 0 ? -1 : int(std::clamp<int64_t>(wake - now, 0, 60000));

        const short masterEvents = short(POLLIN | (output.WantsToWrite(now) ? POLLOUT : 0));
        pollfd fds[2] = {{pty.MasterFd(), masterEvents, 0}, {gSignalPipe[0], POLLIN, 0}};
        if (poll(fds, 2, timeout) < 0 && errno != EINTR) {
            std::perror("rq27m-sim: poll");
            exitCode = 1;
            break;
        }
        if (fds[1].revents & POLLIN)
            break;
        now = NowMs();
        log.clear();
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            uint8_t buf[4096];
            const ssize_t n = read(pty.MasterFd(), buf, sizeof buf);
            if (n > 0) {
                if (trace)
                    std::fprintf(stderr, "RX %s\n", HexBytes(buf, size_t(n)).c_str());
                output.Schedule(sim.Feed(buf, size_t(n), now, &log), now);
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                std::fprintf(stderr, "rq27m-sim: the pseudo-terminal failed: %s\n",
                             n == 0 ? "end of file" : std::strerror(errno));
                exitCode = 1;
                break;
            }
        }
        output.Schedule(sim.Tick(now, &log), now);
        if (verbose)
            for (const std::string& line : log)
                std::fprintf(stderr, "%s\n", line.c_str());
        output.Flush(pty.MasterFd(), now, trace);
        if (sim.TakeParamsChanged()) {
            std::printf("PARAMS %s\n", sim.DescribeParams().c_str());
            std::fflush(stdout);
            if (!stateFile.empty() && !WriteStateFile(stateFile, sim))
                std::fprintf(stderr, "rq27m-sim: cannot write %s: %s\n", stateFile.c_str(), std::strerror(errno));
        } else if (!stateFile.empty() && !log.empty()) {
            WriteStateFile(stateFile, sim);  // counters changed
        }
    }
    UnlinkComPort(unsigned(port), target);
    if (published != pty.HeldSlaveFd())
        close(published);
    if (verbose)
        std::fprintf(stderr, "rq27m-sim: COM%ld unlinked, exiting\n", port);
    return exitCode;
}
