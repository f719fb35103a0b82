// TkivThemeLink: the UIStyle / FileTheme pair that every skinned component publishes, kept in one
// place with the decisions that go with it.
//
// A component holds one link, forwards its two published properties to it and asks it where its
// look comes from:
//
//   Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
//   Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
//
//   TkivUIStyle UIStyle() const { return FTheme.Style(); }
//   void SetUIStyle(TkivUIStyle v) { FTheme.SetStyle(v); /* read the look */ Invalidate(); }
//   TkivFileTheme* FileTheme() const { return FTheme.File(); }
//   void SetFileTheme(TkivFileTheme* v) { FTheme.SetFile(v); SetUIStyle(UIStyle()); }
//   void Notification(TComponent* c, TOperation op) override
//   {
//       Base::Notification(c, op);
//       if (FTheme.Removed(c, op))
//           SetUIStyle(DeepBlue);
//   }
//
// and in its constructor `FTheme.SetStyle(GetKIVFormStyle(Owner))` through its own setter.
//
// Decisions:
// - The link only stores and answers; the component's setters keep the order of their steps
//   (store, read the look, pass it on to children, repaint), which differs between components.
// - The link asks the file theme for a free notification, so a deleted theme reaches the
//   component's Notification; it drops that request when the theme is replaced or the link goes.
// - Lookups take both ids, the built-in element and the skin-file element, and read the one the
//   current source has: the skin file when UsingFileTheme says so, else the built-in table of the
//   resolved style (DeepBlue for FromThemeFile without a usable theme).
#pragma once

#include "skin/theme/Kiv2define.h"
#include "skin/theme/Kivmgr.h"
#include "skin/theme/Kivthemes.h"

class TBitmap;

class TkivThemeLink {
public:
    // Holder: the component that publishes the pair (it receives the removal notification).
    explicit TkivThemeLink(TComponent* Holder) : FHolder(Holder) {}
    ~TkivThemeLink();
    TkivThemeLink(const TkivThemeLink&) = delete;
    TkivThemeLink& operator=(const TkivThemeLink&) = delete;

    TkivUIStyle Style() const { return FStyle; }
    void SetStyle(TkivUIStyle Value) { FStyle = Value; }
    TkivFileTheme* File() const { return FFile; }
    // Stores the theme (null allowed) and asks it for a free notification.
    void SetFile(TkivFileTheme* Value);
    // For the holder's Notification: true when AComponent is the file theme being removed; the
    // link has then forgotten it (the holder sets its style to DeepBlue, as its setter requires).
    bool Removed(TComponent* AComponent, TOperation Operation);

    // True when the look comes from the file theme (UsingFileTheme).
    bool UsingFile() const;
    // The built-in style whose table gives the look when no skin file is in use: UIStyle, or
    // DeepBlue for FromThemeFile without a usable theme. FromThemeFile while a skin file is used.
    TkivUIStyle Effective() const;

    // The look's values, from the skin file or the resolved built-in table.
    TColor Color(int BuiltInId, Tsk2SkinColorElement SkinElement) const;
    int Int(int BuiltInId, Tsk2IntElement SkinElement) const;
    bool Bool(int BuiltInId, Tsk2BoolElement SkinElement) const;
    // A picture into Target: frame FrameIndex (1-based) of FrameCount equal frames, or the whole
    // picture when FrameCount is 0. From the skin file when one is in use, else from the built-in
    // table (which raises EResNotFound for a missing resource, as GetInsideThemeBitmap does).
    void Bitmap(int BuiltInId, Tsk2SkinBitmapElement SkinElement, TBitmap* Target, int FrameCount,
                int FrameIndex) const;

private:
    TComponent* FHolder;
    TkivUIStyle FStyle = DeepBlue;
    TkivFileTheme* FFile = nullptr;
};
