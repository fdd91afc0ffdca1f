// Files written by ImageMagick in every colour type, depth and interlace, decoded by us and compared
// with ImageMagick's own decoding (transparent parts shown over white, as we show them).
#include "PngTestFiles.h"

#include "imaging/Codecs.h"
#include "tests/common/TestFiles.h"

#include <gtest/gtest.h>

using namespace pngtest;

namespace {

struct TCase {
    std::string Source; // ImageMagick operators after the 33 x 17 plasma
    int ColorType, Depth;
    TPixelFormat Format;
    int Tolerance; // 16-bit samples keep their high byte; alpha is rounded differently
};

// An alpha channel running from opaque on the left to transparent on the right.
const std::string kAlpha = " ( -size 17x33 gradient:white-black -rotate 90 ) -alpha off -compose CopyOpacity -composite";

} // namespace

TEST(PngConformanceTest, EveryColourTypeAndDepthDecodesLikeImageMagick)
{
    REQUIRE_MAGICK();
    const std::string grey = " -colorspace Gray";
    const TCase cases[] = {
        {" -colorspace Gray -threshold 50%", 0, 1, pf1bit, 0},
        {" -colorspace Gray -depth 2", 0, 2, pf4bit, 0},
        {" -colorspace Gray -depth 4", 0, 4, pf4bit, 0},
        {" -colorspace Gray", 0, 8, pf8bit, 0},
        {" -colorspace Gray", 0, 16, pf8bit, 1},
        {" -colors 2", 3, 1, pf1bit, 0},
        {" -colors 4", 3, 2, pf4bit, 0},
        {" -colors 13", 3, 4, pf4bit, 0},
        {" -colors 200", 3, 8, pf8bit, 0},
        {grey + kAlpha, 4, 8, pf8bit, 1},
        {grey + kAlpha, 4, 16, pf8bit, 2},
        {"", 2, 8, pf24bit, 0},
        {"", 2, 16, pf24bit, 1},
        {kAlpha, 6, 8, pf24bit, 1},
        {kAlpha, 6, 16, pf24bit, 2},
    };
    TTempDir dir;
    for (const TCase& c : cases)
        for (int interlace = 0; interlace <= 1; ++interlace) {
            const std::string label = "colour type " + std::to_string(c.ColorType) + " depth " +
                                      std::to_string(c.Depth) + " interlace " + std::to_string(interlace);
            const std::string file = dir.File("x.png");
            const std::string make = "-seed 7 -size 33x17 plasma:" + c.Source +
                               " -define png:color-type=" + std::to_string(c.ColorType) +
                               " -define png:bit-depth=" + std::to_string(c.Depth) +
                               " -define png:exclude-chunks=bKGD" + // its colour would widen the palette
                               (interlace ? " -interlace PNG" : " -interlace none") + " '" + file + "'";
            std::string quoted;
            for (char ch : make) quoted += (ch == '(' || ch == ')') ? std::string("\\") + ch : std::string(1, ch);
            Magick(quoted);
            std::string bytes = ReadWholeFile(file);
            ASSERT_GT(bytes.size(), 29u);
            ASSERT_EQ(int(static_cast<unsigned char>(bytes[24])), c.Depth) << label << ": ImageMagick chose another depth";
            ASSERT_EQ(int(static_cast<unsigned char>(bytes[25])), c.ColorType) << label;
            ASSERT_EQ(int(bytes[28]), interlace) << label;

            const std::string want =
                RunCommand("convert '" + file + "' -background white -alpha remove -alpha off -depth 8 rgb:-");
            ASSERT_EQ(want.size(), 33u * 17 * 3) << label;
            TBitmap got;
            LoadFile(file, got);
            EXPECT_EQ(got.PixelFormat(), c.Format) << label;
            EXPECT_LE(MaxDifference(BitmapRgb(got), Bytes(want)), c.Tolerance) << label;

            // What we write from it reads back identically.
            TBitmap again;
            DecodePngBytes(PngFileBytes(got), again);
            EXPECT_TRUE(again == got) << label;
        }
}

TEST(PngConformanceTest, ImageMagickReadsWhatWeWrite)
{
    REQUIRE_MAGICK();
    TTempDir dir;
    TBitmap b(29, 11, pf24bit);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 29; ++x) b.SetPixel(x, y, RGB(x * 9, y * 23, (x * y * 5) & 255));
    for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
        TBitmap c(b);
        c.SetPixelFormat(f);
        SaveWithText(dir.File("w.png"), c, false, "");
        EXPECT_EQ(MagickPixels(dir.File("w.png")), BitmapRgb(c)) << f;
    }
}
