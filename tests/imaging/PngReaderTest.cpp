#include "PngTestFiles.h"

#include "imaging/Codecs.h"
#include "platform/Errors.h"
#include "tests/common/TestFiles.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <vector>

using namespace pngtest;

namespace {

// A 2 x 2 RGB image: red, green / blue, white.
std::string SmallRgb()
{
    std::string rows("\0\xff\0\0\0\xff\0" "\0\0\0\xff\xff\xff\xff", 14);
    return TPngBuilder().Header(2, 2, 8, 2).Data(rows).End().Bytes();
}

std::string WithChunk(const std::string& file, std::size_t at, const std::string& type, const std::string& data)
{
    TPngBuilder b;
    std::string chunk = b.Chunk(type, data).Bytes().substr(8);
    return file.substr(0, at) + chunk + file.substr(at);
}

} // namespace

TEST(PngReaderTest, ReadsSmallRgbAndKeepsTheChunkList)
{
    TPNGImage png;
    Load(png, SmallRgb());
    const TBitmap& b = png.Bitmap();
    ASSERT_EQ(b.Width(), 2);
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    EXPECT_EQ(b.GetPixel(0, 0), clRed);
    EXPECT_EQ(b.GetPixel(1, 0), clLime);
    EXPECT_EQ(b.GetPixel(0, 1), clBlue);
    EXPECT_EQ(b.GetPixel(1, 1), clWhite);
    EXPECT_FALSE(b.Transparent());
    ASSERT_EQ(png.Chunks().Count(), 3);
    EXPECT_EQ(png.Chunks().Item(0).Type(), "IHDR");
    EXPECT_NE(dynamic_cast<TChunkIDAT*>(&png.Chunks().Item(1)), nullptr);
    EXPECT_EQ(png.Chunks().Item(2).Type(), "IEND");
}

TEST(PngReaderTest, EveryMessageOfABadFile)
{
    const std::string rgbRows = std::string("\0\x10\x20\x30", 4);
    const std::string ok = TPngBuilder().Header(1, 1, 8, 2).Data(rgbRows).End().Bytes();
    ASSERT_EQ(LoadMessage(ok), "");

    EXPECT_EQ(LoadMessage("GIF89a.........."), "Invalid Portable Graphics Network image, it has an invalid file header.");
    EXPECT_EQ(LoadMessage(ok.substr(0, 5)), "Invalid Portable Graphics Network image, it has an invalid file header.");
    EXPECT_EQ(LoadMessage(WithChunk(ok, 33, "CRIT", "x")),
              "The currently being loaded image contains critical(s) chunk(s) not reconized by the decoder.");
    EXPECT_EQ(LoadMessage(TPngBuilder().Header(1, 1, 8, 2).Chunk("IDAT", Deflate(rgbRows), true).End().Bytes()),
              "Can't read the PNG image, it has corrupted data.");
    // The first chunk must be the header, even when the header follows.
    EXPECT_EQ(LoadMessage(TPngBuilder().Chunk("gAMA", Be32(45455)).Header(1, 1, 8, 2).Data(rgbRows).End().Bytes()),
              "This PNG image is invalid, the IHDR chunk is either not present or it isn't the first chunk.");
    EXPECT_EQ(LoadMessage(kSignature),
              "This PNG image is invalid, the IHDR chunk is either not present or it isn't the first chunk.");
    EXPECT_EQ(LoadMessage(TPngBuilder().Header(1, 1, 8, 2).End().Bytes()),
              "The current image being loaded has no data and could not be loaded.");
    EXPECT_EQ(LoadMessage(TPngBuilder().Header(1, 1, 8, 5).Data(rgbRows).End().Bytes()),
              "Could not read the image because it has an unknown color type.");
    EXPECT_EQ(LoadMessage(TPngBuilder().Header(1, 1, 8, 2).Data(std::string("\x05\x10\x20\x30", 4)).End().Bytes()),
              "The image could not be loaded because it uses an unknown set of filter types.");
    EXPECT_EQ(LoadMessage(TPngBuilder().Header(1, 1, 8, 3).Data(std::string("\0\0", 2)).End().Bytes()),
              "The current image requeries a palette but it is not avaliable.");
    for (const std::string& palette : {std::string("\1\2\3\4"), std::string(), std::string(771, 'x')})
        EXPECT_EQ(LoadMessage(TPngBuilder().Header(1, 1, 8, 3).Chunk("PLTE", palette).Data(std::string("\0\0", 2)).End().Bytes()),
                  "The current image being loaded has an invalid palette!")
            << palette.size();
}

TEST(PngReaderTest, HeadersTheFormatForbidsAreRefused)
{
    auto headerMessage = [](std::uint32_t w, std::uint32_t h, int depth, int colorType, int interlace = 0) {
        return LoadMessage(TPngBuilder().Header(w, h, depth, colorType, interlace).Data(std::string(64, '\0')).End().Bytes());
    };
    for (auto [depth, colorType] : {std::pair{16, 3}, {4, 2}, {1, 4}, {2, 6}, {3, 0}, {32, 0}, {0, 2}})
        EXPECT_EQ(headerMessage(1, 1, depth, colorType), "The PNG image has a bit depth that its color type does not allow.")
            << depth << " " << colorType;
    EXPECT_EQ(headerMessage(0, 5, 8, 0), "The PNG image has no pixels.");
    EXPECT_EQ(headerMessage(5, 0, 8, 0), "The PNG image has no pixels.");
    EXPECT_EQ(headerMessage(1, 1, 8, 0, 2), "The PNG image uses an unknown interlace method.");
    EXPECT_NE(headerMessage(0x7FFFFFFF, 0x7FFFFFFF, 8, 0).find("out of range"), std::string::npos);
    EXPECT_NE(headerMessage(1 << 21, 1, 8, 0).find("out of range"), std::string::npos);
    EXPECT_EQ(LoadMessage(TPngBuilder().Chunk("IHDR", Ihdr(1, 1, 8, 0) + "x").Data("\0\0").End().Bytes()),
              "The PNG image has an invalid IHDR chunk.");
    std::string method = Ihdr(1, 1, 8, 0);
    method[10] = 1;
    EXPECT_EQ(LoadMessage(TPngBuilder().Chunk("IHDR", method).Data(std::string("\0\0", 2)).End().Bytes()),
              "The PNG image uses an unknown compression or filter method.");
    EXPECT_EQ(LoadMessage(TPngBuilder().Header(1, 1, 8, 0).Header(1, 1, 8, 0).Data(std::string("\0\0", 2)).End().Bytes()),
              "The PNG image has more than one IHDR chunk.");
}

TEST(PngReaderTest, TruncatedFilesFailAtEveryLengthUpToTheEndChunk)
{
    TBitmap source(37, 23, pf24bit);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) source.SetPixel(x, y, RGB(x * 7, y * 11, (x * y) & 255));
    const std::string file = PngFileBytes(source);
    const std::size_t endChunk = file.size() - 12;
    for (std::size_t n = 0; n < file.size(); ++n) {
        std::string message = LoadMessage(file.substr(0, n));
        if (n == endChunk)
            EXPECT_EQ(message, "") << "a file that stops after its data chunk still holds the whole image";
        else
            EXPECT_NE(message, "") << n;
    }
    EXPECT_EQ(LoadMessage(file.substr(0, 40)), "The PNG image is truncated.");
}

TEST(PngReaderTest, ChunkLengthsOutsideTheFileOrTheFormatAreRefused)
{
    std::string file = SmallRgb();
    std::string huge = file;
    huge.replace(33, 4, "\x80\0\0\0", 4); // IDAT length 2^31
    EXPECT_EQ(LoadMessage(huge), "The PNG image has a chunk longer than the PNG format allows.");
    std::string past = file;
    past.replace(33, 4, "\x00\x10\0\0", 4);
    EXPECT_EQ(LoadMessage(past), "The PNG image is truncated.");
}

TEST(PngReaderTest, TooLittleDataFailsWithoutAllocatingTheImage)
{
    // 16000 x 16000 RGB asks for 768 MB; a few bytes of data cannot fill it.
    std::string file = TPngBuilder().Header(16000, 16000, 8, 2).Data(std::string(100, '\0')).End().Bytes();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(LoadMessage(file), "The image data of the PNG file is incomplete.");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    // Rows that stop early, and data that is no zlib stream.
    EXPECT_EQ(LoadMessage(TPngBuilder().Header(4, 4, 8, 0).Data(std::string(10, '\0')).End().Bytes()),
              "The image data of the PNG file is incomplete.");
    EXPECT_EQ(LoadMessage(TPngBuilder().Header(4, 4, 8, 0).Chunk("IDAT", std::string(40, '\x55')).End().Bytes()),
              "Can't read the PNG image, it has corrupted data.");
}

TEST(PngReaderTest, DataThatRunsPastTheImageOrStopsInsideItsStreamIsRefused)
{
    // 64 MB of zeros behind a 1 x 1 header: refused as soon as the rows are full.
    std::string bomb = TPngBuilder().Header(1, 1, 8, 0).Data(std::string(64 << 20, '\0')).End().Bytes();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(LoadMessage(bomb), "Can't read the PNG image, it has corrupted data.");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    // One byte too many is refused too; the exact rows load.
    std::string rows;
    for (int y = 0; y < 4; ++y) rows += std::string("\0", 1) + std::string(4, char(40 * y));
    EXPECT_EQ(LoadMessage(TPngBuilder().Header(4, 4, 8, 0).Data(rows + "x").End().Bytes()),
              "Can't read the PNG image, it has corrupted data.");
    EXPECT_EQ(LoadMessage(TPngBuilder().Header(4, 4, 8, 0).Data(rows).End().Bytes()), "");
    // A stream cut before its end: the rows are incomplete, wherever the cut falls.
    const std::string packed = Deflate(rows);
    for (std::size_t keep = 2; keep < packed.size(); ++keep)
        EXPECT_EQ(LoadMessage(TPngBuilder().Header(4, 4, 8, 0).Chunk("IDAT", packed.substr(0, keep)).End().Bytes()),
                  "The image data of the PNG file is incomplete.")
            << keep;
}

TEST(PngReaderTest, TwoDataChunksLoadAsOneImage)
{
    std::string rows;
    for (int y = 0; y < 8; ++y) rows += std::string("\0", 1) + std::string(8, char(y * 30));
    std::string packed = Deflate(rows);
    std::string file = TPngBuilder()
                           .Header(8, 8, 8, 0)
                           .Chunk("IDAT", packed.substr(0, 7))
                           .Chunk("tEXt", std::string("Title\0x", 7))
                           .Chunk("IDAT", packed.substr(7))
                           .End()
                           .Bytes();
    TPNGImage png;
    Load(png, file);
    EXPECT_EQ(png.Chunks().Count(), 4); // IHDR IDAT tEXt IEND
    for (int y = 0; y < 8; ++y) EXPECT_EQ(png.Bitmap().GetPixel(7, y), RGB(y * 30, y * 30, y * 30));
}

TEST(PngReaderTest, PaletteIndexBeyondThePaletteIsBlack)
{
    std::string file = TPngBuilder()
                           .Header(3, 1, 8, 3)
                           .Chunk("PLTE", std::string("\xff\0\0\0\xff\0", 6))
                           .Data(std::string("\0\x01\x00\xc8", 4))
                           .End()
                           .Bytes();
    TPNGImage png;
    Load(png, file);
    const TBitmap& b = png.Bitmap();
    EXPECT_EQ(b.PixelFormat(), pf8bit);
    EXPECT_EQ(b.GetPixel(0, 0), clLime);
    EXPECT_EQ(b.GetPixel(1, 0), clRed);
    EXPECT_EQ(b.GetPixel(2, 0), clBlack);
    EXPECT_GE(b.Palette().size(), 201u); // every index used has an entry
}

TEST(PngReaderTest, TransparencyOfRgbGreyAndPaletteImages)
{
    TPNGImage png;
    Load(png, WithChunk(SmallRgb(), 33, "tRNS", std::string("\0\0\0\0\0\xff", 6)));
    EXPECT_TRUE(png.Bitmap().Transparent());
    EXPECT_EQ(png.Bitmap().TransparentColor(), clBlue);
    EXPECT_EQ(png.Bitmap().GetPixel(0, 1), clBlue); // the pixels keep their colour

    std::string grey = TPngBuilder().Header(2, 1, 16, 0).Chunk("tRNS", std::string("\x80\x01", 2)).Data(std::string("\0\x80\x01\x20\0", 5)).End().Bytes();
    Load(png, grey);
    EXPECT_EQ(png.Bitmap().PixelFormat(), pf8bit);
    EXPECT_TRUE(png.Bitmap().Transparent());
    EXPECT_EQ(png.Bitmap().TransparentColor(), RGB(128, 128, 128));

    // Palette entries with alpha show as they would over white.
    std::string pal = TPngBuilder()
                          .Header(2, 1, 1, 3)
                          .Chunk("PLTE", std::string("\xff\0\0\0\0\xff", 6))
                          .Chunk("tRNS", std::string("\0\x80", 2))
                          .Data(std::string("\0\x40", 2))
                          .End()
                          .Bytes();
    Load(png, pal);
    EXPECT_EQ(png.Bitmap().PixelFormat(), pf1bit);
    EXPECT_FALSE(png.Bitmap().Transparent());
    EXPECT_EQ(png.Bitmap().GetPixel(0, 0), clWhite);
    EXPECT_EQ(png.Bitmap().GetPixel(1, 0), RGB(127, 127, 255));
}

TEST(PngReaderTest, GammaCorrectsSamplesAndTheUsualGammaChangesNothing)
{
    std::string rows = std::string("\0\x80\x40\xff", 4);
    TPNGImage png;
    Load(png, TPngBuilder().Header(1, 1, 8, 2).Chunk("gAMA", Be32(100000)).Data(rows).End().Bytes());
    // A linear file on a 2.2 display: v' = 255 (v / 255)^(1 / 2.2).
    EXPECT_EQ(png.Bitmap().GetPixel(0, 0), RGB(186, 136, 255));
    Load(png, TPngBuilder().Header(1, 1, 8, 2).Chunk("gAMA", Be32(45455)).Data(rows).End().Bytes());
    EXPECT_EQ(png.Bitmap().GetPixel(0, 0), RGB(128, 64, 255));
    // Grey images carry the correction in their palette.
    Load(png, TPngBuilder().Header(1, 1, 8, 0).Chunk("gAMA", Be32(100000)).Data(std::string("\0\x80", 2)).End().Bytes());
    EXPECT_EQ(png.Bitmap().GetPixel(0, 0), RGB(186, 186, 186));
}

TEST(PngReaderTest, CorruptCompressedTextFailsTheLoadOfTheText)
{
    TTempDir dir;
    auto message = [&](const std::string& file) {
        WriteWholeFile(dir.File("t.png"), file);
        TBitmap target;
        std::string text;
        try {
            LoadFile(dir.File("t.png"), target, &text);
        } catch (const EvekImageError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    std::string bad = WithChunk(SmallRgb(), 33, "zTXt", std::string("Comment\0\0garbage", 16));
    EXPECT_EQ(message(bad), "The compressed text of the PNG image is corrupted.");
    std::string bomb = WithChunk(SmallRgb(), 33, "zTXt", std::string("Comment\0\0", 9) + Deflate(std::string(17 << 20, 'a')));
    EXPECT_EQ(message(bomb), "The compressed text of the PNG image is too large.");
    std::string method = WithChunk(SmallRgb(), 33, "zTXt", std::string("Comment\0\1", 9) + Deflate("x"));
    EXPECT_EQ(message(method), "The compressed text of the PNG image uses an unknown compression method.");
}

TEST(PngReaderTest, AFailedLoadKeepsTheTargetAndTheText)
{
    TTempDir dir;
    WriteWholeFile(dir.File("bad.png"), SmallRgb().substr(0, 45));
    TBitmap target(5, 5, pf8bit);
    std::string text = "kept";
    EXPECT_THROW(LoadFile(dir.File("bad.png"), target, &text), EvekImageError);
    EXPECT_EQ(target.Width(), 5);
    EXPECT_EQ(target.PixelFormat(), pf8bit);
    EXPECT_EQ(text, "kept");
    EXPECT_THROW(LoadFile(dir.File("missing.png"), target, &text), EvekFileError);

    // The chunks read before the failure stay in the list.
    TPNGImage png;
    std::string noData = TPngBuilder().Header(1, 1, 8, 0).Chunk("tEXt", std::string("a\0b", 3)).End().Bytes();
    EXPECT_THROW(Load(png, noData), EvekImageError);
    EXPECT_EQ(png.Chunks().Count(), 3);
}


// Random rows filtered with each filter in turn, at every pixel width the format has and in both
// row orders, read back as the same rows stored unfiltered: every row's first pixel, and the first
// row of every pass, has zeros for neighbours.
TEST(PngReaderTest, EveryFilterAtEveryPixelWidthReadsAsTheUnfilteredRows)
{
    struct TPass {
        int X0, Y0, Dx, Dy;
    };
    const TPass adam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    const TPass whole[1] = {{0, 0, 1, 1}};
    struct TLayout {
        int ColorType, Depth, Bits; // Bits: of a pixel
    };
    const TLayout layouts[] = {{0, 1, 1}, {3, 4, 4}, {0, 8, 8}, {4, 8, 16}, {2, 8, 24}, {6, 8, 32}, {2, 16, 48}, {6, 16, 64}};
    const int w = 13, h = 11;
    unsigned seed = 2024;
    for (const TLayout& l : layouts)
        for (int interlace = 0; interlace <= 1; ++interlace) {
            const int bpp = std::max(1, l.Bits / 8);
            std::string plain, filtered;
            int f = 0;
            for (const TPass& pass : interlace ? std::vector<TPass>(adam7, adam7 + 7) : std::vector<TPass>(whole, whole + 1)) {
                const int cols = w > pass.X0 ? (w - pass.X0 + pass.Dx - 1) / pass.Dx : 0;
                const int rows = h > pass.Y0 ? (h - pass.Y0 + pass.Dy - 1) / pass.Dy : 0;
                if (cols == 0 || rows == 0) continue;
                std::string prev((cols * l.Bits + 7) / 8, '\0');
                for (int r = 0; r < rows; ++r, f = (f + 1) % 5) {
                    std::string raw(prev.size(), '\0');
                    for (char& c : raw) c = char((seed = seed * 1103515245 + 12345) >> 16);
                    plain += '\0' + raw;
                    filtered += char(f) + FilterRowPlainly(f, raw, prev, bpp);
                    prev = raw;
                }
            }
            TPngBuilder file;
            file.Header(w, h, l.Depth, l.ColorType, interlace);
            std::string palette;
            for (int i = 0; i < 16 * 3; ++i) palette += char(i * 5);
            if (l.ColorType == 3) file.Chunk("PLTE", palette);
            TBitmap want, got;
            DecodePngBytes(TPngBuilder(file).Data(plain).End().Bytes(), want);
            DecodePngBytes(file.Data(filtered).End().Bytes(), got);
            EXPECT_TRUE(got == want) << "colour type " << l.ColorType << " depth " << l.Depth << " interlace "
                                     << interlace;
        }
}
