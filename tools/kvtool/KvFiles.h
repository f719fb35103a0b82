// kvtool's files: reading regular files only, each with a cap, and writing into a folder without
// following links planted there and without replacing files unasked.
//
// Decisions:
// - Paths are bytes as the command line gave them; nothing passes through String, so names that
//   are not valid UTF-8 work.
// - A file is classified (lstat/fstatat) before it is opened, and opened with O_NONBLOCK, so a
//   FIFO or a device is refused by name and never blocks or reads forever; the open descriptor is
//   checked again with fstat, so a file swapped after the first look is caught too.
// - Writing happens relative to one descriptor of the destination folder, with names that hold
//   no '/'. A new file is created with O_CREAT | O_EXCL | O_NOFOLLOW: whatever exists under the
//   name, a planted link included, makes it fail instead of being written through. Replacing
//   writes a temporary file created the same way in the same folder and renames it over the name,
//   which replaces a link itself, never its target; a folder is never replaced.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

// What a file of this mode is, for messages: "is a folder", "is a FIFO (named pipe)", ...;
// empty for a regular file.
std::string KvFileKindText(mode_t Mode);

// Opens Name (relative to DirFd, or AT_FDCWD) for reading when it is a regular file; a symbolic
// link is followed only when FollowLinks. Returns the descriptor (close it) and the size, or -1
// with Error set to the problem ("no such file", "is a folder", "is a FIFO (named pipe); ...").
int KvOpenRegular(int DirFd, const std::string& Name, bool FollowLinks, uint64_t& Size, std::string& Error);

// Reads a regular file whole (see KvOpenRegular), refusing one of more than Cap bytes before
// reading it, and stopping at Cap + 1 bytes should it grow meanwhile.
bool KvReadRegular(int DirFd, const std::string& Name, bool FollowLinks, uint64_t Cap, std::vector<uint8_t>& Bytes,
                   std::string& Error);

// A folder to write into, held open by one descriptor.
class TKvFolder {
public:
    TKvFolder() = default;
    ~TKvFolder();
    TKvFolder(const TKvFolder&) = delete;
    TKvFolder& operator=(const TKvFolder&) = delete;

    // Opens the folder at Path (following links there: the path is the caller's choice),
    // creating it and its parents first when Create. False with Error set otherwise.
    bool Open(const std::string& Path, bool Create, std::string& Error);
    int Fd() const { return FFd; }

    // True when something (a link included) exists under Name; its mode in Mode.
    bool Exists(const std::string& Name, mode_t& Mode) const;

    // Writes a new file Name; fails, writing nothing, when anything exists under the name.
    bool WriteNew(const std::string& Name, const std::vector<uint8_t>& Bytes, std::string& Error);

    // Writes Bytes to a temporary file in the folder and renames it to Name, replacing a file or a
    // link there (not a folder). The temporary file never stays behind.
    bool Replace(const std::string& Name, const std::vector<uint8_t>& Bytes, std::string& Error);

    // The names in the folder, in no particular order ("." and ".." left out).
    bool List(std::vector<std::string>& Names, std::string& Error) const;

private:
    int FFd = -1;
};

// Splits a file path into its folder ("." when it has none) and its last component.
void KvSplitPath(const std::string& Path, std::string& Folder, std::string& Name);
