// Read All to "Successful": the main window (offscreen) against the module simulator process on a
// pseudo-terminal. Prints the median, 90th and 99th percentile over many commands.
#include "app/FormMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const int rounds = argc > 1 ? std::max(10, atoi(argv[1])) : 200;
    QTemporaryDir ports;
    qputenv("RQ27M_PORTS", ports.path().toLocal8Bit());

    QProcess sim;
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/rq27m-sim"), {QStringLiteral("--port"), QStringLiteral("1")});
    if (!sim.waitForStarted(5000)) {
        std::fprintf(stderr, "cannot start rq27m-sim\n");
        return 1;
    }
    for (int i = 0; i < 500 && !QFile::exists(ports.filePath(QStringLiteral("com1"))); ++i)
        QThread::msleep(10);

    auto* application = new TApplication;
    application->Initialize();
    TForm1* form = NewForm<TForm1>(application);
    form->Timer1->SetEnabled(false);
    form->Show();
    form->kivComboBox_PcPort->SetItemIndex(form->kivComboBox_PcPort->Items()->IndexOf(QStringLiteral("COM1")));
    form->kivButton_OpenPort->Click();
    if (!form->Serial()->IsOpen()) {
        std::fprintf(stderr, "COM1 did not open\n");
        return 1;
    }
    auto panel1 = [&] { return form->kivStatusBar1->Panels()->Items(1)->Text(); };
    std::vector<double> ms;
    for (int r = 0; r < rounds; ++r) {
        form->SetStatusText(QStringLiteral(" "), 1);
        QElapsedTimer t;
        t.start();
        form->btn_ReadAll->Click();
        while (panel1() != QStringLiteral("Successful")) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            if (t.elapsed() > 3000) {
                std::fprintf(stderr, "no response in round %d\n", r);
                return 1;
            }
        }
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    auto pct = [&](double p) { return ms[std::min(ms.size() - 1, size_t(p * double(ms.size())))]; };
    std::printf("Read All to \"Successful\" over %d commands: median %.3f ms, p90 %.3f ms, p99 %.3f ms, max %.3f ms\n",
                rounds, pct(0.5), pct(0.9), pct(0.99), ms.back());
    delete form;
    delete application;
    sim.terminate();
    sim.waitForFinished(3000);
    return 0;
}
