#include "imaging/Codecs.h"
#include "imaging/GifLib.h"
#include "platform/Errors.h"

#include <algorithm>
#include <cstring>

namespace {

// LZW codes are at least a few bits and stand for at most 4096 pixels; a frame that claims more
// pixels than that per byte of file cannot be there, and is refused before allocating for it.
constexpr std::int64_t kMaxPixelsPerByte = 4096;

void ReadFrameRows(TGifDecoder& gif, TBitmap& screen, int left, int top, int width, int height, bool interlaced)
{
    static constexpr int passStart[4] = {0, 4, 2, 1};
    static constexpr int passStep[4] = {8, 8, 4, 2};
    if (!interlaced) {
        for (int y = 0; y < height; ++y) gif.Line(screen.ScanLine(top + y) + left, width);
        return;
    }
    for (int pass = 0; pass < 4; ++pass)
        for (int y = passStart[pass]; y < height; y += passStep[pass]) gif.Line(screen.ScanLine(top + y) + left, width);
}

} // namespace

void DecodeGif(const std::uint8_t* data, std::size_t size, TBitmap& target)
{
    TGifDecoder gif(data, size);
    int transparentIndex = -1;
    for (;;) {
        const GifRecordType type = gif.RecordType();
        if (type == TERMINATE_RECORD_TYPE) throw EvekImageError("GIF file holds no image.");
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            for (GifByteType* block = gif.Extension(code); block; block = gif.ExtensionNext()) {
                // Only the graphic control extension before the first frame matters to it.
                if (code == GRAPHICS_EXT_FUNC_CODE && block[0] >= 4) transparentIndex = (block[1] & 1) ? block[4] : -1;
                code = 0;
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) continue;

        gif.ImageDesc();
        const GifImageDesc& frame = gif->Image;
        const std::int64_t left = frame.Left, top = frame.Top, width = frame.Width, height = frame.Height;
        // A frame that reaches past the logical screen widens it, as viewers show such files.
        const std::int64_t screenWidth = std::max<std::int64_t>(gif->SWidth, left + width);
        const std::int64_t screenHeight = std::max<std::int64_t>(gif->SHeight, top + height);
        TBitmap::CheckDimensions(screenWidth, screenHeight);
        if (screenWidth == 0 || screenHeight == 0) throw EvekImageError("GIF file is corrupt: the image has no pixels.");
        if (width * height > std::int64_t(size) * kMaxPixelsPerByte) throw EvekImageError("GIF file is truncated.");

        const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
        std::vector<TRGBQuad> palette;
        if (map) {
            const int count = std::clamp(map->ColorCount, 0, 256);
            for (int i = 0; i < count; ++i)
                palette.push_back(TRGBQuad{map->Colors[i].Blue, map->Colors[i].Green, map->Colors[i].Red, 0});
        } else {
            palette = GrayPalette256(); // no colour map at all: viewers show the indices as greys
        }

        TBitmap screen(static_cast<int>(screenWidth), static_cast<int>(screenHeight), pf8bit);
        screen.SetPalette(palette);
        const int fill = transparentIndex >= 0 ? transparentIndex : gif->SBackGroundColor;
        if (width < screenWidth || height < screenHeight)
            std::memset(screen.Bits(), fill, static_cast<std::size_t>(screen.RowBytes()) * screen.Height());
        ReadFrameRows(gif, screen, static_cast<int>(left), static_cast<int>(top), static_cast<int>(width),
                      static_cast<int>(height), frame.Interlace);
        if (transparentIndex >= 0) {
            screen.SetTransparent(true);
            if (transparentIndex < static_cast<int>(palette.size()))
                screen.SetTransparentColor(QuadToColor(palette[transparentIndex]));
        }
        target = std::move(screen);
        return;
    }
}
