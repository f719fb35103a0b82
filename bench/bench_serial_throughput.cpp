// Throughput of ordered bytes from the pseudo-terminal master to OnByte.
// Usage: bench-serial-throughput [megabytes]   (default 64)
#include "platform/ComPorts.h"
#include "platform/PseudoTerminal.h"
#include "platform/WinBase.h"
#include "serial/CXSerial.h"
#include "bench/BenchClock.h"
#include "bench/BenchPort.h"

#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace bench;

// Bytes follow a fixed pseudo-random sequence; the receiver checks every one.
class TSequence {
public:
    uint8_t Next()
    {
        FState ^= FState << 13;
        FState ^= FState >> 17;
        FState ^= FState << 5;
        return uint8_t(FState >> 3);
    }

private:
    uint32_t FState = 2463534242u;
};

class TCheckingPort : public CXSerial {
public:
    ~TCheckingPort() override { Close(); }
    std::atomic<uint64_t> Received{0};
    std::atomic<uint64_t> Wrong{0};

protected:
    void OnByte(uint8_t b) override
    {
        if (b != FExpected.Next())
            Wrong.fetch_add(1, std::memory_order_relaxed);
        Received.fetch_add(1, std::memory_order_release);
    }

private:
    TSequence FExpected;
};

}  // namespace

int main(int argc, char** argv)
{
    const uint64_t megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 64;
    const uint64_t total = megabytes * 1024 * 1024;
    TPseudoTerminal pty;
    if (!PublishPtyAsCom1(pty))
        return 1;
    TCheckingPort port;
    if (!OpenCom1(port))
        return 1;

    std::vector<uint8_t> data(size_t(std::min<uint64_t>(total, 16u * 1024 * 1024)));
    TSequence seq;
    const double start = WallSeconds();
    const double cpuStart = CpuSeconds();
    std::thread writer([&] {
        uint64_t sent = 0;
        while (sent < total) {
            const size_t n = size_t(std::min<uint64_t>(total - sent, data.size()));
            for (size_t i = 0; i < n; ++i)
                data[i] = seq.Next();
            if (!pty.Write(data.data(), n, 10000)) {
                std::fprintf(stderr, "write to the master failed\n");
                return;
            }
            sent += n;
        }
    });
    while (port.Received.load(std::memory_order_acquire) < total && WallSeconds() - start < 120)
        usleep(1000);
    const double seconds = WallSeconds() - start;
    writer.join();
    const double cpu = CpuSeconds() - cpuStart;
    const uint64_t got = port.Received.load();
    port.Close();
    UnpublishCom1(pty);
    const double mb = double(got) / (1024.0 * 1024.0);
    std::printf("pty -> OnByte: %llu bytes in %.3f s = %.1f MB/s (goal >= 10 MB/s), %llu out of order\n"
                "CPU time of the whole process (writer included): %.2f s = %.1f MB per CPU second;"
                " load average %.2f on %ld CPUs\n",
                (unsigned long long)got, seconds, mb / seconds, (unsigned long long)port.Wrong.load(), cpu, mb / cpu,
                LoadAverage(), sysconf(_SC_NPROCESSORS_ONLN));
    return got == total && port.Wrong.load() == 0 ? 0 : 1;
}
