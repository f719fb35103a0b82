#include "framework/FileCtrl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace {

constexpr qint64 MaxMountsBytes = 4 * 1024 * 1024;

// Undoes the octal escapes of a mounts-table field ("\040" space, "\011" tab, "\012" newline,
// "\134" backslash). A backslash not followed by three octal digits stays as it is.
QByteArray Unescape(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field.at(i);
        if (c == '\\' && i + 3 < field.size()) {
            const char a = field.at(i + 1), b = field.at(i + 2), d = field.at(i + 3);
            auto octal = [](char x) { return x >= '0' && x <= '7'; };
            if (octal(a) && octal(b) && octal(d)) {
                const int v = (a - '0') * 64 + (b - '0') * 8 + (d - '0');
                if (v > 0 && v < 256) {
                    out.append(char(v));
                    i += 3;
                    continue;
                }
            }
        }
        out.append(c);
    }
    return out;
}

// Path is Root or lies under it.
bool IsAtOrUnder(const String& Path, const String& Root)
{
    if (Root == QLatin1String("/"))
        return Path.startsWith(QLatin1Char('/'));
    return Path == Root || Path.startsWith(Root + QLatin1Char('/'));
}

// Replaces the items with Lines (paths may hold any character, line breaks included).
void SetLines(TStrings* Items, const QStringList& Lines)
{
    Items->BeginUpdate();
    Items->Clear();
    for (const String& l : Lines)
        Items->Add(l);
    Items->EndUpdate();
}

bool CanOpenDirectory(const String& Path)
{
    const QByteArray p = QFile::encodeName(Path);
    return QFileInfo(Path).isDir() && ::access(p.constData(), R_OK | X_OK) == 0;
}

QByteArray ReadMounts()
{
    QFile f(QStringLiteral("/proc/self/mounts"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    // The file reports no size; read to its end, within a bound.
    QByteArray text;
    while (text.size() < MaxMountsBytes) {
        const QByteArray chunk = f.read(64 * 1024);
        if (chunk.isEmpty())
            break;
        text += chunk;
    }
    return text;
}

}  // namespace

QStringList ParseMountPoints(const QByteArray& MountsText)
{
    QStringList out;
    for (const QByteArray& line : MountsText.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2 || fields.at(1).isEmpty())
            continue;
        const String path = QFile::decodeName(Unescape(fields.at(1)));
        if (path.startsWith(QLatin1Char('/')))
            out << path;
    }
    return out;
}

QStringList DriveRoots(const QByteArray& MountsText, const String& Home, const String& User,
                       const std::function<bool(const String& Path)>& CanOpen)
{
    QStringList roots{QStringLiteral("/")};
    auto add = [&](const String& path) {
        const String clean = QDir::cleanPath(path);
        if (clean.isEmpty() || roots.contains(clean) || (CanOpen && !CanOpen(clean)))
            return;
        roots << clean;
    };
    if (!Home.isEmpty() && Home.startsWith(QLatin1Char('/')))
        add(Home);
    QStringList places{QStringLiteral("/media"), QStringLiteral("/mnt")};
    if (!User.isEmpty() && !User.contains(QLatin1Char('/')))
        places << QStringLiteral("/run/media/") + User;
    for (const String& mount : ParseMountPoints(MountsText)) {
        const String clean = QDir::cleanPath(mount);
        for (const String& place : places) {
            if (IsAtOrUnder(clean, place)) {
                add(clean);
                break;
            }
        }
    }
    return roots;
}

QStringList ReadDriveRoots()
{
    String user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("LOGNAME");
    return DriveRoots(ReadMounts(), QDir::homePath(), user, &CanOpenDirectory);
}

// ---------------------------------------------------------------------------------------------
// TDriveComboBox

TDriveComboBox::TDriveComboBox(TComponent* AOwner) : TCustomComboBox(AOwner)
{
    SetStyle(csDropDownList);
    SetLines(Items(), ReadDriveRoots());
    SetDrive(QDir::currentPath());
}

String TDriveComboBox::Drive() const
{
    const int i = ItemIndex();
    return i >= 0 && i < Items()->Count() ? Items()->Get(i) : String();
}

void TDriveComboBox::SetDrive(const String& Path)
{
    if (!Path.startsWith(QLatin1Char('/')))
        return;
    const String clean = QDir::cleanPath(Path);
    int best = -1;
    for (int i = 0; i < Items()->Count(); ++i) {
        const String root = Items()->Get(i);
        if (IsAtOrUnder(clean, root) && (best < 0 || root.size() > Items()->Get(best).size()))
            best = i;
    }
    if (best >= 0 && best != ItemIndex())
        SetItemIndex(best);
}

void TDriveComboBox::UpdateDrives()
{
    const String current = Drive();
    SetLines(Items(), ReadDriveRoots());
    const int i = Items()->IndexOf(current);
    SetItemIndex(i >= 0 ? i : 0);
}

// ---------------------------------------------------------------------------------------------
// TFilterComboBox

std::vector<TFilterEntry> ParseFilter(const String& Filter)
{
    std::vector<TFilterEntry> out;
    const QStringList parts = Filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const String mask = parts.at(i + 1).trimmed();
        const String description = parts.at(i).isEmpty() ? mask : parts.at(i);
        if (description.isEmpty() && mask.isEmpty())
            continue;
        out.push_back({description, mask});
    }
    return out;
}

TFilterComboBox::TFilterComboBox(TComponent* AOwner) : TCustomComboBox(AOwner)
{
    SetStyle(csDropDownList);
    SetFilter(QStringLiteral("All files (*.*)|*.*"));
}

void TFilterComboBox::SetFilter(const String& Value)
{
    FFilter = Value;
    FEntries = ParseFilter(Value);
    QStringList lines;
    for (const TFilterEntry& e : FEntries)
        lines << e.Description;
    SetLines(Items(), lines);
    SetItemIndex(FEntries.empty() ? -1 : 0);
}

String TFilterComboBox::Mask() const
{
    const int i = ItemIndex();
    if (i < 0 || i >= Items()->Count())
        return QStringLiteral("*.*");
    // By the entry's place in the list; a sorted list finds its entry by the text.
    if (size_t(i) < FEntries.size() && FEntries[size_t(i)].Description == Items()->Get(i))
        return FEntries[size_t(i)].Mask;
    for (const TFilterEntry& e : FEntries)
        if (e.Description == Items()->Get(i))
            return e.Mask;
    return QStringLiteral("*.*");
}
