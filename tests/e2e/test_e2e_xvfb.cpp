// The real configurator in a real X server (Xvfb), driven with synthesized mouse and keyboard
// input (xdotool) as a user would, against the module simulator on a pseudo-terminal.
#include "testsupport/TestSupport.h"
#include "testsupport/XServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPoint>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <map>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

using testsupport::WaitUntil;

std::map<QString, QString> ReadState(const QString& path)
{
    std::map<QString, QString> m;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return m;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const int eq = line.indexOf('=');
        if (eq > 0)
            m[QString::fromUtf8(line.left(eq))] = QString::fromUtf8(line.mid(eq + 1)).trimmed();
    }
    return m;
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testsupport::TXServer::Available())
            GTEST_SKIP() << "Xvfb and xdotool are needed (scripts/test.sh installs them)";
        ASSERT_TRUE(ports.isValid());
        ASSERT_TRUE(x.Start());
        env = x.Environment();
        env.insert(QStringLiteral("RQ27M_PORTS"), ports.path());

        statePath = ports.filePath(QStringLiteral("sim.state"));
        sim.setProcessEnvironment(env);
        sim.setStandardErrorFile(ports.filePath(QStringLiteral("sim.log")));
        sim.start(testsupport::BinDir() + QStringLiteral("/rq27m-sim"),
                  {QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("--state-file"), statePath,
                   QStringLiteral("--echo"), QStringLiteral("--trace")});
        ASSERT_TRUE(sim.waitForStarted(5000));
        ASSERT_TRUE(WaitUntil([&] { return QFile::exists(ports.filePath(QStringLiteral("com1"))); }, 5000));

        app.setProcessEnvironment(env);
        // A fresh server now and then refuses the first program ("could not connect to display");
        // a program that ended without a window is started once more.
        for (int attempt = 0; attempt < 2 && window.isEmpty(); ++attempt) {
            app.start(testsupport::BinDir() + QStringLiteral("/rq27m"), {});
            ASSERT_TRUE(app.waitForStarted(5000));
            // Generous: a sanitizer build on a busy machine starts slowly; this is not a speed test.
            // (QProcess learns that the program ended only inside one of its waits.)
            window = x.FindWindow(QStringLiteral("^RQ_27M$"), 30000, [&] { return !app.waitForFinished(1); });
            if (window.isEmpty() && !app.waitForFinished(1000))
                break;
        }
        if (window.isEmpty()) {
            const QString windows = x.DescribeWindows(app.processId());
            const bool ended = app.waitForFinished(1000);
            FAIL() << "the window did not appear; the program "
                   << (ended ? QStringLiteral("ended with exit code %1 (status %2)").arg(app.exitCode()).arg(int(app.exitStatus()))
                             : QStringLiteral("is still running"))
                          .toStdString()
                   << "; " << windows.toStdString() << "the program said: " << app.readAllStandardError().toStdString();
        }
        // Give the program a moment to process its first expose before input arrives.
        QThread::msleep(500);
    }
    void TearDown() override
    {
        for (QProcess* p : {&app, &sim})
            testsupport::EndProcess(*p);
    }
    QString Xdo(std::initializer_list<const char*> args) { return x.Xdo(args); }
    // Where the client area starts in the window: the skinned frame keeps 3 pixels of border on
    // the left, at the top and on the right (2 at the bottom) around it.
    static constexpr int FrameLeft = 3, FrameTop = 3;

    // Clicks at client coordinates of the main window.
    void Click(int x, int y) { ClickWindow(x + FrameLeft, y + FrameTop); }
    // Clicks at coordinates of the whole window (frame included).
    void ClickWindow(int x, int y)
    {
        const QByteArray xs = QByteArray::number(x), ys = QByteArray::number(y), w = window.toLatin1();
        Xdo({"mousemove", "--window", w.constData(), xs.constData(), ys.constData()});
        Xdo({"click", "1"});
        QThread::msleep(150);
    }

    // Everything the simulator logged so far (with --trace: one "RX .." line per chunk received).
    QString SimLog()
    {
        QFile f(ports.filePath(QStringLiteral("sim.log")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // The window as the X server shows it now.
    QImage Screenshot()
    {
        const QString out = ports.filePath(QStringLiteral("shot.png"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(testsupport::BinDir() + QStringLiteral("/rq-xshot"), {out, window});
        p.waitForFinished(10000);
        return QImage(out).convertToFormat(QImage::Format_RGB32);
    }

    // The window's position and size on the screen, as the X server has them.
    QRect Geometry() { return x.Geometry(window); }

    testsupport::TXServer x;
    QTemporaryDir ports;
    QProcessEnvironment env;
    QProcess sim, app;
    QString statePath, window;
};

}  // namespace

TEST_F(EndToEnd, ReadAllFillsTheControlsAndWriteAllChangesTheModule)
{
    // Positions in the window's client area (from the stored window definition).
    const QPoint open(38, 46), readAll(72, 261), writeAll(72, 212), frequency(189, 51);

    Click(open.x(), open.y());  // COM1, the simulator, is the first port of the list
    Click(readAll.x(), readAll.y());
    ASSERT_TRUE(WaitUntil([&] { return ReadState(statePath)[QStringLiteral("reads")] == QStringLiteral("1"); }, 5000))
        << "the simulator saw no read command";

    // Type a new frequency: the product ID and codes now come from the module's answer.
    Click(frequency.x(), frequency.y());
    Xdo({"key", "--delay", "30", "Home", "shift+End"});
    Xdo({"type", "--delay", "30", "450.5"});
    Xdo({"key", "Tab"});
    QThread::msleep(150);
    Click(writeAll.x(), writeAll.y());

    ASSERT_TRUE(WaitUntil([&] { return ReadState(statePath)[QStringLiteral("writes")] == QStringLiteral("1"); }, 5000))
        << "the simulator saw no write command";
    auto state = ReadState(statePath);
    EXPECT_EQ(state[QStringLiteral("frequency")], QStringLiteral("450.5"));
    // Had Read All not filled the controls, the window's initial ID 52 117 197 140 would be sent.
    EXPECT_EQ(state[QStringLiteral("product_id")], QStringLiteral("1 2 3 4"));
    EXPECT_EQ(state[QStringLiteral("data_rate")], QStringLiteral("3"));
    EXPECT_EQ(state[QStringLiteral("baud")], QStringLiteral("4"));
    EXPECT_EQ(state[QStringLiteral("parity")], QStringLiteral("0"));
}

TEST_F(EndToEnd, HexSendOnTheSkinnedControlsSendsTheTypedBytes)
{
    const QPoint open(38, 46), hexSend(186, 271), sendBox(300, 240), transmit(315, 271);
    Click(open.x(), open.y());

    // Text mode: the typed characters go out as they are.
    Click(sendBox.x(), sendBox.y());
    Xdo({"type", "--delay", "30", "hi"});
    Click(transmit.x(), transmit.y());
    ASSERT_TRUE(WaitUntil([&] { return SimLog().contains(QStringLiteral("RX 68 69")); }, 5000)) << SimLog().toStdString();

    // The skinned check box switches to hex (and clears the box); typed pairs go out as bytes.
    Click(hexSend.x(), hexSend.y());
    Click(sendBox.x(), sendBox.y());
    Xdo({"type", "--delay", "30", "41 42 4a"});
    Click(transmit.x(), transmit.y());
    ASSERT_TRUE(WaitUntil([&] { return SimLog().contains(QStringLiteral("RX 41 42 4A")); }, 5000))
        << SimLog().toStdString();
    EXPECT_FALSE(SimLog().contains(QStringLiteral("RX 68 69 34"))) << "the box was not cleared on the switch";

    // A second click switches back to text.
    Click(hexSend.x(), hexSend.y());
    Click(sendBox.x(), sendBox.y());
    Xdo({"type", "--delay", "30", "ok"});
    Click(transmit.x(), transmit.y());
    ASSERT_TRUE(WaitUntil([&] { return SimLog().contains(QStringLiteral("RX 6F 6B")); }, 5000)) << SimLog().toStdString();
}

TEST_F(EndToEnd, TheWindowShowsTheSkinnedGroupBoxFrames)
{
    const QImage shot = Screenshot();
    ASSERT_FALSE(shot.isNull());
    // The "Usart" group box at (7, 23), 137 x 89: its black frame line runs 6 pixels below its top
    // (half the 11-pixel font plus one), starting right of the caption; its left, right and
    // bottom lines are black too.
    auto px = [&](int x, int y) { return QString::number(shot.pixel(x + FrameLeft, y + FrameTop) & 0xFFFFFF, 16); };
    EXPECT_EQ(px(7 + 130, 23 + 6), QStringLiteral("0"));
    EXPECT_EQ(px(7, 23 + 40), QStringLiteral("0"));
    EXPECT_EQ(px(7 + 136, 23 + 40), QStringLiteral("0"));
    EXPECT_EQ(px(7 + 60, 23 + 88), QStringLiteral("0"));
    // Inside the frame the group box shows its parent's colour, not black.
    EXPECT_NE(px(7 + 70, 23 + 86), QStringLiteral("0"));
}

TEST_F(EndToEnd, TheWindowWearsItsOwnFrameAndItsTitleBarMovesIt)
{
    // No system caption: the window is the 410 x 313 client area with the skinned frame around
    // it, 3 pixels left, top and right and 2 at the bottom.
    const QRect before = Geometry();
    ASSERT_EQ(before.size(), QSize(416, 318));
    const QImage shot = Screenshot();
    ASSERT_EQ(shot.size(), QSize(416, 318));
    auto px = [&](int x, int y) { return shot.pixel(x, y) & 0xFFFFFF; };
    // A 1-pixel black line on the left, the right and the bottom, with strips in the form colour
    // inside it on the sides and one row above the bottom line.
    for (int y : {60, 200, 300}) {
        SCOPED_TRACE(y);
        EXPECT_EQ(px(0, y), 0u);
        EXPECT_EQ(px(415, y), 0u);
        EXPECT_EQ(px(1, y), 0xFBFBFBu);
        EXPECT_EQ(px(2, y), 0xFBFBFBu);
        EXPECT_EQ(px(413, y), 0xFBFBFBu);
        EXPECT_EQ(px(414, y), 0xFBFBFBu);
    }
    EXPECT_EQ(px(200, 317), 0u);
    EXPECT_EQ(px(200, 316), 0xFBFBFBu);

    // Dragging the title bar moves the window by the dragged distance.
    const QByteArray w = window.toLatin1();
    Xdo({"mousemove", "--window", w.constData(), "200", "10"});
    Xdo({"mousedown", "1"});
    QThread::msleep(100);
    for (int i = 0; i < 6; ++i) {
        Xdo({"mousemove_relative", "--", "10", "5"});
        QThread::msleep(30);
    }
    Xdo({"mouseup", "1"});
    ASSERT_TRUE(WaitUntil([&] { return Geometry().topLeft() == before.topLeft() + QPoint(60, 30); }, 5000))
        << "the window went from " << before.x() << "," << before.y() << " to " << Geometry().x() << ","
        << Geometry().y();
}

TEST_F(EndToEnd, TheCloseButtonEndsTheProgramAndReleasesThePort)
{
    const QPoint open(38, 46);
    Click(open.x(), open.y());
    // The close button sits at the right end of the title bar: x = width - 20 in the bar, 19 x 19.
    ClickWindow(FrameLeft + 410 - 20 + 9, FrameTop + 8);
    ASSERT_TRUE(app.waitForFinished(10000)) << "the program did not end";
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
    // The port is free again: it opens exclusively.
    const int fd = ::open(QFile::encodeName(ports.filePath(QStringLiteral("com1"))).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
}

TEST_F(EndToEnd, AltSpaceOpensTheSystemMenuAndItsCloseItemEndsTheProgram)
{
    const QByteArray w = window.toLatin1();
    auto visibleWindows = [&] {
        return Xdo({"search", "--onlyvisible", "--pid", QByteArray::number(app.processId()).constData()})
            .trimmed()
            .split('\n', Qt::SkipEmptyParts)
            .size();
    };
    const int alone = visibleWindows();
    Xdo({"windowfocus", "--sync", w.constData()});
    Xdo({"key", "--window", w.constData(), "alt+space"});
    ASSERT_TRUE(WaitUntil([&] { return visibleWindows() > alone; }, 5000)) << "no menu window appeared";
    // The main window has only a close button: "Mi&nimize" and "Ma&ximize/Restore" are disabled,
    // so their letters do nothing, and "&Close" closes.
    Xdo({"key", "n"});
    QThread::msleep(300);
    EXPECT_EQ(app.state(), QProcess::Running);
    Xdo({"key", "c"});
    ASSERT_TRUE(app.waitForFinished(10000)) << "the program did not end";
    EXPECT_EQ(app.exitCode(), 0);
}
