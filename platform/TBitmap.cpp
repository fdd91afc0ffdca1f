#include "platform/TBitmap.h"

#include "platform/Errors.h"
#include "platform/LargeBuffers.h"
#include "platform/TCanvas.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// One row of any format unpacked to blue, green, red triples; the common ground of conversions.
void UnpackRow(const TBitmap& bmp, int y, std::uint8_t* bgr)
{
    const std::uint8_t* src = bmp.ScanLine(y);
    const int w = bmp.Width();
    const auto& pal = bmp.Palette();
    auto putIndex = [&](int x, int index) {
        TRGBQuad q = index < static_cast<int>(pal.size()) ? pal[index] : TRGBQuad{};
        bgr[3 * x] = q.rgbBlue;
        bgr[3 * x + 1] = q.rgbGreen;
        bgr[3 * x + 2] = q.rgbRed;
    };
    switch (bmp.PixelFormat()) {
    case pf1bit:
        for (int x = 0; x < w; ++x) putIndex(x, (src[x >> 3] >> (7 - (x & 7))) & 1);
        break;
    case pf4bit:
        for (int x = 0; x < w; ++x) putIndex(x, (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4));
        break;
    case pf8bit:
        for (int x = 0; x < w; ++x) putIndex(x, src[x]);
        break;
    case pf15bit:
        for (int x = 0; x < w; ++x) {
            unsigned v = src[2 * x] | (src[2 * x + 1] << 8);
            unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
            bgr[3 * x] = static_cast<std::uint8_t>((b << 3) | (b >> 2));
            bgr[3 * x + 1] = static_cast<std::uint8_t>((g << 3) | (g >> 2));
            bgr[3 * x + 2] = static_cast<std::uint8_t>((r << 3) | (r >> 2));
        }
        break;
    case pf16bit:
        for (int x = 0; x < w; ++x) {
            unsigned v = src[2 * x] | (src[2 * x + 1] << 8);
            unsigned r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
            bgr[3 * x] = static_cast<std::uint8_t>((b << 3) | (b >> 2));
            bgr[3 * x + 1] = static_cast<std::uint8_t>((g << 2) | (g >> 4));
            bgr[3 * x + 2] = static_cast<std::uint8_t>((r << 3) | (r >> 2));
        }
        break;
    case pf24bit:
        std::memcpy(bgr, src, static_cast<std::size_t>(w) * 3);
        break;
    case pf32bit:
        for (int x = 0; x < w; ++x) {
            bgr[3 * x] = src[4 * x];
            bgr[3 * x + 1] = src[4 * x + 1];
            bgr[3 * x + 2] = src[4 * x + 2];
        }
        break;
    }
}

// Nearest palette index with a cache over the 2^24 colours, filled as colours turn up; large
// images repeat colours a lot, small ones do not pay for the table.
class NearestCache {
public:
    NearestCache(const std::vector<TRGBQuad>& palette, bool large) : palette_(palette)
    {
        if (large) table_.assign(std::size_t(1) << 24, 0xFFFF);
    }
    int operator()(std::uint8_t r, std::uint8_t g, std::uint8_t b)
    {
        if (table_.empty()) return NearestPaletteIndex(palette_, r, g, b);
        std::uint16_t& slot = table_[(std::size_t(r) << 16) | (std::size_t(g) << 8) | b];
        if (slot == 0xFFFF) slot = static_cast<std::uint16_t>(NearestPaletteIndex(palette_, r, g, b));
        return slot;
    }

private:
    const std::vector<TRGBQuad>& palette_;
    std::vector<std::uint16_t> table_;
};

void PackRow(TBitmap& bmp, int y, const std::uint8_t* bgr, NearestCache* nearest)
{
    std::uint8_t* dst = bmp.ScanLine(y);
    const int w = bmp.Width();
    switch (bmp.PixelFormat()) {
    case pf1bit:
        std::memset(dst, 0, static_cast<std::size_t>(bmp.RowBytes()));
        for (int x = 0; x < w; ++x)
            if ((*nearest)(bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x]) & 1) dst[x >> 3] |= 0x80 >> (x & 7);
        break;
    case pf4bit:
        std::memset(dst, 0, static_cast<std::size_t>(bmp.RowBytes()));
        for (int x = 0; x < w; ++x) {
            int i = (*nearest)(bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x]) & 15;
            dst[x >> 1] |= static_cast<std::uint8_t>((x & 1) ? i : (i << 4));
        }
        break;
    case pf8bit:
        for (int x = 0; x < w; ++x)
            dst[x] = static_cast<std::uint8_t>((*nearest)(bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x]));
        break;
    case pf15bit:
        for (int x = 0; x < w; ++x) {
            unsigned v = ((bgr[3 * x + 2] >> 3) << 10) | ((bgr[3 * x + 1] >> 3) << 5) | (bgr[3 * x] >> 3);
            dst[2 * x] = static_cast<std::uint8_t>(v);
            dst[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
        }
        break;
    case pf16bit:
        for (int x = 0; x < w; ++x) {
            unsigned v = ((bgr[3 * x + 2] >> 3) << 11) | ((bgr[3 * x + 1] >> 2) << 5) | (bgr[3 * x] >> 3);
            dst[2 * x] = static_cast<std::uint8_t>(v);
            dst[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
        }
        break;
    case pf24bit:
        std::memcpy(dst, bgr, static_cast<std::size_t>(w) * 3);
        break;
    case pf32bit:
        for (int x = 0; x < w; ++x) {
            dst[4 * x] = bgr[3 * x];
            dst[4 * x + 1] = bgr[3 * x + 1];
            dst[4 * x + 2] = bgr[3 * x + 2];
            dst[4 * x + 3] = 0;
        }
        break;
    }
}

bool IsPaletteFormat(TPixelFormat f) { return f == pf1bit || f == pf4bit || f == pf8bit; }

const std::vector<TRGBQuad>& DefaultPalette(TPixelFormat f)
{
    static const std::vector<TRGBQuad> none;
    switch (f) {
    case pf1bit: return MonochromePalette();
    case pf4bit: return StandardPalette16();
    case pf8bit: return HalftonePalette256();
    default: return none;
    }
}

std::vector<TRGBQuad> FromRgbList(std::initializer_list<TColor> colors)
{
    std::vector<TRGBQuad> out;
    for (TColor c : colors) out.push_back(ColorToQuad(c));
    return out;
}

} // namespace

const std::vector<TRGBQuad>& MonochromePalette()
{
    static const std::vector<TRGBQuad> p = FromRgbList({clBlack, clWhite});
    return p;
}

const std::vector<TRGBQuad>& StandardPalette16()
{
    static const std::vector<TRGBQuad> p =
        FromRgbList({clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clSilver, clGray, clRed,
                     clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite});
    return p;
}

const std::vector<TRGBQuad>& StockPalette20()
{
    static const std::vector<TRGBQuad> p =
        FromRgbList({clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clSilver, clMoneyGreen,
                     clSkyBlue, clCream, clMedGray, clGray, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua,
                     clWhite});
    return p;
}

const std::vector<TRGBQuad>& HalftonePalette256()
{
    static const std::vector<TRGBQuad> p = [] {
        const auto& stock = StockPalette20();
        std::vector<TRGBQuad> out(stock.begin(), stock.begin() + 10);
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) out.push_back(ColorToQuad(RGB(r * 51, g * 51, b * 51)));
        // The remaining 20 entries are greys between the cube's steps.
        for (int i = 1; i <= 20; ++i) {
            int v = i * 255 / 21;
            out.push_back(ColorToQuad(RGB(v, v, v)));
        }
        out.insert(out.end(), stock.begin() + 10, stock.end());
        return out;
    }();
    return p;
}

int NearestPaletteIndex(const std::vector<TRGBQuad>& palette, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    int best = 0;
    int bestDist = 0x7FFFFFFF;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        int dr = palette[i].rgbRed - r, dg = palette[i].rgbGreen - g, db = palette[i].rgbBlue - b;
        int d = dr * dr + dg * dg + db * db;
        if (d < bestDist) {
            bestDist = d;
            best = static_cast<int>(i);
            if (d == 0) break;
        }
    }
    return best;
}

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format)
{
    Allocate(width, height, format);
    palette_ = DefaultPalette(format);
}

TBitmap TBitmap::ForOverwrite(int width, int height, TPixelFormat format)
{
    TBitmap bmp;
    bmp.Allocate(width, height, format, false);
    bmp.palette_ = DefaultPalette(format);
    return bmp;
}

TBitmap::TBitmap(const TBitmap& other) { Assign(other); }

TBitmap& TBitmap::operator=(const TBitmap& other)
{
    if (this != &other) Assign(other);
    return *this;
}

TBitmap::TBitmap(TBitmap&& other) noexcept
    : width_(other.width_), height_(other.height_), format_(other.format_), rowBytes_(other.rowBytes_),
      bits_(std::move(other.bits_)), palette_(std::move(other.palette_)), transparent_(other.transparent_),
      transparentColorSet_(other.transparentColorSet_), transparentColor_(other.transparentColor_)
{
    other.width_ = other.height_ = other.rowBytes_ = 0;
}

TBitmap& TBitmap::operator=(TBitmap&& other) noexcept
{
    if (this != &other) {
        width_ = other.width_;
        height_ = other.height_;
        format_ = other.format_;
        rowBytes_ = other.rowBytes_;
        bits_ = std::move(other.bits_);
        palette_ = std::move(other.palette_);
        transparent_ = other.transparent_;
        transparentColorSet_ = other.transparentColorSet_;
        transparentColor_ = other.transparentColor_;
        other.width_ = other.height_ = other.rowBytes_ = 0;
    }
    return *this;
}

TBitmap::~TBitmap() = default;

int TBitmap::BitsPerPixel(TPixelFormat format)
{
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit: return 15;
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    }
    return 24;
}

int TBitmap::RowBytesFor(int width, TPixelFormat format)
{
    int bits = format == pf15bit ? 16 : BitsPerPixel(format);
    std::int64_t rowBits = static_cast<std::int64_t>(width) * bits;
    return static_cast<int>(((rowBits + 31) / 32) * 4);
}

void TBitmap::CheckDimensions(std::int64_t width, std::int64_t height)
{
    if (width < 0 || height < 0 || width > MaxSide || height > MaxSide || width * height > MaxPixels)
        throw EvekImageError("Image dimensions " + std::to_string(width) + " x " + std::to_string(height) +
                             " are out of range.");
}

void TBitmap::Allocate(int width, int height, TPixelFormat format, bool clear)
{
    CheckDimensions(width, height);
    width_ = width;
    height_ = height;
    format_ = format;
    rowBytes_ = RowBytesFor(width, format);
    const std::size_t size = static_cast<std::size_t>(rowBytes_) * static_cast<std::size_t>(height);
    ClearAndReserve(bits_, size);
    if (clear) {
        bits_.assign(size, 0);
        return;
    }
    bits_.resize(size);
    // The padding is never written by a reader, and files and comparisons must not see stray bytes.
    const std::size_t used = static_cast<std::size_t>(width) * BitsPerPixel(format == pf15bit ? pf16bit : format) / 8;
    if (used < static_cast<std::size_t>(rowBytes_))
        for (int y = 0; y < height; ++y) std::memset(ScanLine(y) + used, 0, rowBytes_ - used);
}

void TBitmap::SetSize(int width, int height)
{
    if (width == width_ && height == height_) return;
    CheckDimensions(width, height);
    TBitmap old(std::move(*this));
    Allocate(width, height, old.format_);
    palette_ = old.palette_;
    transparent_ = old.transparent_;
    transparentColorSet_ = old.transparentColorSet_;
    transparentColor_ = old.transparentColor_;
    int copyRows = std::min(height, old.height_);
    int copyBytes = std::min(rowBytes_, old.rowBytes_);
    for (int y = 0; y < copyRows; ++y) std::memcpy(ScanLine(y), old.ScanLine(y), static_cast<std::size_t>(copyBytes));
    if (palette_.empty()) palette_ = DefaultPalette(format_);
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == format_) return;
    ConvertToPalette(format, DefaultPalette(format));
}

void TBitmap::ConvertToPalette(TPixelFormat format, const std::vector<TRGBQuad>& palette)
{
    TBitmap old(std::move(*this));
    Allocate(old.width_, old.height_, format);
    palette_ = IsPaletteFormat(format) ? palette : std::vector<TRGBQuad>{};
    if (IsPaletteFormat(format) && palette_.empty()) palette_ = DefaultPalette(format);
    transparent_ = old.transparent_;
    transparentColorSet_ = old.transparentColorSet_;
    transparentColor_ = old.transparentColor_;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width_) * 3 + 3);
    std::unique_ptr<NearestCache> nearest;
    if (IsPaletteFormat(format))
        nearest = std::make_unique<NearestCache>(palette_, static_cast<std::int64_t>(width_) * height_ > 65536);
    for (int y = 0; y < height_; ++y) {
        UnpackRow(old, y, row.data());
        PackRow(*this, y, row.data(), nearest.get());
    }
}

void TBitmap::SetPalette(const std::vector<TRGBQuad>& palette)
{
    palette_ = palette;
    if (palette_.size() > 256) palette_.resize(256);
}

void TBitmap::Assign(const TBitmap& other)
{
    if (this == &other) return;
    width_ = other.width_;
    height_ = other.height_;
    format_ = other.format_;
    rowBytes_ = other.rowBytes_;
    ClearAndReserve(bits_, other.bits_.size());
    bits_.assign(other.bits_.begin(), other.bits_.end());
    palette_ = other.palette_;
    transparent_ = other.transparent_;
    transparentColorSet_ = other.transparentColorSet_;
    transparentColor_ = other.transparentColor_;
}

int TBitmap::GetPixelIndex(int x, int y) const
{
    const std::uint8_t* row = ScanLine(y);
    switch (format_) {
    case pf1bit: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case pf4bit: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case pf8bit: return row[x];
    default: return 0;
    }
}

void TBitmap::SetPixelIndex(int x, int y, int index)
{
    std::uint8_t* row = ScanLine(y);
    switch (format_) {
    case pf1bit:
        if (index & 1)
            row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
        else
            row[x >> 3] &= static_cast<std::uint8_t>(~(0x80 >> (x & 7)));
        break;
    case pf4bit:
        if (x & 1)
            row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & 0xF0) | (index & 15));
        else
            row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & 0x0F) | ((index & 15) << 4));
        break;
    case pf8bit: row[x] = static_cast<std::uint8_t>(index); break;
    default: break;
    }
}

TColor TBitmap::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return clBlack;
    if (IsPaletteFormat(format_)) {
        int i = GetPixelIndex(x, y);
        return i < static_cast<int>(palette_.size()) ? QuadToColor(palette_[i]) : clBlack;
    }
    const std::uint8_t* row = ScanLine(y);
    switch (format_) {
    case pf24bit: return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case pf32bit: return RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    default: {
        // 15- and 16-bit: unpack through the row converter's arithmetic for one pixel.
        unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        unsigned r, g, b;
        if (format_ == pf15bit) {
            r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
            return RGB((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2));
        }
        r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
        return RGB((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
    }
    }
}

void TBitmap::SetPixel(int x, int y, TColor color)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    std::uint8_t* row = ScanLine(y);
    const std::uint8_t r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    switch (format_) {
    case pf1bit:
    case pf4bit:
    case pf8bit: SetPixelIndex(x, y, NearestPaletteIndex(palette_, r, g, b)); break;
    case pf15bit: {
        unsigned v = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
        row[2 * x] = static_cast<std::uint8_t>(v);
        row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
        break;
    }
    case pf16bit: {
        unsigned v = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
        row[2 * x] = static_cast<std::uint8_t>(v);
        row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
        break;
    }
    case pf24bit:
        row[3 * x] = b, row[3 * x + 1] = g, row[3 * x + 2] = r;
        break;
    case pf32bit:
        row[4 * x] = b, row[4 * x + 1] = g, row[4 * x + 2] = r;
        break;
    }
}

TColor TBitmap::TransparentColor() const
{
    if (transparentColorSet_) return transparentColor_;
    return height_ > 0 && width_ > 0 ? GetPixel(0, height_ - 1) : clBlack;
}

void TBitmap::SetTransparentColor(TColor color)
{
    transparentColor_ = color;
    transparentColorSet_ = true;
}

TCanvas& TBitmap::Canvas()
{
    if (!canvas_) canvas_ = std::make_unique<TCanvas>(*this);
    return *canvas_;
}

bool TBitmap::operator==(const TBitmap& other) const
{
    if (width_ != other.width_ || height_ != other.height_ || format_ != other.format_) return false;
    if (IsPaletteFormat(format_) && palette_ != other.palette_) return false;
    // Compare only the visible bytes of each row, not the padding.
    std::size_t used = (static_cast<std::size_t>(width_) * (format_ == pf15bit ? 16 : BitsPerPixel()) + 7) / 8;
    for (int y = 0; y < height_; ++y)
        if (std::memcmp(ScanLine(y), other.ScanLine(y), used) != 0) return false;
    return true;
}

const std::vector<TRGBQuad>& GrayPalette256()
{
    static const std::vector<TRGBQuad> palette = [] {
        std::vector<TRGBQuad> p(256);
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<std::uint8_t>(i);
            p[i] = TRGBQuad{v, v, v, 0};
        }
        return p;
    }();
    return palette;
}
