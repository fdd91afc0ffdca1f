#pragma once
#include <QWidget>

#include <functional>

class QMenu;
class TBitmap;
class TvekShape;

// The shape on the picture area. The shape has no window of its own: this view lies where the shape
// stands, draws the picture beneath it and the shape over that, and hands the mouse to the shape in
// the shape's own pixels. It follows the shape whenever the shape asks to be repainted.
class TShapeView : public QWidget {
    Q_OBJECT
public:
    // picture answers the image the shape stands on, in the parent's coordinates.
    TShapeView(TvekShape& shape, std::function<const TBitmap&()> picture, QWidget* parent = nullptr);
    ~TShapeView() override;
    // Takes the shape's place and size and repaints.
    void FollowShape();
    // The pop-up menu shown on a right click; not owned.
    void SetPopup(QMenu* menu) { popup_ = menu; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    TvekShape& shape_;
    std::function<const TBitmap&()> picture_;
    QMenu* popup_ = nullptr;
};
