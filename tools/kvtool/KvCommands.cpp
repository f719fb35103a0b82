#include "tools/kvtool/KvCommands.h"

#include "framework/Graphics.h"
#include "framework/Strings.h"
#include "framework/SysUtils.h"
#include "skin/theme/Kiv2define.h"
#include "skin/theme/Kiv2skinreader.h"
#include "skin/theme/Kiv2skinreaderRecords.h"
#include "skin/theme/Kiv2skinreaderZip.h"
#include "tools/kvtool/KvSkinWriter.h"
#include "tools/kvtool/KvValuesFile.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>

namespace {

const char* const kNeededValueKeys[] = {
    // colours
    "SKIN2_TRANSCOLOR", "SKIN2_TITLEFONTCOLOR", "SKIN2_FORMCOLOR", "SKIN2_MENUBARSTARTCOLOR",
    "SKIN2_MENUBARENDCOLOR", "SKIN2_TOPSELECTEDMENUCOLOR", "SKIN2_TOPSELECTEDMENUBORDERCOLOR",
    "SKIN2_TOPSELECTEDMENUFONTCOLOR", "SKIN2_TOPMENUFONTCOLOR", "SKIN2_LEFTBARSTARTCOLOR", "SKIN2_LEFTBARENDCOLOR",
    "SKIN2_MENUITEMCOLOR", "SKIN2_MENUITEMFONTCOLOR", "SKIN2_SELECTEDMENUCOLOR", "SKIN2_SELECTEDMENUBORDERCOLOR",
    "SKIN2_SELECTEDMENUFONTCOLOR", "SKIN2_TOOLBARSTARTCOLOR", "SKIN2_TOOLBARENDCOLOR", "SKIN2_TOOLBARBORDERCOLOR",
    "SKIN2_TOOLBARDOWNCOLOR", "SKIN2_CONTROLCOLOR", "SKIN2_CONTROLBORDERCOLOR", "SKIN2_CONTROLFONTCOLOR",
    "SKIN2_BUTTONFONTCOLOR", "SKIN2_SCROLLBARCOLOR",
    // integers
    "SKIN2_TITLEBARICONPOSX", "SKIN2_TITLEBARICONPOSY", "SKIN2_TITLEBARCAPTIONTOP", "SKIN2_TITLEBARBUTTONPOSX",
    "SKIN2_TITLEBARBUTTONPOSY", "SKIN2_TITLEBARREGIONMINY", "SKIN2_TITLEBARREGIONMAXY", "SKIN2_BOTTOMREGIONMINY",
    "SKIN2_BOTTOMREGIONMAXY",
    // flags
    "SKIN2_TITLEFIVESECT", "SKIN2_BOTTOMBORDERTHREESECT", "SKIN2_TITLEBARNEEDREGION", "SKIN2_BOTTOMBORDERNEEDREGION",
    "SKIN2_TITLEBTNTRANS", "SKIN2_BUTTONTRANS",
};

// Bitmaps that the components cut into frames of equal size, the frame count, and whether the
// frames lie along the height (the scroll bar thumb is drawn upright and cut after a turn).
struct TFrameRule {
    const char* Key;
    int Frames;
    bool AlongHeight;
};
const TFrameRule kFrameRules[] = {
    {"SKIN2_TITLEBUTTONS", 18, false},      {"SKIN2_BUTTON", 3, false},
    {"SKIN2_CHECKBOX", 6, false},           {"SKIN2_RADIOBUTTON", 4, false},
    {"SKIN2_SCROLLBARUPBUTTON", 3, false},  {"SKIN2_SCROLLBARDOWNBUTTON", 3, false},
    {"SKIN2_SCROLLBAR", 3, true},           {"SKIN2_TRACKBAR", 3, false},
};

std::string Str(const String& s) { return s.toStdString(); }

// A key read from a skin file becomes a file name only when it cannot leave the folder.
bool SafeFileKey(const std::string& k)
{
    if (k.empty() || k.size() > 64 || k[0] == '.')
        return false;
    for (char c : k)
        if (!(std::isalnum((unsigned char)c) || c == '_' || c == '-' || c == '.'))
            return false;
    return true;
}

enum class TLoad { Ok, Failed, Password };

// True when reading failed while decoding the data of an encrypted skin entry.
bool EncryptedDataError(const std::string& file, TSk2Status reason)
{
    switch (reason) {
    case TSk2Status::BadBlockType:
    case TSk2Status::BadCodeLengths:
    case TSk2Status::BadCodeSet:
    case TSk2Status::BadSymbol:
    case TSk2Status::BadDistance:
    case TSk2Status::StoredLengthMismatch:
    case TSk2Status::Truncated:
    case TSk2Status::OutputTooLarge:
    case TSk2Status::CrcMismatch:
        break;
    default:
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!KvReadFile(file, bytes))
        return false;
    TSk2MemorySource src(bytes.data(), bytes.size());
    TSk2ZipEntry entry;
    return Sk2FindSkinEntry(src, entry) == TSk2Status::Ok && (entry.Flags & SK2_FLAG_ENCRYPTED);
}

// Loads a skin through the system's reader and reports problems on err.
TLoad LoadSkin(const std::string& file, const TKvOptions& o, std::unique_ptr<Tsk2SkinFileReader>& reader, FILE* err)
{
    const String name = QString::fromStdString(file);
    if (!QFileInfo(name).isFile()) {
        std::fprintf(err, "%s\nkvtool: %s: no such file\n", Str(SSkinFileReadError).c_str(), file.c_str());
        return TLoad::Failed;
    }
    try {
        reader = std::make_unique<Tsk2SkinFileReader>(name, QString::fromStdString(o.Password));
    } catch (const ESkinFileError& e) {
        // Data that does not decode behind a password that passed the one-byte check is most
        // likely a wrong password.
        if (!o.Password.empty() && EncryptedDataError(file, e.Reason())) {
            std::fprintf(err, "kvtool: %s: wrong password (or the skin file is damaged: %s)\n", file.c_str(),
                         Sk2StatusText(e.Reason()));
            return TLoad::Password;
        }
        std::fprintf(err, "%s\nkvtool: %s: %s\n", Str(e.Message()).c_str(), file.c_str(), Sk2StatusText(e.Reason()));
        return TLoad::Failed;
    } catch (const std::exception& e) {
        std::fprintf(err, "%s\nkvtool: %s: %s\n", Str(SSkinFileReadError).c_str(), file.c_str(), e.what());
        return TLoad::Failed;
    }
    if (!reader->Loaded()) {
        if (o.Password.empty())
            std::fprintf(err, "kvtool: %s: the skin is encrypted; give its password with --password\n", file.c_str());
        else
            std::fprintf(err, "kvtool: %s: wrong password\n", file.c_str());
        return TLoad::Password;
    }
    return TLoad::Ok;
}

int LoadExit(TLoad l) { return l == TLoad::Password ? KV_EXIT_PASSWORD : KV_EXIT_FAILED; }

}  // namespace

bool KvKeyIsNeeded(const char* Key)
{
    if (Sk2KeyKind(Key) == TSk2KeyKind::Bitmap)
        return true;
    for (const char* k : kNeededValueKeys)
        if (std::strcmp(k, Key) == 0)
            return true;
    return false;
}

int KvPack(const std::string& Folder, const std::string& OutFile, const TKvOptions& Options, FILE* out, FILE* err)
{
    const QDir dir(QString::fromStdString(Folder));
    const QFileInfo dirInfo(dir.path());
    if (!dirInfo.exists()) {
        std::fprintf(err, "kvtool: %s: no such folder\n", Folder.c_str());
        return KV_EXIT_FAILED;
    }
    if (!dirInfo.isDir() || !dirInfo.isReadable() || !dirInfo.isExecutable()) {
        std::fprintf(err, "kvtool: %s: not a readable folder\n", Folder.c_str());
        return KV_EXIT_FAILED;
    }

    // Bitmaps: known keys in key-table order, then any other names sorted.
    std::map<std::string, std::string> bmpFiles;  // key -> path
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Readable | QDir::Hidden, QDir::Name);
    for (const QFileInfo& fi : files) {
        if (fi.suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) != 0)
            continue;
        const std::string key = Str(fi.completeBaseName());
        if (key.empty() || key.size() > SK2_NAME_SIZE) {
            std::fprintf(err, "kvtool: %s: a key has 1 to 64 characters\n", Str(fi.filePath()).c_str());
            return KV_EXIT_FAILED;
        }
        if (!bmpFiles.emplace(key, Str(fi.filePath())).second) {
            std::fprintf(err, "kvtool: %s: key %s appears twice\n", Str(fi.filePath()).c_str(), key.c_str());
            return KV_EXIT_FAILED;
        }
    }
    std::vector<std::string> order;
    for (int i = 0; i < SK2_BITMAP_COUNT; ++i)
        if (bmpFiles.count(SK2_KEY_TABLE[SK2_BITMAP_FIRST + i]))
            order.push_back(SK2_KEY_TABLE[SK2_BITMAP_FIRST + i]);
    for (const auto& [key, path] : bmpFiles) {
        const TSk2KeyKind kind = Sk2KeyKind(key.c_str());
        if (kind == TSk2KeyKind::Bitmap)
            continue;
        if (kind != TSk2KeyKind::Unknown) {
            std::fprintf(err, "kvtool: %s: %s is not a bitmap key\n", path.c_str(), key.c_str());
            return KV_EXIT_FAILED;
        }
        std::fprintf(err, "kvtool: warning: %s is not a key the components read\n", key.c_str());
        order.push_back(key);
    }

    std::vector<TKvValue> values;
    for (const auto& key : order) {
        const std::string& path = bmpFiles[key];
        std::vector<uint8_t> bytes;
        if (!KvReadFile(path, bytes)) {
            std::fprintf(err, "kvtool: %s: %s\n", path.c_str(), std::strerror(errno));
            return KV_EXIT_FAILED;
        }
        try {
            TBitmap probe;
            probe.LoadFromMemory(bytes.data(), bytes.size());
        } catch (const std::exception& e) {
            std::fprintf(err, "kvtool: %s: not a Windows bitmap (%s)\n", path.c_str(), e.what());
            return KV_EXIT_FAILED;
        }
        values.push_back(KvBitmapValue(key, std::move(bytes)));
    }

    const std::string valuesPath = Str(dir.filePath(QStringLiteral("values.txt")));
    std::vector<uint8_t> text;
    if (QFileInfo(QString::fromStdString(valuesPath)).exists()) {
        if (!KvReadFile(valuesPath, text)) {
            std::fprintf(err, "kvtool: %s: %s\n", valuesPath.c_str(), std::strerror(errno));
            return KV_EXIT_FAILED;
        }
        std::vector<TKvEntry> entries;
        std::string error;
        if (!KvParseValues(std::string(text.begin(), text.end()), entries, error)) {
            std::fprintf(err, "kvtool: %s: %s\n", valuesPath.c_str(), error.c_str());
            return KV_EXIT_FAILED;
        }
        for (const auto& e : entries) {
            // Unknown integer and flag keys are likely typing mistakes; extra strings are notes.
            if (Sk2KeyKind(e.Key.c_str()) == TSk2KeyKind::Unknown && e.Kind != TKvKind::String)
                std::fprintf(err, "kvtool: warning: %s is not a key the components read\n", e.Key.c_str());
            switch (e.Kind) {
            case TKvKind::Integer: values.push_back(KvIntValue(e.Key, e.Int)); break;
            case TKvKind::Flag: values.push_back(KvFlagValue(e.Key, e.Flag)); break;
            case TKvKind::String: values.push_back(KvStringValue(e.Key, e.Str)); break;
            }
        }
    } else {
        std::fprintf(err, "kvtool: warning: %s has no values.txt\n", Folder.c_str());
    }

    std::vector<uint8_t> archive;
    try {
        const std::vector<uint8_t> data = KvBuildSkinData(values);
        TKvArchiveOptions ao;
        ao.Password = Options.Password;
        ao.CheckByteFromTime = Options.TimeCheck;
        ao.Level = Options.Level;
        archive = KvBuildArchive(data, ao);
    } catch (const std::exception& e) {
        std::fprintf(err, "kvtool: %s\n", e.what());
        return KV_EXIT_FAILED;
    }
    if (!KvWriteFile(OutFile, archive)) {
        std::fprintf(err, "kvtool: %s: %s\n", OutFile.c_str(), std::strerror(errno));
        return KV_EXIT_FAILED;
    }
    std::fprintf(out, "%s: %zu values (%zu bitmaps), %zu bytes%s\n", OutFile.c_str(), values.size(), order.size(),
                 archive.size(), Options.Password.empty() ? "" : ", encrypted");
    return KV_EXIT_OK;
}

int KvUnpack(const std::string& SkinFile, const std::string& Folder, const TKvOptions& Options, FILE* out, FILE* err)
{
    std::unique_ptr<Tsk2SkinFileReader> reader;
    const TLoad l = LoadSkin(SkinFile, Options, reader, err);
    if (l != TLoad::Ok)
        return LoadExit(l);

    const QString folder = QString::fromStdString(Folder);
    const QFileInfo fi(folder);
    if (fi.exists() && !fi.isDir()) {
        std::fprintf(err, "kvtool: %s: exists and is not a folder\n", Folder.c_str());
        return KV_EXIT_FAILED;
    }
    if (!QDir().mkpath(folder)) {
        std::fprintf(err, "kvtool: %s: cannot create the folder\n", Folder.c_str());
        return KV_EXIT_FAILED;
    }
    const QDir dir(folder);

    const TStringList& bitmaps = reader->BitmapList();
    int written = 0;
    for (int i = 0; i < bitmaps.Count(); ++i) {
        const std::string key = Str(bitmaps[i]);
        if (!SafeFileKey(key)) {
            std::fprintf(err, "kvtool: warning: bitmap key \"%s\" cannot be a file name; skipped\n", KvEscapeLine(key).c_str());
            continue;
        }
        auto* bmp = static_cast<TBitmap*>(bitmaps.Objects(i));
        const QByteArray bytes = bmp->SaveToBytes();
        const std::string path = Str(dir.filePath(QString::fromStdString(key) + QStringLiteral(".bmp")));
        if (!KvWriteFile(path, std::vector<uint8_t>(bytes.begin(), bytes.end()))) {
            std::fprintf(err, "kvtool: %s: %s\n", path.c_str(), std::strerror(errno));
            return KV_EXIT_FAILED;
        }
        ++written;
    }

    std::vector<TKvEntry> entries;
    auto collect = [&](const TStringList& list, TKvKind kind) {
        for (int i = 0; i < list.Count(); ++i) {
            TKvEntry e;
            e.Key = Str(list.Names(i));
            e.Kind = kind;
            const String v = list.ValueFromIndex(i);
            if (kind == TKvKind::Integer)
                e.Int = StrToIntDef(v, -1);
            else if (kind == TKvKind::Flag)
                e.Flag = uint8_t(StrToIntDef(v, 0));
            else
                e.Str = Str(v);
            bool ok = !e.Key.empty() && e.Key.size() <= 64;
            for (char c : e.Key)
                ok = ok && (std::isalnum((unsigned char)c) || c == '_' || c == '.' || c == '-');
            if (!ok) {
                std::fprintf(err, "kvtool: warning: key \"%s\" cannot be written to values.txt; skipped\n",
                             KvEscapeLine(e.Key).c_str());
                continue;
            }
            entries.push_back(std::move(e));
        }
    };
    collect(reader->IntegerList(), TKvKind::Integer);
    collect(reader->BoolList(), TKvKind::Flag);
    collect(reader->StringList(), TKvKind::String);
    const std::string text = KvFormatValues(entries);
    const std::string valuesPath = Str(dir.filePath(QStringLiteral("values.txt")));
    if (!KvWriteFile(valuesPath, std::vector<uint8_t>(text.begin(), text.end()))) {
        std::fprintf(err, "kvtool: %s: %s\n", valuesPath.c_str(), std::strerror(errno));
        return KV_EXIT_FAILED;
    }
    std::fprintf(out, "%s: %d bitmaps, %zu values\n", Folder.c_str(), written, entries.size());
    return KV_EXIT_OK;
}

int KvDump(const std::string& SkinFile, const TKvOptions& Options, FILE* out, FILE* err)
{
    std::unique_ptr<Tsk2SkinFileReader> reader;
    const TLoad l = LoadSkin(SkinFile, Options, reader, err);
    if (l != TLoad::Ok)
        return LoadExit(l);

    const TStringList& bitmaps = reader->BitmapList();
    for (int i = 0; i < bitmaps.Count(); ++i) {
        auto* bmp = static_cast<TBitmap*>(bitmaps.Objects(i));
        std::fprintf(out, "%s\tbitmap\t%dx%d\n", KvEscapeLine(Str(bitmaps[i])).c_str(), bmp ? bmp->Width() : 0,
                     bmp ? bmp->Height() : 0);
    }
    auto lines = [&](const TStringList& list, const char* kind, bool flag) {
        for (int i = 0; i < list.Count(); ++i) {
            const String name = list.Names(i);
            const String text = list.ValueFromIndex(i);
            const std::string value = flag ? std::string(1, StrToIntDef(text, 0) != 0 ? '1' : '0') : Str(text);
            std::fprintf(out, "%s\t%s\t%s\n", KvEscapeLine(Str(name)).c_str(), kind, KvEscapeLine(value).c_str());
        }
    };
    lines(reader->IntegerList(), "int", false);
    lines(reader->BoolList(), "bool", true);
    lines(reader->StringList(), "string", false);
    return KV_EXIT_OK;
}

int KvCheck(const std::string& SkinFile, const TKvOptions& Options, FILE* out, FILE* err)
{
    std::unique_ptr<Tsk2SkinFileReader> reader;
    const TLoad l = LoadSkin(SkinFile, Options, reader, err);
    if (l != TLoad::Ok)
        return LoadExit(l);

    auto has = [&](const char* key, TSk2KeyKind kind) {
        const String k = QString::fromLatin1(key);
        switch (kind) {
        case TSk2KeyKind::Bitmap: return reader->GetBitmap(k) != nullptr;
        case TSk2KeyKind::Color:
        case TSk2KeyKind::Int: return reader->IntegerList().IndexOfName(k) >= 0;
        case TSk2KeyKind::Bool: return reader->BoolList().IndexOfName(k) >= 0;
        default: return false;
        }
    };
    int missing = 0, optional = 0;
    for (int i = 0; i < SK2_KEY_COUNT; ++i) {
        const char* key = SK2_KEY_TABLE[i];
        if (has(key, Sk2KeyKind(key)))
            continue;
        if (KvKeyIsNeeded(key)) {
            std::fprintf(out, "missing\t%s\n", key);
            ++missing;
        } else {
            std::fprintf(out, "optional\t%s\n", key);
            ++optional;
        }
    }
    for (const auto& rule : kFrameRules) {
        const TBitmap* b = reader->GetBitmap(QString::fromLatin1(rule.Key));
        const int length = b ? (rule.AlongHeight ? b->Height() : b->Width()) : 0;
        if (b && length % rule.Frames != 0)
            std::fprintf(out, "warning\t%s: %s %d is not a multiple of its %d frames\n", rule.Key,
                         rule.AlongHeight ? "height" : "width", length, rule.Frames);
    }
    if (missing)
        std::fprintf(err, "kvtool: %s: %d keys the components need are missing\n", SkinFile.c_str(), missing);
    else
        std::fprintf(out, "ok\t%s has every key the components need%s\n", SkinFile.c_str(),
                     optional ? " (some optional keys are absent)" : "");
    return missing ? KV_EXIT_MISSING : KV_EXIT_OK;
}
