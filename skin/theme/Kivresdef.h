// Unit Kivresdef: the library's resource strings (the title bar's system-menu captions).
#pragma once

#include "framework/System.h"

extern const String KIV_TITLE_MENUITEM_MINIMIZE;  // "Mi&nimize"
extern const String KIV_TITLE_MENUITEM_MAXIMIZE;  // "Ma&ximize/Restore"
extern const String KIV_TITLE_MENUITEM_CLOSE;     // "&Close"
