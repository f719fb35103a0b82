#include "platform/ComPorts.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string ReadLink(const std::string& path)
{
    char buf[4096];
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n < 0)
        return std::string();
    return std::string(buf, size_t(n));
}

// A decimal number at p, without sign or leading zero, of at most 9 digits; p moves past it.
bool TakeNumber(const char*& p, long& out)
{
    if (*p < '0' || *p > '9' || (*p == '0' && p[1] >= '0' && p[1] <= '9'))
        return false;
    long v = 0;
    for (int digits = 0; *p >= '0' && *p <= '9'; ++p) {
        if (++digits > 9)
            return false;
        v = v * 10 + (*p - '0');
    }
    out = v;
    return true;
}

// The pid and descriptor of "/proc/<pid>/fd/<fd>"; false for any other text.
bool ParseDescriptorPath(const std::string& path, pid_t& pid, long& fd)
{
    static const char kProc[] = "/proc/";
    if (path.compare(0, sizeof kProc - 1, kProc) != 0)
        return false;
    const char* p = path.c_str() + sizeof kProc - 1;
    long id = 0;
    if (!TakeNumber(p, id) || id == 0 || std::strncmp(p, "/fd/", 4) != 0)
        return false;
    p += 4;
    if (!TakeNumber(p, fd) || *p != '\0')
        return false;
    pid = pid_t(id);
    return true;
}

bool MakeDirs(const std::string& dir, std::string* error)
{
    std::string path;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = dir.find('/', pos + 1);
        path = dir.substr(0, pos);
        if (path.empty())
            continue;
        if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
            if (error)
                *error = "cannot create " + path + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat st{};
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        if (error)
            *error = dir + " is not a directory";
        return false;
    }
    return true;
}

}  // namespace

std::string ComPortDirectory()
{
    std::string dir = Env("RQ27M_PORTS");
    if (!dir.empty())
        return dir;
    dir = Env("XDG_CONFIG_HOME");
    if (!dir.empty())
        return dir + "/rq27m/ports";
    dir = Env("HOME");
    if (!dir.empty())
        return dir + "/.config/rq27m/ports";
    return std::string();
}

std::string ComPortLinkPath(unsigned n)
{
    const std::string dir = ComPortDirectory();
    if (dir.empty() || n == 0)
        return std::string();
    return dir + "/com" + std::to_string(n);
}

std::string DefaultComDevice(unsigned n)
{
    if (n >= 1 && n <= 32)
        return "/dev/ttyS" + std::to_string(n - 1);
    if (n >= 33 && n <= 64)
        return "/dev/ttyUSB" + std::to_string(n - 33);
    if (n >= 65 && n <= 96)
        return "/dev/ttyACM" + std::to_string(n - 65);
    return std::string();
}

std::string ResolveComPort(unsigned n)
{
    if (n == 0)
        return std::string();
    const std::string link = ComPortLinkPath(n);
    struct stat st{};
    if (!link.empty() && lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode))
            return link;
        std::string target = ReadLink(link);
        if (target.empty())
            return link;
        if (target[0] != '/')
            target = ComPortDirectory() + "/" + target;
        return target;
    }
    return DefaultComDevice(n);
}

unsigned ParseComPortName(const char* name)
{
    if (!name)
        return 0;
    bool deviceForm = false;
    if (std::strncmp(name, "\\\\.\\", 4) == 0) {
        deviceForm = true;
        name += 4;
    }
    if (strncasecmp(name, "COM", 3) != 0)
        return 0;
    name += 3;
    if (*name < '1' || *name > '9')
        return 0;  // no digits, a sign or a leading zero
    unsigned n = 0;
    int digits = 0;
    for (; *name; ++name) {
        if (*name < '0' || *name > '9' || ++digits > 6)
            return 0;
        n = n * 10 + unsigned(*name - '0');
    }
    if (!deviceForm && n > 9)
        return 0;
    return n;
}

bool LinkComPort(unsigned n, const std::string& target, std::string* error)
{
    const std::string link = ComPortLinkPath(n);
    if (link.empty()) {
        if (error)
            *error = n == 0 ? "port number 0 is not valid" : "no port directory (set RQ27M_PORTS or HOME)";
        return false;
    }
    if (!MakeDirs(ComPortDirectory(), error))
        return false;
    const std::string tmp = link + ".tmp" + std::to_string(getpid());
    unlink(tmp.c_str());
    if (symlink(target.c_str(), tmp.c_str()) != 0) {
        if (error)
            *error = "cannot create " + tmp + ": " + std::strerror(errno);
        return false;
    }
    if (rename(tmp.c_str(), link.c_str()) != 0) {
        if (error)
            *error = "cannot create " + link + ": " + std::strerror(errno);
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

bool UnlinkComPort(unsigned n, const std::string& target)
{
    const std::string link = ComPortLinkPath(n);
    if (link.empty())
        return false;
    struct stat st{};
    if (lstat(link.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return false;
    if (!target.empty() && ReadLink(link) != target)
        return false;  // someone else's link now
    return unlink(link.c_str()) == 0;
}

std::string ProcessDescriptorPath(int fd)
{
    return "/proc/" + std::to_string(getpid()) + "/fd/" + std::to_string(fd);
}

pid_t ComPortPublisher(unsigned n)
{
    const std::string link = ComPortLinkPath(n);
    if (link.empty())
        return 0;
    const std::string target = ReadLink(link);
    pid_t pid = 0;
    long fd = 0;
    struct stat st{};
    if (!ParseDescriptorPath(target, pid, fd) || stat(target.c_str(), &st) != 0)
        return 0;
    return pid;
}

bool PublishComPort(unsigned n, int fd, std::string* error)
{
    auto fail = [error](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    const std::string link = ComPortLinkPath(n);
    if (link.empty())
        return fail(n == 0 ? "port number 0 is not valid" : "no port directory (set RQ27M_PORTS or HOME)");
    struct stat own{};
    if (fd < 0 || fstat(fd, &own) != 0)
        return fail("the descriptor to publish is not open");
    const std::string dir = ComPortDirectory();
    if (!MakeDirs(dir, error))
        return false;
    const int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return fail("cannot open " + dir + ": " + std::strerror(errno));
    flock(dirFd, LOCK_EX);  // released by close below, on every path

    bool ok = false;
    std::string why;
    struct stat st{};
    const pid_t holder = ComPortPublisher(n);
    if (holder != 0 && holder != getpid()) {
        why = "COM" + std::to_string(n) + " is already published by process " + std::to_string(holder) +
              ", which is still running (" + link + ")";
    } else if (lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        why = link + " exists and is not a link; remove it first";
    } else if (LinkComPort(n, ProcessDescriptorPath(fd), &why)) {
        // The link must lead to the descriptor's device, or the port would be unreachable.
        struct stat through{};
        if (stat(link.c_str(), &through) == 0 && through.st_dev == own.st_dev && through.st_ino == own.st_ino &&
            through.st_rdev == own.st_rdev) {
            ok = true;
        } else {
            why = "cannot reach the published descriptor through " + link + " (is /proc mounted?)";
            UnlinkComPort(n, ProcessDescriptorPath(fd));
        }
    }
    close(dirFd);
    return ok ? true : fail(why);
}
