// The list of built-in bitmaps (read from catalog.txt) and the painters that draw them.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

namespace artgen {

struct CatalogEntry {
    QString name;
    int width = 0;
    int height = 0;
    int frames = 1;
    int bitsPerPixel = 24;
};

// Reads the catalog: one "NAME WIDTH HEIGHT FRAMES BPP" line per bitmap; '#' starts a comment.
// Returns false and sets error on a malformed line or a duplicate name.
bool readCatalog(const QString& path, std::vector<CatalogEntry>* entries, QString* error);

using Painter = std::function<QImage()>;

// Painters by resource name.
class ArtRegistry
{
public:
    void add(const QString& name, Painter painter);
    const Painter* find(const QString& name) const;
    QStringList names() const;

private:
    std::map<QString, Painter> m_painters;
};

// Each style file registers the painters of its bitmaps.
void registerMacOsArt(ArtRegistry& registry);
void registerWinXpArt(ArtRegistry& registry);
void registerDeepBlueArt(ArtRegistry& registry);
void registerProteinArt(ArtRegistry& registry);
void registerBlueGlassArt(ArtRegistry& registry);
void registerSharedArt(ArtRegistry& registry);

// All painters of all styles.
ArtRegistry fullRegistry();

} // namespace artgen
