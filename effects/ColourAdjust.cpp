// Point operations: each output pixel depends only on the same input pixel.
#include "effects/PaintFX.h"
#include "effects/PixelOps.h"

#include <algorithm>

using namespace fx;

namespace {

// Round(b0 * 0.3 + b1 * 0.59 + b2 * 0.11) in extended precision. The exact value is n / 100 with
// n = 30 b0 + 59 b1 + 11 b2, so only n mod 100 = 50 lies close enough to a half for the rounding
// errors of the constants to matter; those few pixels take the extended computation.
inline std::uint8_t GrayOf(int b0, int b1, int b2)
{
    const int n = 30 * b0 + 59 * b1 + 11 * b2;
    if (n % 100 != 50) return static_cast<std::uint8_t>((n + 50) / 100);
    const long double v = b0 * 0.3L + b1 * 0.59L + b2 * 0.11L;
    return static_cast<std::uint8_t>(RoundEven(v));
}

// src to dst over the area both share; the pixel operation sees the src pixel and writes dst's.
template <typename PixelOp> void MapPixels(const TBitmap& src, TBitmap& dst, PixelOp op)
{
    const int w = std::min(src.Width(), dst.Width());
    const int h = std::min(src.Height(), dst.Height());
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* s = src.ScanLine(y);
        std::uint8_t* d = dst.ScanLine(y);
        for (int x = 0; x < w; ++x, s += 3, d += 3) op(s, d);
    }
}

} // namespace

// Every operation makes sure of the 24-bit layout before touching rows: a palette bitmap handed in
// by mistake would otherwise be read past its rows.
void TvekPaintFX::Lighter(TBitmap& bitmap, int amount)
{
    Ensure24(bitmap);
    MapBytes(bitmap, LightenTable(amount));
}

void TvekPaintFX::Darker(TBitmap& bitmap, int amount)
{
    Ensure24(bitmap);
    MapBytes(bitmap, DarkenTable(amount));
}

void TvekPaintFX::Contrast(TBitmap& bitmap, int amount)
{
    Ensure24(bitmap);
    // The split is at 128 while the distance is measured from 127, as the stored results have it.
    TByteTable t;
    for (int c = 0; c < 256; ++c) {
        const int d = MulWrap(c < 127 ? 127 - c : c - 127, amount) / 255;
        t[c] = ClampByte(c < 128 ? c - d : c + d);
    }
    MapBytes(bitmap, t);
}

void TvekPaintFX::Saturation(TBitmap& bitmap, int amount)
{
    Ensure24(bitmap);
    // (c - g) * amount div 255 for every difference -255..255.
    int shift[511];
    for (int d = -255; d <= 255; ++d) shift[d + 255] = MulWrap(d, amount) / 255;
    const int w = bitmap.Width();
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < w; ++x, p += 3) {
            const int g = (p[0] + p[1] + p[2]) / 3;
            p[0] = ClampByte(g + shift[p[0] - g + 255]);
            p[1] = ClampByte(g + shift[p[1] - g + 255]);
            p[2] = ClampByte(g + shift[p[2] - g + 255]);
        }
    }
}

void TvekPaintFX::GrayScale(TBitmap& bitmap)
{
    Ensure24(bitmap);
    const int w = bitmap.Width();
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < w; ++x, p += 3) p[0] = p[1] = p[2] = GrayOf(p[0], p[1], p[2]);
    }
}

void TvekPaintFX::Invert(TBitmap& bitmap)
{
    Ensure24(bitmap);
    TByteTable t;
    for (int c = 0; c < 256; ++c) t[c] = static_cast<std::uint8_t>(255 - c);
    MapBytes(bitmap, t);
}

void TvekPaintFX::Posterize(TBitmap& src, TBitmap& dst, int depth)
{
    Ensure24(src);
    Ensure24(dst);
    // Depth 0 would divide by zero: there is nothing to quantize to, so the picture passes unchanged.
    if (depth == 0) {
        CopyOverlap(src, dst);
        return;
    }
    // The product is taken of the low bytes only, so values past 255 wrap (depth 100: 255 gives 44).
    TByteTable t;
    for (int c = 0; c < 256; ++c) {
        const long long q = RoundEven(static_cast<long double>(c) / depth);
        t[c] = static_cast<std::uint8_t>(static_cast<std::uint8_t>(q) * static_cast<std::uint8_t>(depth));
    }
    MapPixels(src, dst, [&t](const std::uint8_t* s, std::uint8_t* d) {
        d[0] = t[s[0]], d[1] = t[s[1]], d[2] = t[s[2]];
    });
}

void TvekPaintFX::Solarize(TBitmap& src, TBitmap& dst, int threshold)
{
    Ensure24(src);
    Ensure24(dst);
    MapPixels(src, dst, [threshold](const std::uint8_t* s, std::uint8_t* d) {
        if ((s[0] + s[1] + s[2]) / 3 > threshold) {
            d[0] = static_cast<std::uint8_t>(255 - s[0]);
            d[1] = static_cast<std::uint8_t>(255 - s[1]);
            d[2] = static_cast<std::uint8_t>(255 - s[2]);
        } else {
            d[0] = s[0], d[1] = s[1], d[2] = s[2];
        }
    });
}
