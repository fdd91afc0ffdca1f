#include "app/OverlayView.h"

#include "app/PictureView.h"

#include <QAction>
#include <QMouseEvent>
#include <QPainter>

QImage TransparentImage(const TBitmap& bitmap)
{
    QImage image = BitmapToQImage(bitmap).convertToFormat(QImage::Format_ARGB32);
    if (image.isNull() || !bitmap.Transparent()) return image;
    const TColor key = bitmap.TransparentColor();
    const QRgb clear = qRgb(GetRValue(key), GetGValue(key), GetBValue(key));
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (row[x] == clear) row[x] = 0;
    }
    return image;
}

TOverlayView::TOverlayView(QWidget* parent) : QWidget(parent)
{
    Paint2 = new QAction("&Paint", this);
    Paint2->setObjectName("Paint2");
    Glue1 = new QAction("&Glue", this);
    Glue1->setObjectName("Glue1");
    addAction(Paint2);
    addAction(Glue1);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    resize(0, 0);
}

void TOverlayView::SetPicture(TBitmap picture)
{
    picture_ = std::move(picture);
    image_ = TransparentImage(picture_);
    resize(image_.size());
    update();
}

void TOverlayView::paintEvent(QPaintEvent*)
{
    if (image_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

void TOverlayView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) OverlayGrab = event->position().toPoint();
    QWidget::mousePressEvent(event);
}

void TOverlayView::mouseMoveEvent(QMouseEvent* event)
{
    // The grabbed point stays under the cursor.
    if (event->buttons() & Qt::LeftButton) move(mapToParent(event->position().toPoint()) - OverlayGrab);
    QWidget::mouseMoveEvent(event);
}
