#include "imaging/Codecs.h"
#include "imaging/TiffFile.h"
#include "platform/UiServices.h"
#include "tests/imaging/DispatchTestTools.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class TiffTest : public ::testing::Test {
protected:
    TTempDir dir;
    TScriptedUi ui;
    TUiScope scope{ui};

    // fewLevels keeps the picture to colours that a palette holds exactly.
    std::string Picture(int w, int h, int seed = 0, bool fewLevels = false)
    {
        std::string path = dir.File("src" + std::to_string(w) + "x" + std::to_string(h) + "_" + std::to_string(seed) +
                                    (fewLevels ? "f" : "") + ".ppm");
        WritePicture(path, w, h, seed, fewLevels);
        return path;
    }
    // Writes a TIFF with ImageMagick and expects our reader to decode the pixels ImageMagick decodes.
    TBitmap ExpectSameAsTool(const std::string& options, int w = 37, int h = 23)
    {
        std::string tif = dir.File("tool.tif");
        bool palette = options.find("Palette") != std::string::npos;
        EXPECT_EQ(Shell("convert " + Picture(w, h, 0, palette) + " " + options + " " + tif), 0) << options;
        TBitmap b;
        LoadFile(tif, b);
        EXPECT_EQ(b.Width(), w) << options;
        EXPECT_EQ(b.Height(), h) << options;
        EXPECT_TRUE(BitmapRgb(b) == MagickPixels(tif)) << options;
        EXPECT_TRUE(ui.Log.empty()) << options << ": " << (ui.Log.empty() ? "" : ui.Log[0].text);
        return b;
    }
    std::string Message() const { return ui.Log.empty() ? std::string() : ui.Log.back().text; }
    // The error of a load that gave nothing; its reason is not shown as a message as well.
    std::string Failure(const std::string& file, TBitmap& target)
    {
        ui.Log.clear();
        try {
            LoadFile(file, target);
        } catch (const EvekImageError& e) {
            EXPECT_TRUE(ui.Log.empty()) << Message();
            return e.what();
        }
        ADD_FAILURE() << "no error from " << file;
        return {};
    }
};

TEST_F(TiffTest, ReadsEveryUncompressedKindInBothByteOrders)
{
    for (std::string order : {"-endian LSB", "-endian MSB"}) {
        std::string base = "-compress none " + order;
        EXPECT_EQ(ExpectSameAsTool(base).PixelFormat(), pf24bit);
        EXPECT_EQ(ExpectSameAsTool(base + " -type Palette").PixelFormat(), pf8bit);
        EXPECT_EQ(ExpectSameAsTool(base + " -type Grayscale -depth 8").PixelFormat(), pf8bit);
        EXPECT_EQ(ExpectSameAsTool(base + " -type Grayscale -depth 4").PixelFormat(), pf4bit);
        EXPECT_EQ(ExpectSameAsTool(base + " -type Bilevel -depth 1").PixelFormat(), pf1bit);
        // Several strips, a short last one, and colours with alpha as a fourth sample.
        ExpectSameAsTool(base + " -define tiff:rows-per-strip=5");
        ExpectSameAsTool(base + " -type Palette -define tiff:rows-per-strip=4", 35, 9);
        ExpectSameAsTool(base + " -alpha set -channel A -evaluate set 100% +channel -type TrueColorAlpha");
    }
}

// The same picture stored white-is-zero: photometric 0 and every pixel bit inverted.
std::string WhiteIsZero(const std::string& bytes)
{
    TFileTiff file;
    file.SetBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    std::string out = bytes;
    const TGraphicTiff* page = file.Page(0);
    out[page->FindEntry(ttagPhotometric)->FieldOffset] = 0;
    out[page->FindEntry(ttagPhotometric)->FieldOffset + 1] = 0;
    for (int i = 0; i < page->StripCount(); ++i)
        for (std::uint32_t k = 0; k < page->Strip(i)->ByteCount; ++k) out[page->Strip(i)->Offset + k] ^= '\xFF';
    return out;
}

TEST_F(TiffTest, WhiteIsZeroPicturesAreNotShownInverted)
{
    for (std::string options : {"-type Bilevel -depth 1", "-type Grayscale -depth 4", "-type Grayscale -depth 8 -endian MSB"}) {
        std::string tif = dir.File("black.tif"), white = dir.File("white.tif");
        ASSERT_EQ(Shell("convert " + Picture(19, 6) + " -compress none " + options + " " + tif), 0);
        WriteWholeFile(white, WhiteIsZero(ReadWholeFile(tif)));
        ASSERT_NE(RunCommand("tiffinfo " + white).find("min-is-white"), std::string::npos);
        TBitmap b;
        LoadFile(white, b);
        EXPECT_TRUE(BitmapRgb(b) == MagickPixels(tif)) << options;
        // ImageMagick's own reading of a white-is-zero 4-bit file rounds differently.
        if (options.find("-depth 4") == std::string::npos) EXPECT_TRUE(BitmapRgb(b) == MagickPixels(white)) << options;
    }
}

TEST_F(TiffTest, ReadsFilesRewrittenByTiffcpWithArraysInMotorolaOrder)
{
    std::string tif = dir.File("a.tif"), big = dir.File("big.tif");
    ASSERT_EQ(Shell("convert " + Picture(41, 30, 0, true) + " -compress none -type Palette " + tif), 0);
    // Three rows a strip gives strip tables and a colour map stored as arrays in big-endian order.
    ASSERT_EQ(Shell("tiffcp -B -r 3 -c none " + tif + " " + big), 0);
    ASSERT_EQ(ReadWholeFile(big).substr(0, 2), "MM");
    TBitmap b;
    LoadFile(big, b);
    EXPECT_TRUE(BitmapRgb(b) == MagickPixels(tif));
}

TEST_F(TiffTest, LastReadablePageWinsAndUnreadablePagesTellWhy)
{
    std::string one = Picture(20, 10, 1), two = Picture(20, 10, 2), tif = dir.File("multi.tif");
    ASSERT_EQ(Shell("convert " + one + " " + two + " -compress none " + tif), 0);
    TBitmap b;
    LoadFile(tif, b);
    EXPECT_TRUE(BitmapRgb(b) == MagickPixels(tif + "[1]"));

    // A compressed second page is told and skipped; the first stays.
    std::string mixed = dir.File("mixed.tif"), packed = dir.File("packed.tif");
    ASSERT_EQ(Shell("convert " + two + " -compress lzw " + packed), 0);
    ASSERT_EQ(Shell("convert " + one + " -compress none " + tif + " && tiffcp " + tif + " " + packed + " " + mixed), 0);
    LoadFile(mixed, b);
    EXPECT_EQ(Message(), "Cant read compressed RGB Full Color Image");
    EXPECT_TRUE(BitmapRgb(b) == MagickPixels(mixed + "[0]"));
}

TEST_F(TiffTest, NothingReadableRaisesAndLeavesTheTargetAlone)
{
    TBitmap target(3, 3, pf24bit);
    target.SetPixel(1, 1, clRed);
    const TBitmap before = target;
    auto expectNothing = [&](const std::string& file, const std::string& message) {
        EXPECT_EQ(Failure(file, target), message);
        EXPECT_TRUE(target == before);
    };

    // A missing file is a file error, as for every format, and leaves no file behind.
    std::string missing = dir.File("missing.tif");
    EXPECT_THROW(LoadFile(missing, target), EvekFileError);
    EXPECT_FALSE(std::filesystem::exists(missing));
    std::string bad = dir.File("bad.tif");
    for (std::string bytes : {std::string("II*\0\x08", 5), std::string("XX*\0\x08\0\0\0", 8), std::string("II+\0\x08\0\0\0", 8)}) {
        WriteWholeFile(bad, bytes);
        expectNothing(bad, "<" + bad + "> is not a valid TIFF file");
    }

    std::string packed = dir.File("packed.tif");
    ASSERT_EQ(Shell("convert " + Picture(9, 9) + " -type Grayscale -compress zip " + packed), 0);
    expectNothing(packed, "Cant read compressed Gray Scale Image");
    ASSERT_EQ(Shell("convert " + Picture(9, 9) + " -type Palette -compress lzw " + packed), 0);
    expectNothing(packed, "Cant read compressed ColorPaletImage");

    // A 16-bit grey picture is passed over without a message.
    std::string deep = dir.File("deep.tif");
    ASSERT_EQ(Shell("convert " + Picture(9, 9) + " -type Grayscale -depth 16 -compress none " + deep), 0);
    EXPECT_EQ(Failure(deep, target), "No image could be read from " + deep + ".");
}

// A hand-made Intel file: header, directory at 8 with the given entries, pixel bytes after it.
std::string SmallTiff(const std::vector<std::array<std::uint32_t, 4>>& entries, const std::string& pixels)
{
    auto put16 = [](std::string& s, std::uint32_t v) { s += char(v & 0xFF), s += char(v >> 8 & 0xFF); };
    auto put32 = [&](std::string& s, std::uint32_t v) { put16(s, v & 0xFFFF), put16(s, v >> 16); };
    std::string s("II*\0", 4);
    put32(s, 8);
    put16(s, static_cast<std::uint32_t>(entries.size()));
    for (auto& e : entries) {
        put16(s, e[0]), put16(s, e[1]), put32(s, e[2]);
        if (e[1] == 3) put16(s, e[3]), put16(s, 0);
        else put32(s, e[3]);
    }
    put32(s, 0);
    return s + pixels;
}

TEST_F(TiffTest, DirectoryProblemsGiveTheirMessages)
{
    std::string f = dir.File("hand.tif");
    const std::uint32_t data = 8 + 2 + 12 * 7 + 4;
    TBitmap b;
    auto load = [&](const std::vector<std::array<std::uint32_t, 4>>& entries, const std::string& pixels) {
        WriteWholeFile(f, SmallTiff(entries, pixels));
        return Failure(f, b);
    };
    // Two rows of three grey pixels without RowsPerStrip: the whole picture is one strip.
    std::vector<std::array<std::uint32_t, 4>> grey = {{256, 3, 1, 3}, {257, 3, 1, 2}, {258, 3, 1, 8}, {259, 3, 1, 1},
                                                      {262, 3, 1, 1}, {273, 4, 1, data}, {279, 4, 1, 6}};
    WriteWholeFile(f, SmallTiff(grey, std::string("\x00\x10\x20\x30\x40\x50", 6)));
    LoadFile(f, b);
    ASSERT_EQ(b.Width(), 3);
    EXPECT_EQ(b.GetPixel(2, 1), RGB(0x50, 0x50, 0x50));
    EXPECT_TRUE(ui.Log.empty());

    // A strip that runs past the end of the file.
    EXPECT_EQ(load(grey, std::string("\x00\x10\x20", 3)), "Error reading image data");

    auto without = [&](std::uint16_t tag) {
        auto e = grey;
        std::erase_if(e, [&](auto& x) { return x[0] == tag; });
        return e;
    };
    EXPECT_EQ(load(without(256), ""), "Error reading tag Image Width");
    EXPECT_EQ(load(without(257), ""), "Error reading tag Image Height");
    EXPECT_EQ(load(without(259), ""), "Error reading tag Compression");
    EXPECT_EQ(load(without(262), ""), "Error reading tag Photometric interpretation");
    auto e = grey;
    e[4][3] = 7;
    EXPECT_EQ(load(e, ""), "Error evaluating Photometric interpretation: 7");
    e = grey;
    e[4][3] = 3; // palette without a colour map
    EXPECT_EQ(load(e, ""), "Error reading tag Color Table Offset");
    e = grey;
    e[4][3] = 2; // RGB with one 8 for every sample is fine; 16 is not
    e[2][3] = 16;
    EXPECT_EQ(load(e, ""), "Error: Bits Per Sample (RGB) not 8");
    e = grey;
    e[0][1] = 4, e[0][3] = 70000;
    WriteWholeFile(f, SmallTiff(e, ""));
    TBitmap t;
    EXPECT_THROW(LoadFile(f, t), EvekImageError);
}

TEST_F(TiffTest, WrittenFilesPassTiffinfoAndReadBackInImageMagick)
{
    std::string src = Picture(35, 17);
    TBitmap picture;
    {
        std::string tif = dir.File("in.tif");
        ASSERT_EQ(Shell("convert " + src + " -compress none " + tif), 0);
        LoadFile(tif, picture);
    }
    struct Case {
        TPixelFormat format;
        int width;
    };
    // 35 columns: 4-bit rows end in half a byte and 1-bit rows in five bits.
    for (Case c : {Case{pf1bit, 35}, Case{pf4bit, 35}, Case{pf8bit, 35}, Case{pf15bit, 35}, Case{pf16bit, 35},
                   Case{pf24bit, 35}, Case{pf32bit, 35}}) {
        TBitmap b = picture;
        b.SetPixelFormat(c.format);
        std::string out = dir.File("out" + std::to_string(c.format) + ".tif");
        WriteImageFileBytes(out, EncodeTiff(b));
        std::string info = RunCommand("tiffinfo " + out + " 2>&1");
        EXPECT_EQ(Shell("tiffinfo " + out), 0) << c.format;
        EXPECT_EQ(info.find("rror"), std::string::npos) << info;
        EXPECT_NE(info.find("Zelmo soft"), std::string::npos) << info;
        EXPECT_NE(info.find("87.7"), std::string::npos) << info;
        TBitmap expected = b;
        if (c.format == pf15bit || c.format == pf16bit) expected.SetPixelFormat(pf24bit);
        EXPECT_TRUE(MagickPixels(out) == BitmapRgb(expected)) << c.format;
        TBitmap back;
        LoadFile(out, back);
        EXPECT_EQ(back.Width(), c.width);
        EXPECT_TRUE(BitmapRgb(back) == BitmapRgb(expected)) << c.format;
    }
}

TEST_F(TiffTest, PaletteFileHasTheFixedLayout)
{
    TBitmap b(4, 2, pf8bit);
    std::vector<TRGBQuad> palette(256);
    palette[5] = TRGBQuad{0x30, 0x20, 0x10, 0};
    b.SetPalette(palette);
    b.SetPixelIndex(3, 0, 5);
    std::string f = dir.File("p.tif");
    WriteImageFileBytes(f, EncodeTiff(b));
    std::string s = ReadWholeFile(f);
    const std::size_t colours = 8, rationals = colours + 1536, software = rationals + 16, pixels = software + 10;
    ASSERT_EQ(s.size(), pixels + 8 + 2 + 15 * 12 + 4);
    EXPECT_EQ(s.substr(0, 4), std::string("II*\0", 4));
    EXPECT_EQ(static_cast<unsigned char>(s[4]), (pixels + 8) & 0xFF);
    EXPECT_EQ(s.substr(colours + 2 * 5, 2), "\x10\x10");         // red of entry 5
    EXPECT_EQ(s.substr(colours + 512 + 2 * 5, 2), "\x20\x20");   // green
    EXPECT_EQ(s.substr(colours + 1024 + 2 * 5, 2), "\x30\x30");  // blue
    EXPECT_EQ(s[rationals], char(877 & 0xFF));
    EXPECT_EQ(s.substr(software, 10), "Zelmo soft");
    EXPECT_EQ(s[pixels + 3], 5);
}

TEST_F(TiffTest, DamagedFilesNeverCrash)
{
    std::string tif = dir.File("tool.tif"), multi = dir.File("m.tif");
    ASSERT_EQ(Shell("convert " + Picture(13, 7, 0, true) + " " + Picture(6, 5, 1, true) +
                  " -compress none -type Palette -define tiff:rows-per-strip=2 -endian MSB " + multi), 0);
    TBitmap b;
    ExpectSurvivesDamage(ReadWholeFile(multi), tif, [&](const std::string& p) { LoadFile(p, b); });
}

} // namespace
