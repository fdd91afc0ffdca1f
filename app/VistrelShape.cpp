#include "app/VistrelF.h"

#include "app/PictureView.h"
#include "app/ShapeMenu.h"
#include "app/ShapeView.h"
#include "platform/TCanvas.h"
#include "shapes/TvekShape.h"
#include "shapes/TvekShapeController.h"

#include <QAction>
#include <QActionGroup>
#include <QToolBar>

#include <cmath>

namespace {

using TShapeCommand = void (*)(TVistrelF& window, TvekShape& shape);

// One button of the shape toolbar: its hint, the short text it shows, and what it does. A button
// with a mouse mode belongs to the group of which exactly one is down.
struct TShapeButton {
    const char* Hint;
    const char* Text;
    TShapeCommand Command;
    int MouseMode = -1;
};

// Larger and Smaller change the font size by a tenth, halves rounded to even.
int ScaledSize(int size, long double factor) { return static_cast<int>(std::nearbyint(size * factor)); }

void FlipFontStyle(TvekShape& shape, int style)
{
    TFont font = shape.Font();
    font.Style ^= style;
    shape.SetFont(font);
}

const TShapeButton kShapeButtons[] = {
    {"Size to image", "Size",
     [](TVistrelF& w, TvekShape& s) { s.SetBounds(0, 0, w.Image1->width(), w.Image1->height()); }},
    {"Move shape", "Move", nullptr, mmMoveObject},
    {"Resize shape", "Resize", nullptr, mmSizeObject},
    {"Move text", "Text", nullptr, mmMoveText},
    {"Rotate text", "Rotate", nullptr, mmRotateText},
    {"Stamp", "Stamp", [](TVistrelF& w, TvekShape&) { w.PaintShape1Click(); }},
    {"Clear brush and pen, text only", "Text only",
     [](TVistrelF&, TvekShape& s) {
         SetShapeBrushStyle(s, bsClear);
         SetShapePenStyle(s, psClear);
         if (s.Caption().empty()) s.SetCaption("Vistrel");
     }},
    {"Solid brush", "Brush", [](TVistrelF&, TvekShape& s) { SetShapeBrushStyle(s, bsSolid); }},
    {"Solid pen", "Pen", [](TVistrelF&, TvekShape& s) { SetShapePenStyle(s, psSolid); }},
    {"Shape caption", "Caption",
     [](TVistrelF&, TvekShape& s) {
         std::string text = s.Caption();
         if (Ui().InputQuery("Vistrel shape", "Enter caption:", text)) s.SetCaption(text);
     }},
    {"Select Font", "Font",
     [](TVistrelF&, TvekShape& s) {
         TFont font = s.Font();
         TColor color = font.Color;
         if (!Ui().PickFont(font.Name, font.Size, font.Style, color)) return;
         font.Height = 0;
         s.SetFont(font);
     }},
    {"Font color", "Color",
     [](TVistrelF&, TvekShape& s) {
         TFont font = s.Font();
         if (!Ui().PickColor(font.Color)) return;
         s.SetFont(font);
     }},
    {"Bold", "B", [](TVistrelF&, TvekShape& s) { FlipFontStyle(s, fsBold); }},
    {"Italic", "I", [](TVistrelF&, TvekShape& s) { FlipFontStyle(s, fsItalic); }},
    {"Underline", "U", [](TVistrelF&, TvekShape& s) { FlipFontStyle(s, fsUnderline); }},
    {"Larger", "A+",
     [](TVistrelF&, TvekShape& s) {
         TFont font = s.Font();
         if (font.Size >= 144) return;
         font.Size = ScaledSize(font.Size, 1.1L);
         s.SetFont(font);
     }},
    {"Smaller", "A-",
     [](TVistrelF&, TvekShape& s) {
         TFont font = s.Font();
         if (font.Size < 9) return;
         font.Size = ScaledSize(font.Size, 0.9L);
         s.SetFont(font);
     }},
};

} // namespace

// The shape, its controller and menu, and the shape toolbar; all hidden until View Shape.
void TVistrelF::BuildShape()
{
    vekShape1 = std::make_unique<TvekShape>();
    TvekShape& shape = *vekShape1;
    shape.SetName("vekShape1");
    shape.SetBounds(10, 10, 65, 65);
    shape.SetUserVectorString("usrRectangle=0,0,1,0,1,1,0,1");
    shape.SetGradientColor(clBlack);
    shape.SetFillDirection(vgdUp);
    shape.SetCaptionCentered(true);
    shape.SetCaptionAngle(0);
    shape.SetActiveMouse(true);
    shape.SetMouseMode(mmMoveObject);

    vekShapeController1 = std::make_unique<TvekShapeController>();
    TvekShapeController& controller = *vekShapeController1;
    controller.SetBrushColor(clBlue);
    controller.SetGradientColor(clWhite);
    controller.BackColor = clWhite;
    controller.MouseGrid = false;
    controller.MouseGridSize = 10;
    shape.Setpopupmenu(&controller);

    ShapeView = new TShapeView(shape, [this]() -> const TBitmap& { return doc_.Picture; }, box->Surface());
    ShapeView->setObjectName("vekShape1");
    ShapeView->hide();
    ShapeMenu = new TShapeMenu(controller, [this] { return vekShape1.get(); }, this);
    ShapeView->SetPopup(ShapeMenu);

    auto* modes = new QActionGroup(this);
    for (const TShapeButton& b : kShapeButtons) {
        QAction* action = ShapePanel->addAction(QString::fromUtf8(b.Text));
        action->setToolTip(QString::fromUtf8(b.Hint));
        const TShapeCommand command = b.Command;
        if (b.MouseMode >= 0) {
            action->setCheckable(true);
            action->setActionGroup(modes);
            action->setChecked(b.MouseMode == mmMoveObject);
            connect(action, &QAction::triggered, this,
                    [this, mode = static_cast<TShapeMouseMode>(b.MouseMode)] { vekShape1->SetMouseMode(mode); });
        } else {
            connect(action, &QAction::triggered, this,
                    [this, command] { RunCommand([this, command] { command(*this, *vekShape1); }); });
        }
        shapeButtons_.push_back(action);
    }
    // A mode chosen in the controller's menu presses the matching button.
    controller.onMouseModeChanged = [this](TvekShapeController&, TShapeMouseMode mode) {
        for (std::size_t i = 0; i < std::size(kShapeButtons); ++i)
            if (kShapeButtons[i].MouseMode == mode && mode != mmfixed) shapeButtons_[i]->setChecked(true);
    };
}

// The controller builds its menu; the window shows only the entries of the shape's looks, as the
// caption text, font and mouse mode are set through the shape toolbar.
void TVistrelF::PrepareShapeMenu()
{
    TvekShapeController& controller = *vekShapeController1;
    controller.BuildMenu();
    auto& items = controller.Items();
    for (std::size_t i = 8; i < items.size(); ++i) items[i]->Visible = false;
    if (items.size() >= 8)
        for (std::size_t i = 0; i < 2 && i < items[7]->Items.size(); ++i) items[7]->Items[i]->Visible = false;
    ShapeMenu->Rebuild();
}

QAction* TVistrelF::ShapeButton(const std::string& hint) const
{
    for (QAction* action : shapeButtons_)
        if (action->toolTip().toStdString() == hint) return action;
    return nullptr;
}

void TVistrelF::ViewShape1Click()
{
    const bool on = !ShapeView->isVisibleTo(box->Surface());
    Action("ViewShape1")->setChecked(on);
    ShapeView->setVisible(on);
    ShapePanel->setVisible(on);
    if (on) ShapeView->raise();
    box->FitSurface();
}

// The shape's place on the surface is its place in the image, so the stamp lands where the shape is
// seen however far the view is scrolled.
void TVistrelF::PaintShape1Click()
{
    vekShape1->PaintTo(doc_.Picture.Canvas(), vekShape1->Left(), vekShape1->Top(), 1.0L, 1.0L);
    PictureChanged();
}
