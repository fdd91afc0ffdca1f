#include "imaging/IcoWriter.h"

#include "effects/PaintFX.h"
#include "imaging/Codecs.h"
#include "imaging/ImageIO.h"
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

void Put16(std::string& s, std::uint32_t v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& s, std::uint32_t v)
{
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

} // namespace

std::string IconFileBytes(const TBitmap& source)
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

    std::string colorBits(ColorRowBytes * IconSize, '\0');
    std::string maskBits(MaskRowBytes * IconSize, '\0');
    for (int y = 0; y < IconSize; ++y) {
        // Rows are stored bottom-up.
        char* colorRow = colorBits.data() + (IconSize - 1 - y) * ColorRowBytes;
        char* maskRow = maskBits.data() + (IconSize - 1 - y) * MaskRowBytes;
        for (int x = 0; x < IconSize; ++x) {
            TColor c = color[y * IconSize + x];
            if (transparent != clBlack && c == clBlack) c = MarkerColor;
            bool clear = c == transparent;
            bool black = clear || c == clBlack || c == MarkerColor;
            colorRow[x] = static_cast<char>(black ? blackIndex : index[y * IconSize + x]);
            if (clear) maskRow[x / 8] = static_cast<char>(maskRow[x / 8] | (0x80 >> (x % 8)));
        }
    }

    std::string file;
    Put16(file, 0); // reserved
    Put16(file, 1); // icon
    Put16(file, 1); // one image
    file += static_cast<char>(IconSize & 0xFF);
    file += static_cast<char>(IconSize & 0xFF);
    Put16(file, 1 * 8); // planes x bits a pixel
    Put16(file, 0);
    Put16(file, 0);
    Put32(file, ColorHeaderSize + static_cast<std::uint32_t>(colorBits.size() + maskBits.size()));
    Put32(file, ImageOffset);

    // The colour image's header carries the height of colour and mask together.
    Put32(file, 40);
    Put32(file, IconSize);
    Put32(file, 2 * IconSize);
    Put16(file, 1);
    Put16(file, 8);
    Put32(file, 0);
    Put32(file, static_cast<std::uint32_t>(colorBits.size()));
    for (int i = 0; i < 4; ++i) Put32(file, 0);
    for (const TRGBQuad& q : palette) {
        file += static_cast<char>(q.rgbBlue);
        file += static_cast<char>(q.rgbGreen);
        file += static_cast<char>(q.rgbRed);
        file += '\0';
    }
    return file + colorBits + maskBits;
}

bool SaveIconFile(const std::string& fileName, TBitmap& source)
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
    WriteImageFileBytes(fileName, IconFileBytes(source));
    return true;
}
