#pragma once
#include "platform/TBitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The image of an icon file that shows best: the largest, then the deepest. The result has 32 bits
// a pixel, blue, green, red and opacity: the image's own alpha for 32-bit images that carry one,
// else 0 where the AND mask is set and 255 elsewhere.
TBitmap DecodeIcon(const std::uint8_t* data, std::size_t size);

// Sizes target to the icon and draws it at 0, 0 over target's current pixels, which show through
// the transparent parts; target keeps its pixel format.
void DrawIcon(const TBitmap& icon, TBitmap& target);
void DrawIconFile(const std::string& fileName, TBitmap& target);
