#include "imaging/TgaReader.h"

#include "imaging/ByteStream.h"
#include "imaging/Codecs.h"
#include "platform/Errors.h"

#include <algorithm>
#include <cstring>

namespace {

// The 18 bytes at the start of the file, little-endian.
struct TTargaHeader {
    std::uint8_t IdLength;
    std::uint8_t ColorMapType;
    std::uint8_t ImageType;
    std::uint16_t FirstEntry;
    std::uint16_t ColorMapLength;
    std::uint8_t ColorMapEntrySize;
    std::uint16_t XOrigin;
    std::uint16_t YOrigin;
    std::uint16_t Width;
    std::uint16_t Height;
    std::uint8_t PixelDepth;
    std::uint8_t Descriptor;
};

TTargaHeader ReadHeader(TByteReader& in)
{
    TTargaHeader h;
    h.IdLength = in.U8();
    h.ColorMapType = in.U8();
    h.ImageType = in.U8();
    h.FirstEntry = in.U16();
    h.ColorMapLength = in.U16();
    h.ColorMapEntrySize = in.U8();
    h.XOrigin = in.U16();
    h.YOrigin = in.U16();
    h.Width = in.U16();
    h.Height = in.U16();
    h.PixelDepth = in.U8();
    h.Descriptor = in.U8();
    return h;
}

constexpr std::uint8_t DescriptorRightToLeft = 0x10;
constexpr std::uint8_t DescriptorTopDown = 0x20;

// 5-bit colour values spread over 0..248.
inline std::uint8_t Expand5(unsigned v) { return static_cast<std::uint8_t>((v & 31) * 8); }

inline void Expand16Bit(std::uint8_t* dst, const std::uint8_t* src)
{
    unsigned v = src[0] | (src[1] << 8);
    dst[0] = Expand5(v);
    dst[1] = Expand5(v >> 5);
    dst[2] = Expand5(v >> 10);
}

enum TTargaPixels { tpNone, tpIndexed, tp16, tp24, tp32, tpGrey };

} // namespace

void TTarga::LoadFromBytes(const std::uint8_t* data, std::size_t size)
{
    TByteReader in(data, size, "Targa");
    const TTargaHeader h = ReadHeader(in);
    identifier_.assign(reinterpret_cast<const char*>(in.Bytes(h.IdLength)), h.IdLength);

    // An 8-bit index reaches only the first 256 entries; indices past the map's end are black.
    palette_.assign(256, TRGBQuad{});
    if (h.ColorMapType == 1) {
        std::size_t entryBytes = (h.ColorMapEntrySize + 7u) / 8u;
        const std::uint8_t* map = in.Bytes(entryBytes * h.ColorMapLength);
        std::size_t used = std::min<std::size_t>(h.ColorMapLength, 256);
        for (std::size_t i = 0; i < used; ++i) {
            const std::uint8_t* e = map + i * entryBytes;
            TRGBQuad& q = palette_[i];
            switch (h.ColorMapEntrySize) {
            case 15:
            case 16: Expand16Bit(&q.rgbBlue, e); break;
            case 24: q = TRGBQuad{e[0], e[1], e[2], 0}; break;
            case 32: q = TRGBQuad{e[0], e[1], e[2], e[3]}; break;
            default: break;
            }
        }
    }

    const bool rle = h.ImageType >= 9 && h.ImageType <= 11;
    const int baseType = rle ? h.ImageType - 8 : h.ImageType;
    TTargaPixels kind = tpNone;
    std::size_t p = 1; // bytes a pixel in the file
    includeAlpha_ = false;
    depth_ = cd8bit;
    switch (baseType) {
    case 1:
        type_ = rle ? ttRLEColorMapedImage : ttColorMapedImage;
        if (h.PixelDepth == 8) kind = tpIndexed;
        break;
    case 2:
        type_ = rle ? ttRLETrueColorImage : ttTrueColorImage;
        if (h.PixelDepth == 15 || h.PixelDepth == 16) {
            kind = tp16, p = 2, depth_ = cd16bit;
        } else if (h.PixelDepth == 24) {
            kind = tp24, p = 3, depth_ = cd24bit;
        } else if (h.PixelDepth == 32) {
            kind = tp32, p = 4, depth_ = cd32bit, includeAlpha_ = true;
        }
        break;
    case 3:
        type_ = rle ? ttRLEBlackAndWhiteImage : ttBlackAndWhiteImage;
        // A grey file of 16 bits a pixel holds grey and alpha: the grey byte is taken.
        kind = tpGrey;
        p = h.PixelDepth == 16 ? 2 : 1;
        break;
    default: type_ = ttNoImageData; break;
    }

    const int w = h.Width, ht = h.Height;
    const std::size_t rowLength = static_cast<std::size_t>(w) * p;
    const std::size_t total = rowLength * static_cast<std::size_t>(ht);
    // The pixel data must be there before the image is allocated: plain data byte for byte, run-length
    // data at least one packet for every 128 pixels.
    if (kind != tpNone) {
        std::size_t packets = (static_cast<std::size_t>(w) * ht + 127) / 128;
        if (in.Remaining() < (rle ? packets * (1 + p) : total)) in.Truncated();
    }
    // A picture without pixel data is blank; a few header bytes must not ask for a huge one.
    constexpr std::int64_t MaxBlankPixels = std::int64_t(1) << 24;
    if (kind == tpNone && std::int64_t(w) * ht > MaxBlankPixels)
        in.Corrupt("no pixel data for a picture of " + std::to_string(w) + " x " + std::to_string(ht));
    TBitmap color(w, ht, pf32bit);
    TBitmap alpha;
    if (includeAlpha_) alpha = TBitmap(w, ht, pf32bit);

    std::vector<std::uint8_t> unpacked;
    const std::uint8_t* pixels = nullptr;
    if (kind != tpNone && rle) {
        // A packet that runs past a row's end carries on into the next row.
        unpacked.resize(total);
        std::size_t produced = 0;
        while (produced < total) {
            std::uint8_t header = *in.Bytes(1);
            std::size_t count = (header & 127u) + 1;
            std::size_t length = std::min(count * p, total - produced);
            if (header > 127) {
                const std::uint8_t* pixel = in.Bytes(p);
                for (std::size_t i = 0; i < length; i += p) std::memcpy(&unpacked[produced + i], pixel, p);
            } else {
                std::memcpy(&unpacked[produced], in.Bytes(count * p), length);
            }
            produced += length;
        }
        pixels = unpacked.data();
    } else if (kind != tpNone) {
        pixels = in.Bytes(total);
    }

    if (kind != tpNone && w > 0) {
        const bool topDown = (h.Descriptor & DescriptorTopDown) != 0;
        const bool mirrored = (h.Descriptor & DescriptorRightToLeft) != 0;
        // Mirrored rows are written from their right end backwards.
        const std::ptrdiff_t step = mirrored ? -4 : 4;
        const int startX = mirrored ? w - 1 : 0;
        for (int y = 0; y < ht; ++y) {
            const int row = topDown ? y : ht - 1 - y;
            const std::uint8_t* src = pixels + static_cast<std::size_t>(y) * rowLength;
            std::uint8_t* dst = color.ScanLine(row) + startX * 4;
            switch (kind) {
            case tpIndexed:
                for (int x = 0; x < w; ++x, dst += step) {
                    const TRGBQuad& q = palette_[src[x]];
                    dst[0] = q.rgbBlue, dst[1] = q.rgbGreen, dst[2] = q.rgbRed;
                }
                break;
            case tp16:
                for (int x = 0; x < w; ++x, src += 2, dst += step) Expand16Bit(dst, src);
                break;
            case tp24:
                for (int x = 0; x < w; ++x, src += 3, dst += step) dst[0] = src[0], dst[1] = src[1], dst[2] = src[2];
                break;
            case tp32: {
                std::uint8_t* a = alpha.ScanLine(row) + startX * 4;
                for (int x = 0; x < w; ++x, src += 4, dst += step, a += step) {
                    dst[0] = src[0], dst[1] = src[1], dst[2] = src[2];
                    a[0] = a[1] = a[2] = src[3];
                }
                break;
            }
            case tpGrey:
                for (int x = 0; x < w; ++x, src += p, dst += step) dst[0] = dst[1] = dst[2] = src[0];
                break;
            case tpNone: break;
            }
        }
    }
    color_ = std::move(color);
    alpha_ = std::move(alpha);
}

void DecodeTarga(const std::uint8_t* data, std::size_t size, TBitmap& target)
{
    TTarga targa;
    targa.LoadFromBytes(data, size);
    target.Assign(targa.ColorBitmap());
}
