// TJPEGImage: a JPEG picture, decoded with libjpeg into a bitmap for drawing. The original file bytes
// are kept and written back unchanged by SaveToStream.
#pragma once

#include "framework/Graphics.h"

#include <QByteArray>
#include <memory>

class TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;

    int Width() const override;
    int Height() const override;
    // A JPEG picture cannot be resized; the setters are ignored.
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    bool Empty() const override { return FData.isEmpty(); }

    // Always drawn opaque: a JPEG picture has no transparent colour.
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

    // Reads the rest of the stream as one JPEG file; corrupt data raises EInvalidGraphic and leaves the
    // picture as it was.
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;
    void LoadFromBytes(const QByteArray& bytes);
    const QByteArray& Data() const { return FData; }

    // 1..100, used when a bitmap is assigned and compressed.
    int CompressionQuality() const { return FQuality; }
    void SetCompressionQuality(int v);

    // The decoded picture (owned by the image; empty when the image is).
    TBitmap* Bitmap();

    // From a TJPEGImage: copies it; from a TBitmap: compresses it; nullptr empties.
    void Assign(const TPersistent* Source) override;
    String ClassName() const override { return QStringLiteral("TJPEGImage"); }

protected:
    void AssignTo(TPersistent* Dest) const override;

private:
    QByteArray FData;
    std::unique_ptr<TBitmap> FBitmap;
    int FQuality = 90;
};
