#include "app/VistrelDoc.h"

#include "effects/EffectTable.h"
#include "effects/PixelOps.h"
#include "platform/Errors.h"
#include "platform/UiServices.h"

#include <algorithm>
#include <cstring>

namespace {

// Both sides from 1 to the bitmap limits; the resampler's intermediate image (new width by old
// height) must fit as well.
bool SizeFits(long long width, long long height, long long oldHeight)
{
    auto fits = [](long long w, long long h) {
        return w >= 1 && h >= 1 && w <= TBitmap::MaxSide && h <= TBitmap::MaxSide && w * h <= TBitmap::MaxPixels;
    };
    return fits(width, height) && fits(width, oldHeight);
}

// Asks for a whole number; false when cancelled.
bool AskNumber(const char* caption, const char* prompt, std::string text, int& value)
{
    if (!Ui().InputQuery(caption, prompt, text)) return false;
    value = StrictInt(text);
    return true;
}

} // namespace

TSelectionRect TSelectionRect::Normalized() const
{
    return {std::min(Left, Right), std::min(Top, Bottom), std::max(Left, Right), std::max(Top, Bottom)};
}

void TVistrelDoc::Undo()
{
    Picture.Assign(UndoBitmap);
    view_.PictureChanged();
}

void TVistrelDoc::New()
{
    std::string width = "200";
    if (!Ui().InputQuery("Vistrel New Image", "Enter image width:", width)) return;
    std::string height = width;
    if (!Ui().InputQuery("Vistrel New Image", "Enter image height:", height)) return;
    const int w = StrictInt(width), h = StrictInt(height);
    if (w < 11 || h < 11) return;
    TBitmap blank(w, h, pf24bit);
    std::memset(blank.Bits(), 0xFF, static_cast<std::size_t>(blank.RowBytes()) * h);
    PrepareEffect();
    Picture = std::move(blank);
    view_.PictureChanged();
}

void TVistrelDoc::ResizeImage()
{
    int w = 0, h = 0;
    if (!AskNumber("Vistrel New Image", "Enter image width:", std::to_string(Picture.Width()), w)) return;
    if (!AskNumber("Vistrel New Image", "Enter image height:", std::to_string(Picture.Height()), h)) return;
    ResampleTo(w, h);
}

void TVistrelDoc::ResizeWidth()
{
    int n = 0;
    if (!AskNumber("Image Size", "Enter width:", std::to_string(Picture.Width()), n) || n <= 16) return;
    if (!ResizeKeepAspect(n, true)) throw EvekImageError("Cannot resize the image to width " + std::to_string(n));
}

void TVistrelDoc::ResizeHeight()
{
    int n = 0;
    if (!AskNumber("Image Size", "Enter height:", std::to_string(Picture.Height()), n) || n <= 16) return;
    if (!ResizeKeepAspect(n, false)) throw EvekImageError("Cannot resize the image to height " + std::to_string(n));
}

void TVistrelDoc::ResampleTo(int width, int height)
{
    if (width < 11 || height < 11) return;
    TBitmap src(Picture);
    TBitmap out(width, height, pf24bit);
    TvekPaintFX().Stretch(src, out, Lanczos3().Support, Lanczos3().Filter);
    Picture = std::move(out);
    view_.PictureChanged();
}

bool TVistrelDoc::ResizeKeepAspect(int n, bool byWidth)
{
    if (Picture.Empty()) return false;
    const double r = static_cast<double>(Picture.Width()) / Picture.Height();
    // A side that rounds to nothing keeps one pixel.
    const long long other = std::max(1LL, fx::RoundEven(static_cast<long double>(byWidth ? n / r : n * r)));
    const long long w = byWidth ? n : other, h = byWidth ? other : n;
    if (!SizeFits(w, h, Picture.Height())) return false;
    TBitmap src(Picture);
    TBitmap out(static_cast<int>(w), static_cast<int>(h), pf24bit);
    TvekPaintFX().Stretch(src, out, Lanczos3().Support, Lanczos3().Filter);
    Picture = std::move(out);
    view_.PictureChanged();
    return true;
}

void TVistrelDoc::Turn()
{
    TBitmap src(Picture);
    src.SetPixelFormat(pf24bit);
    TBitmap turned(Picture.Height(), Picture.Width(), pf24bit);
    TvekPaintFX().Turn(src, turned);
    Picture = std::move(turned);
    view_.PictureChanged();
}

bool TVistrelDoc::ColorDepth(int bits)
{
    TPixelFormat format = pf24bit;
    switch (bits) {
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 16: format = pf16bit; break;
    case 24: format = pf24bit; break;
    default: return false;
    }
    PrepareEffect();
    Picture.SetPixelFormat(format);
    view_.PictureChanged();
    return true;
}

// The crop copies one to one: columns left to right and rows top to bottom, both ends included,
// which is the (w + 1) x (h + 1) image. A rectangle reaching beyond the picture is cut to it first.
void TVistrelDoc::CropToSelection()
{
    TSelectionRect r = SelectionRect.Normalized();
    r.Left = std::max(r.Left, 0);
    r.Top = std::max(r.Top, 0);
    r.Right = std::min(r.Right, Picture.Width() - 1);
    r.Bottom = std::min(r.Bottom, Picture.Height() - 1);
    const int w = r.Right - r.Left, h = r.Bottom - r.Top;
    if (w < 5 || h < 5) {
        Ui().ShowMessage("selection too small");
        return;
    }
    PrepareEffect();
    TBitmap crop(w + 1, h + 1, pf24bit);
    const std::size_t bytes = 3 * static_cast<std::size_t>(w + 1);
    for (int y = 0; y <= h; ++y) std::memcpy(crop.ScanLine(y), WorkBitmap.ScanLine(r.Top + y) + 3 * r.Left, bytes);
    Picture = std::move(crop);
    view_.PictureChanged();
}

void TVistrelDoc::PictureMouseDown(int x, int y, bool left, bool ctrl)
{
    if (left && !ctrl) SelectionRect = {x, y, x, y};
}

void TVistrelDoc::PictureMouseMove(int x, int y, bool left, bool ctrl)
{
    if (!left || ctrl) return;
    SelectionRect.Right = x;
    SelectionRect.Bottom = y;
    view_.ShowSelection(true);
}

void TVistrelDoc::PictureMouseUp(int x, int y, bool ctrl)
{
    if (ctrl)
        ResampleTo(x, y);
    else
        view_.ShowSelection(false);
}
