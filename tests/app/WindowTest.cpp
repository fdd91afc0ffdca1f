#include "app/PictureView.h"
#include "app/VistrelF.h"
#include "imaging/ImageIO.h"
#include "platform/IniFile32.h"
#include "platform/ProgramFolder.h"
#include "platform/UiServices.h"
#include "tests/common/TestFiles.h"
#include "tests/common/TestPictures.h"
#include "widgets/FileBrowserLists.h"
#include "widgets/TvekDirectories.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

void WriteBmp(const std::string& fileName, int width, int height, TPixelFormat format = pf24bit)
{
    SavePicture(fileName, TBitmap(width, height, format));
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = ProgramFolder();
        savedExe_ = ExecutableFolder();
        home_ = temp_.File("Home");
        fs::create_directories(home_);
        SetProgramFolder(home_);
        fs::create_directories(temp_.File("bin"));
        SetExecutableFolder(temp_.File("bin"));
    }
    void TearDown() override
    {
        window_.reset();
        SetProgramFolder(saved_);
        SetExecutableFolder(savedExe_);
    }
    TVistrelF& Start()
    {
        window_ = std::make_unique<TVistrelF>(&ui_);
        window_->Launcher = [this](const std::string& target) {
            launched_.push_back(target);
            return launcherWorks_;
        };
        return *window_;
    }
    void Close() { window_.reset(); }
    std::string Ini() const { return home_ + "/vistrel.ini"; }
    std::vector<std::string> IniLines() const { return LoadTextLines(Ini()); }

    TTempDir temp_;
    std::string home_;
    std::string saved_;
    std::string savedExe_;
    TScriptedUi ui_;
    std::unique_ptr<TVistrelF> window_;
    std::vector<std::string> launched_;
    bool launcherWorks_ = true;
};

TEST_F(WindowTest, FirstStartShowsTheProgramFolderAndExitWritesEverySetting)
{
    WriteBmp(home_ + "/a.bmp", 2, 2);
    TVistrelF& window = Start();
    EXPECT_EQ(window.windowTitle(), "Veks Vistrel 9");
    EXPECT_EQ(window.files->Directory(), home_);
    EXPECT_EQ(window.files->FileNames(), std::vector<std::string>{"a.bmp"});
    EXPECT_EQ(window.x(), 171);
    EXPECT_EQ(window.width(), 696);
    EXPECT_FALSE(fs::exists(Ini())) << "settings are written at exit only";
    window.close();
    Close();

    // The splitters' section comes after the sections whose keys are fixed.
    auto lines = IniLines();
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 13),
              (std::vector<std::string>{"", "[Settings]", "lastDir=" + home_, "batchDir=", "", "[VistrelF]", "State=0",
                                        "Left=171", "Top=182", "Width=696", "Height=479", "", "[Splitters]"}));
    EXPECT_EQ(lines[13].substr(0, 10), "Splitter1=");
    EXPECT_EQ(lines[14].substr(0, 10), "Splitter2=");
    EXPECT_TRUE(fs::exists(home_ + "/VistrelCC.txt"));
    EXPECT_TRUE(fs::exists(home_ + "/directories.txt"));
    EXPECT_TRUE(ui_.Log.empty());
}

TEST_F(WindowTest, SettingsOfTheLastRunAreRestoredAndWrittenBack)
{
    fs::create_directories(temp_.File("Pictures"));
    WriteWholeFile(Ini(), "[Settings]\nlastDir=" + temp_.File("Pictures") +
                              "\nbatchDir=/out\n[VistrelF]\nState=0\nLeft=0x20\nTop=40\nWidth=500\nHeight=0x\n");
    WriteWholeFile(home_ + "/VistrelCC.txt", "ColorA=FF0000\nsomething else\n");
    TVistrelF& window = Start();
    EXPECT_EQ(window.files->Directory(), temp_.File("Pictures"));
    EXPECT_EQ(window.Doc().batchDir, "/out");
    EXPECT_EQ(window.Doc().CustomColors, (std::vector<std::string>{"ColorA=FF0000", "something else"}));
    EXPECT_EQ(window.x(), 32);
    EXPECT_EQ(window.y(), 40);
    EXPECT_EQ(window.width(), 500);
    EXPECT_EQ(window.height(), 479) << "0x alone reads as the default";
    window.move(50, 60);
    Close();
    const auto lines = IniLines();
    EXPECT_TRUE(Contains(lines, "Left=50"));
    EXPECT_TRUE(Contains(lines, "Top=60"));
    EXPECT_TRUE(Contains(lines, "batchDir=/out"));
    EXPECT_EQ(LoadTextLines(home_ + "/VistrelCC.txt"), (std::vector<std::string>{"ColorA=FF0000", "something else"}));
}

TEST_F(WindowTest, AFolderThatIsGoneFallsBackToTheProgramFolder)
{
    WriteWholeFile(Ini(), "[Settings]\nlastDir=/no/such/folder\n");
    EXPECT_EQ(Start().files->Directory(), home_);
    EXPECT_TRUE(ui_.Log.empty());
}

TEST_F(WindowTest, MaximizedExitKeepsTheEarlierPlacementLines)
{
    const std::string before = "[Settings]\nlastDir=" + home_ +
                               "\nbatchDir=\n[VistrelF]\nState=0\nLeft=10\nTop=20\nWidth=300\nHeight=200\n";
    WriteWholeFile(Ini(), before);
    TVistrelF& window = Start();
    EXPECT_FALSE(window.StartMaximized());
    window.setWindowState(Qt::WindowMaximized);
    Close();
    std::string after = before;
    after.replace(after.find("State=0"), 7, "State=1");
    EXPECT_EQ(ReadWholeFile(Ini()).substr(0, after.size()), after);

    EXPECT_TRUE(Start().StartMaximized());
    EXPECT_TRUE(window_->isMaximized());
}

TEST_F(WindowTest, AbsurdWindowSizesFromTheSettingsAreBounded)
{
    WriteWholeFile(Ini(), "[VistrelF]\nWidth=2000000000\nHeight=-5\n");
    TVistrelF& window = Start();
    EXPECT_LE(window.width(), 100000);
    EXPECT_GE(window.height(), 1);
}

TEST_F(WindowTest, ASavedPlacementOffTheScreenOrLargerThanItIsFittedToTheScreen)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    WriteWholeFile(Ini(), "[VistrelF]\nState=0\nLeft=" + std::to_string(area.right() + 3000) +
                              "\nTop=-2500\nWidth=" + std::to_string(area.width() * 2) +
                              "\nHeight=" + std::to_string(area.height() + 1) + "\n");
    TVistrelF& window = Start();
    EXPECT_TRUE(area.contains(window.geometry())) << window.x() << "," << window.y() << " " << window.width() << "x"
                                                  << window.height();
    EXPECT_EQ(window.width(), area.width());
}

TEST_F(WindowTest, SaveAsAsksBeforeOverwritingAndRefreshesTheFileList)
{
    TVistrelF& window = Start();
    window.Doc().Picture = TBitmap(4, 3);
    const std::string existing = home_ + "/old.bmp";
    WriteWholeFile(existing, "old contents");

    ui_.Queue(existing);
    ui_.Queue("No");
    window.Action("SaveAs1")->trigger();
    EXPECT_EQ(ReadWholeFile(existing), "old contents");
    ASSERT_EQ(ui_.Messages("question").size(), 1u);
    EXPECT_EQ(ui_.Messages("question")[0], "This file allready exists. Do yo want to overwrite it?");
    EXPECT_EQ(ui_.Messages("save")[0], kSaveFilter);

    ui_.Queue(home_ + "/new.bmp");
    window.Action("SaveAs1")->trigger();
    EXPECT_EQ(ui_.Messages("question").size(), 1u) << "a new name is not asked about";
    EXPECT_EQ(window.files->FileNames(), (std::vector<std::string>{"new.bmp", "old.bmp"}));

    ui_.Queue(existing);
    ui_.Queue("Yes");
    window.Action("SaveAs1")->trigger();
    EXPECT_EQ(ReadWholeFile(existing).substr(0, 2), "BM");
    EXPECT_TRUE(ui_.Messages("error").empty());
}

TEST_F(WindowTest, SavingAsAnIconShowsThePictureItLeaves)
{
    TVistrelF& window = Start();
    window.Doc().Picture = TBitmap(48, 40);
    window.PictureChanged();
    ui_.Queue(home_ + "/small.ico");
    ui_.Queue("Yes");
    window.Action("SaveAs1")->trigger();
    ASSERT_TRUE(fs::exists(home_ + "/small.ico"));
    EXPECT_EQ(window.Doc().Picture.PixelFormat(), pf8bit);
    EXPECT_EQ(window.Image1->size(), QSize(32, 32));
    EXPECT_EQ(window.Image1->Picture().size(), QSize(32, 32));
    EXPECT_EQ(window.Image1->Picture().format(), QImage::Format_Indexed8);
}

TEST_F(WindowTest, UnknownFileTypesAreToldNotPassedOver)
{
    WriteWholeFile(home_ + "/notes.txt", "some text");
    TVistrelF& window = Start();
    window.Doc().Picture = TBitmap(6, 6);
    window.OpenFile(home_ + "/notes.txt");
    ui_.Queue(home_ + "/notes.txt");
    window.Action("Open1")->trigger();
    ui_.Queue(home_ + "/picture.xyz");
    window.Action("SaveAs1")->trigger();
    EXPECT_EQ(ui_.Messages("error"), (std::vector<std::string>{"Unknown image file type: \"" + home_ + "/notes.txt\".",
                                                                "Unknown image file type: \"" + home_ + "/notes.txt\".",
                                                                "Unknown image file type: \"" + home_ + "/picture.xyz\"."}));
    EXPECT_TRUE(ui_.Messages("question").empty());
    EXPECT_FALSE(fs::exists(home_ + "/picture.xyz"));
    EXPECT_EQ(window.Doc().Picture.Width(), 6);
}

TEST_F(WindowTest, AnUnreadableTiffIsOneMessage)
{
    WriteWholeFile(home_ + "/bad.tif", "II*\0\x08\0\0\0\0\0\0\0");
    TVistrelF& window = Start();
    window.OpenFile(home_ + "/bad.tif");
    ASSERT_EQ(ui_.Log.size(), 1u);
    EXPECT_EQ(ui_.Log[0].kind, "error");
}

TEST_F(WindowTest, DoubleClickLoadsTheSelectedFileOnly)
{
    WriteBmp(home_ + "/b.bmp", 5, 7, pf8bit);
    TVistrelF& window = Start();
    window.filesDblClick();
    EXPECT_TRUE(window.Doc().Picture.Empty());
    EXPECT_TRUE(ui_.Log.empty());

    window.files->item(0)->setSelected(true);
    window.filesDblClick();
    EXPECT_EQ(window.Doc().Picture.Width(), 5);
    EXPECT_EQ(window.Image1->size(), QSize(5, 7)) << "the picture control takes the image's size";

    window.Action("ShowImageInfo1")->trigger();
    ASSERT_EQ(ui_.Messages("message").size(), 1u);
    EXPECT_EQ(ui_.Messages("message")[0], "image width=5 height=7\n8 bits/pixel");
}

TEST_F(WindowTest, ImageInfoNamesEveryDepth)
{
    const std::pair<TPixelFormat, const char*> depths[] = {
        {pf1bit, "1 bit/pixel"},   {pf4bit, "4 bits/pixel"},   {pf8bit, "8 bits/pixel"},
        {pf15bit, "unrecognized pixel depth"}, {pf16bit, "16 bits/pixel"}, {pf24bit, "24 bits/pixel"},
        {pf32bit, "32 bits/pixel"}};
    for (auto [format, text] : depths)
        EXPECT_EQ(ImageInfoText(TBitmap(3, 2, format)), std::string("image width=3 height=2\n") + text);
    EXPECT_EQ(ImageInfoText(TBitmap()), "image width=0 height=0\n24 bits/pixel");
}

TEST_F(WindowTest, AFailingLoadShowsTheErrorAndKeepsThePicture)
{
    TVistrelF& window = Start();
    window.Doc().Picture = TBitmap(6, 6);
    WriteWholeFile(home_ + "/broken.bmp", "BM this is not a bitmap");
    ui_.Queue(home_ + "/broken.bmp");
    window.Action("Open1")->trigger();
    EXPECT_EQ(ui_.Messages("open")[0], kOpenFilter);
    EXPECT_EQ(ui_.Messages("error").size(), 1u);
    EXPECT_EQ(window.Doc().Picture.Width(), 6);

    // The window goes on: the next command works.
    WriteBmp(home_ + "/good.bmp", 9, 4);
    window.OpenFile(home_ + "/good.bmp");
    EXPECT_EQ(window.Doc().Picture.Width(), 9);
}

TEST_F(WindowTest, DroppingAnImageFileOnThePictureAreaOpensItAndTheBrowserFollows)
{
    std::filesystem::create_directory(home_ + "/Drops");
    WriteBmp(home_ + "/Drops/dropped.bmp", 12, 10);
    TVistrelF& window = Start();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(home_ + "/Drops/dropped.bmp"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.box->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.box->viewport(), &drop);
    EXPECT_EQ(window.Doc().Picture.Width(), 12);
    EXPECT_EQ(window.BrowserFolder(), home_ + "/Drops");
    EXPECT_TRUE(ui_.Log.empty());

    // Something that is not a file is refused while dragging.
    QMimeData text;
    text.setText("hello");
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.box->viewport(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(WindowTest, MousePositionShowsInTheSecondPanel)
{
    TVistrelF& window = Start();
    window.Doc().Picture = TBitmap(40, 30);
    window.PictureChanged();
    QMouseEvent move(QEvent::MouseMove, QPointF(12, 7), QPointF(12, 7), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window.Image1, &move);
    EXPECT_EQ(window.StatusPanel[1]->text(), "x=12, y=7");
    EXPECT_EQ(window.StatusPanel[0]->width(), 300);
    EXPECT_EQ(window.StatusPanel[1]->width(), 200);
}

TEST_F(WindowTest, OverAScrolledPictureTheStatusBarShowsThePositionInTheImage)
{
    TVistrelF& window = Start();
    window.show();
    window.Doc().Picture = TBitmap(3000, 2000);
    window.PictureChanged();
    window.box->horizontalScrollBar()->setValue(400);
    window.box->verticalScrollBar()->setValue(300);
    ASSERT_EQ(window.box->horizontalScrollBar()->value(), 400);
    QMouseEvent move(QEvent::MouseMove, QPointF(450, 320), QPointF(450, 320), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(window.Image1, &move);
    EXPECT_EQ(window.StatusPanel[1]->text(), "x=450, y=320");
}

TEST_F(WindowTest, TransparentGifFlipsItsCheckMark)
{
    TVistrelF& window = Start();
    QAction* item = window.Action("TransparentGIF1");
    EXPECT_TRUE(window.Doc().FileSettings.TransparentGif);
    item->trigger();
    EXPECT_FALSE(window.Doc().FileSettings.TransparentGif);
    EXPECT_FALSE(item->isChecked());
    item->trigger();
    EXPECT_TRUE(window.Doc().FileSettings.TransparentGif);
    EXPECT_TRUE(item->isChecked());
}

TEST_F(WindowTest, HelpOpensTheManualAndFailuresReachTheErrorBox)
{
    TVistrelF& window = Start();
    window.Action("Contents1")->trigger();
    EXPECT_TRUE(launched_.empty());
    ASSERT_EQ(ui_.Messages("error").size(), 1u) << "no manual in the program folder";

    WriteWholeFile(home_ + "/Vistrel.html", "<html></html>");
    window.Action("Contents1")->trigger();
    window.Action("ontheWeb1")->trigger();
    ASSERT_EQ(launched_.size(), 2u);
    EXPECT_EQ(launched_[0], home_ + "/Vistrel.html");
    EXPECT_EQ(launched_[1], kWebAddress);

    // With --home, the folder holds the settings only: the manual beside the program is found.
    fs::remove(home_ + "/Vistrel.html");
    WriteWholeFile(temp_.File("bin/Vistrel.html"), "<html></html>");
    window.Action("Contents1")->trigger();
    ASSERT_EQ(launched_.size(), 3u);
    EXPECT_EQ(launched_[2], temp_.File("bin/Vistrel.html"));

    launcherWorks_ = false;
    window.Action("ontheWeb1")->trigger();
    EXPECT_EQ(ui_.Messages("error").size(), 2u);

    window.Action("About1")->trigger();
    ASSERT_EQ(ui_.Messages("message").size(), 1u);
    EXPECT_NE(ui_.Messages("message")[0].find("Vistrel 9"), std::string::npos);
}

TEST_F(WindowTest, RunScriptTakesAnUndoCopyAndReportsScriptErrors)
{
    TVistrelF& window = Start();
    window.Doc().Picture = TBitmap(3, 3, pf8bit);
    WriteWholeFile(home_ + "/bad.vek", "1 2 +\n>nosuchthing.get\n");
    ui_.Queue(home_ + "/bad.vek");
    window.Action("RunScript1")->trigger();
    EXPECT_EQ(ui_.Messages("open")[0], "vekScript Files (*.vek)|*.vek");
    ASSERT_EQ(ui_.Messages("error").size(), 1u);
    EXPECT_NE(ui_.Messages("error")[0].find("nosuchthing"), std::string::npos);
    EXPECT_EQ(window.Doc().UndoBitmap.PixelFormat(), pf8bit);
    EXPECT_EQ(window.Doc().WorkBitmap.PixelFormat(), pf24bit);

    ui_.Queue(home_ + "/missing.vek");
    window.Action("RunScript1")->trigger();
    EXPECT_EQ(ui_.Messages("error").size(), 2u);

    // Lines written on Linux, and an include from the script's own folder.
    fs::create_directories(home_ + "/work");
    WriteWholeFile(home_ + "/work/part.vek", "\"included\" say\n");
    WriteWholeFile(home_ + "/work/main.vek", "(* a comment\nover two lines *)\n$$part;\n\"hello\"\nsay\n");
    ui_.Queue(home_ + "/work/main.vek");
    window.Action("RunScript1")->trigger();
    EXPECT_EQ(ui_.Messages("error").size(), 2u);
    EXPECT_EQ(ui_.Messages("say"), (std::vector<std::string>{"included", "hello"}));

    // The script's image words act on the working image, and the picture shows the result.
    window.Doc().Picture = TBitmap(30, 20, pf24bit);
    WriteWholeFile(home_ + "/draw.vek", "$FFFFFF >pencolor.set 0 5 30 5 >line.set 'invert' >effect.set\n");
    ui_.Queue(home_ + "/draw.vek");
    window.Action("RunScript1")->trigger();
    EXPECT_EQ(ui_.Messages("error").size(), 2u);
    EXPECT_EQ(window.Doc().Picture.GetPixel(29, 5), clBlack);
    EXPECT_EQ(window.Doc().Picture.GetPixel(29, 6), clWhite);
    EXPECT_EQ(window.Image1->Picture().pixel(29, 6), qRgb(255, 255, 255));
}

TEST_F(WindowTest, FavouritesAreWiredToTheDirectoryList)
{
    fs::create_directories(home_ + "/Album");
    TVistrelF& window = Start();
    window.RzDirectoryListBox1->SetDirectory(home_ + "/Album");
    EXPECT_EQ(window.files->Directory(), home_ + "/Album");
    ui_.Queue("album");
    window.vekDirectories1->DropFrom(window.RzDirectoryListBox1);
    window.ShowFolder(temp_.Path());
    window.vekDirectories1->setCurrentIndex(0);
    window.vekDirectories1->Click();
    EXPECT_EQ(window.files->Directory(), home_ + "/Album");
    Close();
    EXPECT_EQ(LoadTextLines(home_ + "/directories.txt"), std::vector<std::string>{"album=%Album"});
}

} // namespace

namespace {

TEST_F(WindowTest, FileDialogsStartInTheBrowsersFolderAndSaveAsOffersTheFilesName)
{
    fs::create_directories(home_ + "/Album");
    WriteBmp(home_ + "/Album/Sea.bmp", 4, 4);
    TVistrelF& window = Start();
    window.ShowFolder(home_ + "/Album");
    ui_.Queue(home_ + "/Album/Sea.bmp");
    window.Action("Open1")->trigger();
    window.ShowFolder(home_);
    window.Action("SaveAs1")->trigger();
    window.Action("RunScript1")->trigger();
    window.Action("Overlay1")->trigger();
    ASSERT_EQ(ui_.Log.size(), 4u);
    EXPECT_EQ(ui_.Log[0].start, home_ + "/Album");
    EXPECT_EQ(ui_.Log[1].kind, "save");
    EXPECT_EQ(ui_.Log[1].start, home_ + "/Sea.bmp");
    EXPECT_EQ(ui_.Log[2].start, home_);
    EXPECT_EQ(ui_.Log[3].start, home_);
}

TEST_F(WindowTest, TheKeyboardWalksThroughTheFileList)
{
    for (auto [name, width] : {std::pair{"c.bmp", 3}, {"B.bmp", 2}, {"a.bmp", 1}}) WriteBmp(home_ + "/" + name, width, 5);
    TVistrelF& window = Start();
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_EQ(window.files->FileNames(), (std::vector<std::string>{"a.bmp", "B.bmp", "c.bmp"}));
    window.files->setFocus();
    auto shown = [&] { return window.Doc().Picture.Width(); };

    QTest::keyClick(window.files, Qt::Key_PageDown);
    EXPECT_EQ(shown(), 1);
    QTest::keyClick(window.files, Qt::Key_PageDown);
    QTest::keyClick(window.files, Qt::Key_PageDown);
    EXPECT_EQ(shown(), 3);
    QTest::keyClick(window.files, Qt::Key_PageDown);
    EXPECT_EQ(shown(), 3) << "the last image stays";
    QTest::keyClick(window.files, Qt::Key_PageUp);
    EXPECT_EQ(shown(), 2);
    EXPECT_EQ(window.files->SelectedNames(), std::vector<std::string>{"B.bmp"});
    EXPECT_EQ(window.Image1->size(), QSize(2, 5));

    // Return opens the selected entry.
    window.files->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(window.files, Qt::Key_Return);
    EXPECT_EQ(shown(), 1);

    // Over the picture, Space and Backspace do the same.
    QTest::mouseClick(window.Image1, Qt::LeftButton, Qt::NoModifier, QPoint(0, 0));
    ASSERT_TRUE(window.box->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == window.box);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(shown(), 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    EXPECT_EQ(shown(), 1);
    EXPECT_TRUE(ui_.Log.empty());
}

TEST_F(WindowTest, QuitClosesTheWindowAndTheSplittersAreKept)
{
    TVistrelF& window = Start();
    window.show();
    window.Splitter1->setSizes({120, 300});
    window.Splitter2->setSizes({250, 400});
    const QList<int> sizes1 = window.Splitter1->sizes(), sizes2 = window.Splitter2->sizes();
    EXPECT_EQ(window.Action("Quit1")->shortcut(), QKeySequence("Ctrl+Q"));
    window.Action("Quit1")->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(fs::exists(Ini())) << "closing writes the settings";
    Close();
    EXPECT_EQ(TIniFile32(Ini()).ReadString("Splitters", "Splitter2", ""),
              std::to_string(sizes2[0]) + "," + std::to_string(sizes2[1]));

    TVistrelF& again = Start();
    again.show();
    EXPECT_EQ(again.Splitter1->sizes(), sizes1);
    EXPECT_EQ(again.Splitter2->sizes(), sizes2);
}

TEST_F(WindowTest, CommandsWorkUnderABusyCursorAndCancelStopsALongScript)
{
    TVistrelF& window = Start();
    int depthWhileWorking = 0;
    window.Launcher = [&](const std::string&) {
        depthWhileWorking = ui_.WorkDepth;
        return true;
    };
    window.Action("ontheWeb1")->trigger();
    EXPECT_EQ(depthWhileWorking, 1);
    EXPECT_EQ(ui_.WorkDepth, 0);

    WriteWholeFile(home_ + "/loop.vek", "repeat 0 until\n");
    ui_.CancelWorkAfter = 3;
    ui_.Queue(home_ + "/loop.vek");
    window.Action("RunScript1")->trigger();
    EXPECT_EQ(ui_.Messages("error"), std::vector<std::string>{"Script cancelled"});
    EXPECT_EQ(ui_.KeepAliveCalls, 4);
    EXPECT_EQ(ui_.WorkCaptions, std::vector<std::string>{"Running loop.vek"});
    EXPECT_EQ(ui_.WorkDepth, 0);
}

} // namespace
