// Distortions and patterns: the lens, the swirl, mosaic blocks and the striped pattern.
#include "effects/PaintFX.h"
#include "effects/PixelOps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace fx;

namespace {

// Trunc of a source coordinate; a point that is not finite or lies absurdly far away is brought
// back to a finite one so that the wrap below always has a value to work on.
long long TruncCoordinate(float& f)
{
    if (!std::isfinite(f)) f = 0;
    f = std::clamp(f, -0x1p62f, 0x1p62f);
    return static_cast<long long>(f);
}

// The weights of the two pixels along one axis; a negative coordinate gives its fraction to the
// first pixel, as the stored results have it.
void AxisWeights(float f, long long i, float w[2])
{
    if (f >= 0) {
        w[1] = static_cast<float>(static_cast<long double>(f) - i);
        w[0] = 1 - w[1];
    } else {
        w[0] = static_cast<float>(-(static_cast<long double>(f) - i));
        w[1] = 1 - w[0];
    }
}

// Wraps an integer point into 0..n - 1; below zero it lands one short of the plain modulo.
long long WrapIndex(long long i, int n)
{
    if (i < 0) return n - 1 - ((-i) % n);
    return i > n - 1 ? i % n : i;
}

// The bilinear sample with wrap shared by FishEye and Twist. Weights, their products and the
// channel totals are 32-bit floats; every step is computed in extended precision first.
void SampleBilinear(const TBitmap& src, float fx, float fy, std::uint8_t* out)
{
    const int w = src.Width(), h = src.Height();
    long long ifx = TruncCoordinate(fx), ify = TruncCoordinate(fy);
    float wx[2], wy[2];
    AxisWeights(fx, ifx, wx);
    AxisWeights(fy, ify, wy);
    ifx = WrapIndex(ifx, w);
    ify = WrapIndex(ify, h);
    float total[3] = {0, 0, 0};
    for (int ix = 0; ix < 2; ++ix)
        for (int iy = 0; iy < 2; ++iy) {
            const long long row = ify + iy < h ? ify + iy : h - ify - iy;
            const long long column = ifx + ix < w ? ifx + ix : w - ifx - ix;
            const std::uint8_t* p = src.ScanLine(static_cast<int>(row)) + 3 * column;
            const float weight = static_cast<float>(static_cast<long double>(wx[ix]) * wy[iy]);
            for (int c = 0; c < 3; ++c)
                total[c] = static_cast<float>(total[c] + static_cast<long double>(p[c]) * weight);
        }
    for (int c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>(RoundEven(total[c]));
}

} // namespace

void TvekPaintFX::FishEye(TBitmap& src, TBitmap& dst, long double amount)
{
    Ensure24(src);
    Ensure24(dst);
    if (src.Empty()) return;
    const TBitmap copy = &src == &dst ? src : TBitmap();
    const TBitmap& from = &src == &dst ? copy : src;
    const float xmid = static_cast<float>(from.Width() / 2.0L);
    const float ymid = static_cast<float>(from.Height() / 2.0L);
    const float rmax = static_cast<float>(dst.Width() * amount);
    for (int ty = 0; ty < dst.Height(); ++ty) {
        std::uint8_t* out = dst.ScanLine(ty);
        for (int tx = 0; tx < dst.Width(); ++tx, out += 3) {
            const float dx = static_cast<float>(tx - static_cast<long double>(xmid));
            const float dy = static_cast<float>(ty - static_cast<long double>(ymid));
            const float r1 = static_cast<float>(std::sqrt(static_cast<long double>(dx) * dx + static_cast<long double>(dy) * dy));
            float fx = xmid, fy = ymid;
            if (r1 == rmax) {
                // On the rim itself the lens has no source point; the pixel keeps its own place.
                fx = static_cast<float>(tx), fy = static_cast<float>(ty);
            } else if (r1 != 0) {
                // An empty lens (rmax 0) gives r2 = -0, the limit the formula tends to.
                const float r2 = rmax == 0 ? -0.0f
                                           : static_cast<float>((1 / (1 - static_cast<long double>(r1) / rmax) - 1) *
                                                                (static_cast<long double>(rmax) / 2));
                fx = static_cast<float>(static_cast<long double>(dx) * r2 / r1 + xmid);
                fy = static_cast<float>(static_cast<long double>(dy) * r2 / r1 + ymid);
            }
            SampleBilinear(from, fx, fy, out);
        }
    }
}

void TvekPaintFX::Twist(TBitmap& src, TBitmap& dst, int amount)
{
    Ensure24(src);
    Ensure24(dst);
    if (src.Empty()) return;
    if (amount == 0) {
        CopyOverlap(src, dst);
        return;
    }
    const TBitmap copy = &src == &dst ? src : TBitmap();
    const TBitmap& from = &src == &dst ? copy : src;
    const float xmid = static_cast<float>((from.Width() - 1) / 2.0L);
    const float ymid = static_cast<float>((from.Height() - 1) / 2.0L);
    const float offset = static_cast<float>(-kPi / 2);
    for (int ty = 0; ty < dst.Height(); ++ty) {
        std::uint8_t* out = dst.ScanLine(ty);
        for (int tx = 0; tx < dst.Width(); ++tx, out += 3) {
            const float dx = static_cast<float>(tx - static_cast<long double>(xmid));
            const float dy = static_cast<float>(ty - static_cast<long double>(ymid));
            const float r = static_cast<float>(std::sqrt(static_cast<long double>(dx) * dx + static_cast<long double>(dy) * dy));
            float fx = 0, fy = 0;
            if (r != 0) {
                long double angle;
                if (dx == 0)
                    angle = dy > 0 ? kPi / 2 : -kPi / 2;
                else if (dx > 0)
                    angle = std::atan(static_cast<long double>(dy) / dx);
                else
                    angle = kPi + std::atan(static_cast<long double>(dy) / dx);
                const float theta = static_cast<float>(static_cast<float>(angle) - static_cast<long double>(r) / amount - offset);
                fx = static_cast<float>(r * std::cos(static_cast<long double>(theta)));
                fy = static_cast<float>(r * std::sin(static_cast<long double>(theta)));
            }
            fx = static_cast<float>(static_cast<long double>(fx) + xmid);
            fy = static_cast<float>(static_cast<long double>(fy) + ymid);
            SampleBilinear(from, fx, fy, out);
        }
    }
}

void TvekPaintFX::Mosaic(TBitmap& bitmap, int size)
{
    Ensure24(bitmap);
    size = std::max(size, 1);
    if (bitmap.Empty()) return;
    const int w = bitmap.Width(), h = bitmap.Height();
    const std::size_t bytes = 3 * static_cast<std::size_t>(w);
    for (long long top = 0; top < h; top += size) {
        const int bottom = static_cast<int>(std::min<long long>(h, top + size));
        // The block's top row takes the colours of the blocks' top-left pixels; the rows below copy it.
        std::uint8_t* first = bitmap.ScanLine(static_cast<int>(top));
        for (long long left = 0; left < w; left += size) {
            const int right = static_cast<int>(std::min<long long>(w, left + size));
            for (int x = static_cast<int>(left) + 1; x < right; ++x) std::memcpy(first + 3 * x, first + 3 * left, 3);
        }
        for (int y = static_cast<int>(top) + 1; y < bottom; ++y) std::memcpy(bitmap.ScanLine(y), first, bytes);
    }
}

void TvekPaintFX::Whipe(TBitmap& bitmap, int amount)
{
    Ensure24(bitmap);
    const int a = amount < 5 ? 4 : (amount & ~1);
    const int b = a + 1;
    const int half = (a + 1) >> 1;
    const int w = bitmap.Width();
    if (w == 0) return;
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        int s = y % a;
        if (s > half) s = a - s;
        if (s == 0) s = b;
        const int t = y % b;
        const int m = std::abs(half - t) + half;
        std::uint8_t current[3] = {row[0], row[1], row[2]};
        // xs and xm follow x mod s and x mod m.
        int xs = 0, xm = 0;
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = row + 3 * x;
            if (xs == 0 || xm == 1) std::memcpy(current, p, 3);
            std::memcpy(p, current, 3);
            if (++xs == s) xs = 0;
            if (++xm == m) xm = 0;
        }
    }
}
