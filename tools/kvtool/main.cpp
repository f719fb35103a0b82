// kvtool: packs, unpacks, lists and checks skin files (".kvt") for skin authors.
#include "tools/kvtool/KvCommands.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: kvtool COMMAND [ARGUMENTS] [--password P]\n"
    "\n"
    "Commands:\n"
    "  pack FOLDER OUT.kvt      pack a skin source folder into a skin file\n"
    "  unpack FILE.kvt FOLDER   write a skin file's bitmaps and values into a folder (files there\n"
    "                           are not replaced without --force)\n"
    "  dump FILE.kvt            list every stored value: NAME<TAB>KIND<TAB>VALUE, grouped by kind\n"
    "                           (bitmap WIDTHxHEIGHT, int, bool 0/1, string), each group in file order\n"
    "  check FILE.kvt           list the keys the skinned components need that the skin lacks\n"
    "\n"
    "Options:\n"
    "  --password P             password of an encrypted skin (pack: encrypt with it); its bytes\n"
    "                           are used as given\n"
    "  --force                  unpack: replace files that exist in FOLDER\n"
    "  --time-check             pack: the password check byte is the time's high byte (flag bit 3)\n"
    "  --level N                pack: compression level 0-9 (default 9)\n"
    "  -h, --help               show this help\n"
    "\n"
    "A skin source folder holds one Windows bitmap per bitmap key, named after it\n"
    "(SKIN2_BUTTON.bmp, ...), and values.txt with the other values, one per line:\n"
    "  KEY = VALUE      # comment\n"
    "VALUE is a decimal or hexadecimal integer ($00BBGGRR for colours, 0x1F), a colour\n"
    "name (clFuchsia, clBtnFace, ...), a flag (true, false, or 0-255 for a flag key)\n"
    "or a string in double quotes (escapes \\\" \\\\ \\n \\r \\t). Colour and integer keys\n"
    "take integers, flag keys flags; other keys take the kind of their value.\n"
    "pack reads regular files only (not links, FIFOs or devices) and refuses a skin that\n"
    "the skin reader would refuse (too many bytes or bitmap pixels).\n"
    "\n"
    "Exit status: 0 done; 1 failed (reading a skin file: \"Failed to read skin file!\");\n"
    "2 the skin is encrypted and the password is empty or wrong; 3 check found missing\n"
    "keys; 64 bad arguments.\n";

int Usage(const char* message)
{
    if (message)
        std::fprintf(stderr, "kvtool: %s\n", message);
    std::fprintf(stderr, "Try 'kvtool --help'.\n");
    return KV_EXIT_USAGE;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

    TKvOptions options;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return KV_EXIT_OK;
        }
        if (a == "--password" || a.rfind("--password=", 0) == 0) {
            if (a == "--password") {
                if (++i >= argc)
                    return Usage("--password needs a value");
                options.Password = argv[i];
            } else {
                options.Password = a.substr(11);
            }
            continue;
        }
        if (a == "--force") {
            options.Force = true;
            continue;
        }
        if (a == "--time-check") {
            options.TimeCheck = true;
            continue;
        }
        if (a == "--level") {
            if (++i >= argc)
                return Usage("--level needs a value 0-9");
            const std::string v = argv[i];
            if (v.size() != 1 || v[0] < '0' || v[0] > '9')
                return Usage("--level needs a value 0-9");
            options.Level = v[0] - '0';
            continue;
        }
        if (a.size() > 1 && a[0] == '-')
            return Usage(("unknown option " + a).c_str());
        args.push_back(a);
    }
    if (args.empty())
        return Usage("no command given");

    const std::string cmd = args[0];
    auto need = [&](size_t n) { return args.size() == n + 1; };
    if (cmd == "pack") {
        if (!need(2))
            return Usage("pack needs FOLDER and OUT.kvt");
        return KvPack(args[1], args[2], options, stdout, stderr);
    }
    if (cmd == "unpack") {
        if (!need(2))
            return Usage("unpack needs FILE.kvt and FOLDER");
        return KvUnpack(args[1], args[2], options, stdout, stderr);
    }
    if (cmd == "dump") {
        if (!need(1))
            return Usage("dump needs FILE.kvt");
        return KvDump(args[1], options, stdout, stderr);
    }
    if (cmd == "check") {
        if (!need(1))
            return Usage("check needs FILE.kvt");
        return KvCheck(args[1], options, stdout, stderr);
    }
    return Usage(("unknown command " + cmd).c_str());
}
