#include "platform/IniFile32.h"
#include "platform/ProgramFolder.h"
#include "platform/UiServices.h"
#include "tests/common/TestFiles.h"
#include "widgets/FileBrowserLists.h"
#include "widgets/TvekDirectories.h"

#include <QAction>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

class FavoritesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = ProgramFolder();
        home_ = temp_.File("Vistrel Home");
        fs::create_directories(home_ + "/Pics/Holiday");
        fs::create_directories(temp_.File("Elsewhere/Mixed Case"));
        SetProgramFolder(home_);
    }
    void TearDown() override { SetProgramFolder(saved_); }

    TTempDir temp_;
    std::string home_;
    std::string saved_;
    TScriptedUi ui_;
    TUiScope scope_{ui_};
};

TEST_F(FavoritesTest, DropAddsOrUpdatesAnAliasAndTheListSurvivesAMovedProgramFolder)
{
    {
        TDirectoryListBox dirs;
        QWidget stranger;
        TvekDirectories box;
        box.SetDirectoryListBox(&dirs);
        box.Loaded();
        EXPECT_EQ(box.count(), 0);

        EXPECT_FALSE(box.AcceptsDropFrom(&stranger));
        EXPECT_TRUE(box.AcceptsDropFrom(&dirs));
        box.DropFrom(&stranger);
        EXPECT_TRUE(ui_.Log.empty()) << "a drop from anything else asks nothing";

        dirs.SetDirectory(home_ + "/Pics/Holiday");
        ui_.Queue("Holiday");
        box.DropFrom(&dirs);
        ASSERT_EQ(ui_.Log.size(), 1u);
        EXPECT_EQ(ui_.Log[0].kind, "input");
        EXPECT_EQ(ui_.Log[0].text, "Enter alias:");

        dirs.SetDirectory(temp_.File("Elsewhere/Mixed Case"));
        ui_.Queue("Work");
        box.DropFrom(&dirs);

        // The same alias in other letters replaces the path and keeps one visible item.
        dirs.SetDirectory(home_ + "/Pics");
        ui_.Queue("HOLIDAY");
        box.DropFrom(&dirs);

        // Cancel, an empty alias and one that would break the line add nothing.
        ui_.Queue("\x18");
        box.DropFrom(&dirs);
        ui_.Queue("");
        box.DropFrom(&dirs);
        ui_.Queue("a=b");
        box.DropFrom(&dirs);

        EXPECT_EQ(box.Favorites(), (std::vector<std::string>{"HOLIDAY=%Pics", "Work=" + temp_.File("Elsewhere/Mixed Case")}));
        ASSERT_EQ(box.count(), 2);
        EXPECT_EQ(box.itemText(0), "Holiday");
        EXPECT_EQ(box.itemText(1), "Work");
    }
    EXPECT_EQ(LoadTextLines(home_ + "/directories.txt"),
              (std::vector<std::string>{"HOLIDAY=%Pics", "Work=" + temp_.File("Elsewhere/Mixed Case")}));

    // The program moves; the favourite inside its folder moves along.
    const std::string moved = temp_.File("Moved Home");
    fs::rename(home_, moved);
    SetProgramFolder(moved);
    TDirectoryListBox dirs;
    dirs.SetDirectory(temp_.Path());
    TvekDirectories box;
    box.SetDirectoryListBox(&dirs);
    box.Loaded();
    ASSERT_EQ(box.count(), 2);
    box.setCurrentIndex(0);
    box.Click();
    EXPECT_EQ(dirs.Directory(), moved + "/Pics");
    box.setCurrentIndex(1);
    box.Click();
    EXPECT_EQ(dirs.Directory(), temp_.File("Elsewhere/Mixed Case"));
    EXPECT_TRUE(ui_.Messages("error").empty());
}

TEST_F(FavoritesTest, ClickWithoutSelectionOrListDoesNothingAndAGoneFolderIsReported)
{
    WriteWholeFile(home_ + "/directories.txt", "Here=%\nGone=/no/such/folder/at/all\n");
    TDirectoryListBox dirs;
    dirs.SetDirectory(temp_.Path());
    TvekDirectories box;
    box.Loaded();
    box.setCurrentIndex(0);
    box.Click(); // no list linked yet
    box.SetDirectoryListBox(&dirs);
    box.setCurrentIndex(-1);
    box.Click();
    EXPECT_EQ(dirs.Directory(), temp_.Path());

    box.setCurrentIndex(0);
    box.Click();
    EXPECT_EQ(dirs.Directory(), home_);
    box.setCurrentIndex(1);
    box.Click();
    EXPECT_EQ(dirs.Directory(), home_);
    EXPECT_EQ(ui_.Messages("error").size(), 1u);
}

TEST_F(FavoritesTest, TheContextMenuRemovesTheFavouriteShown)
{
    WriteWholeFile(home_ + "/directories.txt", "One=%Pics\nTwo=%Pics/Holiday\nThree=/tmp\n");
    {
        TvekDirectories box;
        box.Loaded();
        QAction* remove = box.findChild<QAction*>("RemoveFavorite");
        ASSERT_NE(remove, nullptr);
        EXPECT_EQ(box.contextMenuPolicy(), Qt::ActionsContextMenu);
        EXPECT_FALSE(remove->isEnabled()) << "no favourite shows yet";
        box.setCurrentIndex(1);
        EXPECT_TRUE(remove->isEnabled());
        remove->trigger();
        EXPECT_EQ(box.Favorites(), (std::vector<std::string>{"One=%Pics", "Three=/tmp"}));
        ASSERT_EQ(box.count(), 2);
        EXPECT_EQ(box.itemText(1), "Three");
        EXPECT_EQ(box.currentIndex(), -1);
        remove->trigger();
        EXPECT_EQ(box.count(), 2);
    }
    EXPECT_EQ(LoadTextLines(home_ + "/directories.txt"), (std::vector<std::string>{"One=%Pics", "Three=/tmp"}));
}

TEST_F(FavoritesTest, ProgramFolderItselfIsStoredAsPercent)
{
    EXPECT_EQ(TvekDirectories::StoredPath(home_), "%");
    EXPECT_EQ(TvekDirectories::StoredPath(home_ + "/Pics"), "%Pics");
    EXPECT_EQ(TvekDirectories::StoredPath(home_ + "x/Pics"), home_ + "x/Pics");
    // Only a leading "%" stands for the program folder; one inside a name stays.
    EXPECT_EQ(TvekDirectories::ResolvedPath("/data/100%/x"), "/data/100%/x");
    EXPECT_EQ(TvekDirectories::ResolvedPath("%Pics"), home_ + "/Pics");
}

} // namespace
