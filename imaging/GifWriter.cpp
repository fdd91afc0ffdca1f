#include "imaging/GifFile.h"

#include "imaging/GifLib.h"
#include "imaging/ImageIO.h"
#include "platform/Errors.h"

#include <array>

namespace {

// The pixels as one palette index a byte, with the palette padded to 256 entries so that every
// index a pixel can hold has a colour (black past the bitmap's own palette).
TBitmap IndexedImage(const TBitmap& source, const TReductionSettings& reduction)
{
    TBitmap image;
    switch (source.PixelFormat()) {
    case pf8bit: image = source; break;
    case pf1bit:
    case pf4bit: {
        image = TBitmap(source.Width(), source.Height(), pf8bit);
        const bool one = source.PixelFormat() == pf1bit;
        for (int y = 0; y < source.Height(); ++y) {
            const std::uint8_t* s = source.ScanLine(y);
            std::uint8_t* d = image.ScanLine(y);
            for (int x = 0; x < source.Width(); ++x)
                d[x] = static_cast<std::uint8_t>(one ? (s[x >> 3] >> (7 - (x & 7))) & 1
                                                     : (x & 1) ? s[x >> 1] & 15 : s[x >> 1] >> 4);
        }
        break;
    }
    default: image = ReduceBitmapColors(source, reduction); break;
    }
    if (image.PixelFormat() != pf8bit) throw EvekImageError("GIF images need a palette reduction.");
    std::vector<TRGBQuad> palette = source.PixelFormat() <= pf8bit ? source.Palette() : image.Palette();
    palette.resize(256);
    image.SetPalette(palette);
    return image;
}

} // namespace

void OptimizeColorMap(TBitmap& image)
{
    std::array<bool, 256> used{};
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint8_t* row = image.ScanLine(y);
        for (int x = 0; x < image.Width(); ++x) used[row[x]] = true;
    }
    std::array<std::uint8_t, 256> newIndex{};
    std::vector<TRGBQuad> palette;
    const auto& old = image.Palette();
    for (int i = 0; i < 256; ++i) {
        if (!used[i]) continue;
        newIndex[i] = static_cast<std::uint8_t>(palette.size());
        palette.push_back(i < static_cast<int>(old.size()) ? old[i] : TRGBQuad{});
    }
    for (int y = 0; y < image.Height(); ++y) {
        std::uint8_t* row = image.ScanLine(y);
        for (int x = 0; x < image.Width(); ++x) row[x] = newIndex[row[x]];
    }
    image.SetPalette(palette);
}

std::vector<std::uint8_t> EncodeGif(const TBitmap& source, bool transparent, const TReductionSettings& reduction)
{
    if (source.Empty()) throw EvekImageError("An empty image cannot be written as GIF.");
    if (source.Width() > 0xFFFF || source.Height() > 0xFFFF)
        throw EvekImageError("GIF images cannot be wider or higher than 65535 pixels.");
    TBitmap image = IndexedImage(source, reduction);
    OptimizeColorMap(image);

    std::vector<GifColorType> colors;
    for (const TRGBQuad& q : image.Palette()) colors.push_back(GifColorType{q.rgbRed, q.rgbGreen, q.rgbBlue});
    const TGifColorMap map = MakeGifColorMap(colors.data(), static_cast<int>(colors.size()));

    TGifEncoder gif;
    gif.ScreenDesc(image.Width(), image.Height(), map.get());
    if (transparent) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.TransparentColor = image.ScanLine(image.Height() - 1)[0];
        std::vector<GifByteType> block(4);
        EGifGCBToExtension(&control, block.data());
        gif.Extension(GRAPHICS_EXT_FUNC_CODE, block);
    }
    gif.ImageDesc(image.Width(), image.Height());
    for (int y = 0; y < image.Height(); ++y) gif.Line(image.ScanLine(y), image.Width());
    return gif.Close();
}

void SaveGifFile(const std::string& fileName, const TBitmap& source, bool transparent)
{
    WriteImageFileBytes(fileName, EncodeGif(source, transparent));
}
