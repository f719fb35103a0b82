// TBitmap: pixels in a QImage (always 32-bit RGB), its canvas, transparency, and bitmap files.
#include "framework/Graphics.h"
#include "framework/GraphicsBmpCodec.h"
#include "framework/Resources.h"
#include "framework/Streams.h"

#include <QPainter>
#include <cstring>

namespace {

const QString InvalidBitmap = QStringLiteral("Bitmap image is not valid");

}  // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int AWidth, int AHeight)
{
    SetSize(AWidth, AHeight);
    SetModified(false);
}

TBitmap::~TBitmap()
{
    FCanvas.reset();  // ends any painter before the pixels go
}

void TBitmap::ReleaseCanvasPainter() const
{
    if (FCanvas)
        FCanvas->ReleaseBitmapPainter();
}

void TBitmap::Changed()
{
    TGraphic::Changed();
}

TCanvas* TBitmap::Canvas()
{
    if (!FCanvas) {
        FCanvas.reset(new TCanvas(this));
        FCanvas->OnChange = [this](TObject*) { Changed(); };
    }
    return FCanvas.get();
}

void TBitmap::SetSize(int AWidth, int AHeight)
{
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    if (AWidth == FWidth && AHeight == FHeight)
        return;
    if (AWidth > MaxBitmapSide || AHeight > MaxBitmapSide || int64_t(AWidth) * AHeight > MaxBitmapPixels)
        throw EOutOfResources(QStringLiteral("Out of system resources"));
    ReleaseCanvasPainter();
    QImage next;
    if (AWidth > 0 && AHeight > 0) {
        next = QImage(AWidth, AHeight, QImage::Format_RGB32);
        if (next.isNull())
            throw EOutOfResources(QStringLiteral("Out of system resources"));
        next.fill(Qt::white);
        if (!FImage.isNull()) {
            // The pixels that stay inside are kept.
            const int cw = std::min(AWidth, FImage.width()), ch = std::min(AHeight, FImage.height());
            for (int y = 0; y < ch; ++y)
                std::memcpy(next.scanLine(y), FImage.constScanLine(y), size_t(cw) * 4);
        }
    }
    FImage = next;
    FWidth = AWidth;
    FHeight = AHeight;
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat v)
{
    if (v == FPixelFormat)
        return;
    FPixelFormat = v;
    Changed();
}

TColor TBitmap::TransparentColor() const
{
    if (FTransparentMode == tmFixed && FTransparentColor != clDefault)
        return FTransparentColor;
    if (FImage.isNull())
        return clWhite;
    ReleaseCanvasPainter();
    // Automatic: the bottom-left pixel.
    return QRgbToColor(reinterpret_cast<const QRgb*>(FImage.constScanLine(FImage.height() - 1))[0]);
}

void TBitmap::SetTransparentColor(TColor v)
{
    if (v == FTransparentColor && FTransparentMode == (v == clDefault ? tmAuto : tmFixed))
        return;
    FTransparentColor = v;
    FTransparentMode = v == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode v)
{
    if (v == FTransparentMode)
        return;
    if (v == tmAuto) {
        FTransparentColor = clDefault;
        FTransparentMode = tmAuto;
    } else {
        // Fixing the mode keeps the colour that is in effect now.
        const TColor c = TransparentColor();
        FTransparentMode = tmFixed;
        FTransparentColor = c;
    }
    Changed();
}

void TBitmap::Assign(const TPersistent* Source)
{
    if (Source == this)
        return;
    if (!Source) {
        ReleaseCanvasPainter();
        FImage = QImage();
        FWidth = FHeight = 0;
        Changed();
        return;
    }
    if (auto b = dynamic_cast<const TBitmap*>(Source)) {
        ReleaseCanvasPainter();
        b->ReleaseCanvasPainter();
        FImage = b->FImage;  // shared until either side draws
        FWidth = b->FWidth;
        FHeight = b->FHeight;
        FPixelFormat = b->FPixelFormat;
        FTransparent = b->FTransparent;
        FTransparentMode = b->FTransparentMode;
        FTransparentColor = b->FTransparentColor;
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect)
{
    if (!ACanvas || Empty())
        return;
    // Drawing onto its own canvas reads from a snapshot.
    const bool self = ACanvas == FCanvas.get() || ACanvas->DrawsOnto(&FImage);
    const QImage src = self ? Image().copy() : Image();
    const TColor key = FTransparent ? (ColorToRGB(TransparentColor()) & 0xFFFFFF) : TColor(-1);
    ACanvas->StretchBltImage(Rect, src, src.rect(), FTransparent ? SRCCOPY : uint32_t(ACanvas->CopyMode()), key);
}

void TBitmap::LoadFromMemory(const void* data, size_t size)
{
    if (size == 0) {
        Assign(nullptr);  // no data: an empty bitmap
        return;
    }
    TDecodedBitmap d;
    if (!DecodeBitmapFile(static_cast<const uint8_t*>(data), size, d))
        throw EInvalidGraphic(InvalidBitmap);
    ReleaseCanvasPainter();
    FImage = std::move(d.Image);
    FWidth = FImage.width();
    FHeight = FImage.height();
    FPixelFormat = d.PixelFormat;
    Changed();
}

void TBitmap::LoadFromStream(TStream* Stream)
{
    if (!Stream)
        return;
    const int64_t start = Stream->Position();
    const QByteArray bytes = Stream->ReadAll();
    if (bytes.isEmpty()) {
        Assign(nullptr);
        return;
    }
    TDecodedBitmap d;
    if (!DecodeBitmapFile(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), d))
        throw EInvalidGraphic(InvalidBitmap);
    Stream->SetPosition(start + int64_t(d.Consumed));  // a stream may hold more after the bitmap
    ReleaseCanvasPainter();
    FImage = std::move(d.Image);
    FWidth = FImage.width();
    FHeight = FImage.height();
    FPixelFormat = d.PixelFormat;
    Changed();
}

QByteArray TBitmap::SaveToBytes()
{
    if (Empty())
        return QByteArray();
    return EncodeBitmapFile(Image(), FPixelFormat == pf32bit);
}

void TBitmap::SaveToStream(TStream* Stream)
{
    if (!Stream)
        return;
    const QByteArray bytes = SaveToBytes();
    if (!bytes.isEmpty())
        Stream->WriteBuffer(bytes.constData(), bytes.size());
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const String& ResName)
{
    QByteArray data;
    if (!FindBitmapResource(ResName, data))
        throw EResNotFound(QStringLiteral("Resource %1 not found").arg(ResName));
    LoadFromMemory(data.constData(), size_t(data.size()));
}

uint8_t* TBitmap::ScanLine(int y)
{
    if (FImage.isNull() || y < 0 || y >= FImage.height())
        throw EInvalidGraphic(QStringLiteral("Scan line index out of range"));
    ReleaseCanvasPainter();
    return FImage.scanLine(y);
}

QImage& TBitmap::Image()
{
    ReleaseCanvasPainter();
    return FImage;
}

const QImage& TBitmap::Image() const
{
    ReleaseCanvasPainter();
    return FImage;
}

void TBitmap::SetImage(const QImage& image)
{
    if (image.width() > MaxBitmapSide || image.height() > MaxBitmapSide ||
        int64_t(image.width()) * image.height() > MaxBitmapPixels)
        throw EOutOfResources(QStringLiteral("Out of system resources"));
    ReleaseCanvasPainter();
    FImage = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
    FWidth = FImage.width();
    FHeight = FImage.height();
    Changed();
}
