#include "app/ShapeView.h"

#include "app/PictureView.h"
#include "platform/TBitmap.h"
#include "platform/TCanvas.h"
#include "shapes/ShapePainter.h"
#include "shapes/TvekShape.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

TShiftState ShiftOf(const QMouseEvent& event)
{
    TShiftState shift = 0;
    const Qt::KeyboardModifiers keys = event.modifiers();
    if (keys & Qt::ShiftModifier) shift |= ssShift;
    if (keys & Qt::AltModifier) shift |= ssAlt;
    if (keys & Qt::ControlModifier) shift |= ssCtrl;
    const Qt::MouseButtons buttons = event.buttons() | event.button();
    if (buttons & Qt::LeftButton) shift |= ssLeft;
    if (buttons & Qt::RightButton) shift |= ssRight;
    if (buttons & Qt::MiddleButton) shift |= ssMiddle;
    if (event.type() == QEvent::MouseButtonDblClick) shift |= ssDouble;
    return shift;
}

TMouseButton ButtonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return mbLeft;
    }
}

TColor ColorOf(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

} // namespace

TShapeView::TShapeView(TvekShape& shape, std::function<const TBitmap&()> picture, QWidget* parent)
    : QWidget(parent), shape_(shape), picture_(std::move(picture))
{
    setMouseTracking(true);
    shape_.OnInvalidate = [this](TvekShape&) { FollowShape(); };
    FollowShape();
}

TShapeView::~TShapeView() { shape_.OnInvalidate = nullptr; }

void TShapeView::FollowShape()
{
    // Sizing past the top-left corner is allowed; such a shape shows nothing until it is sized back.
    setGeometry(shape_.Left(), shape_.Top(), std::max(shape_.Width(), 0), std::max(shape_.Height(), 0));
    update();
}

void TShapeView::paintEvent(QPaintEvent* event)
{
    // Only the part that needs painting is drawn, so a shape sized far beyond the view costs no more
    // than the view.
    const QRect area = event->rect() & rect();
    if (area.isEmpty()) return;
    TBitmap buffer(area.width(), area.height(), pf24bit);
    TCanvas& canvas = buffer.Canvas();
    canvas.Brush.Color = ColorOf(parentWidget() ? parentWidget()->palette().color(QPalette::Window)
                                                : palette().color(QPalette::Window));
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(Rect(0, 0, area.width(), area.height()));

    // The picture beneath, from the place the shape stands on.
    const TBitmap& picture = picture_();
    const QRect under = QRect(pos() + area.topLeft(), area.size()) & QRect(0, 0, picture.Width(), picture.Height());
    if (!under.isEmpty()) {
        const QPoint at = under.topLeft() - pos() - area.topLeft();
        canvas.CopyRect(Rect(at.x(), at.y(), at.x() + under.width(), at.y() + under.height()), picture,
                        Rect(under.left(), under.top(), under.right() + 1, under.bottom() + 1));
    }
    PaintShape(shape_, canvas, TShapeTransform{-area.x(), -area.y(), 1.0L, 1.0L}, true);

    QPainter painter(this);
    painter.drawImage(area.topLeft(), BitmapToQImage(buffer));
}

void TShapeView::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    shape_.MouseDown(ButtonOf(event->button()), ShiftOf(*event), p.x(), p.y());
}

void TShapeView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    shape_.MouseMove(ShiftOf(*event), p.x(), p.y());
}

void TShapeView::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    shape_.MouseUp(ButtonOf(event->button()), ShiftOf(*event), p.x(), p.y());
}

void TShapeView::contextMenuEvent(QContextMenuEvent* event)
{
    if (popup_) popup_->popup(event->globalPos());
}
