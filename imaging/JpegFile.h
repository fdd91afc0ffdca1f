#pragma once
#include "platform/TBitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// JPEG through libjpeg. Colour, CMYK and YCCK files decode to 24 bits a pixel; greyscale files to
// 8 bits with the grey palette, so that they stay grey when saved again.
void DecodeJpeg(const std::uint8_t* data, std::size_t size, TBitmap& target);
void LoadJpegFile(const std::string& fileName, TBitmap& target);

// quality 1..100 (clamped). An 8-bit bitmap whose palette is all greys is written as a greyscale
// JPEG; everything else in colour, unless grayscale asks for a greyscale JPEG of any image.
std::vector<std::uint8_t> EncodeJpeg(const TBitmap& source, int quality, bool grayscale = false);
void SaveJpegFile(const std::string& fileName, const TBitmap& source, int quality);
