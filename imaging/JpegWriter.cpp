#include "imaging/JpegFile.h"

#include "imaging/ImageIO.h"
#include "imaging/JpegLib.h"

#include <algorithm>

namespace {

constexpr unsigned kRowBatch = 16;

bool IsGrayPalette(const TBitmap& bmp)
{
    if (bmp.PixelFormat() != pf8bit || bmp.Palette().empty()) return false;
    return std::all_of(bmp.Palette().begin(), bmp.Palette().end(), [](const TRGBQuad& q) {
        return q.rgbRed == q.rgbGreen && q.rgbGreen == q.rgbBlue;
    });
}

} // namespace

std::vector<std::uint8_t> EncodeJpeg(const TBitmap& source, int quality, bool grayscale)
{
    const bool gray = IsGrayPalette(source);
    // 24- and 32-bit rows go to the library as they are; other formats through a 24-bit copy.
    TBitmap converted;
    const TBitmap* bmp = gray ? &source : &AsTrueColor(source, converted);

    TJpegCompressor jpeg;
    jpeg_compress_struct& info = jpeg.Info();
    info.image_width = static_cast<JDIMENSION>(bmp->Width());
    info.image_height = static_cast<JDIMENSION>(bmp->Height());
    info.input_components = gray ? 1 : bmp->PixelFormat() == pf32bit ? 4 : 3;
    info.in_color_space = gray ? JCS_GRAYSCALE : bmp->PixelFormat() == pf32bit ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg.Start(std::clamp(quality, 1, 100), grayscale);

    std::uint8_t grayLevel[256] = {};
    std::vector<std::uint8_t> grayRows;
    if (gray) {
        const auto& pal = bmp->Palette();
        for (std::size_t i = 0; i < pal.size(); ++i) grayLevel[i] = pal[i].rgbRed;
        grayRows.resize(std::size_t(bmp->Width()) * kRowBatch);
    }
    std::uint8_t* rows[kRowBatch];
    for (int y0 = 0; y0 < bmp->Height(); y0 += kRowBatch) {
        const unsigned batch = std::min<unsigned>(kRowBatch, static_cast<unsigned>(bmp->Height() - y0));
        for (unsigned i = 0; i < batch; ++i) {
            const std::uint8_t* src = bmp->ScanLine(y0 + static_cast<int>(i));
            if (gray) {
                std::uint8_t* dst = grayRows.data() + std::size_t(i) * bmp->Width();
                for (int x = 0; x < bmp->Width(); ++x) dst[x] = grayLevel[src[x]];
                rows[i] = dst;
            } else {
                // The library only reads input rows.
                rows[i] = const_cast<std::uint8_t*>(src);
            }
        }
        jpeg.WriteRows(rows, batch);
    }
    return jpeg.Finish();
}

void SaveJpegFile(const std::string& fileName, const TBitmap& source, int quality)
{
    WriteImageFileBytes(fileName, EncodeJpeg(source, quality));
}
