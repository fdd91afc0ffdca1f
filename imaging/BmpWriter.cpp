#include "imaging/ByteStream.h"
#include "imaging/Codecs.h"

#include <algorithm>
#include <cstring>

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

    TByteWriter out;
    out.Reserve(headerBytes + imageBytes);
    out.PutBytes("BM", 2);
    out.Put32(static_cast<std::uint32_t>(headerBytes + imageBytes));
    out.Put32(0);
    out.Put32(static_cast<std::uint32_t>(headerBytes));
    out.Put32(40);
    out.Put32(static_cast<std::uint32_t>(source.Width()));
    out.Put32(static_cast<std::uint32_t>(source.Height())); // bottom-up
    out.Put16(1);
    out.Put16(static_cast<std::uint32_t>(bits));
    out.Put32(bitfields ? 3 : 0);
    out.Put32(static_cast<std::uint32_t>(imageBytes));
    out.Put32(3780); // 96 dpi in pixels per metre
    out.Put32(3780);
    out.Put32(static_cast<std::uint32_t>(paletteCount));
    out.Put32(0);
    if (bitfields) {
        out.Put32(0xF800);
        out.Put32(0x07E0);
        out.Put32(0x001F);
    }
    for (std::size_t i = 0; i < paletteCount; ++i) {
        const TRGBQuad q = i < source.Palette().size() ? source.Palette()[i] : TRGBQuad{};
        const std::uint8_t entry[4] = {q.rgbBlue, q.rgbGreen, q.rgbRed, 0};
        out.PutBytes(entry, 4);
    }
    // Our rows have the stored layout already; only their order is reversed.
    for (int y = source.Height() - 1; y >= 0; --y) out.PutBytes(source.ScanLine(y), rowBytes);
    return out.Take();
}
