// Kivmgr and the style protocol: where a component's look comes from, file themes (search path,
// passwords, re-applying to their users, removal), the built-in file theme's "SkinData", the theme
// manager's propagation and notifications, ContainerApplyUIStyle and the file dialogs.
#include "ThemeTestKit.h"

#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/FormReader.h"
#include "framework/Forms.h"
#include "skin/theme/Kivmgr.h"
#include "skin/theme/Kivpublic.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace themetest;

// A skinned control following the style protocol. It records the calls of its two setters and
// the look it resolved: its form colour from the file theme or from the built-in table.
class TkivProbe : public TCustomControl {
    Q_OBJECT
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
public:
    explicit TkivProbe(TComponent* AOwner) : TCustomControl(AOwner) { SetUIStyle(GetKIVFormStyle(AOwner)); }

    TkivUIStyle UIStyle() const { return FUIStyle; }
    void SetUIStyle(TkivUIStyle v)
    {
        FUIStyle = v;
        FromFile = UsingFileTheme(FFileTheme, v, Effective);
        Look = FromFile ? FFileTheme->GetColor(SKIN2_FORMCOLOR)
                        : GetInsideThemeColor(Effective, KIV_THEME_FORM_BACKGROUND_COLOR);
        Log.push_back("UIStyle:" + std::to_string(int(v)));
    }
    TkivFileTheme* FileTheme() const { return FFileTheme; }
    void SetFileTheme(TkivFileTheme* v)
    {
        Log.push_back(v ? "FileTheme:" + v->Name().toStdString() : std::string("FileTheme:null"));
        FFileTheme = v;
        if (v)
            v->FreeNotification(this);
        SetUIStyle(FUIStyle);
    }

    TkivUIStyle Effective = DeepBlue;
    bool FromFile = false;
    TColor Look = 0;
    std::vector<std::string> Log;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TCustomControl::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == FFileTheme) {
            FFileTheme = nullptr;
            SetUIStyle(DeepBlue);
        }
    }

private:
    TkivUIStyle FUIStyle = DeepBlue;
    TkivFileTheme* FFileTheme = nullptr;
};

// The same protocol on a class whose name does not start with "Tkiv".
class TPlainProbe : public TkivProbe {
    Q_OBJECT
public:
    using TkivProbe::TkivProbe;
};

// The skinned form frame as the file theme sees it.
class TkivForm : public TkivProbe {
    Q_OBJECT
public:
    using TkivProbe::TkivProbe;
};

// A form that counts the recomputations of its frame.
class TCountingForm : public TForm {
    Q_OBJECT
public:
    using TForm::TForm;
    int FrameRecomputes = 0;

protected:
    void WMNCCalcSize(TMessage& m) override
    {
        ++FrameRecomputes;
        TForm::WMNCCalcSize(m);
    }
};

namespace {

const TColor SkinColor = TColor(0x123456);
const TColor OtherSkinColor = TColor(0x654321);

std::vector<std::string> Tail(const std::vector<std::string>& log, size_t from)
{
    return std::vector<std::string>(log.begin() + long(std::min(from, log.size())), log.end());
}

// A temporary directory holding skin files.
class SkinDir {
public:
    SkinDir() { EXPECT_TRUE(FDir.isValid()); }
    QString Path(const QString& name) const { return FDir.filePath(name); }
    QString Write(const QString& name, const std::vector<uint8_t>& bytes) const
    {
        const QString p = Path(name);
        EXPECT_TRUE(WriteFile(p, bytes));
        return p;
    }

private:
    QTemporaryDir FDir;
};

// Points the system temporary directory somewhere else for the life of the object.
class TempDirOverride {
public:
    explicit TempDirOverride(const QString& dir) : FOld(qgetenv("TMPDIR")), FHad(qEnvironmentVariableIsSet("TMPDIR"))
    {
        qputenv("TMPDIR", dir.toLocal8Bit());
    }
    ~TempDirOverride()
    {
        if (FHad)
            qputenv("TMPDIR", FOld);
        else
            qunsetenv("TMPDIR");
    }

private:
    QByteArray FOld;
    bool FHad;
};

// ---- UsingFileTheme ----

TEST(UsingFileTheme, OnlyFromThemeFileWithAUsableThemeReadsTheFile)
{
    SkinDir dir;
    TkivFileTheme ready(nullptr), unusable(nullptr);
    ready.SetThemeFile(dir.Write(QStringLiteral("a.kvt"), SkinBytes(SkinColor)));
    ASSERT_TRUE(ready.Ready());
    struct {
        TkivFileTheme* Theme;
        TkivUIStyle Style;
        bool Result;
        TkivUIStyle Effective;
    } cases[] = {
        {nullptr, FromThemeFile, false, DeepBlue},  {&unusable, FromThemeFile, false, DeepBlue},
        {&ready, FromThemeFile, true, FromThemeFile}, {&ready, Protein, false, Protein},
        {nullptr, MacOS, false, MacOS},
    };
    for (auto c : cases) {
        TkivUIStyle effective = BlueGlass;
        EXPECT_EQ(UsingFileTheme(c.Theme, c.Style, effective), c.Result) << int(c.Style);
        EXPECT_EQ(effective, c.Effective) << int(c.Style);
    }
}

// ---- the protocol in components ----

TEST(StyleProtocol, WhereTheLookComesFrom)
{
    SkinDir dir;
    TForm form(nullptr);
    auto* theme = new TkivFileTheme(&form);
    theme->SetName(QStringLiteral("kivFileTheme1"));
    auto* probe = new TkivProbe(&form);

    probe->SetUIStyle(FromThemeFile);
    EXPECT_EQ(probe->Effective, DeepBlue) << "no file theme: DeepBlue";
    EXPECT_EQ(probe->Look, TColor(0xE8E8E8));

    probe->SetFileTheme(theme);
    EXPECT_EQ(probe->Effective, DeepBlue) << "a theme that is not ready: DeepBlue";

    theme->SetThemeFile(dir.Write(QStringLiteral("a.kvt"), SkinBytes(SkinColor)));
    EXPECT_TRUE(probe->FromFile) << "a ready theme re-applies itself to its users";
    EXPECT_EQ(probe->Look, SkinColor);

    probe->SetUIStyle(Protein);
    EXPECT_FALSE(probe->FromFile) << "the file theme counts only with FromThemeFile";
    EXPECT_EQ(probe->Look, TColor(0xFBFBFB));
}

TEST(StyleProtocol, DeletingAFileThemeSwitchesItsUsersToDeepBlue)
{
    SkinDir dir;
    TForm form(nullptr);
    auto* theme = new TkivFileTheme(&form);
    theme->SetThemeFile(dir.Write(QStringLiteral("a.kvt"), SkinBytes(SkinColor)));
    auto* a = new TkivProbe(&form);
    auto* b = new TkivProbe(&form);
    for (TkivProbe* p : {a, b}) {
        p->SetFileTheme(theme);
        p->SetUIStyle(FromThemeFile);
        ASSERT_TRUE(p->FromFile);
    }
    delete theme;
    for (TkivProbe* p : {a, b}) {
        EXPECT_EQ(p->FileTheme(), nullptr);
        EXPECT_EQ(p->UIStyle(), DeepBlue);
        EXPECT_EQ(p->Look, TColor(0xE8E8E8));
    }
}

TEST(ContainerApplyUIStyle, DirectChildrenWithBothPropertiesOnlyFileThemeFirst)
{
    TForm form(nullptr);
    auto* theme = new TkivFileTheme(&form);
    theme->SetName(QStringLiteral("kivFileTheme1"));
    auto* box = new TPanel(&form);
    box->SetParent(&form);
    auto* direct = new TkivProbe(&form);
    direct->SetParent(box);
    auto* plain = new TPanel(&form);
    plain->SetParent(box);
    auto* inner = new TPanel(&form);
    inner->SetParent(box);
    auto* nested = new TkivProbe(&form);
    nested->SetParent(inner);
    auto* outside = new TkivProbe(&form);
    outside->SetParent(&form);

    const size_t before = direct->Log.size();
    ContainerApplyUIStyle(box, WinXP, theme);
    EXPECT_EQ(Tail(direct->Log, before), (std::vector<std::string>{"FileTheme:kivFileTheme1", "UIStyle:3", "UIStyle:2"}));
    EXPECT_EQ(direct->UIStyle(), WinXP);
    EXPECT_EQ(direct->FileTheme(), theme);
    EXPECT_EQ(nested->UIStyle(), DeepBlue);
    EXPECT_EQ(nested->FileTheme(), nullptr);
    EXPECT_EQ(outside->FileTheme(), nullptr);
    ContainerApplyUIStyle(nullptr, WinXP, theme);
}

// ---- TkivFileTheme ----

TEST(FileTheme, BareFileNameFoundInTheApplicationDirectoryStoresTheFullPath)
{
    const QString name = QStringLiteral("rq-theme-test-%1.kvt").arg(QCoreApplication::applicationPid());
    const QString inAppDir = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    ASSERT_TRUE(WriteFile(inAppDir, SkinBytes(SkinColor)));
    struct Remove {
        QString p;
        ~Remove() { QFile::remove(p); }
    } cleanup{inAppDir};

    TkivFileTheme theme(nullptr);
    theme.SetThemeFile(name);
    EXPECT_EQ(QFileInfo(theme.ThemeFile()).canonicalFilePath(), QFileInfo(inAppDir).canonicalFilePath());
    EXPECT_TRUE(theme.ThemeFile().startsWith(QLatin1Char('/')));
    EXPECT_TRUE(theme.Ready());
    EXPECT_EQ(theme.GetColor(SKIN2_FORMCOLOR), SkinColor);

    // A directory part that does not exist is dropped: the file name is looked for in the same places.
    TkivFileTheme other(nullptr);
    other.SetThemeFile(QStringLiteral("/no/such/dir/") + name);
    EXPECT_TRUE(other.Ready());
    TkivFileTheme desktop(nullptr);
    desktop.SetThemeFile(QStringLiteral("C:\\Skins\\") + name);
    EXPECT_TRUE(desktop.Ready()) << "a desktop path stored in a form";
}

TEST(FileTheme, AFileFoundNowhereChangesNothingAFailedLoadMakesItNotReady)
{
    SkinDir dir;
    TkivFileTheme theme(nullptr);
    const QString good = dir.Write(QStringLiteral("good.kvt"), SkinBytes(SkinColor));
    theme.SetThemeFile(good);
    ASSERT_TRUE(theme.Ready());

    theme.SetThemeFile(dir.Path(QStringLiteral("missing-everywhere.kvt")));
    EXPECT_EQ(theme.ThemeFile(), good);
    EXPECT_TRUE(theme.Ready());
    theme.SetThemeFile(QString());
    EXPECT_EQ(theme.ThemeFile(), good);

    const QString bad = dir.Write(QStringLiteral("bad.kvt"), {'P', 'K', 3, 4, 0, 0});
    theme.SetThemeFile(bad);
    EXPECT_EQ(theme.ThemeFile(), bad);
    EXPECT_FALSE(theme.Ready());
    EXPECT_FALSE(theme.CanUse());
    theme.SetReady(true);
    EXPECT_FALSE(theme.Ready()) << "the published setter ignores its value";
}

TEST(FileTheme, EmptyPasswordDoesNotReloadANonEmptyOneDoes)
{
    SkinDir dir;
    const QString path = dir.Write(QStringLiteral("a.kvt"), SkinBytes(SkinColor));
    TkivFileTheme theme(nullptr);
    theme.SetThemeFile(path);
    ASSERT_EQ(theme.GetColor(SKIN2_FORMCOLOR), SkinColor);

    // The file changes on disk; only a reload shows it.
    dir.Write(QStringLiteral("a.kvt"), SkinBytes(OtherSkinColor));
    theme.SetPassword(QString());
    EXPECT_EQ(theme.GetColor(SKIN2_FORMCOLOR), SkinColor);
    theme.SetPassword(QStringLiteral("any"));
    EXPECT_EQ(theme.GetColor(SKIN2_FORMCOLOR), OtherSkinColor);
    EXPECT_EQ(theme.Password(), QStringLiteral("any"));
}

TEST(FileTheme, EncryptedSkinLoadsOnceThePasswordArrives)
{
    SkinDir dir;
    const QString path = dir.Write(QStringLiteral("locked.kvt"), SkinBytes(SkinColor, clRed, "secret"));
    TkivFileTheme theme(nullptr);
    theme.SetThemeFile(path);
    EXPECT_EQ(theme.ThemeFile(), path);
    EXPECT_FALSE(theme.Ready());
    theme.SetPassword(QStringLiteral("wrong"));
    EXPECT_FALSE(theme.Ready());
    theme.SetPassword(QStringLiteral("secret"));
    EXPECT_TRUE(theme.Ready());
    EXPECT_EQ(theme.GetColor(SKIN2_FORMCOLOR), SkinColor);
}

TEST(FileTheme, ReadyThemeReappliesItselfToTkivUsersAndRecomputesAFrameThatUsesIt)
{
    SkinDir dir;
    const QString path = dir.Write(QStringLiteral("a.kvt"), SkinBytes(SkinColor));
    TCountingForm form(nullptr);
    auto* theme = new TkivFileTheme(&form);
    theme->SetName(QStringLiteral("kivFileTheme1"));
    auto* user = new TkivProbe(&form);
    auto* plain = new TPlainProbe(&form);
    auto* bystander = new TkivProbe(&form);
    auto* frame = new TkivForm(&form);
    for (TkivProbe* p : {static_cast<TkivProbe*>(user), static_cast<TkivProbe*>(plain), static_cast<TkivProbe*>(frame)})
        p->SetFileTheme(theme);

    const size_t u0 = user->Log.size(), p0 = plain->Log.size(), b0 = bystander->Log.size();
    form.FrameRecomputes = 0;
    theme->SetThemeFile(path);
    EXPECT_EQ(Tail(user->Log, u0), (std::vector<std::string>{"FileTheme:null", "UIStyle:3", "FileTheme:kivFileTheme1",
                                                              "UIStyle:3"}));
    EXPECT_TRUE(Tail(plain->Log, p0).empty()) << "class name does not begin with Tkiv";
    EXPECT_TRUE(Tail(bystander->Log, b0).empty()) << "uses no file theme";
    EXPECT_EQ(form.FrameRecomputes, 0) << "ThemeFile was empty before";

    theme->SetThemeFile(path);
    EXPECT_EQ(form.FrameRecomputes, 1);

    frame->SetFileTheme(nullptr);
    theme->SetThemeFile(path);
    EXPECT_EQ(form.FrameRecomputes, 1) << "no frame uses the theme any more";
}

TEST(FileTheme, GetBitmap2CutsFramesOrCopiesTheWholeBitmap)
{
    SkinDir dir;
    TkivFileTheme theme(nullptr);
    theme.SetThemeFile(dir.Write(QStringLiteral("a.kvt"), SkinBytes(SkinColor, clRed)));
    ASSERT_TRUE(theme.Ready());
    ASSERT_NE(theme.GetBitmap(SKIN2_BUTTON), nullptr);
    EXPECT_EQ(theme.GetBitmap(SKIN2_CHECKBOX), nullptr);

    TBitmap b;
    theme.GetBitmap2(SKIN2_BUTTON, &b, 3, 2);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.Height(), 2);
    EXPECT_EQ(Px(b, 1, 1), clRed);
    theme.GetBitmap2(SKIN2_BUTTON, &b, 0, 0);
    EXPECT_EQ(b.Width(), 6);
    theme.GetBitmap2(SKIN2_BUTTON, &b, 3, 0);
    EXPECT_EQ(b.Width(), 6) << "a zero index copies the whole bitmap";

    theme.GetBitmap2(SKIN2_CHECKBOX, &b, 4, 1);
    EXPECT_TRUE(b.Empty()) << "a missing bitmap to be cut leaves the target empty";
    b.SetSize(3, 3);
    theme.GetBitmap2(SKIN2_CHECKBOX, &b, 0, 0);
    EXPECT_TRUE(b.Empty());
    theme.GetBitmap2(SKIN2_BUTTON, nullptr, 3, 1);
}

// ---- TkivBuiltInFileTheme ----

QByteArray ToBytes(const std::vector<uint8_t>& v) { return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size())); }

class BuiltInTheme : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FTemp.isValid());
        FOverride = std::make_unique<TempDirOverride>(FTemp.path());
        FSavedGuid = TkivBuiltInFileTheme::NewGuidText;
    }
    void TearDown() override
    {
        TkivBuiltInFileTheme::NewGuidText = FSavedGuid;
        FOverride.reset();
    }
    QStringList TempFiles() const { return QDir(FTemp.path()).entryList(QDir::Files | QDir::System | QDir::Hidden); }

    QTemporaryDir FTemp;
    std::unique_ptr<TempDirOverride> FOverride;
    std::function<String()> FSavedGuid;
};

TEST_F(BuiltInTheme, SkinDataLoadsThroughATemporaryFileThatIsDeletedAfterwards)
{
    TkivBuiltInFileTheme theme(nullptr);
    EXPECT_TRUE(theme.ReadBinaryProperty(QStringLiteral("SkinData"), ToBytes(SkinBytes(SkinColor))));
    EXPECT_TRUE(theme.Ready());
    EXPECT_EQ(theme.GetColor(SKIN2_FORMCOLOR), SkinColor);
    const QString loaded = theme.TkivFileTheme::ThemeFile();
    EXPECT_TRUE(loaded.startsWith(FTemp.path())) << loaded.toStdString();
    EXPECT_TRUE(loaded.endsWith(QLatin1String(".kvt")));
    EXPECT_TRUE(QFileInfo(loaded).fileName().startsWith(QLatin1Char('{')));
    EXPECT_TRUE(TempFiles().isEmpty()) << TempFiles().join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(theme.ThemeFile().isEmpty()) << "its own ThemeFile is the path the skin came from";
}

TEST_F(BuiltInTheme, TakenTemporaryNameGetsANumberBeforeTheExtension)
{
    const QString guid = QStringLiteral("{0A1B2C3D-0000-4000-8000-00000000ABCD}");
    TkivBuiltInFileTheme::NewGuidText = [guid] { return guid; };
    const QString first = QDir(FTemp.path()).filePath(guid + QStringLiteral(".kvt"));
    ASSERT_TRUE(WriteFile(first, {'k', 'e', 'e', 'p'}));

    TkivBuiltInFileTheme theme(nullptr);
    theme.ReadBinaryProperty(QStringLiteral("SkinData"), ToBytes(SkinBytes(SkinColor)));
    EXPECT_EQ(theme.TkivFileTheme::ThemeFile(), QDir(FTemp.path()).filePath(guid + QStringLiteral("1.kvt")));
    EXPECT_TRUE(theme.Ready());
    EXPECT_EQ(TempFiles(), QStringList{guid + QStringLiteral(".kvt")}) << "only the file that was there stays";
    QFile f(first);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep"));

    ASSERT_TRUE(WriteFile(QDir(FTemp.path()).filePath(guid + QStringLiteral("1.kvt")), {'x'}));
    EXPECT_EQ(TkivBuiltInFileTheme::TempSkinName(FTemp.path(), guid),
              QDir(FTemp.path()).filePath(guid + QStringLiteral("2.kvt")));
}

TEST_F(BuiltInTheme, SkinThatCannotBeSavedOrReadLeavesNoFileAndNoException)
{
    TkivBuiltInFileTheme theme(nullptr);
    theme.ReadBinaryProperty(QStringLiteral("SkinData"), ToBytes(SkinBytes(SkinColor)));
    ASSERT_TRUE(theme.Ready());
    const QString loaded = theme.TkivFileTheme::ThemeFile();

    // Corrupt bytes: found and loaded, not ready.
    EXPECT_TRUE(theme.ReadBinaryProperty(QStringLiteral("SkinData"), QByteArray("SK not a skin")));
    EXPECT_FALSE(theme.Ready());
    EXPECT_TRUE(TempFiles().isEmpty());
    EXPECT_NE(theme.TkivFileTheme::ThemeFile(), loaded) << "a second temporary name";

    // A temporary directory where no file can be made (not even by root): every attempt fails,
    // the theme stays as it was.
    TempDirOverride gone(QStringLiteral("/proc/self"));
    const QString before = theme.TkivFileTheme::ThemeFile();
    EXPECT_TRUE(theme.ReadBinaryProperty(QStringLiteral("SkinData"), ToBytes(SkinBytes(SkinColor))));
    EXPECT_EQ(theme.TkivFileTheme::ThemeFile(), before);
    EXPECT_FALSE(theme.Ready());

    // A GUID source that gives nothing usable is survived too.
    TkivBuiltInFileTheme::NewGuidText = [] { return QStringLiteral("../escape"); };
    EXPECT_TRUE(theme.ReadBinaryProperty(QStringLiteral("SkinData"), ToBytes(SkinBytes(SkinColor))));
    EXPECT_FALSE(theme.ReadBinaryProperty(QStringLiteral("Other"), QByteArray("x")));
}

TEST_F(BuiltInTheme, OwnThemeFileLoadsAndIsWhatTheWriterStores)
{
    SkinDir dir;
    const auto bytes = SkinBytes(SkinColor);
    const QString path = dir.Write(QStringLiteral("a.kvt"), bytes);
    TkivBuiltInFileTheme theme(nullptr);
    QByteArray out;
    EXPECT_FALSE(theme.WriteBinaryProperty(QStringLiteral("SkinData"), out)) << "no file yet";
    theme.SetThemeFile(path);
    EXPECT_EQ(theme.ThemeFile(), path);
    EXPECT_TRUE(theme.Ready());
    ASSERT_TRUE(theme.WriteBinaryProperty(QStringLiteral("SkinData"), out));
    EXPECT_EQ(out, ToBytes(bytes));
    EXPECT_FALSE(theme.WriteBinaryProperty(QStringLiteral("Other"), out));
    QFile::remove(path);
    EXPECT_FALSE(theme.WriteBinaryProperty(QStringLiteral("SkinData"), out)) << "the file is gone";
    EXPECT_EQ(theme.GetPropValue(QStringLiteral("ThemeFile")).toString(), path) << "the published ThemeFile is its own";
}

TEST_F(BuiltInTheme, StoredFormWithSkinDataAndAManager)
{
    RegisterThemeClasses();
    RegisterClass<TkivProbe>("TkivProbe");
    const QByteArray hex = ToBytes(SkinBytes(SkinColor)).toHex().toUpper();
    const QByteArray text = "object Form1: TForm\n"
                            "  object kivProbe1: TkivProbe\n"
                            "    UIStyle = MacOS\n"
                            "  end\n"
                            "  object kivProbe2: TkivProbe\n"
                            "    UIStyle = BlueGlass\n"
                            "  end\n"
                            "  object kivBuiltInFileTheme1: TkivBuiltInFileTheme\n"
                            "    SkinData = {" + hex + "}\n"
                            "  end\n"
                            "  object kivThemeManager1: TkivThemeManager\n"
                            "    UIStyle = FromThemeFile\n"
                            "    FileTheme = kivBuiltInFileTheme1\n"
                            "    CompList.Strings = (\n"
                            "      'nosuch'\n"
                            "      'kivProbe1')\n"
                            "  end\n"
                            "end\n";
    TForm form(nullptr);
    ReadComponentText(&form, text, QStringLiteral("test form"));
    auto* theme = dynamic_cast<TkivBuiltInFileTheme*>(form.FindComponent(QStringLiteral("kivBuiltInFileTheme1")));
    auto* manager = dynamic_cast<TkivThemeManager*>(form.FindComponent(QStringLiteral("kivThemeManager1")));
    auto* probe = dynamic_cast<TkivProbe*>(form.FindComponent(QStringLiteral("kivProbe1")));
    ASSERT_TRUE(theme && manager && probe);
    EXPECT_TRUE(theme->Ready());
    EXPECT_EQ(manager->UIStyle(), FromThemeFile);
    EXPECT_EQ(manager->FileTheme(), theme);
    EXPECT_EQ(manager->CompList()->Count(), 2);
    EXPECT_EQ(probe->UIStyle(), FromThemeFile) << "the manager's FileTheme setter pushed its style";
    EXPECT_EQ(probe->FileTheme(), theme);
    EXPECT_EQ(probe->Look, SkinColor);
    auto* unlisted = dynamic_cast<TkivProbe*>(form.FindComponent(QStringLiteral("kivProbe2")));
    ASSERT_NE(unlisted, nullptr);
    EXPECT_EQ(unlisted->UIStyle(), BlueGlass) << "styles are stored by name";
    EXPECT_EQ(unlisted->FileTheme(), nullptr);
    EXPECT_TRUE(TempFiles().isEmpty());
}

// ---- TkivThemeManager ----

TEST(ThemeManager, UpdateAllSetsStyleThenThemeOfListedComponentsSkippingUnknownNames)
{
    SkinDir dir;
    TForm form(nullptr);
    auto* theme = new TkivFileTheme(&form);
    theme->SetName(QStringLiteral("kivFileTheme1"));
    theme->SetThemeFile(dir.Write(QStringLiteral("a.kvt"), SkinBytes(SkinColor)));
    auto* a = new TkivProbe(&form);
    a->SetName(QStringLiteral("kivProbeA"));
    auto* b = new TkivProbe(&form);
    b->SetName(QStringLiteral("kivProbeB"));
    auto* manager = new TkivThemeManager(&form);
    EXPECT_EQ(manager->UIStyle(), DeepBlue);
    manager->CompList()->Add(QStringLiteral("nosuch"));
    manager->CompList()->Add(QStringLiteral("KIVPROBEA"));  // names are found without regard to case

    const size_t a0 = a->Log.size(), b0 = b->Log.size();
    manager->SetFileTheme(theme);
    EXPECT_EQ(Tail(a->Log, a0), (std::vector<std::string>{"UIStyle:3", "FileTheme:kivFileTheme1", "UIStyle:3"}));
    EXPECT_TRUE(Tail(b->Log, b0).empty());

    manager->SetUIStyle(FromThemeFile);
    EXPECT_EQ(a->UIStyle(), FromThemeFile);
    EXPECT_EQ(a->Look, SkinColor);
    manager->UpdateTheme();
    EXPECT_EQ(a->Look, SkinColor);
}

TEST(ThemeManager, StyleChangedEventOnlyOnChange)
{
    TForm form(nullptr);
    auto* manager = new TkivThemeManager(&form);
    std::vector<TObject*> senders;
    manager->OnUIStyleChanged = [&](TObject* s) { senders.push_back(s); };
    manager->SetUIStyle(DeepBlue);
    EXPECT_TRUE(senders.empty());
    manager->SetUIStyle(Protein);
    manager->SetUIStyle(Protein);
    manager->SetFileTheme(nullptr);
    EXPECT_EQ(senders, std::vector<TObject*>{manager});
}

TEST(ThemeManager, ReachesOnlyComponentsOfAFormOrFrame)
{
    TComponent owner(nullptr);
    auto* probe = new TkivProbe(&owner);
    probe->SetName(QStringLiteral("kivProbe1"));
    auto* manager = new TkivThemeManager(&owner);
    manager->CompList()->Add(QStringLiteral("kivProbe1"));
    manager->SetUIStyle(WinXP);
    EXPECT_EQ(probe->UIStyle(), DeepBlue);
}

TEST(ThemeManager, RemovalNotificationsTrimTheListAndDropTheTheme)
{
    TForm form(nullptr);
    auto* theme = new TkivFileTheme(&form);
    auto* probe = new TkivProbe(&form);
    probe->SetName(QStringLiteral("kivProbe1"));
    auto* gone = new TkivProbe(&form);
    gone->SetName(QStringLiteral("kivProbe2"));
    auto* manager = new TkivThemeManager(&form);
    manager->CompList()->Add(QStringLiteral("kivProbe1"));
    manager->CompList()->Add(QStringLiteral("kivProbe2"));
    manager->SetUIStyle(Protein);
    manager->SetFileTheme(theme);

    delete gone;
    ASSERT_EQ(manager->CompList()->Count(), 1);
    EXPECT_EQ(manager->CompList()->Get(0), QStringLiteral("kivProbe1"));

    const size_t p0 = probe->Log.size();
    delete theme;
    EXPECT_EQ(manager->FileTheme(), nullptr);
    EXPECT_EQ(manager->UIStyle(), DeepBlue);
    // The probe dropped the theme itself; the manager pushed nothing.
    EXPECT_EQ(Tail(probe->Log, p0), std::vector<std::string>{"UIStyle:3"});

    // A theme owned elsewhere is followed through its free notification.
    TkivFileTheme foreign(nullptr);
    manager->SetFileTheme(&foreign);
    {
        TkivFileTheme* doomed = new TkivFileTheme(nullptr);
        manager->SetFileTheme(doomed);
        delete doomed;
    }
    EXPECT_EQ(manager->FileTheme(), nullptr);
}

TEST(ThemeManager, ListingItselfOrAnotherManagerThatListsItDoesNotLoop)
{
    TForm form(nullptr);
    auto* m1 = new TkivThemeManager(&form);
    m1->SetName(QStringLiteral("kivThemeManager1"));
    auto* m2 = new TkivThemeManager(&form);
    m2->SetName(QStringLiteral("kivThemeManager2"));
    m1->CompList()->Add(QStringLiteral("kivThemeManager1"));
    m1->CompList()->Add(QStringLiteral("kivThemeManager2"));
    m2->CompList()->Add(QStringLiteral("kivThemeManager1"));
    m1->SetUIStyle(MacOS);
    EXPECT_EQ(m1->UIStyle(), MacOS);
    EXPECT_EQ(m2->UIStyle(), MacOS);
}

TEST(ThemeManager, SettingCompListCopiesIt)
{
    TkivThemeManager manager(nullptr);
    TkivThemeMgrCompList names;
    names.Add(QStringLiteral("a"));
    manager.SetCompList(&names);
    names.Add(QStringLiteral("b"));
    EXPECT_EQ(manager.CompList()->Count(), 1);
    manager.SetCompList(nullptr);
    EXPECT_EQ(manager.CompList()->Count(), 0);
}

// ---- file dialogs ----

class FileDialogs : public ::testing::Test {
protected:
    void TearDown() override { TOpenDialog::ExecuteHook = nullptr; }
};

TEST_F(FileDialogs, PickedSkinBecomesTheThemeFile)
{
    SkinDir dir;
    const QString path = dir.Write(QStringLiteral("a.kvt"), SkinBytes(SkinColor));
    QString filter;
    bool pick = true;
    TOpenDialog::ExecuteHook = [&](TOpenDialog* d) {
        filter = d->Filter();
        d->SetFileName(path);
        return pick;
    };
    TkivFileTheme theme(nullptr);
    FileThemeEdit(&theme);
    EXPECT_EQ(filter, QStringLiteral("Tarnwick Skin File(*.kvt)|*.kvt"));
    EXPECT_EQ(theme.ThemeFile(), path);
    EXPECT_TRUE(theme.Ready());

    TkivBuiltInFileTheme builtIn(nullptr);
    pick = false;
    BuiltInFileThemeEdit(&builtIn);
    EXPECT_TRUE(builtIn.ThemeFile().isEmpty()) << "cancelled";
    pick = true;
    BuiltInFileThemeEdit(&builtIn);
    EXPECT_EQ(builtIn.ThemeFile(), path);
    EXPECT_TRUE(builtIn.Ready());
    FileThemeEdit(nullptr);
}

TEST(OpenDialog, FrameworkFiltersBecomeQtNameFilters)
{
    EXPECT_EQ(TOpenDialog::QtNameFilters(QStringLiteral("Tarnwick Skin File(*.kvt)|*.kvt")),
              QStringList{QStringLiteral("Tarnwick Skin File(*.kvt) (*.kvt)")});
    EXPECT_EQ(TOpenDialog::QtNameFilters(QStringLiteral("Pictures|*.bmp;*.jpg|All|*.*")),
              (QStringList{QStringLiteral("Pictures (*.bmp *.jpg)"), QStringLiteral("All (*.*)")}));
    EXPECT_TRUE(TOpenDialog::QtNameFilters(QStringLiteral("dangling")).isEmpty());
}

}  // namespace

#include "test_kivmgr.moc"
