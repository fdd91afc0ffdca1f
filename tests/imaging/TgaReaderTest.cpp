#include "imaging/Codecs.h"
#include "imaging/TgaReader.h"
#include "tests/imaging/DispatchTestTools.h"

#include <gtest/gtest.h>


namespace {

class TgaTest : public ::testing::Test {
protected:
    TTempDir dir;

    std::string ToolFile(const std::string& options, int w = 29, int h = 17)
    {
        std::string ppm = dir.File("src.ppm"), tga = dir.File("tool.tga");
        WritePicture(ppm, w, h);
        EXPECT_EQ(Shell("convert " + ppm + " " + options + " " + tga), 0) << options;
        return tga;
    }
    static TTarga Load(const std::string& bytes)
    {
        TTarga t;
        t.LoadFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        return t;
    }
};

// Header of an uncompressed or run-length file without identifier or colour map.
std::string Header(int type, int w, int h, int depth, int descriptor = 0)
{
    std::string s(18, '\0');
    s[2] = char(type);
    s[12] = char(w & 0xFF), s[13] = char(w >> 8);
    s[14] = char(h & 0xFF), s[15] = char(h >> 8);
    s[16] = char(depth);
    s[17] = char(descriptor);
    return s;
}

// netpbm's reading is the reference: ImageMagick 6 stores and reads Targa rows in the opposite order
// to the one the descriptor announces, so its own decoding of a bottom-up file is upside down.
void ExpectSameAsNetpbm(const std::string& tga, const TTarga& t, const std::string& what)
{
    TPnm expected = ReadPnm(RunCommand("tgatoppm " + tga));
    ASSERT_EQ(expected.Width, t.ColorBitmap().Width()) << what;
    ASSERT_EQ(expected.Height, t.ColorBitmap().Height()) << what;
    // Five-bit channels come out of netpbm with 31 as their maximum; ours spread them to 0..248.
    const int scale = expected.MaxValue == 31 ? 8 : 1;
    const std::vector<std::uint8_t> ours = BitmapRgb(t.ColorBitmap());
    for (std::size_t i = 0; i < ours.size(); ++i) ASSERT_EQ(ours[i], expected.Samples[i] * scale) << what << " byte " << i;
}

TEST_F(TgaTest, DecodesEveryKindWrittenByImageMagickAndNetpbm)
{
    struct Case {
        const char* options;
        TTargaType type;
        TTargaColorDepthType depth;
    };
    for (Case c : {Case{"", ttTrueColorImage, cd24bit}, Case{"-compress RLE", ttRLETrueColorImage, cd24bit},
                   Case{"-type Palette", ttColorMapedImage, cd8bit},
                   Case{"-type Palette -compress RLE", ttRLEColorMapedImage, cd8bit},
                   Case{"-type Grayscale", ttBlackAndWhiteImage, cd8bit},
                   Case{"-type Grayscale -compress RLE", ttRLEBlackAndWhiteImage, cd8bit},
                   Case{"-depth 5", ttTrueColorImage, cd16bit}, Case{"-depth 5 -compress RLE", ttRLETrueColorImage, cd16bit},
                   Case{"-alpha set -channel A -fx 'i/w' +channel", ttTrueColorImage, cd32bit},
                   Case{"-alpha set -channel A -fx 'i/w' +channel -compress RLE", ttRLETrueColorImage, cd32bit}}) {
        std::string tga = ToolFile(c.options);
        TTarga t;
        const std::vector<std::uint8_t> bytes = ReadImageFileBytes(tga);
        t.LoadFromBytes(bytes.data(), bytes.size());
        EXPECT_EQ(t.TargaType(), c.type) << c.options;
        EXPECT_EQ(t.ColorDepth(), c.depth) << c.options;
        EXPECT_EQ(t.ColorBitmap().PixelFormat(), pf32bit);
        ExpectSameAsNetpbm(tga, t, c.options);
        EXPECT_EQ(t.IncludeAlphaChannel(), c.depth == cd32bit);
        if (c.depth == cd32bit) {
            std::string alphaFile = dir.File("alpha.pgm");
            Shell("tgatoppm --alphaout=" + alphaFile + " " + tga);
            TPnm alpha = ReadPnm(ReadWholeFile(alphaFile));
            ASSERT_EQ(alpha.Samples.size(), 29u * 17u);
            for (int y = 0; y < 17; ++y)
                for (int x = 0; x < 29; ++x)
                    ASSERT_EQ(t.AlphaBitmap().GetPixel(x, y), RGB(1, 1, 1) * alpha.Samples[y * 29 + x]) << x << "," << y;
        }
    }

    std::string ppm = dir.File("n.ppm"), tga = dir.File("n.tga");
    WritePicture(ppm, 23, 11, 3, true);
    for (const char* options : {"-rgb", "-rgb -norle", "-cmap", "-cmap -norle", "-mono", "-mono -norle"}) {
        ASSERT_EQ(Shell(std::string("ppmtotga ") + options + " " + ppm + " > " + tga), 0) << options;
        TTarga t;
        const std::vector<std::uint8_t> bytes = ReadImageFileBytes(tga);
        t.LoadFromBytes(bytes.data(), bytes.size());
        ExpectSameAsNetpbm(tga, t, options);
    }
}

TEST_F(TgaTest, SixteenBitPixelsSpreadFiveBitsOver0To248)
{
    std::string s = Header(2, 1, 1, 16) + std::string("\xFF\x7F", 2);
    EXPECT_EQ(Load(s).ColorBitmap().GetPixel(0, 0), RGB(248, 248, 248));
    s = Header(2, 1, 1, 15) + std::string("\x1F\x00", 2);
    EXPECT_EQ(Load(s).ColorBitmap().GetPixel(0, 0), RGB(0, 0, 248));
}

TEST_F(TgaTest, RowOrderAndDirectionFollowTheDescriptor)
{
    std::string tga = ToolFile("", 7, 5);
    std::string bytes = ReadWholeFile(tga);
    ASSERT_EQ(bytes[17] & 0x30, 0); // bottom-up, left to right
    TTarga plain = Load(bytes);
    const std::size_t row = 7 * 3;
    std::string topDown = bytes.substr(0, 18), mirrored = bytes.substr(0, 18);
    topDown[17] = 0x20;
    mirrored[17] = 0x10;
    for (int y = 4; y >= 0; --y) topDown += bytes.substr(18 + y * row, row);
    for (int y = 0; y < 5; ++y)
        for (int x = 6; x >= 0; --x) mirrored += bytes.substr(18 + y * row + x * 3, 3);
    EXPECT_TRUE(Load(topDown).ColorBitmap() == plain.ColorBitmap());
    EXPECT_TRUE(Load(mirrored).ColorBitmap() == plain.ColorBitmap());
}

TEST_F(TgaTest, RunLengthPacketsCarryOnIntoTheNextRow)
{
    // Two rows of two grey pixels: one run of three, then one literal pixel.
    std::string s = Header(11, 2, 2, 8, 0x20) + std::string("\x82\x40\x00\x90", 4);
    TTarga t = Load(s);
    EXPECT_EQ(t.ColorBitmap().GetPixel(1, 0), RGB(0x40, 0x40, 0x40));
    EXPECT_EQ(t.ColorBitmap().GetPixel(0, 1), RGB(0x40, 0x40, 0x40));
    EXPECT_EQ(t.ColorBitmap().GetPixel(1, 1), RGB(0x90, 0x90, 0x90));
}

TEST_F(TgaTest, SoundChoicesForOddFiles)
{
    // Indices past a two-entry colour map are black.
    std::string s = Header(1, 3, 1, 8);
    s[1] = 1, s[5] = 2, s[7] = 24;
    s += std::string("\x10\x20\x30\x40\x50\x60", 6) + std::string("\x00\x01\xC8", 3);
    TTarga t = Load(s);
    EXPECT_EQ(t.ColorBitmap().GetPixel(0, 0), RGB(0x30, 0x20, 0x10));
    EXPECT_EQ(t.ColorBitmap().GetPixel(1, 0), RGB(0x60, 0x50, 0x40));
    EXPECT_EQ(t.ColorBitmap().GetPixel(2, 0), clBlack);

    // Grey plus alpha takes the grey byte.
    t = Load(Header(3, 2, 1, 16) + std::string("\x11\xFF\x22\x00", 4));
    EXPECT_EQ(t.ColorBitmap().GetPixel(1, 0), RGB(0x22, 0x22, 0x22));

    // 16-bit indices, and image types outside the table, give a blank picture of the right size.
    for (int type : {1, 5, 12}) {
        t = Load(Header(type, 4, 3, 16) + std::string(24, '\x7F'));
        EXPECT_EQ(t.ColorBitmap().Width(), 4);
        EXPECT_EQ(t.ColorBitmap().GetPixel(2, 2), clBlack);
    }

    // The identifier becomes the image's text.
    s = Header(3, 1, 1, 8);
    s[0] = 5;
    t = Load(s.substr(0, 18) + "hello" + "\x33");
    EXPECT_EQ(t.Identifier(), "hello");
    EXPECT_EQ(t.ColorBitmap().GetPixel(0, 0), RGB(0x33, 0x33, 0x33));
}

TEST_F(TgaTest, ShortFilesRaiseAReadErrorAndLeaveTheTargetAlone)
{
    std::string tga = ToolFile("-compress RLE");
    std::string bytes = ReadWholeFile(tga);
    TBitmap target(2, 2, pf8bit);
    const TBitmap before = target;
    for (std::size_t n : {std::size_t(0), std::size_t(10), std::size_t(17), bytes.size() - 1}) {
        WriteWholeFile(tga, bytes.substr(0, n));
        try {
            LoadFile(tga, target);
            ADD_FAILURE() << n;
        } catch (const EvekImageError& e) {
            EXPECT_STREQ(e.what(), "Targa file is truncated.");
        }
        EXPECT_TRUE(target == before);
    }
    EXPECT_THROW(LoadFile(dir.File("missing.tga"), target), EvekError);
    EXPECT_THROW(Load(Header(2, 60000, 60000, 24)), EvekImageError);
    EXPECT_THROW(Load(Header(0, 65535, 65535, 24)), EvekImageError);
    // A blank picture (a depth outside the table) is as large as its header says: refused too.
    EXPECT_THROW(Load(Header(2, 11616, 18789, 107) + std::string(200, '\x2d')), EvekImageError);
}

TEST_F(TgaTest, DamagedFilesNeverCrash)
{
    for (const char* options : {"-compress RLE -type Palette", "-alpha set -compress RLE", "-depth 5"}) {
        std::string bytes = ReadWholeFile(ToolFile(options, 11, 6));
        ExpectSurvivesDamage(bytes, dir.File("damaged.tga"), [](const std::string& p) {
            TBitmap b;
            LoadFile(p, b);
        });
    }
}

} // namespace
