#include "framework/Jpeg.h"
#include "framework/Streams.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the
// setjmp in the calling routine, which cleans up. Only C objects live in those routines, so no C++
// destructor is skipped by the jump.
struct JpegError {
    jpeg_error_mgr pub;
    jmp_buf jump;
    int code;
    int warnings;
};

constexpr int MaxJpegWarnings = 1000;  // corrupt data that keeps warning is treated as an error
constexpr int MaxJpegScans = 1000;     // progressive files with endless scans are refused
constexpr int ErrTooManyWarnings = -1, ErrTooManyScans = -2, ErrTooLarge = -3, ErrNoProgress = -4;

[[noreturn]] void JpegErrorExit(j_common_ptr c)
{
    auto* e = reinterpret_cast<JpegError*>(c->err);
    e->code = c->err->msg_code;
    longjmp(e->jump, 1);
}

void JpegEmitMessage(j_common_ptr c, int level)
{
    auto* e = reinterpret_cast<JpegError*>(c->err);
    if (level < 0 && ++e->warnings > MaxJpegWarnings) {
        e->code = ErrTooManyWarnings;
        longjmp(e->jump, 1);
    }
}

void JpegOutputMessage(j_common_ptr) {}

struct JpegProgress {
    jpeg_progress_mgr pub;
    JpegError* err;
};

void JpegProgressMonitor(j_common_ptr c)
{
    if (!c->is_decompressor)
        return;
    auto* d = reinterpret_cast<j_decompress_ptr>(c);
    if (d->input_scan_number > MaxJpegScans) {
        auto* p = reinterpret_cast<JpegProgress*>(c->progress);
        p->err->code = ErrTooManyScans;
        longjmp(p->err->jump, 1);
    }
}

struct RawImage {
    unsigned char* pixels;  // malloc'd, width * height * components
    int width;
    int height;
    int components;  // 3 (RGB) or 4 (CMYK)
    bool adobeInverted;
    int error;
};

// Decodes JPEG data to RGB (or CMYK) samples; false with raw->error set on failure.
bool DecodeJpegRaw(const unsigned char* data, unsigned long size, RawImage* raw)
{
    jpeg_decompress_struct cinfo;
    JpegError err;
    JpegProgress progress;
    raw->pixels = nullptr;
    raw->error = 0;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegErrorExit;
    err.pub.emit_message = JpegEmitMessage;
    err.pub.output_message = JpegOutputMessage;
    err.code = 0;
    err.warnings = 0;
    if (setjmp(err.jump)) {
        raw->error = err.code;
        jpeg_destroy_decompress(&cinfo);
        std::free(raw->pixels);
        raw->pixels = nullptr;
        return false;
    }
    jpeg_create_decompress(&cinfo);
    progress.pub.progress_monitor = JpegProgressMonitor;
    progress.err = &err;
    cinfo.progress = &progress.pub;
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > unsigned(MaxBitmapSide) ||
        cinfo.image_height > unsigned(MaxBitmapSide) ||
        int64_t(cinfo.image_width) * cinfo.image_height > MaxBitmapPixels) {
        err.code = ErrTooLarge;
        longjmp(err.jump, 1);
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&cinfo);
    raw->width = int(cinfo.output_width);
    raw->height = int(cinfo.output_height);
    raw->components = cinfo.output_components;
    raw->adobeInverted = cmyk && cinfo.saw_Adobe_marker;
    const size_t rowBytes = size_t(raw->width) * size_t(raw->components);
    raw->pixels = static_cast<unsigned char*>(std::malloc(rowBytes * size_t(raw->height)));
    if (!raw->pixels) {
        err.code = ErrTooLarge;
        longjmp(err.jump, 1);
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = raw->pixels + rowBytes * cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
            err.code = ErrNoProgress;
            longjmp(err.jump, 1);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// Compresses RGB samples; the output buffer is malloc'd by libjpeg.
bool EncodeJpegRaw(const unsigned char* rgb, int width, int height, int quality, unsigned char** out,
                   unsigned long* outSize, int* error)
{
    jpeg_compress_struct cinfo;
    JpegError err;
    *out = nullptr;
    *outSize = 0;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegErrorExit;
    err.pub.emit_message = JpegEmitMessage;
    err.pub.output_message = JpegOutputMessage;
    err.code = 0;
    err.warnings = 0;
    if (setjmp(err.jump)) {
        *error = err.code;
        jpeg_destroy_compress(&cinfo);
        std::free(*out);
        *out = nullptr;
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    const size_t rowBytes = size_t(width) * 3;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(rgb) + rowBytes * cinfo.next_scanline;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

[[noreturn]] void RaiseJpegError(int code)
{
    throw EInvalidGraphic(QStringLiteral("JPEG error #%1").arg(code));
}

}  // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

int TJPEGImage::Width() const
{
    return FBitmap ? FBitmap->Width() : 0;
}

int TJPEGImage::Height() const
{
    return FBitmap ? FBitmap->Height() : 0;
}

void TJPEGImage::SetCompressionQuality(int v)
{
    FQuality = std::clamp(v, 1, 100);
}

TBitmap* TJPEGImage::Bitmap()
{
    if (!FBitmap)
        FBitmap = std::make_unique<TBitmap>();
    return FBitmap.get();
}

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& Rect)
{
    if (ACanvas && FBitmap && !FBitmap->Empty())
        FBitmap->Draw(ACanvas, Rect);
}

void TJPEGImage::LoadFromBytes(const QByteArray& bytes)
{
    if (bytes.isEmpty()) {
        FData.clear();
        FBitmap.reset();
        Changed();
        return;
    }
    RawImage raw{};
    if (!DecodeJpegRaw(reinterpret_cast<const unsigned char*>(bytes.constData()), (unsigned long)bytes.size(), &raw))
        RaiseJpegError(raw.error);
    QImage img(raw.width, raw.height, QImage::Format_RGB32);
    if (img.isNull()) {
        std::free(raw.pixels);
        RaiseJpegError(ErrTooLarge);
    }
    for (int y = 0; y < raw.height; ++y) {
        const unsigned char* s = raw.pixels + size_t(y) * raw.width * raw.components;
        QRgb* d = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < raw.width; ++x) {
            if (raw.components == 4) {
                // Adobe files store CMYK inverted; black scales the other three.
                int c = s[4 * x], m = s[4 * x + 1], ye = s[4 * x + 2], k = s[4 * x + 3];
                if (!raw.adobeInverted) {
                    c = 255 - c;
                    m = 255 - m;
                    ye = 255 - ye;
                    k = 255 - k;
                }
                d[x] = qRgb(c * k / 255, m * k / 255, ye * k / 255);
            } else {
                d[x] = qRgb(s[3 * x], s[3 * x + 1], s[3 * x + 2]);
            }
        }
    }
    std::free(raw.pixels);
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetImage(img);
    bmp->SetPixelFormat(pf24bit);
    FData = bytes;
    FBitmap = std::move(bmp);
    Changed();
}

void TJPEGImage::LoadFromStream(TStream* Stream)
{
    if (Stream)
        LoadFromBytes(Stream->ReadAll());
}

void TJPEGImage::SaveToStream(TStream* Stream)
{
    if (Stream && !FData.isEmpty())
        Stream->WriteBuffer(FData.constData(), FData.size());
}

void TJPEGImage::Assign(const TPersistent* Source)
{
    if (Source == this)
        return;
    if (!Source) {
        LoadFromBytes(QByteArray());
        return;
    }
    if (auto j = dynamic_cast<const TJPEGImage*>(Source)) {
        FData = j->FData;
        FQuality = j->FQuality;
        FTransparent = j->FTransparent;
        if (j->FBitmap) {
            FBitmap = std::make_unique<TBitmap>();
            FBitmap->Assign(j->FBitmap.get());
        } else {
            FBitmap.reset();
        }
        Changed();
        return;
    }
    if (auto b = dynamic_cast<const TBitmap*>(Source)) {
        if (b->Empty()) {
            LoadFromBytes(QByteArray());
            return;
        }
        const QImage rgb = b->Image().convertToFormat(QImage::Format_RGB888);
        std::vector<unsigned char> samples(size_t(rgb.width()) * rgb.height() * 3);
        for (int y = 0; y < rgb.height(); ++y)
            std::memcpy(samples.data() + size_t(y) * rgb.width() * 3, rgb.constScanLine(y), size_t(rgb.width()) * 3);
        unsigned char* out = nullptr;
        unsigned long outSize = 0;
        int error = 0;
        if (!EncodeJpegRaw(samples.data(), rgb.width(), rgb.height(), FQuality, &out, &outSize, &error))
            RaiseJpegError(error);
        const QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(outSize));
        std::free(out);
        LoadFromBytes(bytes);
        return;
    }
    TGraphic::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest) const
{
    if (auto b = dynamic_cast<TBitmap*>(Dest)) {
        b->Assign(FBitmap ? FBitmap.get() : nullptr);
        return;
    }
    TGraphic::AssignTo(Dest);
}
