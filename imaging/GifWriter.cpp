#include "imaging/GifFile.h"

#include "imaging/GifImage.h"
#include "imaging/GifLib.h"
#include "imaging/ImageIO.h"
#include "platform/Errors.h"

#include <algorithm>
#include <array>

namespace {

// Pixels of a 1- to 8-bit bitmap as one palette index a byte.
TBitmap UnpackedIndices(const TBitmap& source)
{
    if (source.PixelFormat() == pf8bit) return source;
    TBitmap image(source.Width(), source.Height(), pf8bit);
    const bool one = source.PixelFormat() == pf1bit;
    for (int y = 0; y < source.Height(); ++y) {
        const std::uint8_t* s = source.ScanLine(y);
        std::uint8_t* d = image.ScanLine(y);
        for (int x = 0; x < source.Width(); ++x)
            d[x] = static_cast<std::uint8_t>(one ? (s[x >> 3] >> (7 - (x & 7))) & 1
                                                 : (x & 1) ? s[x >> 1] & 15 : s[x >> 1] >> 4);
    }
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

TGIFImage::TGIFImage() : reduction_(ReductionSettings()) {}

TGIFImage::TGIFImage(const TReductionSettings& reduction) : reduction_(reduction) {}

void TGIFImage::Assign(const TBitmap& source)
{
    if (source.PixelFormat() > pf8bit) {
        TReductionProgress progress;
        if (OnProgress) progress = [this](int percent) { OnProgress(psRunning, percent); };
        TBitmap image = ReduceBitmapColors(source, reduction_, progress);
        if (image.PixelFormat() != pf8bit) throw EvekImageError("GIF images need a palette reduction.");
        frame_ = std::move(image);
        return;
    }
    TBitmap image = UnpackedIndices(source);
    // Every index a pixel holds needs a colour: black past the bitmap's own palette.
    std::size_t colors = source.Palette().size();
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint8_t* row = image.ScanLine(y);
        for (int x = 0; x < image.Width(); ++x) colors = std::max<std::size_t>(colors, row[x] + 1u);
    }
    std::vector<TRGBQuad> palette = source.Palette();
    palette.resize(std::min<std::size_t>(colors, 256));
    image.SetPalette(palette);
    frame_ = std::move(image);
}

int TGIFImage::BottomLeftIndex() const
{
    return frame_.Empty() ? 0 : frame_.ScanLine(frame_.Height() - 1)[0];
}

void TGIFImage::AddGraphicControlExtension(bool transparent, int transparentIndex)
{
    control_ = true;
    transparent_ = transparent;
    transparentIndex_ = transparentIndex;
}

void TGIFImage::OptimizeColorMap() { ::OptimizeColorMap(frame_); }

std::vector<std::uint8_t> TGIFImage::SaveToBytes() const
{
    if (frame_.Empty()) throw EvekImageError("An empty image cannot be written as GIF.");
    if (frame_.Width() > 0xFFFF || frame_.Height() > 0xFFFF)
        throw EvekImageError("GIF images cannot be wider or higher than 65535 pixels.");
    if (OnProgress) OnProgress(psStarting, 0);

    std::vector<GifColorType> colors;
    for (const TRGBQuad& q : frame_.Palette()) colors.push_back(GifColorType{q.rgbRed, q.rgbGreen, q.rgbBlue});
    const TGifColorMap map = MakeGifColorMap(colors.data(), static_cast<int>(colors.size()));

    TGifEncoder gif;
    gif.ScreenDesc(frame_.Width(), frame_.Height(), map.get());
    if (control_) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.TransparentColor = transparent_ ? transparentIndex_ : NO_TRANSPARENT_COLOR;
        std::vector<GifByteType> block(4);
        EGifGCBToExtension(&control, block.data());
        gif.Extension(GRAPHICS_EXT_FUNC_CODE, block);
    }
    gif.ImageDesc(frame_.Width(), frame_.Height());
    int reported = -1;
    for (int y = 0; y < frame_.Height(); ++y) {
        // giflib takes the row as writable; it does not change it.
        gif.Line(const_cast<std::uint8_t*>(frame_.ScanLine(y)), frame_.Width());
        const int percent = static_cast<int>((y + 1) * std::int64_t(100) / frame_.Height());
        if (OnProgress && percent != reported) OnProgress(psRunning, reported = percent);
    }
    std::vector<std::uint8_t> bytes = gif.Close();
    if (OnProgress) OnProgress(psEnding, 100);
    return bytes;
}

std::vector<std::uint8_t> EncodeGif(const TBitmap& source, bool transparent, const TReductionSettings& reduction)
{
    TGIFImage gif(reduction);
    gif.Assign(source);
    gif.OptimizeColorMap();
    if (transparent) gif.AddGraphicControlExtension(true, gif.BottomLeftIndex());
    return gif.SaveToBytes();
}

void SaveGifFile(const std::string& fileName, const TBitmap& source, bool transparent)
{
    WriteImageFileBytes(fileName, EncodeGif(source, transparent));
}

std::vector<std::uint8_t> EncodeOptimizedGif(const TBitmap& source, const TReductionSettings& reduction,
                                             bool transparent, const TGifProgressEvent& progress)
{
    TGIFImage gif(reduction);
    gif.OnProgress = progress;
    gif.Assign(source);
    gif.AddGraphicControlExtension(transparent, transparent ? gif.BottomLeftIndex() : 0);
    return gif.SaveToBytes();
}
