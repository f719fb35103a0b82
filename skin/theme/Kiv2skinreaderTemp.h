// Temporary files of the skin reader: the system temporary directory, fresh GUIDs for names, and
// a file that is created exclusively, readable by its owner only, and always removed.
#pragma once

#include "framework/System.h"

#include <cstdint>

namespace Kiv2sys {

struct TGUID {
    uint32_t D1 = 0;
    uint16_t D2 = 0;
    uint16_t D3 = 0;
    uint8_t D4[8] = {};
};

// The system temporary directory, always ending with a path separator.
String GetTempPath();

// A newly created random GUID.
TGUID CoCreateGuid();

// The GUID's usual text form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hexadecimal.
String GUIDToString(const TGUID& Guid);

}  // namespace Kiv2sys

// A temporary file opened for reading and writing. Create makes it with O_CREAT | O_EXCL and
// mode 0600, so an existing file or link of that name is never opened; the destructor closes and
// removes it.
class TSk2TempFile {
public:
    TSk2TempFile() = default;
    ~TSk2TempFile();
    TSk2TempFile(const TSk2TempFile&) = delete;
    TSk2TempFile& operator=(const TSk2TempFile&) = delete;

    // False when the file exists already or cannot be created.
    bool Create(const String& Path);
    int Fd() const { return FFd; }
    const String& Path() const { return FPath; }
    // Closes and removes the file now.
    void Remove();

private:
    int FFd = -1;
    String FPath;
};
