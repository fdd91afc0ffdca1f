// Flips, mirrors and the quarter turn.
#include "effects/PaintFX.h"
#include "effects/PixelOps.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace fx;

namespace fx {

void Transpose24(const std::uint8_t* src, std::size_t srcStride, int w, int h, std::uint8_t* dst,
                 std::size_t dstStride, bool clockwise)
{
    // Tiles keep both the rows read and the rows written in the cache.
    constexpr int kTile = 32;
    for (int y0 = 0; y0 < h; y0 += kTile) {
        const int y1 = std::min(h, y0 + kTile);
        for (int x0 = 0; x0 < w; x0 += kTile) {
            const int x1 = std::min(w, x0 + kTile);
            for (int x = x0; x < x1; ++x) {
                std::uint8_t* out = dst + static_cast<std::size_t>(x) * dstStride;
                for (int y = y0; y < y1; ++y) {
                    const std::uint8_t* p = src + static_cast<std::size_t>(y) * srcStride + 3 * static_cast<std::size_t>(x);
                    std::uint8_t* q = out + 3 * static_cast<std::size_t>(clockwise ? h - 1 - y : y);
                    q[0] = p[0], q[1] = p[1], q[2] = p[2];
                }
            }
        }
    }
}

} // namespace fx

void TvekPaintFX::FlipDown(TBitmap& bitmap)
{
    Ensure24(bitmap);
    if (bitmap.Empty()) return;
    const int h = bitmap.Height();
    const std::size_t bytes = static_cast<std::size_t>(bitmap.Width()) * 3;
    std::vector<std::uint8_t> tmp(bytes);
    for (int y = 0; y < h / 2; ++y) {
        std::uint8_t* a = bitmap.ScanLine(y);
        std::uint8_t* b = bitmap.ScanLine(h - 1 - y);
        std::memcpy(tmp.data(), a, bytes);
        std::memcpy(a, b, bytes);
        std::memcpy(b, tmp.data(), bytes);
    }
}

void TvekPaintFX::FlipRight(TBitmap& bitmap)
{
    Ensure24(bitmap);
    const int w = bitmap.Width();
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < w / 2; ++x) {
            std::uint8_t* a = row + 3 * x;
            std::uint8_t* b = row + 3 * (w - 1 - x);
            std::swap(a[0], b[0]), std::swap(a[1], b[1]), std::swap(a[2], b[2]);
        }
    }
}

void TvekPaintFX::MirrorRight(TBitmap& bitmap)
{
    Ensure24(bitmap);
    const int w = bitmap.Width();
    if (w == 0) return;
    // x runs up to w div 2 inclusive; for an even width the last step copies the pixel just mirrored.
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x <= w / 2; ++x) std::memmove(row + 3 * (w - 1 - x), row + 3 * x, 3);
    }
}

void TvekPaintFX::MirrorDown(TBitmap& bitmap)
{
    Ensure24(bitmap);
    const int h = bitmap.Height();
    const std::size_t bytes = static_cast<std::size_t>(bitmap.Width()) * 3;
    if (bitmap.Empty()) return;
    for (int y = 0; y <= h / 2; ++y)
        if (h - 1 - y != y) std::memcpy(bitmap.ScanLine(h - 1 - y), bitmap.ScanLine(y), bytes);
}

void TvekPaintFX::Turn(TBitmap& src, TBitmap& dst)
{
    Ensure24(src);
    // Turning a bitmap into itself needs the pixels kept aside first.
    TBitmap copy;
    const TBitmap* from = &src;
    if (&src == &dst) {
        copy = src;
        from = &copy;
    }
    const int w = from->Width(), h = from->Height();
    if (dst.PixelFormat() != pf24bit || dst.Width() != h || dst.Height() != w) dst = TBitmap(h, w, pf24bit);
    if (w == 0 || h == 0) return;
    Transpose24(from->ScanLine(0), static_cast<std::size_t>(from->RowBytes()), w, h, dst.ScanLine(0),
                static_cast<std::size_t>(dst.RowBytes()), true);
}
