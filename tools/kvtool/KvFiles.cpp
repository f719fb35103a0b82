#include "tools/kvtool/KvFiles.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes a descriptor when leaving the scope.
struct TFd {
    int Fd = -1;
    ~TFd()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
};

std::string ErrnoText(int e) { return e == ENOENT ? "no such file" : std::strerror(e); }

bool WriteAll(int fd, const std::vector<uint8_t>& bytes)
{
    const uint8_t* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t w = ::write(fd, p, left);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        left -= size_t(w);
    }
    return true;
}

// Writes and closes a descriptor; false (errno set) on any failure, the close's included.
bool WriteAndClose(int fd, const std::vector<uint8_t>& bytes)
{
    bool ok = WriteAll(fd, bytes);
    int e = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        e = errno;
    }
    errno = e;
    return ok;
}

std::string TempName(const std::string& name)
{
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device rd;
    std::string t = "." + name + ".";
    for (int i = 0; i < 8; ++i)
        t += kChars[rd() % (sizeof kChars - 1)];
    return t;
}

}  // namespace

std::string KvFileKindText(mode_t Mode)
{
    if (S_ISREG(Mode))
        return {};
    if (S_ISDIR(Mode))
        return "is a folder";
    if (S_ISFIFO(Mode))
        return "is a FIFO (named pipe)";
    if (S_ISLNK(Mode))
        return "is a symbolic link";
    if (S_ISCHR(Mode))
        return "is a character device";
    if (S_ISBLK(Mode))
        return "is a block device";
    if (S_ISSOCK(Mode))
        return "is a socket";
    return "is not a regular file";
}

int KvOpenRegular(int DirFd, const std::string& Name, bool FollowLinks, uint64_t& Size, std::string& Error)
{
    const char* const onlyRegular = "; kvtool reads regular files only";
    struct stat st;
    if (::fstatat(DirFd, Name.c_str(), &st, FollowLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
        Error = ErrnoText(errno);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        Error = KvFileKindText(st.st_mode) + onlyRegular;
        return -1;
    }
    int fd;
    do {
        fd = ::openat(DirFd, Name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (FollowLinks ? 0 : O_NOFOLLOW));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        Error = errno == ELOOP && !FollowLinks ? std::string("is a symbolic link") + onlyRegular : ErrnoText(errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        Error = std::string("changed while it was opened") + onlyRegular;
        ::close(fd);
        return -1;
    }
    Size = uint64_t(st.st_size);
    return fd;
}

bool KvReadRegular(int DirFd, const std::string& Name, bool FollowLinks, uint64_t Cap, std::vector<uint8_t>& Bytes,
                   std::string& Error)
{
    Bytes.clear();
    uint64_t size = 0;
    TFd f{KvOpenRegular(DirFd, Name, FollowLinks, size, Error)};
    if (f.Fd < 0)
        return false;
    const std::string tooLarge = "is larger than the " + std::to_string(Cap) + " bytes a skin may hold";
    if (size > Cap) {
        Error = tooLarge;
        return false;
    }
    // Read in blocks up to the cap, so that a file that grows meanwhile is still bounded.
    Bytes.reserve(size_t(size));
    uint8_t block[65536];
    for (;;) {
        const ssize_t r = ::read(f.Fd, block, sizeof block);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0) {
            Error = std::strerror(errno);
            return false;
        }
        if (r == 0)
            return true;
        if (uint64_t(r) > Cap - Bytes.size()) {
            Error = tooLarge;
            return false;
        }
        Bytes.insert(Bytes.end(), block, block + r);
    }
}

TKvFolder::~TKvFolder()
{
    if (FFd >= 0)
        ::close(FFd);
}

bool TKvFolder::Open(const std::string& Path, bool Create, std::string& Error)
{
    if (Path.empty()) {
        Error = "no such folder";
        return false;
    }
    if (Create) {
        // Each missing component, parents first.
        for (size_t i = 1; i <= Path.size(); ++i) {
            if (i < Path.size() && Path[i] != '/')
                continue;
            const std::string prefix = Path.substr(0, i);
            if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) {
                Error = std::string("cannot create the folder: ") + std::strerror(errno);
                return false;
            }
        }
    }
    int fd;
    do {
        fd = ::open(Path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT)
            Error = "no such folder";
        else if (errno == ENOTDIR)
            Error = "exists and is not a folder";
        else
            Error = std::strerror(errno);
        return false;
    }
    if (FFd >= 0)
        ::close(FFd);
    FFd = fd;
    return true;
}

bool TKvFolder::Exists(const std::string& Name, mode_t& Mode) const
{
    struct stat st;
    if (::fstatat(FFd, Name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    Mode = st.st_mode;
    return true;
}

bool TKvFolder::WriteNew(const std::string& Name, const std::vector<uint8_t>& Bytes, std::string& Error)
{
    int fd;
    do {
        fd = ::openat(FFd, Name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        Error = errno == EEXIST ? "exists; use --force to replace it" : std::strerror(errno);
        return false;
    }
    if (!WriteAndClose(fd, Bytes)) {
        Error = std::strerror(errno);
        ::unlinkat(FFd, Name.c_str(), 0);  // the file this call created
        return false;
    }
    return true;
}

bool TKvFolder::Replace(const std::string& Name, const std::vector<uint8_t>& Bytes, std::string& Error)
{
    mode_t mode;
    if (Exists(Name, mode) && S_ISDIR(mode)) {
        Error = "is a folder; not replaced";
        return false;
    }
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = TempName(Name);
        fd = ::openat(FFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST && errno != EINTR)
            break;
    }
    if (fd < 0) {
        Error = std::string("cannot create a temporary file: ") + std::strerror(errno);
        return false;
    }
    if (!WriteAndClose(fd, Bytes)) {
        Error = std::strerror(errno);
        ::unlinkat(FFd, temp.c_str(), 0);
        return false;
    }
    if (::renameat(FFd, temp.c_str(), FFd, Name.c_str()) != 0) {
        Error = errno == EISDIR ? "is a folder; not replaced" : std::strerror(errno);
        ::unlinkat(FFd, temp.c_str(), 0);
        return false;
    }
    return true;
}

bool TKvFolder::List(std::vector<std::string>& Names, std::string& Error) const
{
    Names.clear();
    const int fd = ::dup(FFd);
    DIR* d = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!d) {
        Error = std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::rewinddir(d);
    errno = 0;
    while (const dirent* e = ::readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != "..")
            Names.push_back(n);
        errno = 0;
    }
    const int e = errno;
    ::closedir(d);
    if (e != 0) {
        Error = std::strerror(e);
        return false;
    }
    return true;
}

void KvSplitPath(const std::string& Path, std::string& Folder, std::string& Name)
{
    const size_t slash = Path.find_last_of('/');
    if (slash == std::string::npos) {
        Folder = ".";
        Name = Path;
    } else {
        Folder = slash == 0 ? "/" : Path.substr(0, slash);
        Name = Path.substr(slash + 1);
    }
}
