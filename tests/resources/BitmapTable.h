// The built-in bitmaps the controls load by name, with their sizes and frame layouts.
#pragma once

#include <QString>

#include <vector>

namespace rqtest {

struct BitmapSpec {
    const char* name;
    int width;
    int height;
    int frames; // equal frames side by side
};

inline const std::vector<BitmapSpec>& builtInBitmaps()
{
    static const std::vector<BitmapSpec> table = {
        {"MACOS_BUTTON", 252, 23, 3}, {"WINXP_BUTTON", 54, 21, 3}, {"DEEPBLUE_BUTTON", 222, 21, 3},
        {"PROTEIN_BUTTON", 222, 21, 3}, {"BLUEGLASS_BUTTON", 231, 27, 3},
        {"MACOS_CHECKBOX", 60, 17, 4}, {"WINXP_CHECKBOX", 52, 13, 4}, {"DEEPBLUE_CHECKBOX", 52, 13, 4},
        {"PROTEIN_CHECKBOX", 52, 13, 4}, {"BLUEGLASS_CHECKBOX", 52, 13, 4},
        {"MACOS_RADIOBUTTON", 64, 17, 4}, {"WINXP_RADIOBUTTON", 52, 13, 4}, {"DEEPBLUE_RADIOBUTTON", 52, 13, 4},
        {"PROTEIN_RADIOBUTTON", 52, 13, 4}, {"BLUEGLASS_RADIOBUTTON", 52, 13, 4},
        {"MACOS_TITLEBTN", 306, 17, 18}, {"WINXP_TITLEBTN", 378, 21, 18}, {"DEEPBLUE_TITLEBTN", 342, 19, 18},
        {"PROTEIN_TITLEBTN", 342, 19, 18}, {"BLUEGLASS_TITLEBTN", 342, 19, 18},
        {"MACOS_TITLE_LEFT", 48, 23, 1}, {"WINXP_TITLE_LEFT", 35, 29, 1}, {"DEEPBLUE_TITLE_LEFT", 97, 32, 1},
        {"PROTEIN_TITLE_LEFT", 441, 23, 1}, {"BLUEGLASS_TITLE_LEFT", 162, 33, 1},
        {"MACOS_TITLE_CLIENT", 49, 23, 1}, {"WINXP_TITLE_CLIENT", 37, 29, 1}, {"DEEPBLUE_TITLE_CLIENT", 98, 32, 1},
        {"PROTEIN_TITLE_CLIENT", 1, 23, 1}, {"BLUEGLASS_TITLE_CLIENT", 179, 33, 1},
        {"MACOS_TITLE_RIGHT", 48, 23, 1}, {"WINXP_TITLE_RIGHT", 35, 29, 1}, {"DEEPBLUE_TITLE_RIGHT", 97, 32, 1},
        {"PROTEIN_TITLE_RIGHT", 1, 23, 1}, {"BLUEGLASS_TITLE_RIGHT", 101, 33, 1},
        {"MACOS_PROGRESSBAR", 13, 10, 1}, {"WINXP_PROGRESSBAR", 6, 10, 1}, {"DEEPBLUE_PROGRESSBAR", 1, 10, 1},
        {"PROTEIN_PROGRESSBAR", 1, 10, 1}, {"BLUEGLASS_PROGRESSBAR", 1, 10, 1},
        {"MACOS_TRACKBAR_BAR", 45, 5, 3}, {"WINXP_TRACKBAR_BAR", 45, 8, 3}, {"DEEPBLUE_TRACKBAR_BAR", 45, 4, 3},
        {"PROTEIN_TRACKBAR_BAR", 45, 4, 3}, {"BLUEGLASS_TRACKBAR_BAR", 45, 4, 3},
        {"MACOS_TRACKBAR_SLIDER", 11, 20, 1}, {"WINXP_TRACKBAR_SLIDER", 11, 21, 1},
        {"DEEPBLUE_TRACKBAR_SLIDER", 11, 20, 1}, {"PROTEIN_TRACKBAR_SLIDER", 11, 20, 1},
        {"BLUEGLASS_TRACKBAR_SLIDER", 11, 20, 1},
        {"MACOS_TRACKBAR_SLIDER_V", 19, 11, 1}, {"WINXP_TRACKBAR_SLIDER_V", 22, 11, 1},
        {"DEEPBLUE_TRACKBAR_SLIDER_V", 18, 11, 1}, {"PROTEIN_TRACKBAR_SLIDER_V", 18, 11, 1},
        {"BLUEGLASS_TRACKBAR_SLIDER_V", 18, 11, 1},
        {"MACOS_SCROLLBAR_BUTTON", 96, 22, 6}, {"WINXP_SCROLLBAR_BUTTON", 96, 17, 6},
        {"DEEPBLUE_SCROLLBAR_BUTTON", 96, 16, 6}, {"PROTEIN_SCROLLBAR_BUTTON", 96, 16, 6},
        {"BLUEGLASS_SCROLLBAR_BUTTON", 102, 16, 6},
        {"MACOS_SCROLLBAR_TRACK", 33, 16, 3}, {"WINXP_SCROLLBAR_TRACK", 21, 16, 3},
        {"DEEPBLUE_SCROLLBAR_TRACK", 21, 16, 3}, {"PROTEIN_SCROLLBAR_TRACK", 21, 16, 3},
        {"BLUEGLASS_SCROLLBAR_TRACK", 21, 16, 3},
        {"MACOS_CHECKLIST", 40, 11, 4}, {"WINXP_CHECKLIST", 44, 11, 4}, {"DEEPBLUE_CHECKLIST", 44, 11, 4},
        {"PROTEIN_CHECKLIST", 44, 11, 4}, {"BLUEGLASS_CHECKLIST", 44, 11, 4},
        {"MACOS_SCROLLBUTTON", 72, 18, 4}, {"WINXP_SCROLLBUTTON", 72, 18, 4}, {"MORE_SCROLLBUTTON", 72, 17, 4},
        {"MACOS_TAB", 36, 27, 1}, {"WINXP_TAB", 18, 18, 1}, {"DEEPBLUE_TAB", 12, 17, 1}, {"PROTEIN_TAB", 18, 17, 1},
        {"BLUEGLASS_TAB", 18, 17, 1},
        {"MACOS_TAB_LINE", 17, 7, 1}, {"WINXP_TAB_LINE", 8, 1, 1}, {"DEEPBLUE_TAB_LINE", 5, 5, 1},
        {"PROTEIN_TAB_LINE", 10, 5, 1}, {"BLUEGLASS_TAB_LINE", 10, 5, 1},
        {"MACOS_SIDECHENNEL_HANDLE", 7, 84, 1}, {"WINXP_SIDECHENNEL_HANDLE", 8, 86, 1},
        {"DEEPBLUE_SIDECHENNEL_HANDLE", 8, 83, 1}, {"PROTEIN_SIDECHENNEL_HANDLE", 8, 83, 1},
        {"BLUEGLASS_SIDECHENNEL_HANDLE", 8, 86, 1},
        {"MACOS_SIDECHENNEL_BAR", 1, 21, 1}, {"WINXP_SIDECHENNEL_BAR", 1, 21, 1}, {"DEEPBLUE_SIDECHENNEL_BAR", 1, 20, 1},
        {"PROTEIN_SIDECHENNEL_BAR", 1, 21, 1}, {"BLUEGLASS_SIDECHENNEL_BAR", 1, 21, 1},
        {"MENU_CHECKED", 16, 16, 1}, {"MACOS_MENU_BAR", 1, 22, 1}, {"MACOS_MENU_SELECT", 1, 21, 1},
        {"MACOS_FORM_BACKGROUND", 8, 8, 1}, {"PROTEIN_FORM_BACKGROUND", 8, 8, 1}, {"MDI_CONTROL_BUTTON", 48, 16, 3},
        {"MACOS_COMBOBOX_BUTTON", 16, 17, 1}, {"WINXP_COMBOBOX_BUTTON", 16, 18, 1}, {"PANEL_BUTTON", 52, 12, 4},
        {"MSNPOPFORM", 181, 116, 1},
    };
    return table;
}

inline QString bitmapPath(const QString& name)
{
    return QStringLiteral(":/bitmaps/%1.bmp").arg(name);
}

} // namespace rqtest
