// The 3 x 3 convolution ApplyFilter and the commands built on its kernels.
#include "effects/PaintFX.h"
#include "effects/PixelOps.h"

#include <cstring>
#include <vector>

using namespace fx;

namespace {

struct TKernel {
    int k[9]; // row above, own row, row below; left to right
    int z;
};

constexpr TKernel kKernels[9] = {
    {{-1, -1, -1, -1, 8, -1, -1, -1, -1}, 1},  // fkLaplace
    {{-1, -1, -1, -1, 9, -1, -1, -1, -1}, 1},  // fkHighPass
    {{1, 1, 1, 1, -2, 1, -1, -1, -1}, 1},      // fkFindEdges
    {{-1, -1, -1, -1, 16, -1, -1, -1, -1}, 8}, // fkSharpen
    {{0, -1, 0, -1, 5, -1, 0, -1, 0}, 1},      // fkEdgeEnhance
    {{1, 0, 1, 0, 0, 0, 1, 0, -2}, 1},         // fkColorEmboss
    {{2, 2, 2, 2, 0, 2, 2, 2, 2}, 16},         // fkSoften
    {{3, 3, 3, 3, 8, 3, 3, 3, 3}, 32},         // fkBlur
    {{0, 1, 0, 1, 2, 1, 0, 1, 0}, 6},          // fkSoftenLess
};

// One output row from three source rows; each pointer is at the first pixel to compute, and the
// pixel before and after it can be read. The kernel is a template argument so that zero weights
// vanish and the division becomes a shift or multiplication.
template <int Kind>
void ConvolveRow(const std::uint8_t* a, const std::uint8_t* o, const std::uint8_t* b, std::uint8_t* out, int bytes)
{
    constexpr TKernel K = kKernels[Kind];
    for (int i = 0; i < bytes; ++i) {
        const int s = K.k[0] * a[i - 3] + K.k[1] * a[i] + K.k[2] * a[i + 3] + K.k[3] * o[i - 3] + K.k[4] * o[i] +
                      K.k[5] * o[i + 3] + K.k[6] * b[i - 3] + K.k[7] * b[i] + K.k[8] * b[i + 3];
        out[i] = ClampByte(s / K.z);
    }
}

using TConvolveRow = void (*)(const std::uint8_t*, const std::uint8_t*, const std::uint8_t*, std::uint8_t*, int);

constexpr TConvolveRow kRows[9] = {ConvolveRow<0>, ConvolveRow<1>, ConvolveRow<2>, ConvolveRow<3>, ConvolveRow<4>,
                                   ConvolveRow<5>, ConvolveRow<6>, ConvolveRow<7>, ConvolveRow<8>};

// A row of the padded copy: the image row between one frame pixel on each side.
void PadRow(std::uint8_t* dst, const std::uint8_t* row, const std::uint8_t* left, const std::uint8_t* right, int w)
{
    std::memcpy(dst, left, 3);
    std::memcpy(dst + 3, row, static_cast<std::size_t>(w) * 3);
    std::memcpy(dst + 3 + 3 * static_cast<std::size_t>(w), right, 3);
}

// Wrap and replicate: the padded copy is made a row at a time, just before the row it pads is
// overwritten, so every result is computed from the picture as it was on entry. The frame's corner
// pixels take the image's own corners in both modes.
void ConvolvePadded(TBitmap& bmp, TConvolveRow convolve, bool wrap)
{
    const int w = bmp.Width(), h = bmp.Height();
    const std::size_t stride = (static_cast<std::size_t>(w) + 2) * 3;
    std::vector<std::uint8_t> rows(stride * 5);
    std::uint8_t* top = rows.data();
    std::uint8_t* bottom = top + stride;
    std::uint8_t* ring[3] = {bottom + stride, bottom + 2 * stride, bottom + 3 * stride};
    auto px = [&](int x, int y) { return bmp.ScanLine(y) + 3 * x; };
    auto padImageRow = [&](std::uint8_t* dst, int y) {
        PadRow(dst, bmp.ScanLine(y), wrap ? px(w - 1, y) : px(0, y), wrap ? px(0, y) : px(w - 1, y), w);
    };
    PadRow(top, bmp.ScanLine(wrap ? h - 1 : 0), px(0, 0), px(w - 1, 0), w);
    PadRow(bottom, bmp.ScanLine(wrap ? 0 : h - 1), px(0, h - 1), px(w - 1, h - 1), w);

    const std::uint8_t* above = top;
    padImageRow(ring[0], 0);
    const std::uint8_t* own = ring[0];
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* below = bottom;
        if (y + 1 < h) {
            std::uint8_t* next = ring[(y + 1) % 3];
            padImageRow(next, y + 1);
            below = next;
        }
        convolve(above + 3, own + 3, below + 3, bmp.ScanLine(y), 3 * w);
        above = own;
        own = below;
    }
}

// Skip border: the outermost rows and columns keep their values.
void ConvolveInterior(TBitmap& bmp, TConvolveRow convolve)
{
    const int w = bmp.Width(), h = bmp.Height();
    if (w < 3 || h < 3) return;
    const std::size_t bytes = static_cast<std::size_t>(w) * 3;
    std::vector<std::uint8_t> rows(bytes * 3);
    std::uint8_t* ring[3] = {rows.data(), rows.data() + bytes, rows.data() + 2 * bytes};
    std::memcpy(ring[0], bmp.ScanLine(0), bytes);
    std::memcpy(ring[1], bmp.ScanLine(1), bytes);
    for (int y = 1; y < h - 1; ++y) {
        std::uint8_t* below = ring[(y + 1) % 3];
        std::memcpy(below, bmp.ScanLine(y + 1), bytes);
        convolve(ring[(y - 1) % 3] + 3, ring[y % 3] + 3, below + 3, bmp.ScanLine(y) + 3, 3 * (w - 2));
    }
}

} // namespace

void TvekPaintFX::ApplyFilter(int kind, TConvolveBorder border, TBitmap& bitmap)
{
    if (kind < 0 || kind > fkSoftenLess) return;
    if (border != cbWrap && border != cbReplicate && border != cbSkipBorder) return;
    Ensure24(bitmap);
    if (bitmap.Empty()) return;
    if (border == cbSkipBorder)
        ConvolveInterior(bitmap, kRows[kind]);
    else
        ConvolvePadded(bitmap, kRows[kind], border == cbWrap);
}

void TvekPaintFX::Laplace(TBitmap& bitmap) { ApplyFilter(fkLaplace, cbWrap, bitmap); }
void TvekPaintFX::HighPass(TBitmap& bitmap) { ApplyFilter(fkHighPass, cbWrap, bitmap); }
void TvekPaintFX::FindEdges(TBitmap& bitmap) { ApplyFilter(fkFindEdges, cbWrap, bitmap); }
void TvekPaintFX::EdgeEnhance(TBitmap& bitmap) { ApplyFilter(fkEdgeEnhance, cbWrap, bitmap); }
void TvekPaintFX::ColorEmboss(TBitmap& bitmap) { ApplyFilter(fkColorEmboss, cbWrap, bitmap); }
void TvekPaintFX::Soften(TBitmap& bitmap) { ApplyFilter(fkSoften, cbWrap, bitmap); }
void TvekPaintFX::SoftenLess(TBitmap& bitmap) { ApplyFilter(fkSoftenLess, cbWrap, bitmap); }
