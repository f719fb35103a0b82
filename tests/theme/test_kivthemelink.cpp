// TkivThemeLink: the UIStyle / FileTheme pair of a skinned component. Where its answers come from
// (skin file or built-in table), and what happens when the file theme goes away.
#include "ThemeTestKit.h"
#include "framework/Forms.h"
#include "skin/theme/Kivthemelink.h"
#include "testsupport/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace themetest;

namespace {

// The least a component needs to hold a link.
class THolder : public TComponent {
public:
    explicit THolder(TComponent* AOwner) : TComponent(AOwner), Link(this) {}
    TkivThemeLink Link;
    int removals = 0;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Link.Removed(AComponent, Operation)) {
            ++removals;
            Link.SetStyle(DeepBlue);
        }
    }
};

class ThemeLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("link.kvt"));
        ASSERT_TRUE(WriteFile(path, SkinBytes(TColor(0x123456), TColor(0x00FF00))));
        theme = new TkivFileTheme(nullptr);
        theme->SetThemeFile(path);
        ASSERT_TRUE(theme->Ready());
    }
    void TearDown() override { delete theme; }
    QTemporaryDir dir;
    TkivFileTheme* theme = nullptr;
};

}  // namespace

TEST_F(ThemeLink, AnswersFromTheSkinFileOnlyForFromThemeFileWithAUsableTheme)
{
    THolder h(nullptr);
    struct Case {
        const char* name;
        TkivUIStyle style;
        bool withTheme;
        bool usingFile;
        TkivUIStyle effective;
        TColor formColor;
    };
    const TColor deepBlue = GetInsideThemeColor(DeepBlue, KIV_THEME_FORM_BACKGROUND_COLOR);
    const TColor protein = GetInsideThemeColor(Protein, KIV_THEME_FORM_BACKGROUND_COLOR);
    const Case cases[] = {
        {"FromThemeFile with a ready theme", FromThemeFile, true, true, FromThemeFile, TColor(0x123456)},
        {"FromThemeFile without a theme", FromThemeFile, false, false, DeepBlue, deepBlue},
        {"Protein with a ready theme", Protein, true, false, Protein, protein},
        {"Protein without a theme", Protein, false, false, Protein, protein},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        h.Link.SetFile(c.withTheme ? theme : nullptr);
        h.Link.SetStyle(c.style);
        EXPECT_EQ(h.Link.UsingFile(), c.usingFile);
        EXPECT_EQ(h.Link.Effective(), c.effective);
        EXPECT_EQ(h.Link.Color(KIV_THEME_FORM_BACKGROUND_COLOR, SKIN2_FORMCOLOR), c.formColor);
    }
}

TEST_F(ThemeLink, PicturesAreCutFromTheSourceInUse)
{
    THolder h(nullptr);
    h.Link.SetFile(theme);
    h.Link.SetStyle(FromThemeFile);
    TBitmap b;
    // The skin's 6 x 2 button strip cut into 3 frames.
    h.Link.Bitmap(KIV_THEME_BUTTON_IMAGE, SKIN2_BUTTON, &b, 3, 2);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.Height(), 2);
    EXPECT_EQ(Px(b, 0, 0), TColor(0x00FF00));
    // The built-in Protein button: 222 x 21 in three frames.
    h.Link.SetStyle(Protein);
    h.Link.Bitmap(KIV_THEME_BUTTON_IMAGE, SKIN2_BUTTON, &b, 3, 1);
    EXPECT_EQ(b.Width(), 74);
    EXPECT_EQ(b.Height(), 21);
    // The whole picture with a count of 0.
    h.Link.Bitmap(KIV_THEME_BUTTON_IMAGE, SKIN2_BUTTON, &b, 0, 0);
    EXPECT_EQ(b.Width(), 222);
}

TEST_F(ThemeLink, ADeletedThemeIsForgottenAndTheHolderTold)
{
    auto* h = new THolder(nullptr);
    h->Link.SetFile(theme);
    h->Link.SetStyle(FromThemeFile);
    delete theme;
    theme = nullptr;
    EXPECT_EQ(h->removals, 1);
    EXPECT_EQ(h->Link.File(), nullptr);
    EXPECT_EQ(h->Link.Style(), DeepBlue);
    EXPECT_FALSE(h->Link.UsingFile());
    delete h;
}

TEST_F(ThemeLink, AReplacedOrOutlivedThemeNoLongerNotifiesTheHolder)
{
    auto* h = new THolder(nullptr);
    h->Link.SetFile(theme);
    h->Link.SetFile(nullptr);
    delete theme;
    theme = nullptr;
    EXPECT_EQ(h->removals, 0);
    // A holder that goes first leaves the theme without a dangling notification.
    SetUp();
    h->Link.SetFile(theme);
    delete h;
    delete theme;  // would reach the freed holder if the request were still there
    theme = nullptr;
}
