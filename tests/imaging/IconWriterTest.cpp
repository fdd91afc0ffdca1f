#include "imaging/Codecs.h"
#include "platform/UiServices.h"
#include "tests/imaging/DispatchTestTools.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr TColor Marker = 0xF8F9FA;

// A 32 x 32 8-bit picture on a palette of its own: index 0 black, 1 white, 2 red, 3 the marker colour.
TBitmap Picture(int background)
{
    TBitmap b(32, 32, pf8bit);
    std::vector<TRGBQuad> palette(256);
    palette[1] = ColorToQuad(clWhite);
    palette[2] = ColorToQuad(clRed);
    palette[3] = ColorToQuad(Marker);
    b.SetPalette(palette);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) b.SetPixelIndex(x, y, background);
    for (int x = 0; x < 8; ++x) {
        b.SetPixelIndex(x, 2, 0);  // black
        b.SetPixelIndex(x, 3, 1);  // white
        b.SetPixelIndex(x, 4, 2);  // red
        b.SetPixelIndex(x, 5, 3);  // marker
    }
    return b;
}

// ImageMagick's reading of an icon: red, green, blue, alpha for each pixel.
struct TToolIcon {
    std::string rgba;
    TColor Color(int x, int y) const
    {
        const char* p = rgba.data() + (y * 32 + x) * 4;
        return RGB(static_cast<unsigned char>(p[0]), static_cast<unsigned char>(p[1]), static_cast<unsigned char>(p[2]));
    }
    bool Opaque(int x, int y) const { return static_cast<unsigned char>(rgba[(y * 32 + x) * 4 + 3]) == 255; }
};

class IconWriterTest : public ::testing::Test {
protected:
    TTempDir dir;
    TScriptedUi ui;
    TUiScope scope{ui};

    TToolIcon Save(TBitmap picture)
    {
        std::string ico = dir.File("icon.ico");
        EXPECT_TRUE(SaveImageFile(ico, picture, TImageFileSettings()));
        EXPECT_EQ(std::filesystem::file_size(ico), 2238u);
        TToolIcon icon{RunCommand("convert 'ico:" + ico + "' -depth 8 rgba:-")};
        EXPECT_EQ(icon.rgba.size(), 32u * 32u * 4u);
        return icon;
    }
};

TEST_F(IconWriterTest, BottomLeftColourBecomesTransparent)
{
    // On white: white is clear, black and red stay, a marker-coloured pixel ends up opaque black.
    TToolIcon icon = Save(Picture(1));
    EXPECT_FALSE(icon.Opaque(20, 20));
    EXPECT_FALSE(icon.Opaque(3, 3));
    EXPECT_TRUE(icon.Opaque(3, 2));
    EXPECT_EQ(icon.Color(3, 2), clBlack);
    EXPECT_TRUE(icon.Opaque(3, 4));
    EXPECT_EQ(icon.Color(3, 4), clRed);
    EXPECT_TRUE(icon.Opaque(3, 5));
    EXPECT_EQ(icon.Color(3, 5), clBlack);
    // On black: black is clear, white stays.
    icon = Save(Picture(0));
    EXPECT_FALSE(icon.Opaque(20, 20));
    EXPECT_FALSE(icon.Opaque(3, 2));
    EXPECT_TRUE(icon.Opaque(3, 3));
    EXPECT_EQ(icon.Color(3, 3), clWhite);
    EXPECT_EQ(icon.Color(3, 5), clBlack);
}

TEST_F(IconWriterTest, FileLayout)
{
    const std::string s = AsString(EncodeIcon(Picture(1)));
    ASSERT_EQ(s.size(), 2238u);
    auto u16 = [&](std::size_t at) { return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8; };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    EXPECT_EQ(u16(0), 0);
    EXPECT_EQ(u16(2), 1);
    EXPECT_EQ(u16(4), 1);
    EXPECT_EQ(s[6], 32);
    EXPECT_EQ(s[7], 32);
    EXPECT_EQ(u16(8), 8);
    EXPECT_EQ(u16(10), 0);
    EXPECT_EQ(u16(12), 0);
    EXPECT_EQ(u32(14), 2216);
    EXPECT_EQ(u32(18), 22);
    EXPECT_EQ(u32(22), 40);
    EXPECT_EQ(u32(26), 32);
    EXPECT_EQ(u32(30), 64); // colour and mask rows
    EXPECT_EQ(u16(36), 8);
    EXPECT_EQ(static_cast<unsigned char>(s[62 + 2 * 4 + 2]), 0xFF); // red of palette entry 2
    // Rows are bottom-up: picture row 4 (red) is stored row 27; the mask is 1 where transparent.
    EXPECT_EQ(s[1086 + 27 * 32 + 0], 2);
    EXPECT_EQ(s[1086 + 27 * 32 + 8], 0); // white, transparent: black in the colour image
    const std::size_t mask = 1086 + 1024;
    EXPECT_EQ(static_cast<unsigned char>(s[mask + 0]), 0xFF);          // bottom row, all white
    EXPECT_EQ(static_cast<unsigned char>(s[mask + 27 * 4 + 0]), 0x00); // row 4, first 8 red
    EXPECT_EQ(static_cast<unsigned char>(s[mask + 27 * 4 + 1]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(s[mask + 29 * 4 + 0]), 0x00); // row 2, first 8 black
}

TEST_F(IconWriterTest, OtherSizesAskFirst)
{
    std::string ico = dir.File("big.ico");
    TBitmap picture(48, 40, pf24bit);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 48; ++x) picture.SetPixel(x, y, x < 24 ? clWhite : clBlue);
    const TBitmap before = picture;

    ui.Queue("No");
    EXPECT_FALSE(SaveImageFile(ico, picture, TImageFileSettings()));
    EXPECT_FALSE(std::filesystem::exists(ico));
    EXPECT_TRUE(picture == before);
    ASSERT_EQ(ui.Log.size(), 1u);
    EXPECT_EQ(ui.Log[0].text, "Icon must be 32x32. Resize now?");

    ui.Queue("Yes");
    EXPECT_TRUE(SaveImageFile(ico, picture, TImageFileSettings()));
    EXPECT_EQ(std::filesystem::file_size(ico), 2238u);
    EXPECT_EQ(picture.Width(), 32);
    EXPECT_EQ(picture.Height(), 32);
    EXPECT_EQ(picture.PixelFormat(), pf8bit);
    // The white left half is transparent, the blue right half opaque.
    TToolIcon icon{RunCommand("convert 'ico:" + ico + "' -depth 8 rgba:-")};
    ASSERT_EQ(icon.rgba.size(), 32u * 32u * 4u);
    EXPECT_FALSE(icon.Opaque(2, 10));
    EXPECT_TRUE(icon.Opaque(30, 10));
    EXPECT_EQ(icon.Color(30, 10), clBlue);
}

} // namespace
