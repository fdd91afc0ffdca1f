#include "app/BatchF.h"
#include "app/JpegPreviewF.h"
#include "app/PictureView.h"
#include "app/SpyF.h"
#include "app/TextForm.h"
#include "app/VistrelF.h"
#include "imaging/ImageIO.h"
#include "platform/ProgramFolder.h"
#include "platform/Scanner.h"
#include "platform/ScreenCapture.h"
#include "platform/UiServices.h"
#include "tests/app/WindowFixture.h"
#include "tests/common/SaneTestDevice.h"
#include "tests/common/TestPictures.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

namespace fs = std::filesystem;

namespace {

// The number after "Size=".
long SizeShown(const TJpegPreviewF& f)
{
    const QString text = f.SizeLabel->text();
    EXPECT_TRUE(text.startsWith("Size=")) << text.toStdString();
    return text.mid(5).toLong();
}

// Runs action once the modal window that the command opens is up.
void WhenModal(std::function<void()> action)
{
    QTimer::singleShot(0, [action] { action(); });
}

class ToolWindowsTest : public WindowFixture {
protected:
    std::string Home() const override { return temp_.File("Home"); }
    TVistrelDoc& Doc() { return window_->Doc(); }
    void Click(const char* entry) { window_->Action(entry)->trigger(); }
};

TEST_F(ToolWindowsTest, TheToolWindowsAreMadeHiddenWithTheMainWindow)
{
    TVistrelF& w = *window_;
    ASSERT_TRUE(w.JpegPreviewF && w.SpyF && w.TextForm);
    const QObjectList& children = w.children();
    EXPECT_LT(children.indexOf(w.JpegPreviewF), children.indexOf(w.BatchF));
    EXPECT_LT(children.indexOf(w.BatchF), children.indexOf(w.SpyF));
    EXPECT_LT(children.indexOf(w.SpyF), children.indexOf(w.TextForm));

    EXPECT_EQ(w.JpegPreviewF->windowTitle(), "JPEG Preview");
    EXPECT_EQ(w.JpegPreviewF->size(), QSize(476, 375));
    EXPECT_EQ(w.SpyF->windowTitle(), "Close to Capture");
    EXPECT_EQ(w.SpyF->size(), QSize(210, 198));
    EXPECT_EQ(w.SpyF->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(w.TextForm->windowTitle(), "TextForm");
    for (QWidget* tool : {static_cast<QWidget*>(w.JpegPreviewF), static_cast<QWidget*>(w.SpyF)}) {
        EXPECT_TRUE(tool->windowFlags() & Qt::WindowStaysOnTopHint) << tool->objectName().toStdString();
        EXPECT_EQ(tool->windowType(), Qt::Tool) << tool->objectName().toStdString();
    }
    for (QWidget* tool : {static_cast<QWidget*>(w.JpegPreviewF), static_cast<QWidget*>(w.SpyF),
                          static_cast<QWidget*>(w.TextForm)})
        EXPECT_FALSE(tool->isVisible()) << tool->objectName().toStdString();
    for (const char* entry : {"Capture1", "TwainScan1", "TextChunk1", "PNGText1", "JPGoptimize1"})
        EXPECT_TRUE(w.Action(entry)->isEnabled()) << entry;
    EXPECT_FALSE(w.Action("TextChunk1")->isChecked());
}

TEST_F(ToolWindowsTest, JpegOptimizerShowsSizeAndPreviewAndItsSliderSetsEveryJpegsQuality)
{
    Doc().Picture = TestPicture(96, 64);
    const TBitmap before = Doc().Picture;
    Click("JPGoptimize1");
    TJpegPreviewF& f = *window_->JpegPreviewF;
    ASSERT_TRUE(f.isVisible());
    EXPECT_EQ(f.quality->value(), 50);
    const long at50 = SizeShown(f);
    EXPECT_EQ(f.preview->Picture().size(), QSize(96, 64));

    f.quality->setValue(90);
    const long at90 = SizeShown(f);
    EXPECT_GT(at90, at50);
    EXPECT_EQ(Doc().FileSettings.JpegQuality, 90);

    f.Grayscale->click();
    EXPECT_LT(SizeShown(f), at90);
    const QImage grey = f.preview->Picture();
    for (int x = 0; x < 96; x += 7) {
        const QColor c = grey.pixelColor(x, 40);
        EXPECT_TRUE(c.red() == c.green() && c.green() == c.blue()) << x;
    }

    // Save writes the colour JPEG at the slider's quality, under the name ending in ".jpg".
    ui_.Queue(temp_.File("out.jpeg"));
    f.SaveButton->click();
    EXPECT_EQ(ui_.Messages("save"), std::vector<std::string>{TJpegPreviewF::kSaveFilter});
    EXPECT_FALSE(fs::exists(temp_.File("out.jpeg")));
    ASSERT_TRUE(fs::exists(temp_.File("out.jpg")));
    EXPECT_EQ(static_cast<long>(fs::file_size(temp_.File("out.jpg"))), at90);
    EXPECT_EQ(f.SizeLabel->text(), "jpeg size");

    // Any other JPEG the program writes takes the slider's quality too.
    ui_.Queue(temp_.File("saveas.jpg"));
    window_->SaveAs1Click();
    EXPECT_EQ(ReadWholeFile(temp_.File("saveas.jpg")), ReadWholeFile(temp_.File("out.jpg")));
    EXPECT_TRUE(Doc().Picture == before);
    EXPECT_EQ(JpegFileName("/a.b/c"), "/a.b/c.jpg");
    EXPECT_EQ(JpegFileName("x.JPEG"), "x.jpg");
}

TEST_F(ToolWindowsTest, PngTextTakesTheMemoWithCrLfSoThatItComesBackFromAFileUnchanged)
{
    Click("TextChunk1");
    EXPECT_TRUE(Doc().FileSettings.PngTextOn);
    EXPECT_TRUE(window_->Action("TextChunk1")->isChecked());

    TTextForm& form = *window_->TextForm;
    WhenModal([&] {
        form.Memo1->setPlainText(QString::fromLatin1("caf\xe9 line\nsecond\n\nlast"));
        form.OkButton->click();
    });
    Click("PNGText1");
    const std::string text = "caf\xe9 line\r\nsecond\r\n\r\nlast";
    EXPECT_EQ(Doc().FileSettings.PngText, text);

    Doc().Picture = TestPicture(5, 4);
    ui_.Queue(temp_.File("t.png"));
    window_->SaveAs1Click();
    Doc().FileSettings.PngText.clear();
    Doc().LoadFile(temp_.File("t.png"));
    EXPECT_EQ(Doc().FileSettings.PngText, text);

    // Shown and taken back without an edit, the text stays as it was; Cancel keeps it too.
    WhenModal([&] {
        EXPECT_EQ(form.Memo1->toPlainText(), QString::fromLatin1("caf\xe9 line\nsecond\n\nlast"));
        form.OkButton->click();
    });
    Click("PNGText1");
    EXPECT_EQ(Doc().FileSettings.PngText, text);
    WhenModal([&] {
        form.Memo1->setPlainText("other");
        form.CancelButton->click();
    });
    Click("PNGText1");
    EXPECT_EQ(Doc().FileSettings.PngText, text);

    Click("TextChunk1");
    EXPECT_FALSE(Doc().FileSettings.PngTextOn);
}

// ---- capture -----------------------------------------------------------------------------------

TEST(SpyWindowShape, IsTheOuterRectangleWithTheInnerOneOpen)
{
    // A window of 210 x 198 with 4-pixel borders and a 27-pixel caption and bottom border.
    const QPolygon shape = SpyWindowShape(210, 198, 202, 171);
    ASSERT_EQ(shape.size(), 15);
    EXPECT_EQ(shape[0], QPoint(0, 0));
    EXPECT_EQ(shape[4], QPoint(105, 194));
    EXPECT_EQ(shape[7], QPoint(206, 27));
    EXPECT_EQ(shape[10], QPoint(4, 99));
    EXPECT_EQ(shape[14], QPoint(0, 198));
    const QRegion region(shape, Qt::OddEvenFill);
    for (QPoint frame : {QPoint(1, 1), QPoint(2, 100), QPoint(207, 100), QPoint(100, 196), QPoint(100, 20)})
        EXPECT_TRUE(region.contains(frame)) << frame.x() << "," << frame.y();
    for (QPoint middle : {QPoint(105, 100), QPoint(5, 28), QPoint(205, 193), QPoint(105, 193)})
        EXPECT_FALSE(region.contains(middle)) << middle.x() << "," << middle.y();
}

// A window filled with one colour, standing in for whatever lies on the desktop.
class TDesktopStandIn : public QWidget {
public:
    explicit TDesktopStandIn(QColor colour) : colour_(colour)
    {
        setWindowFlags(Qt::FramelessWindowHint);
        setGeometry(0, 0, 640, 480);
        show();
        for (int i = 0; i < 20; ++i) QApplication::processEvents();
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), colour_); }

private:
    QColor colour_;
};

TEST_F(ToolWindowsTest, TheCaptureWindowsShapeFollowsItsSize)
{
    TSpyF& spy = *window_->SpyF;
    spy.move(50, 60);
    spy.show();
    QApplication::processEvents();
    const QRect hole = spy.CaptureRect();
    const QPoint client = spy.geometry().topLeft();
    const auto seeThrough = [&](QPoint global) { return !spy.Shape().contains(global - client); };
    EXPECT_GE(hole.width(), 210 - 2 * TSpyF::MinimumFrame);
    EXPECT_TRUE(seeThrough(hole.center()));
    EXPECT_TRUE(seeThrough(hole.bottomRight()));
    EXPECT_FALSE(seeThrough(hole.bottomRight() + QPoint(1, 1)));
    EXPECT_FALSE(seeThrough(hole.topLeft() - QPoint(1, 1)));

    spy.resize(320, 260);
    QApplication::processEvents();
    const QRect larger = spy.CaptureRect();
    EXPECT_EQ(larger.width() - hole.width(), 110);
    EXPECT_EQ(larger.height() - hole.height(), 62);
    EXPECT_TRUE(seeThrough(larger.bottomRight()));
    EXPECT_FALSE(seeThrough(larger.bottomRight() + QPoint(1, 1)));
    spy.hide();
}

TEST_F(ToolWindowsTest, CaptureTakesWhatLayUnderTheMiddleOfTheFrame)
{
    TDesktopStandIn desktop(QColor(10, 200, 30));
    Doc().Picture = TestPicture(8, 8);
    const TBitmap before = Doc().Picture;
    window_->SpyF->move(100, 80);
    QRect shown;
    WhenModal([&] {
        shown = window_->SpyF->CaptureRect();
        window_->SpyF->close();
    });
    Click("Capture1");
    ASSERT_EQ(ui_.Messages("error"), std::vector<std::string>{});
    const TBitmap& shot = Doc().Picture;
    EXPECT_EQ(shot.Width(), shown.width());
    EXPECT_EQ(shot.Height(), shown.height());
    EXPECT_EQ(shot.GetPixel(0, 0), RGB(10, 200, 30));
    EXPECT_EQ(shot.GetPixel(shot.Width() - 1, shot.Height() - 1), RGB(10, 200, 30));
    EXPECT_TRUE(Doc().UndoBitmap == before);
}

TEST_F(ToolWindowsTest, ACaptureTheDesktopRefusesLeavesTheImage)
{
    // The frame lies off the screen, so there is nothing the screen can hand over.
    Doc().Picture = TestPicture(8, 8);
    const TBitmap before = Doc().Picture;
    window_->SpyF->move(3000, 3000);
    WhenModal([&] { window_->SpyF->reject(); });
    Click("Capture1");
    EXPECT_EQ(ui_.Messages("error"), std::vector<std::string>{kScreenCaptureRefused});
    EXPECT_TRUE(Doc().Picture == before);
}

// ---- scanning ----------------------------------------------------------------------------------

TEST_F(ToolWindowsTest, ScanOffersTheDevicesAndTheScanBecomesTheImageWithoutAnUndoCopy)
{
    TSaneTestDevice& device = TSaneTestDevice::Instance();
    device.Configure("test-picture \"Solid white\"\n");
    const std::vector<TScanSource> sources = ScanSources();
    ASSERT_EQ(sources.size(), 2u);
    Doc().Picture = TestPicture(8, 8);
    const TBitmap before = Doc().Picture;

    ui_.Queue(sources[1].Label());
    Click("TwainScan1");
    ASSERT_EQ(ui_.Messages("error"), std::vector<std::string>{});
    EXPECT_EQ(ui_.Messages("choose"), std::vector<std::string>{"Select Source"});
    EXPECT_EQ(Doc().Picture.Width(), 19);
    EXPECT_EQ(Doc().Picture.PixelFormat(), pf24bit);
    EXPECT_EQ(Doc().Picture.GetPixel(5, 5), clWhite);
    EXPECT_TRUE(Doc().UndoBitmap.Empty());
    EXPECT_EQ(window_->Image1->Picture().width(), 19);

    // A cancelled choice, and no scanner at all, leave the image as it was.
    Doc().Picture = before;
    ui_.Queue("\x18");
    Click("TwainScan1");
    EXPECT_TRUE(Doc().Picture == before);
    device.RemoveDevices();
    Click("TwainScan1");
    EXPECT_EQ(ui_.Messages("error"), std::vector<std::string>{kScanCannotOpenSource});
    EXPECT_TRUE(Doc().Picture == before);
    device.Configure();
}

} // namespace
