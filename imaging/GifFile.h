#pragma once
#include "imaging/ColorReduction.h"
#include "platform/TBitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// GIF through giflib. Reading gives the first frame on its logical screen as an 8-bit bitmap with
// the frame's colour map; outside the frame the screen shows the transparent index when the frame
// has one, else the background index. A transparent frame makes the bitmap Transparent with the
// transparent entry's colour.
void DecodeGif(const std::uint8_t* data, std::size_t size, TBitmap& target);
void LoadGifFile(const std::string& fileName, TBitmap& target);

// Writing: a bitmap above 8 bits is reduced with reduction; 1- to 8-bit bitmaps keep their
// indices. The colour map is then optimized (unused entries dropped, indices renumbered). With
// transparent, a graphic control extension makes the bottom-left pixel's index transparent.
std::vector<std::uint8_t> EncodeGif(const TBitmap& source, bool transparent,
                                    const TReductionSettings& reduction = ReductionSettings());
void SaveGifFile(const std::string& fileName, const TBitmap& source, bool transparent);

// The colour-map optimization: keeps the palette entries that pixels use, in their order, and
// renumbers the pixels of the 8-bit image to match.
void OptimizeColorMap(TBitmap& image);
