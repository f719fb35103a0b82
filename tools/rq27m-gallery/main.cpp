// rq27m-gallery: every skinned component in each of its states, one window per built-in style
// and one for a skin file.
//
//   rq27m-gallery [--skin FILE] [--look NAME]... [--screenshot DIR]
//
// --look limits the windows to the named looks (MacOS, WinXP, DeepBlue, Protein, BlueGlass, Skin);
// --screenshot writes each window as DIR/<look>.png and exits instead of showing them.
#include "Gallery.h"

#include "skin/controls/Kivcontrols.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QWidget>
#include <cstdio>

namespace {

struct TLook {
    const char* Name;
    TkivUIStyle Style;
};
const TLook Looks[] = {{"MacOS", MacOS},       {"WinXP", WinXP},         {"DeepBlue", DeepBlue},
                       {"Protein", Protein},   {"BlueGlass", BlueGlass}, {"Skin", FromThemeFile}};

int Usage()
{
    std::fprintf(stderr, "usage: rq27m-gallery [--skin FILE] [--look NAME]... [--screenshot DIR]\n");
    return 2;
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication qtApp(argc, argv);
    QString skin = QStringLiteral("Verdigris.kvt");
    QString shotDir;
    QStringList only;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == QLatin1String("--skin") || a == QLatin1String("--look") || a == QLatin1String("--screenshot")) &&
            i + 1 < args.size()) {
            const QString v = args[++i];
            if (a == QLatin1String("--skin"))
                skin = v;
            else if (a == QLatin1String("--look"))
                only << v;
            else
                shotDir = v;
        } else {
            return Usage();
        }
    }

    auto* application = new TApplication;
    int rc = 0;
    try {
        application->Initialize();
        application->SetTitle(QStringLiteral("Skinned components"));
        RegisterSkinControlClasses();

        std::vector<TGalleryPage> pages;
        for (const TLook& look : Looks) {
            if (!only.isEmpty() && !only.contains(QLatin1String(look.Name)))
                continue;
            auto* form = NewForm<TForm>(application);
            if (!application->MainForm())
                application->SetMainForm(form);
            TkivFileTheme* theme = nullptr;
            if (look.Style == FromThemeFile) {
                theme = new TkivFileTheme(form);
                theme->SetThemeFile(skin);
#ifdef RQ27M_SAMPLE_SKIN
                if (!theme->Ready() && skin == QLatin1String("Verdigris.kvt"))
                    theme->SetThemeFile(QStringLiteral(RQ27M_SAMPLE_SKIN));
#endif
                if (!theme->Ready()) {
                    std::fprintf(stderr, "rq27m-gallery: the skin file %s could not be loaded\n", qPrintable(skin));
                    rc = 1;
                    delete form;
                    continue;
                }
            }
            pages.emplace_back(form, look.Style, theme);
        }
        for (TGalleryPage& page : pages) {
            DressPageInSkinnedFrame(page);
            for (const TGallerySection& section : GallerySections())
                section.Build(page);
            page.Finish();
        }
        int x = 0;
        for (TGalleryPage& page : pages) {
            page.Form()->SetLeft(x);
            page.Form()->Show();
            x += 40;
        }
        // Each page's states are put in while its window is the active one, so that a control
        // given the focus shows it (one window at a time has the keyboard focus); a screenshot is
        // taken right then.
        if (!shotDir.isEmpty())
            QDir().mkpath(shotDir);
        for (TGalleryPage& page : pages) {
            page.Form()->Widget()->activateWindow();
            QElapsedTimer waited;
            waited.start();
            while (!page.Form()->Widget()->isActiveWindow() && waited.elapsed() < 1000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            page.RunAfterShow();
            QCoreApplication::processEvents();
            if (!shotDir.isEmpty()) {
                const QString path = QDir(shotDir).filePath(page.LookName() + QStringLiteral(".png"));
                if (!page.Form()->Widget()->grab().toImage().save(path, "PNG")) {
                    std::fprintf(stderr, "rq27m-gallery: could not write %s\n", qPrintable(path));
                    rc = 1;
                } else {
                    std::printf("%s\n", qPrintable(path));
                }
            }
        }
        if (shotDir.isEmpty() && !pages.empty())
            application->Run();
    } catch (const Exception& e) {
        std::fprintf(stderr, "rq27m-gallery: %s\n", qPrintable(e.Message()));
        rc = 1;
    }
    delete application;
    return rc;
}
