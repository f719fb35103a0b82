// Start-up to a shown window: from the application object to the main window painted on screen,
// with the port list built by probing COM1..COM255. The port directory given on the command line
// (or a fresh one) decides what the probes find; without links, the default numbering applies.
#include "app/FormMain.h"
#include "platform/ComPorts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QElapsedTimer total;
    total.start();
    QApplication qapp(argc, argv);
    const qint64 qtInit = total.nsecsElapsed();

    QElapsedTimer probe;
    probe.start();
    int found = 0;
    for (uint32_t n = 1; n <= 255; ++n)
        found += ProbePort(n);
    const double probeMs = double(probe.nsecsElapsed()) / 1e6;

    QElapsedTimer t;
    t.start();
    auto* application = new TApplication;
    application->Initialize();
    TForm1* form = nullptr;
    application->CreateForm(form);
    form->Show();
    // Shown and painted once.
    form->Widget()->repaint();
    QCoreApplication::processEvents();
    const double windowMs = double(t.nsecsElapsed()) / 1e6;
    std::printf("Qt start %.1f ms; window created, 255 ports probed (%d found), shown and painted in %.1f ms; "
                "probing alone %.1f ms; total since process code start %.1f ms\n",
                double(qtInit) / 1e6, found, windowMs, probeMs, double(total.nsecsElapsed()) / 1e6);
    delete application;
    return 0;
}
