#include "skin/theme/Kivresdef.h"

const String KIV_TITLE_MENUITEM_MINIMIZE = QStringLiteral("Mi&nimize");
const String KIV_TITLE_MENUITEM_MAXIMIZE = QStringLiteral("Ma&ximize/Restore");
const String KIV_TITLE_MENUITEM_CLOSE = QStringLiteral("&Close");
