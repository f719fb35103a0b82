// The COM port namespace: names, the fixed numbering, links in the port directory.
#include "PortFixture.h"

#include "platform/WinBase.h"
#include "platform/WinComm.h"

#include <sys/stat.h>
#include <unistd.h>

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
