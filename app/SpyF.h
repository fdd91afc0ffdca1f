#pragma once
#include <QDialog>
#include <QPolygon>
#include <QRect>

// The outline of the capture window: its outer rectangle with the inner one cut out (even-odd
// fill), for a window of outer size W x H around a client area of clientWidth x clientHeight. Points
// are relative to the window's outer top-left corner.
QPolygon SpyWindowShape(int W, int H, int clientWidth, int clientHeight);

// "Close to Capture": a black frame the user lays over the part of the screen to capture. Whatever
// shows through its middle when it closes is what the capture takes.
class TSpyF : public QDialog {
    Q_OBJECT
public:
    // The thinnest frame left visible when the window manager draws no sides of its own.
    static constexpr int MinimumFrame = 4;

    explicit TSpyF(QWidget* parent = nullptr);

    // The see-through middle in global screen coordinates, as it was when the window last closed
    // (or as it is now, while it is open).
    QRect CaptureRect() const;
    // The window shape in client coordinates, recomputed at every resize.
    QRegion Shape() const { return mask(); }

    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Outer and client sizes as the shape takes them; frames thinner than MinimumFrame are made up
    // from the client area.
    void FrameMetrics(int& W, int& H, int& clientWidth, int& clientHeight) const;
    QRect CurrentHole() const;
    void UpdateShape();

    QRect captureRect_;
    bool closed_ = false;
};
