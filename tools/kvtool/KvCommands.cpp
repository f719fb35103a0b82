#include "tools/kvtool/KvCommands.h"

#include "framework/Graphics.h"
#include "framework/Strings.h"
#include "framework/SysUtils.h"
#include "skin/theme/Kiv2define.h"
#include "skin/theme/Kiv2skinreader.h"
#include "skin/theme/Kiv2skinreaderRecords.h"
#include "skin/theme/Kiv2skinreaderZip.h"
#include "tools/kvtool/KvFiles.h"
#include "tools/kvtool/KvSkinWriter.h"
#include "tools/kvtool/KvValuesFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

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

// True when reading failed while decoding the data of an encrypted skin entry. Only the
// container's headers are read again, however large the file.
bool EncryptedDataError(TSk2RandomSource& file, TSk2Status reason)
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
    TSk2ZipEntry entry;
    return Sk2FindSkinEntry(file, entry) == TSk2Status::Ok && (entry.Flags & SK2_FLAG_ENCRYPTED);
}

// Loads a skin through the system's reader and reports problems on err. The file is opened here
// (its name as bytes, a regular file only) and handed to the reader open, with the password as
// the bytes the command line gave.
TLoad LoadSkin(const std::string& file, const TKvOptions& o, std::unique_ptr<Tsk2SkinFileReader>& reader, FILE* err)
{
    std::string problem;
    uint64_t size = 0;
    const int fd = KvOpenRegular(AT_FDCWD, file, true, size, problem);
    if (fd < 0) {
        std::fprintf(err, "%s\nkvtool: %s: %s\n", Str(SSkinFileReadError).c_str(), file.c_str(), problem.c_str());
        return TLoad::Failed;
    }
    struct TCloser {
        int Fd;
        ~TCloser() { ::close(Fd); }
    } closer{fd};
    TSk2FdSource source(fd);
    if (!source.Valid()) {
        std::fprintf(err, "%s\nkvtool: %s: %s\n", Str(SSkinFileReadError).c_str(), file.c_str(),
                     Sk2StatusText(TSk2Status::ReadError));
        return TLoad::Failed;
    }
    try {
        reader = std::make_unique<Tsk2SkinFileReader>(source, TSk2PasswordBytes{o.Password});
    } catch (const ESkinFileError& e) {
        // Data that does not decode behind a password that passed the one-byte check is most
        // likely a wrong password.
        if (!o.Password.empty() && EncryptedDataError(source, e.Reason())) {
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

// A bitmap file of a source folder: KEY.bmp, the suffix in any letter case.
bool BitmapFileKey(const std::string& name, std::string& key)
{
    if (name.size() < 4)
        return false;
    const std::string suffix = name.substr(name.size() - 4);
    if (suffix[0] != '.' || std::tolower((unsigned char)suffix[1]) != 'b' || std::tolower((unsigned char)suffix[2]) != 'm' ||
        std::tolower((unsigned char)suffix[3]) != 'p')
        return false;
    key = name.substr(0, name.size() - 4);
    return true;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
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
    std::string problem;
    TKvFolder dir;
    if (!dir.Open(Folder, false, problem)) {
        std::fprintf(err, "kvtool: %s: %s\n", Folder.c_str(), problem.c_str());
        return KV_EXIT_FAILED;
    }
    std::vector<std::string> names;
    if (!dir.List(names, problem)) {
        std::fprintf(err, "kvtool: %s: %s\n", Folder.c_str(), problem.c_str());
        return KV_EXIT_FAILED;
    }
    std::sort(names.begin(), names.end());

    // Bitmaps: known keys in key-table order, then any other names sorted. Whatever a .bmp name
    // is (a folder, a FIFO, a link), it is read below, and refused there unless a regular file.
    std::map<std::string, std::string> bmpFiles;  // key -> name in the folder
    for (const std::string& name : names) {
        std::string key;
        if (!BitmapFileKey(name, key))
            continue;
        const std::string path = JoinPath(Folder, name);
        if (key.empty() || key.size() > SK2_NAME_SIZE) {
            std::fprintf(err, "kvtool: %s: a key has 1 to 64 characters\n", path.c_str());
            return KV_EXIT_FAILED;
        }
        if (!bmpFiles.emplace(key, name).second) {
            std::fprintf(err, "kvtool: %s: key %s appears twice\n", path.c_str(), key.c_str());
            return KV_EXIT_FAILED;
        }
    }
    std::vector<std::string> order;
    for (int i = 0; i < SK2_BITMAP_COUNT; ++i)
        if (bmpFiles.count(SK2_KEY_TABLE[SK2_BITMAP_FIRST + i]))
            order.push_back(SK2_KEY_TABLE[SK2_BITMAP_FIRST + i]);
    for (const auto& [key, name] : bmpFiles) {
        const TSk2KeyKind kind = Sk2KeyKind(key.c_str());
        if (kind == TSk2KeyKind::Bitmap)
            continue;
        if (kind != TSk2KeyKind::Unknown) {
            std::fprintf(err, "kvtool: %s: %s is not a bitmap key\n", JoinPath(Folder, name).c_str(), key.c_str());
            return KV_EXIT_FAILED;
        }
        std::fprintf(err, "kvtool: warning: %s is not a key the components read\n", key.c_str());
        order.push_back(key);
    }

    // Read every bitmap within the reader's limits: the bytes a skin may hold, and the pixels it
    // decodes, charged from each header before anything is decoded.
    std::vector<TKvValue> values;
    std::vector<std::string> paths;
    TSk2PixelBudget pixels;
    uint64_t total = 0;
    for (const auto& key : order) {
        const std::string& name = bmpFiles[key];
        const std::string path = JoinPath(Folder, name);
        std::vector<uint8_t> bytes;
        if (!KvReadRegular(dir.Fd(), name, false, SK2_MAX_DATA_SIZE, bytes, problem)) {
            std::fprintf(err, "kvtool: %s: %s\n", path.c_str(), problem.c_str());
            return KV_EXIT_FAILED;
        }
        total += bytes.size();
        if (total > SK2_MAX_DATA_SIZE) {
            std::fprintf(err, "kvtool: %s: the bitmaps come to more than the %llu bytes a skin may hold\n", path.c_str(),
                         (unsigned long long)SK2_MAX_DATA_SIZE);
            return KV_EXIT_FAILED;
        }
        if (!pixels.Charge(bytes.data(), bytes.size())) {
            std::fprintf(err,
                         "kvtool: %s: the bitmaps come to more than the %lld pixels the reader decodes for one skin "
                         "(each counts at least %lld)\n",
                         path.c_str(), (long long)SK2_MAX_SKIN_PIXELS, (long long)SK2_MIN_BITMAP_CHARGE);
            return KV_EXIT_FAILED;
        }
        values.push_back(KvBitmapValue(key, std::move(bytes)));
        paths.push_back(path);
    }
    for (size_t i = 0; i < values.size(); ++i) {
        try {
            TBitmap probe;
            probe.LoadFromMemory(values[i].Bytes.data(), values[i].Bytes.size());
        } catch (const std::exception& e) {
            std::fprintf(err, "kvtool: %s: not a Windows bitmap (%s)\n", paths[i].c_str(), e.what());
            return KV_EXIT_FAILED;
        }
    }

    const std::string valuesName = "values.txt";
    const std::string valuesPath = JoinPath(Folder, valuesName);
    mode_t valuesMode;
    if (dir.Exists(valuesName, valuesMode)) {
        std::vector<uint8_t> text;
        if (!KvReadRegular(dir.Fd(), valuesName, false, SK2_MAX_DATA_SIZE, text, problem)) {
            std::fprintf(err, "kvtool: %s: %s\n", valuesPath.c_str(), problem.c_str());
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
        if (data.size() > SK2_MAX_DATA_SIZE) {
            std::fprintf(err, "kvtool: %s: the skin data would be %zu bytes, more than the %llu a skin may hold\n",
                         Folder.c_str(), data.size(), (unsigned long long)SK2_MAX_DATA_SIZE);
            return KV_EXIT_FAILED;
        }
        TKvArchiveOptions ao;
        ao.Password = Options.Password;
        ao.CheckByteFromTime = Options.TimeCheck;
        ao.Level = Options.Level;
        archive = KvBuildArchive(data, ao);
    } catch (const std::exception& e) {
        std::fprintf(err, "kvtool: %s\n", e.what());
        return KV_EXIT_FAILED;
    }

    // The system's reader loads the skin before it is written: whatever it would refuse, pack
    // refuses.
    try {
        TSk2MemorySource source(archive.data(), archive.size());
        const Tsk2SkinFileReader check(source, TSk2PasswordBytes{Options.Password});
        if (!check.Loaded())
            throw ESkinFileError(TSk2Status::PasswordWrong);
    } catch (const ESkinFileError& e) {
        std::fprintf(err, "kvtool: %s: the skin reader would refuse this skin (%s); not written\n", OutFile.c_str(),
                     Sk2StatusText(e.Reason()));
        return KV_EXIT_FAILED;
    } catch (const std::exception& e) {
        std::fprintf(err, "kvtool: %s: the skin reader would refuse this skin (%s); not written\n", OutFile.c_str(),
                     e.what());
        return KV_EXIT_FAILED;
    }

    // Written through a temporary file in the same folder and renamed into place.
    std::string outFolder, outName;
    KvSplitPath(OutFile, outFolder, outName);
    TKvFolder outDir;
    if (outName.empty()) {
        std::fprintf(err, "kvtool: %s: names a folder, not a file\n", OutFile.c_str());
        return KV_EXIT_FAILED;
    }
    if (!outDir.Open(outFolder, false, problem)) {
        std::fprintf(err, "kvtool: %s: %s\n", outFolder.c_str(), problem.c_str());
        return KV_EXIT_FAILED;
    }
    if (!outDir.Replace(outName, archive, problem)) {
        std::fprintf(err, "kvtool: %s: %s\n", OutFile.c_str(), problem.c_str());
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

    // What to write: the bitmaps whose keys can be file names, then values.txt.
    struct TOutFile {
        std::string Name;
        std::vector<uint8_t> Bytes;
    };
    std::vector<TOutFile> files;
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
        files.push_back({key + ".bmp", std::vector<uint8_t>(bytes.begin(), bytes.end())});
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
    files.push_back({"values.txt", std::vector<uint8_t>(text.begin(), text.end())});

    std::string problem;
    TKvFolder dir;
    if (!dir.Open(Folder, true, problem)) {
        std::fprintf(err, "kvtool: %s: %s\n", Folder.c_str(), problem.c_str());
        return KV_EXIT_FAILED;
    }
    // Nothing is written while a file is in the way: a folder never is replaced, anything else
    // only with --force.
    bool blocked = false;
    for (const auto& f : files) {
        mode_t mode;
        if (!dir.Exists(f.Name, mode))
            continue;
        const std::string path = JoinPath(Folder, f.Name);
        if (S_ISDIR(mode)) {
            std::fprintf(err, "kvtool: %s: is a folder; not replaced\n", path.c_str());
            blocked = true;
        } else if (!Options.Force) {
            std::string kind = KvFileKindText(mode);
            if (kind.rfind("is ", 0) == 0)
                kind = " (" + kind.substr(3) + ")";
            std::fprintf(err, "kvtool: %s: exists%s; use --force to replace it\n", path.c_str(), kind.c_str());
            blocked = true;
        }
    }
    if (blocked)
        return KV_EXIT_FAILED;
    for (const auto& f : files) {
        const bool ok = Options.Force ? dir.Replace(f.Name, f.Bytes, problem) : dir.WriteNew(f.Name, f.Bytes, problem);
        if (!ok) {
            std::fprintf(err, "kvtool: %s: %s\n", JoinPath(Folder, f.Name).c_str(), problem.c_str());
            return KV_EXIT_FAILED;
        }
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
