#pragma once
#include "platform/TBitmap.h"

#include <string>

// The system's icon size: icons are always 32 x 32.
constexpr int IconSize = 32;

// The bytes of a one-image icon file made from the picture: 8 bits a pixel with the source's palette
// and a 1-bit mask that makes every pixel of the bottom-left pixel's colour transparent. A source
// that is not 8 bits a pixel is reduced first; one of another size is cut off or padded with black.
std::string IconFileBytes(const TBitmap& source);
