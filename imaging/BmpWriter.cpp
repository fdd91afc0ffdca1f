#include "imaging/BmpFormat.h"

#include "imaging/ImageIO.h"

#include <algorithm>
#include <cstring>

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

} // namespace

std::vector<std::uint8_t> EncodeBmp(const TBitmap& source)
{
    const TPixelFormat format = source.PixelFormat();
    const int bits = format == pf15bit ? 16 : source.BitsPerPixel();
    const bool bitfields = format == pf16bit;
    // A palette image always stores its entries; one without a palette shows black, so it gets a
    // black one rather than a count of 0, which would mean "all 2^bits entries follow".
    const std::size_t paletteCount =
        bits <= 8 ? (source.Palette().empty() ? std::size_t(1) << bits
                                              : std::min(source.Palette().size(), std::size_t(1) << bits))
                  : 0;
    const std::size_t headerBytes = 14 + 40 + (bitfields ? 12 : 0) + paletteCount * 4;
    const std::size_t rowBytes = static_cast<std::size_t>(source.RowBytes());
    const std::size_t imageBytes = rowBytes * static_cast<std::size_t>(source.Height());

    std::vector<std::uint8_t> out;
    out.reserve(headerBytes + imageBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<std::uint32_t>(headerBytes + imageBytes));
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(headerBytes));
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(source.Width()));
    Put32(out, static_cast<std::uint32_t>(source.Height())); // bottom-up
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(bits));
    Put32(out, bitfields ? 3 : 0);
    Put32(out, static_cast<std::uint32_t>(imageBytes));
    Put32(out, 3780); // 96 dpi in pixels per metre
    Put32(out, 3780);
    Put32(out, static_cast<std::uint32_t>(paletteCount));
    Put32(out, 0);
    if (bitfields) {
        Put32(out, 0xF800);
        Put32(out, 0x07E0);
        Put32(out, 0x001F);
    }
    for (std::size_t i = 0; i < paletteCount; ++i) {
        const TRGBQuad q = i < source.Palette().size() ? source.Palette()[i] : TRGBQuad{};
        out.insert(out.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
    }
    // Our rows have the stored layout already; only their order is reversed.
    out.resize(headerBytes + imageBytes);
    std::uint8_t* dst = out.data() + headerBytes;
    for (int y = source.Height() - 1; y >= 0; --y, dst += rowBytes) std::memcpy(dst, source.ScanLine(y), rowBytes);
    return out;
}

void SaveBmpFile(const std::string& fileName, const TBitmap& source) { WriteImageFileBytes(fileName, EncodeBmp(source)); }
