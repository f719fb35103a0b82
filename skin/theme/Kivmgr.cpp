#include "skin/theme/Kivmgr.h"

#include "framework/CheckLst.h"
#include "framework/Dialogs.h"
#include "framework/FormReader.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/SysUtils.h"
#include "skin/theme/Frmthememgr.h"
#include "skin/theme/Kiv2skinreaderTemp.h"
#include "skin/theme/Kivpublic.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <vector>

namespace {

const QString SkinDataProp = QStringLiteral("SkinData");
const QString FileThemeProp = QStringLiteral("FileTheme");
const QString UIStyleProp = QStringLiteral("UIStyle");

// The class name without any namespace qualifier, as the framework's classes report it.
QString PlainClassName(const TComponent* c)
{
    const QString n = c->ClassName();
    const qsizetype colons = n.lastIndexOf(QLatin1String("::"));
    return colons < 0 ? n : n.mid(colons + 2);
}

// Skinned components are known by their class name's first four characters, exact case.
bool IsKivClass(const TComponent* c) { return PlainClassName(c).startsWith(QLatin1String("Tkiv")); }

// A form or a frame: the owners whose components a manager reaches.
bool IsFormOrFrame(const TComponent* c)
{
    return c && (dynamic_cast<const TCustomForm*>(c) || c->inherits("TCustomFrame"));
}

// A name is taken when anything is there, a dangling link included.
bool NameTaken(const String& path)
{
    const QFileInfo fi(path);
    return fi.exists() || fi.isSymLink();
}

}  // namespace

bool UsingFileTheme(TkivFileTheme* FileTheme, TkivUIStyle Style, TkivUIStyle& EffectiveStyle)
{
    EffectiveStyle = Style;
    if (Style != FromThemeFile)
        return false;
    if (FileTheme && FileTheme->CanUse())
        return true;
    EffectiveStyle = DeepBlue;
    return false;
}

// ---------------------------------------------------------------------------------------------
// TkivFileTheme

TkivFileTheme::TkivFileTheme(TComponent* AOwner) : TComponent(AOwner), FManager(std::make_unique<TkivFileThemeMgr>())
{
}

TkivFileTheme::~TkivFileTheme() = default;

void TkivFileTheme::SetThemeFile(const String& Value)
{
    const bool wasEmpty = FThemeFile.isEmpty();

    String found;
    if (FileExists(Value)) {
        found = Value;
    } else {
        // Stored forms may carry paths written on the desktop, with backslashes.
        const String name = Value.mid(LastDelimiter(QStringLiteral("/\\:"), Value));
        if (!name.isEmpty()) {
            std::vector<String> dirs{QCoreApplication::applicationDirPath()};
            for (const char* d : KIV_SYSTEM_SKIN_DIRS)
                dirs.push_back(QString::fromLatin1(d));
            for (const String& d : dirs) {
                if (d.isEmpty())
                    continue;
                const String candidate = IncludeTrailingPathDelimiter(d) + name;
                if (FileExists(candidate)) {
                    found = candidate;
                    break;
                }
            }
        }
    }
    if (found.isEmpty())
        return;

    FThemeFile = found;
    FReady = FManager->LoadFromFile(found, FPassword);
    if (!FReady)
        return;

    auto* form = dynamic_cast<TCustomForm*>(Owner());
    if (!form)
        return;
    // The users of this theme re-read their look by having it set again. Their setters may change
    // the owner's components, so the walk holds guarded pointers.
    std::vector<QPointer<TComponent>> comps;
    for (int i = 0; i < form->ComponentCount(); ++i)
        comps.emplace_back(form->Components(i));
    bool frameUsesTheme = false;
    for (const QPointer<TComponent>& c : comps) {
        if (!c)
            continue;
        const bool usesThis = c->GetComponentProp(FileThemeProp) == this;
        if (usesThis && (c->inherits("TkivForm") || c->inherits("TkivMDIForm")))
            frameUsesTheme = true;
        if (usesThis && IsKivClass(c) && c->HasProperty(FileThemeProp)) {
            c->SetComponentProp(FileThemeProp, nullptr);
            if (c)
                c->SetComponentProp(FileThemeProp, this);
        }
    }
    if (frameUsesTheme && !wasEmpty)
        form->SetWindowPosFrameChanged();
}

void TkivFileTheme::SetPassword(const String& Value)
{
    FPassword = Value;
    if (!Value.isEmpty())
        TkivFileTheme::SetThemeFile(FThemeFile);
}

TBitmap* TkivFileTheme::GetBitmap(Tsk2SkinBitmapElement Element) const { return FManager->GetBitmap(Element); }

void TkivFileTheme::GetBitmap2(Tsk2SkinBitmapElement Element, TBitmap* Target, int FrameCount, int FrameIndex) const
{
    if (!Target)
        return;
    TBitmap* source = GetBitmap(Element);
    if (FrameCount != 0 && FrameIndex != 0) {
        if (source)
            SpitBitmap(source, Target, FrameCount, FrameIndex);
        else
            Target->Assign(nullptr);
        return;
    }
    Target->Assign(source);
}

TColor TkivFileTheme::GetColor(Tsk2SkinColorElement Element) const { return FManager->GetColor(Element); }

int TkivFileTheme::GetInt(Tsk2IntElement Element) const { return FManager->GetInt(Element); }

bool TkivFileTheme::GetBool(Tsk2BoolElement Element) const { return FManager->GetBool(Element); }

// ---------------------------------------------------------------------------------------------
// TkivBuiltInFileTheme

std::function<String()> TkivBuiltInFileTheme::NewGuidText = [] { return Kiv2sys::GUIDToString(Kiv2sys::CoCreateGuid()); };

TkivBuiltInFileTheme::TkivBuiltInFileTheme(TComponent* AOwner) : TkivFileTheme(AOwner) {}

void TkivBuiltInFileTheme::SetThemeFile(const String& Value)
{
    FBuiltInThemeFile = Value;
    TkivFileTheme::SetThemeFile(Value);
}

String TkivBuiltInFileTheme::TempSkinName(const String& TempDir, const String& GuidText)
{
    if (GuidText.isEmpty() || GuidText.contains(QLatin1Char('/')))
        return String();
    const String base = IncludeTrailingPathDelimiter(TempDir) + GuidText;
    const String ext = QStringLiteral(".kvt");
    if (!NameTaken(base + ext))
        return base + ext;
    for (int i = 1; i <= MaxNameSuffix; ++i) {
        const String name = base + QString::number(i) + ext;
        if (!NameTaken(name))
            return name;
    }
    return String();
}

bool TkivBuiltInFileTheme::ReadBinaryProperty(const String& PropName, const QByteArray& Data)
{
    if (PropName.compare(SkinDataProp, Qt::CaseInsensitive) != 0)
        return TkivFileTheme::ReadBinaryProperty(PropName, Data);
    const String dir = Kiv2sys::GetTempPath();
    // Each attempt takes a fresh name; the file is created exclusively (never an existing file or
    // link) and removed when `file` goes out of scope, whatever happens while loading.
    for (int attempt = 0; attempt < SaveAttempts; ++attempt) {
        const String name = TempSkinName(dir, NewGuidText ? NewGuidText() : String());
        if (name.isEmpty())
            continue;
        TSk2TempFile file;
        if (!file.Create(name))
            continue;
        bool saved = false;
        {
            QFile out;
            if (out.open(file.Fd(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
                saved = out.write(Data) == Data.size() && out.flush();
        }
        if (!saved) {
            file.Remove();
            continue;
        }
        TkivFileTheme::SetThemeFile(name);
        return true;
    }
    // The skin could not be saved anywhere: the theme stays as it was.
    return true;
}

bool TkivBuiltInFileTheme::WriteBinaryProperty(const String& PropName, QByteArray& Data) const
{
    if (PropName.compare(SkinDataProp, Qt::CaseInsensitive) != 0 || !FileExists(FBuiltInThemeFile))
        return false;
    QFile in(FBuiltInThemeFile);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    Data = in.readAll();
    return in.error() == QFileDevice::NoError;
}

// ---------------------------------------------------------------------------------------------
// TkivThemeManager

TkivThemeManager::TkivThemeManager(TComponent* AOwner)
    : TComponent(AOwner), FCompList(std::make_unique<TkivThemeMgrCompList>())
{
    SetUIStyle(DeepBlue);
}

TkivThemeManager::~TkivThemeManager() = default;

void TkivThemeManager::SetUIStyle(TkivUIStyle Value)
{
    const TkivUIStyle old = FUIStyle;
    FUIStyle = Value;
    UpdateAll();
    if (old != Value && OnUIStyleChanged)
        OnUIStyleChanged(this);
}

void TkivThemeManager::SetFileTheme(TkivFileTheme* Value)
{
    if (FFileTheme && FFileTheme != Value)
        FFileTheme->RemoveFreeNotification(this);
    FFileTheme = Value;
    if (Value)
        Value->FreeNotification(this);
    SetUIStyle(FUIStyle);
}

void TkivThemeManager::SetCompList(TkivThemeMgrCompList* Value)
{
    if (Value == FCompList.get())
        return;
    if (Value)
        FCompList->Assign(Value);
    else
        FCompList->Clear();
}

void TkivThemeManager::UpdateAll()
{
    // A listed component that leads back here (the manager itself, or another manager listing
    // this one) must not start the walk again.
    if (FUpdating)
        return;
    TComponent* owner = Owner();
    if (!IsFormOrFrame(owner))
        return;
    FUpdating = true;
    struct TReset {
        bool& f;
        ~TReset() { f = false; }
    } reset{FUpdating};
    const QStringList names = [this] {
        QStringList l;
        for (int i = 0; i < FCompList->Count(); ++i)
            l << FCompList->Get(i);
        return l;
    }();
    for (const QString& name : names) {
        TComponent* c = owner->FindComponent(name);
        if (!c || c == this)
            continue;
        QPointer<TComponent> guard(c);
        c->SetPropValue(UIStyleProp, QVariant::fromValue(FUIStyle));
        if (guard)
            c->SetComponentProp(FileThemeProp, FFileTheme);
    }
}

void TkivThemeManager::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent || AComponent == this)
        return;
    if (FCompList) {
        const int i = FCompList->IndexOf(AComponent->Name());
        if (i >= 0 && !AComponent->Name().isEmpty())
            FCompList->Delete(i);
    }
    if (AComponent == FFileTheme) {
        FFileTheme = nullptr;
        FUIStyle = DeepBlue;
    }
}

// ---------------------------------------------------------------------------------------------
// Design-time operations

void ThemeManagerEdit(TkivThemeManager* Manager)
{
    if (!Manager)
        return;
    TComponent* owner = Manager->Owner();
    if (!IsFormOrFrame(owner))
        return;
    {
        std::unique_ptr<TfrmMgr> dialog(NewForm<TfrmMgr>(nullptr));
        TCheckListBox* list = dialog->List;
        for (int i = 0; i < owner->ComponentCount(); ++i) {
            TComponent* c = owner->Components(i);
            if (!IsKivClass(c) || !c->HasProperty(UIStyleProp) || !c->HasProperty(FileThemeProp) ||
                dynamic_cast<TkivThemeManager*>(c))
                continue;
            const int index = list->Items()->AddObject(c->Name(), c);
            list->SetChecked(index, Manager->CompList()->IndexOf(c->Name()) >= 0);
        }
        if (dialog->ShowModal() == mrOk) {
            TkivThemeMgrCompList* names = Manager->CompList();
            names->BeginUpdate();
            names->Clear();
            for (int i = 0; i < list->Count(); ++i)
                if (list->Checked(i))
                    names->Add(list->Items()->Get(i));
            names->EndUpdate();
        }
    }
    Manager->UpdateAll();
}

void FileThemeEdit(TkivFileTheme* FileTheme)
{
    if (!FileTheme)
        return;
    TOpenDialog dialog(nullptr);
    dialog.SetFilter(QString::fromLatin1(KIV_SKIN_FILE_FILTER));
    if (dialog.Execute())
        FileTheme->SetThemeFile(dialog.FileName());
}

void BuiltInFileThemeEdit(TkivBuiltInFileTheme* FileTheme)
{
    if (!FileTheme)
        return;
    TOpenDialog dialog(nullptr);
    dialog.SetFilter(QString::fromLatin1(KIV_SKIN_FILE_FILTER));
    if (dialog.Execute())
        FileTheme->SetThemeFile(dialog.FileName());
}

void RegisterThemeClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClass<TkivFileTheme>("TkivFileTheme");
    RegisterClass<TkivBuiltInFileTheme>("TkivBuiltInFileTheme");
    RegisterClass<TkivThemeManager>("TkivThemeManager");
    RegisterPersistentPointer<TkivThemeMgrCompList>();
    RegisterCheckListClasses();
}
