// rq-xshot OUT.png [WINDOW-ID]
//
// Grabs the screen of the X display named by $DISPLAY (or the window with the given id, decimal or
// 0x-hexadecimal) and writes it to OUT.png. Exit codes: 0 written, 1 grab or write failed,
// 2 usage.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3 || std::strcmp(argv[1], "--help") == 0) {
        std::fprintf(stderr, "usage: rq-xshot OUT.png [WINDOW-ID]\n");
        return 2;
    }
    WId window = 0;
    if (argc == 3) {
        char* end = nullptr;
        unsigned long long id = std::strtoull(argv[2], &end, 0);
        if (!end || *end != '\0' || id == 0) {
            std::fprintf(stderr, "rq-xshot: '%s' is not a window id\n", argv[2]);
            return 2;
        }
        window = WId(id);
    }
    // The X display is the point: never fall back to another platform.
    qputenv("QT_QPA_PLATFORM", "xcb");
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "rq-xshot: DISPLAY is not set\n");
        return 1;
    }
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "rq-xshot: no screen on display %s\n", qgetenv("DISPLAY").constData());
        return 1;
    }
    const QPixmap shot = screen->grabWindow(window);
    if (shot.isNull()) {
        std::fprintf(stderr, "rq-xshot: could not grab %s\n", window ? argv[2] : "the screen");
        return 1;
    }
    if (!shot.toImage().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "rq-xshot: could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
