#pragma once
#include <QImage>
#include <QScrollArea>
#include <QWidget>

class TBitmap;

// A display copy of a bitmap in any of its pixel formats.
QImage BitmapToQImage(const TBitmap& bitmap);

// The picture control: shows the working image at its own size.
class TPictureView : public QWidget {
    Q_OBJECT
public:
    explicit TPictureView(QWidget* parent = nullptr);
    // Takes a display copy and sizes the control to it.
    void SetPicture(const TBitmap& bitmap);
    const QImage& Picture() const { return image_; }
    // The rubber band: a dotted exclusive-or frame of columns left to right - 1 and rows top to
    // bottom - 1, drawn over the display copy so that the working image never holds it.
    void SetBand(const QRect& band, bool visible);
    bool BandVisible() const { return bandVisible_; }
signals:
    void MouseMoved(int x, int y);
    // The same move with the left button's and the Ctrl key's state.
    void MouseMovedWith(int x, int y, bool left, bool ctrl);
    void MousePressed(int x, int y, bool left, bool ctrl);
    void MouseReleased(int x, int y, bool ctrl);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage image_;
    QRect band_;
    bool bandVisible_ = false;
};

// The scroll box around the picture. Mouse moves over its empty part report the box's client
// coordinates; an image file dropped on it is offered for opening.
class TPictureBox : public QScrollArea {
    Q_OBJECT
public:
    explicit TPictureBox(QWidget* parent = nullptr);
    // The surface that holds the picture control and the overlay.
    QWidget* Surface() const { return widget(); }
    // Grows the surface to hold its children and fill the visible area.
    void FitSurface();
signals:
    void MouseMoved(int x, int y);
    void MouseReleased(int x, int y, bool ctrl);
    void FileDropped(const QString& fileName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
