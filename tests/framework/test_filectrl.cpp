// The file-system combo boxes: drive roots from a mounts table (escapes, odd lines, places a user
// may open) and from this system; filter strings split into entries and the mask of the entry
// picked with real keys.
#include "framework/FileCtrl.h"
#include "framework/Forms.h"
#include "testsupport/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FileCtrl : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Application) {
            new TApplication;
            Application->Initialize();
        }
    }
    void SetUp() override
    {
        form = NewForm<TForm>(Application);
        form->SetBounds(0, 0, 300, 200);
    }
    void TearDown() override { delete form; }
    TForm* form = nullptr;
};

}  // namespace

TEST(MountPoints, DecodesEscapesAndSkipsWhatIsNotAMountPoint)
{
    struct Case {
        const char* name;
        QByteArray text;
        QStringList expected;
    };
    const Case cases[] = {
        {"plain", "/dev/sda1 / ext4 rw 0 0\nproc /proc proc rw 0 0\n", {"/", "/proc"}},
        {"space, tab, newline and backslash escaped",
         "/dev/sdb1 /media/ann/My\\040Disk vfat rw 0 0\n/dev/sdc1 /mnt/a\\011b\\012c\\134d ext4 rw 0 0\n",
         {"/media/ann/My Disk", "/mnt/a\tb\nc\\d"}},
        {"a backslash without three octal digits stays", "x /mnt/odd\\08 ext4 rw 0 0\nx /mnt/end\\04\n",
         {"/mnt/odd\\08", "/mnt/end\\04"}},
        {"an escaped NUL is not decoded", "x /mnt/n\\000ul ext4 rw 0 0\n", {"/mnt/n\\000ul"}},
        {"blank, one-field and relative lines skipped", "\n   \nlonely\nx relative ext4\r\nx /ok ext4 rw 0 0",
         {"/ok"}},
        {"empty", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseMountPoints(c.text), c.expected);
    }
}

TEST(MountPoints, DriveRootsAreRootHomeAndMediaTheUserCanOpen)
{
    const QByteArray mounts = "/dev/sda1 / ext4 rw 0 0\n"
                              "proc /proc proc rw 0 0\n"
                              "/dev/sdb1 /media/ann/USB\\040STICK vfat rw 0 0\n"
                              "/dev/sdc1 /run/media/ann/CAMERA vfat rw 0 0\n"
                              "/dev/sdd1 /run/media/bob/PRIVATE vfat rw 0 0\n"
                              "/dev/sde1 /mnt ext4 rw 0 0\n"
                              "/dev/sdf1 /mnt/backup ext4 rw 0 0\n"
                              "/dev/sdf1 /mnt/backup ext4 rw 0 0\n"
                              "/dev/sdg1 /mediaextra ext4 rw 0 0\n"
                              "/dev/sdh1 /media/ann/LOCKED ext4 rw 0 0\n"
                              "tmpfs /home/ann/.cache tmpfs rw 0 0\n";
    auto canOpen = [](const String& p) { return !p.endsWith(QLatin1String("LOCKED")); };
    const QStringList roots = DriveRoots(mounts, QStringLiteral("/home/ann/"), QStringLiteral("ann"), canOpen);
    EXPECT_EQ(roots, (QStringList{"/", "/home/ann", "/media/ann/USB STICK", "/run/media/ann/CAMERA", "/mnt",
                                  "/mnt/backup"}));

    // No home, a user name that is a path, nothing openable but the root.
    EXPECT_EQ(DriveRoots(mounts, QString(), QStringLiteral("../ann"), [](const String&) { return false; }),
              QStringList{"/"});
    // A relative home is no root.
    EXPECT_EQ(DriveRoots(QByteArray(), QStringLiteral("home"), QStringLiteral("ann"), canOpen), QStringList{"/"});
}

TEST_F(FileCtrl, DriveComboBoxListsThisSystemsRootsAndSelectsTheCurrentOne)
{
    auto* drives = new TDriveComboBox(form);
    drives->SetParent(form);
    EXPECT_EQ(drives->Style(), csDropDownList);
    ASSERT_GE(drives->Items()->Count(), 1);
    EXPECT_EQ(drives->Items()->Get(0), QStringLiteral("/"));
    const QString home = QDir::cleanPath(QDir::homePath());
    if (QFileInfo(home).isDir() && home != QLatin1String("/")) {
        EXPECT_GE(drives->Items()->IndexOf(home), 1) << home.toStdString();
    }
    EXPECT_EQ(ReadDriveRoots(), [&] {
        QStringList l;
        for (int i = 0; i < drives->Items()->Count(); ++i)
            l << drives->Items()->Get(i);
        return l;
    }());
    // The root holding the current directory is selected.
    EXPECT_FALSE(drives->Drive().isEmpty());
    EXPECT_TRUE(QDir::currentPath() == drives->Drive() || QDir::currentPath().startsWith(drives->Drive()));

    // A path selects the deepest root holding it; a relative one changes nothing.
    drives->SetDrive(QStringLiteral("/"));
    EXPECT_EQ(drives->Drive(), QStringLiteral("/"));
    if (drives->Items()->IndexOf(home) > 0) {
        drives->SetDrive(home + QStringLiteral("/some/folder"));
        EXPECT_EQ(drives->Drive(), home);
    }
    drives->SetDrive(QStringLiteral("relative/path"));
    EXPECT_FALSE(drives->Drive().isEmpty());
    drives->UpdateDrives();
    EXPECT_FALSE(drives->Drive().isEmpty());
    EXPECT_EQ(drives->property("Drive").toString(), drives->Drive());
}

TEST(FilterStrings, SplitIntoDescriptionsAndMasks)
{
    struct Case {
        const char* filter;
        std::vector<TFilterEntry> expected;
    };
    const Case cases[] = {
        {"Text files (*.txt)|*.txt|All files (*.*)|*.*", {{"Text files (*.txt)", "*.txt"}, {"All files (*.*)", "*.*"}}},
        {"Pictures|*.bmp;*.jpg", {{"Pictures", "*.bmp;*.jpg"}}},
        {"|*.kvt", {{"*.kvt", "*.kvt"}}},
        {"Skins|*.kvt|Dangling", {{"Skins", "*.kvt"}}},
        {"Nothing|", {{"Nothing", ""}}},
        {"||Skins|*.kvt", {{"Skins", "*.kvt"}}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseFilter(QLatin1String(c.filter)), c.expected) << c.filter;
}

TEST_F(FileCtrl, FilterComboBoxMaskFollowsTheEntryPickedWithKeys)
{
    auto* filter = new TFilterComboBox(form);
    filter->SetParent(form);
    EXPECT_EQ(filter->Filter(), QStringLiteral("All files (*.*)|*.*"));
    EXPECT_EQ(filter->Mask(), QStringLiteral("*.*"));

    filter->SetFilter(QStringLiteral("Text files (*.txt)|*.txt|Skins (*.kvt)|*.kvt|All files (*.*)|*.*"));
    EXPECT_EQ(filter->Items()->Count(), 3);
    EXPECT_EQ(filter->ItemIndex(), 0);
    EXPECT_EQ(filter->Mask(), QStringLiteral("*.txt"));
    int changes = 0;
    filter->OnChange = [&](TObject*) { ++changes; };

    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Widget()));
    filter->SetFocus();
    QTest::keyClick(filter->Widget(), Qt::Key_Down);
    EXPECT_EQ(filter->ItemIndex(), 1);
    EXPECT_EQ(filter->Mask(), QStringLiteral("*.kvt"));
    EXPECT_EQ(filter->property("Mask").toString(), QStringLiteral("*.kvt"));
    EXPECT_EQ(changes, 1);

    // A sorted list still knows each entry's mask.
    filter->SetSorted(true);
    EXPECT_EQ(filter->Text(), QStringLiteral("Skins (*.kvt)"));
    EXPECT_EQ(filter->Mask(), QStringLiteral("*.kvt"));
    filter->SetItemIndex(0);
    EXPECT_EQ(filter->Text(), QStringLiteral("All files (*.*)"));
    EXPECT_EQ(filter->Mask(), QStringLiteral("*.*"));

    filter->SetFilter(QString());
    EXPECT_EQ(filter->Items()->Count(), 0);
    EXPECT_EQ(filter->Mask(), QStringLiteral("*.*")) << "nothing selected: every file";
}
