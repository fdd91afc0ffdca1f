#include "imaging/Codecs.h"
#include "imaging/JpegLib.h"
#include "platform/Errors.h"

namespace {

// A JPEG cannot describe more than this many pixels per byte of file, even for a flat picture;
// a header that claims more comes from a cut or forged file, and is refused before the library
// allocates the whole image (progressive files allocate it at the start).
constexpr std::int64_t kMaxPixelsPerByte = 8192;

constexpr unsigned kRowBatch = 16;

// CMYK rows to blue, green, red. Adobe writes the inks inverted (0 = full ink), which is what the
// library hands out for both CMYK and YCCK files that carry its marker.
void CmykRowToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted)
{
    for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        }
        bgr[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
        bgr[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        bgr[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
    }
}

} // namespace

void DecodeJpeg(const std::uint8_t* data, std::size_t size, TBitmap& target)
{
    TJpegDecompressor jpeg(data, size);
    jpeg_decompress_struct& info = jpeg.Info();
    TBitmap::CheckDimensions(info.image_width, info.image_height);
    if (std::int64_t(info.image_width) * info.image_height > std::int64_t(size) * kMaxPixelsPerByte)
        throw EvekImageError("JPEG file is truncated.");

    const bool gray = info.jpeg_color_space == JCS_GRAYSCALE;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = gray ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg.Start();

    const int width = static_cast<int>(info.output_width), height = static_cast<int>(info.output_height);
    TBitmap image = TBitmap::ForOverwrite(width, height, gray ? pf8bit : pf24bit);
    if (gray) image.SetPalette(GrayPalette256());
    std::vector<std::uint8_t> cmykRows;
    if (cmyk) cmykRows.resize(std::size_t(width) * 4 * kRowBatch);

    std::uint8_t* rows[kRowBatch];
    while (info.output_scanline < info.output_height) {
        const int y0 = static_cast<int>(info.output_scanline);
        const unsigned batch = std::min<unsigned>(kRowBatch, info.output_height - info.output_scanline);
        for (unsigned i = 0; i < batch; ++i)
            rows[i] = cmyk ? cmykRows.data() + std::size_t(i) * width * 4 : image.ScanLine(y0 + static_cast<int>(i));
        const unsigned got = jpeg.ReadRows(rows, batch);
        if (cmyk)
            for (unsigned i = 0; i < got; ++i)
                CmykRowToBgr(rows[i], image.ScanLine(y0 + static_cast<int>(i)), width, info.saw_Adobe_marker);
    }
    jpeg.Finish();
    target = std::move(image);
}
