#include "app/BatchConversion.h"
#include "app/BatchF.h"
#include "app/FolderDialog.h"
#include "app/VistrelF.h"
#include "effects/PaintFX.h"
#include "imaging/ImageIO.h"
#include "platform/ProgramFolder.h"
#include "platform/UiServices.h"
#include "tests/app/WindowFixture.h"
#include "tests/common/TestFiles.h"
#include "tests/common/TestPictures.h"
#include "widgets/FileBrowserLists.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

void WritePicture(const std::string& fileName, int width, int height, int seed = 0)
{
    SavePicture(fileName, TestPicture(width, height, seed));
}

TBatchSettings Settings(int keep, int side, int format, const std::string& dir)
{
    TBatchSettings s;
    s.Keep = keep;
    (keep ? s.Height : s.Width) = side;
    s.Format = format;
    s.Dir = dir;
    return s;
}

std::pair<int, int> ResultSize(int width, int height, int keep, int side)
{
    int w = 0, h = 0;
    BatchResultSize(width, height, Settings(keep, side, 2, ""), w, h);
    return {w, h};
}

} // namespace

TEST(BatchConversion, SizesKeepTheAspectRatioRoundingHalvesToEven)
{
    EXPECT_EQ(ResultSize(400, 300, 0, 100), std::make_pair(100, 75));
    EXPECT_EQ(ResultSize(300, 400, 0, 100), std::make_pair(100, 133));
    EXPECT_EQ(ResultSize(250, 100, 1, 100), std::make_pair(250, 100));
    EXPECT_EQ(ResultSize(200, 5, 0, 100), std::make_pair(100, 2)) << "2.5 rounds to 2";
    EXPECT_EQ(ResultSize(200, 7, 0, 100), std::make_pair(100, 4)) << "3.5 rounds to 4";
    EXPECT_EQ(ResultSize(10, 4, 1, 100), std::make_pair(250, 100));
    EXPECT_EQ(ResultSize(10000, 1, 0, 16), std::make_pair(16, 1)) << "a side never becomes 0";
    EXPECT_EQ(ResultSize(1, 10000, 1, 16), std::make_pair(1, 16));
}

TEST(BatchConversion, OutputNamesDropFolderAndLastExtension)
{
    EXPECT_EQ(BatchOutputName("/out", "/photos/x.y.png", 2), "/out/x.y.jpg");
    EXPECT_EQ(BatchOutputName("/out", "/photos/Holiday.XJPG", 0), "/out/Holiday.bmp");
    EXPECT_EQ(BatchOutputName("out", "plain", 4), "out/plain.tif");
    EXPECT_EQ(BatchFormatByName("TIF"), 4);
    EXPECT_EQ(BatchFormatByName("jpeg"), -1);
}

// The result is the source resampled with Lanczos3 at support 3.0, whatever its pixel format was.
TEST(BatchConversion, ResultIsTheLanczosStretchOfTheSource)
{
    TTempDir dir;
    TBitmap source = TestPicture(97, 61);
    source.SetPixelFormat(pf8bit);
    TImageFileSettings plain;
    ASSERT_TRUE(SaveImageFile(dir.File("in.bmp"), source, plain));

    TBitmap a, b;
    const TBatchFileResult result = ConvertBatchFile(dir.File("in.bmp"), Settings(0, 40, 0, dir.Path()), a, b);
    ASSERT_EQ(result.Outcome, TBatchFileResult::boWritten) << result.Message;
    EXPECT_EQ(result.OutputName, dir.Path() + "/in.bmp");

    TBitmap expected(40, 25, pf24bit);
    TBitmap reread = LoadPicture(dir.File("in.bmp"));
    TvekPaintFX().Stretch(reread, expected, 3.0f, Lanczos3Filter);
    const TBitmap written = LoadPicture(result.OutputName);
    ASSERT_EQ(written.Width(), 40);
    ASSERT_EQ(written.Height(), 25);
    for (int y = 0; y < 25; ++y)
        ASSERT_EQ(std::memcmp(written.ScanLine(y), expected.ScanLine(y), 3 * 40), 0) << "row " << y;
}

// An output that is also a later input: only the list order gives the serial result.
TEST(BatchConversion, OutputOverAnInputRunsInListOrder)
{
    TTempDir dir;
    WritePicture(dir.File("a.png"), 80, 40);
    WritePicture(dir.File("a.bmp"), 10, 10);
    WritePicture(dir.File("b.png"), 30, 30);
    const std::vector<std::string> files = {dir.File("a.png"), dir.File("a.bmp"), dir.File("b.png")};
    RunBatch(files, Settings(0, 20, 0, dir.Path()), 3, [](std::size_t, const TBatchFileResult&) { return true; });
    // a.png wrote a.bmp at 20 x 10; reading that back gives 20 x 10 again, not the first 10 x 10.
    EXPECT_EQ(LoadPicture(dir.File("a.bmp")).Height(), 10);
    EXPECT_EQ(LoadPicture(dir.File("a.bmp")).Width(), 20);
}

TEST(BatchConversion, AStoppedRunReportsNoFurther)
{
    TTempDir dir;
    std::vector<std::string> files;
    for (int i = 0; i < 6; ++i) {
        files.push_back(dir.File("s" + std::to_string(i) + ".bmp"));
        WritePicture(files.back(), 20, 20);
    }
    for (int jobs : {1, 3}) {
        std::size_t reported = 0;
        RunBatch(files, Settings(0, 16, 0, dir.File("out")), jobs, [&](std::size_t index, const TBatchFileResult&) {
            EXPECT_EQ(index, reported++);
            return index < 1;
        });
        EXPECT_EQ(reported, 2u) << jobs << " jobs";
    }
}

// ---- the window -------------------------------------------------------------------------------

class BatchWindowTest : public WindowFixture {
protected:
    std::string Home() const override { return temp_.File("Home"); }
    void SetUp() override
    {
        fs::create_directories(temp_.File("photos"));
        WindowFixture::SetUp();
    }
    // Shows the photos folder and selects the named entries.
    void Select(std::initializer_list<const char*> names)
    {
        window_->ShowFolder(temp_.File("photos"));
        for (int i = 0; i < window_->files->count(); ++i) {
            QListWidgetItem* item = window_->files->item(i);
            item->setSelected(std::find(names.begin(), names.end(), item->text().toStdString()) != names.end());
        }
    }
    std::string Status() const { return window_->StatusPanel[0]->text().toStdString(); }
};

TEST_F(BatchWindowTest, SettingsWindowStartsWithItsValuesAndKeepsThemBetweenOpenings)
{
    TBatchF& f = *window_->BatchF;
    EXPECT_EQ(f.windowTitle().toStdString(), "Batch Conversion Settings");
    EXPECT_EQ(f.Width->minimum(), 16);
    EXPECT_EQ(f.Width->maximum(), 1024);
    EXPECT_EQ(f.Height->value(), 100);
    EXPECT_EQ(f.OutputFormat->checkedId(), 2);
    EXPECT_EQ(f.KeepFixed->checkedId(), 0);

    QTimer::singleShot(0, &f, [&f] {
        f.Width->setValue(640);
        f.Height->setValue(5000); // out of range: the spin edit stops at 1024
        f.OutputFormat->button(4)->setChecked(true);
        f.KeepFixed->button(1)->setChecked(true);
        f.accept();
    });
    window_->BatchSettings1Click();
    TVistrelDoc& doc = window_->Doc();
    EXPECT_EQ(doc.BatchWidth, 640);
    EXPECT_EQ(doc.BatchHeight, 1024);
    EXPECT_EQ(doc.BatchFormat, 4);
    EXPECT_EQ(doc.BatchKeep, 1);

    // Cancel changes none of the four, and the window still shows what was chosen last.
    QTimer::singleShot(0, &f, [&f] {
        f.Width->setValue(20);
        f.reject();
    });
    window_->BatchSettings1Click();
    EXPECT_EQ(doc.BatchWidth, 640);
    EXPECT_EQ(f.Width->value(), 20);
    EXPECT_EQ(f.OutputFormat->checkedId(), 4);
}

TEST_F(BatchWindowTest, DirectoryButtonSetsTheFolderAtOnceEvenWhenTheWindowIsCancelled)
{
    TBatchF& f = *window_->BatchF;
    const std::string out = temp_.File("out");
    fs::create_directories(out);
    ui_.Queue(out);
    f.DirectoryClick();
    EXPECT_EQ(window_->Doc().batchDir, out);
    EXPECT_EQ(f.Directory->text().toStdString(), out);
    ui_.Queue("\x18");
    f.DirectoryClick();
    EXPECT_EQ(window_->Doc().batchDir, out) << "a cancelled dialog keeps the folder";
}

TEST_F(BatchWindowTest, FolderDialogCreatesATypedFolderWhenAsked)
{
    const std::string fresh = temp_.File("new/deeper");
    for (const char* answer : {"No", "Yes"}) {
        TFolderDialog dialog("Batch output folder", temp_.Path());
        dialog.FolderEdit->setText(QString::fromStdString(fresh));
        ui_.Queue(answer);
        dialog.accept();
        const bool yes = answer[0] == 'Y';
        EXPECT_EQ(dialog.result() == QDialog::Accepted, yes) << answer;
        EXPECT_EQ(fs::is_directory(fresh), yes) << answer;
        if (yes) {
            EXPECT_EQ(dialog.Folder(), fresh);
        }
    }
    EXPECT_EQ(ui_.Messages("question").size(), 2u);
    // A folder that exists is taken without a question.
    TFolderDialog dialog("Batch output folder", temp_.Path());
    dialog.FolderEdit->setText(QString::fromStdString(temp_.Path() + "/"));
    dialog.accept();
    EXPECT_EQ(dialog.Folder(), temp_.Path());
    EXPECT_EQ(ui_.Messages("question").size(), 2u);
}

TEST_F(BatchWindowTest, BatchNowConvertsTheSelectionAndGoesOnPastAnUnreadableFile)
{
    WritePicture(temp_.File("photos/a.png"), 400, 300);
    WritePicture(temp_.File("photos/b.bmp"), 300, 400);
    WriteWholeFile(temp_.File("photos/c.gif"), "GIF89a broken");
    WritePicture(temp_.File("photos/d.bmp"), 250, 100);
    window_->Doc().batchDir = temp_.File("out");
    fs::create_directories(temp_.File("out"));

    Select({});
    window_->BatchNow1Click();
    EXPECT_EQ(ui_.Messages("message"), std::vector<std::string>{"no files selected"});

    Select({"a.png", "c.gif", "d.bmp", "b.bmp"});
    window_->BatchNow1Click();
    EXPECT_EQ(Status(), "Batch completed");
    ASSERT_EQ(ui_.Messages("error").size(), 1u);
    EXPECT_EQ(ui_.Messages("error")[0].rfind(temp_.File("photos/c.gif") + ": ", 0), 0u) << ui_.Messages("error")[0];
    EXPECT_EQ(window_->Doc().BatchFiles,
              (std::vector<std::string>{temp_.File("photos/a.png"), temp_.File("photos/b.bmp"),
                                        temp_.File("photos/c.gif"), temp_.File("photos/d.bmp")}));
    EXPECT_EQ(LoadPicture(temp_.File("out/a.jpg")).Height(), 75);
    EXPECT_EQ(LoadPicture(temp_.File("out/b.jpg")).Height(), 133);
    EXPECT_EQ(LoadPicture(temp_.File("out/d.jpg")).Height(), 40);
    EXPECT_FALSE(fs::exists(temp_.File("out/c.jpg")));
}

TEST_F(BatchWindowTest, WithoutAnOutputFolderBatchNowAsksForOneFirst)
{
    WritePicture(temp_.File("photos/a.png"), 40, 30);
    Select({"a.png"});
    window_->Doc().batchDir.clear();
    ui_.Queue("\x18");
    window_->BatchNow1Click();
    EXPECT_EQ(ui_.Messages("folder").size(), 1u);
    EXPECT_EQ(Status(), "") << "a cancelled folder dialog ends the command";
    EXPECT_FALSE(fs::exists("/a.jpg"));

    const std::string out = temp_.File("chosen");
    fs::create_directories(out);
    ui_.Queue(out);
    window_->BatchNow1Click();
    EXPECT_EQ(window_->Doc().batchDir, out);
    EXPECT_TRUE(fs::exists(out + "/a.jpg"));
    EXPECT_EQ(Status(), "Batch completed");
}
