// The gallery's pages and sections. A page is one window in one look (a built-in style, or the
// sample skin); each section places its components on every page, one labelled row per kind of
// component, one component per state:
//
//   static void Buttons(TGalleryPage& page)
//   {
//       page.BeginRow("TkivButton");
//       auto* b = page.Add<TkivButton>("normal", 80, 27);
//       b->SetCaption("Button");
//       auto* hot = page.Add<TkivButton>("hover", 80, 27);
//       page.AfterShow([hot] { hot->Perform(CM_MOUSEENTER); });
//   }
//   RQ_GALLERY_SECTION(Buttons, 10);
//
// Components are created with the page's form as owner, placed on the page's container (the
// skinned frame that fills the window, below its title bar and menu bar), then given the page's
// look through their "FileTheme" and "UIStyle" properties.
#pragma once

#include "framework/Forms.h"
#include "skin/theme/Kivmgr.h"

#include <QString>
#include <functional>
#include <vector>

class TGalleryPage {
public:
    TGalleryPage(TForm* Form, TkivUIStyle Style, TkivFileTheme* Theme) : FForm(Form), FStyle(Style), FTheme(Theme) {}

    TForm* Form() const { return FForm; }
    // Where components go: the skinned frame once SetContainer named it, else the form. Top is
    // the first row's y inside it.
    TWinControl* Container() const { return FContainer ? FContainer : FForm; }
    void SetContainer(TWinControl* Container, int Top)
    {
        FContainer = Container;
        FRowTop = Top;
    }
    // The page's look: a built-in style, or FromThemeFile with the sample skin's theme.
    TkivUIStyle Style() const { return FStyle; }
    TkivFileTheme* Theme() const { return FTheme; }
    QString LookName() const;

    // Starts a new row under the previous one, titled at its left.
    void BeginRow(const QString& Title);
    // Creates a T owned and parented by the form, places it next in the row with State written
    // under it, and gives it the page's look.
    template <class T>
    T* Add(const QString& State, int Width, int Height)
    {
        auto* c = new T(FForm);
        Place(c, State, Width, Height);
        return c;
    }
    // Places an existing control (owned by the form) as Add does.
    void Place(TControl* Control, const QString& State, int Width, int Height);
    // Gives a control the page's look through its published properties.
    void ApplyLook(TControl* Control) const;
    // Runs after the page is shown: puts components into states (hover, pressed, dropped down ...).
    void AfterShow(std::function<void()> Step) { FAfterShow.push_back(std::move(Step)); }

    // Sizes the form to its content; used by the program once every section ran.
    void Finish();
    void RunAfterShow();

private:
    TForm* FForm;
    TkivUIStyle FStyle;
    TkivFileTheme* FTheme;
    TWinControl* FContainer = nullptr;
    int FRowTop = 8;
    int FRowHeight = 0;
    int FNextX = 0;
    int FRight = 0;
    std::vector<std::function<void()>> FAfterShow;
};

// Puts the skinned frame on the page's window: a TkivForm in the page's look with a main menu in
// its menu bar and a help and a custom button in its title bar; the page's components then go
// inside it (GalleryFrame.cpp).
void DressPageInSkinnedFrame(TGalleryPage& Page);

struct TGallerySection {
    const char* Name;
    int Order;  // sections appear in this order, top to bottom
    void (*Build)(TGalleryPage& Page);
};

// Every registered section, in order.
std::vector<TGallerySection>& GallerySections();
bool RegisterGallerySection(const TGallerySection& Section);

#define RQ_GALLERY_SECTION(Fn, Order) \
    static const bool Fn##_registered = RegisterGallerySection({#Fn, Order, &Fn})
