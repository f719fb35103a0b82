// A private X server (Xvfb) for tests that drive real windows with synthesized input (xdotool),
// as a user would.
#pragma once

#include <QProcess>
#include <QPoint>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>

namespace testsupport {

// Waits (sleeping, without an event loop) until pred() is true or ms pass; returns pred().
bool WaitUntil(const std::function<bool()>& pred, int ms);

class TXServer {
public:
    // True when Xvfb and xdotool are installed (scripts/test.sh installs them).
    static bool Available();

    TXServer() = default;
    ~TXServer();
    TXServer(const TXServer&) = delete;
    TXServer& operator=(const TXServer&) = delete;

    // Starts Xvfb on a free display (1024 x 768, 24 bits); false when it does not come up.
    bool Start();
    // The display name (":N") once started.
    QString Display() const { return FDisplay; }
    // The system environment with DISPLAY set to the server and QT_QPA_PLATFORM removed, for
    // the programs the test starts.
    QProcessEnvironment Environment() const;

    // Runs xdotool with the arguments against the server; its standard output.
    QString Xdo(const QStringList& Args) const;
    QString Xdo(std::initializer_list<const char*> Args) const;
    // The first visible window whose name matches the pattern, waiting up to ms for it (while
    // Running() holds); empty when none appeared.
    QString FindWindow(const QString& NamePattern, int ms, const std::function<bool()>& Running) const;
    // The window's place and size on the screen as the X server has them.
    QRect Geometry(const QString& Window) const;
    // What the server shows of a process's windows (id, name, mapped or not), for messages of
    // failed tests.
    QString DescribeWindows(qint64 Pid) const;
    // Moves the pointer to a screen point.
    void MoveTo(const QPoint& Screen) const;
    // Presses the left button at a screen point, drags by (dx, dy) in ten steps, releases.
    void Drag(const QPoint& From, int dx, int dy) const;

private:
    QProcess FXvfb;
    QString FDisplay;
};

// Ends a process: asks it to terminate, then kills it.
void EndProcess(QProcess& Process);

}  // namespace testsupport
