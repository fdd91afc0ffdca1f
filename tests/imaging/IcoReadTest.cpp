#include "DispatchTestTools.h"

#include "imaging/Codecs.h"

#include "imaging/ImageIO.h"
#include "tests/common/TestFiles.h"

namespace {

void Put(std::vector<std::uint8_t>& out, std::uint32_t v, int n)
{
    for (int i = 0; i < n; ++i) out.push_back(i < 4 ? static_cast<std::uint8_t>(v >> (8 * i)) : 0);
}

// An icon image: BITMAPINFOHEADER with the doubled height, palette, colour rows and AND mask rows,
// both bottom-up and padded to 4 bytes. colours(x, y) gives the stored value of a pixel.
std::vector<std::uint8_t> IconDib(int w, int h, int bits, const std::vector<TRGBQuad>& palette,
                                  const std::function<std::uint32_t(int, int)>& colours,
                                  const std::function<bool(int, int)>& masked)
{
    std::vector<std::uint8_t> out;
    Put(out, 40, 4);
    Put(out, static_cast<std::uint32_t>(w), 4);
    Put(out, static_cast<std::uint32_t>(2 * h), 4);
    Put(out, 1, 2);
    Put(out, static_cast<std::uint32_t>(bits), 2);
    Put(out, 0, 4 * 6);
    for (const auto& q : palette) out.insert(out.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
    const int rowBytes = (w * bits + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
        for (int x = 0; x < w; ++x) {
            const std::uint32_t v = colours(x, y);
            if (bits == 4) row[x / 2] |= static_cast<std::uint8_t>(x % 2 ? v : v << 4);
            else if (bits == 8) row[x] = static_cast<std::uint8_t>(v);
            else
                for (int b = 0; b < bits / 8; ++b) row[x * bits / 8 + b] = static_cast<std::uint8_t>(v >> (8 * b));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    const int maskBytes = (w + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(maskBytes));
        for (int x = 0; x < w; ++x)
            if (masked(x, y)) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<std::uint8_t> IconFile(const std::vector<std::vector<std::uint8_t>>& images)
{
    std::vector<std::uint8_t> out;
    Put(out, 0, 2);
    Put(out, 1, 2);
    Put(out, static_cast<std::uint32_t>(images.size()), 2);
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (const auto& image : images) {
        Put(out, 0, 8); // sizes and depth: the reader trusts the image's own header
        Put(out, static_cast<std::uint32_t>(image.size()), 4);
        Put(out, offset, 4);
        offset += static_cast<std::uint32_t>(image.size());
    }
    for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}

const std::vector<TRGBQuad> kColours16 = [] {
    std::vector<TRGBQuad> p(16);
    for (int i = 0; i < 16; ++i) p[i] = TRGBQuad{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(16 * i), 200, 0};
    return p;
}();

TEST(IcoReadTest, PicksTheLargestThenDeepestImage)
{
    auto index = [](int x, int y) { return std::uint32_t((x + y) % 16); };
    auto none = [](int, int) { return false; };
    const auto small4 = IconDib(8, 8, 4, kColours16, index, none);
    const auto big4 = IconDib(16, 16, 4, kColours16, index, none);
    const auto big24 = IconDib(16, 16, 24, {}, [](int x, int y) { return std::uint32_t(x * 10 + (y * 10 << 8)); }, none);
    const auto file = IconFile({small4, big4, big24, small4});
    const TBitmap icon = DecodeIcon(file.data(), file.size());
    ASSERT_EQ(icon.Width(), 16);
    EXPECT_EQ(icon.GetPixel(3, 5), RGB(0, 50, 30)) << "the 24-bit image of the two 16 x 16 ones";
}

TEST(IcoReadTest, MaskedPixelsLetTheTargetShowThroughInItsOwnFormat)
{
    // 4 x 3, 4 bits: the left column is masked out.
    const auto file = IconFile({IconDib(4, 3, 4, kColours16, [](int x, int) { return std::uint32_t(x + 1); },
                                        [](int x, int) { return x == 0; })});
    TTempDir dir;
    WriteWholeFile(dir.File("m.ico"), std::string(file.begin(), file.end()));

    TBitmap target(6, 5, pf24bit);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) target.SetPixel(x, y, RGB(1, 2, 3));
    TImageFileSettings settings;
    LoadImageFile(dir.File("m.ico"), target, settings);
    ASSERT_EQ(target.Width(), 4);
    ASSERT_EQ(target.Height(), 3);
    EXPECT_EQ(target.PixelFormat(), pf24bit);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(target.GetPixel(0, y), RGB(1, 2, 3)) << "masked: the old pixel stays";
        for (int x = 1; x < 4; ++x) EXPECT_EQ(target.GetPixel(x, y), QuadToColor(kColours16[x + 1]));
    }

    // A palette target keeps its format; colours are mapped to its palette.
    TBitmap paletted(2, 2, pf8bit);
    LoadImageFile(dir.File("m.ico"), paletted, settings);
    EXPECT_EQ(paletted.PixelFormat(), pf8bit);
    EXPECT_EQ(paletted.Width(), 4);
}

TEST(IcoReadTest, AlphaIconsBlendOverTheTarget)
{
    // 2 x 1, 32 bits: opaque red, half-transparent blue.
    const auto file = IconFile({IconDib(2, 1, 32, {}, [](int x, int) { return x == 0 ? 0xFFFF0000u : 0x800000FFu; },
                                        [](int, int) { return true; })});
    TBitmap target(2, 1, pf24bit);
    target.SetPixel(0, 0, clWhite);
    target.SetPixel(1, 0, clWhite);
    DrawIcon(DecodeIcon(file.data(), file.size()), target);
    EXPECT_EQ(target.GetPixel(0, 0), clRed);
    EXPECT_EQ(target.GetPixel(1, 0), RGB(127, 127, 255));
}

TEST(IcoReadTest, ImageMagickIconsDecodeAlike)
{
    REQUIRE_MAGICK();
    TTempDir dir;
    for (const char* args : {"-size 16x16 gradient:red-blue -type Palette", "-size 24x24 plasma:fractal -seed 2",
                             "-size 48x48 gradient:red-blue -define icon:auto-resize=16,32,48",
                             "-size 256x256 gradient:red-blue"}) { // the last is stored as PNG
        SCOPED_TRACE(args);
        const std::string file = dir.File("i.ico");
        Magick(std::string(args) + " " + Quote(file));
        const auto bytes = Bytes(ReadWholeFile(file));
        const TBitmap icon = DecodeIcon(bytes.data(), bytes.size());
        // ImageMagick's first image is the first entry; compare with the largest one it holds.
        const std::string scene = Identify("%s %w\n", file);
        int best = 0, bestWidth = 0;
        for (std::size_t pos = 0; pos < scene.size();) {
            int s = 0, w = 0;
            sscanf(scene.c_str() + pos, "%d %d", &s, &w);
            if (w > bestWidth) best = s, bestWidth = w;
            pos = scene.find('\n', pos) + 1;
            if (pos == 0) break;
        }
        ASSERT_EQ(icon.Width(), bestWidth);
        const auto rgba = MagickPixels(file + "[" + std::to_string(best) + "]", "rgba");
        ASSERT_EQ(rgba.size(), std::size_t(icon.Width()) * icon.Height() * 4);
        for (int y = 0, i = 0; y < icon.Height(); ++y)
            for (int x = 0; x < icon.Width(); ++x, i += 4) {
                const std::uint8_t* p = icon.ScanLine(y) + 4 * x;
                ASSERT_EQ(p[3], rgba[i + 3]) << x << "," << y;
                if (p[3]) {
                    ASSERT_EQ((std::vector<int>{p[2], p[1], p[0]}), (std::vector<int>{rgba[i], rgba[i + 1], rgba[i + 2]}));
                }
            }
        ExpectEveryTruncationThrows(bytes, [](const std::uint8_t* p, std::size_t n) { DecodeIcon(p, n); });
    }
}

TEST(IcoReadTest, DamagedFilesAreRefused)
{
    auto refuse = [](std::vector<std::uint8_t> file, const char* why) {
        EXPECT_THROW(DecodeIcon(file.data(), file.size()), EvekImageError) << why;
    };
    refuse({0, 0, 1, 0, 0, 0}, "no images");
    refuse({0, 0, 7, 0, 1, 0}, "wrong type");
    refuse({0, 0, 1, 0, 0xFF, 0xFF}, "more entries than the file holds");
    auto good = IconFile({IconDib(4, 4, 8, std::vector<TRGBQuad>(256), [](int, int) { return 1u; },
                                  [](int, int) { return false; })});
    auto bad = good;
    bad[18] = 0xF0, bad[19] = 0xFF; // entry offset past the end
    refuse(bad, "offset past the end");
    bad = good;
    bad[22 + 8] = 0xFF, bad[22 + 9] = 0xFF, bad[22 + 10] = 0xFF, bad[22 + 11] = 0x3F; // image height 2^29
    refuse(bad, "image taller than the limit");
}

} // namespace
