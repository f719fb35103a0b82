// Kivthemes: the typed lookups of the built-in tables, their defaults for the wrong kind and for
// FromThemeFile, the bitmaps every table names, frames cut from strips, and GetKIVFormStyle.
#include "ThemeTestKit.h"

#include "framework/Controls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Resources.h"
#include "skin/theme/Kivthemes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace themetest;

// The skinned form frame, as far as GetKIVFormStyle sees it: a control of class TkivForm with a
// published UIStyle.
class TkivForm : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
public:
    explicit TkivForm(TComponent* AOwner) : TGraphicControl(AOwner) {}
    TkivUIStyle UIStyle() const { return FUIStyle; }
    void SetUIStyle(TkivUIStyle v) { FUIStyle = v; }

private:
    TkivUIStyle FUIStyle = DeepBlue;
};

namespace {

// ---- typed lookups ----

enum class Ask { Color, Int, Bool };

struct LookupCase {
    TkivUIStyle Style;
    int Id;
    Ask What;
    int64_t Want;  // colour, integer, or 0/1
};

int64_t Lookup(const LookupCase& c)
{
    switch (c.What) {
    case Ask::Color: return GetInsideThemeColor(c.Style, c.Id);
    case Ask::Int: return GetInsideThemeInt(c.Style, c.Id);
    case Ask::Bool: return GetInsideThemeBool(c.Style, c.Id) ? 1 : 0;
    }
    return -999;
}

class TypedLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(TypedLookup, Answers)
{
    const LookupCase c = GetParam();
    EXPECT_EQ(Lookup(c), c.Want) << "style " << int(c.Style) << " id " << c.Id;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TypedLookup,
    ::testing::Values(
        // values of the tables
        LookupCase{Protein, KIV_THEME_FORM_BACKGROUND_COLOR, Ask::Color, 0xFBFBFB},
        LookupCase{BlueGlass, KIV_THEME_TITLEBAR_BUTTON_RIGHTOFFSET, Ask::Int, -3},
        LookupCase{Protein, KIV_THEME_TITLEBAR_BUTTON_TRANSPARENT, Ask::Bool, 1},
        LookupCase{MacOS, KIV_THEME_BUTTON_TRANSPARENT, Ask::Bool, 1},
        LookupCase{WinXP, KIV_THEME_BUTTON_TRANSPARENT, Ask::Bool, 0},
        LookupCase{WinXP, KIV_THEME_FORM_BORDER_COLOR, Ask::Color, 0xC82C00},
        LookupCase{WinXP, KIV_THEME_FORM_ROUNDCORNER, Ask::Int, 13},
        LookupCase{WinXP, KIV_THEME_FORM_BORDERWIDTH, Ask::Int, 3},
        LookupCase{BlueGlass, KIV_THEME_FORM_MINWIDTH, Ask::Int, 270},
        LookupCase{MacOS, KIV_THEME_MENU_BACKGROUND_COLOR, Ask::Color, 0x000000},
        LookupCase{DeepBlue, KIV_THEME_MENU_SELECTED_BORDER_COLOR, Ask::Color, 0xA04A44},
        LookupCase{WinXP, KIV_THEME_CONTROL_FONT_COLOR, Ask::Color, 0xCF4602},
        LookupCase{BlueGlass, KIV_THEME_SCROLLBAR_BACKGROUND_COLOR, Ask::Color, 0xF4F4F4},
        LookupCase{WinXP, KIV_THEME_TOOLBAR_BUTTON_DOWN_COLOR, Ask::Color, 0xE1AC93},
        LookupCase{DeepBlue, KIV_THEME_TITLEBAR_BUTTON_TOP, Ask::Int, 2},
        // spare entries
        LookupCase{MacOS, 44, Ask::Color, 0x000000},
        LookupCase{Protein, 44, Ask::Color, 0xFFFFFF},
        LookupCase{BlueGlass, 47, Ask::Int, 0},
        // the wrong kind gives the lookup's default
        LookupCase{WinXP, KIV_THEME_BUTTON_IMAGE, Ask::Color, 0},
        LookupCase{MacOS, KIV_THEME_FORM_BORDER_COLOR, Ask::Int, -1},
        LookupCase{DeepBlue, KIV_THEME_TITLEBAR_BUTTON_TOP, Ask::Bool, 0},
        LookupCase{Protein, KIV_THEME_BUTTON_TRANSPARENT, Ask::Int, -1},
        LookupCase{Protein, KIV_THEME_BUTTON_IMAGE, Ask::Int, -1},
        // FromThemeFile has no table
        LookupCase{FromThemeFile, KIV_THEME_TITLEBAR_BUTTON_TOP, Ask::Int, -1},
        LookupCase{FromThemeFile, KIV_THEME_FORM_BACKGROUND_COLOR, Ask::Color, 0},
        LookupCase{FromThemeFile, KIV_THEME_BUTTON_TRANSPARENT, Ask::Bool, 0},
        // neither has an ordinal above BlueGlass, nor an id outside 1..48
        LookupCase{TkivUIStyle(6), KIV_THEME_FORM_MINWIDTH, Ask::Int, -1},
        LookupCase{TkivUIStyle(255), KIV_THEME_FORM_BACKGROUND_COLOR, Ask::Color, 0},
        LookupCase{DeepBlue, 0, Ask::Int, -1},
        LookupCase{DeepBlue, 49, Ask::Int, -1},
        LookupCase{DeepBlue, -100000, Ask::Color, 0}));

TEST(BuiltInTables, SpareColourAndControlBackgroundRepeatTheFormColourInEveryStyle)
{
    for (TkivUIStyle s : {MacOS, WinXP, DeepBlue, Protein, BlueGlass}) {
        const TColor form = GetInsideThemeColor(s, KIV_THEME_FORM_BACKGROUND_COLOR);
        EXPECT_EQ(GetInsideThemeColor(s, 48), form) << int(s);
        EXPECT_EQ(GetInsideThemeColor(s, KIV_THEME_CONTROL_BACKGROUND_COLOR), form) << int(s);
    }
}

TEST(BuiltInTables, EveryElementHasOneKindAndATableEntryPerStyle)
{
    for (int id = 1; id <= KIV_THEME_ELEMENT_COUNT; ++id) {
        const TkivType kind = KIV_THEME_KINDS[size_t(id - 1)];
        for (TkivUIStyle s : {MacOS, WinXP, DeepBlue, Protein, BlueGlass}) {
            const TkivThemeValue v = (*GetInsideThemeDef(s))[size_t(id - 1)];
            EXPECT_EQ(v.Name != nullptr, kind == TkivType::Str) << "id " << id;
            if (kind == TkivType::Bool) {
                EXPECT_TRUE(v.Value == 0 || v.Value == 1) << "id " << id;
            }
        }
    }
    EXPECT_EQ(GetInsideThemeDef(FromThemeFile), nullptr);
}

// ---- bitmaps ----

struct BitmapCase {
    TkivUIStyle Style;
    int Id;
    const char* Name;
    int W, H, Frames;
};

class TableBitmaps : public ::testing::TestWithParam<BitmapCase> {};

TEST_P(TableBitmaps, LoadAtTheListedSizeAndCutIntoTheListedFrames)
{
    const BitmapCase c = GetParam();
    EXPECT_STREQ((*GetInsideThemeDef(c.Style))[size_t(c.Id - 1)].Name, c.Name);
    TBitmap whole;
    GetInsideThemeBitmap(c.Style, c.Id, &whole, 0, 0);
    EXPECT_EQ(whole.Width(), c.W) << c.Name;
    EXPECT_EQ(whole.Height(), c.H) << c.Name;
    TBitmap frame;
    GetInsideThemeBitmap(c.Style, c.Id, &frame, c.Frames, c.Frames);
    EXPECT_EQ(frame.Width(), c.W / c.Frames) << c.Name;
    EXPECT_EQ(frame.Height(), c.H) << c.Name;
}

std::vector<BitmapCase> AllTableBitmaps()
{
    struct Row {
        int Id, Frames;
        const char* Names[5];
        int Sizes[5][2];
    };
    const Row rows[] = {
        {1, 3, {"MACOS_BUTTON", "WINXP_BUTTON", "DEEPBLUE_BUTTON", "PROTEIN_BUTTON", "BLUEGLASS_BUTTON"},
         {{252, 23}, {54, 21}, {222, 21}, {222, 21}, {231, 27}}},
        {3, 4, {"MACOS_CHECKBOX", "WINXP_CHECKBOX", "DEEPBLUE_CHECKBOX", "PROTEIN_CHECKBOX", "BLUEGLASS_CHECKBOX"},
         {{60, 17}, {52, 13}, {52, 13}, {52, 13}, {52, 13}}},
        {4, 4, {"MACOS_RADIOBUTTON", "WINXP_RADIOBUTTON", "DEEPBLUE_RADIOBUTTON", "PROTEIN_RADIOBUTTON", "BLUEGLASS_RADIOBUTTON"},
         {{64, 17}, {52, 13}, {52, 13}, {52, 13}, {52, 13}}},
        {5, 18, {"MACOS_TITLEBTN", "WINXP_TITLEBTN", "DEEPBLUE_TITLEBTN", "PROTEIN_TITLEBTN", "BLUEGLASS_TITLEBTN"},
         {{306, 17}, {378, 21}, {342, 19}, {342, 19}, {342, 19}}},
        {10, 1, {"MACOS_TITLE_LEFT", "WINXP_TITLE_LEFT", "DEEPBLUE_TITLE_LEFT", "PROTEIN_TITLE_LEFT", "BLUEGLASS_TITLE_LEFT"},
         {{48, 23}, {35, 29}, {97, 32}, {441, 23}, {162, 33}}},
        {11, 1, {"MACOS_TITLE_CLIENT", "WINXP_TITLE_CLIENT", "DEEPBLUE_TITLE_CLIENT", "PROTEIN_TITLE_CLIENT", "BLUEGLASS_TITLE_CLIENT"},
         {{49, 23}, {37, 29}, {98, 32}, {1, 23}, {179, 33}}},
        {12, 1, {"MACOS_TITLE_RIGHT", "WINXP_TITLE_RIGHT", "DEEPBLUE_TITLE_RIGHT", "PROTEIN_TITLE_RIGHT", "BLUEGLASS_TITLE_RIGHT"},
         {{48, 23}, {35, 29}, {97, 32}, {1, 23}, {101, 33}}},
        {24, 1, {"MACOS_PROGRESSBAR", "WINXP_PROGRESSBAR", "DEEPBLUE_PROGRESSBAR", "PROTEIN_PROGRESSBAR", "BLUEGLASS_PROGRESSBAR"},
         {{13, 10}, {6, 10}, {1, 10}, {1, 10}, {1, 10}}},
        {28, 1, {"MACOS_TRACKBAR_BAR", "WINXP_TRACKBAR_BAR", "DEEPBLUE_TRACKBAR_BAR", "PROTEIN_TRACKBAR_BAR", "BLUEGLASS_TRACKBAR_BAR"},
         {{45, 5}, {45, 8}, {45, 4}, {45, 4}, {45, 4}}},
        {29, 1, {"MACOS_TRACKBAR_SLIDER", "WINXP_TRACKBAR_SLIDER", "DEEPBLUE_TRACKBAR_SLIDER", "PROTEIN_TRACKBAR_SLIDER", "BLUEGLASS_TRACKBAR_SLIDER"},
         {{11, 20}, {11, 21}, {11, 20}, {11, 20}, {11, 20}}},
        {30, 1, {"MACOS_TRACKBAR_SLIDER_V", "WINXP_TRACKBAR_SLIDER_V", "DEEPBLUE_TRACKBAR_SLIDER_V", "PROTEIN_TRACKBAR_SLIDER_V", "BLUEGLASS_TRACKBAR_SLIDER_V"},
         {{19, 11}, {22, 11}, {18, 11}, {18, 11}, {18, 11}}},
        {32, 6, {"MACOS_SCROLLBAR_BUTTON", "WINXP_SCROLLBAR_BUTTON", "DEEPBLUE_SCROLLBAR_BUTTON", "PROTEIN_SCROLLBAR_BUTTON", "BLUEGLASS_SCROLLBAR_BUTTON"},
         {{96, 22}, {96, 17}, {96, 16}, {96, 16}, {102, 16}}},
        {33, 3, {"MACOS_SCROLLBAR_TRACK", "WINXP_SCROLLBAR_TRACK", "DEEPBLUE_SCROLLBAR_TRACK", "PROTEIN_SCROLLBAR_TRACK", "BLUEGLASS_SCROLLBAR_TRACK"},
         {{33, 16}, {21, 16}, {21, 16}, {21, 16}, {21, 16}}},
        {34, 1, {"MACOS_CHECKLIST", "WINXP_CHECKLIST", "DEEPBLUE_CHECKLIST", "PROTEIN_CHECKLIST", "BLUEGLASS_CHECKLIST"},
         {{40, 11}, {44, 11}, {44, 11}, {44, 11}, {44, 11}}},
        {38, 1, {"MACOS_SCROLLBUTTON", "WINXP_SCROLLBUTTON", "MORE_SCROLLBUTTON", "MORE_SCROLLBUTTON", "MORE_SCROLLBUTTON"},
         {{72, 18}, {72, 18}, {72, 17}, {72, 17}, {72, 17}}},
        {39, 1, {"MACOS_TAB", "WINXP_TAB", "DEEPBLUE_TAB", "PROTEIN_TAB", "BLUEGLASS_TAB"},
         {{36, 27}, {18, 18}, {12, 17}, {18, 17}, {18, 17}}},
        {40, 1, {"MACOS_TAB_LINE", "WINXP_TAB_LINE", "DEEPBLUE_TAB_LINE", "PROTEIN_TAB_LINE", "BLUEGLASS_TAB_LINE"},
         {{17, 7}, {8, 1}, {5, 5}, {10, 5}, {10, 5}}},
        {41, 1, {"MACOS_SIDECHENNEL_HANDLE", "WINXP_SIDECHENNEL_HANDLE", "DEEPBLUE_SIDECHENNEL_HANDLE", "PROTEIN_SIDECHENNEL_HANDLE", "BLUEGLASS_SIDECHENNEL_HANDLE"},
         {{7, 84}, {8, 86}, {8, 83}, {8, 83}, {8, 86}}},
        {42, 1, {"MACOS_SIDECHENNEL_BAR", "WINXP_SIDECHENNEL_BAR", "DEEPBLUE_SIDECHENNEL_BAR", "PROTEIN_SIDECHENNEL_BAR", "BLUEGLASS_SIDECHENNEL_BAR"},
         {{1, 21}, {1, 21}, {1, 20}, {1, 21}, {1, 21}}},
    };
    const TkivUIStyle styles[5] = {MacOS, WinXP, DeepBlue, Protein, BlueGlass};
    std::vector<BitmapCase> cases;
    for (const Row& r : rows)
        for (int s = 0; s < 5; ++s)
            cases.push_back({styles[s], r.Id, r.Names[s], r.Sizes[s][0], r.Sizes[s][1], r.Frames});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(AllStyles, TableBitmaps, ::testing::ValuesIn(AllTableBitmaps()),
                         [](const auto& info) { return std::string(info.param.Name) + "_" + std::to_string(int(info.param.Style)); });

TEST(GetInsideThemeBitmap, CloseButtonFrameComesFromTheRightEdgeOfTheStrip)
{
    TBitmap strip, last, first;
    strip.LoadFromResourceName(HInstance, QStringLiteral("DEEPBLUE_TITLEBTN"));
    ASSERT_EQ(strip.Width(), 342);
    GetInsideThemeBitmap(DeepBlue, KIV_THEME_TITLEBAR_BUTTON_IMAGE, &last, 18, 18);
    GetInsideThemeBitmap(DeepBlue, KIV_THEME_TITLEBAR_BUTTON_IMAGE, &first, 18, 1);
    ASSERT_EQ(last.Width(), 19);
    ASSERT_EQ(last.Height(), 19);
    ASSERT_EQ(first.Width(), 19);
    EXPECT_EQ(last.Image(), strip.Image().copy(323, 0, 19, 19));
    EXPECT_EQ(first.Image(), strip.Image().copy(0, 0, 19, 19));
}

TEST(GetInsideThemeBitmap, NonImageElementsAndStylesWithoutTableLeaveTheTargetAloneWholeOrEmptyCut)
{
    // Frame count 0: nothing is loaded and the target stays as it was.
    TBitmap b(3, 3);
    Fill(b, clLime);
    GetInsideThemeBitmap(MacOS, KIV_THEME_FORM_BORDER_COLOR, &b, 0, 0);
    GetInsideThemeBitmap(FromThemeFile, KIV_THEME_BUTTON_IMAGE, &b, 0, 0);
    GetInsideThemeBitmap(DeepBlue, 0, &b, 0, 0);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(Px(b, 1, 1), clLime);
    GetInsideThemeBitmap(DeepBlue, KIV_THEME_BUTTON_IMAGE, nullptr, 0, 0);

    // Any other frame count cuts a frame out of the bitmap that nothing was loaded into: the target
    // takes that frame's size, 0 x 0.
    struct Case {
        TkivUIStyle style;
        int id, count, index;
    };
    const Case cases[] = {
        {MacOS, KIV_THEME_FORM_BORDER_COLOR, 3, 1},  // a colour
        {Protein, KIV_THEME_BUTTON_TRANSPARENT, 1, 1},  // a flag
        {WinXP, KIV_THEME_FORM_MINWIDTH, 4, 4},  // an integer
        {FromThemeFile, KIV_THEME_BUTTON_IMAGE, 3, 2},  // no table
        {DeepBlue, 49, 3, 1},  // beyond the table
    };
    for (const Case& c : cases) {
        TBitmap t(3, 3);
        Fill(t, clLime);
        GetInsideThemeBitmap(c.style, c.id, &t, c.count, c.index);
        EXPECT_EQ(t.Width(), 0) << "style " << int(c.style) << " id " << c.id;
        EXPECT_EQ(t.Height(), 0) << "style " << int(c.style) << " id " << c.id;
        EXPECT_TRUE(t.Empty());
    }
}

TEST(GetInsideThemeBitmap, SpareEmptyNamesRaiseResourceNotFound)
{
    for (int id : {43, 45, 46})
        for (TkivUIStyle s : {MacOS, WinXP, DeepBlue, Protein, BlueGlass}) {
            TBitmap b;
            try {
                GetInsideThemeBitmap(s, id, &b, 0, 0);
                ADD_FAILURE() << "id " << id << " loaded";
            } catch (const EResNotFound& e) {
                EXPECT_EQ(e.Message(), QStringLiteral("Resource  not found"));
            }
            EXPECT_THROW(GetInsideThemeBitmap(s, id, &b, 3, 1), EResNotFound);
        }
}

// ---- GetKIVFormStyle ----

TEST(GetKIVFormStyle, TheFirstSkinnedFrameAmongTheFormsDirectChildrenDecides)
{
    EXPECT_EQ(GetKIVFormStyle(nullptr), DeepBlue);

    TForm form(nullptr);
    EXPECT_EQ(GetKIVFormStyle(&form), DeepBlue) << "no frame";

    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* nested = new TkivForm(&form);
    nested->SetParent(panel);
    nested->SetUIStyle(MacOS);
    EXPECT_EQ(GetKIVFormStyle(&form), DeepBlue) << "a frame inside a panel does not count";
    EXPECT_EQ(GetKIVFormStyle(panel), DeepBlue) << "a panel is not a form";

    auto* frame = new TkivForm(&form);
    frame->SetParent(&form);
    frame->SetUIStyle(Protein);
    auto* second = new TkivForm(&form);
    second->SetParent(&form);
    second->SetUIStyle(WinXP);
    EXPECT_EQ(GetKIVFormStyle(&form), Protein);
    frame->SetUIStyle(FromThemeFile);
    EXPECT_EQ(GetKIVFormStyle(&form), FromThemeFile);

    TComponent dataModule(nullptr);
    EXPECT_EQ(GetKIVFormStyle(&dataModule), DeepBlue);
}

TEST(UIStyleProperty, SetByOrdinalAndReadBack)
{
    TkivForm f(nullptr);
    ASSERT_TRUE(f.SetPropValue(QStringLiteral("UIStyle"), QVariant(int(BlueGlass))));
    EXPECT_EQ(f.UIStyle(), BlueGlass);
    ASSERT_TRUE(f.SetPropValue(QStringLiteral("UIStyle"), QVariant::fromValue(WinXP)));
    EXPECT_EQ(f.UIStyle(), WinXP);
    EXPECT_EQ(f.GetPropValue(QStringLiteral("UIStyle")).toInt(), int(WinXP));
}

}  // namespace

#include "test_kivthemes.moc"
