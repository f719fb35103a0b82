// The COM port namespace: names, the fixed numbering, links in the port directory.
#include "PortFixture.h"

#include "platform/WinBase.h"
#include "platform/WinComm.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

TEST(ComPortNames, ParseTable)
{
    struct Case {
        const char* name;
        unsigned port;
    } cases[] = {
        {"COM1", 1},       {"com9", 9},          {"CoM3", 3},           {"COM10", 0},       {"\\\\.\\COM10", 10},
        {"\\\\.\\COM9", 9}, {"\\\\.\\com255", 255}, {"COM0", 0},          {"\\\\.\\COM0", 0}, {"COM01", 0},
        {"COM", 0},        {"COM-1", 0},         {"COM+1", 0},          {"COM1 ", 0},       {"COM1a", 0},
        {"LPT1", 0},       {"", 0},              {"\\\\.\\COM1234567", 0}, {"\\\\?\\COM10", 0}, {"/dev/ttyS0", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseComPortName(c.name), c.port) << c.name;
    EXPECT_EQ(ParseComPortName(nullptr), 0u);
}

TEST(ComPortNames, DefaultNumbering)
{
    struct Case {
        unsigned port;
        const char* device;
    } cases[] = {
        {0, ""},           {1, "/dev/ttyS0"},    {32, "/dev/ttyS31"},  {33, "/dev/ttyUSB0"},
        {64, "/dev/ttyUSB31"}, {65, "/dev/ttyACM0"}, {96, "/dev/ttyACM31"}, {97, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DefaultComDevice(c.port), c.device) << c.port;
}

TEST(ComPortNames, DirectoryFromEnvironment)
{
    const char* saved[] = {"RQ27M_PORTS", "XDG_CONFIG_HOME", "HOME"};
    std::string values[3];
    bool had[3];
    for (int i = 0; i < 3; ++i) {
        const char* v = std::getenv(saved[i]);
        had[i] = v != nullptr;
        values[i] = v ? v : "";
    }
    setenv("RQ27M_PORTS", "/p", 1);
    setenv("XDG_CONFIG_HOME", "/x", 1);
    setenv("HOME", "/h", 1);
    EXPECT_EQ(ComPortDirectory(), "/p");
    unsetenv("RQ27M_PORTS");
    EXPECT_EQ(ComPortDirectory(), "/x/rq27m/ports");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(ComPortDirectory(), "/h/.config/rq27m/ports");
    EXPECT_EQ(ComPortLinkPath(7), "/h/.config/rq27m/ports/com7");
    EXPECT_EQ(ComPortLinkPath(0), "");
    for (int i = 0; i < 3; ++i) {
        if (had[i])
            setenv(saved[i], values[i].c_str(), 1);
        else
            unsetenv(saved[i]);
    }
}

using ComPortLinks = TPortDirFixture;

TEST_F(ComPortLinks, LinkOverridesDefaultAndIsReplacedInOneStep)
{
    EXPECT_EQ(ResolveComPort(3), "/dev/ttyS2");
    ASSERT_TRUE(LinkComPort(3, "/dev/null"));
    EXPECT_EQ(ResolveComPort(3), "/dev/null");
    ASSERT_TRUE(LinkComPort(3, "/dev/zero"));
    EXPECT_EQ(ResolveComPort(3), "/dev/zero");
    ASSERT_TRUE(LinkComPort(200, "relative-target"));
    EXPECT_EQ(ResolveComPort(200), Dir() + "/relative-target");
    EXPECT_EQ(ResolveComPort(201), "");  // beyond the fixed numbering, no link
}

TEST_F(ComPortLinks, LinkCreatesMissingDirectories)
{
    const std::string nested = Dir() + "/a/b/ports";
    setenv("RQ27M_PORTS", nested.c_str(), 1);
    std::string error;
    ASSERT_TRUE(LinkComPort(4, "/dev/null", &error)) << error;
    struct stat st{};
    EXPECT_EQ(lstat((nested + "/com4").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(ComPortLinks, UnlinkRemovesOnlyTheExpectedLink)
{
    ASSERT_TRUE(LinkComPort(5, "/dev/null"));
    EXPECT_FALSE(UnlinkComPort(5, "/dev/zero"));  // someone else's link now
    EXPECT_EQ(ResolveComPort(5), "/dev/null");
    EXPECT_TRUE(UnlinkComPort(5, "/dev/null"));
    EXPECT_EQ(ResolveComPort(5), "/dev/ttyS4");
    EXPECT_FALSE(UnlinkComPort(5));
}

TEST_F(ComPortLinks, DanglingLinkMakesThePortAbsent)
{
    ASSERT_TRUE(LinkComPort(1, Dir() + "/missing-device"));
    HANDLE h = CreateFileA("COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                           nullptr);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(ComPortLinks, NonTerminalTargetsAreNotPorts)
{
    const std::string file = Dir() + "/plain-file";
    FILE* f = std::fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    ASSERT_TRUE(LinkComPort(1, file));
    ASSERT_TRUE(LinkComPort(2, "/dev/null"));  // a character device, but no terminal
    for (const char* name : {"COM1", "COM2"}) {
        HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE) << name;
        EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND) << name;
    }
}

// A link that leads to the pseudo-terminal multiplexer is no port: opening it would create a
// fresh pseudo-terminal pair (or reach another program's master side), never a module.
TEST_F(ComPortLinks, LinksToThePtyMultiplexerAreRefused)
{
    TPseudoTerminal pty;
    ASSERT_TRUE(pty.Open());
    std::vector<std::string> targets = {"/dev/ptmx", "/proc/self/fd/" + std::to_string(pty.MasterFd()),
                                        "/proc/" + std::to_string(getpid()) + "/fd/" + std::to_string(pty.MasterFd())};
    struct stat st{};
    if (stat("/dev/pts/ptmx", &st) == 0)
        targets.push_back("/dev/pts/ptmx");
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        ASSERT_TRUE(LinkComPort(1, target));
        HANDLE h = CreateFileA("COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                               nullptr);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
    // The slave side, reached the same way through a descriptor under /proc, is a port.
    const int slave = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(slave, 0);
    ASSERT_TRUE(LinkComPort(1, "/proc/" + std::to_string(getpid()) + "/fd/" + std::to_string(slave)));
    HANDLE h = CreateFileA("COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                           nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    close(slave);
}

// A published port leads to the publisher's own descriptor, and through it to the device.
TEST_F(ComPortLinks, PublishLinksToTheProcessesOwnDescriptor)
{
    TPseudoTerminal pty;
    ASSERT_TRUE(pty.Open());
    std::string error;
    ASSERT_TRUE(PublishComPort(3, pty.HeldSlaveFd(), &error)) << error;
    char target[256] = {};
    ASSERT_GT(readlink(ComPortLinkPath(3).c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(target, "/proc/" + std::to_string(getpid()) + "/fd/" + std::to_string(pty.HeldSlaveFd()));
    EXPECT_EQ(target, ProcessDescriptorPath(pty.HeldSlaveFd()));
    EXPECT_EQ(ComPortPublisher(3), getpid());
    EXPECT_TRUE(PublishComPort(3, pty.HeldSlaveFd(), &error)) << "its own number again: " << error;

    HANDLE h = CreateFileA("COM3", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(h, "hi", 2, &written, nullptr));
    char got[2] = {};
    EXPECT_TRUE(pty.ReadExactly(got, 2, 2000));
    EXPECT_EQ(std::string(got, 2), "hi");
    CloseHandle(h);

    struct Case {
        const char* what;
        unsigned port;
        int fd;
    } refused[] = {
        {"no descriptor", 5, -1},
        {"port 0", 0, pty.HeldSlaveFd()},
        {"a file that is not a link", 6, pty.HeldSlaveFd()},
    };
    const std::string plain = ComPortLinkPath(6);
    FILE* f = std::fopen(plain.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    for (const Case& c : refused) {
        error.clear();
        EXPECT_FALSE(PublishComPort(c.port, c.fd, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    struct stat st{};
    ASSERT_EQ(lstat(plain.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

// Links that only look like a publisher's are not taken for one.
TEST_F(ComPortLinks, PublisherIsReadOnlyFromALiveDescriptorLink)
{
    TPseudoTerminal pty;
    ASSERT_TRUE(pty.Open());
    const std::string fd = std::to_string(pty.HeldSlaveFd());
    const std::string me = std::to_string(getpid());
    const struct {
        std::string target;
        pid_t publisher;
    } cases[] = {
        {"/proc/" + me + "/fd/" + fd, getpid()},
        {pty.SlavePath(), 0},
        {"/proc/self/fd/" + fd, 0},
        {"/proc/0" + me + "/fd/" + fd, 0},
        {"/proc/" + me + "/fd/0" + fd, 0},
        {"/proc/" + me + "/fd/" + fd + "/", 0},
        {"/proc/" + me + "/fd/", 0},
        {"/proc/" + me + "/fd/999999", 0},
        {"/proc/0/fd/" + fd, 0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(LinkComPort(2, c.target));
        EXPECT_EQ(ComPortPublisher(2), c.publisher) << c.target;
    }
    EXPECT_EQ(ComPortPublisher(7), 0);  // no link at all
}

// A running publisher keeps its number; once it is gone (even killed), its link leads nowhere
// and the number may be published again.
TEST_F(ComPortLinks, ALivePublisherKeepsItsNumberADeadOneDoesNot)
{
    TPseudoTerminal theirs, mine;
    ASSERT_TRUE(theirs.Open());
    ASSERT_TRUE(mine.Open());
    // Another process that holds a descriptor of 'theirs' (an inheritable copy) until killed.
    const int inherited = dup(theirs.HeldSlaveFd());
    ASSERT_GE(inherited, 0);
    pid_t child = 0;
    char sleepName[] = "sleep", seconds[] = "120";
    char* argv[] = {sleepName, seconds, nullptr};
    const int spawned = posix_spawnp(&child, "sleep", nullptr, nullptr, argv, environ);
    close(inherited);
    ASSERT_EQ(spawned, 0);
    struct TReaper {
        pid_t Pid;
        ~TReaper()
        {
            if (Pid > 0) {
                kill(Pid, SIGKILL);
                waitpid(Pid, nullptr, 0);
            }
        }
    } reaper{child};
    const std::string theirLink = "/proc/" + std::to_string(child) + "/fd/" + std::to_string(inherited);
    ASSERT_TRUE(LinkComPort(4, theirLink));
    EXPECT_EQ(ComPortPublisher(4), child);

    std::string error;
    EXPECT_FALSE(PublishComPort(4, mine.HeldSlaveFd(), &error));
    EXPECT_NE(error.find("COM4"), std::string::npos) << error;
    EXPECT_NE(error.find(std::to_string(child)), std::string::npos) << error;
    char target[256] = {};
    ASSERT_GT(readlink(ComPortLinkPath(4).c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(target, theirLink);

    kill(child, SIGKILL);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    reaper.Pid = 0;
    EXPECT_EQ(ComPortPublisher(4), 0);
    HANDLE h = CreateFileA("COM4", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    EXPECT_TRUE(PublishComPort(4, mine.HeldSlaveFd(), &error)) << error;
    EXPECT_EQ(ComPortPublisher(4), getpid());
}
