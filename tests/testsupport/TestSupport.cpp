#include "TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace testsupport {

QString BinDir() { return qEnvironmentVariable("RQ27M_TEST_BIN", QCoreApplication::applicationDirPath()); }

QString DataDir() { return qEnvironmentVariable("RQ27M_TEST_DATA"); }

bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() >= timeout.count())
            return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void Pump(std::chrono::milliseconds duration)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < duration.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

}  // namespace testsupport
