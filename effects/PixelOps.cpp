// Helpers shared by the effect families.
#include "effects/PixelOps.h"

#include <algorithm>
#include <cstring>

namespace fx {

TByteTable LightenTable(int amount)
{
    TByteTable t;
    for (int c = 0; c < 256; ++c) t[c] = LightenValue(c, amount);
    return t;
}

TByteTable DarkenTable(int amount)
{
    TByteTable t;
    for (int c = 0; c < 256; ++c) t[c] = DarkenValue(c, amount);
    return t;
}

void MapBytes(TBitmap& bitmap, const TByteTable& table)
{
    const int bytes = bitmap.Width() * 3;
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int i = 0; i < bytes; ++i) row[i] = table[row[i]];
    }
}

void CopyOverlap(const TBitmap& src, TBitmap& dst)
{
    const std::size_t bytes = 3 * static_cast<std::size_t>(std::min(src.Width(), dst.Width()));
    const int h = std::min(src.Height(), dst.Height());
    if (bytes == 0) return;
    for (int y = 0; y < h; ++y) std::memmove(dst.ScanLine(y), src.ScanLine(y), bytes);
}

} // namespace fx
