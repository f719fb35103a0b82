// A frameless form in a real X server without a window manager (Xvfb): dragging the strip that
// sends WM_NCLBUTTONDOWN with HTCAPTION moves the window with the real pointer by the dragged
// distance, and dragging the sizing band resizes it; the framework does both itself because no
// window manager offers to.
#include "testsupport/TestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

namespace {

QString Tool(const char* name) { return QStandardPaths::findExecutable(QString::fromLatin1(name)); }

bool WaitUntil(const std::function<bool()>& pred, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > ms)
            return pred();
        QThread::msleep(20);
    }
    return true;
}

class NonClientMove : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Tool("Xvfb").isEmpty() || Tool("xdotool").isEmpty())
            GTEST_SKIP() << "Xvfb and xdotool are needed (scripts/test.sh installs them)";
        env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        xvfb.start(Tool("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                   QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                                   QStringLiteral("tcp")});
        ASSERT_TRUE(xvfb.waitForStarted(5000));
        ASSERT_TRUE(WaitUntil([&] { return xvfb.canReadLine() || xvfb.waitForReadyRead(50); }, 10000));
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(xvfb.readLine()).trimmed());

        probe.setProcessEnvironment(env);
        probe.start(testsupport::BinDir() + QStringLiteral("/rq-ncmove-probe"), {});
        ASSERT_TRUE(probe.waitForStarted(5000));
        ASSERT_TRUE(WaitUntil(
            [&] {
                return probe.state() == QProcess::NotRunning ||
                       !(window = Xdo({"search", "--onlyvisible", "--name", "^ncmove-probe$"}).trimmed()).isEmpty();
            },
            30000));
        ASSERT_FALSE(window.isEmpty()) << "the window did not appear: " << probe.readAllStandardError().toStdString();
        window = window.split('\n').first();
        QThread::msleep(300);
    }
    void TearDown() override
    {
        for (QProcess* p : {&probe, &xvfb}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000)) {
                    p->kill();
                    p->waitForFinished(3000);
                }
            }
        }
    }
    QString Xdo(const QStringList& args)
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(Tool("xdotool"), args);
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    QString Xdo(std::initializer_list<const char*> args)
    {
        QStringList a;
        for (const char* s : args)
            a << QString::fromLatin1(s);
        return Xdo(a);
    }
    // The window's place on the screen as the X server has it.
    QRect Geometry()
    {
        const QString out = Xdo(QStringList{QStringLiteral("getwindowgeometry"), window});
        const auto pos = QRegularExpression(QStringLiteral("Position: (-?\\d+),(-?\\d+)")).match(out);
        const auto size = QRegularExpression(QStringLiteral("Geometry: (\\d+)x(\\d+)")).match(out);
        if (!pos.hasMatch() || !size.hasMatch())
            return QRect();
        return QRect(pos.captured(1).toInt(), pos.captured(2).toInt(), size.captured(1).toInt(), size.captured(2).toInt());
    }
    // Presses at a screen point, drags by (dx, dy) in small steps, releases.
    void Drag(const QPoint& from, int dx, int dy)
    {
        Xdo(QStringList{QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y())});
        QThread::msleep(100);
        Xdo({"mousedown", "1"});
        QThread::msleep(100);
        const int steps = 10;
        for (int i = 0; i < steps; ++i) {
            Xdo(QStringList{QStringLiteral("mousemove_relative"), QStringLiteral("--"), QString::number(dx / steps),
                            QString::number(dy / steps)});
            QThread::msleep(30);
        }
        QThread::msleep(100);
        Xdo({"mouseup", "1"});
        QThread::msleep(200);
    }
    QProcessEnvironment env;
    QProcess xvfb, probe;
    QString window;
};

}  // namespace

TEST_F(NonClientMove, DraggingTheCaptionStripMovesTheWindowByTheDraggedDistance)
{
    const QRect start = Geometry();
    ASSERT_EQ(start.size(), QSize(300, 200)) << "frameless: the X window is the form";
    Drag(start.topLeft() + QPoint(150, 12), 60, 40);
    ASSERT_TRUE(WaitUntil([&] { return Geometry().topLeft() == start.topLeft() + QPoint(60, 40); }, 3000))
        << "now at " << Geometry().x() << ", " << Geometry().y();
    EXPECT_EQ(Geometry().size(), start.size());
    // After the release the pointer moves freely again.
    Xdo({"mousemove_relative", "--", "30", "30"});
    QThread::msleep(200);
    EXPECT_EQ(Geometry().topLeft(), start.topLeft() + QPoint(60, 40));
}

TEST_F(NonClientMove, DraggingTheSizingBandResizesTheWindow)
{
    const QRect start = Geometry();
    Drag(start.topLeft() + QPoint(start.width() - 2, start.height() - 2), 40, 30);
    ASSERT_TRUE(WaitUntil([&] { return Geometry().size() == start.size() + QSize(40, 30); }, 3000))
        << "now " << Geometry().width() << " x " << Geometry().height();
    EXPECT_EQ(Geometry().topLeft(), start.topLeft());
}
