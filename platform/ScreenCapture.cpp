#include "platform/ScreenCapture.h"

#include "platform/Errors.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstring>

const char* const kScreenCaptureRefused =
    "The desktop does not allow reading the screen, so nothing was captured.";

TBitmap CaptureScreen(int left, int top, int width, int height)
{
    TBitmap::CheckDimensions(width, height);
    // Wayland compositors hand no screen contents to ordinary programs.
    if (QGuiApplication::platformName().startsWith("wayland") || width == 0 || height == 0)
        throw EvekError(kScreenCaptureRefused);
    // The part of the area on the screen under its middle is read; an area off every screen has
    // nothing to give.
    QScreen* screen = QGuiApplication::screenAt(QRect(left, top, width, height).center());
    if (!screen) throw EvekError(kScreenCaptureRefused);
    const QRect area = QRect(left, top, width, height) & screen->geometry();
    // Coordinates of the whole desktop are relative to the screen that is read.
    const QPoint origin = area.topLeft() - screen->geometry().topLeft();
    QImage shot = screen->grabWindow(0, origin.x(), origin.y(), area.width(), area.height()).toImage();
    if (shot.isNull()) throw EvekError(kScreenCaptureRefused);
    // On a scaled screen the grab holds device pixels; the bitmap takes them as they are.
    shot = shot.convertToFormat(QImage::Format_BGR888);

    TBitmap bitmap(shot.width(), shot.height(), pf24bit);
    const auto rowBytes = static_cast<std::size_t>(shot.width()) * 3;
    for (int y = 0; y < shot.height(); ++y) std::memcpy(bitmap.ScanLine(y), shot.constScanLine(y), rowBytes);
    return bitmap;
}
