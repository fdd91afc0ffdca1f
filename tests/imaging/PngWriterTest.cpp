#include "PngTestFiles.h"

#include "imaging/Codecs.h"
#include "platform/Errors.h"
#include "tests/common/TestFiles.h"

#include <typeinfo>
#include <gtest/gtest.h>

using namespace pngtest;

namespace {

// The filter the writer must choose for a raw row, written the plain way: score each filter of
// the set by the positions whose byte equals all four bytes before it; the first best wins.
int ReferenceFilter(const std::string& raw, const std::string& prev, int bpp, int filterSet)
{
    int best = 0;
    long bestScore = -1;
    for (int f = 0; f <= 4; ++f) {
        if (f != 0 && !(filterSet & (1 << f))) continue;
        const std::string out = FilterRowPlainly(f, raw, prev, bpp);
        long score = 0;
        for (long i = 4; i < long(out.size()); ++i)
            score += out[i] == out[i - 1] && out[i] == out[i - 2] && out[i] == out[i - 3] && out[i] == out[i - 4];
        if (score > bestScore) best = f, bestScore = score;
    }
    return best;
}

std::string RawRgbRow(const TBitmap& b, int y)
{
    std::string row;
    for (int x = 0; x < b.Width(); ++x) {
        TColor c = b.GetPixel(x, y);
        row += {char(GetRValue(c)), char(GetGValue(c)), char(GetBValue(c))};
    }
    return row;
}

// The filter bytes of the rows of a file we wrote (non-interlaced).
std::string FilterBytes(const std::string& file, std::size_t rowBytes, int height)
{
    const std::string rows = InflatedRows(file, (rowBytes + 1) * height);
    std::string filters;
    for (int y = 0; y < height; ++y) filters += char('0' + rows[y * (rowBytes + 1)]);
    return filters;
}

// Rows mixing runs, gradients, repeated rows and noise, so that each filter wins somewhere.
TBitmap MixedImage()
{
    TBitmap b(40, 24, pf24bit);
    unsigned seed = 12345;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x) {
            seed = seed * 1103515245 + 12345;
            int noise = (seed >> 16) & 255;
            switch (y % 6) {
            case 0: b.SetPixel(x, y, RGB(10, 20, 30)); break;
            case 1: b.SetPixel(x, y, RGB(x * 5, x * 3, 200)); break;
            case 2: b.SetPixel(x, y, RGB(noise, noise / 2, 7)); break;
            case 3: b.SetPixel(x, y, b.GetPixel(x, y - 1)); break;
            case 4: b.SetPixel(x, y, RGB((x + y) * 4, (x * y) & 255, x < 20 ? 0 : 255)); break;
            default: b.SetPixel(x, y, RGB(x < 13 ? 255 : noise, 128, (x / 4) * 20)); break;
            }
        }
    return b;
}

bool PngCheckAccepts(const std::string& path) { return RunProgram("pngcheck", {"-q", Q(path)}).code == 0; }

} // namespace

TEST(PngChunkListTest, OperationsAndTheirMessages)
{
    TPNGImage png;
    TChunkList& list = png.Chunks();
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Item(0).Type(), "IHDR");
    EXPECT_EQ(list.Item(1).Type(), "IDAT");
    EXPECT_EQ(list.Item(2).Type(), "IEND");
    TPngHeader h = list.FirstOfClass<TChunkIHDR>()->Header();
    EXPECT_EQ(h.Width, 0u);
    EXPECT_EQ(h.BitDepth, 2);
    EXPECT_EQ(h.ColorType, 3);
    EXPECT_EQ(png.FilterSet(), 27);
    EXPECT_FALSE(png.Interlaced());

    EXPECT_EQ(list.IndexOfClass<TChunkGAMA>(), -1);
    TChunkGAMA& gamma = list.Add<TChunkGAMA>();
    EXPECT_EQ(list.IndexOfClass<TChunkGAMA>(), 3);
    list.Move(gamma, 1);
    EXPECT_EQ(list.IndexOf(gamma), 1);
    EXPECT_EQ(list.Item(2).Type(), "IDAT");
    TChunk& plain = list.Add("prVt");
    EXPECT_EQ(typeid(plain), typeid(TChunk));
    EXPECT_EQ(typeid(list.Add("tEXt")), typeid(TChunkTEXT));

    const char* range = "The chunk index especified is out of the range.";
    const char* outside = "The especified chunk is not inside the chunk list containing the method being used. "
                          "The funcion could not be completed.";
    auto message = [](auto&& action) {
        try {
            action();
        } catch (const EvekImageError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(message([&] { list.Item(-1); }), range);
    EXPECT_EQ(message([&] { list.Item(list.Count()); }), range);
    EXPECT_EQ(message([&] { list.Move(gamma, list.Count()); }), range);
    TPNGImage other;
    EXPECT_EQ(message([&] { other.Chunks().Remove(gamma); }), outside);
    list.Remove(gamma);
    EXPECT_EQ(list.IndexOfClass<TChunkGAMA>(), -1);

    png.SetFilterSet(0);
    EXPECT_EQ(png.FilterSet(), 1); // None always belongs to the set
}

TEST(PngChunkListTest, AssignCopiesChunksAsTheirClassesWithFilterSetAndInterlace)
{
    TPNGImage a;
    a.Chunks().Add("prVt").Data() = {1, 2, 3};
    a.Chunks().Add<TChunkTEXT>().SetText("hello");
    a.SetFilterSet(TPNGImage::fsUp);
    a.SetInterlaced(true);
    a.Bitmap() = TBitmap(3, 3, pf24bit);
    TPNGImage b;
    b.Assign(a);
    ASSERT_EQ(b.Chunks().Count(), 5);
    EXPECT_EQ(b.Chunks().Item(3).Data(), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(b.Chunks().Item(3).Owner(), &b.Chunks());
    ASSERT_NE(dynamic_cast<TChunkTEXT*>(&b.Chunks().Item(4)), nullptr);
    EXPECT_EQ(static_cast<TChunkTEXT&>(b.Chunks().Item(4)).Text(), "hello");
    EXPECT_EQ(b.FilterSet(), TPNGImage::fsUp | TPNGImage::fsNone);
    EXPECT_TRUE(b.Interlaced());
    EXPECT_EQ(b.Bitmap().Width(), 3);

    TPNGImage c;
    c.Assign(a.Bitmap()); // a bare picture brings no chunks
    EXPECT_EQ(c.Chunks().Count(), 3);
}

TEST(PngWriterTest, FilterChoiceFollowsTheRunScore)
{
    const TBitmap image = MixedImage();
    for (int filterSet : {27, 31, 1, 2 | 16}) {
        TPNGImage png;
        png.Assign(image);
        png.SetFilterSet(static_cast<std::uint8_t>(filterSet));
        std::string file = Saved(png);
        std::string got = FilterBytes(file, 120, 24), want;
        std::string prev(120, '\0');
        for (int y = 0; y < 24; ++y) {
            std::string raw = RawRgbRow(image, y);
            want += char('0' + ReferenceFilter(raw, prev, 3, filterSet | 1));
            prev = raw;
        }
        EXPECT_EQ(got, want) << "filter set " << filterSet;
        if (filterSet == 1) {
            EXPECT_EQ(got, std::string(24, '0'));
        } else {
            EXPECT_NE(got.find_first_not_of('0'), std::string::npos) << "the mixed rows need more than None";
        }
        if (filterSet == 27) {
            EXPECT_EQ(got.find('2'), std::string::npos) << "Up is not in the default set";
        }
        if (filterSet == 31) {
            EXPECT_NE(got.find('2'), std::string::npos) << "Up wins ties with Paeth on repeated rows";
        }
        TPNGImage back;
        Load(back, file);
        EXPECT_TRUE(back.Bitmap() == image);
    }
}

TEST(PngWriterTest, LongRunsOfOneColourAreWrittenUnfiltered)
{
    // Grey runs repeat one byte, so they score highest as they are.
    TBitmap runs(64, 8, pf24bit);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 64; ++x) runs.SetPixel(x, y, RGB(y * 20, y * 20, y * 20));
    EXPECT_EQ(FilterBytes(PngFileBytes(runs), 192, 8), std::string(8, '0'));
    // A run of a colour repeats three bytes, so its differences score higher.
    for (int x = 0; x < 64; ++x) runs.SetPixel(x, 0, RGB(10, 20, 30));
    EXPECT_EQ(FilterBytes(PngFileBytes(runs), 192, 8)[0], '1');
    // A palette image is filtered byte by byte in the same way.
    TBitmap indexed(64, 4, pf8bit);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 64; ++x) indexed.SetPixelIndex(x, y, y + 1);
    EXPECT_EQ(FilterBytes(PngFileBytes(indexed), 64, 4), std::string(4, '0'));
}

TEST(PngWriterTest, ChunkOrderAndHeaderOfEachFormat)
{
    struct Case {
        TPixelFormat Format;
        int Depth, ColorType;
        const char* Types;
    };
    for (Case c : {Case{pf1bit, 1, 3, "IHDR PLTE IDAT IEND"}, Case{pf4bit, 4, 3, "IHDR PLTE IDAT IEND"},
                   Case{pf8bit, 8, 3, "IHDR PLTE IDAT IEND"}, Case{pf15bit, 8, 2, "IHDR IDAT IEND"},
                   Case{pf16bit, 8, 2, "IHDR IDAT IEND"}, Case{pf24bit, 8, 2, "IHDR IDAT IEND"},
                   Case{pf32bit, 8, 2, "IHDR IDAT IEND"}}) {
        TBitmap b(13, 5, c.Format);
        for (int x = 0; x < 13; ++x) b.SetPixel(x, x % 5, x % 2 ? clRed : clYellow);
        std::string file = PngFileBytes(b);
        EXPECT_EQ(TypesOf(file), c.Types) << c.Format;
        std::string ihdr = ChunksOf(file)[0].Data;
        EXPECT_EQ(ihdr, Ihdr(13, 5, c.Depth, c.ColorType)) << c.Format;
        TBitmap back;
        DecodePngBytes(file, back);
        for (int x = 0; x < 13; ++x) EXPECT_EQ(back.GetPixel(x, x % 5), b.GetPixel(x, x % 5)) << c.Format;
        if (c.ColorType == 3) {
            EXPECT_TRUE(back == b) << c.Format;
        }
    }
    EXPECT_THROW(PngFileBytes(TBitmap()), EvekImageError);
}

TEST(PngWriterTest, ThirtyTwoBitBitmapSavesWithoutAlpha)
{
    TBitmap b(3, 1, pf32bit);
    b.ScanLine(0)[0] = 10, b.ScanLine(0)[1] = 20, b.ScanLine(0)[2] = 30, b.ScanLine(0)[3] = 77;
    b.SetPixel(1, 0, clFuchsia);
    std::string file = PngFileBytes(b);
    EXPECT_EQ(ChunksOf(file)[0].Data, Ihdr(3, 1, 8, 2));
    EXPECT_EQ(Inflate(ChunksOf(file)[1].Data, 10).substr(1, 6), std::string("\x1e\x14\x0a\xff\x00\xff", 6));
}

TEST(PngWriterTest, TransparentRgbGetsAColourChunkAndLosesItWhenOpaque)
{
    TBitmap b(4, 2, pf24bit);
    b.SetPixel(0, 1, RGB(1, 2, 3));
    b.SetTransparent(true); // transparent colour: the bottom-left pixel
    TPNGImage png;
    png.Assign(b);
    std::string file = Saved(png);
    EXPECT_EQ(TypesOf(file), "IHDR tRNS IDAT IEND");
    EXPECT_EQ(ChunksOf(file)[1].Data, std::string("\0\x01\0\x02\0\x03", 6));
    TPNGImage back;
    Load(back, file);
    EXPECT_TRUE(back.Bitmap().Transparent());
    EXPECT_EQ(back.Bitmap().TransparentColor(), RGB(1, 2, 3));
    // Saving again keeps one colour chunk; an opaque bitmap drops it.
    EXPECT_EQ(TypesOf(Saved(back)), "IHDR tRNS IDAT IEND");
    back.Bitmap().SetTransparent(false);
    EXPECT_EQ(TypesOf(Saved(back)), "IHDR IDAT IEND");
    // Palette images carry no transparency chunk.
    TBitmap indexed(4, 2, pf8bit);
    indexed.SetTransparent(true);
    EXPECT_EQ(TypesOf(PngFileBytes(indexed)), "IHDR PLTE IDAT IEND");
}

TEST(PngWriterTest, AncillaryChunksAreWrittenBackUnchanged)
{
    std::string rows = std::string("\0\x11\x22\x33\x44\x55\x66", 7);
    std::string file = TPngBuilder()
                           .Header(2, 1, 8, 2)
                           .Chunk("prVt", std::string("private\0data", 12))
                           .Data(rows)
                           .Chunk("tEXt", std::string("Author\0Me", 9))
                           .End()
                           .Bytes();
    TPNGImage png;
    Load(png, file);
    std::string saved = Saved(png);
    EXPECT_EQ(TypesOf(saved), "IHDR prVt IDAT tEXt IEND");
    EXPECT_EQ(ChunksOf(saved)[1].Data, std::string("private\0data", 12));
    EXPECT_EQ(ChunksOf(saved)[3].Data, std::string("Author\0Me", 9));
    TPNGImage back;
    Load(back, saved);
    EXPECT_TRUE(back.Bitmap() == png.Bitmap());
}

TEST(PngWriterTest, GammaOfALoadedFileIsUndoneOnSave)
{
    std::string rows = std::string("\0\x80\x40\xff", 4);
    TPNGImage png;
    Load(png, TPngBuilder().Header(1, 1, 8, 2).Chunk("gAMA", Be32(100000)).Data(rows).End().Bytes());
    std::string saved = Saved(png);
    EXPECT_EQ(TypesOf(saved), "IHDR gAMA IDAT IEND");
    std::string pixel = Inflate(ChunksOf(saved)[2].Data, 4).substr(1);
    EXPECT_NEAR(static_cast<unsigned char>(pixel[0]), 0x80, 1);
    EXPECT_NEAR(static_cast<unsigned char>(pixel[1]), 0x40, 1);
    EXPECT_EQ(static_cast<unsigned char>(pixel[2]), 0xff);
}

TEST(PngWriterTest, InterlacedFilesAreWrittenBackPlain)
{
    TBitmap b(9, 9, pf24bit);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) b.SetPixel(x, y, RGB(x * 25, y * 25, 99));
    std::string file = PngFileBytes(b);
    TPNGImage png;
    Load(png, file);
    png.SetInterlaced(true);
    std::string saved = Saved(png);
    EXPECT_FALSE(png.Interlaced());
    EXPECT_EQ(ChunksOf(saved)[0].Data, Ihdr(9, 9, 8, 2, 0));
    TBitmap back;
    DecodePngBytes(saved, back);
    EXPECT_TRUE(back == b);
}

TEST(PngWriterTest, ListIsCompletedBeforeWriting)
{
    TPNGImage png;
    png.Bitmap() = TBitmap(2, 2, pf4bit);
    png.Chunks().Clear();
    EXPECT_EQ(TypesOf(Saved(png)), "IHDR PLTE IDAT IEND");
    // Chunks out of place are put in order: the header first, the end last.
    png.Chunks().Clear();
    png.Chunks().Add<TChunkIEND>();
    png.Chunks().Add<TChunkTEXT>().SetText("t");
    png.Chunks().Add<TChunkIHDR>();
    png.Bitmap() = TBitmap(2, 2, pf24bit);
    EXPECT_EQ(TypesOf(Saved(png)), "IHDR tEXt IDAT IEND");
    // A palette image that became a colour image drops its stale palette.
    png.Bitmap() = TBitmap(2, 2, pf8bit);
    Saved(png);
    png.Bitmap().SetPixelFormat(pf24bit);
    EXPECT_EQ(TypesOf(Saved(png)), "IHDR tEXt IDAT IEND");
}

TEST(PngWriterTest, PaletteCoversEveryIndexUsed)
{
    TBitmap b(4, 1, pf8bit);
    b.SetPalette({TRGBQuad{0, 0, 255, 0}, TRGBQuad{0, 255, 0, 0}});
    b.SetPixelIndex(3, 0, 5);
    std::string file = PngFileBytes(b);
    EXPECT_EQ(ChunksOf(file)[1].Data.size(), 18u);
    TBitmap back;
    DecodePngBytes(file, back);
    EXPECT_EQ(back.GetPixel(0, 0), clRed);
    EXPECT_EQ(back.GetPixel(3, 0), clBlack);
}

TEST(PngTextTest, CompressedTextRoundTripsThroughTheFile)
{
    TTempDir dir;
    TBitmap b(5, 3, pf24bit);
    const std::string text = "First line\r\nSecond line with \xe9 and \x01";
    SaveWithText(dir.File("t.png"), b, true, text);
    std::string file = ReadWholeFile(dir.File("t.png"));
    EXPECT_EQ(TypesOf(file), "IHDR IDAT zTXt IEND");
    EXPECT_EQ(ChunksOf(file)[2].Data.substr(0, 9), std::string("Comment\0\0", 9));
    TBitmap back;
    std::string got = "old";
    LoadFile(dir.File("t.png"), back, &got);
    EXPECT_EQ(got, text);
    EXPECT_TRUE(back == b);

    // Text off, or no text: no chunk; a load of a file without text empties the text.
    SaveWithText(dir.File("off.png"), b, false, text);
    SaveWithText(dir.File("empty.png"), b, true, "");
    EXPECT_EQ(TypesOf(ReadWholeFile(dir.File("off.png"))), "IHDR IDAT IEND");
    EXPECT_EQ(TypesOf(ReadWholeFile(dir.File("empty.png"))), "IHDR IDAT IEND");
    LoadFile(dir.File("off.png"), back, &got);
    EXPECT_EQ(got, "");
}

TEST(PngTextTest, FirstPlainTextThenCompressedText)
{
    std::string rows = std::string("\0\0", 2);
    auto textOf = [](const std::string& file) {
        TPNGImage png;
        return Load(png, file).ChunkText();
    };
    std::string zText = std::string("Comment\0\0", 9) + Deflate("packed");
    EXPECT_EQ(textOf(TPngBuilder()
                         .Header(1, 1, 8, 0)
                         .Chunk("tEXt", std::string("Title\0one", 9))
                         .Chunk("tEXt", std::string("Title\0two", 9))
                         .Data(rows)
                         .Chunk("zTXt", zText)
                         .End()
                         .Bytes()),
              "one\r\npacked");
    EXPECT_EQ(textOf(TPngBuilder()
                         .Header(1, 1, 8, 0)
                         .Chunk("tEXt", std::string("Title\0one", 9))
                         .Chunk("tEXt", std::string("Title\0two", 9))
                         .Data(rows)
                         .End()
                         .Bytes()),
              "one");
    EXPECT_EQ(textOf(TPngBuilder().Header(1, 1, 8, 0).Data(rows).Chunk("zTXt", zText).End().Bytes()), "packed");

    TChunkList list(nullptr);
    auto& t = list.Add<TChunkZTXT>();
    t.SetText("abc");
    t.SetKeyword("Key");
    EXPECT_EQ(t.Keyword(), "Key");
    EXPECT_EQ(t.Text(), "abc");
}

TEST(PngWriterTest, OurFilesPassPngcheck)
{
    if (!HaveTools({"pngcheck"})) GTEST_SKIP() << "pngcheck is not installed";
    TTempDir dir;
    TBitmap mixed = MixedImage();
    int n = 0;
    for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit}) {
        TBitmap b(mixed);
        b.SetPixelFormat(f);
        b.SetTransparent(f == pf24bit);
        std::string name = dir.File("f" + std::to_string(n++) + ".png");
        SaveWithText(name, b, f == pf8bit, "some text");
        EXPECT_TRUE(PngCheckAccepts(name)) << f;
    }
}
