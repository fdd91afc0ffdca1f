#pragma once
#include "imaging/ByteStream.h"
#include "platform/TBitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a device-independent bitmap header (BITMAPCOREHEADER, BITMAPINFOHEADER and its later
// versions, the OS/2 variants) says about the pixels that follow it, with the colour masks and
// palette that come between.
struct TDibHeader {
    std::int64_t Width = 0;
    std::int64_t Height = 0; // always positive; TopDown tells the row order
    bool TopDown = false;
    int Bits = 0;
    std::uint32_t Compression = 0;
    std::uint32_t Masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    std::vector<TRGBQuad> Palette;
};

// Reads header, masks and palette at the reader's position and leaves it after the palette.
// iconHeight halves the height, as icon images count their mask rows in it.
TDibHeader ReadDibHeader(TByteReader& in, bool iconHeight);
// Decodes the pixels at pixelOffset into target (which takes the matching pixel format).
// Returns the offset just after the pixel rows of an uncompressed image.
std::size_t DecodeDibPixels(const TDibHeader& header, TByteReader& in, std::size_t pixelOffset, TBitmap& target);
// Bytes of one stored row: padded to 4 bytes.
std::int64_t DibRowBytes(std::int64_t width, int bits);
