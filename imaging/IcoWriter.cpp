#include "effects/PaintFX.h"
#include "imaging/ByteStream.h"
#include "imaging/Codecs.h"
#include "platform/Errors.h"
#include "platform/UiServices.h"

#include <array>

namespace {

// Real black pixels carry this colour while the mask is made, so that they stay opaque when black
// stands for transparency; it is black again in the saved colour image.
constexpr TColor MarkerColor = 0xF8F9FA;

constexpr std::size_t ColorRowBytes = IconSize;                 // 8 bits a pixel, already a multiple of 4
constexpr std::size_t MaskRowBytes = (IconSize + 31) / 32 * 4; // 1 bit a pixel, padded to 4 bytes
constexpr std::uint32_t ColorHeaderSize = 40 + 4 * 256;
constexpr std::uint32_t ImageOffset = 22;

} // namespace

TImageBytes EncodeIcon(const TBitmap& source)
{
    TBitmap reduced;
    const TBitmap* picture = &source;
    if (source.PixelFormat() != pf8bit) {
        reduced.Assign(source);
        reduced.SetPixelFormat(pf8bit);
        picture = &reduced;
    }
    std::vector<TRGBQuad> palette = picture->Palette();
    palette.resize(256);
    std::array<TColor, 256> colors{};
    for (std::size_t i = 0; i < 256; ++i) colors[i] = QuadToColor(palette[i]);
    const auto blackIndex = static_cast<std::uint8_t>(NearestPaletteIndex(palette, 0, 0, 0));

    // The picture at icon size: what the source does not cover stays black, as a new bitmap is.
    std::array<std::uint8_t, IconSize * IconSize> index{};
    std::array<TColor, IconSize * IconSize> color{};
    for (int y = 0; y < IconSize; ++y)
        for (int x = 0; x < IconSize; ++x) {
            bool inside = x < picture->Width() && y < picture->Height();
            std::uint8_t i = inside ? picture->ScanLine(y)[x] : blackIndex;
            index[y * IconSize + x] = i;
            color[y * IconSize + x] = inside ? colors[i] : clBlack;
        }
    const TColor transparent = color[(IconSize - 1) * IconSize];

    std::vector<std::uint8_t> colorBits(ColorRowBytes * IconSize, 0);
    std::vector<std::uint8_t> maskBits(MaskRowBytes * IconSize, 0);
    for (int y = 0; y < IconSize; ++y) {
        // Rows are stored bottom-up.
        std::uint8_t* colorRow = colorBits.data() + (IconSize - 1 - y) * ColorRowBytes;
        std::uint8_t* maskRow = maskBits.data() + (IconSize - 1 - y) * MaskRowBytes;
        for (int x = 0; x < IconSize; ++x) {
            TColor c = color[y * IconSize + x];
            if (transparent != clBlack && c == clBlack) c = MarkerColor;
            bool clear = c == transparent;
            bool black = clear || c == clBlack || c == MarkerColor;
            colorRow[x] = black ? blackIndex : index[y * IconSize + x];
            if (clear) maskRow[x / 8] = static_cast<std::uint8_t>(maskRow[x / 8] | (0x80 >> (x % 8)));
        }
    }

    TByteWriter file;
    file.Put16(0); // reserved
    file.Put16(1); // icon
    file.Put16(1); // one image
    file.Put8(IconSize & 0xFF);
    file.Put8(IconSize & 0xFF);
    file.Put16(1 * 8); // planes x bits a pixel
    file.Put16(0);
    file.Put16(0);
    file.Put32(ColorHeaderSize + static_cast<std::uint32_t>(colorBits.size() + maskBits.size()));
    file.Put32(ImageOffset);

    // The colour image's header carries the height of colour and mask together.
    file.Put32(40);
    file.Put32(IconSize);
    file.Put32(2 * IconSize);
    file.Put16(1);
    file.Put16(8);
    file.Put32(0);
    file.Put32(static_cast<std::uint32_t>(colorBits.size()));
    for (int i = 0; i < 4; ++i) file.Put32(0);
    for (const TRGBQuad& q : palette) {
        const std::uint8_t entry[4] = {q.rgbBlue, q.rgbGreen, q.rgbRed, 0};
        file.PutBytes(entry, 4);
    }
    file.PutBytes(colorBits.data(), colorBits.size());
    file.PutBytes(maskBits.data(), maskBits.size());
    return file.Take();
}

bool PrepareIconSource(TBitmap& source)
{
    if (source.Width() != IconSize || source.Height() != IconSize) {
        if (!Ui().AskYesNo("Icon must be 32x32. Resize now?")) return false;
        TBitmap work;
        work.Assign(source);
        work.SetPixelFormat(pf24bit);
        TBitmap resized(IconSize, IconSize, pf24bit);
        TvekPaintFX().Stretch(work, resized, 3.0f, Lanczos3Filter);
        source.Assign(resized);
    }
    source.SetPixelFormat(pf8bit);
    return true;
}
