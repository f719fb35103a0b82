// Latency from a byte written on the pseudo-terminal master to OnByte on the reader thread.
// Usage: bench-serial-latency [samples]   (default 5000; one byte every ~0.5 ms)
#include "platform/ComPorts.h"
#include "platform/PseudoTerminal.h"
#include "platform/WinBase.h"
#include "serial/CXSerial.h"
#include "bench/BenchClock.h"
#include "bench/BenchPort.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace bench;

class TStampPort : public CXSerial {
public:
    ~TStampPort() override { Close(); }
    std::atomic<int64_t> Arrival{0};
    std::atomic<unsigned> Count{0};

protected:
    void OnByte(uint8_t) override
    {
        Arrival.store(NowNs(), std::memory_order_relaxed);
        Count.fetch_add(1, std::memory_order_release);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    const int samples = argc > 1 ? std::max(10, std::atoi(argv[1])) : 5000;
    TPseudoTerminal pty;
    if (!PublishPtyAsCom1(pty))
        return 1;
    TStampPort port;
    if (!OpenCom1(port))
        return 1;

    std::vector<double> us;
    us.reserve(size_t(samples));
    int lost = 0;
    for (int i = 0; i < samples; ++i) {
        const unsigned before = port.Count.load(std::memory_order_acquire);
        const uint8_t b = uint8_t(i);
        const int64_t sent = NowNs();
        pty.Write(&b, 1);
        const int64_t deadline = sent + 1000000000;
        while (port.Count.load(std::memory_order_acquire) == before && NowNs() < deadline)
            usleep(0);  // yield; the reader thread does the work
        if (port.Count.load(std::memory_order_acquire) == before) {
            ++lost;
            continue;
        }
        us.push_back(double(port.Arrival.load(std::memory_order_relaxed) - sent) / 1000.0);
        usleep(500);  // let the reader go back to sleep, so each sample includes its wake-up
    }
    port.Close();
    UnpublishCom1(pty);
    if (us.empty()) {
        std::fprintf(stderr, "no byte arrived\n");
        return 1;
    }
    std::sort(us.begin(), us.end());
    auto pct = [&](double p) { return us[std::min(us.size() - 1, size_t(p / 100.0 * double(us.size())))]; };
    std::printf("pty write -> OnByte over %zu samples: median %.1f us, p90 %.1f us, p99 %.1f us, max %.1f us"
                " (goal: under 1000 us)%s; load average %.2f on %ld CPUs\n",
                us.size(), pct(50), pct(90), pct(99), us.back(), lost ? " -- some bytes did not arrive" : "",
                LoadAverage(), sysconf(_SC_NPROCESSORS_ONLN));
    return lost ? 1 : 0;
}
