// Unit Kivmgr: the components that carry a look to skinned components. TkivFileTheme loads a skin
// file and answers for its elements; TkivBuiltInFileTheme carries the skin file inside the stored
// form; TkivThemeManager pushes one style and file theme to the components named in its list.
//
// The style protocol every skinned component follows: it publishes UIStyle and FileTheme; its
// constructor sets UIStyle to GetKIVFormStyle(Owner); the FileTheme setter stores the theme and
// calls the UIStyle setter with the current style; the UIStyle setter stores the style and asks
// UsingFileTheme whether to read its look from FileTheme or from the built-in table of the style
// it returns; when FileTheme is removed the component clears it and sets UIStyle to DeepBlue.
#pragma once

#include "framework/Component.h"
#include "framework/Strings.h"
#include "skin/theme/Kiv2define.h"
#include "skin/theme/Kivthemes.h"

#include <QByteArray>
#include <functional>
#include <memory>

class TBitmap;
class TkivFileTheme;
class TkivThemeManager;
class TkivBuiltInFileTheme;

// Decides where a component's look comes from. EffectiveStyle is Style, except that FromThemeFile
// without a usable FileTheme becomes DeepBlue. True only for FromThemeFile with a usable theme.
bool UsingFileTheme(TkivFileTheme* FileTheme, TkivUIStyle Style, TkivUIStyle& EffectiveStyle);

// The places a skin file is looked for when ThemeFile names one that does not exist, after the
// application's directory: the local and the packaged system skin directories.
inline const char* const KIV_SYSTEM_SKIN_DIRS[] = {"/usr/local/share/rq27m/skins", "/usr/share/rq27m/skins"};

class TkivFileTheme : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString ThemeFile READ ThemeFile WRITE SetThemeFile)
    Q_PROPERTY(QString Password READ Password WRITE SetPassword)
    Q_PROPERTY(bool Ready READ Ready WRITE SetReady)

public:
    explicit TkivFileTheme(TComponent* AOwner);
    ~TkivFileTheme() override;

    // Full path of the loaded skin file; empty until a file has been found.
    String ThemeFile() const { return FThemeFile; }
    // Looks for the file: the path itself, then its file name in the application's directory, in
    // /usr/local/share/rq27m/skins and in /usr/share/rq27m/skins. A file found nowhere changes
    // nothing. Otherwise ThemeFile becomes the found path and Ready tells whether it loaded; the
    // owner form's skinned components that use this theme then re-read their look, and a skinned
    // form frame using it has its frame recomputed (when ThemeFile was set before).
    void SetThemeFile(const String& Value);
    String Password() const { return FPassword; }
    // Stores the password; a non-empty one reloads the current skin with it.
    void SetPassword(const String& Value);
    // True after the last found skin file loaded.
    bool Ready() const { return FReady; }
    // Published for stored forms; the value is ignored.
    void SetReady(bool) {}

    bool CanUse() const { return FReady; }
    // The skin's bitmap (kept by the theme), or null.
    TBitmap* GetBitmap(Tsk2SkinBitmapElement Element) const;
    // With FrameCount and FrameIndex both non-zero: frame FrameIndex of FrameCount of the skin's
    // bitmap into Target (SpitBitmap). Otherwise a copy of the whole bitmap. A skin without the
    // bitmap leaves Target empty.
    void GetBitmap2(Tsk2SkinBitmapElement Element, TBitmap* Target, int FrameCount, int FrameIndex) const;
    TColor GetColor(Tsk2SkinColorElement Element) const;
    int GetInt(Tsk2IntElement Element) const;
    bool GetBool(Tsk2BoolElement Element) const;

    TkivFileThemeMgr* Manager() const { return FManager.get(); }

private:
    std::unique_ptr<TkivFileThemeMgr> FManager;
    String FThemeFile;
    String FPassword;
    bool FReady = false;
};

// A file theme whose skin file travels inside the stored form as the binary property "SkinData".
// Its own ThemeFile is the path the skin was taken from; the inherited one (TkivFileTheme::
// ThemeFile) is the file actually loaded, a temporary file when the skin came from the form.
class TkivBuiltInFileTheme : public TkivFileTheme {
    Q_OBJECT
    Q_PROPERTY(QString ThemeFile READ ThemeFile WRITE SetThemeFile)

public:
    explicit TkivBuiltInFileTheme(TComponent* AOwner);

    String ThemeFile() const { return FBuiltInThemeFile; }
    // Stores the path and loads it through the inherited ThemeFile.
    void SetThemeFile(const String& Value);

    // Reads "SkinData": the bytes are saved to a fresh temporary file (temporary directory, a new
    // GUID in braces, ".kvt"; "1", "2", ... before the extension while the name is taken), loaded
    // through the inherited ThemeFile, and the file is deleted again.
    bool ReadBinaryProperty(const String& PropName, const QByteArray& Data) override;
    // For the form writer: the bytes of "SkinData", which is written only when ThemeFile names an
    // existing file (its bytes, unchanged). False when nothing is to be written.
    bool WriteBinaryProperty(const String& PropName, QByteArray& Data) const;

    // The first free name for GuidText in TempDir: TempDir + GuidText + ".kvt", or with "1", "2",
    // ... inserted before the extension; empty when no free name is found within the bound.
    static String TempSkinName(const String& TempDir, const String& GuidText);
    // The source of fresh GUID texts; replaceable by tests. Default: a new random GUID.
    static std::function<String()> NewGuidText;

    // How often saving the embedded skin is tried, each with a fresh name.
    static constexpr int SaveAttempts = 5;
    // How many numbered names are tried for one GUID.
    static constexpr int MaxNameSuffix = 1000;

private:
    String FBuiltInThemeFile;
};

// The names of the components a theme manager controls, one per line.
class TkivThemeMgrCompList : public TStringList {
public:
    String ClassName() const override { return QStringLiteral("TkivThemeMgrCompList"); }
};

class TkivThemeManager : public TComponent {
    Q_OBJECT
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(TkivThemeMgrCompList* CompList READ CompList WRITE SetCompList)

public:
    explicit TkivThemeManager(TComponent* AOwner);
    ~TkivThemeManager() override;

    TkivUIStyle UIStyle() const { return FUIStyle; }
    // Stores the style, pushes it to the listed components, and fires OnUIStyleChanged when the
    // style changed.
    void SetUIStyle(TkivUIStyle Value);
    TkivFileTheme* FileTheme() const { return FFileTheme; }
    void SetFileTheme(TkivFileTheme* Value);
    TkivThemeMgrCompList* CompList() const { return FCompList.get(); }
    // Copies the list.
    void SetCompList(TkivThemeMgrCompList* Value);

    // Sets "UIStyle" and then "FileTheme" of every listed component of the owner form or frame,
    // by name, in list order; names no component has are skipped, as is the manager itself.
    void UpdateAll();
    void UpdateTheme() { UpdateAll(); }

    TEvent<TNotifyEvent> OnUIStyleChanged{this, "OnUIStyleChanged"};

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::unique_ptr<TkivThemeMgrCompList> FCompList;
    TkivUIStyle FUIStyle = DeepBlue;
    TkivFileTheme* FFileTheme = nullptr;
    bool FUpdating = false;
};

Q_DECLARE_METATYPE(TkivThemeMgrCompList*)

// Design-time operations offered to a form designer; nothing at run time calls them.
// The check-list dialog that chooses the manager's components (OK stores the checked names);
// UpdateAll runs afterwards whatever the answer.
void ThemeManagerEdit(TkivThemeManager* Manager);
// A file-open dialog for ".kvt" files; the picked file becomes the theme's ThemeFile.
void FileThemeEdit(TkivFileTheme* FileTheme);
void BuiltInFileThemeEdit(TkivBuiltInFileTheme* FileTheme);
// The filter of those dialogs.
inline const char* const KIV_SKIN_FILE_FILTER = "Tarnwick Skin File(*.kvt)|*.kvt";

// Registers the non-visual theme classes (TkivFileTheme, TkivBuiltInFileTheme, TkivThemeManager),
// the manager's name list and the dialog's TCheckListBox for stored form definitions.
void RegisterThemeClasses();
