// The kvtool commands. Each returns the process exit status and reports on the given streams.
#pragma once

#include <cstdio>
#include <string>

// Exit statuses.
constexpr int KV_EXIT_OK = 0;
constexpr int KV_EXIT_FAILED = 1;     // reading or writing failed
constexpr int KV_EXIT_PASSWORD = 2;   // the skin is encrypted and the password is empty or wrong
constexpr int KV_EXIT_MISSING = 3;    // check: keys the components need are missing
constexpr int KV_EXIT_USAGE = 64;     // bad arguments

struct TKvOptions {
    std::string Password;
    bool TimeCheck = false;  // pack: password check byte from the modification time
    int Level = 9;           // pack: compression level
    bool Force = false;      // unpack: replace files that exist in the folder
};

int KvPack(const std::string& Folder, const std::string& OutFile, const TKvOptions& Options, FILE* out, FILE* err);
int KvUnpack(const std::string& SkinFile, const std::string& Folder, const TKvOptions& Options, FILE* out, FILE* err);
int KvDump(const std::string& SkinFile, const TKvOptions& Options, FILE* out, FILE* err);
int KvCheck(const std::string& SkinFile, const TKvOptions& Options, FILE* out, FILE* err);

// Keys that the skinned components read: every bitmap key and these colours, integers and flags.
bool KvKeyIsNeeded(const char* Key);
