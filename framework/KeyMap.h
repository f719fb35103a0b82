// Maps Qt key codes to the virtual-key codes keyboard messages carry.
#pragma once

#include "platform/WinTypes.h"

// The virtual-key code of a Qt::Key, or 0 when the key has none.
WORD QtKeyToVirtualKey(int qtKey);
// The Qt::Key of a virtual-key code, or 0.
int VirtualKeyToQtKey(WORD vk);
