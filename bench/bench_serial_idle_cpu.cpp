// CPU time used by an open, idle port: the reader must sleep until input arrives.
// Usage: bench-serial-idle-cpu [seconds] [--compare-polling]
//   --compare-polling also measures, for contrast, a reader that polls the input count in a
//   loop without sleeping (the behaviour the reader was changed away from).
#include "platform/ComPorts.h"
#include "platform/PseudoTerminal.h"
#include "platform/WinBase.h"
#include "platform/WinComm.h"
#include "platform/WinSync.h"
#include "serial/CXSerial.h"
#include "bench/BenchClock.h"
#include "bench/BenchPort.h"

#include <time.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

using namespace bench;

class TIdlePort : public CXSerial {
public:
    ~TIdlePort() override { Close(); }

protected:
    void OnByte(uint8_t) override {}
};

// The polling reader: an always-signalled event and the input count, in a loop.
double MeasurePolling(double seconds)
{
    HANDLE port = CreateFileA("COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                              nullptr);
    HANDLE events[2] = {CreateEventA(nullptr, TRUE, FALSE, nullptr), CreateEventA(nullptr, TRUE, TRUE, nullptr)};
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        while (!stop) {
            if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
                break;
            COMSTAT st{};
            DWORD errors = 0;
            ClearCommError(port, &errors, &st);
        }
    });
    const double cpu0 = CpuSeconds(), wall0 = WallSeconds();
    Sleep(DWORD(seconds * 1000));
    const double cpu = CpuSeconds() - cpu0, wall = WallSeconds() - wall0;
    stop = true;
    reader.join();
    CloseHandle(events[0]);
    CloseHandle(events[1]);
    CloseHandle(port);
    return 100.0 * cpu / wall;
}

}  // namespace

int main(int argc, char** argv)
{
    double seconds = 10;
    bool comparePolling = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--compare-polling") == 0)
            comparePolling = true;
        else
            seconds = std::atof(argv[i]);
    }
    if (seconds <= 0)
        seconds = 10;

    TPseudoTerminal pty;
    if (!PublishPtyAsCom1(pty))
        return 1;

    TIdlePort port;
    if (!OpenCom1(port))
        return 1;
    Sleep(100);
    const double cpu0 = CpuSeconds(), wall0 = WallSeconds();
    Sleep(DWORD(seconds * 1000));
    const double cpu = CpuSeconds() - cpu0, wall = WallSeconds() - wall0;
    port.Close();
    std::printf("idle open port: %.3f s CPU in %.2f s = %.4f %% of one core (goal < 1 %%); load average %.2f\n", cpu,
                wall, 100.0 * cpu / wall, LoadAverage());

    if (comparePolling)
        std::printf("polling reader for contrast: %.1f %% of one core (as much as it gets on a loaded machine)\n",
                    MeasurePolling(std::min(seconds, 3.0)));

    UnpublishCom1(pty);
    return 0;
}
