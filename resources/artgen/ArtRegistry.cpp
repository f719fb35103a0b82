#include "resources/artgen/ArtRegistry.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>

namespace artgen {

bool readCatalog(const QString& path, std::vector<CatalogEntry>* entries, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot open %1").arg(path);
        return false;
    }
    static const QRegularExpression line(
        QStringLiteral("^([A-Z0-9_]+)\\s+(\\d+)\\s+(\\d+)\\s+(\\d+)\\s+(8|24|32)$"));
    QSet<QString> seen;
    QTextStream in(&f);
    int number = 0;
    while (!in.atEnd()) {
        const QString raw = in.readLine();
        ++number;
        const QString text = raw.section(QLatin1Char('#'), 0, 0).trimmed();
        if (text.isEmpty())
            continue;
        const auto m = line.match(text);
        if (!m.hasMatch()) {
            *error = QStringLiteral("%1:%2: malformed line").arg(path).arg(number);
            return false;
        }
        CatalogEntry e;
        e.name = m.captured(1);
        e.width = m.captured(2).toInt();
        e.height = m.captured(3).toInt();
        e.frames = m.captured(4).toInt();
        e.bitsPerPixel = m.captured(5).toInt();
        if (seen.contains(e.name) || e.width <= 0 || e.height <= 0 || e.frames <= 0) {
            *error = QStringLiteral("%1:%2: duplicate or empty entry %3").arg(path).arg(number).arg(e.name);
            return false;
        }
        seen.insert(e.name);
        entries->push_back(e);
    }
    return true;
}

void ArtRegistry::add(const QString& name, Painter painter)
{
    m_painters[name] = std::move(painter);
}

const Painter* ArtRegistry::find(const QString& name) const
{
    const auto it = m_painters.find(name);
    return it == m_painters.end() ? nullptr : &it->second;
}

QStringList ArtRegistry::names() const
{
    QStringList list;
    for (const auto& [name, painter] : m_painters)
        list << name;
    return list;
}

ArtRegistry fullRegistry()
{
    ArtRegistry r;
    registerMacOsArt(r);
    registerWinXpArt(r);
    registerDeepBlueArt(r);
    registerProteinArt(r);
    registerBlueGlassArt(r);
    registerSharedArt(r);
    return r;
}

} // namespace artgen
