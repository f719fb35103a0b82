#include "skin/theme/Kivthemes.h"

#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/Resources.h"
#include "skin/theme/Kivpublic.h"

#include <memory>

namespace {

constexpr TkivThemeValue I(int32_t v) { return {v, nullptr}; }
constexpr TkivThemeValue C(uint32_t bgr) { return {int32_t(bgr), nullptr}; }
constexpr TkivThemeValue B(bool v) { return {v ? 1 : 0, nullptr}; }
constexpr TkivThemeValue S(const char* name) { return {0, name}; }

// One element across the five built-in styles, in the order MacOS, WinXP, DeepBlue, Protein,
// BlueGlass.
struct TkivThemeRow {
    TkivType Kind;
    TkivThemeValue Values[5];
};

constexpr TkivType tStr = TkivType::Str, tInt = TkivType::Int, tColor = TkivType::Color, tBool = TkivType::Bool;

constexpr TkivThemeRow Rows[KIV_THEME_ELEMENT_COUNT] = {
    /*  1 BUTTON_IMAGE           */ {tStr, {S("MACOS_BUTTON"), S("WINXP_BUTTON"), S("DEEPBLUE_BUTTON"), S("PROTEIN_BUTTON"), S("BLUEGLASS_BUTTON")}},
    /*  2 BUTTON_TRANSPARENT     */ {tBool, {B(true), B(false), B(false), B(false), B(true)}},
    /*  3 CHECKBOX_IMAGE         */ {tStr, {S("MACOS_CHECKBOX"), S("WINXP_CHECKBOX"), S("DEEPBLUE_CHECKBOX"), S("PROTEIN_CHECKBOX"), S("BLUEGLASS_CHECKBOX")}},
    /*  4 RADIOBUTTON_IMAGE      */ {tStr, {S("MACOS_RADIOBUTTON"), S("WINXP_RADIOBUTTON"), S("DEEPBLUE_RADIOBUTTON"), S("PROTEIN_RADIOBUTTON"), S("BLUEGLASS_RADIOBUTTON")}},
    /*  5 TITLEBAR_BUTTON_IMAGE  */ {tStr, {S("MACOS_TITLEBTN"), S("WINXP_TITLEBTN"), S("DEEPBLUE_TITLEBTN"), S("PROTEIN_TITLEBTN"), S("BLUEGLASS_TITLEBTN")}},
    /*  6 TITLEBAR_BUTTON_TRANSP */ {tBool, {B(false), B(false), B(false), B(true), B(true)}},
    /*  7 TITLEBAR_BTN_LEFTOFS   */ {tInt, {I(3), I(2), I(0), I(0), I(4)}},
    /*  8 TITLEBAR_BTN_RIGHTOFS  */ {tInt, {I(-2), I(-2), I(0), I(0), I(-3)}},
    /*  9 TITLEBAR_BUTTON_TOP    */ {tInt, {I(4), I(5), I(2), I(2), I(6)}},
    /* 10 TITLEBAR_LEFT_IMAGE    */ {tStr, {S("MACOS_TITLE_LEFT"), S("WINXP_TITLE_LEFT"), S("DEEPBLUE_TITLE_LEFT"), S("PROTEIN_TITLE_LEFT"), S("BLUEGLASS_TITLE_LEFT")}},
    /* 11 TITLEBAR_CLIENT_IMAGE  */ {tStr, {S("MACOS_TITLE_CLIENT"), S("WINXP_TITLE_CLIENT"), S("DEEPBLUE_TITLE_CLIENT"), S("PROTEIN_TITLE_CLIENT"), S("BLUEGLASS_TITLE_CLIENT")}},
    /* 12 TITLEBAR_RIGHT_IMAGE   */ {tStr, {S("MACOS_TITLE_RIGHT"), S("WINXP_TITLE_RIGHT"), S("DEEPBLUE_TITLE_RIGHT"), S("PROTEIN_TITLE_RIGHT"), S("BLUEGLASS_TITLE_RIGHT")}},
    /* 13 FORM_MINWIDTH          */ {tInt, {I(130), I(150), I(130), I(130), I(270)}},
    /* 14 FORM_ROUNDCORNER       */ {tInt, {I(0), I(13), I(0), I(0), I(11)}},
    /* 15 FORM_BACKGROUND_COLOR  */ {tColor, {C(0xE7E7E7), C(0xDEEBEF), C(0xE8E8E8), C(0xFBFBFB), C(0xE7E7E7)}},
    /* 16 FORM_BORDER_COLOR      */ {tColor, {C(0x7F7F7F), C(0xC82C00), C(0x000000), C(0x000000), C(0x000000)}},
    /* 17 FORM_BORDERWIDTH       */ {tInt, {I(1), I(3), I(1), I(1), I(1)}},
    /* 18 MENU_SELECTED_BORDER   */ {tColor, {C(0xC47339), C(0xC66931), C(0xA04A44), C(0xC4302D), C(0xEC5E5E)}},
    /* 19 MENU_SELECTED_BACK     */ {tColor, {C(0xC47339), C(0xEFD3C6), C(0xA04A44), C(0xC4302D), C(0xEC5E5E)}},
    /* 20 MENU_SELECTED_FONT     */ {tColor, {C(0xFFFFFF), C(0x000000), C(0xFFFFFF), C(0xFFFFFF), C(0xFFFFFF)}},
    /* 21 MENU_BACKGROUND_COLOR  */ {tColor, {C(0x000000), C(0xFFFFFF), C(0xFFFFFF), C(0xFFFFFF), C(0xE7E7E7)}},
    /* 22 MENU_FONT_COLOR        */ {tColor, {C(0x000000), C(0x000000), C(0x000000), C(0x000000), C(0x000000)}},
    /* 23 MENU_LEFTBAR_COLOR     */ {tColor, {C(0x000000), C(0xCED3D6), C(0xCED3D6), C(0xCED3D6), C(0xCED3D6)}},
    /* 24 PROGRESSBAR_IMAGE      */ {tStr, {S("MACOS_PROGRESSBAR"), S("WINXP_PROGRESSBAR"), S("DEEPBLUE_PROGRESSBAR"), S("PROTEIN_PROGRESSBAR"), S("BLUEGLASS_PROGRESSBAR")}},
    /* 25 CONTROL_BORDER_COLOR   */ {tColor, {C(0x7F7F7F), C(0x686868), C(0x000000), C(0x000000), C(0x000000)}},
    /* 26 CONTROL_BACKGROUND     */ {tColor, {C(0xE7E7E7), C(0xDEEBEF), C(0xE8E8E8), C(0xFBFBFB), C(0xE7E7E7)}},
    /* 27 CONTROL_FONT_COLOR     */ {tColor, {C(0x000000), C(0xCF4602), C(0x000000), C(0x000000), C(0x000000)}},
    /* 28 TRACKBAR_BAR_IMAGE     */ {tStr, {S("MACOS_TRACKBAR_BAR"), S("WINXP_TRACKBAR_BAR"), S("DEEPBLUE_TRACKBAR_BAR"), S("PROTEIN_TRACKBAR_BAR"), S("BLUEGLASS_TRACKBAR_BAR")}},
    /* 29 TRACKBAR_SLIDER_IMAGE  */ {tStr, {S("MACOS_TRACKBAR_SLIDER"), S("WINXP_TRACKBAR_SLIDER"), S("DEEPBLUE_TRACKBAR_SLIDER"), S("PROTEIN_TRACKBAR_SLIDER"), S("BLUEGLASS_TRACKBAR_SLIDER")}},
    /* 30 TRACKBAR_VSLIDER_IMAGE */ {tStr, {S("MACOS_TRACKBAR_SLIDER_V"), S("WINXP_TRACKBAR_SLIDER_V"), S("DEEPBLUE_TRACKBAR_SLIDER_V"), S("PROTEIN_TRACKBAR_SLIDER_V"), S("BLUEGLASS_TRACKBAR_SLIDER_V")}},
    /* 31 SCROLLBAR_BACKGROUND   */ {tColor, {C(0xC9C9C9), C(0xF9F9F9), C(0xF5F5F5), C(0xF5F5F5), C(0xF4F4F4)}},
    /* 32 SCROLLBAR_BUTTON_IMAGE */ {tStr, {S("MACOS_SCROLLBAR_BUTTON"), S("WINXP_SCROLLBAR_BUTTON"), S("DEEPBLUE_SCROLLBAR_BUTTON"), S("PROTEIN_SCROLLBAR_BUTTON"), S("BLUEGLASS_SCROLLBAR_BUTTON")}},
    /* 33 SCROLLBAR_TRACK_IMAGE  */ {tStr, {S("MACOS_SCROLLBAR_TRACK"), S("WINXP_SCROLLBAR_TRACK"), S("DEEPBLUE_SCROLLBAR_TRACK"), S("PROTEIN_SCROLLBAR_TRACK"), S("BLUEGLASS_SCROLLBAR_TRACK")}},
    /* 34 CHECKLIST_IMAGE        */ {tStr, {S("MACOS_CHECKLIST"), S("WINXP_CHECKLIST"), S("DEEPBLUE_CHECKLIST"), S("PROTEIN_CHECKLIST"), S("BLUEGLASS_CHECKLIST")}},
    /* 35 TOOLBAR_BTN_BORDER     */ {tColor, {C(0x474747), C(0xC66931), C(0x474747), C(0x474747), C(0x474747)}},
    /* 36 TOOLBAR_BUTTON_COLOR   */ {tColor, {C(0xEFEFEF), C(0xEFD3C6), C(0xEFEFEF), C(0xEFEFEF), C(0xEFEFEF)}},
    /* 37 TOOLBAR_BTN_DOWN       */ {tColor, {C(0xD8D8D8), C(0xE1AC93), C(0xD8D8D8), C(0xD8D8D8), C(0xD8D8D8)}},
    /* 38 SCROLLBUTTON_IMAGE     */ {tStr, {S("MACOS_SCROLLBUTTON"), S("WINXP_SCROLLBUTTON"), S("MORE_SCROLLBUTTON"), S("MORE_SCROLLBUTTON"), S("MORE_SCROLLBUTTON")}},
    /* 39 TAB_IMAGE              */ {tStr, {S("MACOS_TAB"), S("WINXP_TAB"), S("DEEPBLUE_TAB"), S("PROTEIN_TAB"), S("BLUEGLASS_TAB")}},
    /* 40 TABLINE_IMAGE          */ {tStr, {S("MACOS_TAB_LINE"), S("WINXP_TAB_LINE"), S("DEEPBLUE_TAB_LINE"), S("PROTEIN_TAB_LINE"), S("BLUEGLASS_TAB_LINE")}},
    /* 41 SIDECHANNEL_HANDLE     */ {tStr, {S("MACOS_SIDECHENNEL_HANDLE"), S("WINXP_SIDECHENNEL_HANDLE"), S("DEEPBLUE_SIDECHENNEL_HANDLE"), S("PROTEIN_SIDECHENNEL_HANDLE"), S("BLUEGLASS_SIDECHENNEL_HANDLE")}},
    /* 42 SIDECHANNEL_BAR        */ {tStr, {S("MACOS_SIDECHENNEL_BAR"), S("WINXP_SIDECHENNEL_BAR"), S("DEEPBLUE_SIDECHENNEL_BAR"), S("PROTEIN_SIDECHENNEL_BAR"), S("BLUEGLASS_SIDECHENNEL_BAR")}},
    /* 43 spare                  */ {tStr, {S(""), S(""), S(""), S(""), S("")}},
    /* 44 spare                  */ {tColor, {C(0x000000), C(0xFFFFFF), C(0xFFFFFF), C(0xFFFFFF), C(0xFFFFFF)}},
    /* 45 spare                  */ {tStr, {S(""), S(""), S(""), S(""), S("")}},
    /* 46 spare                  */ {tStr, {S(""), S(""), S(""), S(""), S("")}},
    /* 47 spare                  */ {tInt, {I(0), I(0), I(0), I(0), I(0)}},
    /* 48 spare                  */ {tColor, {C(0xE7E7E7), C(0xDEEBEF), C(0xE8E8E8), C(0xFBFBFB), C(0xE7E7E7)}},
};

constexpr TkivThemeDef MakeDef(int column)
{
    TkivThemeDef def{};
    for (int i = 0; i < KIV_THEME_ELEMENT_COUNT; ++i)
        def[size_t(i)] = Rows[i].Values[column];
    return def;
}

constexpr std::array<TkivType, KIV_THEME_ELEMENT_COUNT> MakeKinds()
{
    std::array<TkivType, KIV_THEME_ELEMENT_COUNT> kinds{};
    for (int i = 0; i < KIV_THEME_ELEMENT_COUNT; ++i)
        kinds[size_t(i)] = Rows[i].Kind;
    return kinds;
}

constexpr TkivThemeDef MacOSDef = MakeDef(0);
constexpr TkivThemeDef WinXPDef = MakeDef(1);
constexpr TkivThemeDef DeepBlueDef = MakeDef(2);
constexpr TkivThemeDef ProteinDef = MakeDef(3);
constexpr TkivThemeDef BlueGlassDef = MakeDef(4);

// Table selection shared by the lookups: the element's kind and value, or (Int, -1) when the
// style has no table. Ids outside 1..48 read like a style without a table.
struct TkivLookup {
    TkivType Kind = TkivType::Int;
    TkivThemeValue Value{-1, nullptr};
};

TkivLookup Lookup(TkivUIStyle Style, int ElementId)
{
    TkivLookup r;
    PTkivThemeDef def = GetInsideThemeDef(Style);
    if (!def || ElementId < 1 || ElementId > KIV_THEME_ELEMENT_COUNT)
        return r;
    r.Kind = KIV_THEME_KINDS[size_t(ElementId - 1)];
    r.Value = (*def)[size_t(ElementId - 1)];
    return r;
}

// Loads an image element's resource into Target; false when the element is not an image.
bool LoadElement(const TkivLookup& e, TBitmap* Target)
{
    if (e.Kind != TkivType::Str)
        return false;
    Target->LoadFromResourceName(HInstance, QString::fromLatin1(e.Value.Name ? e.Value.Name : ""));
    return true;
}

}  // namespace

const std::array<TkivType, KIV_THEME_ELEMENT_COUNT> KIV_THEME_KINDS = MakeKinds();

PTkivThemeDef GetInsideThemeDef(TkivUIStyle Style)
{
    switch (Style) {
    case MacOS: return &MacOSDef;
    case WinXP: return &WinXPDef;
    case DeepBlue: return &DeepBlueDef;
    case Protein: return &ProteinDef;
    case BlueGlass: return &BlueGlassDef;
    default: return nullptr;
    }
}

void GetInsideThemeBitmap(TkivUIStyle Style, int ElementId, TBitmap* Target, int FrameCount, int FrameIndex)
{
    if (!Target)
        return;
    const TkivLookup e = Lookup(Style, ElementId);
    if (FrameCount == 0) {
        LoadElement(e, Target);
        return;
    }
    // A non-image element loads nothing into the temporary bitmap; the frame cut out of it is then
    // 0 x 0, and so is the target.
    auto whole = std::make_unique<TBitmap>();
    LoadElement(e, whole.get());
    SpitBitmap(whole.get(), Target, FrameCount, FrameIndex);
}

TColor GetInsideThemeColor(TkivUIStyle Style, int ElementId)
{
    const TkivLookup e = Lookup(Style, ElementId);
    return e.Kind == TkivType::Color ? TColor(e.Value.Value) : TColor(0);
}

int GetInsideThemeInt(TkivUIStyle Style, int ElementId)
{
    const TkivLookup e = Lookup(Style, ElementId);
    return e.Kind == TkivType::Int ? e.Value.Value : -1;
}

bool GetInsideThemeBool(TkivUIStyle Style, int ElementId)
{
    const TkivLookup e = Lookup(Style, ElementId);
    return e.Kind == TkivType::Bool ? (e.Value.Value & 0xFF) != 0 : false;
}

TkivUIStyle GetKIVFormStyle(TComponent* Owner)
{
    auto* form = dynamic_cast<TCustomForm*>(Owner);
    if (!form)
        return DeepBlue;
    for (int i = 0; i < form->ControlCount(); ++i) {
        TControl* c = form->Controls(i);
        // The skinned frame is known by class name: this unit sits below it.
        if (!c->inherits("TkivForm"))
            continue;
        bool ok = false;
        const int v = c->GetPropValue(QStringLiteral("UIStyle")).toInt(&ok);
        return ok ? ToUIStyle(v) : DeepBlue;
    }
    return DeepBlue;
}
