// The program's resources: bitmaps and other data compiled in with the Qt resource system and found by
// name. Bitmap resources live at ":/bitmaps/<NAME>.bmp" with upper-case names, so lookups ignore case.
#pragma once

#include "framework/System.h"
#include "platform/WinTypes.h"

#include <QByteArray>

// The program's own module; the one instance whose resources the lookups search.
extern const HINSTANCE HInstance;

// Finds the bitmap resource `name` (any letter case); false when the program has none of that name.
bool FindBitmapResource(const String& name, QByteArray& out);

// Finds the resource ":/<type in lower case>/<name>", trying the name as given and then in upper case.
bool FindResourceData(const String& type, const String& name, QByteArray& out);
