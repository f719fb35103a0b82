#include "framework/KeyMap.h"

#include "platform/WinUser.h"

#include <Qt>
#include <utility>

namespace {

const std::pair<int, int> kKeys[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB},       {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN},  {Qt::Key_Enter, VK_RETURN},  {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},     {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},   {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME},      {Qt::Key_Left, VK_LEFT},     {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},    {Qt::Key_Down, VK_DOWN},     {Qt::Key_Print, VK_PRINT},
    {Qt::Key_Insert, VK_INSERT},  {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Help, VK_HELP},
    {Qt::Key_Menu, VK_APPS},      {Qt::Key_Asterisk, VK_MULTIPLY}, {Qt::Key_Plus, VK_ADD},
    {Qt::Key_Minus, 0xBD},        {Qt::Key_Period, 0xBE},      {Qt::Key_Comma, 0xBC},
    {Qt::Key_Slash, 0xBF},        {Qt::Key_Semicolon, 0xBA},   {Qt::Key_Equal, 0xBB},
};

}  // namespace

WORD QtKeyToVirtualKey(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return WORD('0' + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return WORD('A' + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return WORD(VK_F1 + (qtKey - Qt::Key_F1));
    for (const auto& [q, vk] : kKeys)
        if (q == qtKey)
            return WORD(vk);
    return 0;
}

int VirtualKeyToQtKey(WORD vk)
{
    if (vk >= '0' && vk <= '9')
        return Qt::Key_0 + (vk - '0');
    if (vk >= 'A' && vk <= 'Z')
        return Qt::Key_A + (vk - 'A');
    if (vk >= VK_F1 && vk < VK_F1 + 24)
        return Qt::Key_F1 + (vk - VK_F1);
    for (const auto& [q, v] : kKeys)
        if (v == vk)
            return q;
    return 0;
}
