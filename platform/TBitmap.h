#pragma once
#include "platform/TColor.h"

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

class TCanvas;

// Pixel storage whose growth leaves the new bytes as they come from the heap: the bitmap zeroes or
// copies them itself, and readers that write every row skip clearing a picture they overwrite.
template <class T>
struct TPixelAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = TPixelAllocator<U>;
    };
    TPixelAllocator() = default;
    template <class U>
    TPixelAllocator(const TPixelAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

enum TPixelFormat { pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

// A palette entry as a device-independent bitmap stores it.
struct TRGBQuad {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
    bool operator==(const TRGBQuad&) const = default;
};

constexpr TColor QuadToColor(const TRGBQuad& q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }
constexpr TRGBQuad ColorToQuad(TColor c) { return TRGBQuad{GetBValue(c), GetGValue(c), GetRValue(c), 0}; }

// The raster image every part of the system hands around. Rows run top to bottom, each padded to
// 4 bytes like a device-independent bitmap; 24-bit pixels are blue, green, red; 32-bit pixels are
// blue, green, red, reserved; 16-bit is 5-6-5 and 15-bit is 5-5-5 (little-endian words); 1-, 4- and
// 8-bit pixels are palette indices packed from the most significant bit.
class TBitmap {
public:
    // The largest image the system accepts: 2^28 pixels, and no side above 2^20.
    static constexpr std::int64_t MaxPixels = std::int64_t(1) << 28;
    static constexpr int MaxSide = 1 << 20;

    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = pf24bit);
    // For a reader that writes every row: the pixels start undefined, only the row padding is
    // zero.
    static TBitmap ForOverwrite(int width, int height, TPixelFormat format = pf24bit);
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    TBitmap(TBitmap&& other) noexcept;
    TBitmap& operator=(TBitmap&& other) noexcept;
    ~TBitmap();

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    TPixelFormat PixelFormat() const { return format_; }
    int BitsPerPixel() const { return BitsPerPixel(format_); }
    static int BitsPerPixel(TPixelFormat format);
    static int RowBytesFor(int width, TPixelFormat format);
    // Raises EvekImageError when width x height is negative, above MaxSide or MaxPixels.
    static void CheckDimensions(std::int64_t width, std::int64_t height);

    // New size; the pixels that still fit keep their place, new ones are zero (black or index 0).
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }
    // Converts the pixels: palette formats are filled by nearest colour in the fixed palette of the
    // format (black and white, the 16 standard colours, the halftone palette).
    void SetPixelFormat(TPixelFormat format);
    // Converts to a palette format with the given palette (nearest colour), e.g. after a reduction.
    void ConvertToPalette(TPixelFormat format, const std::vector<TRGBQuad>& palette);

    int RowBytes() const { return rowBytes_; }
    std::uint8_t* ScanLine(int y) { return bits_.data() + static_cast<std::size_t>(y) * rowBytes_; }
    const std::uint8_t* ScanLine(int y) const
    {
        return bits_.data() + static_cast<std::size_t>(y) * rowBytes_;
    }
    std::uint8_t* Bits() { return bits_.data(); }
    const std::uint8_t* Bits() const { return bits_.data(); }

    const std::vector<TRGBQuad>& Palette() const { return palette_; }
    void SetPalette(const std::vector<TRGBQuad>& palette);

    // Copies size, format, palette, pixels and transparency.
    void Assign(const TBitmap& other);

    // Colour of one pixel, whatever the format (slow path: tests, canvas, single-pixel rules).
    TColor GetPixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);
    // The palette index of a pixel of a 1-, 4- or 8-bit bitmap.
    int GetPixelIndex(int x, int y) const;
    void SetPixelIndex(int x, int y, int index);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on) { transparent_ = on; }
    // The bottom-left pixel's colour unless a colour was set.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);
    void ClearTransparentColor() { transparentColorSet_ = false; }

    TCanvas& Canvas();

    bool operator==(const TBitmap& other) const; // same size, format, palette and visible pixels

private:
    void Allocate(int width, int height, TPixelFormat format, bool clear = true);

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = pf24bit;
    int rowBytes_ = 0;
    std::vector<std::uint8_t, TPixelAllocator<std::uint8_t>> bits_;
    std::vector<TRGBQuad> palette_;
    bool transparent_ = false;
    bool transparentColorSet_ = false;
    TColor transparentColor_ = clBlack;
    std::unique_ptr<TCanvas> canvas_;
};

// The fixed palettes of the platform, in the Windows order.
const std::vector<TRGBQuad>& MonochromePalette();
const std::vector<TRGBQuad>& StandardPalette16();
const std::vector<TRGBQuad>& StockPalette20();
const std::vector<TRGBQuad>& HalftonePalette256();
// Entry i = (i, i, i).
const std::vector<TRGBQuad>& GrayPalette256();
// Index of the palette entry nearest to a colour (Euclidean in RGB; the first of equals wins).
int NearestPaletteIndex(const std::vector<TRGBQuad>& palette, std::uint8_t r, std::uint8_t g, std::uint8_t b);
