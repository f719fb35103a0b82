// Streams: the abstract TStream, streams over POSIX file descriptors (THandleStream, TFileStream),
// and in-memory streams (TMemoryStream, TBytesStream, TStringStream). Sizes and positions are 64-bit.
#pragma once

#include "framework/System.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// File open modes: one access mode, optionally or-ed with one share mode. fmCreate creates the file
// or truncates an existing one and opens it for reading and writing.
enum : uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,
};

class TStream : public TObject {
public:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    ~TStream() override = default;
    String ClassName() const override { return QStringLiteral("TStream"); }

    // Reads up to Count bytes; returns how many were read (0 at the end or on error).
    virtual int64_t Read(void* Buffer, int64_t Count) = 0;
    // Writes up to Count bytes; returns how many were written.
    virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
    // Moves the position; returns the new position, or -1 when the stream cannot move there.
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
    virtual int64_t Size();
    // Sets the size; the base stream cannot change size and ignores it.
    virtual void SetSize(int64_t NewSize);

    // Read/Write that must transfer exactly Count bytes: EReadError "Stream read error" /
    // EWriteError "Stream write error" otherwise.
    void ReadBuffer(void* Buffer, int64_t Count);
    void WriteBuffer(const void* Buffer, int64_t Count);
    // Copies Count bytes from Source's position; Count 0 (or less) copies the whole of Source from
    // its beginning. Returns the number of bytes copied.
    int64_t CopyFrom(TStream* Source, int64_t Count);

    // Convenience: the rest of the stream from the current position.
    QByteArray ReadAll();
    void WriteBytes(const QByteArray& Bytes) { WriteBuffer(Bytes.constData(), Bytes.size()); }
};

// A stream over an open POSIX file descriptor, which it does not close.
class THandleStream : public TStream {
public:
    explicit THandleStream(int AHandle) : FHandle(AHandle) {}
    String ClassName() const override { return QStringLiteral("THandleStream"); }

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    // Truncates or extends the file; raises EStreamError when the system refuses.
    void SetSize(int64_t NewSize) override;
    int Handle() const { return FHandle; }

protected:
    int FHandle = -1;
};

// A stream over a named file, opened in the constructor and closed by the destructor. Share
// modes are advisory locks (flock) between programs that also lock: fmShareExclusive and
// fmShareDenyRead take an exclusive lock, fmShareDenyWrite a shared one.
// Errors: EFOpenError 'Cannot open file "<full path>". <reason>' and
// EFCreateError 'Cannot create file "<full path>". <reason>'.
class TFileStream : public THandleStream {
public:
    TFileStream(const String& AFileName, uint16_t Mode, unsigned Rights = 0666);
    ~TFileStream() override;
    String ClassName() const override { return QStringLiteral("TFileStream"); }
    const String& FileName() const { return FFileName; }

private:
    String FFileName;
};

// A stream over a block of memory that it owns and grows as it is written.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    String ClassName() const override { return QStringLiteral("TMemoryStream"); }

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return int64_t(FData.size()); }
    // New bytes are zero; a position beyond the new size moves to the end.
    void SetSize(int64_t NewSize) override;

    // The stream's bytes (Size() of them); the pointer changes when the stream grows.
    void* Memory() { return FData.data(); }
    const void* Memory() const { return FData.data(); }
    void Clear();

    // Replaces the content with the whole of Stream (read from its beginning).
    void LoadFromStream(TStream* Stream);
    void LoadFromFile(const String& FileName);
    // Writes the whole content, whatever the position.
    void SaveToStream(TStream* Stream);
    void SaveToFile(const String& FileName);

protected:
    std::vector<unsigned char> FData;
    int64_t FPosition = 0;
};

// A memory stream initialised from and readable as a byte array.
class TBytesStream : public TMemoryStream {
public:
    explicit TBytesStream(const QByteArray& Bytes = QByteArray());
    String ClassName() const override { return QStringLiteral("TBytesStream"); }
    QByteArray Bytes() const;
};

// A memory stream holding text as UTF-8.
class TStringStream : public TBytesStream {
public:
    explicit TStringStream(const String& AString = String());
    String ClassName() const override { return QStringLiteral("TStringStream"); }
    // The whole content decoded as UTF-8.
    String DataString() const;
    // Reads up to Count bytes from the position and decodes them.
    String ReadString(int64_t Count);
    void WriteString(const String& AString);
};
