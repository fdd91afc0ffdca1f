#include "app/PictureView.h"
#include "app/ShapeMenu.h"
#include "app/ShapeView.h"
#include "app/VistrelF.h"
#include "platform/ProgramFolder.h"
#include "platform/TCanvas.h"
#include "platform/UiServices.h"
#include "shapes/TvekShape.h"
#include "shapes/TvekShapeController.h"
#include "tests/app/WindowFixture.h"
#include "tests/common/TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>

namespace {

class ShapeWindowTest : public WindowFixture {
protected:
    TvekShape& Shape() { return *window_->vekShape1; }
    void Press(const std::string& hint)
    {
        QAction* button = window_->ShapeButton(hint);
        ASSERT_NE(button, nullptr) << hint;
        button->trigger();
    }
    std::vector<std::string> CheckedModeButtons()
    {
        std::vector<std::string> down;
        for (const char* hint : {"Move shape", "Resize shape", "Move text", "Rotate text"})
            if (window_->ShapeButton(hint)->isChecked()) down.push_back(hint);
        return down;
    }
    int FontSizeAfter(int size, const std::string& hint)
    {
        TFont font = Shape().Font();
        font.Size = size;
        Shape().SetFont(font);
        Press(hint);
        return Shape().Font().Size;
    }

};

TEST_F(ShapeWindowTest, TheShapeAndItsToolbarShowWithViewShape)
{
    std::vector<std::string> hints;
    for (QAction* a : window_->ShapePanel->actions()) hints.push_back(a->toolTip().toStdString());
    EXPECT_EQ(hints, (std::vector<std::string>{"Size to image", "Move shape", "Resize shape", "Move text", "Rotate text",
                                               "Stamp", "Clear brush and pen, text only", "Solid brush", "Solid pen",
                                               "Shape caption", "Select Font", "Font color", "Bold", "Italic",
                                               "Underline", "Larger", "Smaller"}));
    EXPECT_FALSE(window_->ShapePanel->isVisibleTo(window_.get()));
    EXPECT_FALSE(window_->ShapeView->isVisibleTo(window_->box->Surface()));

    // The shape as the window starts it.
    EXPECT_EQ(Shape().UserVectorString(), "usrRectangle=0,0,1,0,1,1,0,1");
    EXPECT_EQ(Shape().GradientColor(), clBlack);
    EXPECT_TRUE(Shape().CaptionCentered());
    EXPECT_TRUE(Shape().ActiveMouse());
    EXPECT_EQ(Shape().MouseMode(), mmMoveObject);
    EXPECT_EQ(Shape().popupmenu(), window_->vekShapeController1.get());
    EXPECT_EQ(window_->vekShapeController1->BrushColor(), clBlue);
    EXPECT_EQ(CheckedModeButtons(), std::vector<std::string>{"Move shape"});

    window_->Action("ViewShape1")->trigger();
    EXPECT_TRUE(window_->Action("ViewShape1")->isChecked());
    EXPECT_TRUE(window_->ShapePanel->isVisibleTo(window_.get()));
    EXPECT_TRUE(window_->ShapeView->isVisibleTo(window_->box->Surface()));
    EXPECT_EQ(window_->ShapeView->geometry(), QRect(Shape().Left(), Shape().Top(), 65, 65));
    window_->Action("ViewShape1")->trigger();
    EXPECT_FALSE(window_->Action("ViewShape1")->isChecked());
    EXPECT_FALSE(window_->ShapePanel->isVisibleTo(window_.get()));
    EXPECT_FALSE(window_->ShapeView->isVisibleTo(window_->box->Surface()));
}

TEST_F(ShapeWindowTest, TheWindowShowsOnlyTheLooksOfTheShapeInItsMenu)
{
    std::vector<std::string> shown;
    QMenu* caption = nullptr;
    for (QAction* a : window_->ShapeMenu->actions()) {
        if (!a->isVisible()) continue;
        shown.push_back(a->text().toStdString());
        if (a->text() == "Caption") caption = a->menu();
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"Shape Style", "GradientStyle", "Gradient", "Gradient Color...",
                                               "Brush Color...", "Brush Style", "Pen", "Caption"}));
    ASSERT_NE(caption, nullptr);
    std::vector<std::string> captionShown;
    for (QAction* a : caption->actions())
        if (a->isVisible()) captionShown.push_back(a->text().toStdString());
    EXPECT_EQ(captionShown, (std::vector<std::string>{"Centered", "Angle"}));
    EXPECT_EQ(window_->ShapeMenu->actions().size(), 21);
    EXPECT_FALSE(window_->vekShapeController1->MouseModeController);

    // Chosen from the Qt menu, an entry acts on the shape; the checks follow the shape when it shows.
    TvekShapeController& controller = *window_->vekShapeController1;
    emit window_->ShapeMenu->aboutToShow();
    window_->ShapeMenu->ActionOf(*controller.FindItem("vstCircle"))->trigger();
    EXPECT_EQ(Shape().Shape(), vstCircle);
    QAction* gradient = window_->ShapeMenu->ActionOf(*controller.FindItem("Gradient"));
    EXPECT_FALSE(gradient->isChecked());
    gradient->trigger();
    EXPECT_TRUE(Shape().Gradient());
    EXPECT_TRUE(gradient->isChecked());
    Shape().SetGradient(false);
    Shape().SetBrush(TBrush{clBlue, bsCross});
    emit window_->ShapeMenu->aboutToShow();
    EXPECT_FALSE(gradient->isChecked());
    EXPECT_TRUE(window_->ShapeMenu->ActionOf(*controller.FindItem("bsCross"))->isChecked());
    EXPECT_FALSE(window_->ShapeMenu->ActionOf(*controller.FindItem("bsSolid"))->isChecked());
    ASSERT_FALSE(window_->ShapeMenu->ActionOf(*controller.FindItem("vstCircle"))->icon().isNull());
}

TEST_F(ShapeWindowTest, MouseModeButtonsSetTheShapesModeAndFollowTheController)
{
    Press("Resize shape");
    EXPECT_EQ(Shape().MouseMode(), mmSizeObject);
    EXPECT_EQ(CheckedModeButtons(), std::vector<std::string>{"Resize shape"});
    Press("Rotate text");
    EXPECT_EQ(Shape().MouseMode(), mmRotateText);
    EXPECT_EQ(CheckedModeButtons(), std::vector<std::string>{"Rotate text"});

    // A mode reported by the controller presses its button; mmfixed has none.
    TvekShapeController& controller = *window_->vekShapeController1;
    controller.Popup(&Shape());
    controller.FindItem("mmMoveText")->OnClick();
    EXPECT_EQ(CheckedModeButtons(), std::vector<std::string>{"Move text"});
    controller.FindItem("mmfixed")->OnClick();
    EXPECT_EQ(Shape().MouseMode(), mmfixed);
    EXPECT_EQ(CheckedModeButtons(), std::vector<std::string>{"Move text"});
}

TEST_F(ShapeWindowTest, TheStampLandsWhereTheShapeIsSeenInAScrolledView)
{
    TBitmap picture(1500, 1500);
    picture.Canvas().Brush.Color = clWhite;
    picture.Canvas().FillRect(Rect(0, 0, 1500, 1500));
    window_->Doc().Picture = picture;
    window_->PictureChanged();
    window_->ViewShape1Click();
    Shape().SetBounds(100, 120, 40, 30);
    Shape().SetBrush(TBrush{clRed, bsSolid});
    window_->show();
    QApplication::processEvents();
    window_->box->horizontalScrollBar()->setValue(30);
    window_->box->verticalScrollBar()->setValue(40);
    ASSERT_EQ(window_->ShapeView->mapTo(window_->box->viewport(), QPoint(0, 0)), QPoint(70, 80));

    Press("Stamp");
    const TBitmap& image = window_->Doc().Picture;
    EXPECT_EQ(image.GetPixel(100, 120), clBlack) << "the pen's corner";
    EXPECT_EQ(image.GetPixel(139, 149), clBlack);
    EXPECT_EQ(image.GetPixel(120, 135), clRed);
    EXPECT_EQ(image.GetPixel(99, 120), clWhite);
    EXPECT_EQ(image.GetPixel(140, 135), clWhite);
    EXPECT_TRUE(window_->Doc().UndoBitmap.Empty()) << "a stamp takes no undo copy";
    EXPECT_EQ(window_->Image1->Picture().pixel(120, 135), qRgb(255, 0, 0));

    // The picture under the shape shows through where the shape leaves it alone.
    Shape().SetBrush(TBrush{clRed, bsClear});
    Shape().SetPen(TPen{clBlack, 1, psClear, pmCopy});
    const QImage seen = window_->ShapeView->grab().toImage();
    EXPECT_EQ(seen.pixel(20, 15), qRgb(255, 0, 0)) << "the stamped red beneath";
}

TEST_F(ShapeWindowTest, DraggingTheShapeMovesItUnderTheMouse)
{
    window_->ViewShape1Click();
    Shape().SetBounds(10, 10, 65, 65);
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
                    Qt::KeyboardModifiers keys = Qt::NoModifier) {
        QMouseEvent event(type, QPointF(at), QPointF(at), button, buttons, keys);
        QApplication::sendEvent(window_->ShapeView, &event);
    };
    send(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, {25, 15}, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {25, 15}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(Shape().Left(), 30);
    EXPECT_EQ(Shape().Top(), 20);
    EXPECT_EQ(window_->ShapeView->pos(), QPoint(30, 20));
    send(QEvent::MouseMove, {40, 40}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(Shape().Left(), 30) << "released: no drag";

    Press("Resize shape");
    send(QEvent::MouseButtonPress, {60, 60}, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, {70, 50}, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {70, 50}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(Shape().Width(), 75);
    EXPECT_EQ(Shape().Height(), 55);
    EXPECT_EQ(window_->ShapeView->size(), QSize(75, 55));

    // A shift-click selects the shape (the controller's selection) and shows the marker.
    send(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    send(QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
    EXPECT_TRUE(Shape().Selected());
    EXPECT_EQ(Shape().Width(), 75);
}

TEST_F(ShapeWindowTest, ToolbarButtonsStyleTheShape)
{
    window_->Doc().Picture = TBitmap(200, 100);
    window_->PictureChanged();
    Press("Size to image");
    EXPECT_EQ(Shape().Left(), 0);
    EXPECT_EQ(Shape().Top(), 0);
    EXPECT_EQ(Shape().Width(), 200);
    EXPECT_EQ(Shape().Height(), 100);

    Press("Clear brush and pen, text only");
    EXPECT_EQ(Shape().Caption(), "Vistrel");
    EXPECT_EQ(Shape().Brush().Style, bsClear);
    EXPECT_EQ(Shape().Pen().Style, psClear);
    Press("Solid brush");
    Press("Solid pen");
    EXPECT_EQ(Shape().Brush().Style, bsSolid);
    EXPECT_EQ(Shape().Pen().Style, psSolid);

    ui_.Queue("Hello");
    Press("Shape caption");
    ASSERT_EQ(ui_.Log.size(), 1u);
    EXPECT_EQ(ui_.Log[0].caption, "Vistrel shape");
    EXPECT_EQ(ui_.Log[0].text, "Enter caption:");
    EXPECT_EQ(ui_.Log[0].start, "Vistrel");
    EXPECT_EQ(Shape().Caption(), "Hello");
    Press("Clear brush and pen, text only");
    EXPECT_EQ(Shape().Caption(), "Hello") << "a caption is kept";
    ui_.Queue("\x18");
    Press("Shape caption");
    EXPECT_EQ(Shape().Caption(), "Hello");

    ui_.Queue("16711935");
    Press("Font color");
    EXPECT_EQ(Shape().Font().Color, clFuchsia);
    ui_.Queue("Serif");
    Press("Select Font");
    EXPECT_EQ(Shape().Font().Name, "Serif");
    EXPECT_EQ(Shape().Font().Color, clFuchsia) << "the font dialog leaves the colour";

    Press("Bold");
    Press("Underline");
    EXPECT_EQ(Shape().Font().Style, fsBold | fsUnderline);
    Press("Bold");
    Press("Italic");
    EXPECT_EQ(Shape().Font().Style, fsItalic | fsUnderline);

    EXPECT_EQ(FontSizeAfter(140, "Larger"), 154);
    EXPECT_EQ(FontSizeAfter(144, "Larger"), 144);
    EXPECT_EQ(FontSizeAfter(15, "Larger"), 16) << "16.5 rounds to even";
    EXPECT_EQ(FontSizeAfter(9, "Smaller"), 8);
    EXPECT_EQ(FontSizeAfter(8, "Smaller"), 8);
    EXPECT_EQ(FontSizeAfter(25, "Smaller"), 22) << "22.5 rounds to even";
    EXPECT_TRUE(ui_.Messages("error").empty());
}

} // namespace
