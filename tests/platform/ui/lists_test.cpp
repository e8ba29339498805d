// The drive list and the folder list over the in-memory volume.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTest>

#include "platform/ui/qt/dir_list.h"
#include "platform/ui/qt/drive_list.h"
#include "support/memory_volume.h"

namespace vantrelle::ui {
namespace {

using testing::MemoryVolume;
using testing::Op;

QStringList Texts(QTreeWidgetItem* parent) {
    QStringList texts;
    for (int i = 0; i < parent->childCount(); ++i) {
        texts.append(parent->child(i)->text(0));
    }
    return texts;
}

class DirListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        volume.AddFolder("E:\\docs");
        volume.AddFolder("E:\\docs\\2024", files::kHidden | files::kSystem);
        volume.AddFolder("E:\\docs\\Archive");
        volume.AddFile("E:\\docs\\note.txt");
        volume.AddFolder("E:\\Zeta", files::kHidden);
        volume.AddFolder("E:\\alpha");
        list.Change = [this] { changes.push_back(list.Path()); };
    }

    MemoryVolume volume;
    QWidget window;
    DirListBox list{volume, &window};
    std::vector<std::string> changes;
};

TEST_F(DirListTest, ADriveMeansItsRootAndTheSamePlaceRaisesNothing) {
    list.SetPath("E:");
    EXPECT_EQ(list.Path(), "E:\\");
    list.SetPath("E:\\");
    list.SetPath("E:");
    EXPECT_EQ(changes, (std::vector<std::string>{"E:\\"}));

    list.SetPath("E:\\docs\\");
    EXPECT_EQ(list.Path(), "E:\\docs");
    EXPECT_EQ(changes.size(), 2u);
}

TEST_F(DirListTest, ShowsAncestorsAndSubFoldersHiddenOnesIncludedButNoFiles) {
    list.SetPath("E:\\docs");
    ASSERT_EQ(list.topLevelItemCount(), 1);
    QTreeWidgetItem* root = list.topLevelItem(0);
    EXPECT_EQ(root->text(0), QStringLiteral("E:\\"));
    ASSERT_EQ(root->childCount(), 1);
    QTreeWidgetItem* docs = root->child(0);
    EXPECT_EQ(docs->text(0), QStringLiteral("docs"));
    EXPECT_EQ(list.currentItem(), docs);
    EXPECT_EQ(Texts(docs), (QStringList{"2024", "Archive"}));
    EXPECT_EQ(list.SubFolderPaths(),
              (std::vector<std::string>{"E:\\docs\\2024", "E:\\docs\\Archive"}));

    list.SetPath("E:");
    EXPECT_EQ(Texts(list.topLevelItem(0)), (QStringList{"alpha", "docs", "Zeta"}));
}

TEST_F(DirListTest, OpeningAFolderMovesThereAndSelectingOneDoesNot) {
    list.SetPath("E:\\docs");
    QTreeWidgetItem* archive = list.currentItem()->child(1);
    list.setCurrentItem(archive);
    EXPECT_EQ(list.Path(), "E:\\docs");

    emit list.itemActivated(archive, 0);
    EXPECT_EQ(list.Path(), "E:\\docs\\Archive");

    // Enter on an ancestor goes back up.
    list.setCurrentItem(list.topLevelItem(0));
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(list.Path(), "E:\\");
    EXPECT_EQ(changes.back(), "E:\\");
}

TEST_F(DirListTest, ADriveThatIsNotReadyShowsWhyAndTheListStaysUsable) {
    volume.AddDrive('F');
    volume.FailOn(Op::GetFolder, "F:\\", 1, testing::kNotReady, "The device is not ready.",
                  MemoryVolume::kEveryTime);
    list.SetPath("F:");
    EXPECT_EQ(list.Path(), "F:\\");
    EXPECT_EQ(list.ListingError(), QStringLiteral("The device is not ready."));
    EXPECT_TRUE(list.SubFolderPaths().empty());

    list.SetPath("E:");
    EXPECT_TRUE(list.ListingError().isEmpty());
    EXPECT_EQ(list.SubFolderPaths().size(), 3u);
}

TEST_F(DirListTest, ANameThatIsNotUtf8IsShownReadablyAndOpenedByItsOwnBytes) {
    volume.AddFolder("E:\\caf\xe9");
    list.SetPath("E:");
    const auto paths = list.SubFolderPaths();
    ASSERT_NE(std::find(paths.begin(), paths.end(), "E:\\caf\xe9"), paths.end());
    EXPECT_TRUE(Texts(list.topLevelItem(0)).contains(QStringLiteral("caf") + QChar(0xFFFD)));
}

TEST(DriveListTest, StartsOnTheFirstRemovableDriveAndReportsChanges) {
    QWidget window;
    DriveListBox drives(
        {{"C:", "c: [System]", false}, {"E:", "e: [STICK]", true}, {"F:", {}, true}}, &window);
    EXPECT_EQ(drives.Drive(), "E:");
    EXPECT_EQ(drives.itemText(0), QStringLiteral("c: [System]"));
    EXPECT_EQ(drives.itemText(2), QStringLiteral("F:"));

    int changes = 0;
    drives.Change = [&] { ++changes; };
    drives.SetDrive("E:");
    EXPECT_EQ(changes, 0);
    drives.SetDrive("F:");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(drives.Drive(), "F:");

    DriveListBox fixed({{"/", {}, false}, {"/home", {}, false}}, &window);
    EXPECT_EQ(fixed.Drive(), "/");
}

TEST(DriveListTest, TheMachinesDrivesAreUsableRootsWithoutPseudoFileSystems) {
    const std::vector<DriveEntry> drives = MountedDrives();
    ASSERT_FALSE(drives.empty());
    bool seen_fixed = false;
    for (const DriveEntry& drive : drives) {
        EXPECT_FALSE(drive.drive.empty());
        EXPECT_TRUE(QDir(QFile::decodeName(QByteArray::fromStdString(drive.drive))).exists())
            << drive.drive;
        for (const char* pseudo : {"/proc", "/sys", "/dev"}) {
            EXPECT_NE(drive.drive.rfind(pseudo, 0), 0u) << drive.drive;
        }
        if (!drive.removable) {
            seen_fixed = true;
        } else {
            EXPECT_FALSE(seen_fixed) << "removable drives come first";
        }
    }
}

}  // namespace
}  // namespace vantrelle::ui
