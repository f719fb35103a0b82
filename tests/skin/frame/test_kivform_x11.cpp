// The main window's skinned frame in a real X server without a window manager (Xvfb): dragging the
// title bar moves the window by the dragged distance, and clicking the title bar's close button
// closes it (the program ends). The test runs this same program a second time inside Xvfb as the
// window (KivFormX11Probe.Run, which only runs when asked to).
#include "FormKit.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

using namespace formtest;

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

class KivFormX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Tool("Xvfb").isEmpty() || Tool("xdotool").isEmpty())
            GTEST_SKIP() << "Xvfb and xdotool are needed (scripts/test.sh installs them)";
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("RQ_KIVFORM_PROBE"), QStringLiteral("1"));
        xvfb.start(Tool("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                   QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                                   QStringLiteral("tcp")});
        ASSERT_TRUE(xvfb.waitForStarted(5000));
        ASSERT_TRUE(WaitUntil([&] { return xvfb.canReadLine() || xvfb.waitForReadyRead(50); }, 10000));
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(xvfb.readLine()).trimmed());

        probe.setProcessEnvironment(env);
        probe.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=KivFormX11Probe.Run")});
        ASSERT_TRUE(probe.waitForStarted(5000));
        ASSERT_TRUE(WaitUntil(
            [&] {
                return probe.state() == QProcess::NotRunning ||
                       !(window = Xdo({"search", "--onlyvisible", "--name", "^RQ_27M$"}).trimmed()).isEmpty();
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
    QRect Geometry()
    {
        const QString out = Xdo(QStringList{QStringLiteral("getwindowgeometry"), window});
        const auto pos = QRegularExpression(QStringLiteral("Position: (-?\\d+),(-?\\d+)")).match(out);
        const auto size = QRegularExpression(QStringLiteral("Geometry: (\\d+)x(\\d+)")).match(out);
        if (!pos.hasMatch() || !size.hasMatch())
            return QRect();
        return QRect(pos.captured(1).toInt(), pos.captured(2).toInt(), size.captured(1).toInt(), size.captured(2).toInt());
    }
    void MoveTo(const QPoint& p)
    {
        Xdo(QStringList{QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
        QThread::msleep(100);
    }
    void Drag(const QPoint& from, int dx, int dy)
    {
        MoveTo(from);
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
