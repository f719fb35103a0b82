// File-system combo boxes: the drive list (the places a user's files start from) and the file-type
// filter list of an open or save box.
//
// Decisions:
// - There are no drive letters here. The "drives" are the file-system roots a Linux user can
//   open: "/", the home folder, and every mount point under /media, /run/media/<user> and /mnt
//   (/mnt itself included) that /proc/self/mounts lists, in the order it lists them, each once,
//   and only those the user may list and enter. An item's text is the root's path; Drive is that
//   path.
// - A filter entry is a description and its mask, "|"-separated ("Text files (*.txt)|*.txt");
//   an entry with an empty description shows its mask; a last description with no mask after it
//   filters nothing and is dropped.
#pragma once

#include "framework/StdCtrls.h"

#include <functional>
#include <vector>

// The mount points of a mounts table (the text of /proc/self/mounts: "device mount-point type
// options dump pass" per line), in order, with the octal escapes of the table ("\040" for a space)
// decoded. Lines without a mount point, and mount points that are not absolute paths, are skipped.
QStringList ParseMountPoints(const QByteArray& MountsText);

// The drive roots for a user: "/", then Home (when not empty), then the mount points of the table
// at or under /media, /run/media/<User> and /mnt; each once, and only those CanOpen accepts
// ("/" always).
QStringList DriveRoots(const QByteArray& MountsText, const String& Home, const String& User,
                       const std::function<bool(const String& Path)>& CanOpen);

// The drive roots of this system for the user running the program (reads /proc/self/mounts,
// HOME and the user name; a root counts when it is a directory the user may list and enter).
QStringList ReadDriveRoots();

// A list-only combo box of the drive roots.
class TDriveComboBox : public TCustomComboBox {
    Q_OBJECT
    Q_PROPERTY(QString Drive READ Drive WRITE SetDrive STORED false)

public:
    // Lists the roots and selects the one that holds the current directory.
    explicit TDriveComboBox(TComponent* AOwner);

    // The selected root's path; empty when none is selected.
    String Drive() const;
    // Selects the root that holds Path (the longest root that is Path or one of its parents). A
    // path that no root holds (empty, relative) changes nothing.
    void SetDrive(const String& Path);
    // Lists the roots again (media come and go), keeping the selected one when it is still there.
    void UpdateDrives();
};

// One entry of a filter: what the list shows and the file mask it stands for.
struct TFilterEntry {
    String Description;
    String Mask;
    friend bool operator==(const TFilterEntry&, const TFilterEntry&) = default;
};

// The entries of a framework filter string "Description|mask|Description|mask...".
std::vector<TFilterEntry> ParseFilter(const String& Filter);

// A list-only combo box of the entries of Filter; Mask is the selected entry's mask.
class TFilterComboBox : public TCustomComboBox {
    Q_OBJECT
    Q_PROPERTY(QString Filter READ Filter WRITE SetFilter)
    Q_PROPERTY(QString Mask READ Mask STORED false)

public:
    // Filter starts as "All files (*.*)|*.*" with its entry selected.
    explicit TFilterComboBox(TComponent* AOwner);

    String Filter() const { return FFilter; }
    // Lists the filter's entries and selects the first.
    void SetFilter(const String& Value);
    // The selected entry's mask; "*.*" (every file) when no entry is selected.
    String Mask() const;

private:
    String FFilter;
    std::vector<TFilterEntry> FEntries;
};
