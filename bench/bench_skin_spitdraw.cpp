// Time per call of SpitDraw: a 74 x 21 push-button face (frame 1 of the built-in PROTEIN_BUTTON
// strip) drawn nine-slice onto a 200 x 60 bitmap, with and without transparent corners, and onto
// the face's own size for comparison. Each case runs 41 batches of 200 calls after a warm-up;
// the median batch gives the time per call, in thread CPU time (so that other processes disturb
// it less) and in wall-clock time.
#include "framework/Graphics.h"
#include "skin/theme/Kivpublic.h"
#include "skin/theme/Kivthemes.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double ThreadSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Result {
    double CpuMicros;
    double WallMicros;
};

Result Measure(TBitmap* face, int w, int h, bool transparent)
{
    TBitmap target(w, h);
    const TRect r = Rect(0, 0, w, h);
    constexpr int Batches = 41, PerBatch = 200, WarmUp = 200;
    for (int i = 0; i < WarmUp; ++i)
        SpitDraw(face, target.Canvas(), r, transparent);
    std::vector<double> cpu, wall;
    for (int b = 0; b < Batches; ++b) {
        const double c0 = ThreadSeconds();
        const auto w0 = std::chrono::steady_clock::now();
        for (int i = 0; i < PerBatch; ++i)
            SpitDraw(face, target.Canvas(), r, transparent);
        const auto w1 = std::chrono::steady_clock::now();
        const double c1 = ThreadSeconds();
        cpu.push_back((c1 - c0) / PerBatch * 1e6);
        wall.push_back(std::chrono::duration<double, std::micro>(w1 - w0).count() / PerBatch);
    }
    // Read a pixel so the drawing cannot be optimised away.
    volatile TColor sink = target.Canvas()->Pixels(w / 2, h / 2);
    (void)sink;
    return {Median(cpu), Median(wall)};
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    TBitmap face;
    GetInsideThemeBitmap(Protein, KIV_THEME_BUTTON_IMAGE, &face, 3, 1);
    if (face.Width() != 74 || face.Height() != 21) {
        std::fprintf(stderr, "unexpected face size %dx%d\n", face.Width(), face.Height());
        return 1;
    }
    std::printf("SpitDraw of a 74x21 face (PROTEIN_BUTTON frame 1), median of 41 batches x 200 calls\n");
    std::printf("%-28s %14s %14s\n", "case", "CPU us/call", "wall us/call");
    struct Case {
        const char* Name;
        int W, H;
        bool Transparent;
    } cases[] = {{"200x60, opaque corners", 200, 60, false},
                 {"200x60, transparent corners", 200, 60, true},
                 {"74x21, transparent corners", 74, 21, true}};
    for (const Case& c : cases) {
        const Result r = Measure(&face, c.W, c.H, c.Transparent);
        std::printf("%-28s %14.2f %14.2f\n", c.Name, r.CpuMicros, r.WallMicros);
    }
    return 0;
}
