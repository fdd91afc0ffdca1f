#include "platform/Errors.h"
#include "tests/common/TestFiles.h"
#include "widgets/FileBrowserLists.h"

#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const char* const kMask = "*.bmp;*.gif;*.jpg;*.png;*.tif;*.ico;*.xjpg;*.xgif;*.xpng";

TEST(FileMask, MatchesWithoutRegardToCase)
{
    EXPECT_TRUE(MatchesFileMask("Photo.JPG", kMask));
    EXPECT_TRUE(MatchesFileMask("a.b.Xpng", kMask));
    EXPECT_FALSE(MatchesFileMask("photo.jpeg", kMask));
    EXPECT_FALSE(MatchesFileMask("photo.jpg.bak", kMask));
    EXPECT_FALSE(MatchesFileMask("bmp", kMask));
    EXPECT_TRUE(MatchesFileMask("ab", "a?"));
    EXPECT_FALSE(MatchesFileMask("abc", "a?"));
    EXPECT_TRUE(MatchesFileMask("x.tar.gz", "*.*.gz"));
    EXPECT_FALSE(MatchesFileMask("anything", ""));
    EXPECT_TRUE(MatchesFileMask("README", "*.*"));
    // Backtracking over many stars stays quick.
    EXPECT_FALSE(MatchesFileMask(std::string(5000, 'a'), "*a*a*a*a*a*b"));
}

TEST(FileListBox, ListsMatchingFilesSortedAndKeepsTheSelectionOnUpdate)
{
    TTempDir dir;
    for (const char* name : {"b.PNG", "A.bmp", "c.txt", "d.Jpg"}) WriteWholeFile(dir.File(name), "x");
    std::filesystem::create_directory(dir.File("folder.bmp"));
    TFileListBox list;
    list.SetMask(kMask);
    list.SetDirectory(dir.Path() + "/");
    EXPECT_EQ(list.Directory(), dir.Path());
    EXPECT_EQ(list.FileNames(), (std::vector<std::string>{"A.bmp", "b.PNG", "d.Jpg"}));
    EXPECT_EQ(list.SelectedName(), "");

    list.item(2)->setSelected(true);
    WriteWholeFile(dir.File("c.gif"), "x");
    list.Update();
    EXPECT_EQ(list.FileNames(), (std::vector<std::string>{"A.bmp", "b.PNG", "c.gif", "d.Jpg"}));
    EXPECT_EQ(list.SelectedNames(), (std::vector<std::string>{"d.Jpg"}));
    EXPECT_EQ(list.SelectedName(), "d.Jpg");
    EXPECT_EQ(list.FullName("d.Jpg"), dir.Path() + "/d.Jpg");
}

TEST(FileListBox, FollowsFilesAddedToAndRemovedFromItsFolder)
{
    TTempDir dir;
    WriteWholeFile(dir.File("b.bmp"), "x");
    TFileListBox list;
    list.SetMask(kMask);
    list.SetDirectory(dir.Path());
    list.item(0)->setSelected(true);
    WriteWholeFile(dir.File("A.png"), "x");
    WriteWholeFile(dir.File("notes.txt"), "x");
    using Names = std::vector<std::string>;
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.FileNames() == Names{"A.png", "b.bmp"}; }, 10000));
    EXPECT_EQ(list.SelectedNames(), Names{"b.bmp"});
    std::filesystem::remove(dir.File("A.png"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.FileNames() == Names{"b.bmp"}; }, 10000));

    // Only the folder shown is followed.
    TTempDir other;
    list.SetDirectory(other.Path());
    WriteWholeFile(dir.File("c.bmp"), "x");
    WriteWholeFile(other.File("d.bmp"), "x");
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.FileNames() == Names{"d.bmp"}; }, 10000));
}

TEST(DirectoryListBox, ShowsThePathAndSubfoldersAndRefusesMissingFolders)
{
    TTempDir dir;
    std::filesystem::create_directories(dir.File("Pics/Sub"));
    std::filesystem::create_directories(dir.File("other"));
    std::filesystem::create_directories(dir.File(".hidden"));
    TDirectoryListBox list;
    QString changedTo;
    QObject::connect(&list, &TDirectoryListBox::DirectoryChanged, [&](const QString& f) { changedTo = f; });
    list.SetDirectory(dir.Path());
    EXPECT_EQ(changedTo.toStdString(), dir.Path());
    QTreeWidgetItem* current = list.currentItem();
    ASSERT_NE(current, nullptr);
    ASSERT_EQ(current->childCount(), 2);
    EXPECT_EQ(current->child(0)->text(0), "other");
    EXPECT_EQ(current->child(1)->text(0), "Pics");

    EXPECT_THROW(list.SetDirectory(dir.File("gone")), EvekFileError);
    EXPECT_EQ(list.Directory(), dir.Path());
    // Activating a subfolder enters it.
    emit list.itemActivated(current->child(1), 0);
    EXPECT_EQ(list.Directory(), dir.File("Pics"));
}

} // namespace
