#include "DispatchTestTools.h"

#include "imaging/Codecs.h"

#include "tests/common/TestFiles.h"

#include <cstring>

namespace {

struct TBmpFixture {
    const char* name;
    const char* magickArgs; // after "convert -size 37x23"
    TPixelFormat format;
    std::size_t optionalTail; // bytes at the end a decoder may do without (row padding, end marker)
};

// Files ImageMagick writes in every layout we read, decoded by both sides.
const TBmpFixture kFixtures[] = {
    {"1-bit", "pattern:checkerboard -type bilevel BMP3:", pf1bit, 3},
    {"4-bit", "gradient:red-blue -colors 12 -compress None BMP3:", pf4bit, 1},
    {"8-bit", "gradient:red-blue -type Palette -compress None BMP3:", pf8bit, 3},
    {"RLE8", "gradient:red-blue -type Palette -compress RLE BMP3:", pf8bit, 2},
    {"24-bit", "gradient:red-blue -type TrueColor BMP3:", pf24bit, 1},
    {"32-bit with alpha", "gradient:red-blue -alpha set -channel A -fx i/w BMP:", pf32bit, 0},
    {"16-bit 5-6-5", "gradient:red-blue -define bmp:subtype=RGB565 BMP:", pf16bit, 2},
    {"16-bit 5-5-5", "gradient:red-blue -define bmp:subtype=RGB555 BMP:", pf15bit, 2},
    {"OS/2 24-bit", "gradient:red-blue -type TrueColor BMP2:", pf24bit, 1},
    {"OS/2 8-bit", "gradient:green-yellow -type Palette BMP2:", pf8bit, 3},
};

class BmpFixtureTest : public ::testing::TestWithParam<TBmpFixture> {};

TEST_P(BmpFixtureTest, DecodesLikeImageMagickAndRefusesEveryCut)
{
    REQUIRE_MAGICK();
    const TBmpFixture& f = GetParam();
    TTempDir dir;
    const std::string file = dir.File("x.bmp");
    Magick(std::string("-size 37x23 ") + f.magickArgs + Quote(file));

    TBitmap bmp;
    LoadFile(file, bmp);
    EXPECT_EQ(bmp.Width(), 37);
    EXPECT_EQ(bmp.Height(), 23);
    EXPECT_EQ(bmp.PixelFormat(), f.format);
    EXPECT_EQ(MaxDifference(BitmapRgb(bmp), MagickPixels(file)), 0);

    const auto bytes = Bytes(ReadWholeFile(file));
    ExpectEveryTruncationThrows(
        bytes, [](const std::uint8_t* p, std::size_t n) { TBitmap b; DecodeBmp(p, n, b); }, f.optionalTail);
}

INSTANTIATE_TEST_SUITE_P(Layouts, BmpFixtureTest, ::testing::ValuesIn(kFixtures),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& c : n)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return n;
                         });

// A bitmap filled with a pattern that uses every bit of every pixel.
TBitmap PatternBitmap(int w, int h, TPixelFormat format)
{
    TBitmap bmp(w, h, format);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = bmp.ScanLine(y);
        for (int i = 0; i < bmp.RowBytes(); ++i) row[i] = static_cast<std::uint8_t>(y * 31 + i * 7 + (i * i) / 3);
    }
    if (format == pf15bit) // the top bit of a 5-5-5 pixel is not stored
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) bmp.ScanLine(y)[2 * x + 1] &= 0x7F;
    return bmp;
}

TEST(BmpCodecTest, EveryFormatSurvivesItsOwnRoundTripAndImageMagickAgrees)
{
    TTempDir dir;
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
        SCOPED_TRACE(TBitmap::BitsPerPixel(format));
        TBitmap source = PatternBitmap(13, 7, format);
        if (format == pf8bit) source.SetPalette(std::vector<TRGBQuad>(200, TRGBQuad{1, 2, 3, 0}));
        const std::string file = dir.File("rt.bmp");
        WriteImageFileBytes(file, EncodeBmp(source));
        TBitmap back;
        LoadFile(file, back);
        EXPECT_TRUE(back == source);
        EXPECT_EQ(back.Palette(), source.Palette());
        if (HaveMagick() && format != pf8bit) {
            EXPECT_EQ(MaxDifference(BitmapRgb(source), MagickPixels(file)), 0);
        }
    }
}

TEST(BmpCodecTest, APaletteImageWithoutPaletteIsWrittenBlackNotWithAllEntriesImplied)
{
    TTempDir dir;
    TBitmap source = PatternBitmap(6, 3, pf4bit);
    source.SetPalette({});
    WriteImageFileBytes(dir.File("e.bmp"), EncodeBmp(source));
    TBitmap back;
    LoadFile(dir.File("e.bmp"), back);
    EXPECT_EQ(back.Palette(), std::vector<TRGBQuad>(16));
    EXPECT_EQ(BitmapRgb(back), BitmapRgb(source));
}

// A BITMAPINFOHEADER file around given pixel bytes, for layouts no tool writes.
std::vector<std::uint8_t> MakeBmp(int width, int height, int bits, std::uint32_t compression,
                                  const std::vector<TRGBQuad>& palette, const std::vector<std::uint8_t>& pixels)
{
    std::vector<std::uint8_t> out;
    auto put = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) out.push_back(i < 4 ? static_cast<std::uint8_t>(v >> (8 * i)) : 0);
    };
    const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(palette.size()) * 4;
    out.push_back('B');
    out.push_back('M');
    put(offset + static_cast<std::uint32_t>(pixels.size()), 4);
    put(0, 4);
    put(offset, 4);
    put(40, 4);
    put(static_cast<std::uint32_t>(width), 4);
    put(static_cast<std::uint32_t>(height), 4);
    put(1, 2);
    put(static_cast<std::uint32_t>(bits), 2);
    put(compression, 4);
    put(static_cast<std::uint32_t>(pixels.size()), 4);
    put(0, 8);
    put(static_cast<std::uint32_t>(palette.size()), 4);
    put(0, 4);
    for (const auto& q : palette) out.insert(out.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

std::vector<int> Indices(const TBitmap& bmp)
{
    std::vector<int> out;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) out.push_back(bmp.GetPixelIndex(x, y));
    return out;
}

const std::vector<TRGBQuad> kPalette16(16, TRGBQuad{});

TEST(BmpCodecTest, Rle8EscapesAndRowClipping)
{
    // 6 x 3, bottom row first. Row 0 (bottom): run of 3 x 5, absolute 3 bytes (padded), end of line.
    // Row 1: delta (+2, +0) then run of 9 x 7 that overruns the row and is clipped, end of line.
    // Row 2: run of 2 x 9, end of bitmap; the rest keeps index 0.
    const std::vector<std::uint8_t> rle = {3, 5, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 0, 9, 7, 0, 0, 2, 9, 0, 1};
    TBitmap bmp;
    const auto file = MakeBmp(6, 3, 8, 1, std::vector<TRGBQuad>(10), rle);
    DecodeBmp(file.data(), file.size(), bmp);
    ASSERT_EQ(bmp.PixelFormat(), pf8bit);
    EXPECT_EQ(Indices(bmp), (std::vector<int>{9, 9, 0, 0, 0, 0, /**/ 0, 0, 7, 7, 7, 7, /**/ 5, 5, 5, 1, 2, 3}));
}

TEST(BmpCodecTest, Rle4AlternatesNibblesAndPadsAbsoluteGroups)
{
    // 6 x 2: bottom row: run of 3 alternating 1,2; absolute 3 pixels 3 4 5 in 2 bytes; end of
    // line. Top row: absolute 5 pixels 5 6 7 8 9 in 3 bytes + 1 pad byte; end of bitmap.
    const std::vector<std::uint8_t> rle = {3, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 5, 0x56, 0x78, 0x90, 0, 0, 1};
    TBitmap bmp;
    const auto file = MakeBmp(6, 2, 4, 2, kPalette16, rle);
    DecodeBmp(file.data(), file.size(), bmp);
    ASSERT_EQ(bmp.PixelFormat(), pf4bit);
    EXPECT_EQ(Indices(bmp), (std::vector<int>{5, 6, 7, 8, 9, 0, /**/ 1, 2, 1, 3, 4, 5}));
}

TEST(BmpCodecTest, TopDownRowsAreNotFlipped)
{
    // 2 x 2, 8 bits, negative height: first stored row is the top.
    auto file = MakeBmp(2, -2, 8, 0, std::vector<TRGBQuad>(4), {1, 2, 0, 0, 3, 0, 0, 0});
    TBitmap bmp;
    DecodeBmp(file.data(), file.size(), bmp);
    EXPECT_EQ(Indices(bmp), (std::vector<int>{1, 2, 3, 0}));
    // Run-length data cannot be top-down.
    file = MakeBmp(2, -2, 8, 1, std::vector<TRGBQuad>(4), {0, 1});
    EXPECT_THROW(DecodeBmp(file.data(), file.size(), bmp), EvekImageError);
}

TEST(BmpCodecTest, HostileHeadersAreRefusedBeforeAllocating)
{
    TBitmap bmp(3, 3, pf24bit);
    const TBitmap before(bmp);
    auto refuse = [&](const std::vector<std::uint8_t>& file, const char* why) {
        EXPECT_THROW(DecodeBmp(file.data(), file.size(), bmp), EvekImageError) << why;
        EXPECT_TRUE(bmp == before) << why;
    };
    refuse(MakeBmp(10000, 10000, 24, 0, {}, {1, 2, 3}), "dimensions far beyond the data");
    refuse(MakeBmp(1 << 21, 1, 24, 0, {}, {1, 2, 3}), "side above the limit");
    refuse(MakeBmp(0, 5, 24, 0, {}, {}), "no width");
    refuse(MakeBmp(-4, 5, 24, 0, {}, {}), "negative width");
    refuse(MakeBmp(2, 2, 7, 0, {}, std::vector<std::uint8_t>(64)), "unknown depth");
    refuse(MakeBmp(2, 2, 24, 4, {}, std::vector<std::uint8_t>(64)), "embedded JPEG");
    refuse(MakeBmp(2, 2, 24, 1, {}, std::vector<std::uint8_t>(64)), "run lengths on 24 bits");
    refuse(MakeBmp(4, 1 << 20, 8, 1, std::vector<TRGBQuad>(2), {0, 0}), "run-length data that ends early");

    auto file = MakeBmp(2, 2, 8, 0, std::vector<TRGBQuad>(4), std::vector<std::uint8_t>(8));
    file[46] = 0xFF, file[47] = 0xFF, file[48] = 0xFF, file[49] = 0x7F; // colours used far beyond the file
    file[10] = 0, file[11] = 0;                                          // and no pixel offset
    refuse(file, "palette count beyond the file");
    file = MakeBmp(2, 2, 24, 0, {}, std::vector<std::uint8_t>(16));
    file[10] = 0xF0, file[11] = 0xFF, file[12] = 0xFF; // pixel offset past the end
    refuse(file, "pixel offset past the end");
    file[14] = 200; // unknown header size
    refuse(file, "header size");
    refuse({'B', 'A', 0, 0}, "signature");
}

} // namespace
