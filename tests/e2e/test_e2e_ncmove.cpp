// A frameless form in a real X server without a window manager (Xvfb): dragging the strip that
// sends WM_NCLBUTTONDOWN with HTCAPTION moves the window with the real pointer by the dragged
// distance, and dragging the sizing band resizes it; the framework does both itself because no
// window manager offers to.
#include "testsupport/TestSupport.h"
#include "testsupport/XServer.h"

#include <QProcess>
#include <QRect>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using testsupport::WaitUntil;

class NonClientMove : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testsupport::TXServer::Available())
            GTEST_SKIP() << "Xvfb and xdotool are needed (scripts/test.sh installs them)";
        ASSERT_TRUE(x.Start());
        env = x.Environment();
        probe.setProcessEnvironment(env);
        // A fresh server now and then refuses the first program ("could not connect to display");
        // a program that ended without a window is started once more.
        for (int attempt = 0; attempt < 2 && window.isEmpty(); ++attempt) {
            probe.start(testsupport::BinDir() + QStringLiteral("/rq-ncmove-probe"), {});
            ASSERT_TRUE(probe.waitForStarted(5000));
            // (QProcess learns that the program ended only inside one of its waits.)
            window = x.FindWindow(QStringLiteral("^ncmove-probe$"), 30000, [&] { return !probe.waitForFinished(1); });
            if (window.isEmpty() && !probe.waitForFinished(1000))
                break;
        }
        if (window.isEmpty()) {
            const QString windows = x.DescribeWindows(probe.processId());
            const bool ended = probe.waitForFinished(1000);
            FAIL() << "the window did not appear; the program " << (ended ? "ended" : "is still running") << " (exit code "
                   << probe.exitCode() << "); " << windows.toStdString()
                   << "it said: " << probe.readAllStandardError().toStdString();
        }
        QThread::msleep(300);
    }
    void TearDown() override { testsupport::EndProcess(probe); }
    QString Xdo(const QStringList& args) { return x.Xdo(args); }
    QString Xdo(std::initializer_list<const char*> args) { return x.Xdo(args); }
    // The window's place on the screen as the X server has it.
    QRect Geometry() { return x.Geometry(window); }
    void MoveTo(const QPoint& p) { x.MoveTo(p); }
    void Drag(const QPoint& from, int dx, int dy) { x.Drag(from, dx, dy); }
    testsupport::TXServer x;
    QProcessEnvironment env;
    QProcess probe;
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
