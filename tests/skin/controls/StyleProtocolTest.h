// The UIStyle / FileTheme protocol that every skinned control follows, as one typed test. A
// control's test file instantiates it for its classes:
//
//   using ButtonTypes = ::testing::Types<TkivButton, TkivArrowButton>;
//   INSTANTIATE_TYPED_TEST_SUITE_P(Buttons, StyleProtocol, ButtonTypes);
//
// A class whose UIStyle reads back something else than was written (an image button always
// reads FromThemeFile) says so by specialising StyleProtocolTraits.
#pragma once

#include "SkinControlKit.h"
#include "skin/theme/Kivpublic.h"

namespace skintest {

template <class T>
struct StyleProtocolTraits {
    // UIStyle reads back the value written.
    static constexpr bool UIStyleReadsBack = true;
};

// A specialisation may add `static constexpr bool AlwaysRenders = false;` for a control sized by
// its picture, which shrinks to 0 x 0 (and so renders nothing) where the look has no picture.
template <class Traits>
constexpr bool AlwaysRenders()
{
    if constexpr (requires { Traits::AlwaysRenders; })
        return Traits::AlwaysRenders;
    else
        return true;
}

inline TkivUIStyle StyleOf(const QObject* c)
{
    return c->property("UIStyle").value<TkivUIStyle>();
}
inline TkivFileTheme* FileThemeOf(const QObject* c)
{
    return c->property("FileTheme").value<TkivFileTheme*>();
}

template <class T>
class StyleProtocol : public SkinControlTest {};

TYPED_TEST_SUITE_P(StyleProtocol);

TYPED_TEST_P(StyleProtocol, FollowsTheStyleProtocol)
{
    constexpr bool readsBack = StyleProtocolTraits<TypeParam>::UIStyleReadsBack;
    constexpr bool renders = AlwaysRenders<StyleProtocolTraits<TypeParam>>();
    TForm* form = this->form;
    auto* c = new TypeParam(form);
    c->SetParent(form);
    c->SetBounds(10, 10, 90, 30);

    // Both properties are published, so containers and the theme manager reach the control.
    EXPECT_TRUE(IsHasProperty(c, QStringLiteral("UIStyle")));
    EXPECT_TRUE(IsHasProperty(c, QStringLiteral("FileTheme")));
    // A form without a skinned frame gives its controls DeepBlue.
    if (readsBack) {
        EXPECT_EQ(StyleOf(c), DeepBlue);
    }

    // Set by name, read back by name.
    for (TkivUIStyle s : BuiltInStyles()) {
        ASSERT_TRUE(c->setProperty("UIStyle", QVariant::fromValue(s)));
        if (readsBack) {
            EXPECT_EQ(StyleOf(c), s) << StyleName(s);
        }
        if (renders) {
            EXPECT_FALSE(Render(c).isNull()) << StyleName(s);
        }
    }

    // A container passes its look on.
    ContainerApplyUIStyle(form, Protein, nullptr);
    if (readsBack) {
        EXPECT_EQ(StyleOf(c), Protein);
    }

    // A skin file in use, then its theme deleted: the control forgets it and falls back to DeepBlue.
    TkivFileTheme* theme = SampleSkin(form);
    ASSERT_TRUE(theme->Ready());
    ASSERT_TRUE(c->setProperty("FileTheme", QVariant::fromValue(theme)));
    ASSERT_TRUE(c->setProperty("UIStyle", QVariant::fromValue(FromThemeFile)));
    EXPECT_EQ(FileThemeOf(c), theme);
    if (renders) {
        EXPECT_FALSE(Render(c).isNull());
    }
    delete theme;
    EXPECT_EQ(FileThemeOf(c), nullptr);
    if (readsBack) {
        EXPECT_EQ(StyleOf(c), DeepBlue);
    }
    if (renders) {
        EXPECT_FALSE(Render(c).isNull());
    }
}

REGISTER_TYPED_TEST_SUITE_P(StyleProtocol, FollowsTheStyleProtocol);

}  // namespace skintest
