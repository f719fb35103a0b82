// rq-artgen: draws the built-in bitmaps of the five UI styles.
//
//   rq-artgen --catalog FILE --bitmaps DIR    every catalog bitmap as DIR/<NAME>.bmp
//   rq-artgen --catalog FILE --sheets DIR     contact sheets DIR/<Style>.png with in-use previews
//   rq-artgen --pictures DIR                  the pictures of the main window's stored definition
//
// Output is deterministic: the same program writes the same bytes on every run.
#include "resources/artgen/ArtRegistry.h"
#include "resources/artgen/BmpWriter.h"
#include "resources/artgen/ContactSheet.h"
#include "resources/artgen/MainWindowPictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QSet>

#include <cstdio>

using namespace artgen;

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "rq-artgen: %s\n", qPrintable(message));
    return 1;
}

// Draws every catalog entry and checks it against its catalog size. Every painter must have a
// catalog entry and every entry a painter, so the list and the art cannot drift apart.
bool drawAll(const std::vector<CatalogEntry>& catalog, std::vector<QImage>* images, QString* error)
{
    const ArtRegistry registry = fullRegistry();
    QSet<QString> listed;
    for (const CatalogEntry& e : catalog) {
        listed.insert(e.name);
        const Painter* painter = registry.find(e.name);
        if (!painter) {
            *error = QStringLiteral("no painter for %1").arg(e.name);
            return false;
        }
        QImage img = (*painter)();
        if (img.width() != e.width || img.height() != e.height) {
            *error = QStringLiteral("%1 drawn at %2x%3, listed as %4x%5")
                         .arg(e.name).arg(img.width()).arg(img.height()).arg(e.width).arg(e.height);
            return false;
        }
        images->push_back(img.convertToFormat(QImage::Format_RGB32));
    }
    for (const QString& name : registry.names())
        if (!listed.contains(name)) {
            *error = QStringLiteral("painter %1 has no catalog entry").arg(name);
            return false;
        }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // Text is drawn only on the contact sheets; the offscreen platform keeps the tool headless.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QString catalogPath, bitmapsDir, sheetsDir, picturesDir;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--catalog") && hasValue)
            catalogPath = args[++i];
        else if (a == QLatin1String("--bitmaps") && hasValue)
            bitmapsDir = args[++i];
        else if (a == QLatin1String("--sheets") && hasValue)
            sheetsDir = args[++i];
        else if (a == QLatin1String("--pictures") && hasValue)
            picturesDir = args[++i];
        else
            return fail(QStringLiteral("usage: rq-artgen --catalog FILE [--bitmaps DIR] [--sheets DIR] | --pictures DIR"));
    }
    if (bitmapsDir.isEmpty() && sheetsDir.isEmpty() && picturesDir.isEmpty())
        return fail(QStringLiteral("nothing to do"));

    if (!bitmapsDir.isEmpty() || !sheetsDir.isEmpty()) {
        if (catalogPath.isEmpty())
            return fail(QStringLiteral("--catalog is required"));
        std::vector<CatalogEntry> catalog;
        std::vector<QImage> images;
        QString error;
        if (!readCatalog(catalogPath, &catalog, &error) || !drawAll(catalog, &images, &error))
            return fail(error);
        if (!bitmapsDir.isEmpty()) {
            if (!QDir().mkpath(bitmapsDir))
                return fail(QStringLiteral("cannot create %1").arg(bitmapsDir));
            for (size_t i = 0; i < catalog.size(); ++i) {
                const QString path = QDir(bitmapsDir).filePath(catalog[i].name + QStringLiteral(".bmp"));
                if (!writeBmp(path, images[i], catalog[i].bitsPerPixel))
                    return fail(QStringLiteral("cannot write %1").arg(path));
            }
        }
        if (!sheetsDir.isEmpty() && !writeContactSheets(sheetsDir, catalog, images, &error))
            return fail(error);
    }
    if (!picturesDir.isEmpty()) {
        QString error;
        if (!writeMainWindowPictures(picturesDir, &error))
            return fail(error);
    }
    return 0;
}
