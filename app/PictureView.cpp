#include "app/PictureView.h"

#include "platform/TBitmap.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

QList<QRgb> ColorTable(const TBitmap& bitmap, int entries)
{
    // Indices beyond a short palette show black rather than reading past the table.
    QList<QRgb> table(entries, qRgb(0, 0, 0));
    const auto& palette = bitmap.Palette();
    for (int i = 0; i < entries && i < static_cast<int>(palette.size()); ++i)
        table[i] = qRgb(palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue);
    return table;
}

QImage Wrap(const TBitmap& bitmap, QImage::Format format)
{
    return QImage(bitmap.Bits(), bitmap.Width(), bitmap.Height(), bitmap.RowBytes(), format).copy();
}

// The first local file a drag carries, if any.
QString DraggedFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls()) return {};
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) return url.toLocalFile();
    return {};
}

} // namespace

QImage BitmapToQImage(const TBitmap& bitmap)
{
    if (bitmap.Empty()) return {};
    switch (bitmap.PixelFormat()) {
    case pf24bit: return Wrap(bitmap, QImage::Format_BGR888);
    case pf32bit: return Wrap(bitmap, QImage::Format_RGB32);
    case pf16bit: return Wrap(bitmap, QImage::Format_RGB16);
    case pf15bit: return Wrap(bitmap, QImage::Format_RGB555);
    case pf1bit: {
        QImage image = Wrap(bitmap, QImage::Format_Mono);
        image.setColorTable(ColorTable(bitmap, 2));
        return image;
    }
    case pf8bit: {
        QImage image = Wrap(bitmap, QImage::Format_Indexed8);
        image.setColorTable(ColorTable(bitmap, 256));
        return image;
    }
    case pf4bit: {
        QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_Indexed8);
        image.setColorTable(ColorTable(bitmap, 16));
        for (int y = 0; y < bitmap.Height(); ++y) {
            const std::uint8_t* src = bitmap.ScanLine(y);
            uchar* dst = image.scanLine(y);
            for (int x = 0; x < bitmap.Width(); ++x) dst[x] = (x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4;
        }
        return image;
    }
    }
    return {};
}

// ---- picture -----------------------------------------------------------------------------------

TPictureView::TPictureView(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    resize(0, 0);
}

void TPictureView::SetPicture(const TBitmap& bitmap)
{
    image_ = BitmapToQImage(bitmap);
    resize(image_.size());
    update();
}

void TPictureView::SetBand(const QRect& band, bool visible)
{
    band_ = band;
    bandVisible_ = visible;
    update();
}

void TPictureView::paintEvent(QPaintEvent*)
{
    if (image_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
    if (!bandVisible_ || band_.width() <= 0 || band_.height() <= 0) return;
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(Qt::white, 0, Qt::DotLine));
    painter.drawRect(band_.adjusted(0, 0, -1, -1));
}

void TPictureView::mouseMoveEvent(QMouseEvent* event)
{
    // Taken here: passed on, the move would reach the scroll box, which reports its own client
    // position over ours once the picture is scrolled.
    const QPoint p = event->position().toPoint();
    emit MouseMoved(p.x(), p.y());
    emit MouseMovedWith(p.x(), p.y(), event->buttons() & Qt::LeftButton, event->modifiers() & Qt::ControlModifier);
    event->accept();
}

void TPictureView::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    emit MousePressed(p.x(), p.y(), event->button() == Qt::LeftButton, event->modifiers() & Qt::ControlModifier);
    event->accept();
}

void TPictureView::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    // Taken here too: a Ctrl-release on the picture must not also reach the scroll box's own.
    emit MouseReleased(p.x(), p.y(), event->modifiers() & Qt::ControlModifier);
    event->accept();
}

// ---- scroll box --------------------------------------------------------------------------------

TPictureBox::TPictureBox(QWidget* parent) : QScrollArea(parent)
{
    auto* surface = new QWidget;
    surface->setMouseTracking(true);
    surface->installEventFilter(this);
    setWidget(surface);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    viewport()->setAcceptDrops(true);
}

void TPictureBox::FitSurface()
{
    QRect extent(0, 0, 0, 0);
    for (QObject* child : Surface()->children())
        if (auto* w = qobject_cast<QWidget*>(child); w && w->isVisibleTo(Surface())) extent |= w->geometry();
    Surface()->resize(std::max(extent.right() + 1, viewport()->width()),
                      std::max(extent.bottom() + 1, viewport()->height()));
}

bool TPictureBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Surface() && (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonRelease)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        QPoint client = Surface()->mapTo(viewport(), mouse->position().toPoint());
        if (event->type() == QEvent::MouseMove)
            emit MouseMoved(client.x(), client.y());
        else
            emit MouseReleased(client.x(), client.y(), mouse->modifiers() & Qt::ControlModifier);
    } else if (watched == Surface() && event->type() == QEvent::ChildAdded) {
        // The surface grows with whatever it holds.
        static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
    } else if ((event->type() == QEvent::Resize || event->type() == QEvent::Move) && watched != Surface()) {
        // A dragged overlay or shape may leave the picture; the surface grows to let it be reached.
        FitSurface();
    }
    return QScrollArea::eventFilter(watched, event);
}

void TPictureBox::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    FitSurface();
}

void TPictureBox::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DraggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TPictureBox::dragMoveEvent(QDragMoveEvent* event)
{
    if (!DraggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TPictureBox::dropEvent(QDropEvent* event)
{
    QString file = DraggedFile(event->mimeData());
    if (file.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit FileDropped(file);
}
