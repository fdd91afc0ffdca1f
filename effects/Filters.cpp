// Neighbourhood filters that work in place: Emboss, Trace, AntiAlias and the split blur. Their
// results depend on the visiting order (pixels already replaced are read again), so each keeps it.
#include "effects/PaintFX.h"
#include "effects/PixelOps.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

using namespace fx;

void TvekPaintFX::Emboss(TBitmap& bitmap)
{
    Ensure24(bitmap);
    const int w = bitmap.Width(), h = bitmap.Height();
    if (w < 4) return;
    const int bytes = 3 * (w - 3);
    // The row below is still unchanged when read, since rows are done top down.
    for (int y = 0; y + 1 < h; ++y) {
        std::uint8_t* p = bitmap.ScanLine(y);
        const std::uint8_t* below = bitmap.ScanLine(y + 1) + 9;
        for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>((255 - below[i] + p[i]) >> 1);
    }
}

void TvekPaintFX::AntiAliasRect(TBitmap& bitmap, int x0, int y0, int x1, int y1)
{
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
    const int w = bitmap.Width(), h = bitmap.Height();
    x0 = std::max(1, x0);
    y0 = std::max(1, y0);
    x1 = std::min(w - 2, x1);
    y1 = std::min(h - 2, y1);
    Ensure24(bitmap);
    if (x0 > x1 || y0 > y1) return;
    // In place: the pixel above and the pixel to the left already hold their new values.
    for (int y = y0; y <= y1; ++y) {
        std::uint8_t* p = bitmap.ScanLine(y);
        const std::uint8_t* above = bitmap.ScanLine(y - 1);
        const std::uint8_t* below = bitmap.ScanLine(y + 1);
        for (int i = 3 * x0; i < 3 * x1 + 3; ++i)
            p[i] = static_cast<std::uint8_t>((above[i] + below[i] + p[i - 3] + p[i + 3]) >> 2);
    }
}

void TvekPaintFX::AntiAlias(TBitmap& bitmap) { AntiAliasRect(bitmap, 0, 0, bitmap.Width(), bitmap.Height()); }

namespace {

// The row or column a split-blur tap reads. Near the edges the taps turn back (y - d below zero uses
// y, y + d past the end uses n - y); what would still lie outside a small image is clamped to it.
int SplitIndex(long long v, int n) { return static_cast<int>(std::clamp<long long>(v, 0, n - 1)); }

} // namespace

void TvekPaintFX::SplitBlur(TBitmap& bitmap, int distance)
{
    if (distance == 0) return;
    Ensure24(bitmap);
    const int w = bitmap.Width(), h = bitmap.Height();
    if (w == 0 || h == 0) return;
    const long long d = distance;
    std::vector<int> left(w), right(w);
    for (int x = 0; x < w; ++x) {
        left[x] = 3 * SplitIndex(x - d >= 0 ? x - d : x, w);
        right[x] = 3 * SplitIndex(x + d < w ? x + d : w - x, w);
    }
    // The columns whose taps are the plain x - d and x + d.
    const int xFrom = static_cast<int>(std::clamp<long long>(d, 0, w));
    const int xTo = static_cast<int>(std::clamp<long long>(w - d, xFrom, w));
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* a = bitmap.ScanLine(SplitIndex(y - d >= 0 ? y - d : y, h));
        const std::uint8_t* b = bitmap.ScanLine(SplitIndex(y + d < h ? y + d : h - y, h));
        std::uint8_t* p = bitmap.ScanLine(y);
        auto pixel = [&](int x) {
            const int l = left[x], r = right[x];
            for (int c = 0; c < 3; ++c)
                p[3 * x + c] = static_cast<std::uint8_t>((a[l + c] + b[l + c] + a[r + c] + b[r + c]) >> 2);
        };
        if (a == p || b == p || d < 0) {
            // The row reads itself: pixels to the left already hold new values.
            for (int x = 0; x < w; ++x) pixel(x);
            continue;
        }
        for (int x = 0; x < xFrom; ++x) pixel(x);
        if (xTo > xFrom) {
            const std::size_t n = 3 * static_cast<std::size_t>(xTo - xFrom);
            const std::size_t lo = 3 * static_cast<std::size_t>(xFrom - d), hi = 3 * static_cast<std::size_t>(xFrom + d);
            const std::uint8_t* __restrict al = a + lo;
            const std::uint8_t* __restrict bl = b + lo;
            const std::uint8_t* __restrict ar = a + hi;
            const std::uint8_t* __restrict br = b + hi;
            std::uint8_t* __restrict out = p + 3 * static_cast<std::size_t>(xFrom);
            for (std::size_t i = 0; i < n; ++i)
                out[i] = static_cast<std::uint8_t>((al[i] + bl[i] + ar[i] + br[i]) >> 2);
        }
        for (int x = xTo; x < w; ++x) pixel(x);
    }
}

void TvekPaintFX::GaussianBlur(TBitmap& bitmap, int depth)
{
    for (int pass = 0; pass <= depth; ++pass) SplitBlur(bitmap, 3);
}

void TvekPaintFX::Trace(TBitmap& bitmap, int intensity)
{
    TBitmap m(bitmap);
    m.SetPixelFormat(pf8bit);
    Ensure24(bitmap);
    if (intensity < 1) return;
    const int w = bitmap.Width(), h = bitmap.Height();
    auto black = [&](int x, int y) {
        std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
        p[0] = p[1] = p[2] = 0;
    };
    auto idx = [&](int x, int y) { return m.ScanLine(y)[x]; };
    // found and c live for the whole call.
    bool found = false;
    int c = 0;
    // A neighbour n of (x, y) differs from m: blacken by the reference colour rule; (nx, ny) is the
    // neighbour's position.
    auto compare = [&](int x, int y, int nx, int ny) {
        const int m0 = idx(x, y), n = idx(nx, ny);
        if (n == m0) return;
        if (!found) {
            c = n;
            black(x, y);
            found = true;
        } else if (m0 != c) {
            black(x, y);
        } else {
            black(nx, ny);
        }
    };
    // Blackening is idempotent and M never changes, so once found has its final value every pass
    // repeats the one before: passes past the third change nothing.
    const int passes = std::min(intensity, 3);
    for (int pass = 1; pass <= passes; ++pass) {
        for (int y = 0; y <= h - 2; ++y)
            for (int x = 0; x <= w - 3; ++x) {
                compare(x, y, x + 1, y);
                compare(x, y, x, y + 1);
            }
        if (pass > 1 && h - 1 >= 1)
            for (int y = h - 1; y >= 1; --y)
                for (int x = w - 1; x >= 2; --x) {
                    compare(x, y, x - 1, y);
                    compare(x, y, x, y - 1);
                }
    }
}
