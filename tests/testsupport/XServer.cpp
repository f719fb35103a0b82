#include "testsupport/XServer.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QThread>
#include <map>

namespace testsupport {

namespace {

QString Tool(const char* name) { return QStandardPaths::findExecutable(QString::fromLatin1(name)); }

}  // namespace

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

void EndProcess(QProcess& Process)
{
    if (Process.state() == QProcess::NotRunning)
        return;
    Process.terminate();
    if (!Process.waitForFinished(3000)) {
        Process.kill();
        Process.waitForFinished(3000);
    }
}

bool TXServer::Available() { return !Tool("Xvfb").isEmpty() && !Tool("xdotool").isEmpty(); }

TXServer::~TXServer() { EndProcess(FXvfb); }

bool TXServer::Start()
{
    FXvfb.setProcessChannelMode(QProcess::SeparateChannels);
    FXvfb.start(Tool("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                               QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                               QStringLiteral("tcp")});
    if (!FXvfb.waitForStarted(5000))
        return false;
    // Xvfb writes the display number it took once it is ready.
    if (!WaitUntil([&] { return FXvfb.canReadLine() || FXvfb.waitForReadyRead(50); }, 10000))
        return false;
    FDisplay = QStringLiteral(":") + QString::fromLatin1(FXvfb.readLine()).trimmed();
    // A program started right then can still be refused ("could not connect to display") on a
    // busy machine: the server counts as up once a client has been served.
    return WaitUntil(
        [&] {
            QProcess p;
            p.setProcessEnvironment(Environment());
            p.start(Tool("xdotool"), {QStringLiteral("getmouselocation")});
            return p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        },
        10000);
}

QProcessEnvironment TXServer::Environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), FDisplay);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return env;
}

QString TXServer::Xdo(const QStringList& Args) const
{
    QProcess p;
    p.setProcessEnvironment(Environment());
    p.start(Tool("xdotool"), Args);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString TXServer::Xdo(std::initializer_list<const char*> Args) const
{
    QStringList a;
    for (const char* s : Args)
        a << QString::fromLatin1(s);
    return Xdo(a);
}

QString TXServer::FindWindow(const QString& NamePattern, int ms, const std::function<bool()>& Running) const
{
    QString found;
    WaitUntil(
        [&] {
            found = Xdo(QStringList{QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                    NamePattern})
                        .trimmed();
            return !found.isEmpty() || !Running();
        },
        ms);
    return found.split(QLatin1Char('\n')).first();
}

QRect TXServer::Geometry(const QString& Window) const
{
    std::map<QString, int> g;
    for (const QString& line :
         Xdo(QStringList{QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), Window}).split(QLatin1Char('\n'))) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            g[line.left(eq)] = line.mid(eq + 1).toInt();
    }
    if (!g.count(QStringLiteral("WIDTH")))
        return QRect();
    return QRect(g[QStringLiteral("X")], g[QStringLiteral("Y")], g[QStringLiteral("WIDTH")], g[QStringLiteral("HEIGHT")]);
}

QString TXServer::DescribeWindows(qint64 Pid) const
{
    QString out;
    const QStringList all = Xdo(QStringList{QStringLiteral("search"), QStringLiteral("--pid"), QString::number(Pid)})
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList shown =
        Xdo(QStringList{QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                        QString::number(Pid)})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& id : all) {
        const QString name = Xdo(QStringList{QStringLiteral("getwindowname"), id}).trimmed();
        out += QStringLiteral("window %1 \"%2\" %3\n").arg(id, name, shown.contains(id) ? QStringLiteral("shown") : QStringLiteral("not shown"));
    }
    return out.isEmpty() ? QStringLiteral("no windows\n") : out;
}

void TXServer::MoveTo(const QPoint& Screen) const
{
    Xdo(QStringList{QStringLiteral("mousemove"), QString::number(Screen.x()), QString::number(Screen.y())});
    QThread::msleep(100);
}

void TXServer::Drag(const QPoint& From, int dx, int dy) const
{
    MoveTo(From);
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

}  // namespace testsupport
