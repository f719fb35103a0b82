#include "framework/Streams.h"

#include "framework/SysUtils.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <new>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const String SReadError = QStringLiteral("Stream read error");
const String SWriteError = QStringLiteral("Stream write error");
const String SMemoryStreamError = QStringLiteral("Out of memory while expanding memory stream");

// Largest single read()/write() request; Linux transfers at most about 2 GB per call anyway.
constexpr int64_t kMaxIoChunk = int64_t(1) << 30;
// Buffer used by CopyFrom.
constexpr int64_t kCopyBufferSize = 64 * 1024;

}  // namespace

// ---------------------------------------------------------------------------------------------
// TStream

int64_t TStream::Size()
{
    const int64_t pos = Seek(0, soCurrent);
    const int64_t result = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return result;
}

void TStream::SetSize(int64_t) {}

void TStream::ReadBuffer(void* Buffer, int64_t Count)
{
    if (Count < 0 || (Count != 0 && Read(Buffer, Count) != Count))
        throw EReadError(SReadError);
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count)
{
    if (Count < 0 || (Count != 0 && Write(Buffer, Count) != Count))
        throw EWriteError(SWriteError);
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count)
{
    if (!Source)
        throw EReadError(SReadError);
    if (Count <= 0) {
        Source->SetPosition(0);
        Count = Source->Size();
        if (Count <= 0)
            return 0;
    }
    const int64_t result = Count;
    std::vector<unsigned char> buffer(size_t(std::min(Count, kCopyBufferSize)));
    while (Count != 0) {
        const int64_t n = std::min(Count, int64_t(buffer.size()));
        Source->ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        Count -= n;
    }
    return result;
}

QByteArray TStream::ReadAll()
{
    const int64_t pos = Position();
    const int64_t rest = Size() - pos;
    if (pos < 0 || rest <= 0)
        return QByteArray();
    if (rest > int64_t(std::numeric_limits<qsizetype>::max() / 2))
        throw EReadError(SReadError);
    QByteArray bytes(qsizetype(rest), Qt::Uninitialized);
    const int64_t n = Read(bytes.data(), rest);
    bytes.truncate(qsizetype(std::max<int64_t>(n, 0)));
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// THandleStream

int64_t THandleStream::Read(void* Buffer, int64_t Count)
{
    if (FHandle < 0 || Count <= 0 || !Buffer)
        return 0;
    auto* p = static_cast<char*>(Buffer);
    int64_t done = 0;
    while (done < Count) {
        const int64_t chunk = std::min(Count - done, kMaxIoChunk);
        const ssize_t n = ::read(FHandle, p + done, size_t(chunk));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        done += n;
        // A short read is the end of a file (or all a pipe has now): do not wait for more.
        if (n < chunk)
            break;
    }
    return done;
}

int64_t THandleStream::Write(const void* Buffer, int64_t Count)
{
    if (FHandle < 0 || Count <= 0 || !Buffer)
        return 0;
    const auto* p = static_cast<const char*>(Buffer);
    int64_t done = 0;
    while (done < Count) {
        const int64_t chunk = std::min(Count - done, kMaxIoChunk);
        const ssize_t n = ::write(FHandle, p + done, size_t(chunk));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    if (FHandle < 0)
        return -1;
    const int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
    const off_t r = ::lseek(FHandle, off_t(Offset), whence);
    return r < 0 ? -1 : int64_t(r);
}

void THandleStream::SetSize(int64_t NewSize)
{
    if (NewSize < 0)
        throw EStreamError(QStringLiteral("Invalid stream size (%1)").arg(NewSize));
    int r;
    do {
        r = ::ftruncate(FHandle, off_t(NewSize));
    } while (r < 0 && errno == EINTR);
    if (r < 0)
        throw EStreamError(SysErrorMessage(errno));
}

// ---------------------------------------------------------------------------------------------
// TFileStream

TFileStream::TFileStream(const String& AFileName, uint16_t Mode, unsigned Rights)
    : THandleStream(-1), FFileName(AFileName)
{
    const bool create = (Mode & fmCreate) == fmCreate;
    const int share = Mode & 0x00F0;
    auto failText = [&](const String& reason) {
        const String message = (create ? QStringLiteral("Cannot create file \"%1\". %2")
                                        : QStringLiteral("Cannot open file \"%1\". %2"))
                                   .arg(ExpandFileName(AFileName), reason);
        if (create)
            throw EFCreateError(message);
        throw EFOpenError(message);
    };
    auto fail = [&](int err) { failText(SysErrorMessage(err)); };

    int flags = O_CLOEXEC;
    if (create) {
        // Truncation waits until the lock is ours, so a file in use is never cut short.
        flags |= O_RDWR | O_CREAT;
    } else {
        switch (Mode & 0x0003) {
        case fmOpenRead: flags |= O_RDONLY; break;
        case fmOpenWrite: flags |= O_WRONLY; break;
        case fmOpenReadWrite: flags |= O_RDWR; break;
        default: fail(EINVAL);
        }
    }
    if (AFileName.isEmpty())
        fail(ENOENT);
    const QByteArray path = QFile::encodeName(AFileName);
    int fd;
    do {
        fd = ::open(path.constData(), flags, mode_t(Rights));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        fail(errno);

    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        fail(EISDIR);
    }

    int lockOp = 0;
    if (share == fmShareExclusive || share == fmShareDenyRead)
        lockOp = LOCK_EX;
    else if (share == fmShareDenyWrite)
        lockOp = LOCK_SH;
    if (lockOp) {
        int r;
        do {
            r = ::flock(fd, lockOp | LOCK_NB);
        } while (r < 0 && errno == EINTR);
        if (r < 0) {
            const int err = errno;
            ::close(fd);
            if (err == EWOULDBLOCK)
                failText(QStringLiteral("The file is in use by another process."));
            fail(err);
        }
    }

    if (create && ::ftruncate(fd, 0) < 0) {
        const int err = errno;
        ::close(fd);
        fail(err);
    }
    FHandle = fd;
}

TFileStream::~TFileStream()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

// ---------------------------------------------------------------------------------------------
// TMemoryStream

int64_t TMemoryStream::Read(void* Buffer, int64_t Count)
{
    if (Count <= 0 || FPosition < 0 || !Buffer)
        return 0;
    const int64_t available = int64_t(FData.size()) - FPosition;
    if (available <= 0)
        return 0;
    const int64_t n = std::min(available, Count);
    std::memcpy(Buffer, FData.data() + FPosition, size_t(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count)
{
    if (Count <= 0 || FPosition < 0 || !Buffer)
        return 0;
    if (Count > std::numeric_limits<int64_t>::max() - FPosition)
        throw EStreamError(SMemoryStreamError);
    const int64_t end = FPosition + Count;
    if (end > int64_t(FData.size()))
        SetSize(end);
    std::memcpy(FData.data() + FPosition, Buffer, size_t(Count));
    FPosition = end;
    return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    int64_t base = 0;
    if (Origin == soCurrent)
        base = FPosition;
    else if (Origin == soEnd)
        base = int64_t(FData.size());
    if ((Offset > 0 && base > std::numeric_limits<int64_t>::max() - Offset))
        return -1;
    const int64_t pos = base + Offset;
    if (pos < 0)
        return -1;  // a position before the start is refused; the position stays
    FPosition = pos;
    return FPosition;
}

void TMemoryStream::SetSize(int64_t NewSize)
{
    if (NewSize < 0)
        throw EStreamError(QStringLiteral("Invalid stream size (%1)").arg(NewSize));
    if (uint64_t(NewSize) > uint64_t(FData.max_size()))
        throw EStreamError(SMemoryStreamError);
    try {
        FData.resize(size_t(NewSize));
    } catch (const std::bad_alloc&) {
        throw EStreamError(SMemoryStreamError);
    } catch (const std::length_error&) {
        throw EStreamError(SMemoryStreamError);
    }
    if (FPosition > NewSize)
        FPosition = NewSize;
}

void TMemoryStream::Clear()
{
    std::vector<unsigned char>().swap(FData);
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream)
{
    if (!Stream || Stream == this)
        return;
    Stream->SetPosition(0);
    const int64_t count = Stream->Size();
    SetSize(std::max<int64_t>(count, 0));
    if (count > 0)
        Stream->ReadBuffer(FData.data(), count);
}

void TMemoryStream::LoadFromFile(const String& FileName)
{
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TMemoryStream::SaveToStream(TStream* Stream)
{
    if (Stream && !FData.empty())
        Stream->WriteBuffer(FData.data(), int64_t(FData.size()));
}

void TMemoryStream::SaveToFile(const String& FileName)
{
    TFileStream stream(FileName, fmCreate);
    SaveToStream(&stream);
}

// ---------------------------------------------------------------------------------------------
// TBytesStream, TStringStream

TBytesStream::TBytesStream(const QByteArray& Bytes)
{
    FData.assign(Bytes.constBegin(), Bytes.constEnd());
}

QByteArray TBytesStream::Bytes() const
{
    return QByteArray(reinterpret_cast<const char*>(FData.data()), qsizetype(FData.size()));
}

TStringStream::TStringStream(const String& AString) : TBytesStream(AString.toUtf8()) {}

String TStringStream::DataString() const
{
    return String::fromUtf8(reinterpret_cast<const char*>(FData.data()), qsizetype(FData.size()));
}

String TStringStream::ReadString(int64_t Count)
{
    if (Count <= 0 || FPosition < 0)
        return String();
    const int64_t n = std::min(Count, std::max<int64_t>(int64_t(FData.size()) - FPosition, 0));
    if (n == 0)
        return String();
    const String result = String::fromUtf8(reinterpret_cast<const char*>(FData.data() + FPosition), qsizetype(n));
    FPosition += n;
    return result;
}

void TStringStream::WriteString(const String& AString)
{
    WriteBytes(AString.toUtf8());
}
