#include "DispatchTestTools.h"
#include "PngTestFiles.h"

#include "imaging/ByteStream.h"
#include "imaging/Codecs.h"
#include "platform/UiServices.h"
#include "tests/common/TestFiles.h"

namespace {

TBitmap Picture(TPixelFormat format)
{
    TBitmap b(23, 13, pf24bit);
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 23; ++x) b.SetPixel(x, y, RGB(x * 11, y * 19, (x * y * 7) & 255));
    b.SetPixelFormat(format);
    return b;
}

// A Targa file written by hand: 24 bits, bottom-up, one row of pixels per line of the picture.
TImageBytes TargaOf(const TBitmap& picture)
{
    TByteWriter out;
    for (int b : {0, 0, 2}) out.Put8(b);
    for (int i = 0; i < 5; ++i) out.Put8(0);
    out.Put16(0);
    out.Put16(0);
    out.Put16(static_cast<std::uint32_t>(picture.Width()));
    out.Put16(static_cast<std::uint32_t>(picture.Height()));
    out.Put8(24);
    out.Put8(0);
    for (int y = picture.Height() - 1; y >= 0; --y)
        for (int x = 0; x < picture.Width(); ++x) {
            const TColor c = picture.GetPixel(x, y);
            out.Put8(GetBValue(c));
            out.Put8(GetGValue(c));
            out.Put8(GetRValue(c));
        }
    return out.Take();
}

// A placeable Windows metafile with one red rectangle.
TImageBytes MetafileWithRectangle()
{
    TByteWriter out;
    out.Put32(0x9AC6CDD7);
    const std::uint16_t placeable[] = {0, 0, 0, 40, 20, 96, 0, 0};
    std::uint16_t sum = 0xCDD7 ^ 0x9AC6;
    for (std::uint16_t w : placeable) sum ^= w, out.Put16(w);
    out.Put16(sum);
    const std::uint32_t words = 9 + 7 + 4 + 7 + 3;
    for (std::uint32_t v : {1u, 9u, 0x300u}) out.Put16(v);
    out.Put32(words);
    out.Put16(1);
    out.Put32(7);
    out.Put16(0);
    // CreateBrushIndirect (solid red), SelectObject 0, Rectangle 2, 2, 30, 15, EOF.
    out.Put32(7), out.Put16(0x02FC), out.Put16(0), out.Put32(0x0000FF), out.Put16(0);
    out.Put32(4), out.Put16(0x012D), out.Put16(0);
    out.Put32(7), out.Put16(0x041B), out.Put16(15), out.Put16(30), out.Put16(2), out.Put16(2);
    out.Put32(3), out.Put16(0);
    return out.Take();
}

// Every readable extension loads through the dispatch exactly what its decoder gives from the
// bytes of the same file: the table sends each extension to its own codec, and reading the file
// adds nothing.
TEST(CodecTableTest, EveryFormatDecodesTheSamePixelsFromBytesAsFromAFile)
{
    TTempDir dir;
    TScriptedUi ui;
    TUiScope scope(ui);
    const TBitmap colour = Picture(pf24bit), indexed = Picture(pf8bit);
    struct TCase {
        const char* name;
        TImageBytes bytes;
        std::function<void(const TImageBytes&, TBitmap&)> decode;
    };
    auto plain = [](void (*decode)(const std::uint8_t*, std::size_t, TBitmap&)) {
        return [decode](const TImageBytes& b, TBitmap& t) { decode(b.data(), b.size(), t); };
    };
    const TCase cases[] = {
        {"a.bmp", EncodeBmp(indexed), plain(DecodeBmp)},
        {"a.GIF", EncodeGif(indexed, true), plain(DecodeGif)},
        {"a.jpg", EncodeJpeg(colour, 80), plain(DecodeJpeg)},
        {"a.Jpeg", EncodeJpeg(indexed, 80), plain(DecodeJpeg)},
        {"a.png", EncodePng(colour, "text"), [](const TImageBytes& b, TBitmap& t) { DecodePng(b.data(), b.size(), t); }},
        {"a.tif", EncodeTiff(indexed),
         [](const TImageBytes& b, TBitmap& t) { DecodeTiff(b.data(), b.size(), t, "a.tif"); }},
        {"a.tga", TargaOf(colour), plain(DecodeTarga)},
        {"a.ico", EncodeIcon(indexed), [](const TImageBytes& b, TBitmap& t) { DrawIcon(DecodeIcon(b.data(), b.size()), t); }},
        {"a.wmf", MetafileWithRectangle(), plain(DecodeMetafile)},
    };
    for (const TCase& c : cases) {
        const std::string file = dir.File(c.name);
        WriteImageFileBytes(file, c.bytes);
        // Pictures drawn over the target show what was there; both start from the same one.
        TBitmap fromFile(4, 4, pf24bit), fromBytes(4, 4, pf24bit);
        for (int i = 0; i < 16; ++i) fromFile.SetPixel(i % 4, i / 4, clYellow);
        fromBytes.Assign(fromFile);
        TImageFileSettings settings;
        LoadImageFile(file, fromFile, settings);
        c.decode(c.bytes, fromBytes);
        EXPECT_GT(fromFile.Width(), 4) << c.name;
        EXPECT_TRUE(fromFile == fromBytes) << c.name;
    }
    EXPECT_TRUE(ui.Log.empty());
}

// Every writable extension writes what its encoder gives with the window's settings.
TEST(CodecTableTest, EveryFormatWritesTheBytesOfItsEncoder)
{
    TTempDir dir;
    TImageFileSettings settings;
    settings.JpegQuality = 35;
    settings.TransparentGif = false;
    settings.PngTextOn = true;
    settings.PngText = "said";
    TBitmap source = Picture(pf8bit);
    const std::pair<const char*, TImageBytes> cases[] = {
        {"a.bmp", EncodeBmp(source)},          {"a.gif", EncodeGif(source, false)},
        {"a.JPG", EncodeJpeg(source, 35)},     {"a.jpeg", EncodeJpeg(source, 35)},
        {"a.png", EncodePng(source, "said")}, {"a.tif", EncodeTiff(source)},
    };
    for (const auto& [name, bytes] : cases) {
        ASSERT_TRUE(SaveImageFile(dir.File(name), source, settings));
        EXPECT_EQ(ReadImageFileBytes(dir.File(name)), bytes) << name;
    }
    settings.PngTextOn = false;
    ASSERT_TRUE(SaveImageFile(dir.File("b.png"), source, settings));
    EXPECT_EQ(ReadImageFileBytes(dir.File("b.png")), EncodePng(source)) << "the text switch is off";
}

// PNG files the program wrote before its deflate changed (kept with the bitmaps they were saved
// from) read back to the same pixels, and the files written now carry the same chunks and the same
// filtered rows.
TEST(CodecTableTest, PngFilesWrittenEarlierReadBackIdentically)
{
    const std::string folder = std::string(VISTREL_TEST_DATA) + "/png-before/";
    for (const char* name : {"rgb24", "rgb32", "pal8", "pal4", "pal1"}) {
        TBitmap source, earlier;
        LoadFile(folder + name + ".bmp", source);
        LoadFile(folder + name + ".png", earlier);
        ASSERT_EQ(earlier.Width(), source.Width()) << name;
        ASSERT_EQ(earlier.Height(), source.Height()) << name;
        EXPECT_EQ(BitmapRgb(earlier), BitmapRgb(source)) << name;

        const std::string before = ReadWholeFile(folder + name + ".png");
        const std::string now = AsString(EncodePng(source));
        EXPECT_EQ(pngtest::TypesOf(now), pngtest::TypesOf(before)) << name;
        EXPECT_EQ(now.substr(8, 33), before.substr(8, 33)) << name << ": the header chunk";
        EXPECT_EQ(pngtest::InflatedRows(now), pngtest::InflatedRows(before)) << name;
        TBitmap back;
        pngtest::DecodePngBytes(now, back);
        EXPECT_TRUE(back == earlier) << name;
    }
}

} // namespace
