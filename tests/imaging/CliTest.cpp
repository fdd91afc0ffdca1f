#include "DispatchTestTools.h"

#include "imaging/Codecs.h"

#include "tests/common/TestFiles.h"

#include <filesystem>

namespace {

struct TRun {
    int status = 0;
    std::string out;
    std::string err;
};

TRun Vistrel(const TTempDir& dir, const std::string& args)
{
    TRun run;
    const std::string errFile = dir.File("stderr.txt");
    run.out = RunCommand(std::string("QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ") + VISTREL_BINARY + " " +
                             args + " 2>" + Quote(errFile) + " </dev/null",
                         &run.status);
    run.err = ReadWholeFile(errFile);
    return run;
}

TBitmap Picture(int w, int h)
{
    TBitmap bmp(w, h, pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bmp.SetPixel(x, y, RGB(x * 7, y * 11, (x ^ y) * 5));
    return bmp;
}

TEST(CliTest, InfoPrintsWidthHeightAndBits)
{
    TTempDir dir;
    TBitmap bmp = Picture(37, 23);
    for (auto [format, bits] : {std::pair{pf8bit, 8}, {pf15bit, 15}, {pf24bit, 24}, {pf1bit, 1}}) {
        TBitmap converted(bmp);
        converted.SetPixelFormat(format);
        WriteImageFileBytes(dir.File("i.bmp"), EncodeBmp(converted));
        const TRun run = Vistrel(dir, "info " + Quote(dir.File("i.bmp")));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "37 23 " + std::to_string(bits) + "\n");
    }
}

TEST(CliTest, InfoWithNothingLoadedIsAnErrorWithoutASize)
{
    TTempDir dir;
    WriteImageFileBytes(dir.File("real.dat"), EncodeBmp(Picture(4, 4)));
    for (const std::string& name : {dir.File("real.dat"), dir.File("missing.bmp"), dir.File("missing.xyz")}) {
        const TRun run = Vistrel(dir, "info " + Quote(name));
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.out, "") << name;
        EXPECT_NE(run.err, "") << name;
    }
    WriteWholeFile(dir.File("bad.gif"), "GIF89a\1\0\1\0");
    const TRun run = Vistrel(dir, "info " + Quote(dir.File("bad.gif")));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("GIF file"), std::string::npos) << run.err;
    EXPECT_EQ(Vistrel(dir, "info").status, 2);
    EXPECT_EQ(Vistrel(dir, "info a.bmp b.bmp").status, 2);
}

TEST(CliTest, ConvertCarriesTheQualityAndChecksIt)
{
    REQUIRE_MAGICK();
    TTempDir dir;
    WriteImageFileBytes(dir.File("s.bmp"), EncodeBmp(Picture(40, 30)));
    TRun run = Vistrel(dir, "convert " + Quote(dir.File("s.bmp")) + " " + Quote(dir.File("d.jpg")) + " --quality 23");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Identify("%Q", dir.File("d.jpg")), "23");
    run = Vistrel(dir, "convert " + Quote(dir.File("s.bmp")) + " " + Quote(dir.File("e.jpg")));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Identify("%Q", dir.File("e.jpg")), "50") << "the window's start value";

    for (const char* bad : {"0", "101", "abc", "50x", ""}) {
        run = Vistrel(dir, "convert " + Quote(dir.File("s.bmp")) + " " + Quote(dir.File("f.jpg")) + " --quality '" +
                               bad + "'");
        EXPECT_EQ(run.status, 2) << bad;
    }
    EXPECT_EQ(Vistrel(dir, "convert " + Quote(dir.File("s.bmp"))).status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("f.jpg")));
}

TEST(CliTest, ConvertBetweenFormatsAndFailsWhenNothingLoads)
{
    TTempDir dir;
    const TBitmap source = Picture(21, 13);
    WriteImageFileBytes(dir.File("s.bmp"), EncodeBmp(source));
    TRun run = Vistrel(dir, "convert " + Quote(dir.File("s.bmp")) + " " + Quote(dir.File("d.gif")));
    ASSERT_EQ(run.status, 0) << run.err;
    run = Vistrel(dir, "convert " + Quote(dir.File("d.gif")) + " " + Quote(dir.File("d.BMP")));
    ASSERT_EQ(run.status, 0) << run.err;
    TBitmap back;
    LoadFile(dir.File("d.BMP"), back);
    EXPECT_EQ(back.PixelFormat(), pf8bit);
    EXPECT_EQ(back.Width(), 21);

    WriteImageFileBytes(dir.File("s.dat"), EncodeBmp(source));
    run = Vistrel(dir, "convert " + Quote(dir.File("s.dat")) + " " + Quote(dir.File("x.bmp")));
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.bmp")));
    run = Vistrel(dir, "convert " + Quote(dir.File("missing.bmp")) + " " + Quote(dir.File("x.bmp")));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("missing.bmp"), std::string::npos) << run.err;
    run = Vistrel(dir, "convert " + Quote(dir.File("s.bmp")) + " " + Quote(dir.File("x.xyz")));
    EXPECT_EQ(run.status, 1);
}

} // namespace
