#pragma once
#include "platform/TBitmap.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

class QAction;

// The overlay picture on the picture area: shows its bitmap at the bitmap's size with the
// transparent colour left out, follows the mouse while the left button drags it, and offers
// "&Paint" and "&Glue" on its popup menu.
class TOverlayView : public QWidget {
    Q_OBJECT
public:
    explicit TOverlayView(QWidget* parent = nullptr);

    void SetPicture(TBitmap picture);
    const TBitmap& Picture() const { return picture_; }
    // Where the left button went down, in the overlay's own pixels.
    QPoint OverlayGrab;

    QAction* Paint2 = nullptr;
    QAction* Glue1 = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    TBitmap picture_;
    QImage image_;
};

// A display copy of a bitmap whose transparent colour, when it is marked transparent, shows nothing.
QImage TransparentImage(const TBitmap& bitmap);
