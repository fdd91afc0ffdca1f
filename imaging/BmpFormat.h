#pragma once
#include "platform/TBitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Little-endian reads over a file held in memory. Every read is checked against the end, so a
// truncated or lying file ends in EvekImageError("<format> file is truncated.") instead of a read
// past the buffer.
class TByteReader {
public:
    TByteReader(const std::uint8_t* data, std::size_t size, const char* format)
        : data_(data), size_(size), format_(format)
    {
    }

    std::size_t Size() const { return size_; }
    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return size_ - pos_; }
    const std::uint8_t* Data() const { return data_; }
    const char* Format() const { return format_; }

    void Seek(std::size_t pos)
    {
        if (pos > size_) Truncated();
        pos_ = pos;
    }
    void Skip(std::size_t n) { Bytes(n); }
    const std::uint8_t* Bytes(std::size_t n)
    {
        if (n > size_ - pos_) Truncated();
        const std::uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }
    std::uint8_t U8() { return *Bytes(1); }
    std::uint16_t U16()
    {
        const std::uint8_t* p = Bytes(2);
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::uint32_t U32()
    {
        const std::uint8_t* p = Bytes(4);
        return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
               (std::uint32_t(p[3]) << 24);
    }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }

    [[noreturn]] void Truncated() const;
    [[noreturn]] void Corrupt(const std::string& what) const;

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    const char* format_;
};

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

// Bitmap files (".bmp"): a file header before the device-independent bitmap.
void DecodeBmp(const std::uint8_t* data, std::size_t size, TBitmap& target);
void LoadBmpFile(const std::string& fileName, TBitmap& target);
// Writes the bitmap's own format: BITMAPINFOHEADER, palette up to 8 bits, bit fields for 5-6-5.
std::vector<std::uint8_t> EncodeBmp(const TBitmap& source);
void SaveBmpFile(const std::string& fileName, const TBitmap& source);
