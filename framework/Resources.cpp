#include "framework/Resources.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Any distinct address serves as the module handle: there is exactly one module.
char ModuleTag;

bool ReadResource(const QString& path, QByteArray& out)
{
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
        return false;
    out = f.readAll();
    return true;
}

}  // namespace

const HINSTANCE HInstance = reinterpret_cast<HINSTANCE>(&ModuleTag);

bool FindBitmapResource(const String& name, QByteArray& out)
{
    // Names are plain identifiers; anything that could climb out of the folder is not a resource.
    if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\'))
        return false;
    return ReadResource(QStringLiteral(":/bitmaps/") + name.toUpper() + QStringLiteral(".bmp"), out);
}

bool FindResourceData(const String& type, const String& name, QByteArray& out)
{
    // Only names inside the type's folder: none that is a path or climbs out of it.
    if (type.isEmpty() || name.isEmpty() || type.contains(u'/') || name.contains(u'/') || type == u".." ||
        name == u"." || name == u"..")
        return false;
    const QString dir = QStringLiteral(":/") + type.toLower() + u'/';
    return ReadResource(dir + name, out) || ReadResource(dir + name.toUpper(), out);
}
