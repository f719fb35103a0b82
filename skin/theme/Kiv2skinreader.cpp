#include "skin/theme/Kiv2skinreader.h"

#include "framework/Graphics.h"
#include "framework/Strings.h"
#include "framework/SysUtils.h"
#include "skin/theme/Kiv2skinreaderRecords.h"
#include "skin/theme/Kiv2skinreaderTemp.h"
#include "skin/theme/Kiv2skinreaderZip.h"

#include <QFile>
#include <QSet>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Closes a descriptor when leaving the scope.
struct TFdCloser {
    int Fd;
    ~TFdCloser()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
};

[[noreturn]] void Fail(TSk2Status s) { throw ESkinFileError(s); }

// Notes a name in a list's set of case-folded names; false when it is there already (the first
// record of a name wins). Sets keep loading linear in the number of records.
bool NoteName(QSet<QString>& seen, const String& name)
{
    const QString key = name.toCaseFolded();
    if (seen.contains(key))
        return false;
    seen.insert(key);
    return true;
}

String TextOf(const std::vector<uint8_t>& bytes)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

}  // namespace

Tsk2SkinFileReader::Tsk2SkinFileReader(const String& FileName, const String& Password)
    : FBitmapList(std::make_unique<TStringList>(true)),
      FIntegerList(std::make_unique<TStringList>()),
      FBoolList(std::make_unique<TStringList>()),
      FStringList(std::make_unique<TStringList>())
{
    LoadSkin(FileName, Password.toStdString());
}

Tsk2SkinFileReader::Tsk2SkinFileReader(TSk2RandomSource& Skin, const TSk2PasswordBytes& Password)
    : FBitmapList(std::make_unique<TStringList>(true)),
      FIntegerList(std::make_unique<TStringList>()),
      FBoolList(std::make_unique<TStringList>()),
      FStringList(std::make_unique<TStringList>())
{
    LoadSkin(Skin, Password.Bytes);
}

// The bitmap list owns its bitmaps: they go with it, then the other lists.
Tsk2SkinFileReader::~Tsk2SkinFileReader() = default;

void Tsk2SkinFileReader::LoadSkin(const String& FileName, const std::string& Password)
{
    FLoaded = false;

    if (FileName.isEmpty() || !FileExists(FileName))
        Fail(TSk2Status::FileMissing);
    int fd;
    do {
        // Non-blocking, so that a FIFO under the name cannot stall the load; only regular files
        // pass the source's check below.
        fd = ::open(QFile::encodeName(FileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        Fail(TSk2Status::ReadError);
    TFdCloser closeSkin{fd};
    TSk2FdSource skin(fd);
    if (!skin.Valid())
        Fail(TSk2Status::ReadError);
    LoadSkin(skin, Password);
}

void Tsk2SkinFileReader::LoadSkin(TSk2RandomSource& skin, const std::string& Password)
{
    FLoaded = false;

    // The skin data goes to a temporary file named by a fresh GUID; it is removed on every path.
    TSk2TempFile temp;
    if (!temp.Create(Kiv2sys::GetTempPath() + Kiv2sys::GUIDToString(Kiv2sys::CoCreateGuid())))
        Fail(TSk2Status::WriteError);
    {
        TSk2FdSink sink(temp.Fd());
        const TSk2Status st = Sk2ExtractSkinData(skin, Password, sink);
        if (Sk2IsPasswordProblem(st))
            return;  // quietly not loaded
        if (st != TSk2Status::Ok)
            Fail(st);
    }

    TSk2FdSource data(temp.Fd());
    if (!data.Valid())
        Fail(TSk2Status::ReadError);
    std::vector<uint8_t> bytes;
    QSet<QString> bitmapNames, integerNames, flagNames, stringNames;
    TSk2PixelBudget pixels;
    try {
        const TSk2Status st = Sk2WalkRecords(data, [&](const TSk2Record& r) {
            const String name = QString::fromUtf8(r.Name.data(), qsizetype(r.Name.size()));
            // The first record of a name wins; later ones are not even decoded.
            switch (r.Kind) {
            case sk2Bitmap: {
                if (!NoteName(bitmapNames, name))
                    return TSk2Status::Ok;
                if (!Sk2ReadValue(data, r, bytes))
                    return TSk2Status::ReadError;
                if (!pixels.Charge(bytes.data(), bytes.size()))
                    return TSk2Status::ValuesTooLarge;
                auto bmp = std::make_unique<TBitmap>();
                bmp->LoadFromMemory(bytes.data(), bytes.size());
                FBitmapList->AddObject(name, bmp.release());
                break;
            }
            case sk2Integer:
                if (!NoteName(integerNames, name))
                    return TSk2Status::Ok;
                if (!Sk2ReadValue(data, r, bytes))
                    return TSk2Status::ReadError;
                FIntegerList->Add(name + QLatin1Char('=') + IntToStr(int32_t(Sk2Le32(bytes.data()))));
                break;
            case sk2Flag:
                if (!NoteName(flagNames, name))
                    return TSk2Status::Ok;
                if (!Sk2ReadValue(data, r, bytes))
                    return TSk2Status::ReadError;
                FBoolList->Add(name + QLatin1Char('=') + IntToStr(int(bytes[0])));
                break;
            case sk2String:
                if (!NoteName(stringNames, name))
                    return TSk2Status::Ok;
                if (!Sk2ReadValue(data, r, bytes))
                    return TSk2Status::ReadError;
                FStringList->Add(name + QLatin1Char('=') + TextOf(bytes));
                break;
            default:
                break;  // unknown kinds carry nothing the reader uses
            }
            return TSk2Status::Ok;
        });
        if (st != TSk2Status::Ok)
            Fail(st);
    } catch (const ESkinFileError&) {
        throw;
    } catch (const Exception&) {
        // A bitmap value that is not a valid Windows bitmap, or a resource limit of the framework.
        Fail(TSk2Status::BadBitmap);
    }
    FLoaded = true;
}

TBitmap* Tsk2SkinFileReader::GetBitmap(const String& Name) const
{
    const int i = FBitmapList->IndexOf(Name);
    return i >= 0 ? static_cast<TBitmap*>(FBitmapList->Objects(i)) : nullptr;
}

int Tsk2SkinFileReader::GetInteger(const String& Name) const
{
    if (FIntegerList->IndexOfName(Name) < 0)
        return -1;
    return StrToIntDef(FIntegerList->Values(Name), -1);
}

bool Tsk2SkinFileReader::GetBool(const String& Name) const
{
    if (FBoolList->IndexOfName(Name) < 0)
        return false;
    return StrToIntDef(FBoolList->Values(Name), 0) != 0;
}

String Tsk2SkinFileReader::GetStr(const String& Name) const { return FStringList->Values(Name); }

void Tsk2SkinFileReader::SetBitmap(const String& Name, const TBitmap* Bitmap)
{
    if (TBitmap* b = GetBitmap(Name))
        b->Assign(Bitmap);
}

void Tsk2SkinFileReader::SetInteger(const String& Name, int Value) { FIntegerList->SetValue(Name, IntToStr(Value)); }

void Tsk2SkinFileReader::SetBool(const String& Name, bool Value)
{
    FBoolList->SetValue(Name, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

void Tsk2SkinFileReader::ProcessTransparentColor(TColor Color)
{
    for (int i = 0; i < FBitmapList->Count(); ++i) {
        auto* b = static_cast<TBitmap*>(FBitmapList->Objects(i));
        if (!b)
            continue;
        b->SetTransparentMode(tmFixed);
        b->SetTransparentColor(Color);
        b->SetTransparent(true);
    }
}
