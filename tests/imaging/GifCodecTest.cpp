#include "DispatchTestTools.h"

#include "imaging/ColorReduction.h"
#include "imaging/GifFile.h"
#include "imaging/GifImage.h"
#include "imaging/ImageIO.h"
#include "tests/common/TestFiles.h"

#include <gif_lib.h>

#include <cstring>
#include <memory>

namespace {

// giflib on its own, as an independent reader of what we write and a writer of layouts we do not.
struct TSlurped {
    std::unique_ptr<GifFileType, void (*)(GifFileType*)> gif{nullptr, [](GifFileType* g) {
                                                                  int e;
                                                                  DGifCloseFile(g, &e);
                                                              }};
};

TSlurped Slurp(const std::string& file)
{
    int error = 0;
    TSlurped s;
    s.gif.reset(DGifOpenFileName(file.c_str(), &error));
    EXPECT_TRUE(s.gif) << GifErrorString(error);
    if (s.gif) {
        EXPECT_EQ(DGifSlurp(s.gif.get()), GIF_OK);
    }
    return s;
}

// One frame of width x height at (left, top) on a screen, with its own colour map, interlaced,
// transparent index 2 and background index 1.
std::string WriteFramedGif(const std::string& file, int screenW, int screenH, int left, int top, int w, int h,
                           bool interlace)
{
    int error = 0;
    GifFileType* gif = EGifOpenFileName(file.c_str(), false, &error);
    GifColorType global[4] = {{0, 0, 0}, {10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    GifColorType local[8];
    for (int i = 0; i < 8; ++i) local[i] = GifColorType{static_cast<GifByteType>(i * 30), 7, 9};
    ColorMapObject* globalMap = GifMakeMapObject(4, global);
    ColorMapObject* localMap = GifMakeMapObject(8, local);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, screenW, screenH, 8, 1, globalMap);
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = 2;
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
    EGifPutImageDesc(gif, left, top, w, h, interlace, localMap);
    // Row r of the frame holds r*w + x (mod 8), written in the file's row order.
    std::vector<GifPixelType> line(static_cast<std::size_t>(w));
    std::vector<int> order;
    if (interlace) {
        for (int start : {0, 4, 2, 1})
            for (int r = start; r < h; r += (start == 0 || start == 4) ? 8 : start == 2 ? 4 : 2) order.push_back(r);
    } else {
        for (int r = 0; r < h; ++r) order.push_back(r);
    }
    for (int r : order) {
        for (int x = 0; x < w; ++x) line[x] = static_cast<GifPixelType>((r * w + x) % 8);
        EGifPutLine(gif, line.data(), w);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(globalMap);
    GifFreeMapObject(localMap);
    return file;
}

TEST(GifCodecTest, FirstFrameSitsOnItsScreenWithItsOwnColoursInterlacedOrNot)
{
    TTempDir dir;
    for (bool interlace : {false, true}) {
        SCOPED_TRACE(interlace);
        WriteFramedGif(dir.File("f.gif"), 12, 20, 3, 2, 5, 17, interlace);
        TBitmap bmp;
        LoadGifFile(dir.File("f.gif"), bmp);
        ASSERT_EQ(bmp.Width(), 12);
        ASSERT_EQ(bmp.Height(), 20);
        ASSERT_EQ(bmp.PixelFormat(), pf8bit);
        EXPECT_EQ(bmp.Palette().size(), 8u) << "the frame's local colour map";
        EXPECT_TRUE(bmp.Transparent());
        EXPECT_EQ(bmp.TransparentColor(), RGB(60, 7, 9));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 12; ++x) {
                const bool inside = x >= 3 && x < 8 && y >= 2 && y < 19;
                const int expected = inside ? ((y - 2) * 5 + (x - 3)) % 8 : 2; // outside: transparent index
                ASSERT_EQ(bmp.GetPixelIndex(x, y), expected) << x << "," << y;
            }
    }
    // A frame reaching past its screen widens the picture.
    WriteFramedGif(dir.File("w.gif"), 4, 4, 2, 1, 6, 5, false);
    TBitmap bmp;
    LoadGifFile(dir.File("w.gif"), bmp);
    EXPECT_EQ(bmp.Width(), 8);
    EXPECT_EQ(bmp.Height(), 6);
    EXPECT_EQ(bmp.GetPixelIndex(7, 5), (4 * 6 + 5) % 8);
}

TEST(GifCodecTest, DecodesImageMagickFilesAndRefusesEveryCut)
{
    REQUIRE_MAGICK();
    TTempDir dir;
    for (const char* args : {"gradient:red-blue -colors 50", "plasma:fractal -seed 5 -interlace GIF",
                             "pattern:checkerboard -type bilevel"}) {
        SCOPED_TRACE(args);
        const std::string file = dir.File("m.gif");
        Magick(std::string("-size 37x23 ") + args + " " + Quote(file));
        TBitmap bmp;
        LoadGifFile(file, bmp);
        EXPECT_EQ(bmp.PixelFormat(), pf8bit);
        EXPECT_EQ(MaxDifference(BitmapRgb(bmp), MagickPixels(file)), 0);
        // Only the trailer after the first image may go.
        ExpectEveryTruncationThrows(
            Bytes(ReadWholeFile(file)), [](const std::uint8_t* p, std::size_t n) { TBitmap b; DecodeGif(p, n, b); },
            1);
    }
}

TEST(GifCodecTest, TransparentIndexIsTheBottomLeftPixelAfterTheColourMapOptimization)
{
    TTempDir dir;
    // Palette of 16 entries, pixels use every index 0..15; the bottom-left pixel has index 7.
    TBitmap source(16, 4, pf8bit);
    std::vector<TRGBQuad> palette(16);
    for (int i = 0; i < 16; ++i) palette[i] = TRGBQuad{static_cast<std::uint8_t>(i * 16), 0, 0, 0};
    source.SetPalette(palette);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x) source.SetPixelIndex(x, y, (x + y * 5) % 16);
    source.SetPixelIndex(0, 3, 7);

    SaveGifFile(dir.File("t.gif"), source, true);
    TSlurped s = Slurp(dir.File("t.gif"));
    ASSERT_TRUE(s.gif);
    GraphicsControlBlock gcb{};
    ASSERT_EQ(DGifSavedExtensionToGCB(s.gif.get(), 0, &gcb), GIF_OK);
    EXPECT_EQ(gcb.TransparentColor, 7);
    TBitmap back;
    LoadGifFile(dir.File("t.gif"), back);
    EXPECT_EQ(BitmapRgb(back), BitmapRgb(source));
    EXPECT_TRUE(back.Transparent());

    // Off: no graphic control extension at all.
    SaveGifFile(dir.File("o.gif"), source, false);
    TSlurped off = Slurp(dir.File("o.gif"));
    EXPECT_EQ(DGifSavedExtensionToGCB(off.gif.get(), 0, &gcb), GIF_ERROR);

    // Unused entries go and the rest are renumbered in order: with only indices 3, 9 and 12 used,
    // the bottom-left 12 becomes 2.
    TBitmap sparse(5, 2, pf8bit);
    sparse.SetPalette(palette);
    for (int x = 0; x < 5; ++x) sparse.SetPixelIndex(x, 0, x % 2 ? 3 : 9), sparse.SetPixelIndex(x, 1, 12);
    SaveGifFile(dir.File("s.gif"), sparse, true);
    TSlurped sp = Slurp(dir.File("s.gif"));
    ASSERT_EQ(DGifSavedExtensionToGCB(sp.gif.get(), 0, &gcb), GIF_OK);
    EXPECT_EQ(gcb.TransparentColor, 2);
    ASSERT_TRUE(sp.gif->SColorMap);
    EXPECT_EQ(sp.gif->SColorMap->ColorCount, 4);
    EXPECT_EQ(sp.gif->SColorMap->Colors[0].Blue, 3 * 16);
    EXPECT_EQ(sp.gif->SColorMap->Colors[1].Blue, 9 * 16);
    EXPECT_EQ(sp.gif->SColorMap->Colors[2].Blue, 12 * 16);
}

TEST(GifCodecTest, TrueColourIsReducedToTheNetscapeCube)
{
    EXPECT_EQ(Netscape216Palette()[215], (TRGBQuad{255, 255, 255, 0}));
    EXPECT_EQ(Netscape216Palette()[36 * 1 + 6 * 2 + 3], (TRGBQuad{153, 102, 51, 0}));

    TTempDir dir;
    for (TPixelFormat format : {pf24bit, pf32bit, pf16bit}) {
        TBitmap source(50, 20, format);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 50; ++x) source.SetPixel(x, y, RGB(x * 5, y * 13, 255 - x * 3));
        SaveGifFile(dir.File("r.gif"), source, false);
        TBitmap back;
        LoadGifFile(dir.File("r.gif"), back);
        ASSERT_EQ(back.PixelFormat(), pf8bit);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 50; ++x) {
                const TColor c = source.GetPixel(x, y);
                auto level = [](int v) { return (v + 3) / 51 * 51; };
                ASSERT_EQ(back.GetPixel(x, y), RGB(level(GetRValue(c)), level(GetGValue(c)), level(GetBValue(c))));
            }
        if (HaveMagick()) {
            EXPECT_EQ(MaxDifference(BitmapRgb(back), MagickPixels(dir.File("r.gif"))), 0);
        }
    }
}

TEST(GifCodecTest, PaletteImagesOfEveryDepthRoundTrip)
{
    TTempDir dir;
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit}) {
        TBitmap source(19, 7, format);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 19; ++x) source.SetPixelIndex(x, y, (x * 3 + y) % (1 << TBitmap::BitsPerPixel(format)));
        SaveGifFile(dir.File("p.gif"), source, false);
        TBitmap back;
        LoadGifFile(dir.File("p.gif"), back);
        EXPECT_EQ(BitmapRgb(back), BitmapRgb(source)) << TBitmap::BitsPerPixel(format);
    }
}

TEST(GifCodecTest, HostileFilesAreRefused)
{
    TBitmap bmp(2, 2);
    const TBitmap before(bmp);
    auto refuse = [&](std::vector<std::uint8_t> file, const char* why) {
        EXPECT_THROW(DecodeGif(file.data(), file.size(), bmp), EvekImageError) << why;
        EXPECT_TRUE(bmp == before) << why;
    };
    refuse({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ';'}, "no image before the trailer");
    refuse({'G', 'I', 'F', '8', '7'}, "cut signature");
    refuse({'P', 'N', 'G', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}, "not a GIF");
    // A 10000 x 10000 frame with a few bytes of data.
    refuse({'G', 'I', 'F', '8', '9', 'a', 0x10, 0x27, 0x10, 0x27, 0, 0, 0, ',', 0, 0, 0, 0, 0x10, 0x27, 0x10, 0x27, 0,
            2, 2, 0x4C, 1, 0, ';'},
           "frame far beyond the data");
    refuse({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, ',', 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, ';'},
           "no pixels");
}

TEST(GifCodecTest, OptimizerSaveKeepsTheReductionAsItIsAndAlwaysWritesAControlBlock)
{
    TTempDir dir;
    TBitmap source(23, 9, pf24bit);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 23; ++x) source.SetPixel(x, y, RGB(x * 11, 200 - y * 20, (x * y) % 256));
    const TReductionSettings reduction{pcWindows20, dcBurkes, 8, {}};
    const TBitmap reduced = ReduceBitmapColors(source, reduction);
    const int bottomLeft = reduced.GetPixelIndex(0, 8);

    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent);
        std::vector<std::pair<TGifProgressStage, int>> progress;
        const auto bytes = EncodeOptimizedGif(source, reduction, transparent,
                                              [&](TGifProgressStage s, int p) { progress.emplace_back(s, p); });
        WriteWholeFile(dir.File("g.gif"), std::string(bytes.begin(), bytes.end()));
        TSlurped s = Slurp(dir.File("g.gif"));
        ASSERT_TRUE(s.gif);
        // The stock palette's 20 entries in their order, padded to 32; the indices untouched.
        const ColorMapObject* map = s.gif->SColorMap;
        ASSERT_TRUE(map);
        ASSERT_EQ(map->ColorCount, 32);
        for (int i = 0; i < 32; ++i) {
            const TRGBQuad q = i < 20 ? StockPalette20()[i] : TRGBQuad{};
            EXPECT_EQ(RGB(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue), QuadToColor(q)) << i;
        }
        const SavedImage& frame = s.gif->SavedImages[0];
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 23; ++x) ASSERT_EQ(frame.RasterBits[y * 23 + x], reduced.GetPixelIndex(x, y));
        GraphicsControlBlock gcb{};
        ASSERT_EQ(DGifSavedExtensionToGCB(s.gif.get(), 0, &gcb), GIF_OK);
        EXPECT_EQ(gcb.TransparentColor, transparent ? bottomLeft : NO_TRANSPARENT_COLOR);

        // Our reader shows the bottom-left colour as the transparent one.
        TBitmap back;
        LoadGifFile(dir.File("g.gif"), back);
        EXPECT_EQ(back.Transparent(), transparent);
        if (transparent) {
            EXPECT_EQ(back.TransparentColor(), reduced.GetPixel(0, 8));
        }

        ASSERT_GE(progress.size(), 3u);
        EXPECT_EQ(progress.front().first, psRunning); // the reduction
        EXPECT_EQ(progress.back(), std::make_pair(psEnding, 100));
        EXPECT_NE(std::find(progress.begin(), progress.end(), std::make_pair(psStarting, 0)), progress.end());
    }
}

} // namespace
