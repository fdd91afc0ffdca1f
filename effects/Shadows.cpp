// The four drop shadows.
#include "effects/PaintFX.h"
#include "effects/PixelOps.h"

using namespace fx;

namespace {

constexpr int kShadowOffset = 4;

// The partner q of p(x, y) is (x + dx, y + dy). Rows are visited away from the partner's side, so
// the partner row is still unchanged when read and working in place equals working on a copy.
// q casts on p when its blue byte is smaller: p takes q's bytes plus one, 255 wrapping to 0.
void CastShadow(TBitmap& bitmap, int dx, int dy)
{
    Ensure24(bitmap);
    const int w = bitmap.Width(), h = bitmap.Height();
    if (h <= kShadowOffset || w <= kShadowOffset) return;
    const int rowsFrom = dy > 0 ? 0 : kShadowOffset, rowsTo = dy > 0 ? h - 1 - kShadowOffset : h - 1;
    const int colsFrom = dx > 0 ? 0 : kShadowOffset, colsTo = dx > 0 ? w - 1 - kShadowOffset : w - 1;
    for (int i = 0; i <= rowsTo - rowsFrom; ++i) {
        const int y = dy > 0 ? rowsFrom + i : rowsTo - i;
        std::uint8_t* p = bitmap.ScanLine(y) + 3 * colsFrom;
        const std::uint8_t* q = bitmap.ScanLine(y + dy) + 3 * (colsFrom + dx);
        for (int x = colsFrom; x <= colsTo; ++x, p += 3, q += 3)
            if (q[0] < p[0]) {
                p[0] = static_cast<std::uint8_t>(q[0] + 1);
                p[1] = static_cast<std::uint8_t>(q[1] + 1);
                p[2] = static_cast<std::uint8_t>(q[2] + 1);
            }
    }
}

} // namespace

void TvekPaintFX::ShadowUpLeft(TBitmap& bitmap) { CastShadow(bitmap, kShadowOffset, kShadowOffset); }
void TvekPaintFX::ShadowUpRight(TBitmap& bitmap) { CastShadow(bitmap, -kShadowOffset, kShadowOffset); }
void TvekPaintFX::ShadowDownLeft(TBitmap& bitmap) { CastShadow(bitmap, kShadowOffset, -kShadowOffset); }
void TvekPaintFX::ShadowDownRight(TBitmap& bitmap) { CastShadow(bitmap, -kShadowOffset, -kShadowOffset); }
