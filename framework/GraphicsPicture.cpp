// TPicture: one owned graphic, loaded from bitmap or JPEG files.
#include "framework/Graphics.h"
#include "framework/Jpeg.h"
#include "framework/Streams.h"

#include <QFileInfo>

namespace {

enum class PictureKind { Unknown, Bitmap, Jpeg };

PictureKind KindFromContent(const QByteArray& b)
{
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M')
        return PictureKind::Bitmap;
    if (b.size() >= 3 && uint8_t(b[0]) == 0xFF && uint8_t(b[1]) == 0xD8 && uint8_t(b[2]) == 0xFF)
        return PictureKind::Jpeg;
    return PictureKind::Unknown;
}

PictureKind KindFromExtension(const QString& ext)
{
    const QString e = ext.toLower();
    if (e == QLatin1String("bmp") || e == QLatin1String("dib"))
        return PictureKind::Bitmap;
    if (e == QLatin1String("jpg") || e == QLatin1String("jpeg") || e == QLatin1String("jpe") ||
        e == QLatin1String("jfif"))
        return PictureKind::Jpeg;
    return PictureKind::Unknown;
}

std::unique_ptr<TGraphic> NewGraphic(PictureKind k)
{
    if (k == PictureKind::Jpeg)
        return std::make_unique<TJPEGImage>();
    return std::make_unique<TBitmap>();
}

std::unique_ptr<TGraphic> NewGraphicLike(const TGraphic* g)
{
    if (dynamic_cast<const TJPEGImage*>(g))
        return std::make_unique<TJPEGImage>();
    if (dynamic_cast<const TBitmap*>(g))
        return std::make_unique<TBitmap>();
    return nullptr;
}

}  // namespace

TPicture::TPicture() = default;

TPicture::~TPicture()
{
    if (FGraphic)
        FGraphic->OnChange = nullptr;
}

void TPicture::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TPicture::Adopt(std::unique_ptr<TGraphic> g)
{
    if (FGraphic)
        FGraphic->OnChange = nullptr;
    FGraphic = std::move(g);
    if (FGraphic)
        FGraphic->OnChange = [this](TObject*) { Changed(); };
    Changed();
}

void TPicture::SetGraphic(const TGraphic* v)
{
    if (v == FGraphic.get() && v)
        return;
    if (!v) {
        Adopt(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> g = NewGraphicLike(v);
    if (!g)
        throw EInvalidGraphic(QStringLiteral("Unsupported graphic class %1").arg(v->ClassName()));
    g->Assign(v);
    g->SetTransparent(v->Transparent());
    Adopt(std::move(g));
}

TBitmap* TPicture::Bitmap()
{
    if (!dynamic_cast<TBitmap*>(FGraphic.get()))
        Adopt(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::LoadFromFile(const String& FileName)
{
    QByteArray bytes;
    {
        TFileStream s(FileName, fmOpenRead | fmShareDenyWrite);
        bytes = s.ReadAll();
    }
    PictureKind kind = KindFromContent(bytes);
    if (kind == PictureKind::Unknown) {
        const QString ext = QFileInfo(FileName).suffix();
        kind = KindFromExtension(ext);
        if (kind == PictureKind::Unknown)
            throw EInvalidGraphic(QStringLiteral("Unknown picture file extension (.%1)").arg(ext));
    }
    std::unique_ptr<TGraphic> g = NewGraphic(kind);
    TBytesStream s(bytes);
    g->LoadFromStream(&s);
    Adopt(std::move(g));
}

void TPicture::LoadFromStream(TStream* Stream)
{
    if (!Stream)
        return;
    const int64_t start = Stream->Position();
    const QByteArray bytes = Stream->ReadAll();
    const PictureKind kind = KindFromContent(bytes);
    if (kind == PictureKind::Unknown)
        throw EInvalidGraphic(QStringLiteral("Unsupported picture format"));
    Stream->SetPosition(start);
    std::unique_ptr<TGraphic> g = NewGraphic(kind);
    g->LoadFromStream(Stream);
    Adopt(std::move(g));
}

void TPicture::SaveToFile(const String& FileName)
{
    if (FGraphic)
        FGraphic->SaveToFile(FileName);
}

void TPicture::SaveToStream(TStream* Stream)
{
    if (FGraphic)
        FGraphic->SaveToStream(Stream);
}

void TPicture::Assign(const TPersistent* Source)
{
    if (Source == this)
        return;
    if (!Source) {
        SetGraphic(nullptr);
        return;
    }
    if (auto p = dynamic_cast<const TPicture*>(Source)) {
        SetGraphic(p->Graphic());
        return;
    }
    if (auto g = dynamic_cast<const TGraphic*>(Source)) {
        SetGraphic(g);
        return;
    }
    TPersistent::Assign(Source);
}

void TPicture::AssignTo(TPersistent* Dest) const
{
    if (auto g = dynamic_cast<TGraphic*>(Dest)) {
        g->Assign(FGraphic.get());
        return;
    }
    TPersistent::AssignTo(Dest);
}
