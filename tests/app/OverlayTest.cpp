#include "app/OverlayView.h"
#include "app/PictureView.h"
#include "app/VistrelF.h"
#include "imaging/Codecs.h"
#include "imaging/ImageIO.h"
#include "platform/ProgramFolder.h"
#include "platform/TCanvas.h"
#include "platform/UiServices.h"
#include "tests/app/WindowFixture.h"
#include "tests/common/TestFiles.h"
#include "tests/common/TestPictures.h"
#include "widgets/FileBrowserLists.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

// A picture of one colour with a few marked pixels.
TBitmap Filled(int width, int height, TColor color)
{
    TBitmap b(width, height);
    b.Canvas().Brush.Color = color;
    b.Canvas().FillRect(Rect(0, 0, width, height));
    return b;
}

class OverlayTest : public WindowFixture {
protected:
    TVistrelDoc& Doc() { return window_->Doc(); }

    // An overlay of white with a red mark at (1, 0); the file itself calls red transparent.
    void WriteOverlayFile(const std::string& fileName)
    {
        TBitmap b = Filled(4, 3, clWhite);
        b.SetPixel(1, 0, clRed);
        b.SetTransparent(true);
        b.SetTransparentColor(clRed);
        SavePicture(fileName, b);
    }
};

TEST_F(OverlayTest, AnOverlayIsTransparentInItsBottomLeftColourWhateverTheFileSays)
{
    const std::string file = temp_.File("mark.png");
    WriteOverlayFile(file);
    const TBitmap asImage = LoadPicture(file);
    ASSERT_EQ(asImage.TransparentColor(), clRed) << "the file marks red transparent";

    EXPECT_FALSE(window_->Image2->isVisibleTo(window_->box->Surface()));
    ui_.Queue(file);
    window_->Action("Overlay1")->trigger();
    ASSERT_EQ(ui_.Messages("open"), std::vector<std::string>{kOpenFilter});
    EXPECT_TRUE(ui_.Messages("error").empty());
    EXPECT_EQ(window_->Image2->size(), QSize(4, 3));
    EXPECT_TRUE(window_->Image2->isVisibleTo(window_->box->Surface()));
    EXPECT_TRUE(window_->Action("ViewOverlay1")->isChecked());
    EXPECT_EQ(window_->Image2->Picture().TransparentColor(), clWhite);

    // On screen the white shows nothing and the red mark shows.
    const QImage shown = TransparentImage(window_->Image2->Picture());
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
    EXPECT_EQ(shown.pixel(1, 0), qRgb(255, 0, 0));

    // Painting leaves the picture under the white alone.
    Doc().Picture = Filled(10, 10, clBlue);
    window_->Image2->move(2, 3);
    window_->Action("PaintOverlay1")->trigger();
    EXPECT_EQ(Doc().Picture.GetPixel(3, 3), clRed);
    EXPECT_EQ(Doc().Picture.GetPixel(2, 3), clBlue);
    EXPECT_EQ(Doc().Picture.GetPixel(4, 5), clBlue);
    EXPECT_TRUE(Doc().UndoBitmap.Empty()) << "painting takes no undo copy";
    EXPECT_EQ(window_->Image1->Picture().pixel(3, 3), qRgb(255, 0, 0)) << "the picture control shows the change";
}

TEST_F(OverlayTest, TheFileListOverlaysItsSelectedFileAndViewOverlayFlips)
{
    WriteOverlayFile(temp_.File("a.png"));
    window_->ShowFolder(temp_.Path());
    QAction* overlay = window_->Action("Overlay2");
    ASSERT_TRUE(overlay->isEnabled());
    overlay->trigger();
    EXPECT_TRUE(window_->Image2->Picture().Empty()) << "nothing selected: nothing happens";
    EXPECT_FALSE(window_->Action("ViewOverlay1")->isChecked());

    window_->files->item(0)->setSelected(true);
    overlay->trigger();
    EXPECT_EQ(window_->Image2->Picture().Width(), 4);
    EXPECT_TRUE(window_->Image2->isVisibleTo(window_->box->Surface()));

    window_->Action("ViewOverlay1")->trigger();
    EXPECT_FALSE(window_->Action("ViewOverlay1")->isChecked());
    EXPECT_FALSE(window_->Image2->isVisibleTo(window_->box->Surface()));
    // A second load of a hidden overlay shows it again; a shown one stays shown.
    overlay->trigger();
    EXPECT_TRUE(window_->Image2->isVisibleTo(window_->box->Surface()));
    overlay->trigger();
    EXPECT_TRUE(window_->Action("ViewOverlay1")->isChecked());
    EXPECT_TRUE(window_->Image2->isVisibleTo(window_->box->Surface()));

    // A file that does not load leaves the overlay it had.
    WriteWholeFile(temp_.File("broken.png"), "not a picture");
    ui_.Queue(temp_.File("broken.png"));
    window_->Action("Overlay1")->trigger();
    EXPECT_EQ(ui_.Messages("error").size(), 1u);
    EXPECT_EQ(window_->Image2->Picture().Width(), 4);
    // A cancelled dialog changes nothing.
    ui_.Queue("\x18");
    window_->Action("Overlay1")->trigger();
    EXPECT_EQ(window_->Image2->Picture().Width(), 4);
}

TEST_F(OverlayTest, DraggingKeepsTheGrabbedPointUnderTheCursorAndPaintLandsWhereTheOverlayIsSeen)
{
    Doc().Picture = Filled(1500, 1500, clBlue);
    window_->PictureChanged();
    TBitmap mark = Filled(2, 2, clRed);
    mark.SetPixel(0, 1, clLime); // the bottom-left colour is the transparent one
    mark.SetTransparent(true);
    window_->Image2->SetPicture(mark);
    window_->ViewOverlay1Click();
    window_->show();
    QApplication::processEvents();
    window_->box->horizontalScrollBar()->setValue(30);
    window_->box->verticalScrollBar()->setValue(40);
    ASSERT_EQ(window_->box->horizontalScrollBar()->value(), 30);
    ASSERT_EQ(window_->box->verticalScrollBar()->value(), 40);

    // Grab the overlay at (1, 1) and let go with the cursor at (11, 11) of the scroll box.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(window_->Image2, &press);
    EXPECT_EQ(window_->Image2->OverlayGrab, QPoint(1, 1));
    const QPoint target = window_->Image2->mapFrom(window_->box->viewport(), QPoint(11, 11));
    QMouseEvent move(QEvent::MouseMove, QPointF(target), QPointF(target), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(window_->Image2, &move);
    ASSERT_EQ(window_->Image2->mapTo(window_->box->viewport(), QPoint(0, 0)), QPoint(10, 10));

    // At (10, 10) in the scroll box scrolled by (30, 40) it lies at (40, 50) in the image.
    window_->PaintOverlay1Click();
    EXPECT_EQ(Doc().Picture.GetPixel(40, 50), clRed);
    EXPECT_EQ(Doc().Picture.GetPixel(41, 51), clRed);
    EXPECT_EQ(Doc().Picture.GetPixel(40, 51), clBlue);
    EXPECT_EQ(Doc().Picture.GetPixel(39, 50), clBlue);
    // Moving without the button drags nothing.
    QMouseEvent hover(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window_->Image2, &hover);
    EXPECT_EQ(window_->Image2->pos(), QPoint(40, 50));
}

TEST_F(OverlayTest, GlueWidensTheImageAndUndoKeepsTheNarrowerOne)
{
    const TBitmap before = Filled(100, 80, clBlue);
    Doc().Picture = before;
    TBitmap strip = Filled(30, 10, clRed);
    strip.SetPixel(0, 9, clWhite);
    strip.SetTransparent(true);
    window_->Image2->SetPicture(strip);
    window_->Image2->move(90, 5);
    window_->Image2->Glue1->trigger();
    EXPECT_TRUE(ui_.Messages("error").empty());
    ASSERT_EQ(Doc().Picture.Width(), 120) << "20 pixels hang over the right edge";
    EXPECT_EQ(Doc().Picture.Height(), 80);
    EXPECT_EQ(Doc().Picture.GetPixel(119, 5), clRed);
    EXPECT_EQ(Doc().Picture.GetPixel(90, 14), clBlue) << "the transparent corner leaves the image";
    EXPECT_EQ(Doc().Picture.GetPixel(110, 30), clBlack) << "the new part is black";
    EXPECT_EQ(Doc().UndoBitmap, before);
    EXPECT_EQ(window_->Image1->size(), QSize(120, 80));

    // Overhanging the bottom too; an overlay lying inside leaves the size alone.
    window_->Image2->move(100, 75);
    window_->Glue1Click();
    EXPECT_EQ(Doc().Picture.Width(), 130);
    EXPECT_EQ(Doc().Picture.Height(), 85);
    window_->Image2->move(-5, -5);
    window_->Glue1Click();
    EXPECT_EQ(Doc().Picture.Width(), 130);
    EXPECT_EQ(Doc().Picture.Height(), 85);
    EXPECT_EQ(Doc().Picture.GetPixel(0, 0), clRed);
}

TEST_F(OverlayTest, PreviewsWriteTheirFilesInTheProgramFolderAndOpenThePage)
{
    TBitmap picture = Filled(6, 5, clYellow);
    picture.SetPixel(0, 4, clGreen);
    Doc().Picture = picture;
    const std::string html = temp_.File("tiled.html");
    WriteWholeFile(html, std::string(500, 'x'));
    WriteWholeFile(temp_.File("tiled.jpg"), std::string(50000, 'x'));

    window_->Action("previewtiled1")->trigger();
    EXPECT_TRUE(ui_.Messages("error").empty());
    EXPECT_EQ(ReadWholeFile(html),
              "<html><head><title>test tiling</title></head><body background=\"tiled.jpg\"></body></html>");
    TImageFileSettings settings = Doc().FileSettings;
    ASSERT_TRUE(SaveImageFile(temp_.File("expected.jpg"), picture, settings));
    EXPECT_EQ(ReadWholeFile(temp_.File("tiled.jpg")), ReadWholeFile(temp_.File("expected.jpg")))
        << "the earlier, longer file is replaced whole";
    EXPECT_EQ(launched_, std::vector<std::string>{html});

    // Transparent, even with Options, "Transparent GIF" off.
    Doc().FileSettings.TransparentGif = false;
    window_->Action("previewtransparent1")->trigger();
    EXPECT_EQ(ReadWholeFile(html), "<html><head><title>test tiling</title></head><body bgcolor=\"black\"><img "
                                   "src=\"transparent.gif\"></body></html>");
    const std::string gif = ReadWholeFile(temp_.File("transparent.gif"));
    ASSERT_NE(gif.find("\x21\xF9\x04"), std::string::npos) << "a graphic control extension";
    EXPECT_EQ(gif[gif.find("\x21\xF9\x04") + 3] & 1, 1) << "with the transparency flag";
    TBitmap decoded;
    DecodeGif(reinterpret_cast<const std::uint8_t*>(gif.data()), gif.size(), decoded);
    EXPECT_TRUE(decoded.Transparent());
    EXPECT_EQ(decoded.TransparentColor(), decoded.GetPixel(0, 4)) << "the bottom-left pixel is the clear one";
    EXPECT_NE(decoded.GetPixel(1, 1), decoded.GetPixel(0, 4));
    EXPECT_EQ(launched_.size(), 2u);
}

TEST_F(OverlayTest, APreviewThatCannotBeWrittenOpensNothing)
{
    Doc().Picture = Filled(3, 3, clRed);
    fs::create_directory(temp_.File("tiled.html"));
    window_->Action("previewtiled1")->trigger();
    window_->Action("previewtransparent1")->trigger();
    EXPECT_EQ(ui_.Messages("error").size(), 2u);
    EXPECT_TRUE(launched_.empty());
}

} // namespace
