// Contact sheets: one PNG per style with every bitmap of that style, labelled and enlarged, and a
// mock window that shows the bitmaps as the controls draw them (nine-sliced buttons, an assembled
// title bar, check boxes, radio buttons, scroll bars, a track bar, a progress bar).
#pragma once

#include "resources/artgen/ArtRegistry.h"

#include <QImage>
#include <QString>

#include <vector>

namespace artgen {

bool writeContactSheets(const QString& dir, const std::vector<CatalogEntry>& catalog,
                        const std::vector<QImage>& images, QString* error);

} // namespace artgen
