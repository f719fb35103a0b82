// Loading a skin file: the sample skin "Verdigris" through TkivFileThemeMgr::LoadFromFile, the
// whole path (container, inflating into the temporary file, record chain, bitmap decoding).
// Usage: bench-skin-load [SKIN.kvt]   (default: resources/skins/Verdigris.kvt of the source tree
// two levels above bin/). Reports the minimum and median wall time of 200 loads, and the time of
// the extraction step alone (container + inflate + CRC into memory).
#include "skin/theme/Kiv2skinreaderZip.h"
#include "skin/theme/KivthemesFileMgr.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

double Ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Report(const char* what, std::vector<double> t)
{
    std::sort(t.begin(), t.end());
    std::printf("%-34s min %7.3f ms   median %7.3f ms   max %7.3f ms\n", what, t.front(), t[t.size() / 2], t.back());
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString skin = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../../resources/skins/Verdigris.kvt"));
    QFile f(skin);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench-skin-load: cannot open %s\n", qPrintable(skin));
        return 1;
    }
    const QByteArray bytes = f.readAll();
    std::printf("skin: %s (%lld bytes)\n", qPrintable(QDir::cleanPath(skin)), static_cast<long long>(bytes.size()));

    const int runs = 200;
    std::vector<double> load, extract;
    for (int i = 0; i < runs; ++i) {
        TkivFileThemeMgr mgr;
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = mgr.LoadFromFile(skin, QString());
        const auto t1 = std::chrono::steady_clock::now();
        if (!ok) {
            std::fprintf(stderr, "bench-skin-load: the skin did not load\n");
            return 1;
        }
        load.push_back(Ms(t1 - t0));

        TSk2MemorySource src(bytes.constData(), size_t(bytes.size()));
        TSk2VectorSink sink;
        const auto t2 = std::chrono::steady_clock::now();
        const TSk2Status st = Sk2ExtractSkinData(src, std::string(), sink);
        const auto t3 = std::chrono::steady_clock::now();
        if (st != TSk2Status::Ok) {
            std::fprintf(stderr, "bench-skin-load: extraction failed: %s\n", Sk2StatusText(st));
            return 1;
        }
        extract.push_back(Ms(t3 - t2));
        if (i == 0)
            std::printf("skin data: %zu bytes inflated\n", sink.Data.size());
    }
    Report("LoadFromFile (whole load)", load);
    Report("extraction into memory", extract);
    return 0;
}
