#include "app/SpyF.h"

#include <QRegion>
#include <QResizeEvent>

QPolygon SpyWindowShape(int W, int H, int clientWidth, int clientHeight)
{
    const int b = (W - clientWidth) / 2;
    const int t = H - clientHeight;
    // Out along the top and right, back along the bottom to the middle, round the inner rectangle and
    // out again: with the even-odd rule the inner rectangle stays open.
    return QPolygon({{0, 0},
                     {W, 0},
                     {W, H},
                     {W / 2, H},
                     {W / 2, H - b},
                     {W - b, H - b},
                     {W - b, H / 2},
                     {W - b, t},
                     {W / 2, t},
                     {b, t},
                     {b, H / 2},
                     {b, H - b},
                     {W / 2, H - b},
                     {W / 2, H},
                     {0, H}});
}

TSpyF::TSpyF(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName("SpyF");
    setWindowTitle("Close to Capture");
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setSizeGripEnabled(false);
    resize(210, 198);
    UpdateShape();
}

void TSpyF::FrameMetrics(int& W, int& H, int& clientWidth, int& clientHeight) const
{
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    W = frame.width();
    H = frame.height();
    clientWidth = client.width();
    clientHeight = client.height();
    // Without side borders of the window manager the middle would reach the window's edges and
    // leave nothing to see or to grab: the frame is then drawn inside the client area.
    const int side = (W - clientWidth) / 2;
    if (side < MinimumFrame) {
        clientWidth = std::max(0, W - 2 * MinimumFrame);
        clientHeight = std::max(0, clientHeight - (MinimumFrame - side));
    }
}

QRect TSpyF::CurrentHole() const
{
    int W, H, clientWidth, clientHeight;
    FrameMetrics(W, H, clientWidth, clientHeight);
    const int b = (W - clientWidth) / 2;
    const int t = H - clientHeight;
    const QPoint outer = frameGeometry().topLeft();
    return QRect(outer.x() + b, outer.y() + t, std::max(0, W - 2 * b), std::max(0, H - b - t));
}

QRect TSpyF::CaptureRect() const { return closed_ ? captureRect_ : CurrentHole(); }

void TSpyF::UpdateShape()
{
    int W, H, clientWidth, clientHeight;
    FrameMetrics(W, H, clientWidth, clientHeight);
    // The window shape covers the client area only; the window manager's frame is its own.
    const QPoint clientOffset = geometry().topLeft() - frameGeometry().topLeft();
    QRegion shape(SpyWindowShape(W, H, clientWidth, clientHeight).translated(-clientOffset), Qt::OddEvenFill);
    setMask(shape);
}

void TSpyF::done(int result)
{
    captureRect_ = CurrentHole();
    closed_ = true;
    QDialog::done(result);
}

void TSpyF::showEvent(QShowEvent* event)
{
    closed_ = false;
    QDialog::showEvent(event);
    // The frame of the window manager is known once the window is shown.
    UpdateShape();
}

void TSpyF::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    UpdateShape();
}
