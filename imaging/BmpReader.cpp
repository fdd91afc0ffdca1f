#include "imaging/Dib.h"

#include "imaging/Codecs.h"
#include "platform/Errors.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

enum : std::uint32_t { biRgb = 0, biRle8 = 1, biRle4 = 2, biBitfields = 3, biAlphaBitfields = 6 };

constexpr std::uint32_t kMask555[3] = {0x7C00, 0x03E0, 0x001F};
constexpr std::uint32_t kMask565[3] = {0xF800, 0x07E0, 0x001F};
constexpr std::uint32_t kMask888[3] = {0xFF0000, 0x00FF00, 0x0000FF};

bool SameMasks(const std::uint32_t* masks, const std::uint32_t* want)
{
    return masks[0] == want[0] && masks[1] == want[1] && masks[2] == want[2];
}

TPixelFormat FormatFor(const TDibHeader& h)
{
    switch (h.Bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16:
        if (SameMasks(h.Masks, kMask555)) return pf15bit;
        if (SameMasks(h.Masks, kMask565)) return pf16bit;
        return pf24bit;
    case 24: return pf24bit;
    default: return pf32bit;
    }
}

// A colour mask turned into shift and scale, for bit-field layouts that have no pixel format of
// their own.
struct TMaskChannel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;
    explicit TMaskChannel(std::uint32_t m) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    std::uint8_t operator()(std::uint32_t v) const
    {
        if (!max) return 0;
        return static_cast<std::uint8_t>((std::uint64_t((v & mask) >> shift) * 255 + max / 2) / max);
    }
};

void DecodeMasked(const TDibHeader& h, const std::uint8_t* src, std::int64_t srcRowBytes, TBitmap& target)
{
    const TMaskChannel r(h.Masks[0]), g(h.Masks[1]), b(h.Masks[2]), a(h.Masks[3]);
    const int w = target.Width();
    const int out = target.PixelFormat() == pf32bit ? 4 : 3;
    for (int i = 0; i < target.Height(); ++i) {
        const std::uint8_t* s = src + i * srcRowBytes;
        std::uint8_t* d = target.ScanLine(h.TopDown ? i : target.Height() - 1 - i);
        for (int x = 0; x < w; ++x, d += out) {
            std::uint32_t v = h.Bits == 16 ? std::uint32_t(s[2 * x] | (s[2 * x + 1] << 8))
                                           : std::uint32_t(s[4 * x]) | (std::uint32_t(s[4 * x + 1]) << 8) |
                                                 (std::uint32_t(s[4 * x + 2]) << 16) |
                                                 (std::uint32_t(s[4 * x + 3]) << 24);
            d[0] = b(v);
            d[1] = g(v);
            d[2] = r(v);
            if (out == 4) d[3] = a(v);
        }
    }
}

// Run-length encoded 4- and 8-bit rows, bottom-up. Runs and absolute groups are clipped to the row;
// a delta or end of line past the last row ends the picture. Pixels the stream skips keep index 0.
void DecodeRle(const TDibHeader& h, TByteReader& in, TBitmap& target)
{
    const bool four = h.Compression == biRle4;
    const int w = target.Width(), height = target.Height();
    std::int64_t x = 0, y = 0; // y counts from the bottom row
    auto put = [&](int index) {
        if (x < w) {
            std::uint8_t* row = target.ScanLine(height - 1 - y);
            if (four)
                row[x >> 1] = static_cast<std::uint8_t>((x & 1) ? ((row[x >> 1] & 0xF0) | index)
                                                                : ((row[x >> 1] & 0x0F) | (index << 4)));
            else
                row[x] = static_cast<std::uint8_t>(index);
        }
        ++x;
    };
    while (y < height) {
        const int count = in.U8();
        const int value = in.U8();
        if (count > 0) {
            const int n = static_cast<int>(std::clamp<std::int64_t>(w - x, 0, count));
            for (int i = 0; i < n; ++i) put(four ? ((i & 1) ? (value & 15) : (value >> 4)) : value);
            x += count - n;
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return;
        case 2: { // delta
            const int dx = in.U8();
            const int dy = in.U8();
            x += dx;
            y += dy;
            break;
        }
        default: { // absolute group, padded to a word
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            const std::uint8_t* p = in.Bytes(bytes);
            in.Skip(bytes & 1);
            const int n = static_cast<int>(std::clamp<std::int64_t>(w - x, 0, value));
            for (int i = 0; i < n; ++i) put(four ? ((i & 1) ? (p[i >> 1] & 15) : (p[i >> 1] >> 4)) : p[i]);
            x += value - n;
            break;
        }
        }
    }
}

} // namespace

std::int64_t DibRowBytes(std::int64_t width, int bits) { return ((width * bits + 31) / 32) * 4; }

TDibHeader ReadDibHeader(TByteReader& in, bool iconHeight)
{
    TDibHeader h;
    const std::size_t start = in.Position();
    const std::uint32_t size = in.U32();
    bool core = false;
    std::int64_t height = 0;
    std::uint32_t colorsUsed = 0;
    if (size == 12) {
        core = true;
        h.Width = in.U16();
        height = in.U16();
        in.U16(); // planes
        h.Bits = in.U16();
    } else if (size >= 16 && size <= 4096) {
        h.Width = in.I32();
        height = in.I32();
        in.U16(); // planes
        h.Bits = in.U16();
        if (size >= 20) h.Compression = in.U32();
        if (size >= 36) {
            in.Skip(12); // image size, resolution
            colorsUsed = in.U32();
        }
        if (size >= 52) {
            in.Seek(start + 40);
            for (int i = 0; i < (size >= 56 ? 4 : 3); ++i) h.Masks[i] = in.U32();
        }
        // OS/2 2.x headers reuse 3 and 4 for Huffman and 24-bit run lengths.
        if (size == 64 && (h.Compression == 3 || h.Compression == 4))
            throw EvekImageError(std::string(in.Format()) + " file uses an unsupported OS/2 compression.");
    } else {
        in.Corrupt("unknown header size " + std::to_string(size));
    }
    in.Seek(start + size);

    if (height < 0) {
        h.TopDown = true;
        height = -height;
    }
    if (iconHeight) height /= 2;
    h.Height = height;
    if (h.Width <= 0 || h.Height <= 0) in.Corrupt("the image has no pixels");
    TBitmap::CheckDimensions(h.Width, h.Height);

    const bool valid = (h.Compression == biRgb && (h.Bits == 1 || h.Bits == 4 || h.Bits == 8 || h.Bits == 16 ||
                                                   h.Bits == 24 || h.Bits == 32)) ||
                       (h.Compression == biRle8 && h.Bits == 8) || (h.Compression == biRle4 && h.Bits == 4) ||
                       ((h.Compression == biBitfields || h.Compression == biAlphaBitfields) &&
                        (h.Bits == 16 || h.Bits == 32));
    if (!valid)
        throw EvekImageError(std::string(in.Format()) + " file has an unsupported format (" +
                             std::to_string(h.Bits) + " bits, compression " + std::to_string(h.Compression) +
                             ").");
    if (h.TopDown && (h.Compression == biRle8 || h.Compression == biRle4))
        in.Corrupt("a top-down image cannot be run-length encoded");

    if (h.Compression == biBitfields || h.Compression == biAlphaBitfields) {
        if (size < 52)
            for (int i = 0; i < (h.Compression == biAlphaBitfields ? 4 : 3); ++i) h.Masks[i] = in.U32();
    } else if (h.Bits == 16) {
        std::copy(kMask555, kMask555 + 3, h.Masks);
        h.Masks[3] = 0;
    } else if (h.Bits == 32) {
        std::copy(kMask888, kMask888 + 3, h.Masks);
        h.Masks[3] = 0;
    }

    if (h.Bits <= 8) {
        const std::uint32_t maxColors = 1u << h.Bits;
        const std::uint32_t count = colorsUsed == 0 || colorsUsed > maxColors ? maxColors : colorsUsed;
        const int entry = core ? 3 : 4;
        const std::uint8_t* p = in.Bytes(std::size_t(count) * entry);
        h.Palette.resize(count);
        for (std::uint32_t i = 0; i < count; ++i, p += entry) h.Palette[i] = TRGBQuad{p[0], p[1], p[2], 0};
    }
    return h;
}

std::size_t DecodeDibPixels(const TDibHeader& h, TByteReader& in, std::size_t pixelOffset, TBitmap& target)
{
    const TPixelFormat format = FormatFor(h);
    TBitmap image;
    in.Seek(pixelOffset);
    if (h.Compression == biRle8 || h.Compression == biRle4) {
        image = TBitmap(static_cast<int>(h.Width), static_cast<int>(h.Height), format);
        image.SetPalette(h.Palette);
        DecodeRle(h, in, image);
        target = std::move(image);
        return in.Position();
    }
    // Check the pixel rows are all there before allocating for them.
    const std::int64_t srcRowBytes = DibRowBytes(h.Width, h.Bits);
    const std::int64_t used = (h.Width * h.Bits + 7) / 8;
    const std::int64_t need = srcRowBytes * (h.Height - 1) + used;
    if (need > static_cast<std::int64_t>(in.Remaining())) in.Truncated();
    const std::uint8_t* src = in.Data() + pixelOffset;

    image = TBitmap(static_cast<int>(h.Width), static_cast<int>(h.Height), format);
    image.SetPalette(h.Palette);
    const bool rawRows = h.Bits <= 8 || h.Bits == 24 || format == pf15bit || format == pf16bit ||
                         (h.Bits == 32 && SameMasks(h.Masks, kMask888) && (h.Masks[3] == 0 || h.Masks[3] == 0xFF000000u));
    if (rawRows) {
        for (int i = 0; i < image.Height(); ++i)
            std::memcpy(image.ScanLine(h.TopDown ? i : image.Height() - 1 - i), src + i * srcRowBytes,
                        static_cast<std::size_t>(used));
    } else {
        DecodeMasked(h, src, srcRowBytes, image);
    }
    target = std::move(image);
    return pixelOffset + static_cast<std::size_t>(std::min<std::int64_t>(srcRowBytes * h.Height, in.Remaining()));
}

void DecodeBmp(const std::uint8_t* data, std::size_t size, TBitmap& target)
{
    TByteReader in(data, size, "Bitmap");
    const std::uint8_t* magic = in.Bytes(2);
    if (magic[0] != 'B' || magic[1] != 'M') in.Corrupt("no bitmap signature");
    in.Skip(8); // file size, reserved
    const std::uint32_t offBits = in.U32();
    const TDibHeader header = ReadDibHeader(in, false);
    // Some writers leave the offset at zero; the pixels then follow the palette.
    std::size_t pixelOffset = offBits ? offBits : in.Position();
    if (pixelOffset > size) in.Truncated();
    TBitmap image;
    DecodeDibPixels(header, in, pixelOffset, image);
    target = std::move(image);
}
