#pragma once
#include "platform/TBitmap.h"

#include <array>
#include <cstdint>
#include <vector>

enum TPaletteChoice {
    pcNone,
    pcWindows20,
    pcHalftone256,
    pcWindowsGray4,
    pcMonochrome,
    pcGray256,
    pcNetscape216,
    pcOptimized,
    pcOptimizedWindows,
    pcGivenPalette
};

enum TDitherChoice { dcNearest, dcFloydSteinberg, dcStucki, dcSierra, dcJaJuNi, dcSteveArche, dcBurkes };

// How a bitmap of more than 8 bits a pixel becomes a palette image for GIF. One set lives for the
// whole process: the GIF writer reads it, the GIF optimizer's Convert sets it.
struct TReductionSettings {
    TPaletteChoice Palette = pcNetscape216;
    TDitherChoice Dither = dcNearest;
    int Bits = 8; // 3..8: 2^Bits colours for pcOptimized
    std::vector<TRGBQuad> GivenPalette;
};

TReductionSettings& ReductionSettings();

// A new bitmap: 8 bits a pixel with the chosen palette, or a 24-bit copy for pcNone.
TBitmap ReduceBitmapColors(const TBitmap& bitmap, TPaletteChoice palette, TDitherChoice dither,
                           const std::vector<TRGBQuad>& givenPalette, int bits);
inline TBitmap ReduceBitmapColors(const TBitmap& bitmap, const TReductionSettings& settings)
{
    return ReduceBitmapColors(bitmap, settings.Palette, settings.Dither, settings.GivenPalette, settings.Bits);
}

// Entry 36r + 6g + b = (51r, 51g, 51b) for r, g, b in 0..5.
const std::vector<TRGBQuad>& Netscape216Palette();
// Entry i = (i, i, i).
const std::vector<TRGBQuad>& GrayPalette256();

// The 216-colour cube lookup: each channel's level is (c + 3) div 51, read from a table.
class TNetscapeColorLookup {
public:
    TNetscapeColorLookup();
    int Colors() const { return 216; }
    int Lookup(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const
    {
        return 36 * level_[red] + 6 * level_[green] + level_[blue];
    }

private:
    std::array<std::uint8_t, 256> level_;
};
