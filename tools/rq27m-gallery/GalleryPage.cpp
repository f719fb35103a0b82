#include "Gallery.h"

#include "framework/StdCtrls.h"
#include "skin/theme/Kivpublic.h"

#include <QFileInfo>
#include <algorithm>

namespace {

constexpr int Margin = 8;
constexpr int TitleWidth = 150;
constexpr int Gap = 12;
constexpr int LabelHeight = 16;

TColor PageFontColor(const TGalleryPage& page)
{
    if (page.Theme() && page.Theme()->CanUse())
        return page.Theme()->GetColor(SKIN2_CONTROLFONTCOLOR);
    return GetInsideThemeColor(page.Style(), KIV_THEME_CONTROL_FONT_COLOR);
}

TLabel* NewLabel(TGalleryPage& page, const QString& text, int x, int y)
{
    auto* l = new TLabel(page.Form());
    l->SetParent(page.Container());
    l->SetCaption(text);
    l->Font()->SetColor(PageFontColor(page));
    l->SetLeft(x);
    l->SetTop(y);
    return l;
}

}  // namespace

QString TGalleryPage::LookName() const
{
    if (FTheme)
        return QStringLiteral("Skin-") + QFileInfo(FTheme->ThemeFile()).completeBaseName();
    switch (FStyle) {
    case MacOS: return QStringLiteral("MacOS");
    case WinXP: return QStringLiteral("WinXP");
    case DeepBlue: return QStringLiteral("DeepBlue");
    case Protein: return QStringLiteral("Protein");
    case BlueGlass: return QStringLiteral("BlueGlass");
    default: return QStringLiteral("FromThemeFile");
    }
}

void TGalleryPage::BeginRow(const QString& Title)
{
    if (FRowHeight > 0)
        FRowTop += FRowHeight + Gap;
    FRowHeight = 0;
    FNextX = Margin + TitleWidth;
    NewLabel(*this, Title, Margin, FRowTop);
}

void TGalleryPage::Place(TControl* Control, const QString& State, int Width, int Height)
{
    if (FNextX == 0)
        BeginRow(QString());
    Control->SetParent(Container());
    Control->SetBounds(FNextX, FRowTop, Width, Height);
    ApplyLook(Control);
    TLabel* l = NewLabel(*this, State, FNextX, FRowTop + Control->Height() + 2);
    const int used = std::max({Width, Control->Width(), l->Width()});
    FNextX += used + Gap;
    FRight = std::max(FRight, FNextX);
    FRowHeight = std::max(FRowHeight, std::max(Height, Control->Height()) + 2 + LabelHeight);
}

void TGalleryPage::ApplyLook(TControl* Control) const
{
    if (!IsHasProperty(Control, QStringLiteral("UIStyle")))
        return;
    if (IsHasProperty(Control, QStringLiteral("FileTheme")))
        Control->setProperty("FileTheme", QVariant::fromValue(FTheme));
    Control->setProperty("UIStyle", QVariant::fromValue(FStyle));
}

void TGalleryPage::Finish()
{
    TColor back = GetInsideThemeColor(FStyle, KIV_THEME_FORM_BACKGROUND_COLOR);
    if (FTheme && FTheme->CanUse())
        back = FTheme->GetColor(SKIN2_FORMCOLOR);
    FForm->SetColor(back);
    const QString caption = QStringLiteral("Skinned components: ") + LookName();
    FForm->SetCaption(caption);
    if (FContainer)
        FContainer->setProperty("Caption", caption);  // the skinned frame's title bar shows it
    FForm->SetClientWidth(std::max(FRight, 320) + Margin);
    FForm->SetClientHeight(FRowTop + FRowHeight + Margin);
}

void TGalleryPage::RunAfterShow()
{
    for (auto& step : FAfterShow)
        step();
}

std::vector<TGallerySection>& GallerySections()
{
    static std::vector<TGallerySection> sections;
    return sections;
}

bool RegisterGallerySection(const TGallerySection& Section)
{
    auto& s = GallerySections();
    s.push_back(Section);
    std::stable_sort(s.begin(), s.end(), [](const auto& a, const auto& b) { return a.Order < b.Order; });
    return true;
}
