// Painting the main window built from skinned controls, offscreen:
//   - a full repaint of the window (every control composed off-screen and copied once): median, p99;
//   - one button's hover-in and hover-out repaint: median, p99;
//   - resident memory growth over 10,000 hover transitions and 1,000 style switches of the whole
//     window (each switch repaints the window). The toolkit's style keeps a pixmap cache of drawn
//     control parts (bounded by QPixmapCache::cacheLimit, 10 MiB by default); it is emptied and
//     the allocator's free memory returned before both readings, so the figure is what the window
//     itself keeps. The raw growth and the growth of the heap in use are printed as well.
// Usage: bench-app-paint [ROUNDS]   (ROUNDS full repaints, default 300; RQ_BENCH_SWITCHES sets the
// number of style switches, default 1000)
#include "BenchClock.h"
#include "app/FormMain.h"

#include <QApplication>
#include <QPixmapCache>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <unistd.h>
#include <vector>

namespace {

struct TStats {
    double median, p99;
};

TStats Stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[std::min(v.size() - 1, size_t(double(v.size()) * 0.99))]};
}

long ResidentKiB()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Bytes the heap has handed out and not had back.
long HeapInUseKiB() { return long(mallinfo2().uordblks / 1024); }

// Empties the style's pixmap cache and returns free heap memory to the system.
void Settle()
{
    QCoreApplication::processEvents();
    QPixmapCache::clear();
    malloc_trim(0);
}

// Every control of the window that publishes a style gets the new one, as the theme manager does.
void SwitchStyle(TForm1* form, TkivUIStyle style)
{
    for (int i = 0; i < form->ComponentCount(); ++i) {
        TComponent* c = form->Components(i);
        if (c->metaObject()->indexOfProperty("UIStyle") >= 0)
            c->setProperty("UIStyle", QVariant::fromValue(style));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    QApplication qapp(argc, argv);
    auto* application = new TApplication;
    application->Initialize();
    TForm1* form = nullptr;
    application->CreateForm(form);
    form->Show();
    QWidget* window = form->Widget();
    window->repaint();
    QCoreApplication::processEvents();

    std::vector<double> full;
    for (int i = 0; i < rounds; ++i) {
        const int64_t t0 = bench::NowNs();
        window->repaint();
        full.push_back(double(bench::NowNs() - t0) / 1e6);
    }

    QWidget* button = form->btn_ReadAll->Widget();
    std::vector<double> hover;
    for (int i = 0; i < 2000; ++i) {
        const int64_t t0 = bench::NowNs();
        form->btn_ReadAll->Perform(i % 2 ? CM_MOUSELEAVE : CM_MOUSEENTER, 0, 0);
        button->repaint();
        hover.push_back(double(bench::NowNs() - t0) / 1e6);
    }

    // Warm up every style once, so that caches (fonts, resources) are filled before measuring.
    const TkivUIStyle styles[] = {MacOS, WinXP, DeepBlue, Protein, BlueGlass};
    for (TkivUIStyle s : styles) {
        SwitchStyle(form, s);
        window->repaint();
    }
    SwitchStyle(form, Protein);
    Settle();
    const long before = ResidentKiB();
    const long heapBefore = HeapInUseKiB();
    for (int i = 0; i < 10000; ++i) {
        form->btn_ReadAll->Perform(i % 2 ? CM_MOUSELEAVE : CM_MOUSEENTER, 0, 0);
        button->repaint();
    }
    const int switches = std::getenv("RQ_BENCH_SWITCHES") ? std::atoi(std::getenv("RQ_BENCH_SWITCHES")) : 1000;
    for (int i = 0; i < switches; ++i) {
        SwitchStyle(form, styles[i % 5]);
        window->repaint();
        if (i % 50 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    const long raw = ResidentKiB();
    Settle();
    const long after = ResidentKiB();
    const long heapAfter = HeapInUseKiB();

    const TStats f = Stats(full), h = Stats(hover);
    std::printf("load %.2f\n", bench::LoadAverage());
    std::printf("full repaint of the main window (%d rounds): median %.3f ms, p99 %.3f ms (goal < 5 ms)\n", rounds,
                f.median, f.p99);
    std::printf("button hover in/out repaint (2000): median %.4f ms, p99 %.4f ms (goal < 0.3 ms median)\n", h.median,
                h.p99);
    std::printf("resident memory: %ld KiB before, %ld KiB after 10000 hover transitions and %d style switches: "
                "growth %ld KiB (goal < 1024 KiB)\n",
                before, after, switches, after - before);
    std::printf("  (without emptying the style's pixmap cache, limit %d KiB: growth %ld KiB)\n", QPixmapCache::cacheLimit(),
                raw - before);
    std::printf("  heap in use: growth %ld KiB\n", heapAfter - heapBefore);
    if (std::getenv("RQ_BENCH_NO_TEARDOWN"))
        std::_Exit(0);  // for heap profilers: what is alive now shows as not freed
    delete application;
    return 0;
}
