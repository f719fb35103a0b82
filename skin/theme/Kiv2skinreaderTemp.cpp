#include "skin/theme/Kiv2skinreaderTemp.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QUuid>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace Kiv2sys {

String GetTempPath()
{
    // $TMPDIR naming a missing directory would make every temporary name land in "/".
    String dir = QDir::tempPath();
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QStringLiteral("/tmp");
    dir = QDir::toNativeSeparators(dir);
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return dir;
}

TGUID CoCreateGuid()
{
    const QUuid u = QUuid::createUuid();
    TGUID g;
    g.D1 = u.data1;
    g.D2 = u.data2;
    g.D3 = u.data3;
    std::memcpy(g.D4, u.data4, 8);
    return g;
}

String GUIDToString(const TGUID& Guid)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", Guid.D1, Guid.D2, Guid.D3,
                  Guid.D4[0], Guid.D4[1], Guid.D4[2], Guid.D4[3], Guid.D4[4], Guid.D4[5], Guid.D4[6], Guid.D4[7]);
    return QString::fromLatin1(buf);
}

}  // namespace Kiv2sys

TSk2TempFile::~TSk2TempFile() { Remove(); }

bool TSk2TempFile::Create(const String& Path)
{
    Remove();
    const QByteArray native = QFile::encodeName(Path);
    int fd;
    do {
        fd = ::open(native.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    FFd = fd;
    FPath = Path;
    return true;
}

void TSk2TempFile::Remove()
{
    if (FFd >= 0) {
        ::close(FFd);
        FFd = -1;
        ::unlink(QFile::encodeName(FPath).constData());
        FPath.clear();
    }
}
