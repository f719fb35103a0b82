// The main window's skinned frame in a real X server without a window manager (Xvfb): dragging the
// title bar moves the window by the dragged distance, and clicking the title bar's close button
// closes it (the program ends). The test runs this same program a second time inside Xvfb as the
// window (KivFormX11Probe.Run, which only runs when asked to).
#include "FormKit.h"
#include "testsupport/XServer.h"

#include <QProcess>
#include <QThread>

using namespace formtest;

namespace {

using testsupport::WaitUntil;

class KivFormX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testsupport::TXServer::Available())
            GTEST_SKIP() << "Xvfb and xdotool are needed (scripts/test.sh installs them)";
        ASSERT_TRUE(x.Start());
        env = x.Environment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("RQ_KIVFORM_PROBE"), QStringLiteral("1"));
        probe.setProcessEnvironment(env);
        // A fresh server now and then refuses the first program ("could not connect to display");
        // a program that ended without a window is started once more.
        for (int attempt = 0; attempt < 2 && window.isEmpty(); ++attempt) {
            probe.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=KivFormX11Probe.Run")});
            ASSERT_TRUE(probe.waitForStarted(5000));
            // (QProcess learns that the program ended only inside one of its waits.)
            window = x.FindWindow(QStringLiteral("^RQ_27M$"), 30000, [&] { return !probe.waitForFinished(1); });
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

// The window of the test above: the main window's frame read from its stored definition, shown as
// the application's main form until it closes.
TEST(KivFormX11Probe, Run)
{
    if (qEnvironmentVariableIsEmpty("RQ_KIVFORM_PROBE"))
        GTEST_SKIP() << "the window of KivFormX11, run by it inside Xvfb";
    auto* app = new TApplication;
    app->Initialize();
    RegisterKivformClasses();
    TForm* form = nullptr;
    app->CreateForm(form);
    ReadComponentText(form, QByteArray(MainWindowDefinition()), QStringLiteral("mainwindow.dfm"));
    app->Run();
    delete app;
}

TEST_F(KivFormX11, DraggingTheTitleBarMovesTheWindowAndTheCloseButtonClosesIt)
{
    const QRect start = Geometry();
    ASSERT_EQ(start.size(), QSize(416, 318)) << "frameless: the X window is the form with its skinned frame";
    // The title bar (client y 0..19, window y 3..22) away from its icon, caption and buttons.
    Drag(start.topLeft() + QPoint(200, 12), 60, 40);
    ASSERT_TRUE(WaitUntil([&] { return Geometry().topLeft() == start.topLeft() + QPoint(60, 40); }, 3000))
        << "now at " << Geometry().x() << ", " << Geometry().y();
    EXPECT_EQ(Geometry().size(), start.size());

    // The close button: 20 pixels from the bar's right end, one row above the bar's top.
    const QRect moved = Geometry();
    const QPoint close = moved.topLeft() + QPoint(3 + 410 - 20 + 9, 3 - 1 + 9);
    MoveTo(close - QPoint(2, 0));
    MoveTo(close);
    Xdo({"click", "1"});
    ASSERT_TRUE(probe.waitForFinished(5000)) << "the window did not close";
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardOutput().toStdString();
}
