#include "platform/Errors.h"
#include "platform/Scanner.h"
#include "tests/common/SaneTestDevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

namespace {

// ---- frames put together ---------------------------------------------------------------------

TBitmap Assemble(const std::vector<std::pair<TScanFrame, std::vector<std::uint8_t>>>& frames, std::size_t piece = 3)
{
    TScanAssembler assembler;
    for (const auto& [frame, bytes] : frames) {
        assembler.BeginFrame(frame);
        for (std::size_t i = 0; i < bytes.size(); i += piece)
            assembler.Add(bytes.data() + i, std::min(piece, bytes.size() - i));
        assembler.EndFrame();
    }
    return assembler.Take();
}

std::vector<std::uint8_t> Words(std::initializer_list<std::uint16_t> values)
{
    std::vector<std::uint8_t> bytes(values.size() * 2);
    std::memcpy(bytes.data(), std::data(values), bytes.size());
    return bytes;
}

TEST(ScanAssembler, ColourFramesGiveTrueColourInRedGreenBlueOrder)
{
    // Two pixels a row, one padding byte, two rows (the third is incomplete and dropped).
    const TBitmap rgb = Assemble({{{sfRGB, 8, 7, 2, -1}, {10, 20, 30, 40, 50, 60, 0, 1, 2, 3, 4, 5, 6, 0, 9, 9}}});
    ASSERT_EQ(rgb.PixelFormat(), pf24bit);
    ASSERT_EQ(rgb.Width(), 2);
    ASSERT_EQ(rgb.Height(), 2);
    EXPECT_EQ(rgb.GetPixel(0, 0), RGB(10, 20, 30));
    EXPECT_EQ(rgb.GetPixel(1, 0), RGB(40, 50, 60));
    EXPECT_EQ(rgb.GetPixel(1, 1), RGB(4, 5, 6));

    // 16-bit samples keep their high byte; announced lines cut off what follows.
    const TBitmap deep = Assemble({{{sfRGB, 16, 6, 1, 1}, Words({0x1234, 0xff00, 0x00ff, 7, 7, 7})}});
    ASSERT_EQ(deep.Height(), 1);
    EXPECT_EQ(deep.GetPixel(0, 0), RGB(0x12, 0xff, 0x00));

    // One bit a sample: a set bit is full intensity.
    const TBitmap bits = Assemble({{{sfRGB, 1, 1, 2, 1}, {0b10001100}}});
    EXPECT_EQ(bits.GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(bits.GetPixel(1, 0), RGB(0, 255, 255));
}

TEST(ScanAssembler, GreyAndLineArtKeepTheirDepth)
{
    const TBitmap grey = Assemble({{{sfGray, 8, 3, 3, 2}, {0, 128, 255, 1, 2, 3}}});
    ASSERT_EQ(grey.PixelFormat(), pf8bit);
    EXPECT_EQ(grey.GetPixel(1, 0), RGB(128, 128, 128));
    EXPECT_EQ(grey.GetPixel(2, 1), RGB(3, 3, 3));
    const TBitmap deepGrey = Assemble({{{sfGray, 16, 4, 2, 1}, Words({0xabcd, 0x0101})}});
    EXPECT_EQ(deepGrey.GetPixel(0, 0), RGB(0xab, 0xab, 0xab));
    EXPECT_EQ(deepGrey.GetPixel(1, 0), RGB(1, 1, 1));

    // Line art marks black with a set bit.
    const TBitmap lineArt = Assemble({{{sfGray, 1, 2, 10, 2}, {0b10100000, 0b01000000, 0xff, 0xff}}});
    ASSERT_EQ(lineArt.PixelFormat(), pf1bit);
    ASSERT_EQ(lineArt.Width(), 10);
    EXPECT_EQ(lineArt.GetPixel(0, 0), clBlack);
    EXPECT_EQ(lineArt.GetPixel(1, 0), clWhite);
    EXPECT_EQ(lineArt.GetPixel(2, 0), clBlack);
    EXPECT_EQ(lineArt.GetPixel(9, 0), clBlack);
    EXPECT_EQ(lineArt.GetPixel(8, 0), clWhite);
    EXPECT_EQ(lineArt.GetPixel(9, 1), clBlack);
}

TEST(ScanAssembler, ThreePassBandsFillTheirChannelInAnyOrder)
{
    const TBitmap image = Assemble({{{sfGreen, 8, 2, 2, 2}, {1, 2, 3, 4}},
                                    {{sfBlue, 8, 2, 2, 2}, {5, 6, 7, 8}},
                                    {{sfRed, 8, 2, 2, 1}, {9, 10}}}, 1);
    ASSERT_EQ(image.Height(), 2);
    EXPECT_EQ(image.GetPixel(0, 0), RGB(9, 1, 5));
    EXPECT_EQ(image.GetPixel(1, 0), RGB(10, 2, 6));
    EXPECT_EQ(image.GetPixel(1, 1), RGB(0, 4, 8)); // the short red pass left this row dark
}

TEST(ScanAssembler, LayoutsItCannotTakeAreRefusedBeforeAnyData)
{
    const TScanFrame bad[] = {
        {sfRGB, 4, 6, 3, 1},                      // no such depth
        {sfGray, 8, 2, 3, 1},                     // rows shorter than their pixels
        {sfGray, 8, 0, 0, 1},                     // no pixels
        {sfGray, 8, 1 << 20, 4, 1},               // absurd padding
        {sfGray, 8, 4, 4, TBitmap::MaxSide + 1},  // too many lines
        {static_cast<TScanFrameKind>(9), 8, 4, 4, 1},
    };
    for (const TScanFrame& frame : bad) {
        TScanAssembler assembler;
        try {
            assembler.BeginFrame(frame);
            ADD_FAILURE() << "accepted depth " << frame.Depth << " bytes " << frame.BytesPerLine;
        } catch (const EvekError& e) {
            EXPECT_STREQ(e.what(), kScanPixelTypeFailed);
        }
    }
    // After a whole image only bands of the same width may follow.
    TScanAssembler assembler;
    assembler.BeginFrame({sfRed, 8, 2, 2, 1});
    const std::uint8_t row[2] = {1, 2};
    assembler.Add(row, 2);
    assembler.EndFrame();
    EXPECT_THROW(assembler.BeginFrame({sfGreen, 8, 3, 3, 1}), EvekError);
    EXPECT_THROW(assembler.BeginFrame({sfGray, 8, 2, 2, 1}), EvekError);
    EXPECT_EQ(assembler.Take().GetPixel(1, 0), RGB(2, 0, 0));

    // Nothing whole arrived: no image.
    EXPECT_TRUE(Assemble({{{sfGray, 8, 4, 4, 1}, {1, 2, 3}}}).Empty());
}

// ---- SANE's own test device --------------------------------------------------------------------

class ScannerTest : public ::testing::Test {
protected:
    void Configure(const std::string& extra) { TSaneTestDevice::Instance().Configure(extra); }
    static std::string Error(const std::string& device)
    {
        try {
            ScanImage(device);
        } catch (const EvekError& e) {
            return e.what();
        }
        return "";
    }
};

TEST_F(ScannerTest, SourcesAreTheConfiguredDevices)
{
    Configure("");
    const auto sources = ScanSources();
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_EQ(sources[0].Name, "test:0");
    EXPECT_EQ(sources[1].Name, "test:1");
    EXPECT_EQ(sources[0].Label(), sources[0].Vendor + " " + sources[0].Model + " (test:0)");
}

TEST_F(ScannerTest, AScanIsInColourWhateverModeTheDeviceStartsIn)
{
    Configure("mode Gray\ntest-picture \"Solid white\"\n");
    const TBitmap white = ScanImage("test:1");
    ASSERT_EQ(white.PixelFormat(), pf24bit);
    EXPECT_EQ(white.Width(), 19); // 20 mm at 25 dpi
    EXPECT_GT(white.Height(), 5);
    for (int y = 0; y < white.Height(); ++y)
        for (int x = 0; x < white.Width(); ++x) ASSERT_EQ(white.GetPixel(x, y), clWhite) << x << "," << y;

    // The first device serves when none is named.
    Configure("test-picture \"Solid black\"\n");
    const TBitmap black = ScanImage("");
    ASSERT_FALSE(black.Empty());
    EXPECT_EQ(black.GetPixel(3, 3), clBlack);
}

TEST_F(ScannerTest, ThreePassAndDeepScansMatchTheSinglePassPicture)
{
    Configure("test-picture \"Color pattern\"\n");
    const TBitmap single = ScanImage("test:0");
    ASSERT_FALSE(single.Empty());
    for (const char* order : {"RGB", "BGR", "GRB"}) {
        Configure(std::string("test-picture \"Color pattern\"\nthree-pass true\nthree-pass-order ") + order + "\n");
        EXPECT_TRUE(ScanImage("test:0") == single) << order;
    }
    // A hand scanner does not know its height beforehand; its picture still arrives whole.
    Configure("test-picture \"Solid white\"\nhand-scanner true\n");
    const TBitmap hand = ScanImage("test:0");
    ASSERT_FALSE(hand.Empty());
    EXPECT_EQ(hand.GetPixel(hand.Width() - 1, hand.Height() - 1), clWhite);
    Configure("test-picture \"Solid white\"\ndepth 16\n");
    const TBitmap deep = ScanImage("test:0");
    ASSERT_FALSE(deep.Empty());
    EXPECT_EQ(deep.GetPixel(0, 0), clWhite);
}

TEST_F(ScannerTest, MissingDevicesAreTold)
{
    TSaneTestDevice::Instance().RemoveDevices();
    EXPECT_TRUE(ScanSources().empty());
    EXPECT_EQ(Error(""), kScanCannotOpenSource);
    Configure("");
    EXPECT_EQ(Error("test:7"), kScanCannotOpenSource);
    EXPECT_EQ(Error("nosuchbackend:0"), kScanCannotOpenSource);
}

} // namespace
