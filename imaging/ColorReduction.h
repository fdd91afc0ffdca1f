#pragma once
#include "platform/TBitmap.h"

#include <cstdint>
#include <functional>
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

// A new bitmap: 8 bits a pixel with the chosen palette, or a 24-bit copy for pcNone. The palette
// is fixed or built by the octree (pcOptimized: 2^bits colours; pcOptimizedWindows: 236 colours
// between the default palette's static ones); the ditherer walks the rows in serpentine order.
// An empty given palette gives an empty bitmap.
// progress, when set, hears the percentage of rows done as it grows.
using TReductionProgress = std::function<void(int percent)>;
TBitmap ReduceBitmapColors(const TBitmap& bitmap, TPaletteChoice palette, TDitherChoice dither,
                           const std::vector<TRGBQuad>& givenPalette, int bits,
                           const TReductionProgress& progress = {});
inline TBitmap ReduceBitmapColors(const TBitmap& bitmap, const TReductionSettings& settings,
                                  const TReductionProgress& progress = {})
{
    return ReduceBitmapColors(bitmap, settings.Palette, settings.Dither, settings.GivenPalette, settings.Bits,
                              progress);
}

// source itself when it is 24 or 32 bits a pixel, else a 24-bit copy of it made in copy: the rows
// codecs and the reduction can read directly.
const TBitmap& AsTrueColor(const TBitmap& source, TBitmap& copy);

// Entry 36r + 6g + b = (51r, 51g, 51b) for r, g, b in 0..5.
const std::vector<TRGBQuad>& Netscape216Palette();
// The four greys 0, 128, 192 and 255.
const std::vector<TRGBQuad>& WindowsGrayPalette4();
