// The main window's skinned frame:
//   - paint of the title bar plus the non-client frame (the title bar composed off-screen and
//     copied, the frame painted through the window's device context): median, p99;
//   - moving the window by its title bar in an X server: the left button goes down on the title
//     bar and the pointer moves in 4-pixel steps (synthesized by xdotool); each step is timed from
//     the pointer-move event reaching the program to the X server reporting the window at its new
//     position (asked with a round trip through xcb; without xcb, the toolkit's own record):
//     median, p99.
// The move needs an X server: DISPLAY, or an Xvfb the program starts itself when DISPLAY is unset
// (Xvfb and xdotool must be installed; scripts/test.sh installs them).
// Usage: bench-app-frame [ROUNDS]   (ROUNDS paints and moves, default 300)
#include "BenchClock.h"
#include "app/FormMain.h"
#include "skin/frame/Kivform.h"
#include "skin/frame/Kivtitlebar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>
#include <QWindow>
#ifdef RQ_BENCH_XCB
#include <QGuiApplication>
#include <xcb/xcb.h>
#endif
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct TStats {
    double median = 0, p99 = 0;
};

TStats Stats(std::vector<double> v)
{
    if (v.empty())
        return {};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[std::min(v.size() - 1, size_t(double(v.size()) * 0.99))]};
}

// Notes when each pointer move reaches the program.
class TPointerClock : public QObject {
public:
    int64_t pointerNs = 0;  // the last pointer move's arrival

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::MouseMove)
            pointerNs = bench::NowNs();
        return false;
    }
};

// The window's position as the X server has it (a round trip), or the toolkit's without xcb.
QPoint ServerPosition(QWidget* window)
{
#ifdef RQ_BENCH_XCB
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && window->windowHandle()) {
        xcb_connection_t* c = x11->connection();
        const auto id = xcb_window_t(window->windowHandle()->winId());
        xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr);
        if (g) {
            const QPoint p(g->x, g->y);
            std::free(g);
            return p;
        }
    }
#endif
    return window->pos();
}

QString StartXvfb(QProcess& xvfb)
{
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (exe.isEmpty())
        return {};
    xvfb.start(exe, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                     QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!xvfb.waitForStarted(5000))
        return {};
    while (!xvfb.canReadLine())
        if (!xvfb.waitForReadyRead(10000))
            return {};
    return QStringLiteral(":") + QString::fromLatin1(xvfb.readLine()).trimmed();
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    QProcess xvfb;
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        const QString display = StartXvfb(xvfb);
        if (display.isEmpty()) {
            std::fprintf(stderr, "bench-app-frame: no DISPLAY and no Xvfb to start\n");
            return 1;
        }
        qputenv("DISPLAY", display.toLatin1());
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication qapp(argc, argv);
    auto* application = new TApplication;
    application->Initialize();
    TForm1* form = nullptr;
    application->CreateForm(form);
    form->SetLeft(100);
    form->SetTop(100);
    form->Show();
    QWidget* window = form->Widget();
    for (int i = 0; i < 50 && !window->isVisible(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::processEvents();

    auto* frame = dynamic_cast<TkivForm*>(form->kivForm1);
    if (!frame) {
        std::fprintf(stderr, "bench-app-frame: the main window has no skinned frame\n");
        return 1;
    }
    std::vector<double> paints;
    for (int i = 0; i < rounds; ++i) {
        const int64_t t0 = bench::NowNs();
        frame->TitleBar()->ForcePaint();
        frame->PaintFormBorder();
        paints.push_back(double(bench::NowNs() - t0) / 1e6);
    }

    // Drag the title bar with the X server's pointer: press on it, then one 4-pixel step at a time,
    // each sent once the previous one has moved the window (or 200 ms have passed).
    TPointerClock timer;
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xdotool.isEmpty()) {
        std::fprintf(stderr, "bench-app-frame: xdotool is needed for the move figure\n");
        return 1;
    }
    auto xdo = [&](const QStringList& args) {
        QProcess p;
        p.start(xdotool, args);
        p.waitForStarted(5000);
        while (p.state() != QProcess::NotRunning) {
            p.waitForFinished(1);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
    };
    auto settle = [&](int ms) {
        const int64_t until = bench::NowNs() + int64_t(ms) * 1000000;
        while (bench::NowNs() < until)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    };
    const QPoint grip = window->mapToGlobal(QPoint(200, 10));
    xdo({QStringLiteral("mousemove"), QString::number(grip.x()), QString::number(grip.y())});
    settle(200);
    xdo({QStringLiteral("mousedown"), QStringLiteral("1")});
    settle(200);
    // Installed after the press: the move that the press started watches the application's events
    // too, and the filter installed last sees them first.
    qapp.installEventFilter(&timer);

    const QPoint start = window->pos();
    std::vector<double> latencies;
    for (int i = 0; i < rounds; ++i) {
        const QPoint before = ServerPosition(window);
        const QString dx = i % 100 < 50 ? QStringLiteral("4") : QStringLiteral("-4");
        xdo({QStringLiteral("mousemove_relative"), QStringLiteral("--"), dx, QStringLiteral("0")});
        const int64_t until = bench::NowNs() + int64_t(200) * 1000000;
        while (bench::NowNs() < until) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (ServerPosition(window) != before) {
                latencies.push_back(double(bench::NowNs() - timer.pointerNs) / 1e6);
                break;
            }
        }
    }
    const QPoint end = window->pos();
    xdo({QStringLiteral("mouseup"), QStringLiteral("1")});
    settle(100);

    const TStats p = Stats(paints), m = Stats(latencies);
    std::printf("load %.2f\n", bench::LoadAverage());
    std::printf("title bar + frame paint of the main window (%d rounds): median %.3f ms, p99 %.3f ms (goal < 1 ms)\n",
                rounds, p.median, p.p99);
    std::printf("moving the window by its title bar: %d of %d pointer steps moved it; pointer move to window moved: "
                "median %.3f ms, p99 %.3f ms (goal < 16 ms); window went from (%d, %d) to (%d, %d)\n",
                int(latencies.size()), rounds, m.median, m.p99, start.x(), start.y(), end.x(), end.y());
    std::fflush(stdout);
    // The X server this program started goes with it (the quick exit below skips destructors).
    if (xvfb.state() != QProcess::NotRunning) {
        xvfb.terminate();
        xvfb.waitForFinished(3000);
    }
    std::_Exit(0);
}
